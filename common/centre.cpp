#include "centre.h"

void CentredPosition(const DeskRect &desktop, int clientWidth, int clientHeight,
                     int *x, int *y)
{
    *x = desktop.right / 2 - clientWidth / 2;
    *y = desktop.bottom / 2 - clientHeight / 2;
}
