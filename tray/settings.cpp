#include "settings.h"

#include <errno.h>
#include <string.h>

#include "textops.h"

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

// --- Paths in the Windows directory ---------------------------------------

static const char SettingsFileName[] = "TESSARON.INI";
static const char TemporarySuffix[] = ".TMP";

void DefaultToolPath(char *dest, size_t size, const char *windowsDir, const char *fileName)
{
    if (size == 0)
        return;
    dest[0] = '\0';
    if (windowsDir[0] == '\0')
        return;
    // A drive root such as C:\ already ends with its backslash.
    const char *separator = strlen(windowsDir) == 3 ? "" : "\\";
    if (!FormatText(dest, size, "%s%s%s", windowsDir, separator, fileName))
        dest[0] = '\0';  // a cut path would name some other file
}

void ApplyDefaultToolLocations(const char *windowsDir)
{
    struct Default {
        char *field;
        const char *fileName;
    };
    const Default defaults[] = {
        {Settings.szExplorerLocation, "explorer.exe"},
        {Settings.szScanLocation, "scandskw.exe"},
        {Settings.szDefragmentLocation, "defrag.exe"},
    };
    for (const Default &d : defaults)
        if (d.field[0] == '\0')
            DefaultToolPath(d.field, LocationSize, windowsDir, d.fileName);
}

void ApplySystemToolLocations(const Platform &platform, const char *systemDir)
{
    if (!platform.nt)
        return;
    if (Settings.szScanLocation[0] == '\0')
        DefaultToolPath(Settings.szScanLocation, LocationSize, systemDir, "chkdsk.exe");
    if (Settings.szDefragmentLocation[0] == '\0' && HasDefragTool(platform))
        DefaultToolPath(Settings.szDefragmentLocation, LocationSize, systemDir, "defrag.exe");
}

bool SettingsFilePath(const char *windowsDir, char *out, size_t size)
{
    DefaultToolPath(out, size, windowsDir, SettingsFileName);
    return size != 0 && out[0] != '\0';
}

// --- Reading ----------------------------------------------------------------

struct IntKey {
    const char *key;
    int *field;
};

struct TextKey {
    const char *key;  // searched together with its " = "
    char *field;
    size_t size;
};

static void RemoveAll(char *line, const char *pattern)
{
    ReplaceText(line, pattern, "", -1);
}

// ONE gives 0, TWO gives 1, anything else 2.
static void ParseMode(const char *line, const char *key, int *field)
{
    if (strstr(line, key) == nullptr)
        return;
    if (strstr(line, "ONE") != nullptr)
        *field = 0;
    else if (strstr(line, "TWO") != nullptr)
        *field = 1;
    else
        *field = 2;
}

// ONE gives 0, TWO gives 1; neither keeps the value.
static void ParseOneTwo(const char *line, const char *key, int *field)
{
    if (strstr(line, key) == nullptr)
        return;
    if (strstr(line, "ONE") != nullptr)
        *field = 0;
    else if (strstr(line, "TWO") != nullptr)
        *field = 1;
}

static void ParseFlags(const char *line, const IntKey *keys, size_t count)
{
    for (size_t i = 0; i < count; i++)
        if (strstr(line, keys[i].key) != nullptr)
            *keys[i].field = strstr(line, "YES") != nullptr;
}

static void ParseNumber(char *line, const char *key, int *field)
{
    if (strstr(line, key) == nullptr)
        return;
    char withEquals[64];
    FormatText(withEquals, sizeof withEquals, "%s = ", key);
    RemoveAll(line, withEquals);
    RemoveAll(line, "\n");
    ReadDecimal(line, field);  // no number: the field keeps its value
}

