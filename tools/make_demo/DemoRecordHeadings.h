#pragma once

#include "DemoPictures.h"

// The battle record's column headings, over a table whose name column starts at nameLeft and
// whose eight number columns start at firstColumn, step columns apart; the words end above top.
void DrawRecordHeadings(DemoPicture& back, int nameLeft, int firstColumn, int step, int top);
