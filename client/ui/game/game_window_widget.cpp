#include "client/ui/game/game_window_widget.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "client/qt/piece_images.h"
#include "client/qt/qt_platform.h"
#include "client/ui/no_focus_delegate.h"

namespace qc::ui {

const QColor GameWindowWidget::kText(0, 153, 255);

namespace {

constexpr int kCell = BoardWidget::kCell;

// The window with both panels shown, and the cuts that fold them away.
constexpr int kFullWidth = 903;   // 13,545 twips
constexpr int kFullHeight = 604;  // 9,060 twips
constexpr int kMainWidth = 675;   // 10,125 twips: the move log strip is cut off
constexpr int kMainHeight = 481;  // 7,215 twips: the chat strip is cut off

// The board block inside the main area.
constexpr int kStripLeft = 8;
constexpr int kBoardTop = 44;
constexpr int kRowLabWidth = 16;
constexpr int kColLabHeight = 18;
constexpr int kBoardLeft = kStripLeft + 2 * kCell + kRowLabWidth;
constexpr int kRightStripLeft = kBoardLeft + 8 * kCell;

// Twips to pixels for the grid's design widths.
int Pixels(double twips) {
    return static_cast<int>(std::lround(twips / qt::kTwipsPerPixel));
}

QColor ToColor(game::Rgb c) {
    return QColor(c.r, c.g, c.b);
}

void SetTextColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

// The chat as the box shows it: a line per message, the newest one last
// and no empty line below it.
QString ChatLines(const std::string& wire) {
    QString text = qt::FromWire(wire);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    return text;
}

}  // namespace

// ---------------------------------------------------------------- the window

QLabel* GameWindowWidget::MakeLabel(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    if (name != nullptr) {
        l->setObjectName(QString::fromLatin1(name));
    }
    // Names and phrases come from the server: never read them as markup.
    l->setTextFormat(Qt::PlainText);
    return l;
}

QCheckBox* GameWindowWidget::MakeBox(const char* name, const QString& caption, QWidget* parent,
                                     void (*action)(game::GameWindow&, bool)) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    // clicked, not toggled: a render that ticks the box is no user action.
    connect(b, &QCheckBox::clicked, this, [this, action](bool on) { action(logic_, on); });
    return b;
}

QPushButton* GameWindowWidget::MakeButton(const char* name, const QString& caption, QWidget* parent,
                                          void (*action)(game::GameWindow&)) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, [this, action] { action(logic_); });
    return b;
}

