// The settings record and its file, TESSARON.INI.  Portable: no <windows.h>.
#pragma once
#include <stddef.h>

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
