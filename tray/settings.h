// The settings record and its file, TESSARON.INI.  Portable: no <windows.h>.
#pragma once
#include <stddef.h>
#include <stdio.h>

enum {
    LocationSize = 512,   // tool locations, terminator included
    DriveListSize = 128,  // drive lists, terminator included
    SettingsLineSize = 2048
};

struct SettingsRecord {
    int iShowExplorerIcon;
    int iShowScanIcon;
    int iShowDefragmentIcon;
    int iShowBackupIcon;
    int iShowDriveSpaceIcon;
    int iShowCompressionAgentIcon;
    int iSingleDriveView;
    int iExplorerView;
    int iCheckFloppySpace;
    int iLowSpaceWarningEnabled;
    int iEnableMaintenance;
    int iLastScan;
    int iLastDefragment;
    int iLastBackup;
    int iLastCompression;
    int iScanInterval;
    int iDefragmentInterval;
    int iBackupInterval;
    int iCompressionInterval;
    int lMinimumSpace;  // "long" in the file's vocabulary; 32 bits on every target
    int iScanDiskDrivesSetting;
    int iDefragDiskDrivesSetting;
    int iStartStopSetting;
    int iIgnore;
    int iDefragmentMode;
    int iDefragmentDisplayMode;
    char szExplorerLocation[LocationSize];
    char szScanLocation[LocationSize];
    char szDefragmentLocation[LocationSize];
    char szBackupLocation[LocationSize];
    char szDriveSpaceLocation[LocationSize];
    char szCompressionAgentLocation[LocationSize];
    char szDrivesToScan[DriveListSize];
    char szDrivesToDefrag[DriveListSize];
};

// The one record of the tray program.
extern SettingsRecord Settings;

// The record as the program starts, before start-up touches it.
SettingsRecord InitialSettings(void);

// --- The settings file, TESSARON.INI -------------------------------------

// Joins the Windows directory and a file name: a backslash between them
// unless the directory is a drive root such as "C:\" (exactly 3 characters).
// Leaves dest empty when the directory is empty or the result would not fit.
void DefaultToolPath(char *dest, size_t size, const char *windowsDir, const char *fileName);

// Fills each of szExplorerLocation, szScanLocation and szDefragmentLocation
// that is still empty with its program in the Windows directory.
void ApplyDefaultToolLocations(const char *windowsDir);

// TESSARON.INI in the Windows directory; false (out empty) when the
// directory is empty or the path would not fit.
bool SettingsFilePath(const char *windowsDir, char *out, size_t size);

// Applies one piece of the file (a modifiable NUL-terminated buffer, line
// break included) to Settings.  Keys are found anywhere in the line.
void ParseSettingsLine(char *line);

// Reads a stream opened in binary mode as a text file: CR dropped wherever
// it stands, Ctrl-Z ends the file, pieces of at most SettingsLineSize-1
// characters up to and including the LF.
void ReadSettingsStream(FILE *file);

// Reads the file at path into Settings; false when it cannot be opened,
// in which case Settings is untouched.
bool LoadSettingsFile(const char *path);

// Writes the whole file from Settings with CR LF line ends (the stream must
// be binary).  False when a write failed.
bool WriteSettingsStream(FILE *file);

// Replaces the file "to" by the file "from"; true on success.  Platform
// operation: rename() on Windows will not replace an existing file.
typedef bool (*ReplaceFileFunction)(const char *from, const char *to);

// Writes a temporary file beside path and puts it in place only when every
// write and the close succeeded.  On failure returns false, removes the
// temporary file and leaves the old file whole.
bool SaveSettingsFile(const char *path, ReplaceFileFunction replaceFile);
