#include "client/ui/settings/settings_widget.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "client/qt/qt_platform.h"

namespace qc::ui {

using settings::SettingsBox;
using settings::SettingsWindow;

QCheckBox* SettingsWidget::MakeBox(SettingsBox box, const char* name, const QString& caption,
                                   QWidget* parent) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    // clicked, not toggled: a render that ticks the box is no user action.
    connect(b, &QCheckBox::clicked, this, [this, box](bool on) {
        if (!rendering_) {
            logic_.SetBox(box, on);
        }
    });
    boxes_[static_cast<std::size_t>(box)] = b;
    return b;
}

QPushButton* SettingsWidget::MakeButton(const char* name, const QString& caption, QWidget* parent,
                                        void (SettingsWindow::*action)()) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, [this, action] { (logic_.*action)(); });
    return b;
}

QRadioButton* SettingsWidget::MakeOption(const char* name, const QString& caption, QWidget* parent,
                                         QButtonGroup* group, void (SettingsWindow::*choose)(bool),
                                         bool value) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    group->addButton(b);
    connect(b, &QRadioButton::clicked, this, [this, choose, value] {
        if (!rendering_) {
            (logic_.*choose)(value);
        }
    });
    return b;
}

SettingsWidget::SettingsWidget(SettingsWindow& logic) : QDialog(nullptr), logic_(logic) {
    setObjectName(QStringLiteral("Settings"));
    setWindowTitle(qt::FromWire(logic_.State().caption));
    ApplyDarkLook(this);
    using W = SettingsWindow;

    // The account: who logs in, and the account's own buttons.
    auto* account = new QGroupBox(tr("Account"), this);
    auto* accountGrid = new QGridLayout(account);
    accountGrid->setVerticalSpacing(4);
    qvid_ = new FocusLineEdit(account);
    qvid_->setObjectName(QStringLiteral("QVIDBox"));
    connect(qvid_, &QLineEdit::textEdited, this,
            [this](const QString& text) { logic_.EditQvid(qt::ToWire(text)); });
    connect(qvid_, &FocusLineEdit::FocusLost, this, [this] {
        if (!rendering_) {
            logic_.QvidDone();
        }
    });
    accountGrid->addWidget(BuddyLabel(tr("&QVID:"), qvid_, account), 0, 0);
    accountGrid->addWidget(qvid_, 0, 1);
    accountGrid->addWidget(PlainLabel(tr("(leave blank to log in as guest)"), account), 1, 1);
    password_ = new FocusLineEdit(account);
    password_->setObjectName(QStringLiteral("PasswordBox"));
    MaskWithStars(password_);
    connect(password_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::string wire = qt::ToWire(text);
        logic_.EditPassword(wire, qt::FromWire(wire) == text);
    });
    accountGrid->addWidget(BuddyLabel(tr("&Password:"), password_, account), 2, 0);
    accountGrid->addWidget(password_, 2, 1);
    accountGrid->addWidget(
        MakeBox(SettingsBox::AppRemember, "AppRemember", tr("Remember passwor&d"), account), 3, 1);
    auto* accountButtons = new QHBoxLayout;
    accountButtons->addWidget(
        MakeButton("ChangePasswordBut", tr("Change Password"), account, &W::ChangePassword));
    accountButtons->addWidget(
        MakeButton("CreateQVIDBut", tr("Create New QVID"), account, &W::CreateAccount));
    accountGrid->addLayout(accountButtons, 4, 0, 1, 2);
    accountGrid->addWidget(
        MakeButton("ContactInfoBut", tr("C&onfigure Email Address and Mobile Phone Number"),
                   account, &W::ContactInfo),
        5, 0, 1, 2);
    accountGrid->setRowStretch(6, 1);

    // What this computer keeps.
    auto* local = new QGroupBox(tr("On this computer"), this);
    auto* localBox = new QVBoxLayout(local);
    localBox->setSpacing(3);
    localBox->addWidget(MakeBox(SettingsBox::RunOnStartUp, "RunOnStartUp",
                                tr("Launch Quorvel Chess on Windows s&tart-up"), local));
    localBox->addWidget(MakeBox(SettingsBox::OpenGameList, "OpenGameList",
                                tr("Open M&y Games and Requests window on launch"), local));
    localBox->addWidget(MakeBox(SettingsBox::PlaySound, "PlaySound",
                                tr("Play a so&und when it's my move or someone requests a game"),
                                local));
    auto* soundRow = new QHBoxLayout;
    soundRow->addSpacing(20);
    chooseSound_ = MakeButton("ChooseSoundBut", tr("Choose Sound"), local, &W::ChooseSound);
    soundRow->addWidget(chooseSound_);
    soundRow->addStretch(1);
    localBox->addLayout(soundRow);
    localBox->addWidget(MakeBox(SettingsBox::Notify, "Notify",
                                tr("Sho&w desktop notifications of moves, requests and deadlines"),
                                local));
    localBox->addSpacing(4);
    localBox->addWidget(PlainLabel(tr("Double-click options:"), local));
    auto* clickGroup = new QButtonGroup(this);
    alwaysList_ = MakeOption("AlwaysList", tr("Always take me to the My Games and Requests window"),
                             local, clickGroup, &W::ChooseAlwaysList, true);
    gameWindow_ =
        MakeOption("GameWinIfMyMove", tr("Take me to the &Game Window if it's my move in a game"),
                   local, clickGroup, &W::ChooseAlwaysList, false);
    for (QRadioButton* option : {alwaysList_, gameWindow_}) {
        auto* row = new QHBoxLayout;
        row->addSpacing(20);
        row->addWidget(option, 1);
        localBox->addLayout(row);
    }
    localBox->addSpacing(4);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(PlainLabel(tr("Display times as:"), local));
    auto* timeGroup = new QButtonGroup(this);
    myTime_ = MakeOption("MyTime", tr("My time"), local, timeGroup, &W::ChooseMyTime, true);
    serverTime_ =
        MakeOption("ServerTime", tr("Server time"), local, timeGroup, &W::ChooseMyTime, false);
    timeRow->addWidget(myTime_);
    timeRow->addWidget(serverTime_);
    timeRow->addStretch(1);
    localBox->addLayout(timeRow);
    auto* floaterRow = new QHBoxLayout;
    floaterRow->addWidget(PlainLabel(tr("Floating indicator:"), local));
    floaterRow->addWidget(
        MakeBox(SettingsBox::FloaterTop, "FloaterTop", tr("&Always on top"), local));
    floaterRow->addWidget(
        MakeBox(SettingsBox::FloaterLock, "FloaterLock", tr("Lock positio&n"), local));
    floaterRow->addStretch(1);
    localBox->addLayout(floaterRow);
    localBox->addStretch(1);

    // What the server keeps with the account.
    auto* remote = new QGroupBox(tr("Saved with your account"), this);
    auto* remoteBox = new QVBoxLayout(remote);
    remoteBox->setSpacing(3);
    remoteBox->addWidget(MakeBox(SettingsBox::ShowLast1, "ShowLast1",
                                 tr("&Highlight last move made on board"), remote));
    remoteBox->addWidget(MakeBox(SettingsBox::ShowLast2, "ShowLast2",
                                 tr("H&ighlight next to last move made on board"), remote));
    remoteBox->addWidget(MakeBox(SettingsBox::ShowPoss, "ShowPoss",
                                 tr("Highlight possible mo&ves by selected piece"), remote));
    remoteBox->addWidget(MakeBox(SettingsBox::EmailMeOnReq, "EmailMeOnReq",
                                 tr("Email me when someone &requests a game with me"), remote));
    remoteBox->addWidget(MakeBox(
        SettingsBox::TextMeOnReq, "TextMeOnReq",
        tr("Text me when someone re&quests a game with me (costs you 1 Quorvel SMS Credit per "
           "text)"),
        remote));
    remoteBox->addWidget(MakeBox(SettingsBox::EmailLink, "EmailLink",
                                 tr("Place link to &email me on my stats and game history pages"),
                                 remote));
    remoteBox->addWidget(MakeBox(SettingsBox::TextLink, "TextLink",
                                 tr("Place link to te&xt me on my stats and game history pages "
                                    "(using sender's Quorvel SMS Credits)"),
                                 remote));
    remoteBox->addStretch(1);

    // What the server counts for the account.
    auto* credits = new QGroupBox(tr("Slots and credits"), this);
    auto* creditsBox = new QVBoxLayout(credits);
    creditsBox->setSpacing(3);
    auto* slotsRow = new QHBoxLayout;
    slotsRow->addWidget(PlainLabel(tr("Your Game Slots:"), credits));
    slots_ = PlainLabel(qt::FromWire(logic_.State().slotsText), credits);
    slots_->setObjectName(QStringLiteral("SlotsLab"));
    slotsRow->addWidget(slots_, 1);
    creditsBox->addLayout(slotsRow);
    creditsBox->addWidget(
        MakeButton("BuySlotsBut", tr("Purchase Game &Slots"), credits, &W::BuySlots));
    creditsBox->addSpacing(6);
    creditsBox->addWidget(PlainLabel(tr("Your Quorvel SMS Credits:"), credits));
    texts_ = PlainLabel(qt::FromWire(logic_.State().textsText), credits);
    texts_->setObjectName(QStringLiteral("TextsLab"));
    creditsBox->addWidget(texts_);
    creditsBox->addWidget(
        MakeButton("BuyTextsBut", tr("Purchase SMS &Credits"), credits, &W::BuyTexts));
    creditsBox->addStretch(1);

    auto* ok = MakeButton("OKBut", tr("O&K"), this, &W::Ok);
    ok->setDefault(true);
    auto* cancel = MakeButton("CancelBut", tr("Cancel"), this, &W::Cancel);

    auto* root = new QGridLayout(this);
    root->setContentsMargins(8, 6, 8, 8);
    root->setHorizontalSpacing(8);
    root->setVerticalSpacing(6);
    root->addWidget(account, 0, 0);
    root->addWidget(local, 0, 1, 1, 2);
    root->addWidget(remote, 1, 0, 2, 2);
    root->addWidget(credits, 1, 2);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch(1);
    okRow->addWidget(ok);
    okRow->addWidget(cancel);
    root->addLayout(okRow, 2, 2);
    root->setColumnStretch(1, 1);

    OutlineBoxes(this);
    // The design size, or what the texts need in the font at hand.
    setFixedSize(sizeHint().expandedTo(QSize(Pixels(kDesignWidth), Pixels(kDesignHeight))));
}

