#include "client/ui/lobby/dark_grid.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>

#include "client/qt/qt_platform.h"
#include "client/ui/no_focus_delegate.h"

namespace qc::ui {

const QColor DarkGrid::kText(kLobbyTextRgb);
const QColor DarkGrid::kHighlight(kLobbyHighlightRgb);
const QColor DarkGrid::kWarning(kLobbyWarningRgb);

namespace {}  // namespace

int TwipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / qt::kTwipsPerPixel));
}

QString DarkWindowStyle(const QString& window) {
    return QStringLiteral("QWidget#%1, QLabel { background: black; color: rgb(0,153,255); }")
        .arg(window);
}

QFont LobbyFont(const QFont& base) {
    QFont small = base;
    small.setPointSizeF(std::min(small.pointSizeF(), 8.0));
    return small;
}

DarkGrid::DarkGrid(const lobby::GridState& g, QWidget* parent)
    : QTableWidget(0, g.Visible(), parent), design_(g.widths) {
    setStyleSheet(
        QStringLiteral("QTableView { background: rgb(32,32,32); color: rgb(0,153,255);"
                       "  gridline-color: rgb(192,192,192); }"
                       "QHeaderView { background: rgb(32,32,32); }"
                       "QHeaderView::section { background: rgb(48,48,48); color: rgb(0,153,255);"
                       "  border: 1px solid rgb(192,192,192); }"
                       "QTableCornerButton::section { background: rgb(32,32,32); }"));
    QStringList headers;
    for (int c = 0; c < g.Visible(); ++c) {
        headers << QString::fromLatin1(g.headers[static_cast<std::size_t>(c)].c_str());
        setColumnWidth(c, TwipsToPixels(design_[static_cast<std::size_t>(c)]));
    }
    setHorizontalHeaderLabels(headers);
    // The design widths suit a small font: never cut a header short.
    for (int c = 0; c < g.Visible(); ++c) {
        const int needed = horizontalHeader()->sectionSizeHint(c) + 8;
        setColumnWidth(c, std::max(columnWidth(c), needed));
    }
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setItemDelegate(new NoFocusDelegate(this));
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int col, int, int) { Report(row, col); });
    connect(this, &QTableWidget::cellPressed, this, [this](int row, int col) { Report(row, col); });
    connect(this, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int col) { emit DoubleClicked(row + 1, col); });
}

void DarkGrid::Report(int row, int col) {
    if (!quiet_ && row >= 0) {
        emit Picked(row + 1, col);
    }
}

int DarkGrid::ColumnsWidth() const {
    int width = 2 * frameWidth();
    for (int c = 0; c < columnCount(); ++c) {
        width += columnWidth(c);
    }
    return width;
}

void DarkGrid::focusInEvent(QFocusEvent* event) {
    // Taking the focus puts Qt's cursor on the first cell: that is no pick,
    // and the arrow keys then start from the highlighted row, not past it.
    const QScopedValueRollback quiet(quiet_, true);
    const bool hadCursor = currentIndex().isValid();
    QTableWidget::focusInEvent(event);
    if (!hadCursor) {
        setCurrentIndex(QModelIndex());
    }
}

void DarkGrid::Render(const lobby::GridState& g) {
    const QScopedValueRollback quiet(quiet_, true);
    setRowCount(g.DataRows());
    for (int r = 0; r < g.DataRows(); ++r) {
        const bool lit = r + 1 == g.HighlightRow();
        for (int c = 0; c < g.Visible(); ++c) {
            QTableWidgetItem* cell = item(r, c);
            if (cell == nullptr) {
                cell = new QTableWidgetItem;
                cell->setTextAlignment(Qt::AlignCenter);
                setItem(r, c, cell);
            }
            cell->setText(
                qt::FromWire(g.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
            cell->setForeground(g.Warned(r + 1, c) ? kWarning : kText);
            cell->setBackground(lit ? kHighlight : QColor(Qt::black));
        }
    }
    // Widen a column whose texts do not fit; never narrow it below its
    // design width.
    for (int c = 0; c < g.Visible(); ++c) {
        const int design = TwipsToPixels(design_[static_cast<std::size_t>(c)]);
        resizeColumnToContents(c);
        if (columnWidth(c) < design) {
            setColumnWidth(c, design);
        }
    }
    // The arrow keys move on from the highlighted row.
    if (g.HighlightRow() > 0) {
        const int col = std::max(currentColumn(), 0);
        if (currentRow() != g.HighlightRow() - 1) {
            setCurrentCell(g.HighlightRow() - 1, col, QItemSelectionModel::NoUpdate);
        }
    } else if (currentIndex().isValid()) {
        setCurrentIndex(QModelIndex());
    }
}

}  // namespace qc::ui