GameWindowWidget::GameWindowWidget(game::GameWindow& logic) : QWidget(nullptr), logic_(logic) {
    setObjectName(QStringLiteral("GameWin"));
    setWindowTitle(QStringLiteral("Quorvel Chess - Game"));
    // Designed around a small dialog font, as the game list is.
    QFont small = font();
    small.setPointSizeF(std::min(small.pointSizeF(), 8.0));
    setFont(small);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, kText);
    setPalette(pal);
    setAutoFillBackground(true);
    // Sized by the state's layout from the first render on.
    setFixedSize(kFullWidth, kFullHeight);

    // The main area: what stays when both panels are folded away.
    auto* main = new QWidget(this);
    main->setObjectName(QStringLiteral("MainArea"));
    main->setGeometry(0, 0, kMainWidth, kMainHeight);

    light_ = new MoveLightWidget(main);
    light_->move(kBoardLeft, 14);
    QFont big = small;
    big.setPointSizeF(small.pointSizeF() + 3);
    big.setBold(true);
    moveLab_ = MakeLabel("MoveLab", QString(), main);
    moveLab_->setFont(big);
    moveLab_->setGeometry(kBoardLeft + 26, 8, 180, 30);
    statusLab_ = MakeLabel("StatusLab", QString(), main);
    statusLab_->setFont(big);
    statusLab_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusLab_->setGeometry(kBoardLeft + 8 * kCell - 150, 8, 150 + 2 * kCell, 30);

    leftStrip_ = new TakenStripWidget(TakenStripWidget::Side::Left, main);
    leftStrip_->move(kStripLeft, kBoardTop);
    board_ = new BoardWidget(main);
    board_->move(kBoardLeft, kBoardTop);
    connect(board_, &BoardWidget::CellReleased, this,
            [this](int cell) { logic_.SelectSquare(cell); });
    rightStrip_ = new TakenStripWidget(TakenStripWidget::Side::Right, main);
    rightStrip_->move(kRightStripLeft, kBoardTop);

    QPalette labelPal = pal;
    labelPal.setColor(QPalette::Window, QColor(48, 48, 48));
    for (int i = 0; i < 8; ++i) {
        QLabel* r = MakeLabel(nullptr, QString::number(i + 1), main);
        r->setObjectName(QStringLiteral("RowLab%1").arg(i));
        r->setGeometry(kBoardLeft - kRowLabWidth, kBoardTop + (7 - i) * kCell, kRowLabWidth, kCell);
        QLabel* c = MakeLabel(nullptr, QString(QChar(u'A' + i)), main);
        c->setObjectName(QStringLiteral("ColLab%1").arg(i));
        c->setGeometry(kBoardLeft + i * kCell, kBoardTop + 8 * kCell, kCell, kColLabHeight);
        for (QLabel* l : {r, c}) {
            l->setAlignment(Qt::AlignCenter);
            l->setPalette(labelPal);
            l->setAutoFillBackground(true);
        }
        rowLabs_[static_cast<std::size_t>(i)] = r;
        colLabs_[static_cast<std::size_t>(i)] = c;
    }
    auto* corner = new QLabel(main);
    corner->setPalette(labelPal);
    corner->setAutoFillBackground(true);
    corner->setGeometry(kBoardLeft - kRowLabWidth, kBoardTop + 8 * kCell, kRowLabWidth,
                        kColLabHeight);

    using G = game::GameWindow;
    const int buttonsTop = kBoardTop + 8 * kCell + kColLabHeight + 10;
    const int third = (kRightStripLeft + 2 * kCell - kStripLeft - 16) / 3;
    MakeButton("FlipBoard", tr("&Flip Board"), main, [](G& g) {
        g.FlipBoard();
    })->setGeometry(kStripLeft, buttonsTop, third, 28);
    resign_ = MakeButton("Resign", tr("&Resign"), main, [](G& g) { g.ResignClick(); });
    resign_->setGeometry(kStripLeft + third + 8, buttonsTop, third, 28);
    offerDraw_ = MakeButton("OfferDraw", tr("Offer &Draw"), main, [](G& g) { g.OfferDrawClick(); });
    offerDraw_->setGeometry(kStripLeft + 2 * (third + 8), buttonsTop, third, 28);
    castleA_ = MakeButton("CastleA", tr("A-Side Ca&stle"), main, [](G& g) { g.Castle('a'); });
    castleA_->setGeometry(kBoardLeft, buttonsTop + 36, 4 * kCell - 4, 28);
    castleH_ = MakeButton("CastleH", tr("H-Side Cas&tle"), main, [](G& g) { g.Castle('h'); });
    castleH_->setGeometry(kBoardLeft + 4 * kCell + 4, buttonsTop + 36, 4 * kCell - 4, 28);

    // The game's times beside the board; below them room for the game
    // chooser and the panel buttons.
    const int infoLeft = kRightStripLeft + 2 * kCell + 10;
    auto* info = new QWidget(main);
    info->setGeometry(infoLeft, 8, kMainWidth - infoLeft - 6, kMainHeight - 16);
    auto* infoBox = new QVBoxLayout(info);
    infoBox->setContentsMargins(0, 0, 0, 0);
    infoBox->setSpacing(1);
    auto pair = [&](QLabel* caption, QLabel* value) {
        value->setWordWrap(true);
        value->setMinimumHeight(value->fontMetrics().height() + 2);
        infoBox->addWidget(caption);
        infoBox->addWidget(value);
        infoBox->addSpacing(8);
    };
    QFont bold = small;
    bold.setBold(true);
    moveTimeLab_ = MakeLabel("MoveTimeLab", QString(), info);
    pair(MakeLabel("Label9", tr("Time per move:"), info), moveTimeLab_);
    startedLab_ = MakeLabel("StartedLab", QString(), info);
    pair(MakeLabel("Label7", tr("Game started at:"), info), startedLab_);
    moveByEndedLab_ = MakeLabel("MoveByEndedLab", tr("Move must be made by:"), info);
    moveByLab_ = MakeLabel("MoveByLab", QString(), info);
    pair(moveByEndedLab_, moveByLab_);
    timeLeftOutcomeLab_ = MakeLabel("TimeLeftOutcomeLab", tr("Time remaining:"), info);
    timeLeftLab_ = MakeLabel("TimeLeftLab", QString(), info);
    pair(timeLeftOutcomeLab_, timeLeftLab_);
    for (QLabel* value : {moveTimeLab_, startedLab_, moveByLab_, timeLeftLab_}) {
        value->setFont(bold);
    }
    drawOfferedLab_ = MakeLabel("DrawOfferedLab", QString(), info);
    drawOfferedLab_->setWordWrap(true);
    drawOfferedLab_->setFont(bold);
    infoBox->addWidget(drawOfferedLab_);
    infoBox->addStretch(1);

    // The game chooser and the folding buttons, at the foot of the column.
    auto* chooserLab = new QLabel(tr("Show &game:"), info);
    chooserLab->setObjectName(QStringLiteral("Label1"));
    infoBox->addWidget(chooserLab);
    currentGame_ = new QComboBox(info);
    currentGame_->setObjectName(QStringLiteral("CurrentGame"));
    // Long opponent names must not widen the column.
    currentGame_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    currentGame_->setMinimumContentsLength(8);
    chooserLab->setBuddy(currentGame_);
    // activated, not currentIndexChanged: filling the list from a state is no choice.
    connect(currentGame_, &QComboBox::activated, this,
            [this](int index) { logic_.DropDownClick(index); });
    infoBox->addWidget(currentGame_);
    infoBox->addSpacing(4);
    infoBox->addWidget(MakeButton("NextGame", tr("&Next Game"), info, [](G& g) { g.NextGame(); }));
    infoBox->addSpacing(10);
    hideLog_ = MakeButton("HideLogBut", tr("Hide Move &Log"), info, [](G& g) { g.HideLogClick(); });
    infoBox->addWidget(hideLog_);
    infoBox->addSpacing(4);
    hideChat_ = MakeButton("HideChatBut", tr("Hide &Chat"), info, [](G& g) { g.HideChatClick(); });
    infoBox->addWidget(hideChat_);

    // The move log strip at the right, cut off when the log is folded away.
    auto* logStrip = logStrip_ = new QWidget(this);
    logStrip->setObjectName(QStringLiteral("LogStrip"));
    logStrip->setGeometry(kMainWidth, 0, kFullWidth - kMainWidth, kMainHeight);
    auto* logBox = new QVBoxLayout(logStrip);
    logBox->setContentsMargins(4, 8, 8, 6);
    logBox->setSpacing(2);
    logBox->addWidget(MakeLabel("Label12", tr("Move log:"), logStrip));
    moveLog_ = new QTableWidget(0, 3, logStrip);
    moveLog_->setObjectName(QStringLiteral("MoveLog"));
    moveLog_->setStyleSheet(
        QStringLiteral("QTableWidget { background: rgb(32,32,32); color: rgb(0,153,255);"
                       "  gridline-color: rgb(96,96,96); }"
                       "QHeaderView::section { background: rgb(48,48,48); color: rgb(0,153,255);"
                       "  border: 1px solid rgb(96,96,96); font-weight: bold; }"));
    // Entries such as "wqd1d4xbn Qxd4" fit the design width in a smaller font.
    QFont logFont = small;
    logFont.setPointSizeF(small.pointSizeF() - 1);
    moveLog_->setFont(logFont);
    moveLog_->verticalHeader()->hide();
    moveLog_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    moveLog_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    moveLog_->horizontalHeader()->setMinimumSectionSize(0);
    moveLog_->setColumnWidth(0, Pixels(1450));
    moveLog_->setColumnWidth(1, Pixels(1450));
    moveLog_->setColumnWidth(2, 0);
    moveLog_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    moveLog_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    moveLog_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    moveLog_->setSelectionMode(QAbstractItemView::NoSelection);
    moveLog_->setItemDelegate(new NoFocusDelegate(moveLog_));
    moveLog_->setWordWrap(false);
    moveLog_->verticalHeader()->setDefaultSectionSize(moveLog_->fontMetrics().height() + 4);
    moveLog_->setFixedWidth(2 * Pixels(1450) + 2 * moveLog_->frameWidth() +
                            moveLog_->verticalScrollBar()->sizeHint().width());
    logBox->addWidget(moveLog_, 1);
    logBox->addSpacing(4);
    for (const QString& legend :
         {tr("w - white     b - black"), tr("k - king     q - queen"),
          tr("r - rook/castle     b - bishop"), tr("n - knight     p - pawn")}) {
        logBox->addWidget(MakeLabel(nullptr, legend, logStrip));
    }
    logBox->addSpacing(4);
    showLast1_ = MakeBox("ShowLast1", tr("&Highlight last move"), logStrip,
                         [](G& g, bool on) { g.SetShowLast(1, on); });
    showLast2_ = MakeBox("ShowLast2", tr("H&ighlight next to last move"), logStrip,
                         [](G& g, bool on) { g.SetShowLast(2, on); });
    showPoss_ = MakeBox("ShowPoss", tr("Highlight &possible moves"), logStrip,
                        [](G& g, bool on) { g.SetShowPoss(on); });
    for (QCheckBox* b : {showLast1_, showLast2_, showPoss_}) {
        logBox->addWidget(b);
    }

    // The corner that either fold cuts off: notifications and credits. The
    // chat strip runs along the bottom, left of it.
    auto* notify = notifyCorner_ = new QWidget(this);
    notify->setObjectName(QStringLiteral("NotifyCorner"));
    notify->setGeometry(kMainWidth, kMainHeight, kFullWidth - kMainWidth,
                        kFullHeight - kMainHeight);
    auto* notifyBox = new QVBoxLayout(notify);
    notifyBox->setContentsMargins(4, 2, 4, 6);
    notifyBox->setSpacing(1);
    emailMe_ = MakeBox("EmailMe", tr("&Email me when it's my move"), notify,
                       [](G& g, bool on) { g.SetEmailMe(on); });
    textMe_ = MakeBox("TextMe", tr("Te&xt me when it's my move"), notify,
                      [](G& g, bool on) { g.SetTextMe(on); });
    notifyBox->addWidget(emailMe_);
    notifyBox->addWidget(textMe_);
    QLabel* costs = MakeLabel("Label2", tr("(costs 1 SMS Credit when sent)"), notify);
    costs->setIndent(22);
    notifyBox->addWidget(costs);
    textsLab_ = MakeLabel("TextsLab", tr("SMS Credits:     Free: 0     Purchased: 0"), notify);
    textsLab_->setWordWrap(true);
    notifyBox->addWidget(textsLab_);
    buyTexts_ =
        MakeButton("BuyTexts", tr("P&urchase SMS Credits"), notify, [](G& g) { g.BuyTexts(); });
    notifyBox->addWidget(buyTexts_);
    notifyBox->addStretch(1);

    // The chat strip along the bottom, cut off when the chat is folded away.
    chatStrip_ = new QWidget(this);
    chatStrip_->setObjectName(QStringLiteral("ChatStrip"));
    chatStrip_->setGeometry(0, kMainHeight, kMainWidth, kFullHeight - kMainHeight);
    auto* chatBox = new QVBoxLayout(chatStrip_);
    chatBox->setContentsMargins(kStripLeft, 2, 6, 6);
    chatBox->setSpacing(4);
    const QString boxStyle = QStringLiteral(
        "background: rgb(32,32,32); color: rgb(0,153,255); border: 1px solid rgb(96,96,96);");
    chat_ = new QPlainTextEdit(chatStrip_);
    chat_->setObjectName(QStringLiteral("Chat"));
    chat_->setReadOnly(true);
    chat_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    chat_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    chat_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    chat_->setStyleSheet(QStringLiteral("QPlainTextEdit { %1 }").arg(boxStyle));
    chatBox->addWidget(chat_, 1);
    auto* sendRow = new QHBoxLayout;
    sendRow->setSpacing(6);
    chatOut_ = new ChatInput(chatStrip_);
    chatOut_->setObjectName(QStringLiteral("ChatOut"));
    chatOut_->setStyleSheet(QStringLiteral("QLineEdit { %1 padding: 1px 3px; }").arg(boxStyle));
    connect(chatOut_, &ChatInput::SendRequested, this, [this] { SendChat(); });
    sendRow->addWidget(chatOut_, 1);
    chatSend_ = new QPushButton(tr("Send"), chatStrip_);
    chatSend_->setObjectName(QStringLiteral("ChatSend"));
    chatSend_->setFixedWidth(2 * kCell + 10);
    connect(chatSend_, &QPushButton::clicked, this, [this] {
        SendChat();
        // The user goes on typing where he was.
        chatOut_->setFocus(Qt::OtherFocusReason);
    });
    sendRow->addWidget(chatSend_);
    chatBox->addLayout(sendRow);

    banner_ = new BannerLabel(this);
    banner_->hide();
    banner_->clicked = [this] { logic_.BannerClick(); };
}

