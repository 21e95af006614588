#include "client/qt/piece_images.h"

#include <QFont>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>

namespace qc::qt {

namespace {

// The glyph occupies this share of the picture, so that a 4-pixel cell
// frame does not run over it.
constexpr double kGlyphShare = 0.8;

QPixmap Draw(int index, int sizePx) {
    const bool white = index < 6;
    // The solid glyphs (U+265A on) for both colours: filled white they read
    // better than the outline glyphs, whose insides would show the cell.
    const QChar glyph(static_cast<char16_t>(0x265A + index % 6));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, QString(glyph));
    const QRectF box = path.boundingRect();
    QPixmap picture(sizePx, sizePx);
    picture.fill(Qt::transparent);
    if (box.isEmpty()) {
        return picture;
    }
    const double scale = sizePx * kGlyphShare / std::max(box.width(), box.height());
    QTransform t;
    t.translate(sizePx / 2.0, sizePx / 2.0);
    t.scale(scale, scale);
    t.translate(-box.center().x(), -box.center().y());
    path = t.map(path);

    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // White: a white body with a dark outline; black: a black body with a
    // thin light outline, so that both stand out on either cell colour and
    // on the black strips.
    const double outline = white ? std::max(1.5, sizePx / 26.0) : std::max(1.0, sizePx / 40.0);
    p.setPen(QPen(white ? QColor(20, 20, 20) : QColor(235, 235, 235), outline, Qt::SolidLine,
                  Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(white ? QColor(255, 255, 255) : QColor(0, 0, 0));
    p.drawPath(path);
    return picture;
}

}  // namespace

QPixmap PieceImage(int index, int sizePx) {
    if (index < 0 || index > 11 || sizePx <= 0) {
        return {};
    }
    static QHash<quint64, QPixmap> cache;
    const quint64 key = (static_cast<quint64>(sizePx) << 8) | static_cast<quint64>(index);
    auto it = cache.find(key);
    if (it == cache.end()) {
        it = cache.insert(key, Draw(index, sizePx));
    }
    return *it;
}

}  // namespace qc::qt
