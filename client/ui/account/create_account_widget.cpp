#include "client/ui/account/create_account_widget.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <string>

#include "client/core/text.h"
#include "client/qt/qt_platform.h"

namespace qc::ui {

using account::CreateAccountWindow;
using account::CreateField;

namespace {

// Wide enough for the boxes, narrow enough that the notes wrap into a block.
constexpr int kWidth = 470;

QLabel* Note(const QString& text, QWidget* parent) {
    QLabel* label = PlainLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

}  // namespace

QPushButton* CreateAccountWidget::MakeButton(const char* name, const QString& caption,
                                             void (CreateAccountWindow::*action)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    // No button answers Enter: a half-filled form is not sent by accident.
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, action] { (logic_.*action)(); });
    return b;
}

CreateAccountWidget::CreateAccountWidget(CreateAccountWindow& logic)
    : QDialog(nullptr), logic_(logic) {
    setObjectName(QStringLiteral("CreateQVID"));
    setWindowTitle(qt::FromWire(std::string(text::kProgramName) + " - Create QVID"));
    ApplyDarkLook(this);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setVerticalSpacing(5);
    grid->setHorizontalSpacing(8);
    static const char* const kNames[] = {"QVIDBox", "EmailBox", "FirstNameBox", "LastNameBox",
                                         "ReferrerBox"};
    auto box = [this](CreateField field) {
        auto* b = new FocusLineEdit(this);
        b->setObjectName(QString::fromLatin1(kNames[static_cast<int>(field)]));
        connect(b, &QLineEdit::textEdited, this,
                [this, field](const QString& text) { logic_.Edit(field, qt::ToWire(text)); });
        connect(b, &FocusLineEdit::FocusLost, this, [this, field] {
            if (!rendering_) {
                logic_.FieldDone(field);
            }
        });
        boxes_[static_cast<std::size_t>(field)] = b;
        return b;
    };
    int row = 0;
    auto field = [&](CreateField f, const QString& caption) {
        FocusLineEdit* b = box(f);
        grid->addWidget(BuddyLabel(caption, b, this), row, 0);
        grid->addWidget(b, row++, 1);
    };
    field(CreateField::Qvid, tr("Choose a &QVID*:"));
    grid->addWidget(Note(tr("6-30 characters; only letters, numbers, underscores (_) and hyphens "
                            "(-) allowed; first character must be a letter."),
                         this),
                    row++, 1);
    field(CreateField::Email, tr("&Email address*:"));
    field(CreateField::FirstName, tr("First &name:"));
    field(CreateField::LastName, tr("Last n&ame:"));
    field(CreateField::Referrer, tr("&Referred by:"));
    grid->addWidget(
        Note(tr("If you were referred to Quorvel Chess by someone, please enter their QVID here."),
             this),
        row++, 1);
    grid->setRowMinimumHeight(row++, 4);
    grid->addWidget(PlainLabel(tr("* Required field"), this), row++, 0, 1, 2);
    grid->addWidget(Note(tr("By clicking the \"Create QVID\" button you are agreeing to our "
                            "disclaimer and terms and conditions. "),
                         this),
                    row++, 0, 1, 2);
    grid->setRowMinimumHeight(row++, 4);

    using W = CreateAccountWindow;
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MakeButton("CreateBut", tr("&Create QVID"), &W::Create));
    buttons->addWidget(MakeButton("CancelBut", tr("Cancel"), &W::Cancel));
    buttons->addStretch(1);
    buttons->addWidget(MakeButton("DisclaimerBut", tr("&Disclaimer"), &W::Disclaimer));
    buttons->addWidget(MakeButton("TermsBut", tr("&Terms and Conditions"), &W::Terms));
    grid->addLayout(buttons, row, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    OutlineBoxes(this);
    const int width = std::max(kWidth, sizeHint().width());
    setFixedSize(width, hasHeightForWidth() ? heightForWidth(width) : sizeHint().height());
}

void CreateAccountWidget::Render(const account::CreateAccountState& state) {
    rendering_ = true;
    // Shown as the wire carries them: what is seen is what will be sent.
    SetBoxText(boxes_[0], qt::FromWire(state.qvid));
    SetBoxText(boxes_[1], qt::FromWire(state.email));
    SetBoxText(boxes_[2], qt::FromWire(state.firstName));
    SetBoxText(boxes_[3], qt::FromWire(state.lastName));
    SetBoxText(boxes_[4], qt::FromWire(state.referrer));
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
    rendering_ = false;
}

void CreateAccountWidget::OpenOver(const WindowRect& parent) {
    opening_.Open(this, boxes_[0], parent);
}

void CreateAccountWidget::Close() {
    opening_.Close(this);
}

void CreateAccountWidget::reject() {
    logic_.Cancel();
}

}  // namespace qc::ui