GameWindowWidget::~GameWindowWidget() {
    // Hiding a dialog as it is destroyed reports a rejection: no cancel is
    // sent to the logic from a window that is going away.
    if (promote_ != nullptr) {
        promote_->disconnect(this);
        delete promote_;
    }
}

void GameWindowWidget::Open(double leftTwips, double topTwips) {
    move(Pixels(leftTwips), Pixels(topTwips));
    Raise();
}

void GameWindowWidget::Raise() {
    show();
    raise();
    activateWindow();
    // A chooser asked for while the window was hidden opens now.
    RenderPromotion(shown_.promotion);
}

void GameWindowWidget::Close() {
    DismissPromote();
    hide();
}

double GameWindowWidget::Left() const {
    return x() * qt::kTwipsPerPixel;
}

double GameWindowWidget::Top() const {
    return y() * qt::kTwipsPerPixel;
}

void GameWindowWidget::closeEvent(QCloseEvent* event) {
    logic_.Unload();
    event->accept();
}

void GameWindowWidget::RenderMoveLog(const game::GameWindowState& state) {
    if (!drawn_ || state.moveLogHeading != shown_.moveLogHeading) {
        moveLog_->setHorizontalHeaderLabels({qt::FromWire(state.moveLogHeading[0]),
                                             qt::FromWire(state.moveLogHeading[1]), QString()});
    }
    if (drawn_ && state.moveLog == shown_.moveLog) {
        return;
    }
    const int rows = static_cast<int>(state.moveLog.size());
    const bool grew = rows > moveLog_->rowCount();
    moveLog_->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 2; ++c) {
            QTableWidgetItem* item = moveLog_->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                item->setForeground(kText);
                moveLog_->setItem(r, c, item);
            }
            item->setText(qt::FromWire(
                state.moveLog[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
        }
    }
    // The newest move in view.
    if (grew) {
        moveLog_->scrollToBottom();
    }
}

