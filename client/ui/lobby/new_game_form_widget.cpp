#include "client/ui/lobby/new_game_form_widget.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QScopedValueRollback>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "client/qt/qt_platform.h"
#include "client/ui/lobby/dark_grid.h"

namespace qc::ui {

namespace {

constexpr double kDesignWidthTwips = 4545;

const char* WindowName(lobby::FormKind kind) {
    switch (kind) {
        case lobby::FormKind::Request:
            return "Request";
        case lobby::FormKind::LocalGame:
            return "LocalGame";
        case lobby::FormKind::PlayBot:
            break;
    }
    return "PlayBot";
}

template <typename Names>
QStringList Strings(const Names& names) {
    QStringList out;
    for (const auto& n : names) {
        out << qt::FromWire(std::string(n));
    }
    return out;
}

QStringList Items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) {
        out << box->itemText(i);
    }
    return out;
}

void SetItems(QComboBox* box, const QStringList& items) {
    if (Items(box) != items) {
        box->clear();
        box->addItems(items);
    }
}

void SetIndex(QComboBox* box, int index) {
    if (box->currentIndex() != index) {
        box->setCurrentIndex(index);
    }
}

// Only a text that differs is put in: the cursor stays where the user is
// typing.
void SetText(QLineEdit* edit, const QString& text) {
    if (edit->text() != text) {
        edit->setText(text);
    }
}

}  // namespace

NewGameFormWidget::NewGameFormWidget(lobby::NewGameForm& logic) : QDialog(nullptr), logic_(logic) {
    const lobby::FormKind kind = logic_.Kind();
    setObjectName(QString::fromLatin1(WindowName(kind)));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(LobbyFont(font()));
    setStyleSheet(DarkWindowStyle(objectName()) +
                  QStringLiteral("QCheckBox, QRadioButton { color: rgb(0,153,255); }"
                                 "QCheckBox:disabled { color: rgb(0,77,128); }"));

    auto* root = new QVBoxLayout(this);
    // The form is as large as its controls and cannot be resized.
    root->setSizeConstraint(QLayout::SetFixedSize);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    int row = 0;
    if (kind == lobby::FormKind::Request) {
        reqFor_ = new QComboBox(this);
        reqFor_->setObjectName(QStringLiteral("ReqFor"));
        reqFor_->setEditable(true);
        // The list is the server's; Enter starts the request instead.
        reqFor_->setInsertPolicy(QComboBox::NoInsert);
        reqFor_->installEventFilter(this);
        connect(reqFor_->lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
            if (!rendering_) {
                logic_.EditOpponent(qt::ToWire(text));
            }
        });
        connect(reqFor_, &QComboBox::activated, this, [this] {
            if (!rendering_) {
                logic_.EditOpponent(qt::ToWire(reqFor_->currentText()));
                logic_.OpponentDone();
            }
        });
        AddLabel(grid, row, "Label1", tr("Request game &with:"), reqFor_);
        grid->addWidget(reqFor_, row++, 1, 1, 2);
        AddNote(grid, row++, "Label7", tr("(leave blank to make a public request) "));
    }
    if (kind == lobby::FormKind::PlayBot) {
        skillLevel_ = MakeList("SkillLevel");
        skillLevel_->addItems(Strings(lobby::kSkillLevelNames));
        connect(skillLevel_, &QComboBox::activated, this, [this](int level) {
            if (!rendering_) {
                logic_.ChooseSkillLevel(level);
            }
        });
        AddLabel(grid, row, "Label1", tr("&Bot skill level:"), skillLevel_);
        grid->addWidget(skillLevel_, row++, 1, 1, 2);
    }
    AddGameType(grid, row++);
    if (kind != lobby::FormKind::LocalGame) {
        AddColour(grid, row++);
    }
    AddMoveTime(
        grid, row++,
        kind == lobby::FormKind::PlayBot ? tr("Your move &time limit:") : tr("Move &time limit:"));
    AddNote(grid, row++, "Label5", tr("(can range from 10 minutes to 4 weeks)"));
    grid->setColumnStretch(1, 1);
    root->addLayout(grid);

    if (kind == lobby::FormKind::Request) {
        using F = lobby::NewGameForm;
        cancelOnDC_ =
            MakeBox("CancelOnDC", tr("Cancel this request when I &log out"), &F::SetCancelOnLogout);
        noGuests_ =
            MakeBox("NoGuests", tr("Do not allow g&uests to accept this request"), &F::SetNoGuests);
        emailMe_ = MakeBox("EmailMe", tr("&Email me when this request is accepted or declined"),
                           &F::SetEmailMe);
        textMe_ = MakeBox("TextMe", tr("Te&xt me when this request is accepted or declined"),
                          &F::SetTextMe);
        root->addSpacing(4);
        for (QCheckBox* b : {cancelOnDC_, noGuests_, emailMe_, textMe_}) {
            root->addWidget(b);
        }
        // Under the text of the box it speaks of.
        auto* cost = new QLabel(tr("(costs 1 Quorvel SMS Credit when sent)"), this);
        cost->setObjectName(QStringLiteral("Label6"));
        const int indent = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, textMe_) +
                           style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, textMe_);
        cost->setContentsMargins(indent, 0, 0, 0);
        root->addWidget(cost);
    }

    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("NoticeLab"));
    // The core's words, never markup.
    notice_->setTextFormat(Qt::PlainText);
    notice_->setAlignment(Qt::AlignCenter);
    notice_->hide();
    root->addSpacing(4);
    root->addWidget(notice_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* start = kind == lobby::FormKind::Request
                             ? MakeButton("RequestBut", tr("&Request Game"),
                                          [](NewGameFormWidget& w) { w.logic_.Start(); })
                             : MakeButton("StartBut", tr("&Start Game"),
                                          [](NewGameFormWidget& w) { w.logic_.Start(); });
    start->setDefault(true);
    QPushButton* cancel =
        MakeButton("CancelBut", tr("Cancel"), [](NewGameFormWidget& w) { w.logic_.Cancel(); });
    const int width = std::max(start->sizeHint().width(), cancel->sizeHint().width());
    for (QPushButton* b : {start, cancel}) {
        b->setMinimumWidth(width);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    root->addSpacing(4);
    root->addLayout(buttons);
    // No narrower than the form was designed.
    const QMargins m = root->contentsMargins();
    root->addStrut(TwipsToPixels(kDesignWidthTwips) - m.left() - m.right());

    setWindowTitle(qt::FromWire(logic_.State().caption));
}

QLabel* NewGameFormWidget::AddLabel(QGridLayout* grid, int row, const char* name,
                                    const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QString::fromLatin1(name));
    l->setBuddy(buddy);
    grid->addWidget(l, row, 0);
    return l;
}

