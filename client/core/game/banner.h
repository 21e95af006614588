#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "client/platform/stream_socket.h"
#include "client/platform/timer.h"

namespace qc::game {

// Where the banners come from.
struct BannerServer {
    std::string host;
    std::uint16_t port = 80;
};

// The banner of the game window: while the window is open a picture and
// the page it links to are fetched about every two minutes over a TCP
// connection of their own. The reply is "<count> <address>" CR, then
// exactly <count> bytes of a picture file. A banner stays until the next
// one is whole; a failed fetch keeps it.
class Banner {
  public:
    // The request: the program's name for the service and its version.
    static constexpr const char* kRequest = "Ad Chess v1.20";
    static constexpr std::size_t kMaxHeader = 1024;
    static constexpr std::int32_t kMaxPicture = 2 * 1024 * 1024;
    static constexpr int kTickMs = 5000;
    static constexpr int kCycleSeconds = 120;
    // After a failure the next try waits this long, not just one tick.
    static constexpr int kBackOffSeconds = 60;

    Banner(platform::StreamSocket& socket, platform::TimerFactory& timers, BannerServer server);
    ~Banner();
    Banner(const Banner&) = delete;
    Banner& operator=(const Banner&) = delete;

    // Runs when the picture or its address changed.
    std::function<void()> changed;

    // The game window opened: no banner until the reply to the fetch at the
    // next tick.
    void WindowOpened();
    // The game window closed: no more fetching; the connection goes.
    void WindowClosed();

    void Tick();

    // The picture file's bytes, or null when there is none to show.
    const std::shared_ptr<const std::string>& Picture() const { return picture_; }
    const std::string& Url() const { return url_; }
    std::int16_t TimeLeft() const { return timeLeft_; }
    bool Fetching() const { return connected_ || connecting_; }

  private:
    void OnConnected();
    void OnData(const std::string& bytes);
    void Fail();
    void Finish();

    platform::StreamSocket& socket_;
    BannerServer server_;
    std::unique_ptr<platform::Timer> timer_;
    std::int16_t timeLeft_ = 0;
    std::string url_;
    std::shared_ptr<const std::string> picture_;
    // The reply so far: the header until its CR, then the picture.
    std::string header_;
    std::string body_;
    std::string pendingUrl_;
    // -1 until the header has been read.
    std::int32_t expected_ = -1;
    bool connecting_ = false;
    bool connected_ = false;
};

}  // namespace qc::game
