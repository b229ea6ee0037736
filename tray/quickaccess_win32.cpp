// Placeholder until the quick access list arrives.
#include "app_win32.h"

void RebuildQuickAccessMenu(void) {}
void ShowQuickAccessMenu(POINT) {}
void AppendQuickAccessPath(const char *) {}
