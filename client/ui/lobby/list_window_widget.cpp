#include "client/ui/lobby/list_window_widget.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "client/core/text.h"
#include "client/qt/qt_platform.h"

namespace qc::ui {

namespace {

// The grid's room above the buttons: all but this much of the window's
// outer height, in twips.
constexpr double kBelowGridTwips = 1245;

QString Caption(const char* window) {
    return QString::fromLatin1(text::kProgramName.data(),
                               static_cast<qsizetype>(text::kProgramName.size())) +
           QStringLiteral(" - ") + QString::fromLatin1(window);
}

}  // namespace

ListWindowWidget::ListWindowWidget(lobby::PublicReqsWindow& logic)
    : ListWindowWidget(logic, Design{"PublicReqs",
                                     Caption("Public Game Requests"),
                                     "List",
                                     {{{"Accept", tr("&Accept Request")},
                                       {"Stats", tr("Opponent's &Stats")},
                                       {"Hist", tr("Opponent's Game &History")},
                                       {"RefreshBut", tr("&Refresh")}}},
                                     75,
                                     {[&logic] { logic.Accept(); }, [&logic] { logic.Stats(); },
                                      [&logic] { logic.Hist(); }}}) {}

ListWindowWidget::ListWindowWidget(lobby::ScoreboardWindow& logic)
    : ListWindowWidget(logic, Design{"Scoreboard",
                                     Caption("Scoreboard"),
                                     "Board",
                                     {{{"RequestBut", tr("&Request Game")},
                                       {"Stats", tr("Detailed &Stats")},
                                       {"Hist", tr("Game &History")},
                                       {"RefreshBut", tr("Re&fresh")}}},
                                     135,
                                     {[&logic] { logic.Request(); }, [&logic] { logic.Stats(); },
                                      [&logic] { logic.Hist(); }}}) {}

ListWindowWidget::ListWindowWidget(lobby::ListWindow& logic, const Design& design)
    : QWidget(nullptr), logic_(logic) {
    setObjectName(QString::fromLatin1(design.window));
    setFont(LobbyFont(font()));
    setWindowTitle(design.caption);
    setStyleSheet(DarkWindowStyle(objectName()));

    const lobby::WindowRect least = logic_.MinimumSize();
    grid_ = new DarkGrid(logic_.Grid(), this);
    grid_->setObjectName(QString::fromLatin1(design.grid));
    // Every column in sight, with room for the scroll bar a long list brings.
    grid_->setMinimumSize(
        grid_->ColumnsWidth() + grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                            grid_->verticalScrollBar()),
        TwipsToPixels(least.height - kBelowGridTwips));
    connect(grid_, &DarkGrid::Picked, this, [this](int row, int col) { logic_.Pick(row, col); });

    // Four buttons of one width, centred under the grid.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(TwipsToPixels(design.gapTwips));
    buttons->addStretch(1);
    std::array<QPushButton*, 4> all{};
    int width = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i] = new QPushButton(design.buttons[i].caption, this);
        all[i]->setObjectName(QString::fromLatin1(design.buttons[i].name));
        width = std::max(width, all[i]->sizeHint().width());
        buttons->addWidget(all[i]);
    }
    for (QPushButton* b : all) {
        b->setFixedWidth(width);
    }
    buttons->addStretch(1);
    for (std::size_t i = 0; i < rowButtons_.size(); ++i) {
        rowButtons_[i] = all[i];
        rowButtons_[i]->setEnabled(false);
        connect(rowButtons_[i], &QPushButton::clicked, this,
                [action = design.actions[i]] { action(); });
    }
    connect(all[3], &QPushButton::clicked, this, [this] { logic_.RefreshButton(); });

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 10);
    root->setSpacing(11);
    root->addWidget(grid_, 1);
    root->addLayout(buttons);
    // The window's own least size, or more where the controls need it.
    setMinimumSize(root->totalMinimumSize().expandedTo(
        QSize(TwipsToPixels(least.width), TwipsToPixels(least.height))));
}

void ListWindowWidget::Render(const lobby::ListWindowState& state) {
    if (!drawn_ || !(state.grid == shown_.grid)) {
        grid_->Render(state.grid);
    }
    for (std::size_t i = 0; i < rowButtons_.size(); ++i) {
        rowButtons_[i]->setEnabled(state.rowButtons[i]);
    }
    shown_ = state;
    drawn_ = true;
}

void ListWindowWidget::Open(const lobby::WindowRect& at) {
    move(TwipsToPixels(at.left), TwipsToPixels(at.top));
    if (at.width > 0 && at.height > 0) {
        outer_ = QSize(TwipsToPixels(at.width), TwipsToPixels(at.height));
        ApplyOuterSize();
    }
    Raise();
}

void ListWindowWidget::ApplyOuterSize() {
    const QSize frame = frameGeometry().size() - size();
    asked_ = (outer_ - frame).expandedTo(minimumSize());
    resize(asked_);
    // A window that has no frame yet may still get one from the window
    // manager; the size is put right then.
    if (frame.width() > 0 || frame.height() > 0) {
        outer_ = QSize();
    }
}

bool ListWindowWidget::event(QEvent* event) {
    const QEvent::Type type = event->type();
    // Sized by the user meanwhile: that size stands.
    if (type == QEvent::Resize && outer_.isValid() && size() != asked_) {
        outer_ = QSize();
    }
    if (outer_.isValid() &&
        (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate) &&
        frameGeometry().size() != size()) {
        // Not from inside the event: the resize is answered by events of its own.
        QTimer::singleShot(0, this, [this] {
            if (outer_.isValid()) {
                ApplyOuterSize();
            }
        });
    }
    return QWidget::event(event);
}

void ListWindowWidget::Raise() {
    show();
    raise();
    activateWindow();
}

void ListWindowWidget::Close() {
    outer_ = QSize();
    hide();
}

lobby::WindowRect ListWindowWidget::Geometry() const {
    const QRect outer = frameGeometry();
    constexpr double k = qt::kTwipsPerPixel;
    return {outer.x() * k, outer.y() * k, outer.width() * k, outer.height() * k};
}

void ListWindowWidget::closeEvent(QCloseEvent* event) {
    logic_.Unload();
    event->accept();
}

}  // namespace qc::ui
