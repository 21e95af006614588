#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/window_views.h"
#include "client/platform/dialogs.h"

// The two windows that the settings window opens for the account: creating
// one and changing its password. Each disables its parent while it is open.
namespace qc::account {

// What the account windows need of the settings window.
class ParentWindow {
  public:
    virtual ~ParentWindow() = default;
    virtual const std::string& QvidBox() const = 0;
    virtual void SetQvidBox(const std::string& qvid) = 0;
    virtual void SetPasswordBox(const std::string& password) = 0;
    virtual void Focus(SettingsFocus focus) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual WindowRect Geometry() const = 0;
};

// Where an account window asks for the focus; `serial` changes with each
// request so that the widget moves the focus once per request.
template <typename Box>
struct BoxFocus {
    std::optional<Box> box;
    bool selectAll = false;
    int serial = 0;
    bool operator==(const BoxFocus&) const = default;
};

// What both windows use.
struct AccountWindowContext {
    platform::Dialogs& dialogs;
    ParentWindow& parent;
    // Sends a command whether logged in or not.
    std::function<void(const std::string& command)> sendAnytime;
    std::function<void(const std::string& page)> site;
};

enum class CreateField : int { Qvid, Email, FirstName, LastName, Referrer };

struct CreateAccountState {
    std::string qvid;
    std::string email;
    std::string firstName;
    std::string lastName;
    std::string referrer;
    BoxFocus<CreateField> focus;
    bool operator==(const CreateAccountState&) const = default;
};

using CreateAccountView = ChildView<CreateAccountState>;

// A field as it is cleaned when its box loses the focus: the identifier,
// the address and the referrer lose commas and blanks, the names commas.
std::string CleanCreateField(CreateField field, std::string_view text);

// "Create QVID": asks the server for a new account; the password is mailed.
class CreateAccountWindow : public WindowView {
  public:
    explicit CreateAccountWindow(AccountWindowContext context) : ctx_(std::move(context)) {}

    void Attach(CreateAccountView* view) { view_ = view; }

    bool IsLoaded() const override { return loaded_; }
    bool IsShown() const override { return loaded_; }
    // Opens empty over the settings window, which is disabled meanwhile.
    void Show() override;
    void Unload() override;

    void Edit(CreateField field, const std::string& text);
    void FieldDone(CreateField field);
    void Create();
    void Cancel() { Unload(); }
    void Disclaimer();
    void Terms();

    // The server's replies: "created", and "!c" with the refusal's number.
    void Created();
    void Refused(std::string_view line);

    const CreateAccountState& State() const { return state_; }

  private:
    void Render();
    void FocusOn(CreateField field);

    AccountWindowContext ctx_;
    CreateAccountView* view_ = nullptr;
    CreateAccountState state_;
    bool loaded_ = false;
    // Changes with every load, so a reply handled while a box was open can
    // tell that the window it started with is gone.
    int generation_ = 0;
};

enum class PasswordField : int { Old, New, Confirm };

struct ChangePasswordState {
    std::string oldPassword;
    std::string newPassword;
    std::string confirmPassword;
    BoxFocus<PasswordField> focus;
    bool operator==(const ChangePasswordState&) const = default;
};

using ChangePasswordView = ChildView<ChangePasswordState>;

// What changing the password needs beyond the shared context.
struct ChangePasswordContext {
    AccountWindowContext common;
    // The account logged in now.
    std::function<std::string()> currentQvid;
    // Stores the digest the next login uses.
    std::function<void(const std::string& pwHash)> storeDigest;
};

// "Change Password": proves the old password by its digest and sends the
// new one in its digit encoding.
class ChangePasswordWindow : public WindowView {
  public:
    explicit ChangePasswordWindow(ChangePasswordContext context) : ctx_(std::move(context)) {}

    void Attach(ChangePasswordView* view) { view_ = view; }

    bool IsLoaded() const override { return loaded_; }
    bool IsShown() const override { return loaded_; }
    void Show() override;
    void Unload() override;

    // `fits`: the typed text is all Windows-1252, so `text` is exactly it.
    void Edit(PasswordField field, const std::string& text, bool fits);
    // The change button (Enter).
    void Change();
    void Cancel() { Unload(); }

    // The server's replies: "changedpw", and "!a" with the refusal's number.
    void Changed();
    void Refused(std::string_view line);

    const ChangePasswordState& State() const { return state_; }

  private:
    void Render();
    void FocusOn(PasswordField field);

    ChangePasswordContext ctx_;
    ChangePasswordView* view_ = nullptr;
    ChangePasswordState state_;
    std::array<bool, 3> fits_{true, true, true};
    bool loaded_ = false;
    int generation_ = 0;
};

// The number after a refusal's two characters, rounded; 0 when none.
int RefusalNumber(std::string_view line);

}  // namespace qc::account
