#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/account/account_windows.h"
#include "client/core/settings/settings.h"
#include "client/core/window_views.h"
#include "client/platform/dialogs.h"

namespace qc::settings {

// What the password box shows for a stored digest.
inline constexpr std::string_view kPasswordPlaceholder = "**********";

// The window's check boxes, in the order they are shown.
enum class SettingsBox : int {
    AppRemember,
    RunOnStartUp,
    OpenGameList,
    PlaySound,
    FloaterTop,
    FloaterLock,
    ShowLast1,
    ShowLast2,
    ShowPoss,
    EmailMeOnReq,
    TextMeOnReq,
    EmailLink,
    TextLink,
    Notify,
};
inline constexpr int kSettingsBoxes = 14;

// Where the controller last put the focus, and a count that changes each
// time it does, so that the widget moves the focus once per request.
struct FocusRequest {
    std::optional<SettingsFocus> where;
    int serial = 0;
    bool operator==(const FocusRequest&) const = default;
};

// Everything the settings window shows. Nothing in it takes effect before OK.
struct SettingsWindowState {
    std::string caption;
    std::string qvid;
    std::string password;  // wire text, or the placeholder
    std::array<bool, kSettingsBoxes> boxes{};
    std::string soundFile;  // a local path, as in the settings
    bool alwaysList = false;
    bool myTime = true;
    std::string slotsText = "10";
    std::string textsText = "Free: 0     Purchased: 0";
    // False while a child window is open.
    bool enabled = true;
    FocusRequest focus;
    bool operator==(const SettingsWindowState&) const = default;

    bool Box(SettingsBox b) const { return boxes[static_cast<std::size_t>(b)]; }
};

using SettingsView = StateView<SettingsWindowState>;

// What only the server sets: the account's text credits and game slots.
struct AccountCredits {
    std::int32_t TextsFree = 0;
    std::int32_t TextsPurchased = 0;
    float Slots = 0;
};

// The server's "settings: " line: seven flags, the credits and the slots.
// A missing field, or a number that does not fit its field, keeps the
// previous value; a field that is no number reads as 0.
void ParseRemoteSettings(std::string_view rest, Settings& prefs, AccountCredits& credits);

// The slot count as the window shows it: the shortest decimal form.
std::string SlotsText(float slots);

// The identifier box's text as it is cleaned: no commas, no blanks.
std::string CleanQvid(std::string_view text);

// What the settings window needs of the login.
class LoginControl {
  public:
    virtual ~LoginControl() = default;
    virtual const std::string& Qvid() const = 0;
    virtual const std::string& PwHash() const = 0;
    virtual bool LoggedIn() const = 0;
    // Sends under the login; dropped while not logged in.
    virtual void Send(const std::string& command) = 0;
    // Sends by the command's rule: the settings command waits for the next
    // login when there is none.
    virtual void SendCommand(const std::string& command) = 0;
    // Logs in, or refreshes when already logged in.
    virtual void Connect() = 0;
    // The account the next login uses.
    virtual void ChangeAccount(const std::string& qvid, const std::string& pwHash) = 0;
    // Drops the login and logs in again shortly.
    virtual void LogInAgainSoon() = 0;
};

// What the settings window reads and whom it asks.
struct SettingsWindowContext {
    LoginControl& login;
    Settings& prefs;
    // Remember the password digest in the settings file.
    bool& appRemember;
    AccountCredits& credits;
    platform::Dialogs& dialogs;
    // Opens a page of the web site.
    std::function<void(const std::string& page)> site;
    std::function<void()> unloadGameWindow;
    // The floating indicator applies its always-on-top setting again.
    std::function<void()> applyFloaterTop;
};

// The settings window: the account, the local preferences and the ones the
// server keeps. It computes what the window shows; the widget draws it and
// forwards each edit and click here.
class SettingsWindow : public WindowView, public SettingsWindowView, public account::ParentWindow {
  public:
    explicit SettingsWindow(SettingsWindowContext context);
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    void Attach(SettingsView* view) { view_ = view; }
    // The buttons that open the account windows; each opens over this one.
    std::function<void()> openChangePassword;
    std::function<void()> openCreateAccount;

    // The server's "settings: " line; `rest` is the text after its prefix.
    void RemoteSettings(std::string_view rest);

    bool IsLoaded() const override { return loaded_; }
    bool IsShown() const override { return loaded_; }
    // Loads the window from the settings, or gives the shown one the focus.
    void Show() override;
    void ShowWithFocus(SettingsFocus focus) override;
    // Keeps the place unless it is (0, 0), and closes the window.
    void Unload() override;
    // The server's values onto a shown window.
    void UpdateRemoteSettings();

    // The user's edits.
    void EditQvid(const std::string& text);
    void QvidDone();
    // `fits`: the typed text is all Windows-1252, so `text` is exactly it.
    void EditPassword(const std::string& text, bool fits);
    void SetBox(SettingsBox box, bool on);
    void ChooseAlwaysList(bool alwaysList);
    void ChooseMyTime(bool myTime);
    void ChooseSound();
    // Buttons.
    void Ok();
    void Cancel() { Unload(); }
    void ChangePassword();
    void CreateAccount();
    void ContactInfo();
    void BuySlots();
    void BuyTexts();

    // For the account windows.
    const std::string& QvidBox() const override { return state_.qvid; }
    void SetQvidBox(const std::string& qvid) override;
    void SetPasswordBox(const std::string& password) override;
    void Focus(SettingsFocus focus) override;
    void SetEnabled(bool enabled) override;
    WindowRect Geometry() const override;

    const SettingsWindowState& State() const { return state_; }

  private:
    void Load();
    void Render();

    SettingsWindowContext ctx_;
    SettingsView* view_ = nullptr;
    SettingsWindowState state_;
    bool passwordFits_ = true;
    bool loaded_ = false;
};

}  // namespace qc::settings
