#include "client/ui/lobby/game_list_widget.h"

#include <QCloseEvent>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "client/core/setup.h"
#include "client/qt/qt_platform.h"

namespace qc::ui {

const QColor GameListWidget::kText(0, 153, 255);
const QColor GameListWidget::kHighlight(69, 0, 69);

namespace {

int Pixels(double twips) {
    return static_cast<int>(std::lround(twips / qt::kTwipsPerPixel));
}

// Draws cells without the focus frame: only the highlight marks the row.
class NoFocusDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o(option);
        o.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        QStyledItemDelegate::paint(painter, o, index);
    }
};

QLabel* Caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

GameListWidget::GameListWidget(Setup& setup) : QWidget(nullptr), setup_(setup), logic_(setup) {
    setObjectName(QStringLiteral("GameList"));
    // The window was designed around a small dialog font; a larger one
    // would push it past small screens.
    QFont small = font();
    small.setPointSizeF(std::min(small.pointSizeF(), 8.0));
    setFont(small);
    setWindowTitle(QString::fromLatin1(logic_.Caption().c_str()));
    setStyleSheet(
        QStringLiteral("QWidget#GameList, QLabel { background: black; color: rgb(0,153,255); }"
                       "QTableWidget { background: rgb(32,32,32); color: rgb(0,153,255);"
                       "  gridline-color: rgb(192,192,192); }"
                       "QHeaderView { background: rgb(32,32,32); }"
                       "QHeaderView::section { background: rgb(48,48,48); color: rgb(0,153,255);"
                       "  border: 1px solid rgb(192,192,192); }"
                       "QLineEdit { background: black; color: rgb(0,153,255); border: none; }"));

    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    using L = lobby::GameListWindow;
    auto bind = [this](void (L::*f)()) { return [this, f] { (logic_.*f)(); }; };
    top->addWidget(MakeButton("PublicReqsBut", tr("&Public Requests"), bind(&L::PublicReqs)));
    top->addWidget(MakeButton("RequestBut", tr("&Request Game"), bind(&L::Request)));
    top->addWidget(MakeButton("LocalBut", tr("&Local Game"), bind(&L::Local)));
    top->addWidget(MakeButton("BotBut", tr("Play &Bot"), bind(&L::Bot)));
    top->addWidget(MakeButton("KnightBut", tr("&Knight's Tour"), bind(&L::KnightsTour)));
    top->addWidget(MakeButton("MyStats", tr("&My Stats"), bind(&L::MyStats)));
    top->addWidget(MakeButton("MyHist", tr("My Game &History"), bind(&L::MyHist)));
    top->addWidget(MakeButton("ScoreboardBut", tr("S&coreboard"), bind(&L::Scoreboard)));
    root->addLayout(top);

    auto* lists = new QGridLayout;
    auto opp = [this](QHBoxLayout* row, int i) {
        row->addWidget(MakeButton(QStringLiteral("OppStats%1").arg(i), tr("Opponent's Stats"),
                                  [this, i] { logic_.OppStats(i); }));
        row->addWidget(MakeButton(QStringLiteral("OppHist%1").arg(i), tr("Opponent's Game History"),
                                  [this, i] { logic_.OppHist(i); }));
    };
    auto block = [&](int r, int c, const QString& label, lobby::GridId id, QHBoxLayout* buttons) {
        auto* box = new QVBoxLayout;
        box->addWidget(Caption(label, this));
        box->addWidget(MakeGrid(id));
        box->addLayout(buttons);
        lists->addLayout(box, r, c);
    };
    auto* openButtons = new QHBoxLayout;
    openButtons->addWidget(MakeButton("View0", tr("View Game"), [this] { logic_.View(0); }));
    opp(openButtons, 0);
    block(0, 0, tr("Current Games"), lobby::kOpenGrid, openButtons);

    auto* forButtons = new QHBoxLayout;
    forButtons->addWidget(MakeButton("Accept", tr("Accept Request"), bind(&L::Accept)));
    forButtons->addWidget(MakeButton("Decline", tr("Decline Request"), bind(&L::Decline)));
    opp(forButtons, 2);
    block(0, 1, tr("Requests To Play You"), lobby::kForGrid, forButtons);

    auto* closedButtons = new QHBoxLayout;
    closedButtons->addWidget(MakeButton("View1", tr("View Game"), [this] { logic_.View(1); }));
    opp(closedButtons, 1);
    closedButtons->addWidget(MakeButton("Remove", tr("Remove Game"), bind(&L::Remove)));
    block(1, 0, tr("Recently Ended Games"), lobby::kClosedGrid, closedButtons);

    auto* byButtons = new QHBoxLayout;
    byButtons->addWidget(MakeButton("Cancel", tr("Cancel Request"), bind(&L::Cancel)));
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
    slots_ = new QLabel(QString::fromLatin1(logic_.SlotsText().c_str()), this);
    slots_->setObjectName(QStringLiteral("SlotsLab"));
    bottom->addWidget(slots_, 1, Qt::AlignCenter);
    bottom->addWidget(MakeButton("BuySlots", tr("Purchase Slots"), bind(&L::BuySlots)));
    bottom->addWidget(MakeButton("SettingsBut", tr("&Settings"), bind(&L::Settings)));
    bottom->addWidget(MakeButton("RefreshBut", tr("Re&fresh"), bind(&L::RefreshButton)));
    root->addLayout(bottom);

    clockTimer_ = setup_.platform().timers.CreateTimer(100, [this] { Tick(); });
}

QPushButton* GameListWidget::MakeButton(const QString& name, const QString& caption,
                                        std::function<void()> action) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [action = std::move(action), this] {
        action();
        Render();
    });
    return b;
}

