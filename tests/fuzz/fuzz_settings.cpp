// Feeds arbitrary bytes to the settings reader as a file, then writes the
// record back out: neither may read or write outside its buffers, and the
// record must keep its invariants.  Every YES/NO setting starts at a value
// no key can give, so that it must end either untouched or at 0 or 1.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "settings.h"

static void Check(bool ok)
{
    if (!ok)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Settings = InitialSettings();
    int *const flags[] = {
        &Settings.iShowExplorerIcon, &Settings.iShowScanIcon, &Settings.iShowDefragmentIcon,
        &Settings.iShowBackupIcon, &Settings.iShowDriveSpaceIcon, &Settings.iShowCompressionAgentIcon,
        &Settings.iSingleDriveView, &Settings.iExplorerView, &Settings.iCheckFloppySpace,
        &Settings.iLowSpaceWarningEnabled, &Settings.iEnableMaintenance, &Settings.iStartStopSetting,
        &Settings.iIgnore,
    };
    const int untouched = -7;
    for (int *f : flags)
        *f = untouched;
    FILE *in = fmemopen(size ? (void *)data : (void *)"", size, "rb");
    if (in == nullptr)
        return 0;
    ReadSettingsStream(in);
    fclose(in);

    const char *texts[] = {Settings.szExplorerLocation, Settings.szScanLocation,
                           Settings.szDefragmentLocation, Settings.szBackupLocation,
                           Settings.szDriveSpaceLocation, Settings.szCompressionAgentLocation};
    for (const char *t : texts)
        Check(strnlen(t, LocationSize) < LocationSize && strchr(t, '\n') == nullptr);
    Check(strnlen(Settings.szDrivesToScan, DriveListSize) < DriveListSize);
    Check(strnlen(Settings.szDrivesToDefrag, DriveListSize) < DriveListSize);
    for (int *f : flags)
        Check(*f == 0 || *f == 1 || *f == untouched);
    Check(Settings.iDefragmentMode >= 0 && Settings.iDefragmentMode <= 2);
    Check(Settings.iScanDiskDrivesSetting == 0 || Settings.iScanDiskDrivesSetting == 1);

    static char out[16384];  // the longest file is about 4,000 bytes
    FILE *file = fmemopen(out, sizeof out, "wb");
    if (file != nullptr) {
        Check(WriteSettingsStream(file));
        fclose(file);
    }
    return 0;
}
