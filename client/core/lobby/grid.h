#pragma once

#include <string>
#include <vector>

namespace qc::lobby {

// One dark grid as a lobby window shows it. Row 0 is the header; data row r
// shows element r - 1 of its list.
struct GridState {
    std::vector<std::string> headers;
    std::vector<int> widths;  // twips; the hidden last column is not listed
    std::vector<std::vector<std::string>> rows;
    // The selected data row (1-based); only meaningful while `selected`.
    int row = 1;
    bool selected = false;
    // The grid's current cell; the column is parked past the visible ones
    // so that no built-in marking shows.
    int currentRow = 0;
    int currentCol = 0;
    // Cells of this column are painted in the warning colour on the rows
    // marked here; -1: no such column.
    int warnColumn = -1;
    std::vector<bool> warnedRows;

    int Visible() const { return static_cast<int>(headers.size()); }
    int DataRows() const { return static_cast<int>(rows.size()); }
    // The row painted in the highlight colour, or 0.
    int HighlightRow() const { return selected ? row : 0; }
    // Whether a cell (data rows from 1) is painted in the warning colour.
    bool Warned(int r, int c) const {
        return c == warnColumn && r >= 1 && r <= static_cast<int>(warnedRows.size()) &&
               warnedRows[static_cast<std::size_t>(r - 1)];
    }
    // The selected list element, for the request actions.
    int Element() const { return row - 1; }
    bool operator==(const GridState&) const = default;
};

// Back to the header alone, nothing selected, the cursor parked.
void ClearGrid(GridState& g);

// New rows from a refresh; the selection is kept for SelectRow to clamp.
void SetRows(GridState& g, std::vector<std::vector<std::string>> rows);

// The user picked a cell: a visible column moves the selection there.
void PickCell(GridState& g, int row, int col);

// Applies the selection: with no data row nothing is selected; otherwise the
// row is clamped to the rows there are (a shorter list selects its last row)
// and the cursor parked on it. Returns whether a row is selected.
bool SelectRow(GridState& g);

}  // namespace qc::lobby