QTableWidget* GameListWidget::MakeGrid(lobby::GridId id) {
    const lobby::GridState& g = logic_.Grid(id);
    auto* t = new QTableWidget(0, g.Visible(), this);
    static const char* const kNames[] = {"OpenGames", "ClosedGames", "RequestsFor", "RequestsBy"};
    t->setObjectName(QString::fromLatin1(kNames[id]));
    QStringList headers;
    int width = 2;
    for (int c = 0; c < g.Visible(); ++c) {
        headers << QString::fromLatin1(g.headers[static_cast<std::size_t>(c)].c_str());
        t->setColumnWidth(c, Pixels(g.widths[static_cast<std::size_t>(c)]));
        width += Pixels(g.widths[static_cast<std::size_t>(c)]);
    }
    t->setHorizontalHeaderLabels(headers);
    // The design widths suit a small font: never cut a header short.
    width = 2;
    for (int c = 0; c < g.Visible(); ++c) {
        const int needed = t->horizontalHeader()->sectionSizeHint(c) + 8;
        t->setColumnWidth(c, std::max(t->columnWidth(c), needed));
        width += t->columnWidth(c);
    }
    t->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::NoSelection);
    t->setItemDelegate(new NoFocusDelegate(t));
    t->setWordWrap(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setMinimumWidth(width + 20);
    t->setMinimumHeight(Pixels(id == lobby::kOpenGrid || id == lobby::kForGrid ? 2775 : 1575));
    connect(t, &QTableWidget::currentCellChanged, this, [this, id](int row, int col, int, int) {
        if (!rendering_ && row >= 0) {
            logic_.Pick(id, row + 1, col);
            Render();
        }
    });
    connect(t, &QTableWidget::cellPressed, this, [this, id](int row, int col) {
        if (!rendering_) {
            logic_.Pick(id, row + 1, col);
            Render();
        }
    });
    connect(t, &QTableWidget::cellDoubleClicked, this, [this, id](int row, int col) {
        logic_.Pick(id, row + 1, col);
        logic_.DoubleClick(id);
        Render();
    });
    grids_[id] = t;
    return t;
}

void GameListWidget::Show() {
    if (!loaded_) {
        loaded_ = true;
        logic_.Load();
        move(Pixels(logic_.LoadX()), Pixels(logic_.LoadY()));
        clockTimer_->SetEnabled(true);
        Tick();
        Render();
    }
    show();
    raise();
    activateWindow();
}

void GameListWidget::Unload() {
    if (!loaded_) {
        return;
    }
    logic_.Unload(x() * qt::kTwipsPerPixel, y() * qt::kTwipsPerPixel);
    loaded_ = false;
    clockTimer_->SetEnabled(false);
    hide();
}

void GameListWidget::closeEvent(QCloseEvent* event) {
    Unload();
    event->accept();
}

void GameListWidget::Update() {
    logic_.Update();
    Render();
}

void GameListWidget::Tick() {
    if (logic_.ClockTick()) {
        const QString clock = qt::FromWire(logic_.ClockText());
        if (clock_->text() != clock) {
            clock_->setText(clock);
        }
        const QString caption = qt::FromWire(logic_.Caption());
        if (windowTitle() != caption) {
            setWindowTitle(caption);
        }
    }
}

void GameListWidget::RenderGrid(lobby::GridId id) {
    const lobby::GridState& g = logic_.Grid(id);
    QTableWidget* t = grids_[id];
    t->setRowCount(g.DataRows());
    for (int r = 0; r < g.DataRows(); ++r) {
        const bool lit = r + 1 == g.HighlightRow();
        for (int c = 0; c < g.Visible(); ++c) {
            QTableWidgetItem* item = t->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                t->setItem(r, c, item);
            }
            item->setText(
                qt::FromWire(g.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
            item->setForeground(kText);
            item->setBackground(lit ? kHighlight : QColor(Qt::black));
        }
    }
    // Widen a column whose texts do not fit; never narrow it below its design width.
    for (int c = 0; c < g.Visible(); ++c) {
        const int design = Pixels(g.widths[static_cast<std::size_t>(c)]);
        t->resizeColumnToContents(c);
        if (t->columnWidth(c) < design) {
            t->setColumnWidth(c, design);
        }
    }
}

void GameListWidget::Render() {
    rendering_ = true;
    for (lobby::GridId id :
         {lobby::kOpenGrid, lobby::kClosedGrid, lobby::kForGrid, lobby::kByGrid}) {
        RenderGrid(id);
    }
    const lobby::GameListButtons& b = logic_.Buttons();
    auto enable = [this](const char* name, bool on) {
        if (QPushButton* p = Button(QString::fromLatin1(name))) {
            p->setEnabled(on);
        }
    };
    enable("View0", b.view[0]);
    enable("View1", b.view[1]);
    for (int i = 0; i < 4; ++i) {
        enable(QStringLiteral("OppStats%1").arg(i).toLatin1().constData(), b.oppStats[i]);
        enable(QStringLiteral("OppHist%1").arg(i).toLatin1().constData(), b.oppHist[i]);
    }
    enable("Accept", b.accept);
    enable("Decline", b.decline);
    enable("Remove", b.remove);
    enable("Cancel", b.cancel);
    enable("PublicReqsBut", b.publicReqs);
    enable("RequestBut", b.request);
    enable("LocalBut", b.local);
    enable("BotBut", b.bot);
    enable("ScoreboardBut", b.scoreboard);
    enable("SettingsBut", b.settings);
    slots_->setText(qt::FromWire(logic_.SlotsText()));
    rendering_ = false;
}

}  // namespace qc::ui