void GameWindowWidget::SendChat() {
    if (logic_.SendChat(qt::ToWire(chatOut_->text()))) {
        chatOut_->clear();
    }
}

void GameWindowWidget::RenderChooser(const game::GameWindowState& state) {
    const bool items = !drawn_ || state.currentGames != shown_.currentGames;
    if (items) {
        currentGame_->clear();
        for (const std::string& item : state.currentGames) {
            currentGame_->addItem(qt::FromWire(item));
        }
    }
    // The user's own choice stays on show until the state says otherwise.
    if (items || state.currentGameIndex != shown_.currentGameIndex) {
        currentGame_->setCurrentIndex(state.currentGameIndex);
    }
}

void GameWindowWidget::RenderChat(const game::GameWindowState& state) {
    if (drawn_ && state.chatText == shown_.chatText) {
        return;
    }
    chat_->setPlainText(ChatLines(state.chatText));
    // The newest line in view.
    chat_->moveCursor(QTextCursor::End);
    chat_->ensureCursorVisible();
}

void GameWindowWidget::ApplyLayout(const game::GameWindowState& state) {
    if (!drawn_ || state.widthTwips != shown_.widthTwips ||
        state.heightTwips != shown_.heightTwips) {
        setFixedSize(Pixels(state.widthTwips), Pixels(state.heightTwips));
    }
    if (!drawn_ || state.hideLogCaption != shown_.hideLogCaption) {
        hideLog_->setText(qt::FromWire(state.hideLogCaption));
    }
    if (!drawn_ || state.hideChatCaption != shown_.hideChatCaption) {
        hideChat_->setText(qt::FromWire(state.hideChatCaption));
    }
    // The banner's strip is the bottom of the window, below both panels.
    const int strip = Pixels(game::kBannerStripTwips);
    banner_->setVisible(state.banner != nullptr);
    if (state.banner != nullptr) {
        banner_->setGeometry(8, Pixels(state.heightTwips) - strip + 4,
                             Pixels(state.widthTwips) - 16, strip - 8);
    }
    // Hidden as well as cut off: no tab stop or mnemonic lands in a folded panel.
    logStrip_->setVisible(state.showLog);
    chatStrip_->setVisible(state.showChat);
    notifyCorner_->setVisible(state.showLog && state.showChat);
    for (QWidget* w : {static_cast<QWidget*>(showLast1_), static_cast<QWidget*>(showLast2_),
                       static_cast<QWidget*>(showPoss_)}) {
        w->setEnabled(state.highlightBoxesEnabled);
    }
    for (QWidget* w : {static_cast<QWidget*>(chat_), static_cast<QWidget*>(chatOut_),
                       static_cast<QWidget*>(chatSend_)}) {
        w->setEnabled(state.chatEnabled);
    }
    for (QWidget* w : {static_cast<QWidget*>(emailMe_), static_cast<QWidget*>(textMe_),
                       static_cast<QWidget*>(buyTexts_)}) {
        w->setEnabled(state.notifyEnabled);
    }
}

