// The quick access menu and its file, TESSARON.QAL in the Windows directory.
// The menu items carry the paths: a chosen entry's path is read back from
// its item, whole.
#include "app_win32.h"
#include "commands.h"
#include "quickaccess.h"

static const char ClearItemText[] = "&Clear";
static const char EmptyItemText[] = "(Empty)";

static bool QuickAccessFile(char *path, size_t size)
{
    char windowsDir[PathTextSize];
    return GetWindowsDir(windowsDir, sizeof windowsDir) &&
           QuickAccessFilePath(windowsDir, path, size);
}

// From the last item: removing item 0 moves every later item each time,
// which makes emptying a long list take quadratic time.
static void EmptyQuickAccessMenu(void)
{
    for (int count = GetMenuItemCount(QuickAccessMenu); count > 0; count--)
        RemoveMenu(QuickAccessMenu, (UINT)(count - 1), MF_BYPOSITION);
}

// An entry with a NUL byte inside cannot be opened whole: it keeps its
// place (and so every later entry its id) but cannot be chosen.
static bool AddEntryItem(void *context, const char *text, size_t length)
{
    UINT *nextId = (UINT *)context;
    UINT flags = MF_STRING;
    if (!QuickAccessEntryUsable(text, length))
        flags |= MF_GRAYED;
    static char menuText[QuickAccessMenuTextSize];  // always fits: an entry is a piece
    QuickAccessMenuText(text, menuText, sizeof menuText);
    if (!AppendMenuA(QuickAccessMenu, flags, *nextId, menuText))
        return false;
    ++*nextId;
    return true;
}

void RebuildQuickAccessMenu(void)
{
    EmptyQuickAccessMenu();
    long count = 0;
    char path[PathTextSize];
    if (QuickAccessFile(path, sizeof path)) {
        // Binary: the reader applies the text rules itself.
        FILE *file = fopen(path, "rb");
        if (file) {
            UINT nextId = ItemFirstQuickAccessEntry;
            count = ReadQuickAccessEntries(file, QuickAccessMaxEntries, AddEntryItem, &nextId);
            fclose(file);
        }
    }
    if (count > 0) {
        AppendMenuA(QuickAccessMenu, MF_SEPARATOR, 0, NULL);
        AppendMenuA(QuickAccessMenu, MF_STRING, ItemQuickAccessClear, ClearItemText);
    } else {
        // Missing, empty or unreadable: a half-read list is not shown.
        EmptyQuickAccessMenu();
        AppendMenuA(QuickAccessMenu, MF_STRING | MF_GRAYED, ItemQuickAccessEmpty, EmptyItemText);
    }
}

static void OpenQuickAccessEntry(UINT id)
{
    // Hold any entry whole, where OpenPathText would cut it at 511.
    static char menuText[QuickAccessMenuTextSize];
    static char entry[QuickAccessPieceSize];
    menuText[0] = '\0';
    GetMenuStringA(QuickAccessMenu, id, menuText, sizeof menuText, MF_BYCOMMAND);
    QuickAccessEntryFromMenuText(menuText, entry, sizeof entry);
    OpenExplorerAt(entry, false);  // a failed start shows nothing here
}

void ShowQuickAccessMenu(POINT cursor)
{
    Sleep(200);
    QuickAccessPending = 0;
    // Left button only, unlike the tray menu.
    UINT id = (UINT)TrackPopupMenu(QuickAccessMenu, TPM_RETURNCMD, cursor.x, cursor.y, 0,
                                   MainWindow, NULL);
    TrayMenuClosed(MainWindow, IconQuickAccess);
    if (id >= ItemFirstQuickAccessEntry)
        OpenQuickAccessEntry(id);
    else if (id == ItemQuickAccessClear)
        ClearQuickAccessList();
}

// Takes back a part-written line.
static bool CutFile(const char *path, long size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = SetFilePointer(file, size, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
              SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

void AppendQuickAccessPath(const char *path)
{
    char file[PathTextSize];
    if (QuickAccessFile(file, sizeof file))
        AppendQuickAccessLine(file, path, CutFile);  // failure: the list stays as it was
}

void ClearQuickAccessList(void)
{
    char file[PathTextSize];
    if (QuickAccessFile(file, sizeof file))
        DeleteFileA(file);  // a missing file is already clear
    RebuildQuickAccessMenu();
}
