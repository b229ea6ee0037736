#include "settings.h"

SettingsRecord Settings = InitialSettings();

SettingsRecord InitialSettings(void)
{
    SettingsRecord s = {};
    s.iShowExplorerIcon = 1;
    s.iShowScanIcon = 1;
    s.iShowDefragmentIcon = 1;
    s.iExplorerView = 1;
    s.lMinimumSpace = 10;
    s.iScanDiskDrivesSetting = 1;
    s.iDefragDiskDrivesSetting = 1;
    s.iStartStopSetting = 1;
    s.iDefragmentDisplayMode = 2;
    return s;
}