void GameWindowWidget::Render(const game::GameWindowState& state) {
    auto text = [&](QLabel* l, const std::string& now, const std::string& before) {
        if (!drawn_ || now != before) {
            l->setText(qt::FromWire(now));
        }
    };
    auto colour = [&](QLabel* l, game::Rgb now, game::Rgb before) {
        if (!drawn_ || !(now == before)) {
            SetTextColour(l, ToColor(now));
        }
    };
    if (!drawn_ || state.caption != shown_.caption) {
        setWindowTitle(state.caption.empty() ? QStringLiteral("Quorvel Chess - Game")
                                             : qt::FromWire(state.caption));
    }
    light_->SetGreen(state.moveLightGreen);
    text(moveLab_, state.moveText, shown_.moveText);
    colour(moveLab_, state.moveColour, shown_.moveColour);
    text(statusLab_, state.statusText, shown_.statusText);
    colour(statusLab_, state.statusColour, shown_.statusColour);
    text(drawOfferedLab_, state.drawOfferedText, shown_.drawOfferedText);
    colour(drawOfferedLab_, state.drawOfferedColour, shown_.drawOfferedColour);
    text(moveTimeLab_, state.moveTimeText, shown_.moveTimeText);
    text(startedLab_, state.startedText, shown_.startedText);
    text(moveByEndedLab_, state.moveByCaption, shown_.moveByCaption);
    text(moveByLab_, state.moveByText, shown_.moveByText);
    text(timeLeftOutcomeLab_, state.timeLeftCaption, shown_.timeLeftCaption);
    text(timeLeftLab_, state.timeLeftText, shown_.timeLeftText);
    text(textsLab_, state.textsText, shown_.textsText);
    if (!drawn_ || state.offerDrawCaption != shown_.offerDrawCaption) {
        offerDraw_->setText(qt::FromWire(state.offerDrawCaption));
    }
    resign_->setEnabled(state.resignEnabled);
    offerDraw_->setEnabled(state.offerDrawEnabled);
    castleA_->setEnabled(state.castleA);
    castleH_->setEnabled(state.castleH);
    // Compared with the box, not the last state: a click ticks the box
    // before the state that follows it has caught up.
    for (auto [box, on] : {std::pair{showLast1_, state.showLast1},
                           {showLast2_, state.showLast2},
                           {showPoss_, state.showPoss},
                           {emailMe_, state.emailMe},
                           {textMe_, state.textMe}}) {
        if (box->isChecked() != on) {
            box->setChecked(on);
        }
    }
    if (!drawn_ || state.cells != shown_.cells) {
        board_->SetCells(state.cells);
    }
    for (std::size_t i = 0; i < 8; ++i) {
        text(rowLabs_[i], state.rowLabels[i], shown_.rowLabels[i]);
        text(colLabs_[i], state.colLabels[i], shown_.colLabels[i]);
    }
    if (!drawn_ || state.taken != shown_.taken) {
        leftStrip_->SetPlaces(state.taken.data());
        rightStrip_->SetPlaces(state.taken.data() + 16);
    }
    RenderMoveLog(state);
    RenderChooser(state);
    RenderChat(state);
    if (!drawn_ || state.banner != shown_.banner) {
        banner_->SetPicture(state.banner.get());
    }
    banner_->SetLinked(state.bannerLinked);
    ApplyLayout(state);
    shown_ = state;
    drawn_ = true;
    // Last: opening the chooser may run the event loop.
    RenderPromotion(state.promotion);
}

