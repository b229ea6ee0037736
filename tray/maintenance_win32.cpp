// Placeholder until the reminders and the free-space monitor arrive.
#include "app_win32.h"

void RunMaintenanceReminders(HWND) {}
void CheckFreeSpace(void) {}