void SettingsWidget::Render(const settings::SettingsWindowState& state) {
    rendering_ = true;
    setWindowTitle(qt::FromWire(state.caption));
    if (!state.enabled && isEnabled()) {
        focusBeforeDisabled_ = focusWidget();
    }
    setEnabled(state.enabled);
    if (state.enabled && focusBeforeDisabled_ != nullptr) {
        // Back from a child window: the user goes on where he was.
        focusBeforeDisabled_->setFocus(Qt::OtherFocusReason);
        focusBeforeDisabled_ = nullptr;
    }
    // The identifier shows as the wire carries it: a character that cannot
    // travel turns into the one that will.
    SetBoxText(qvid_, qt::FromWire(state.qvid));
    SetBoxWire(password_, state.password);
    for (int i = 0; i < settings::kSettingsBoxes; ++i) {
        boxes_[static_cast<std::size_t>(i)]->setChecked(state.Box(static_cast<SettingsBox>(i)));
    }
    (state.alwaysList ? alwaysList_ : gameWindow_)->setChecked(true);
    (state.myTime ? myTime_ : serverTime_)->setChecked(true);
    chooseSound_->setToolTip(qt::FromPath(state.soundFile));
    slots_->setText(qt::FromWire(state.slotsText));
    texts_->setText(qt::FromWire(state.textsText));
    if (state.focus.serial != focusSerial_) {
        focusSerial_ = state.focus.serial;
        if (state.focus.where) {
            MoveFocus(*state.focus.where);
        }
    }
    rendering_ = false;
}

void SettingsWidget::MoveFocus(SettingsFocus where) {
    if (where == SettingsFocus::QvidSelectAll) {
        qvid_->setFocus(Qt::OtherFocusReason);
        qvid_->selectAll();
    } else {
        password_->setFocus(Qt::OtherFocusReason);
    }
    if (isVisible()) {
        activateWindow();
    }
}

void SettingsWidget::Open(const WindowRect& at) {
    move(Pixels(at.left), Pixels(at.top));
    // A freshly opened window starts at its first box.
    qvid_->setFocus(Qt::OtherFocusReason);
    Raise();
}

void SettingsWidget::Raise() {
    show();
    raise();
    activateWindow();
}

void SettingsWidget::Close() {
    hide();
}

WindowRect SettingsWidget::Geometry() const {
    return Twips(frameGeometry());
}

void SettingsWidget::reject() {
    logic_.Cancel();
}

void SettingsWidget::closeEvent(QCloseEvent* event) {
    // While a child window is open this one takes no input, its title bar
    // included: closing it would leave the child without its parent.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace qc::ui
