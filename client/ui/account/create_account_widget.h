#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "client/core/account/account_windows.h"
#include "client/ui/account/dialog_parts.h"
#include "client/ui/lazy_host.h"

namespace qc::ui {

// "Create QVID": the new account's identifier, address, names and referrer.
// It draws the state the core's CreateAccountWindow hands it and passes each
// edit, each box left and each click back.
class CreateAccountWidget : public QDialog, public account::CreateAccountView {
    Q_OBJECT
  public:
    explicit CreateAccountWidget(account::CreateAccountWindow& logic);

    void Render(const account::CreateAccountState& state) override;
    void OpenOver(const WindowRect& parent) override;
    void Close() override;

    // Esc, and the title bar's close button through closeEvent.
    void reject() override;

    QLineEdit* Field(account::CreateField field) { return boxes_[static_cast<std::size_t>(field)]; }
    QPushButton* Button(const char* name) {
        return findChild<QPushButton*>(QString::fromLatin1(name));
    }

  private:
    QPushButton* MakeButton(const char* name, const QString& caption,
                            void (account::CreateAccountWindow::*action)());

    account::CreateAccountWindow& logic_;
    std::array<FocusLineEdit*, 5> boxes_{};
    // The window it was opened from, which gets the activation back.
    ChildOpening opening_;
    int focusSerial_ = 0;
    bool rendering_ = false;
};

// Builds the window when it is first opened.
struct CreateAccountHost : LazyChildHost<account::CreateAccountState, CreateAccountWidget> {
    explicit CreateAccountHost(account::CreateAccountWindow& logic)
        : LazyChildHost(BuildWith<CreateAccountWidget>(logic)) {}
};

}  // namespace qc::ui
