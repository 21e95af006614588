#include "tests/fakes/fake_platform.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "client/core/protocol/server_time.h"

namespace qc::fakes {

struct VirtualTimers::Entry {
    int interval = 0;
    bool enabled = false;
    std::int64_t due = 0;
    std::function<void()> onTick;
};

class VirtualTimer : public platform::Timer {
  public:
    VirtualTimer(VirtualTimers& owner, int interval, std::function<void()> onTick) : owner_(owner) {
        entry_.interval = interval;
        entry_.onTick = std::move(onTick);
        owner_.timers_.push_back(&entry_);
    }
    ~VirtualTimer() override {
        auto& v = owner_.timers_;
        v.erase(std::remove(v.begin(), v.end(), &entry_), v.end());
    }
    void SetInterval(int ms) override {
        entry_.interval = ms;
        if (entry_.enabled) {
            entry_.due = owner_.nowMs_ + ms;
        }
    }
    int Interval() const override { return entry_.interval; }
    void SetEnabled(bool enabled) override {
        if (enabled && !entry_.enabled) {
            entry_.due = owner_.nowMs_ + entry_.interval;
        }
        entry_.enabled = enabled;
    }
    bool Enabled() const override { return entry_.enabled; }

  private:
    VirtualTimers& owner_;
    VirtualTimers::Entry entry_;
};

std::unique_ptr<platform::Timer> VirtualTimers::CreateTimer(int intervalMs,
                                                            std::function<void()> onTick) {
    return std::make_unique<VirtualTimer>(*this, intervalMs, std::move(onTick));
}

platform::CivilTime VirtualTimers::LocalNow() const {
    return protocol::CivilFromSeconds(protocol::CivilSeconds(start_) +
                                      (nowMs_ + startOffsetMs_) / 1000);
}

void VirtualTimers::SetLocalTime(platform::CivilTime t) {
    start_ = t;
    startOffsetMs_ = -nowMs_;
}

void VirtualTimers::Advance(std::int64_t ms) {
    const std::int64_t end = nowMs_ + ms;
    while (true) {
        Entry* next = nullptr;
        for (Entry* e : timers_) {
            if (e->enabled && e->interval > 0 && e->due <= end &&
                (next == nullptr || e->due < next->due)) {
                next = e;
            }
        }
        if (next == nullptr) {
            break;
        }
        nowMs_ = std::max(nowMs_, next->due);
        next->due = nowMs_ + next->interval;
        // Copy: the tick may destroy or re-create timers.
        auto tick = next->onTick;
        if (tick) {
            tick();
        }
    }
    nowMs_ = end;
}

void FakeSocket::Close() {
    open = false;
    ++closeCount;
}

bool FakeSocket::Bind() {
    ++bindCount;
    if (failBind) {
        return false;
    }
    open = true;
    return true;
}

bool FakeSocket::SetRemote(const std::string& host, std::uint16_t port) {
    remoteHost = host;
    remotePort = port;
    return true;
}

bool FakeSocket::SendDatagram(const std::string& bytes) {
    if (failSend) {
        return false;
    }
    sent.push_back(bytes);
    return true;
}

std::optional<std::size_t> FakeSocket::ReadPending(std::string& out) {
    if (failRead) {
        pending_.clear();
        return std::nullopt;
    }
    const std::size_t count = pending_.size();
    for (const auto& d : pending_) {
        out += d;
    }
    pending_.clear();
    return count;
}

void FakeSocket::ReceiveForeign() {
    if (onDataArrival) {
        onDataArrival();
    }
}

void FakeSocket::Receive(const std::string& bytes) {
    pending_.push_back(bytes);
    if (onDataArrival) {
        onDataArrival();
    }
}

bool RecordingTray::Add(const platform::TrayRecord& r) {
    calls.push_back({"add", r});
    return !fail;
}

bool RecordingTray::Modify(const platform::TrayRecord& r) {
    calls.push_back({"modify", r});
    return !fail;
}

bool RecordingTray::Delete() {
    calls.push_back({"delete", {}});
    return !fail;
}

platform::MessageAnswer ScriptedDialogs::MessageBox(const std::string& text,
                                                    platform::MessageButtons buttons) {
    boxes.push_back({text, buttons});
    if (whileOpen) {
        auto run = std::move(whileOpen);
        whileOpen = nullptr;
        run();
    }
    if (!answers.empty()) {
        const auto a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    return buttons == platform::MessageButtons::Ok ? platform::MessageAnswer::Ok
                                                   : platform::MessageAnswer::No;
}

std::optional<std::filesystem::path> ScriptedDialogs::OpenFile(
    const std::string& title, const std::vector<platform::FileFilter>& filters,
    const std::filesystem::path& current) {
    fileDialogs.push_back({title, filters, current});
    if (files.empty()) {
        return std::nullopt;
    }
    auto answer = files.front();
    files.erase(files.begin());
    return answer;
}

std::string IsoDateTimeFormat::DateTime(const platform::CivilTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

std::string IsoDateTimeFormat::Date(const platform::CivilTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buf;
}

std::string IsoDateTimeFormat::Fixed(double value, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string out = buf;
    std::replace(out.begin(), out.end(), '.', decimalSeparator);
    return out;
}

}  // namespace qc::fakes
