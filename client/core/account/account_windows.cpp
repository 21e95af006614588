#include "client/core/account/account_windows.h"

#include <charconv>
#include <cmath>

#include "client/core/account/password.h"
#include "client/core/text.h"

namespace qc::account {

namespace {

using platform::MessageButtons;

std::string Without(std::string_view text, std::string_view drop) {
    std::string out;
    for (char c : text) {
        if (drop.find(c) == std::string_view::npos) {
            out += c;
        }
    }
    return out;
}

}  // namespace

int RefusalNumber(std::string_view line) {
    std::string_view rest = line.size() > 2 ? line.substr(2) : std::string_view();
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
        rest.remove_prefix(1);
    }
    double value = 0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value) || std::fabs(value) > 1e9) {
        return 0;
    }
    return static_cast<int>(std::nearbyint(value));
}

std::string CleanCreateField(CreateField field, std::string_view text) {
    switch (field) {
        case CreateField::Qvid:
        case CreateField::Email:
        case CreateField::Referrer:
            return Without(text, ", ");
        case CreateField::FirstName:
        case CreateField::LastName:
            break;
    }
    return Without(text, ",");
}

// --- Create QVID -----------------------------------------------------------

void CreateAccountWindow::Render() {
    if (view_ != nullptr) {
        view_->Render(state_);
    }
}

void CreateAccountWindow::Show() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    ++generation_;
    state_ = CreateAccountState{};
    ctx_.parent.SetEnabled(false);
    Render();
    if (view_ != nullptr) {
        view_->OpenOver(ctx_.parent.Geometry());
    }
}

void CreateAccountWindow::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    if (view_ != nullptr) {
        view_->Close();
    }
    ctx_.parent.SetEnabled(true);
}

static std::string* FieldOf(CreateAccountState& s, CreateField field) {
    switch (field) {
        case CreateField::Qvid:
            return &s.qvid;
        case CreateField::Email:
            return &s.email;
        case CreateField::FirstName:
            return &s.firstName;
        case CreateField::LastName:
            return &s.lastName;
        case CreateField::Referrer:
            break;
    }
    return &s.referrer;
}

void CreateAccountWindow::Edit(CreateField field, const std::string& text) {
    *FieldOf(state_, field) = text;
    Render();
}

void CreateAccountWindow::FieldDone(CreateField field) {
    std::string& text = *FieldOf(state_, field);
    text = CleanCreateField(field, text);
    Render();
}

void CreateAccountWindow::FocusOn(CreateField field) {
    state_.focus.box = field;
    state_.focus.selectAll = true;
    ++state_.focus.serial;
}

void CreateAccountWindow::Create() {
    if (state_.qvid.empty() || state_.email.empty()) {
        ctx_.dialogs.MessageBox("Please fill in all required fields (QVID and email address).",
                                MessageButtons::Ok);
        return;
    }
    // The button may be pressed while a box still has the focus: clean every
    // box as leaving it would, so no blank reaches the identifier.
    for (CreateField f : {CreateField::Qvid, CreateField::Email, CreateField::FirstName,
                          CreateField::LastName, CreateField::Referrer}) {
        std::string& text = *FieldOf(state_, f);
        text = CleanCreateField(f, text);
    }
    Render();
    ctx_.sendAnytime("createqvid " + state_.qvid + "," + state_.email + "," + state_.firstName +
                     "," + state_.lastName + "," + state_.referrer);
}

void CreateAccountWindow::Disclaimer() {
    ctx_.site("disclaimer.html");
}

void CreateAccountWindow::Terms() {
    ctx_.site("terms.html");
}

void CreateAccountWindow::Created() {
    // A reply for a window that is not open is not meant for anything shown.
    if (!loaded_) {
        return;
    }
    const int generation = generation_;
    ctx_.parent.SetQvidBox(state_.qvid);
    ctx_.dialogs.MessageBox("Please check your email to receive your password.",
                            MessageButtons::Ok);
    // Another reply, handled while the box was open, may have closed it.
    if (!loaded_ || generation != generation_) {
        return;
    }
    Unload();
    ctx_.parent.Focus(SettingsFocus::PasswordCleared);
}

