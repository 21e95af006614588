#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/core/game/game_window.h"
#include "client/core/lobby/game_list_window.h"
#include "client/core/window_views.h"
#include "client/platform/clock.h"
#include "client/platform/datagram_socket.h"
#include "client/platform/dialogs.h"
#include "client/platform/event_loop.h"
#include "client/platform/locale.h"
#include "client/platform/media.h"
#include "client/platform/stream_socket.h"
#include "client/platform/timer.h"
#include "client/platform/tray.h"

namespace qc::fakes {

// Virtual time shared by the fake clock and the fake timers: tests advance
// it explicitly, so minutes of protocol life run in microseconds.
class VirtualTimers : public platform::TimerFactory, public platform::Clock {
  public:
    explicit VirtualTimers(platform::CivilTime start = {2026, 12, 9, 12, 0, 0}) : start_(start) {}

    std::unique_ptr<platform::Timer> CreateTimer(int intervalMs,
                                                 std::function<void()> onTick) override;
    platform::CivilTime LocalNow() const override;

    // Runs every tick that falls due within the next `ms` milliseconds, in
    // order of due time.
    void Advance(std::int64_t ms);
    std::int64_t NowMs() const { return nowMs_; }
    void SetLocalTime(platform::CivilTime t);

  private:
    friend class VirtualTimer;
    struct Entry;
    std::vector<Entry*> timers_;
    std::int64_t nowMs_ = 0;
    platform::CivilTime start_;
    std::int64_t startOffsetMs_ = 0;
};

class FakeSocket : public platform::DatagramSocket {
  public:
    void Close() override;
    bool Bind() override;
    bool SetRemote(const std::string& host, std::uint16_t port) override;
    bool SendDatagram(const std::string& bytes) override;
    std::optional<std::size_t> ReadPending(std::string& out) override;

    // Queues a datagram from the server and raises the arrival event.
    void Receive(const std::string& bytes);
    // Queues without raising the event (delivered with the next one).
    void Queue(const std::string& bytes) { pending_.push_back(bytes); }
    // A datagram from another sender: the event is raised, but the socket
    // drops it unread, as the real one does.
    void ReceiveForeign();

    std::vector<std::string> sent;
    bool open = false;
    std::string remoteHost;
    std::uint16_t remotePort = 0;
    int closeCount = 0;
    int bindCount = 0;
    bool failBind = false;
    bool failSend = false;
    bool failRead = false;

  private:
    std::vector<std::string> pending_;
};

class FakeEventLoop : public platform::EventLoop {
  public:
    void ProcessPendingEvents() override {
        ++calls;
        if (onProcess) {
            onProcess();
        }
    }
    int calls = 0;
    std::function<void()> onProcess;
};

// A TCP connection the test drives: it records what the core asks and
// delivers the events the test chooses.
class FakeStreamSocket : public platform::StreamSocket {
  public:
    void Connect(const std::string& host, std::uint16_t port) override {
        connects.push_back(host + ":" + std::to_string(port));
        open = true;
    }
    void Write(const std::string& bytes) override { written += bytes; }
    void Close() override {
        if (open) {
            ++closes;
        }
        open = false;
    }
    void Connected() {
        if (onConnected) {
            onConnected();
        }
    }
    void Data(const std::string& bytes) {
        if (onData) {
            onData(bytes);
        }
    }
    void Error() {
        open = false;
        if (onError) {
            onError();
        }
    }
    std::vector<std::string> connects;
    std::string written;
    int closes = 0;
    bool open = false;
};

class RecordingTray : public platform::TrayService {
  public:
    struct Call {
        std::string op;  // "add", "modify", "delete"
        platform::TrayRecord record;
    };
    bool Add(const platform::TrayRecord& r) override;
    bool Modify(const platform::TrayRecord& r) override;
    bool Delete() override;
    bool Available() const override { return available; }
    void ShowMessage(int id, const std::string& title, const std::string& text) override {
        messages.push_back({id, title, text});
    }
    const platform::TrayRecord& Last() const { return calls.back().record; }
    // The user clicks a notification that was shown.
    void ClickMessage(int id) {
        if (onMessageClicked) {
            onMessageClicked(id);
        }
    }
    struct Message {
        int id = 0;
        std::string title;
        std::string text;
    };
    std::vector<Call> calls;
    std::vector<Message> messages;
    bool fail = false;
    bool available = true;
};

// Records the sound player's calls as "open FILE", "play" and "close".
class RecordingSound : public platform::SoundPlayer {
  public:
    bool Open(const std::filesystem::path& file) override {
        calls.push_back("open " + file.string());
        return !fail;
    }
    bool Play() override {
        calls.push_back("play");
        return !fail;
    }
    void Close() override { calls.push_back("close"); }
    std::vector<std::string> calls;
    bool fail = false;
};

// Message boxes answered from a script; a box may run code while "open",
// as a nested event loop would.
class ScriptedDialogs : public platform::Dialogs {
  public:
    platform::MessageAnswer MessageBox(const std::string& text,
                                       platform::MessageButtons buttons) override;
    struct Box {
        std::string text;
        platform::MessageButtons buttons;
    };
    std::optional<std::filesystem::path> OpenFile(const std::string& title,
                                                  const std::vector<platform::FileFilter>& filters,
                                                  const std::filesystem::path& current) override;
    std::vector<Box> boxes;
    std::vector<platform::MessageAnswer> answers;  // used in order; then Ok/No
    std::function<void()> whileOpen;
    // File dialogs: what each was opened with, and the answers in order
    // (then: cancelled).
    struct FileDialog {
        std::string title;
        std::vector<platform::FileFilter> filters;
        std::filesystem::path current;
    };
    std::vector<FileDialog> fileDialogs;
    std::vector<std::optional<std::filesystem::path>> files;
};

class RecordingFloater : public FloaterView {
  public:
    void Render(const FloaterState& s) override {
        if (renders == 0 || s.left != left || s.top != top) {
            ++moves;
        }
        if (renders == 0 || s.topmost != topmost) {
            ++topmostCalls;
        }
        picture = s.picture;
        tooltip = s.tooltip;
        left = s.left;
        top = s.top;
        topmost = s.topmost;
        visible = s.visible;
        ++renders;
    }
    int renders = 0;

