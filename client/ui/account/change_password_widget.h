#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "client/core/account/account_windows.h"
#include "client/ui/account/dialog_parts.h"
#include "client/ui/lazy_host.h"

namespace qc::ui {

// "Change Password": the old password, the new one twice, all masked. It
// draws the state the core's ChangePasswordWindow hands it and passes each
// edit and click back.
class ChangePasswordWidget : public QDialog, public account::ChangePasswordView {
    Q_OBJECT
  public:
    explicit ChangePasswordWidget(account::ChangePasswordWindow& logic);

    void Render(const account::ChangePasswordState& state) override;
    void OpenOver(const WindowRect& parent) override;
    void Close() override;

    // Esc, and the title bar's close button through closeEvent.
    void reject() override;

    QLineEdit* Field(account::PasswordField field) {
        return boxes_[static_cast<std::size_t>(field)];
    }
    QPushButton* Button(const char* name) {
        return findChild<QPushButton*>(QString::fromLatin1(name));
    }

  private:
    account::ChangePasswordWindow& logic_;
    std::array<QLineEdit*, 3> boxes_{};
    ChildOpening opening_;
    int focusSerial_ = 0;
};

// Builds the window when it is first opened.
struct ChangePasswordHost : LazyChildHost<account::ChangePasswordState, ChangePasswordWidget> {
    explicit ChangePasswordHost(account::ChangePasswordWindow& logic)
        : LazyChildHost(BuildWith<ChangePasswordWidget>(logic)) {}
};

}  // namespace qc::ui
