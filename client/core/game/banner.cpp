#include "client/core/game/banner.h"

#include <charconv>

namespace qc::game {

Banner::Banner(platform::StreamSocket& socket, platform::TimerFactory& timers, BannerServer server)
    : socket_(socket), server_(std::move(server)) {
    timer_ = timers.CreateTimer(kTickMs, [this] { Tick(); });
    socket_.onConnected = [this] { OnConnected(); };
    socket_.onData = [this](const std::string& bytes) { OnData(bytes); };
    socket_.onError = [this] { Fail(); };
}

Banner::~Banner() {
    socket_.onConnected = nullptr;
    socket_.onData = nullptr;
    socket_.onError = nullptr;
}

void Banner::WindowOpened() {
    // A window that opens shows no banner and links nowhere until the first
    // reply.
    url_.clear();
    picture_.reset();
    timeLeft_ = 0;
    timer_->SetEnabled(true);
}

void Banner::WindowClosed() {
    timer_->SetEnabled(false);
    socket_.Close();
    connecting_ = connected_ = false;
}

void Banner::Tick() {
    if (timeLeft_ > 0) {
        timeLeft_ = static_cast<std::int16_t>(timeLeft_ - kTickMs / 1000);
        return;
    }
    // A reply that never completed is dropped with its connection.
    socket_.Close();
    connected_ = false;
    connecting_ = true;
    timeLeft_ = kCycleSeconds;
    if (server_.host.empty()) {
        connecting_ = false;
        return;
    }
    socket_.Connect(server_.host, server_.port);
}

void Banner::OnConnected() {
    connecting_ = false;
    connected_ = true;
    header_.clear();
    body_.clear();
    expected_ = -1;
    socket_.Write(kRequest);
}

void Banner::OnData(const std::string& bytes) {
    if (!connected_) {
        return;
    }
    std::size_t at = 0;
    if (expected_ < 0) {
        // The header may come in pieces: keep it until its CR.
        const std::size_t cr = bytes.find('\r');
        const std::size_t take = cr == std::string::npos ? bytes.size() : cr;
        if (header_.size() + take > kMaxHeader) {
            Fail();
            return;
        }
        header_.append(bytes, 0, take);
        if (cr == std::string::npos) {
            return;
        }
        at = cr + 1;
        const std::size_t blank = header_.find(' ');
        if (blank == std::string::npos) {
            Fail();
            return;
        }
        std::int64_t count = 0;
        const auto r = std::from_chars(header_.data(), header_.data() + blank, count);
        if (r.ec != std::errc() || r.ptr != header_.data() + blank || count < 1 ||
            count > kMaxPicture) {
            Fail();
            return;
        }
        expected_ = static_cast<std::int32_t>(count);
        pendingUrl_ = header_.substr(blank + 1);
        body_.reserve(static_cast<std::size_t>(expected_));
    }
    // Exactly the announced bytes; anything after them is not the picture.
    const std::size_t missing = static_cast<std::size_t>(expected_) - body_.size();
    body_.append(bytes, at, std::min(missing, bytes.size() - at));
    if (body_.size() == static_cast<std::size_t>(expected_)) {
        Finish();
    }
}

void Banner::Finish() {
    socket_.Close();
    connected_ = false;
    // The banner shown and its address change together, once the new
    // picture is whole: no empty gap every two minutes.
    picture_ = std::make_shared<const std::string>(std::move(body_));
    url_ = std::move(pendingUrl_);
    body_.clear();
    pendingUrl_.clear();
    expected_ = -1;
    if (changed) {
        changed();
    }
}

void Banner::Fail() {
    socket_.Close();
    connecting_ = connected_ = false;
    header_.clear();
    body_.clear();
    expected_ = -1;
    // Not a new connection every tick while the server is away.
    timeLeft_ = kBackOffSeconds;
}

}  // namespace qc::game
