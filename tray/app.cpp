#include "app.h"

#include <string.h>
#include <time.h>

#include "commands.h"
#include "helppages.h"
#include "textops.h"

// ---- Day numbers ---------------------------------------------------------

int DayNumber(int month, int day)
{
    // February always counts 29 days so that a day number means the same
    // date in every year.
    static const int MonthLength[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    int number = day;
    for (int m = 0; m < month - 1; m++)
        number += MonthLength[m];
    return number;
}

int TodayDayNumber(void)
{
    time_t now = time(NULL);
    const struct tm *local = localtime(&now);
    if (local == NULL)
        return 1;
    return DayNumber(local->tm_mon + 1, local->tm_mday);
}

// ---- Help file -----------------------------------------------------------

static const char HelpFileName[] = "TESSARON.HLP";

static bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool HelpPathFromModulePath(const char *modulePath, char *out, size_t size)
{
    if (size == 0)
        return false;
    out[0] = '\0';

    // The help file sits beside the program, whatever the program is called.
    size_t folderLength = 0;
    for (size_t i = 0; modulePath[i] != '\0'; i++)
        if (IsPathSeparator(modulePath[i]))
            folderLength = i;
    bool hasFolder = IsPathSeparator(modulePath[folderLength]);

    if (hasFolder) {
        if (folderLength + 1 > size) {
            return false;
        }
        memcpy(out, modulePath, folderLength);
        out[folderLength] = '\0';
        if (!AppendText(out, size, "\\") || !AppendText(out, size, HelpFileName)) {
            out[0] = '\0';
            return false;
        }
    } else if (!CopyText(out, size, HelpFileName)) {
        out[0] = '\0';
        return false;
    }

    for (char *p = out; *p != '\0'; p++)
        if (*p >= 'a' && *p <= 'z')
            *p = (char)(*p - 'a' + 'A');

    // Collapse runs of backslashes, but keep the two that begin a network
    // path (\\SERVER\SHARE).
    size_t kept = 0;
    for (size_t i = 0; out[i] != '\0'; i++) {
        if (out[i] == '\\' && kept > 1 && out[kept - 1] == '\\')
            continue;
        out[kept++] = out[i];
    }
    out[kept] = '\0';
    return true;
}

bool HelpPageFromHelpPath(const char *helpPath, int context, char *out, size_t size)
{
    const char *name = strrchr(helpPath, '\\');
    size_t folder = name != nullptr ? (size_t)(name + 1 - helpPath) : 0;
    if (size == 0 || folder >= size) {
        if (size > 0)
            out[0] = '\0';
        return false;
    }
    memcpy(out, helpPath, folder);
    out[folder] = '\0';
    if (!AppendText(out, size, HelpPagesFolder) || !AppendText(out, size, "\\") ||
        !AppendText(out, size, HelpPageForContext(context))) {
        out[0] = '\0';
        return false;
    }
    return true;
}

// ---- Access keys -----------------------------------------------------------

static bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

static int LetterIndex(char c)
{
    return (c >= 'a' ? c - 'a' : c - 'A');
}

// The position of the key: a free letter by the order of AddAccessKey, or
// the preferred (else the first) letter when none is free; -1 without one.
static long ChooseAccessKey(const char *text, size_t preferred, const AccessKeys &keys)
{
    size_t length = strlen(text);
    auto isFree = [&](size_t i) { return IsLetter(text[i]) && !keys.taken[LetterIndex(text[i])]; };
    if (preferred < length && isFree(preferred))
        return (long)preferred;
    for (size_t i = 0; i < length; i++)
        if (isFree(i) && (i == 0 || !IsLetter(text[i - 1])))
            return (long)i;
    for (size_t i = 0; i < length; i++)
        if (isFree(i))
            return (long)i;
    if (preferred < length && IsLetter(text[preferred]))
        return (long)preferred;
    for (size_t i = 0; i < length; i++)
        if (IsLetter(text[i]))
            return (long)i;
    return -1;
}

bool AddAccessKey(const char *text, size_t preferred, AccessKeys *keys, char *out, size_t size)
{
    long key = ChooseAccessKey(text, preferred, *keys);
    size_t length = strlen(text);
    if (length + (key >= 0 ? 2 : 1) > size) {
        if (size > 0)
            out[0] = '\0';
        return false;
    }
    size_t at = key >= 0 ? (size_t)key : length;
    memcpy(out, text, at);
    if (key >= 0) {
        out[at] = '&';
        keys->taken[LetterIndex(text[at])] = true;
    }
    memcpy(out + at + (key >= 0 ? 1 : 0), text + at, length - at + 1);
    return true;
}

// ---- Tray menu -----------------------------------------------------------

const char *DriveTypeWord(char letter, unsigned driveType)
{
    switch (driveType) {
    case DriveTypeRemovable:
        return (letter == 'A' || letter == 'B') ? "Floppy Disk" : "Removable";
    case DriveTypeFixed:
        return "Hard Disk";
    case DriveTypeRemote:
        return "Network Connection";
    case DriveTypeCdrom:
        return "CD-ROM";
    case DriveTypeRamdisk:
        return "RAM Disk";
    default:
        return "";
    }
}

void DriveRoot(char letter, char out[DriveRootSize])
{
    FormatText(out, DriveRootSize, "%c:\\", letter);
}

void DriveLabel(char letter, unsigned driveType, char out[MenuLabelSize])
{
    FormatText(out, MenuLabelSize, "Drive %c:\\ [%s]", letter, DriveTypeWord(letter, driveType));
}

static void PutEntry(MenuEntry *entry, int id, const char *text)
{
    entry->separator = (text == NULL);
    entry->id = id;
    CopyText(entry->text, sizeof entry->text, text != NULL ? text : "");
}

int TrayMenuLayout(unsigned long driveMask, DriveTypeQuery driveType,
                   MenuEntry entries[TrayMenuMaxEntries])
{
    static const struct {
        int id;
        const char *text;  // null: a separator
        size_t key;        // the letter each would rather have
    } FixedItems[] = {
        {ItemOpen, "Open...", 0},
        {0, NULL, 0},
        {ItemMaintenance, "AutoMaintenance...", 4},
        {0, NULL, 0},
        {ItemOptions, "Options...", 1},
        {0, NULL, 0},
        {ItemHelpTopics, "Help Topics", 0},
        {0, NULL, 0},
        {ItemAbout, "About Tessaron...", 0},
        {0, NULL, 0},
        {ItemExit, "Exit", 1},
    };
    static const size_t DriveLetterAt = 6;  // "Drive C:\ ..."

    // The drives first: a drive has no better key than its letter.
    AccessKeys keys = {};
    char text[MenuLabelSize];
    int count = 0;
    for (int index = 0; index < 26; index++) {
        if ((driveMask & (1ul << index)) == 0)
            continue;
        char letter = (char)('A' + index);
        char root[DriveRootSize];
        DriveRoot(letter, root);
        char label[MenuLabelSize];
        DriveLabel(letter, driveType(root), label);
        AddAccessKey(label, DriveLetterAt, &keys, text, sizeof text);
        PutEntry(&entries[count++], ItemFirstDrive + index, text);
    }
    if (count > 0)
        PutEntry(&entries[count++], 0, NULL);
    for (const auto &item : FixedItems) {
        if (item.text != NULL)
            AddAccessKey(item.text, item.key, &keys, text, sizeof text);
        PutEntry(&entries[count++], item.id, item.text != NULL ? text : NULL);
    }
    return count;
}

TrayChoice DecideTrayMenuChoice(int itemId)
{
    TrayChoice choice = {TrayChoiceKind::Nothing, 0, 0};
    switch (itemId) {
    case ItemExit:
        choice.kind = TrayChoiceKind::PostClose;
        return choice;
    case ItemAbout:
        choice.command = CmdAbout;
        break;
    case ItemOpen:
        choice.command = CmdOpenPath;
        break;
    case ItemOptions:
        choice.command = CmdOptions;
        break;
    case ItemHelpTopics:
        choice.command = CmdHelpTopics;
        break;
    case ItemMaintenance:
        choice.command = CmdMaintenance;
        break;
    default:
        if (itemId >= ItemFirstDrive && itemId <= ItemLastDrive) {
            choice.kind = TrayChoiceKind::OpenDrive;
            choice.letter = (char)('A' + (itemId - ItemFirstDrive));
        }
        return choice;
    }
    choice.kind = TrayChoiceKind::PostCommand;
    return choice;
}

// ---- Explorer --------------------------------------------------------------

const char ExplorerFailureMessage[] =
    "The Windows Explorer (EXPLORER.EXE) could not be started.  You may need to locate it "
    "using \"Set Tool Locations\" in the \"Options\" dialog box.";

bool BuildExplorerCommand(const SettingsRecord &settings, const char *target,
                          char *out, size_t size)
{
    const char *program = ToolProgram(settings, ToolKind::Explorer);
    if (!FormatText(out, size, "%s /n,%s%s", program, settings.iExplorerView != 0 ? "/e," : "",
                    target)) {
        if (size > 0)
            out[0] = '\0';
        return false;
    }
    return true;
}

// ---- Tray icons ------------------------------------------------------------

namespace {

struct TrayIconRow {
    int iconId;
    const char *tooltip;
    int SettingsRecord::*setting;   // null: always shown
    int TrayIconShown::*shown;      // null: the main icon, which has no flag
};

// In the order the icons are added.
const TrayIconRow TrayIcons[TrayIconCount] = {
    {IconMain, "Tessaron", nullptr, nullptr},
    {IconExplorer, "Windows Explorer", &SettingsRecord::iShowExplorerIcon, &TrayIconShown::explorer},
    {IconQuickAccess, "Quick Access List", nullptr, &TrayIconShown::quickAccess},
    {IconScanDisk, "ScanDisk", &SettingsRecord::iShowScanIcon, &TrayIconShown::scanDisk},
    {IconDefragmenter, "Defragment", &SettingsRecord::iShowDefragmentIcon, &TrayIconShown::defragmenter},
    {IconDriveSpace, "DriveSpace", &SettingsRecord::iShowDriveSpaceIcon, &TrayIconShown::driveSpace},
    {IconCompressionAgent, "Compression Agent", &SettingsRecord::iShowCompressionAgentIcon,
     &TrayIconShown::compressionAgent},
    {IconBackup, "Backup", &SettingsRecord::iShowBackupIcon, &TrayIconShown::backup},
};

// Rows of TrayIcons in the order the icons are removed: 5, 7, 15, 10, 9, 8, 6, 11.
const int RemoveOrder[TrayIconCount] = {0, 4, 2, 3, 7, 6, 5, 1};

void AddCall(TrayPlan *plan, const TrayIconRow &row, unsigned flags)
{
    TrayCall &call = plan->calls[plan->count++];
    call.iconId = row.iconId;
    call.flags = flags;
    call.tooltip = row.tooltip;
}

}  // namespace

TrayPlan PlanTrayIcons(int operation, const SettingsRecord &settings, TrayIconShown *shown)
{
    TrayPlan plan = {};
    plan.operation = operation;

    if (operation == TrayAdd || operation == TrayModify) {
        unsigned flags = operation == TrayAdd ? TrayFlagMessage | TrayFlagIcon | TrayFlagTip
                                              : TrayFlagTip;
        for (const TrayIconRow &row : TrayIcons) {
            if (row.setting != nullptr && settings.*row.setting == 0)
                continue;  // skipped: its flag keeps its value
            AddCall(&plan, row, flags);
            if (row.shown != nullptr)
                shown->*row.shown = 1;
        }
    } else if (operation == TrayDelete) {
        // Removal follows what was put there, not what the settings say now.
        for (int index : RemoveOrder) {
            const TrayIconRow &row = TrayIcons[index];
            if (row.shown != nullptr && shown->*row.shown != 1)
                continue;
            AddCall(&plan, row, 0);
            if (row.shown != nullptr)
                shown->*row.shown = 0;
        }
    }
    return plan;
}

// ---- Tools -----------------------------------------------------------------

static const ToolInfo Tools[ToolKindCount] = {
    {ToolKind::Explorer, IconExplorer, &SettingsRecord::szExplorerLocation, "EXPLORER.EXE",
     ExplorerFailureMessage},
    {ToolKind::ScanDisk, IconScanDisk, &SettingsRecord::szScanLocation, "SCANDSKW.EXE",
     "The scanning service (SCANDSKW.EXE) could not be started.  It may already be open, or you "
     "may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
    {ToolKind::Defragmenter, IconDefragmenter, &SettingsRecord::szDefragmentLocation, "DEFRAG.EXE",
     "The disk defragmenting service (DEFRAG.EXE) could not be started.  It may already be open, "
     "or you may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
    {ToolKind::Backup, IconBackup, &SettingsRecord::szBackupLocation, "BACKUP.EXE",
     "The backup service (BACKUP.EXE) could not be started.  It may already be open, or you may "
     "not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
    {ToolKind::DriveSpace, IconDriveSpace, &SettingsRecord::szDriveSpaceLocation, "DRVSPACE.EXE",
     "The DriveSpace manager (DRVSPACE.EXE) could not be started.  It may already be open, or you "
     "may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
    {ToolKind::CompressionAgent, IconCompressionAgent, &SettingsRecord::szCompressionAgentLocation,
     "CMPAGENT.EXE",
     "The compression service (CMPAGENT.EXE) could not be started.  It may already be open, or "
     "you may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
};

const ToolInfo &ToolInfoFor(ToolKind kind)
{
    return Tools[static_cast<int>(kind)];
}

bool ToolForIcon(int iconId, ToolKind *kind)
{
    for (const ToolInfo &tool : Tools) {
        if (tool.iconId == iconId) {
            *kind = tool.kind;
            return true;
        }
    }
    return false;
}

const char *ToolProgram(const SettingsRecord &settings, ToolKind kind)
{
    const ToolInfo &tool = ToolInfoFor(kind);
    const char *location = settings.*tool.location;
    return location[0] != '\0' ? location : tool.fallbackName;
}

bool BuildToolCommand(const SettingsRecord &settings, ToolKind kind, char *out, size_t size)
{
    // The location is the whole command line, arguments included.
    if (!CopyText(out, size, ToolProgram(settings, kind))) {
        if (size > 0)
            out[0] = '\0';
        return false;
    }
    return true;
}

TrayMouseAction DecideTrayMouse(int iconId, int mouseMessage)
{
    TrayMouseAction action = {TrayMouseKind::Nothing, ToolKind::Explorer, false};
    action.keyboard = mouseMessage == TrayKeySelect || mouseMessage == TrayContextMenu;
    bool menu = mouseMessage == MouseRightUp || action.keyboard;
    bool launch = mouseMessage == MouseLeftDown || mouseMessage == TrayKeySelect;
    if (menu && iconId == IconMain)
        action.kind = TrayMouseKind::PostTrayMenu;
    else if (menu && iconId == IconQuickAccess)
        action.kind = TrayMouseKind::PostQuickAccessMenu;
    else if (launch && ToolForIcon(iconId, &action.tool))
        action.kind = TrayMouseKind::Launch;
    return action;
}

bool RepeatsTrayAction(const TrayActionMemory &last, int iconId, uint32_t now, uint32_t limit)
{
    if (last.iconId == 0 || last.iconId != iconId)
        return false;
    // 32 bits, as the system's tick count, which wraps after 49.7 days.
    return last.running || (uint32_t)(now - last.endedAt) < limit;
}

// ---- Icons the shell refused ------------------------------------------------

static unsigned IconBit(int iconId)
{
    return iconId >= 0 && iconId < 32 ? 1u << iconId : 0;
}

void NoteTrayAnswer(TrayIconAnswers *answers, int operation, int iconId, bool accepted)
{
    unsigned bit = IconBit(iconId);
    if (operation == TrayAdd && accepted) {
        answers->present |= bit;
        answers->refused &= ~bit;
    } else if (operation == TrayAdd && (answers->present & bit) == 0) {
        answers->refused |= bit;
    } else if (operation == TrayDelete) {
        answers->present &= ~bit;
        answers->refused &= ~bit;
    }
}

TrayPlan RefusedTrayCalls(const TrayPlan &addPlan, const TrayIconAnswers &answers)
{
    TrayPlan plan = {};
    plan.operation = addPlan.operation;
    for (int i = 0; i < addPlan.count; i++)
        if (answers.refused & IconBit(addPlan.calls[i].iconId))
            plan.calls[plan.count++] = addPlan.calls[i];
    return plan;
}
