#include "client/ui/game/board_widget.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "client/qt/piece_images.h"

namespace qc::ui {

const QColor TakenStripWidget::kRecentFrame(255, 0, 0);
const QColor TakenStripWidget::kTile(72, 72, 72);

namespace {

constexpr int kCell = BoardWidget::kCell;

QColor ToColor(game::Rgb c) {
    return QColor(c.r, c.g, c.b);
}

}  // namespace

// ---------------------------------------------------------------- board

BoardWidget::BoardWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Square"));
    setFixedSize(8 * kCell, 8 * kCell);
    setMouseTracking(true);
    for (int i = 0; i < 64; ++i) {
        const bool light = (i / 8 + i % 8) % 2 == 0;
        game::CellState& c = cells_[static_cast<std::size_t>(i)];
        c.fill = light ? game::kLightCell : game::kDarkCell;
        c.border = c.fill;
    }
}

QRect BoardWidget::CellRect(int i) {
    return {(i % 8) * kCell, (i / 8) * kCell, kCell, kCell};
}

int BoardWidget::CellAt(QPoint p) {
    if (p.x() < 0 || p.y() < 0 || p.x() >= 8 * kCell || p.y() >= 8 * kCell) {
        return -1;
    }
    return p.y() / kCell * 8 + p.x() / kCell;
}

void BoardWidget::SetCells(const std::array<game::CellState, 64>& cells) {
    for (int i = 0; i < 64; ++i) {
        if (!(cells[static_cast<std::size_t>(i)] == cells_[static_cast<std::size_t>(i)])) {
            cells_[static_cast<std::size_t>(i)] = cells[static_cast<std::size_t>(i)];
            update(CellRect(i));
        }
    }
    // The pointer may stand over a cell that just became clickable.
    UpdateCursor(mapFromGlobal(QCursor::pos()));
}

void BoardWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    for (int i = 0; i < 64; ++i) {
        const QRect r = CellRect(i);
        if (!event->rect().intersects(r)) {
            continue;
        }
        const game::CellState& c = cells_[static_cast<std::size_t>(i)];
        p.fillRect(r, ToColor(c.fill));
        if (c.piece >= 0) {
            p.drawPixmap(r.topLeft(), qt::PieceImage(c.piece, kCell));
        }
        // The frame lies inside the cell, over the piece's margin.
        const int w = std::clamp(c.borderWidth, 0, kCell / 2);
        if (w > 0) {
            const QColor b = ToColor(c.border);
            p.fillRect(r.x(), r.y(), kCell, w, b);
            p.fillRect(r.x(), r.bottom() - w + 1, kCell, w, b);
            p.fillRect(r.x(), r.y(), w, kCell, b);
            p.fillRect(r.right() - w + 1, r.y(), w, kCell, b);
        }
    }
}

void BoardWidget::UpdateCursor(QPoint p) {
    const int i = CellAt(p);
    const bool hand = i >= 0 && cells_[static_cast<std::size_t>(i)].hand;
    const Qt::CursorShape shape = hand ? Qt::PointingHandCursor : Qt::ArrowCursor;
    if (cursor().shape() != shape) {
        setCursor(shape);
    }
}

void BoardWidget::mouseMoveEvent(QMouseEvent* event) {
    UpdateCursor(event->position().toPoint());
}

void BoardWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int i = CellAt(event->position().toPoint());
    if (i >= 0) {
        emit CellReleased(i);
    }
}

// ---------------------------------------------------------------- taken strips

TakenStripWidget::TakenStripWidget(Side side, QWidget* parent) : QWidget(parent), side_(side) {
    setObjectName(side == Side::Left ? QStringLiteral("TakenLeft") : QStringLiteral("TakenRight"));
    setFixedSize(2 * kCell, 8 * kCell);
}

QRect TakenStripWidget::PlaceRect(int p) const {
    const int pair = p / 2;
    const bool inner = p % 2 == 0;
    const int row = side_ == Side::Left ? 7 - pair : pair;
    // The board lies right of the left strip and left of the right one.
    const int col = (side_ == Side::Left) == inner ? 1 : 0;
    return {col * kCell, row * kCell, kCell, kCell};
}

void TakenStripWidget::SetPlaces(const game::TakenState* first) {
    for (int p = 0; p < 16; ++p) {
        if (!(first[p] == places_[static_cast<std::size_t>(p)])) {
            places_[static_cast<std::size_t>(p)] = first[p];
            update(PlaceRect(p));
        }
    }
}

void TakenStripWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    for (int i = 0; i < 16; ++i) {
        const game::TakenState& t = places_[static_cast<std::size_t>(i)];
        const QRect r = PlaceRect(i);
        if (t.piece >= 0) {
            // A grey tile: a black piece on the black window would show as
            // its light outline only and pass for a white one.
            p.fillRect(r, kTile);
            p.drawPixmap(r.topLeft(), qt::PieceImage(t.piece, kCell));
        }
        const QColor frame = t.recent ? kRecentFrame : QColor(Qt::black);
        constexpr int w = 2;
        p.fillRect(r.x(), r.y(), kCell, w, frame);
        p.fillRect(r.x(), r.bottom() - w + 1, kCell, w, frame);
        p.fillRect(r.x(), r.y(), w, kCell, frame);
        p.fillRect(r.right() - w + 1, r.y(), w, kCell, frame);
    }
}

// ---------------------------------------------------------------- move light

MoveLightWidget::MoveLightWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MoveLight"));
    setFixedSize(18, 18);
}

void MoveLightWidget::SetGreen(bool green) {
    if (green != green_) {
        green_ = green;
        update();
    }
}

void MoveLightWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(ToColor(green_ ? game::kGreen : game::kRed));
    p.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
}

}  // namespace qc::ui
