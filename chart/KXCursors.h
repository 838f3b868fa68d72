#pragma once
// The six cursors of the scale strips, numbered as the chart's cursor table has
// them: each shows which end of the range a drag moves. The bar stands at the
// end that moves (at both for a drag that slides the whole window).
#include <QCursor>

#pragma GCC visibility push(default)

enum : int {
    crHorMin = 31,  // "HORMIN"
    crHorMove,      // "HORMOVE"
    crHorMax,       // "HORMAX"
    crVertMin,      // "VERTMIN"
    crVertMove,     // "VERTMOVE"
    crVertMax       // "VERTMAX"
};

// The cursor of that number; the arrow for any other number.
QCursor ChartCursor(int Index);

#pragma GCC visibility pop
