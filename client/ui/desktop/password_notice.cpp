#include "client/ui/desktop/password_notice.h"

namespace qc::ui {

void PasswordNotice::ShowWithFocus(SettingsFocus focus) {
    // The refusals have already said what is wrong in their own box.
    if (focus == SettingsFocus::Password) {
        dialogs_.MessageBox(
            "This account needs a password before Quorvel Chess can log in. Enter it in the "
            "settings, or remove the account to play as a guest.",
            platform::MessageButtons::Ok);
    }
}

}  // namespace qc::ui
