// The settings record and its file, TESSARON.INI.  Portable: no <windows.h>.
#pragma once
#include <stddef.h>
#include <stdio.h>

#include "platform.h"

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

// On the NT family, which has neither ScanDisk nor the 9x defragmenter,
// fills an empty szScanLocation with chkdsk.exe in the system folder and,
// from XP on, an empty szDefragmentLocation with defrag.exe there.  Nothing
// on Windows 95, 98 and ME.  Runs before ApplyDefaultToolLocations.
void ApplySystemToolLocations(const Platform &platform, const char *systemDir);

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
// in which case Settings is untouched.  When the file is missing, the
// complete new file that a save wrote beside it (path + ".TMP") is read
// instead: a save that could not replace the file in one step left it there.
bool LoadSettingsFile(const char *path);

// Writes the whole file from Settings with CR LF line ends (the stream must
// be binary).  False when a write failed.
bool WriteSettingsStream(FILE *file);

// The file operations of a save, as the system offers them.
struct SettingsFileOps {
    FILE *(*openFile)(const char *path, const char *mode);
    // Replaces "to" by "from" in one step; false on failure, and always
    // where the system has no such call (Windows 98 and ME).
    bool (*replaceFile)(const char *from, const char *to);
    bool (*renameFile)(const char *from, const char *to);  // "to" must not exist
    bool (*removeFile)(const char *path);
    bool (*fileExists)(const char *path);
    // Forces what was written to the file onto the disk.
    bool (*flushFile)(FILE *file);
};

// Writes path + ".TMP" whole, then puts it in place of path: in one step
// where the system can, otherwise by removing path and renaming.  The old
// file stays whole until the new one is complete, and after a failure at
// any step LoadSettingsFile finds one of the two whole.  A new file left
// waiting beside a missing path by an earlier save is put in place first.
// False on any failure.
bool SaveSettingsFile(const char *path, const SettingsFileOps &ops);
