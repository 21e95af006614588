#include "client/qt/piece_images.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

namespace qc::qt {
namespace {

struct Ink {
    int opaque = 0;      // pixels at least half covered
    double light = 0.0;  // their mean lightness, 0 to 255
};

Ink Measure(const QPixmap& p) {
    const QImage img = p.toImage().convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() >= 128) {
                ++ink.opaque;
                ink.light += c.lightness();
            }
        }
    }
    ink.light /= std::max(1, ink.opaque);
    return ink;
}

TEST(PieceImages, EveryPieceIsDrawnWhiteLightAndBlackDark) {
    for (int kind = 0; kind < 6; ++kind) {
        const QPixmap white = PieceImage(kind, 40);
        const QPixmap black = PieceImage(kind + 6, 40);
        ASSERT_EQ(white.size(), QSize(40, 40));
        const Ink w = Measure(white);
        const Ink b = Measure(black);
        // A pawn covers well over a tenth of its square.
        EXPECT_GT(w.opaque, 160) << "piece " << kind;
        EXPECT_GT(b.opaque, 160) << "piece " << kind;
        // A white body with dark lines, a black one with light lines.
        EXPECT_GT(w.light, 120) << "piece " << kind;
        EXPECT_LT(b.light, 100) << "piece " << kind;
        EXPECT_GT(w.light, b.light + 40) << "piece " << kind;
        // The corners stay clear, so the cell's frame is not covered.
        EXPECT_EQ(white.toImage().pixelColor(1, 1).alpha(), 0);
    }
}

TEST(PieceImages, TheSixKindsDifferAndAreKept) {
    for (int a = 0; a < 6; ++a) {
        for (int b = a + 1; b < 6; ++b) {
            EXPECT_NE(PieceImage(a, 40).toImage(), PieceImage(b, 40).toImage()) << a << " " << b;
        }
    }
    EXPECT_EQ(PieceImage(3, 40).cacheKey(), PieceImage(3, 40).cacheKey());
    EXPECT_EQ(PieceImage(3, 24).size(), QSize(24, 24));
    EXPECT_TRUE(PieceImage(12, 40).isNull());
    EXPECT_TRUE(PieceImage(-1, 40).isNull());
}

}  // namespace
}  // namespace qc::qt
