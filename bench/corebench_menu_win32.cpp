// The Windows keepers of the quick access micro-benchmark: the entries go
// into a real popup menu, item by item, as the tray program's rebuild does
// (string items from id 12000, an entry with a NUL byte grayed, then a
// separator and "&Clear").
#include <windows.h>

#include "corebench.h"
#include "quickaccess.h"

namespace {

enum { FirstEntryId = 12000, ClearId = 7998 };

HMENU Menu;
UINT NextId;

bool MenuAdd(void *, const char *text, size_t length)
{
    UINT flags = MF_STRING;
    if (!QuickAccessEntryUsable(text, length))
        flags |= MF_GRAYED;
    if (!AppendMenuA(Menu, flags, NextId, text))
        return false;
    NextId++;
    return true;
}

void MenuEnd(long)
{
    AppendMenuA(Menu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(Menu, MF_STRING, ClearId, "&Clear");
}

// Removing at position 0 until it fails: every removal moves all later
// items, so this takes quadratic time (for comparison).
void RemoveFromTop(void)
{
    NextId = FirstEntryId;
    while (RemoveMenu(Menu, 0, MF_BYPOSITION)) {
    }
}

// The same result, removing the last item each time: the tray program's
// way of emptying the menu before it reads the file again.
void RemoveFromEnd(void)
{
    NextId = FirstEntryId;
    for (int count = GetMenuItemCount(Menu); count > 0; count--)
        RemoveMenu(Menu, (UINT)(count - 1), MF_BYPOSITION);
}

// A new, empty menu per pass: what start-up fills.
void NewMenu(void)
{
    Menu = CreatePopupMenu();
}

void DestroyTheMenu(void)
{
    DestroyMenu(Menu);
    Menu = NULL;
}

// One menu kept from pass to pass, full after the first: what a rebuild
// after an append or Clear empties and fills again.
void KeepMenu(void)
{
    if (Menu == NULL)
        Menu = CreatePopupMenu();
}

void Keep(void)
{
}

const EntryKeeper Keepers[] = {
    {"menu_fill", NewMenu, RemoveFromTop, MenuAdd, MenuEnd, DestroyTheMenu},
    {"menu_rebuild", KeepMenu, RemoveFromEnd, MenuAdd, MenuEnd, Keep},
    {"menu_rebuild_from_top", KeepMenu, RemoveFromTop, MenuAdd, MenuEnd, Keep},
};

}  // namespace

const EntryKeeper *const PlatformKeepers = Keepers;
const int PlatformKeeperCount = sizeof Keepers / sizeof Keepers[0];