void ParseSettingsLine(char *line)
{
    ParseMode(line, "iDefragmentMode", &Settings.iDefragmentMode);
    ParseMode(line, "iDefragmentDisplayMode", &Settings.iDefragmentDisplayMode);
    ParseOneTwo(line, "iDefragDiskDrivesSetting", &Settings.iDefragDiskDrivesSetting);
    ParseOneTwo(line, "iScanDiskDrivesSetting", &Settings.iScanDiskDrivesSetting);

    const IntKey firstFlags[] = {
        {"iStartStopSetting", &Settings.iStartStopSetting},
        {"iIgnore", &Settings.iIgnore},
        {"iSingleDriveView", &Settings.iSingleDriveView},
        {"iExplorerView", &Settings.iExplorerView},
        {"iLowSpaceWarningEnabled", &Settings.iLowSpaceWarningEnabled},
        {"iEnableMaintenance", &Settings.iEnableMaintenance},
    };
    ParseFlags(line, firstFlags, sizeof firstFlags / sizeof firstFlags[0]);

    const IntKey numbers[] = {
        {"iCompressionInterval", &Settings.iCompressionInterval},
        {"iBackupInterval", &Settings.iBackupInterval},
        {"iDefragmentInterval", &Settings.iDefragmentInterval},
        {"iScanInterval", &Settings.iScanInterval},
        {"iLastScan", &Settings.iLastScan},
        {"iLastDefragment", &Settings.iLastDefragment},
        {"iLastBackup", &Settings.iLastBackup},
        {"iLastCompression", &Settings.iLastCompression},
        {"lMinimumSpace", &Settings.lMinimumSpace},
    };
    for (const IntKey &n : numbers)
        ParseNumber(line, n.key, n.field);

    const IntKey iconFlags[] = {
        {"iShowScanIcon", &Settings.iShowScanIcon},
        {"iShowExplorerIcon", &Settings.iShowExplorerIcon},
        {"iShowDefragmentIcon", &Settings.iShowDefragmentIcon},
        {"iShowBackupIcon", &Settings.iShowBackupIcon},
        {"iShowDriveSpaceIcon", &Settings.iShowDriveSpaceIcon},
        {"iCheckFloppySpace", &Settings.iCheckFloppySpace},
        {"iShowCompressionAgentIcon", &Settings.iShowCompressionAgentIcon},
    };
    ParseFlags(line, iconFlags, sizeof iconFlags / sizeof iconFlags[0]);

    const TextKey texts[] = {
        {"szExplorerLocation = ", Settings.szExplorerLocation, LocationSize},
        {"szDrivesToScan = ", Settings.szDrivesToScan, DriveListSize},
        {"szDrivesToDefrag = ", Settings.szDrivesToDefrag, DriveListSize},
        {"szScanLocation = ", Settings.szScanLocation, LocationSize},
        {"szDefragmentLocation = ", Settings.szDefragmentLocation, LocationSize},
        {"szBackupLocation = ", Settings.szBackupLocation, LocationSize},
        {"szDriveSpaceLocation = ", Settings.szDriveSpaceLocation, LocationSize},
        {"szCompressionAgentLocation = ", Settings.szCompressionAgentLocation, LocationSize},
    };
    for (const TextKey &t : texts) {
        if (strstr(line, t.key) == nullptr)
            continue;
        if (strstr(line, "<undefined>") != nullptr) {
            t.field[0] = '\0';
            return;  // the line is finished
        }
        RemoveAll(line, "\n");
        RemoveAll(line, t.key);
        CopyText(t.field, t.size, line);  // a longer value is cut to the field
    }
}

void ReadSettingsStream(FILE *file)
{
    char line[SettingsLineSize];
    bool ended = false;
    while (!ended) {
        size_t n = 0;
        while (n < sizeof line - 1) {
            int c = getc(file);
            if (c == EOF || c == 0x1A) {  // Ctrl-Z ends a text file
                ended = true;
                break;
            }
            if (c == '\r')
                continue;
            line[n++] = (char)c;
            if (c == '\n')
                break;
        }
        if (n == 0)
            break;
        line[n] = '\0';
        ParseSettingsLine(line);
    }
}

// TESSARON.INI.TMP beside the file: false when the name would not fit.
static bool TemporaryPath(const char *path, char *out, size_t size)
{
    return FormatText(out, size, "%s%s", path, TemporarySuffix);
}

bool LoadSettingsFile(const char *path)
{
    FILE *file = fopen(path, "rb");
    char temporary[4096 + sizeof TemporarySuffix];
    if (file == nullptr && errno == ENOENT && TemporaryPath(path, temporary, sizeof temporary))
        file = fopen(temporary, "rb");
    if (file == nullptr)
        return false;
    ReadSettingsStream(file);
    fclose(file);
    return true;
}

// --- Writing ----------------------------------------------------------------

static const char *const HeaderLines[] = {
    "[Tessaron]",
    "[iVersionMajor=1]",
    "[iVersionMinor=0]",
    "[iRevision=0]",
    "[This file should not be altered manually.]",
    "[Format:  typeVariableName <space> = <space> <value>]",
    "[<value> = YES, NO, NUMERIC, PATHNAME -- NO ABBREVIATIONS.]",
};

static void WriteLine(FILE *file, const char *key, const char *value)
{
    fprintf(file, "%s = %s\r\n", key, value);
}

static void WriteFlag(FILE *file, const char *key, int value)
{
    WriteLine(file, key, value != 0 ? "YES" : "NO");
}

static void WriteNumber(FILE *file, const char *key, int value)
{
    fprintf(file, "%s = %d\r\n", key, value);
}

static void WriteText(FILE *file, const char *key, const char *value, size_t size)
{
    size_t len = strnlen(value, size);  // never past the field
    if (len == 0)
        WriteLine(file, key, "<undefined>");
    else
        fprintf(file, "%s = %.*s\r\n", key, (int)len, value);
}

// The modes have one word per value and no line for any other value.
static void WriteMode(FILE *file, const char *key, int value)
{
    static const char *const words[] = {"ONE", "TWO", "THREE"};
    if (value >= 0 && value <= 2)
        WriteLine(file, key, words[value]);
}

