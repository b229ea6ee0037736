// Where a dialog goes so that its client area sits in the middle of the
// desktop rectangle.  Portable: no <windows.h>.
#pragma once

struct DeskRect {
    int left, top, right, bottom;
};

// x = right/2 - width/2, y = bottom/2 - height/2, each division truncating
// toward zero as C++ integer division does.
void CentredPosition(const DeskRect &desktop, int clientWidth, int clientHeight,
                     int *x, int *y);