    platform::TrayPicture picture = platform::TrayPicture::Grey;
    std::string tooltip;
    double left = 0;
    double top = 0;
    int moves = 0;
    bool topmost = false;
    int topmostCalls = 0;
    bool visible = false;
};

class RecordingSettingsWindow : public SettingsWindowView {
  public:
    void ShowWithFocus(SettingsFocus focus) override { shown.push_back(focus); }
    std::vector<SettingsFocus> shown;
};

// A window that records what the controller asks of it.
template <typename Base>
class RecordingWindow : public Base {
  public:
    bool IsLoaded() const override { return loaded; }
    bool IsShown() const override { return shown; }
    void Show() override {
        loaded = shown = true;
        ++shows;
    }
    void Unload() override {
        loaded = shown = false;
        ++unloads;
    }
    void Update() override { ++updates; }
    bool loaded = false;
    bool shown = false;
    int shows = 0;
    int updates = 0;
    int unloads = 0;
};

using RecordingListWindow = RecordingWindow<ListWindowView>;

class RecordingRequestWindow : public RecordingWindow<RequestWindowView> {
  public:
    void SetOpponent(const std::string& qvid) override { opponent = qvid; }
    std::string opponent;
};

class RecordingPlainWindow : public WindowView {
  public:
    bool IsLoaded() const override { return loaded; }
    bool IsShown() const override { return shown; }
    void Show() override { loaded = shown = true; }
    void Unload() override { loaded = shown = false; }
    bool loaded = false;
    bool shown = false;
};

// Formats as "2026-12-09 12:00:00" and "2026-12-09"; numbers with the
// decimal separator asked for.
class IsoDateTimeFormat : public platform::DateTimeFormat {
  public:
    std::string DateTime(const platform::CivilTime& t) override;
    std::string Date(const platform::CivilTime& t) override;
    std::string Fixed(double value, int decimals) override;
    char decimalSeparator = '.';
};

class RecordingTrayMenu : public TrayMenuView {
  public:
    void Popup(const TrayMenuState& state) override { popups.push_back(state); }
    void Unload() override { ++unloads; }
    std::vector<TrayMenuState> popups;
    int unloads = 0;
};

// A window's widget that records the states it is handed.
template <typename View, typename State>
class RecordingStateView : public View {
  public:
    void Render(const State& s) override {
        state = s;
        ++renders;
    }
    void Open(double l, double t) override {
        left = l;
        top = t;
        open = true;
        ++opens;
    }
    void Raise() override { ++raises; }
    void Close() override { open = false; }
    double Left() const override { return left; }
    double Top() const override { return top; }
    State state;
    int renders = 0;
    int opens = 0;
    int raises = 0;
    bool open = false;
    double left = 0;
    double top = 0;
};

using RecordingGameListView = RecordingStateView<lobby::GameListView, lobby::GameListState>;
using RecordingGameWindowView = RecordingStateView<game::GameWindowView, game::GameWindowState>;

}  // namespace qc::fakes