void CreateAccountWindow::Refused(std::string_view line) {
    if (!loaded_) {
        return;
    }
    const int generation = generation_;
    std::optional<CreateField> focus;
    const char* message = "Unknown error.";
    switch (RefusalNumber(line)) {
        case 1:
            message = "Invalid QVID.";
            focus = CreateField::Qvid;
            break;
        case 2:
            message = "Invalid e-mail address.";
            focus = CreateField::Email;
            break;
        case 3:
            message = "Sorry, the QVID you requested is already taken.";
            focus = CreateField::Qvid;
            break;
        case 4:
            message = "E-mail address already assigned to a QVID.";
            focus = CreateField::Email;
            break;
        default:
            break;
    }
    ctx_.dialogs.MessageBox(message, MessageButtons::Ok);
    if (!loaded_ || generation != generation_ || !focus) {
        return;
    }
    FocusOn(*focus);
    Render();
}

// --- Change password -------------------------------------------------------

void ChangePasswordWindow::Render() {
    if (view_ != nullptr) {
        view_->Render(state_);
    }
}

void ChangePasswordWindow::Show() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    ++generation_;
    state_ = ChangePasswordState{};
    fits_ = {true, true, true};
    ctx_.common.parent.SetEnabled(false);
    Render();
    if (view_ != nullptr) {
        view_->OpenOver(ctx_.common.parent.Geometry());
    }
}

void ChangePasswordWindow::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    if (view_ != nullptr) {
        view_->Close();
    }
    ctx_.common.parent.SetEnabled(true);
}

void ChangePasswordWindow::Edit(PasswordField field, const std::string& text, bool fits) {
    switch (field) {
        case PasswordField::Old:
            state_.oldPassword = text;
            break;
        case PasswordField::New:
            state_.newPassword = text;
            break;
        case PasswordField::Confirm:
            state_.confirmPassword = text;
            break;
    }
    fits_[static_cast<std::size_t>(field)] = fits;
    Render();
}

void ChangePasswordWindow::FocusOn(PasswordField field) {
    state_.focus.box = field;
    state_.focus.selectAll = false;
    ++state_.focus.serial;
}

void ChangePasswordWindow::Change() {
    platform::Dialogs& dialogs = ctx_.common.dialogs;
    if (state_.oldPassword.empty() || state_.newPassword.empty() ||
        state_.confirmPassword.empty()) {
        dialogs.MessageBox("Please fill in all fields.", MessageButtons::Ok);
        return;
    }
    if (state_.newPassword != state_.confirmPassword) {
        dialogs.MessageBox("Passwords do not match.", MessageButtons::Ok);
        state_.newPassword.clear();
        state_.confirmPassword.clear();
        FocusOn(PasswordField::New);
        Render();
        return;
    }
    // A character the wire code page cannot hold would be sent as another
    // one, and the password would no longer be the one typed.
    if (!fits_[0] || !fits_[1] || !fits_[2]) {
        dialogs.MessageBox(
            "Passwords can only use the characters of the Western European (Windows-1252) "
            "character set.",
            MessageButtons::Ok);
        return;
    }
    ctx_.common.sendAnytime("changepw " + ctx_.common.parent.QvidBox() + " " +
                            Swordfish(state_.oldPassword) + " " +
                            EncodeNewPassword(state_.newPassword));
}

void ChangePasswordWindow::Changed() {
    if (!loaded_) {
        return;
    }
    ParentWindow& parent = ctx_.common.parent;
    parent.SetPasswordBox(state_.newPassword);
    // The old digest no longer logs in: keep the new one at once, so that a
    // Cancel in the settings window does not leave a digest that fails.
    if (text::EqualsIgnoreCase(parent.QvidBox(), ctx_.currentQvid())) {
        ctx_.storeDigest(Swordfish(state_.newPassword));
    }
    Unload();
}

void ChangePasswordWindow::Refused(std::string_view line) {
    if (!loaded_) {
        return;
    }
    const int generation = generation_;
    platform::Dialogs& dialogs = ctx_.common.dialogs;
    switch (RefusalNumber(line)) {
        case 1:
            dialogs.MessageBox(
                "You are trying to change the password for a QVID that doesn't exist.",
                MessageButtons::Ok);
            if (loaded_ && generation == generation_) {
                Unload();
                ctx_.common.parent.Focus(SettingsFocus::QvidSelectAll);
            }
            return;
        case 2:
            dialogs.MessageBox("The password you entered (under \"Old password\") is incorrect.",
                               MessageButtons::Ok);
            if (loaded_ && generation == generation_) {
                state_.oldPassword.clear();
                fits_[0] = true;
                FocusOn(PasswordField::Old);
                Render();
            }
            return;
        default:
            dialogs.MessageBox("Unknown error.", MessageButtons::Ok);
            return;
    }
}

}  // namespace qc::account