QLabel* NewGameFormWidget::AddNote(QGridLayout* grid, int row, const char* name,
                                   const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QString::fromLatin1(name));
    grid->addWidget(l, row, 0, 1, 3, Qt::AlignRight);
    return l;
}

QComboBox* NewGameFormWidget::MakeList(const char* name) {
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QCheckBox* NewGameFormWidget::MakeBox(const char* name, const QString& caption,
                                      void (lobby::NewGameForm::*set)(bool)) {
    auto* b = new QCheckBox(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    // clicked, not toggled: a render that ticks the box is no user action.
    connect(b, &QCheckBox::clicked, this, [this, set](bool on) {
        if (!rendering_) {
            (logic_.*set)(on);
        }
    });
    return b;
}

QPushButton* NewGameFormWidget::MakeButton(const char* name, const QString& caption,
                                           void (*action)(NewGameFormWidget&)) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, [this, action] { action(*this); });
    return b;
}

void NewGameFormWidget::AddGameType(QGridLayout* grid, int row) {
    gameType_ = MakeList("GameType");
    connect(gameType_, &QComboBox::activated, this, [this](int index) {
        if (!rendering_) {
            logic_.ChooseGameType(index);
        }
    });
    AddLabel(grid, row, "Label2", tr("&Game type:"), gameType_);
    grid->addWidget(gameType_, row, 1);
    QPushButton* info = MakeButton("TypeInfoBut", QStringLiteral("?"),
                                   [](NewGameFormWidget& w) { w.logic_.TypeInfo(); });
    info->setFixedWidth(info->sizeHint().height());
    grid->addWidget(info, row, 2);
}

void NewGameFormWidget::AddColour(QGridLayout* grid, int row) {
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* line = new QHBoxLayout(frame);
    line->setContentsMargins(0, 0, 0, 0);
    white_ = new QRadioButton(tr("White"), frame);
    white_->setObjectName(QStringLiteral("White"));
    black_ = new QRadioButton(tr("Black"), frame);
    black_->setObjectName(QStringLiteral("Black"));
    auto* group = new QButtonGroup(frame);
    group->addButton(white_);
    group->addButton(black_);
    white_->setChecked(true);
    for (QRadioButton* b : {white_, black_}) {
        connect(b, &QRadioButton::clicked, this, [this, b] {
            if (!rendering_) {
                logic_.ChooseBlack(b == black_);
            }
        });
        line->addWidget(b);
    }
    line->addStretch(1);
    AddLabel(grid, row, "Label3", tr("Your &colour:"), white_);
    grid->addWidget(frame, row, 1, 1, 2);
}

