// The main window's layouts of the card's files in its grid: basic
// information (kind 1, EF02), declaration summary (kind 2, EF04), invoice
// usage (kind 3, EF06) and daily records (kind 4, EF09). Every field comes
// from the card-record parser.
#pragma once

namespace orv {

class CardData;
class GridModel;

// What every layout of the program's grids starts with: the fixed column's
// width, the colours, and no rows or columns (all content cleared).
void ClearGridLayout(GridModel& grid);

// Captions, widths, alignments, colours and the first Rows/Cols of `kind`;
// everything the grid held before is cleared. Any other kind: 20 columns,
// 30 rows, no captions.
void InitCardGrid(GridModel& grid, int kind);

// InitCardGrid, then the kind's file from `card` laid out in the grid. The
// result is the number of data rows shown (2 for kind 1, 25 for kind 2, the
// invoice rolls or days of every machine for kinds 3 and 4, 0 for any other
// kind); for kinds 1 to 4 the grid holds exactly that many rows afterwards.
int ShowICInfo(GridModel& grid, int kind, const CardData& card);

}  // namespace orv
