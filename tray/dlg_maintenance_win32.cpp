// Placeholder until the dialog arrives: a dialog that cannot be created
// returns at once, and the caller still writes the settings.
#include "app_win32.h"

void RunMaintenanceDialog(HWND) {}