void NewGameFormWidget::AddMoveTime(QGridLayout* grid, int row, const QString& label) {
    moveTime_ = new QLineEdit(this);
    moveTime_->setObjectName(QStringLiteral("MoveTime"));
    moveTime_->setFixedWidth(moveTime_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                             16);
    moveTime_->installEventFilter(this);
    connect(moveTime_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!rendering_) {
            logic_.EditMoveTime(qt::ToWire(text));
        }
    });
    timeUnits_ = MakeList("TimeUnits");
    timeUnits_->addItems(Strings(lobby::kTimeUnitNames));
    connect(timeUnits_, &QComboBox::activated, this, [this](int unit) {
        if (!rendering_) {
            logic_.ChooseUnit(unit);
        }
    });
    auto* line = new QHBoxLayout;
    line->addWidget(moveTime_);
    line->addWidget(timeUnits_, 1);
    AddLabel(grid, row, "Label4", label, moveTime_);
    grid->addLayout(line, row, 1, 1, 2);
}

QWidget* NewGameFormWidget::First() const {
    if (reqFor_ != nullptr) {
        return reqFor_;
    }
    if (skillLevel_ != nullptr) {
        return skillLevel_;
    }
    return gameType_;
}

bool NewGameFormWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !rendering_ && isVisible()) {
        // Leaving the box for another control cleans its text; a pop-up or
        // another window taking the focus for a while does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            if (watched == reqFor_) {
                logic_.OpponentDone();
            } else if (watched == moveTime_) {
                logic_.MoveTimeDone();
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void NewGameFormWidget::Render(const lobby::NewGameFormState& s) {
    const QScopedValueRollback guard(rendering_, true);
    const QString caption = qt::FromWire(s.caption);
    if (windowTitle() != caption) {
        setWindowTitle(caption);
    }
    if (reqFor_ != nullptr) {
        const QStringList items = Strings(s.pastOpponents);
        if (Items(reqFor_) != items) {
            // A new list keeps what is typed and where.
            QLineEdit* edit = reqFor_->lineEdit();
            const QString typed = edit->text();
            const int cursor = edit->cursorPosition();
            reqFor_->clear();
            reqFor_->addItems(items);
            edit->setText(typed);
            edit->setCursorPosition(cursor);
        }
        SetText(reqFor_->lineEdit(), qt::FromWire(s.opponent));
    }
    SetItems(gameType_, Strings(s.gameTypes));
    SetIndex(gameType_, s.gameType);
    if (skillLevel_ != nullptr) {
        SetIndex(skillLevel_, s.skillLevel);
    }
    if (white_ != nullptr) {
        (s.black ? black_ : white_)->setChecked(true);
    }
    SetText(moveTime_, qt::FromWire(s.moveTime));
    SetIndex(timeUnits_, s.timeUnit);
    if (cancelOnDC_ != nullptr) {
        cancelOnDC_->setChecked(s.cancelOnLogout);
        noGuests_->setChecked(s.noGuests);
        noGuests_->setEnabled(s.noGuestsEnabled);
        emailMe_->setChecked(s.emailMe);
        textMe_->setChecked(s.textMe);
    }
    notice_->setText(qt::FromWire(s.notice));
    notice_->setVisible(!s.notice.empty());
}

void NewGameFormWidget::Open(const lobby::WindowRect& at) {
    move(TwipsToPixels(at.left), TwipsToPixels(at.top));
    const bool wasShown = isVisible();
    Raise();
    if (!wasShown) {
        First()->setFocus(Qt::OtherFocusReason);
    }
}

void NewGameFormWidget::Raise() {
    show();
    raise();
    activateWindow();
}

void NewGameFormWidget::Close() {
    hide();
}

lobby::WindowRect NewGameFormWidget::Geometry() const {
    const QRect outer = frameGeometry();
    constexpr double k = qt::kTwipsPerPixel;
    return {outer.x() * k, outer.y() * k, outer.width() * k, outer.height() * k};
}

void NewGameFormWidget::reject() {
    logic_.Cancel();
    // A form the core no longer knows as open still goes away.
    if (isVisible()) {
        QDialog::reject();
    }
}

void NewGameFormWidget::closeEvent(QCloseEvent* event) {
    logic_.Cancel();
    event->accept();
}

}  // namespace qc::ui
