#include "client/ui/lobby/game_list_widget.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "client/qt/qt_platform.h"

namespace qc::ui {

const QColor GameListWidget::kText(kLobbyTextRgb);
const QColor GameListWidget::kHighlight(kLobbyHighlightRgb);

namespace {

QLabel* Caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

GameListWidget::GameListWidget(lobby::GameListWindow& logic) : QWidget(nullptr), logic_(logic) {
    setObjectName(QStringLiteral("GameList"));
    setFont(LobbyFont(font()));
    setWindowTitle(qt::FromWire(logic_.Caption()));
    setStyleSheet(
        DarkWindowStyle(objectName()) +
        QStringLiteral("QLineEdit { background: black; color: rgb(0,153,255); border: none; }"));

    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    using L = lobby::GameListWindow;
    auto bind = [this](void (L::*f)()) { return [this, f] { (logic_.*f)(); }; };
    top->addWidget(publicReqs_ =
                       MakeButton("PublicReqsBut", tr("&Public Requests"), bind(&L::PublicReqs)));
    top->addWidget(request_ = MakeButton("RequestBut", tr("&Request Game"), bind(&L::Request)));
    top->addWidget(local_ = MakeButton("LocalBut", tr("&Local Game"), bind(&L::Local)));
    top->addWidget(bot_ = MakeButton("BotBut", tr("Play &Bot"), bind(&L::Bot)));
    top->addWidget(MakeButton("KnightBut", tr("&Knight's Tour"), bind(&L::KnightsTour)));
    top->addWidget(MakeButton("MyStats", tr("&My Stats"), bind(&L::MyStats)));
    top->addWidget(MakeButton("MyHist", tr("My Game &History"), bind(&L::MyHist)));
    top->addWidget(scoreboard_ =
                       MakeButton("ScoreboardBut", tr("S&coreboard"), bind(&L::Scoreboard)));
    root->addLayout(top);

    auto* lists = new QGridLayout;
    auto opp = [this](QHBoxLayout* row, int i) {
        oppStats_[static_cast<std::size_t>(i)] =
            MakeButton(QStringLiteral("OppStats%1").arg(i), tr("Opponent's Stats"),
                       [this, i] { logic_.OppStats(i); });
        oppHist_[static_cast<std::size_t>(i)] =
            MakeButton(QStringLiteral("OppHist%1").arg(i), tr("Opponent's Game History"),
                       [this, i] { logic_.OppHist(i); });
        row->addWidget(oppStats_[static_cast<std::size_t>(i)]);
        row->addWidget(oppHist_[static_cast<std::size_t>(i)]);
    };
    auto block = [&](int r, int c, const QString& label, lobby::GridId id, QHBoxLayout* buttons) {
        auto* box = new QVBoxLayout;
        box->addWidget(Caption(label, this));
        box->addWidget(MakeGrid(id));
        box->addLayout(buttons);
        lists->addLayout(box, r, c);
    };
    auto* openButtons = new QHBoxLayout;
    openButtons->addWidget(view_[0] =
                               MakeButton("View0", tr("View Game"), [this] { logic_.View(0); }));
    opp(openButtons, 0);
    block(0, 0, tr("Current Games"), lobby::kOpenGrid, openButtons);

    auto* forButtons = new QHBoxLayout;
    forButtons->addWidget(accept_ = MakeButton("Accept", tr("Accept Request"), bind(&L::Accept)));
    forButtons->addWidget(decline_ =
                              MakeButton("Decline", tr("Decline Request"), bind(&L::Decline)));
    opp(forButtons, 2);
    block(0, 1, tr("Requests To Play You"), lobby::kForGrid, forButtons);

    auto* closedButtons = new QHBoxLayout;
    closedButtons->addWidget(view_[1] =
                                 MakeButton("View1", tr("View Game"), [this] { logic_.View(1); }));
    opp(closedButtons, 1);
    closedButtons->addWidget(remove_ = MakeButton("Remove", tr("Remove Game"), bind(&L::Remove)));
    block(1, 0, tr("Recently Ended Games"), lobby::kClosedGrid, closedButtons);

    auto* byButtons = new QHBoxLayout;
    byButtons->addWidget(cancel_ = MakeButton("Cancel", tr("Cancel Request"), bind(&L::Cancel)));
    opp(byButtons, 3);
    block(1, 1, tr("Requests Made By You"), lobby::kByGrid, byButtons);
    root->addLayout(lists);

    auto* bottom = new QHBoxLayout;
    clock_ = new QLineEdit(this);
    clock_->setObjectName(QStringLiteral("Clock"));
    clock_->setReadOnly(true);
    clock_->setFocusPolicy(Qt::NoFocus);
    clock_->setMinimumWidth(
        clock_->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 00:00:00 PM")) + 12);
    bottom->addWidget(clock_);
    slots_ = new QLabel(qt::FromWire(logic_.SlotsText()), this);
    slots_->setObjectName(QStringLiteral("SlotsLab"));
    bottom->addWidget(slots_, 1, Qt::AlignCenter);
    bottom->addWidget(MakeButton("BuySlots", tr("Purchase Slots"), bind(&L::BuySlots)));
    bottom->addWidget(settings_ = MakeButton("SettingsBut", tr("&Settings"), bind(&L::Settings)));
    bottom->addWidget(MakeButton("RefreshBut", tr("Re&fresh"), bind(&L::RefreshButton)));
    root->addLayout(bottom);
}

QPushButton* GameListWidget::MakeButton(const QString& name, const QString& caption,
                                        std::function<void()> action) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
    return b;
}

DarkGrid* GameListWidget::MakeGrid(lobby::GridId id) {
    auto* t = new DarkGrid(logic_.Grid(id), this);
    static const char* const kNames[] = {"OpenGames", "ClosedGames", "RequestsFor", "RequestsBy"};
    t->setObjectName(QString::fromLatin1(kNames[id]));
    t->setMinimumWidth(t->ColumnsWidth() + 20);
    t->setMinimumHeight(
        TwipsToPixels(id == lobby::kOpenGrid || id == lobby::kForGrid ? 2775 : 1575));
    connect(t, &DarkGrid::Picked, this,
            [this, id](int row, int col) { logic_.Pick(id, row, col); });
    connect(t, &DarkGrid::DoubleClicked, this, [this, id](int row, int col) {
        logic_.Pick(id, row, col);
        logic_.DoubleClick(id);
    });
    grids_[id] = t;
    return t;
}

void GameListWidget::Open(double leftTwips, double topTwips) {
    move(TwipsToPixels(leftTwips), TwipsToPixels(topTwips));
    Raise();
}

void GameListWidget::Raise() {
    show();
    raise();
    activateWindow();
}

void GameListWidget::Close() {
    hide();
}

double GameListWidget::Left() const {
    return x() * qt::kTwipsPerPixel;
}

double GameListWidget::Top() const {
    return y() * qt::kTwipsPerPixel;
}

void GameListWidget::closeEvent(QCloseEvent* event) {
    logic_.Unload();
    event->accept();
}

void GameListWidget::Render(const lobby::GameListState& state) {
    for (lobby::GridId id :
         {lobby::kOpenGrid, lobby::kClosedGrid, lobby::kForGrid, lobby::kByGrid}) {
        if (!drawn_ || !(state.grids[id] == shown_.grids[id])) {
            grids_[id]->Render(state.grids[id]);
        }
    }
    const lobby::GameListButtons& b = state.buttons;
    for (std::size_t i = 0; i < 2; ++i) {
        view_[i]->setEnabled(b.view[i]);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        oppStats_[i]->setEnabled(b.oppStats[i]);
        oppHist_[i]->setEnabled(b.oppHist[i]);
    }
    accept_->setEnabled(b.accept);
    decline_->setEnabled(b.decline);
    remove_->setEnabled(b.remove);
    cancel_->setEnabled(b.cancel);
    publicReqs_->setEnabled(b.publicReqs);
    request_->setEnabled(b.request);
    local_->setEnabled(b.local);
    bot_->setEnabled(b.bot);
    scoreboard_->setEnabled(b.scoreboard);
    settings_->setEnabled(b.settings);
    if (!drawn_ || state.slotsText != shown_.slotsText) {
        slots_->setText(qt::FromWire(state.slotsText));
    }
    if (!drawn_ || state.clock != shown_.clock) {
        clock_->setText(qt::FromWire(state.clock));
    }
    if (!drawn_ || state.caption != shown_.caption) {
        setWindowTitle(qt::FromWire(state.caption));
    }
    shown_ = state;
    drawn_ = true;
}

void GameListHost::Render(const lobby::GameListState& state) {
    state_ = state;
    if (window_ != nullptr) {
        window_->Render(state);
    }
}

void GameListHost::Open(double leftTwips, double topTwips) {
    if (window_ == nullptr) {
        window_ = std::make_unique<GameListWidget>(logic_);
        window_->Render(state_);
    }
    window_->Open(leftTwips, topTwips);
}

void GameListHost::Raise() {
    if (window_ != nullptr) {
        window_->Raise();
    }
}

void GameListHost::Close() {
    if (window_ != nullptr) {
        window_->Close();
    }
}

double GameListHost::Left() const {
    return window_ != nullptr ? window_->Left() : 0;
}

double GameListHost::Top() const {
    return window_ != nullptr ? window_->Top() : 0;
}

}  // namespace qc::ui
