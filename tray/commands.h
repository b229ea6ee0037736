// Command ids of the main window, tray menu item ids and tray icon ids.
// Portable: no <windows.h>.
#pragma once

enum Command {
    CmdTrayMenu = 101,
    CmdQuickAccessMenu = 103,
    CmdAbout = 1000,
    CmdClose = 3000,
    CmdOptions = 4000,
    CmdOpenPath = 7000,
    CmdHelpTopics = 8000,
    CmdMaintenance = 10000,
    CmdModifyIcons = 32784,
    CmdRemoveIcons = 32785,
    CmdAddIcons = 32786
};

// Items of the tray menu; TrackPopupMenu returns them, they never travel
// as WM_COMMAND, so they may share numbers with the commands.
enum TrayMenuItem {
    ItemExit = 1,
    ItemAbout = 2,
    ItemOpen = 3,
    ItemOptions = 4,
    ItemHelpTopics = 6,
    ItemMaintenance = 7,
    ItemFirstDrive = 8000,  // A:
    ItemLastDrive = 8025    // Z:
};

// Items of the quick access menu.
enum QuickAccessItem {
    ItemQuickAccessClear = 7998,
    ItemQuickAccessEmpty = 7999,
    ItemFirstQuickAccessEntry = 12000
};

enum TrayIconId {
    IconMain = 5,
    IconDriveSpace = 6,
    IconDefragmenter = 7,
    IconCompressionAgent = 8,
    IconBackup = 9,
    IconScanDisk = 10,
    IconExplorer = 11,
    IconQuickAccess = 15
};

enum { TrayNotifyMessage = 1125 };  // WM_USER + 101

// Help contexts: each dialog's is its template number.
enum { HelpContents = 9000 };
