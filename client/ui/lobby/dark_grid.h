#pragma once

#include <QColor>
#include <QFont>
#include <QRgb>
#include <QString>
#include <QTableWidget>
#include <vector>

#include "client/core/lobby/grid.h"

namespace qc::ui {

// The lobby windows' colours: blue text on black, the selected row in dark
// purple, the header a dark grey on a darker empty area.
inline constexpr QRgb kLobbyTextRgb = 0xff0099ff;
inline constexpr QRgb kLobbyHighlightRgb = 0xff450045;
// A close deadline: amber, which reads on black and on the highlight alike.
inline constexpr QRgb kLobbyWarningRgb = 0xffffb000;

// Twips to whole pixels.
int TwipsToPixels(double twips);

// The style of a dark lobby window: the window with the object name
// `window` and its labels black with blue text. The grids bring their own.
QString DarkWindowStyle(const QString& window);

// The small dialog font the lobby windows were designed around: a larger one
// would push them past small screens.
QFont LobbyFont(const QFont& base);

// One list of a lobby window: the columns at their design widths (wider
// where a header or a text needs it), the cells centred, one row painted in
// the highlight colour and no built-in selection or focus marking. It
// reports the user's picks as data rows from 1 and visible columns from 0,
// never the cursor moves of its own rendering.
class DarkGrid : public QTableWidget {
    Q_OBJECT
  public:
    DarkGrid(const lobby::GridState& g, QWidget* parent);

    // Rows, texts and the highlight as the state has them.
    void Render(const lobby::GridState& g);
    // The width all visible columns take, frame included.
    int ColumnsWidth() const;

    static const QColor kText;
    static const QColor kHighlight;
    static const QColor kWarning;

  signals:
    void Picked(int row, int col);
    void DoubleClicked(int row, int col);

  protected:
    void focusInEvent(QFocusEvent* event) override;

  private:
    void Report(int row, int col);

    std::vector<int> design_;
    // Set while the grid moves its own cursor.
    bool quiet_ = false;
};

}  // namespace qc::ui
