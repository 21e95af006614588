#pragma once

#include <QPixmap>

namespace qc::qt {

// Piece picture `index` (0 to 5 white king, queen, rook, bishop, knight,
// pawn; 6 to 11 the black ones) as a square of `sizePx` pixels on a
// transparent ground. Drawn from the DejaVu Sans chess glyphs once per size
// and kept. An index outside 0 to 11 gives an empty pixmap.
QPixmap PieceImage(int index, int sizePx);

}  // namespace qc::qt