bool WriteSettingsStream(FILE *file)
{
    const SettingsRecord &s = Settings;
    for (const char *header : HeaderLines)
        fprintf(file, "%s\r\n", header);
    WriteFlag(file, "iSingleDriveView", s.iSingleDriveView);
    WriteFlag(file, "iExplorerView", s.iExplorerView);
    WriteFlag(file, "iShowScanIcon", s.iShowScanIcon);
    WriteFlag(file, "iShowExplorerIcon", s.iShowExplorerIcon);
    WriteFlag(file, "iCheckFloppySpace", s.iCheckFloppySpace);
    WriteFlag(file, "iShowDefragmentIcon", s.iShowDefragmentIcon);
    WriteFlag(file, "iShowBackupIcon", s.iShowBackupIcon);
    WriteFlag(file, "iShowDriveSpaceIcon", s.iShowDriveSpaceIcon);
    WriteFlag(file, "iShowCompressionAgentIcon", s.iShowCompressionAgentIcon);
    WriteText(file, "szExplorerLocation", s.szExplorerLocation, LocationSize);
    WriteText(file, "szScanLocation", s.szScanLocation, LocationSize);
    WriteText(file, "szDefragmentLocation", s.szDefragmentLocation, LocationSize);
    WriteText(file, "szBackupLocation", s.szBackupLocation, LocationSize);
    WriteText(file, "szDriveSpaceLocation", s.szDriveSpaceLocation, LocationSize);
    WriteText(file, "szCompressionAgentLocation", s.szCompressionAgentLocation, LocationSize);
    WriteFlag(file, "iLowSpaceWarningEnabled", s.iLowSpaceWarningEnabled);
    WriteNumber(file, "lMinimumSpace", s.lMinimumSpace);
    WriteFlag(file, "iEnableMaintenance", s.iEnableMaintenance);
    WriteNumber(file, "iLastScan", s.iLastScan);
    WriteNumber(file, "iLastDefragment", s.iLastDefragment);
    WriteNumber(file, "iLastBackup", s.iLastBackup);
    WriteNumber(file, "iLastCompression", s.iLastCompression);
    WriteNumber(file, "iScanInterval", s.iScanInterval);
    WriteNumber(file, "iDefragmentInterval", s.iDefragmentInterval);
    WriteNumber(file, "iBackupInterval", s.iBackupInterval);
    WriteNumber(file, "iCompressionInterval", s.iCompressionInterval);
    WriteLine(file, "iScanDiskDrivesSetting", s.iScanDiskDrivesSetting == 0 ? "ONE" : "TWO");
    WriteLine(file, "iDefragDiskDrivesSetting", s.iDefragDiskDrivesSetting == 0 ? "ONE" : "TWO");
    WriteFlag(file, "iStartStopSetting", s.iStartStopSetting);
    WriteFlag(file, "iIgnore", s.iIgnore);
    WriteMode(file, "iDefragmentMode", s.iDefragmentMode);
    WriteMode(file, "iDefragmentDisplayMode", s.iDefragmentDisplayMode);
    WriteText(file, "szDrivesToScan", s.szDrivesToScan, DriveListSize);
    WriteText(file, "szDrivesToDefrag", s.szDrivesToDefrag, DriveListSize);
    // Buffered writes fail late: only a flush shows a full disk.
    return fflush(file) == 0 && ferror(file) == 0;
}

static bool WriteSettingsFile(const char *path, const SettingsFileOps &ops)
{
    FILE *file = ops.openFile(path, "wb");
    if (file == nullptr)
        return false;
    // On disk before it takes the old file's place: a crash after the
    // replacing move must not leave an empty file there.
    bool written = WriteSettingsStream(file) && ops.flushFile(file);
    bool closed = fclose(file) == 0;
    return written && closed;
}

bool SaveSettingsFile(const char *path, const SettingsFileOps &ops)
{
    char temporary[4096 + sizeof TemporarySuffix];
    if (!TemporaryPath(path, temporary, sizeof temporary))
        return false;
    // The only whole copy may be waiting beside a missing file: put it in
    // place before the temporary name is written over.
    if (!ops.fileExists(path) && ops.fileExists(temporary) && !ops.renameFile(temporary, path))
        return false;
    if (!WriteSettingsFile(temporary, ops)) {
        ops.removeFile(temporary);
        return false;
    }
    if (ops.replaceFile(temporary, path))
        return true;
    // Without a replacing move: once the old file is gone, the complete new
    // one keeps the settings until the rename, and the reader takes it.
    if ((!ops.fileExists(path) || ops.removeFile(path)) && ops.renameFile(temporary, path))
        return true;
    if (ops.fileExists(path))
        ops.removeFile(temporary);  // the old file is still there, whole
    return false;
}
