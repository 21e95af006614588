#include "client/core/lobby/grid.h"

namespace qc::lobby {

void ClearGrid(GridState& g) {
    g.rows.clear();
    g.warnedRows.clear();
    g.row = 1;
    g.selected = false;
    g.currentRow = 0;
    g.currentCol = g.Visible();
}

void SetRows(GridState& g, std::vector<std::vector<std::string>> rows) {
    g.rows = std::move(rows);
    g.warnedRows.clear();
    g.currentRow = g.rows.empty() ? 0 : 1;
    g.currentCol = g.Visible();
}

void PickCell(GridState& g, int row, int col) {
    if (row >= 1 && row <= g.DataRows()) {
        g.currentRow = row;
        g.currentCol = col;
        if (col >= 0 && col < g.Visible()) {
            g.row = row;
        }
    }
}

bool SelectRow(GridState& g) {
    if (g.rows.empty()) {
        g.selected = false;
        g.currentRow = 0;
        g.currentCol = g.Visible();
        return false;
    }
    if (g.row > g.DataRows()) {
        g.row = g.DataRows();
    }
    if (g.row < 1) {
        g.row = 1;
    }
    g.selected = true;
    g.currentRow = g.row;
    g.currentCol = g.Visible();
    return true;
}

}  // namespace qc::lobby
