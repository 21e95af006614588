#pragma once

#include "client/core/window_views.h"
#include "client/platform/dialogs.h"

namespace qc::ui {

// Stands in for the settings window: tells the user that the account needs
// a password before it can log in.
class PasswordNotice : public SettingsWindowView {
  public:
    explicit PasswordNotice(platform::Dialogs& dialogs) : dialogs_(dialogs) {}
    void ShowWithFocus(SettingsFocus focus) override;

  private:
    platform::Dialogs& dialogs_;
};

}  // namespace qc::ui
