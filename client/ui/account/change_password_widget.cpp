#include "client/ui/account/change_password_widget.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <string>

#include "client/core/text.h"
#include "client/qt/qt_platform.h"

namespace qc::ui {

using account::ChangePasswordWindow;
using account::PasswordField;

ChangePasswordWidget::ChangePasswordWidget(ChangePasswordWindow& logic)
    : QDialog(nullptr), logic_(logic) {
    setObjectName(QStringLiteral("ChangePassword"));
    setWindowTitle(qt::FromWire(std::string(text::kProgramName) + " - Change Password"));
    ApplyDarkLook(this);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(8);
    static const char* const kNames[] = {"OldPasswordBox", "NewPasswordBox", "ConfirmBox"};
    for (PasswordField field : {PasswordField::Old, PasswordField::New, PasswordField::Confirm}) {
        auto* b = new QLineEdit(this);
        b->setObjectName(QString::fromLatin1(kNames[static_cast<int>(field)]));
        MaskWithStars(b);
        b->setMinimumWidth(170);
        connect(b, &QLineEdit::textEdited, this, [this, field](const QString& text) {
            const std::string wire = qt::ToWire(text);
            logic_.Edit(field, wire, qt::FromWire(wire) == text);
        });
        boxes_[static_cast<std::size_t>(field)] = b;
    }
    grid->addWidget(BuddyLabel(tr("&Old password:"), boxes_[0], this), 0, 0);
    grid->addWidget(boxes_[0], 0, 1);
    grid->addWidget(BuddyLabel(tr("&New password:"), boxes_[1], this), 1, 0);
    grid->addWidget(boxes_[1], 1, 1);
    // "Confirm new password:" on two lines, the access key on the first.
    auto* confirm = new QVBoxLayout;
    confirm->setSpacing(0);
    confirm->addWidget(BuddyLabel(tr("C&onfirm"), boxes_[2], this));
    confirm->addWidget(PlainLabel(tr("new password:"), this));
    grid->addLayout(confirm, 2, 0);
    grid->addWidget(boxes_[2], 2, 1, Qt::AlignVCenter);
    grid->setRowMinimumHeight(3, 4);

    auto* change = new QPushButton(tr("&Change Password"), this);
    change->setObjectName(QStringLiteral("ChangeBut"));
    change->setDefault(true);
    connect(change, &QPushButton::clicked, this, [this] { logic_.Change(); });
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBut"));
    connect(cancel, &QPushButton::clicked, this, [this] { logic_.Cancel(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(change);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);

    OutlineBoxes(this);
    setFixedSize(sizeHint());
}

void ChangePasswordWidget::Render(const account::ChangePasswordState& state) {
    // Compared as wire text: a character the wire cannot carry stays as
    // typed, so that the core can refuse it rather than send another one.
    SetBoxWire(boxes_[0], state.oldPassword);
    SetBoxWire(boxes_[1], state.newPassword);
    SetBoxWire(boxes_[2], state.confirmPassword);
    if (state.focus.serial != focusSerial_) {
        focusSerial_ = state.focus.serial;
        if (state.focus.box) {
            QLineEdit* b = boxes_[static_cast<std::size_t>(*state.focus.box)];
            b->setFocus(Qt::OtherFocusReason);
            if (state.focus.selectAll) {
                b->selectAll();
            }
            if (isVisible()) {
                activateWindow();
            }
        }
    }
}

void ChangePasswordWidget::OpenOver(const WindowRect& parent) {
    opening_.Open(this, boxes_[0], parent);
}

void ChangePasswordWidget::Close() {
    opening_.Close(this);
}

void ChangePasswordWidget::reject() {
    logic_.Cancel();
}

}  // namespace qc::ui
