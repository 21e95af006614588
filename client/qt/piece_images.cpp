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

QPainterPath Glyph(char16_t code) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, QString(QChar(code)));
    return path;
}

QPixmap Draw(int index, int sizePx) {
    const bool white = index < 6;
    const int kind = index % 6;
    // The solid glyphs (U+265A on) give the body; the outline ones
    // (U+2654 on) the lines drawn over a white body.
    QPainterPath solid = Glyph(static_cast<char16_t>(0x265A + kind));
    QPixmap picture(sizePx, sizePx);
    picture.fill(Qt::transparent);
    const QRectF box = solid.boundingRect();
    if (box.isEmpty()) {
        return picture;
    }
    const double scale = sizePx * kGlyphShare / std::max(box.width(), box.height());
    QTransform t;
    t.translate(sizePx / 2.0, sizePx / 2.0);
    t.scale(scale, scale);
    t.translate(-box.center().x(), -box.center().y());
    solid = t.map(solid);

    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // Every contour filled whole: the piece's silhouette without the
    // inner detail holes.
    const QList<QPolygonF> contours = solid.toSubpathPolygons();
    if (white) {
        // A white body under the outline glyph's dark lines.
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        for (const QPolygonF& c : contours) {
            p.drawPolygon(c);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 20, 20));
        p.drawPath(t.map(Glyph(static_cast<char16_t>(0x2654 + kind))));
    } else {
        // A black body with a thin light edge, so that it stands out on the
        // dark cells and on the black strips; its detail lines show light.
        p.setPen(QPen(QColor(225, 225, 225), std::max(1.5, sizePx / 22.0), Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(225, 225, 225));
        for (const QPolygonF& c : contours) {
            p.drawPolygon(c);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPath(solid);
    }
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