// ---------------------------------------------------------------- promotion

void GameWindowWidget::BuildPromote() {
    promote_ = new QDialog(this, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    promote_->setObjectName(QStringLiteral("Promote"));
    promote_->setWindowTitle(QStringLiteral("Quorvel Chess - Promote Pawn"));
    promote_->setWindowModality(Qt::WindowModal);
    auto* box = new QVBoxLayout(promote_);
    box->setContentsMargins(14, 12, 14, 12);
    box->setSpacing(10);
    auto* question =
        MakeLabel("Label1", tr("What piece would you like to promote your pawn to?"), promote_);
    question->setAlignment(Qt::AlignCenter);
    box->addWidget(question);
    auto* pieces = new QHBoxLayout;
    pieces->addStretch(1);
    static constexpr char kLetters[4] = {'q', 'r', 'b', 'n'};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(promote_);
        b->setObjectName(QStringLiteral("PromoteTo%1").arg(i));
        b->setIconSize(QSize(kCell, kCell));
        b->setFixedSize(kCell + 12, kCell + 12);
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoRaise(true);
        // Both piece colours read on the light cell colour.
        b->setStyleSheet(
            QStringLiteral("QToolButton { background: rgb(0,150,150); border: 2px solid black; }"
                           "QToolButton:hover { border: 2px solid rgb(173,255,47); }"));
        const char letter = kLetters[i];
        connect(b, &QToolButton::clicked, this, [this, letter] {
            DismissPromote();
            logic_.PromoteAndMove(letter);
        });
        pieces->addWidget(b);
        promoteTo_[static_cast<std::size_t>(i)] = b;
    }
    pieces->addStretch(1);
    box->addLayout(pieces);
    auto* cancel = new QPushButton(tr("Cancel"), promote_);
    cancel->setObjectName(QStringLiteral("CancelBut"));
    box->addWidget(cancel, 0, Qt::AlignCenter);
    connect(cancel, &QPushButton::clicked, promote_, &QDialog::reject);
    // Cancel, Escape and the close box all end here.
    connect(promote_, &QDialog::rejected, this, [this] {
        if (!dismissing_) {
            logic_.CancelPromotion();
        }
    });
}

void GameWindowWidget::DismissPromote() {
    if (promote_ == nullptr || !promote_->isVisible()) {
        return;
    }
    dismissing_ = true;
    promote_->reject();
    dismissing_ = false;
}

void GameWindowWidget::RenderPromotion(const game::PromotionState& p) {
    if (!p.open) {
        DismissPromote();
        return;
    }
    if (promote_ == nullptr) {
        BuildPromote();
    }
    for (std::size_t i = 0; i < 4; ++i) {
        promoteTo_[i]->setIcon(QIcon(qt::PieceImage(p.pieces[i], kCell)));
    }
    if (promote_->isVisible() || !isVisible()) {
        return;
    }
    // Placed again once shown: its size is final only after polishing.
    auto centre = [this] {
        QRect r = promote_->frameGeometry();
        r.moveCenter(frameGeometry().center());
        promote_->move(r.topLeft());
    };
    promote_->adjustSize();
    centre();
    promote_->open();
    centre();
}

}  // namespace qc::ui
