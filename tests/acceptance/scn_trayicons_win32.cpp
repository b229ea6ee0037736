// The tray icons as the shell sees them (added at start-up, removed at
// Exit, added again when the taskbar restarts), the mouse actions over
// them, the tools they start and the tools' failure messages; the About
// box.  With TESSARON_SHOTS set, the tray and the About box are saved as
// tray.png and about.png.
#include "driver.h"

#include "commands.h"
#include "resource.h"
#include "version.h"

namespace {

const char ToolTail[] =
    "could not be started.  It may already be open, or you may not have located it using "
    "\"Set Tool Locations\" in the \"Options\" dialog box.";

struct Tool {
    int icon;
    const char *showKey;
    const char *locationKey;
    const char *recorder;  // the stand-in's file name in C:\rec
    std::string failure;
};

const std::vector<Tool> &Tools()
{
    static const std::vector<Tool> tools = {
        {IconExplorer, "iShowExplorerIcon", "szExplorerLocation", "explorer.exe",
         "The Windows Explorer (EXPLORER.EXE) could not be started.  You may need to locate it "
         "using \"Set Tool Locations\" in the \"Options\" dialog box."},
        {IconScanDisk, "iShowScanIcon", "szScanLocation", "scandskw.exe",
         std::string("The scanning service (SCANDSKW.EXE) ") + ToolTail},
        {IconDefragmenter, "iShowDefragmentIcon", "szDefragmentLocation", "defrag.exe",
         std::string("The disk defragmenting service (DEFRAG.EXE) ") + ToolTail},
        {IconBackup, "iShowBackupIcon", "szBackupLocation", "backup.exe",
         std::string("The backup service (BACKUP.EXE) ") + ToolTail},
        {IconDriveSpace, "iShowDriveSpaceIcon", "szDriveSpaceLocation", "drvspace.exe",
         std::string("The DriveSpace manager (DRVSPACE.EXE) ") + ToolTail},
        {IconCompressionAgent, "iShowCompressionAgentIcon", "szCompressionAgentLocation",
         "cmpagent.exe", std::string("The compression service (CMPAGENT.EXE) ") + ToolTail},
    };
    return tools;
}

const Tool &ToolOf(int icon)
{
    for (const Tool &tool : Tools())
        if (tool.icon == icon)
            return tool;
    Fail("icon %d is no tool's", icon);
}

// Each tool icon on, each location as location(tool) gives it.
template <class Location> std::vector<std::string> AllIconsOn(Location location)
{
    std::vector<std::string> lines = {"[Tessaron]"};
    for (const Tool &tool : Tools()) {
        lines.push_back(std::string(tool.showKey) + " = YES");
        lines.push_back(std::string(tool.locationKey) + " = " + location(tool));
    }
    return lines;
}

// ---------------------------------------------------------------- icon calls
const char *Operation(DWORD operation)
{
    switch (operation) {
    case NIM_ADD: return "add";
    case NIM_MODIFY: return "modify";
    case NIM_DELETE: return "delete";
    case NIM_SETFOCUS: return "focus";
    case NIM_SETVERSION: return "version";
    default: return "?";
    }
}

// "add 5, version 5 (3), add 11, delete 5": the calls in the order the
// tray received them, a version with the one asked for, a refused call
// marked.
std::string Describe(const std::vector<TrayCall> &calls)
{
    std::string text;
    for (const TrayCall &call : calls)
        text += (text.empty() ? "" : ", ") + std::string(Operation(call.operation)) + " " +
                std::to_string(call.id) +
                (call.operation == NIM_SETVERSION ? " (" + std::to_string(call.version) + ")" : "") +
                (call.refused ? " refused" : "");
    return text;
}

std::string Sequence(DWORD operation, std::initializer_list<int> ids)
{
    std::vector<TrayCall> calls;
    for (int id : ids) {
        TrayCall call = {};
        call.operation = operation;
        call.id = (UINT)id;
        calls.push_back(call);
    }
    return Describe(calls);
}

const char *Tooltip(UINT id)
{
    switch (id) {
    case IconMain: return "Tessaron";
    case IconExplorer: return "Windows Explorer";
    case IconQuickAccess: return "Quick Access List";
    case IconScanDisk: return "ScanDisk";
    case IconDefragmenter: return "Defragment";
    case IconDriveSpace: return "DriveSpace";
    case IconCompressionAgent: return "Compression Agent";
    case IconBackup: return "Backup";
    default: return "?";
    }
}

// Every call is for Tessaron's window; an add carries the message, icon
// and tip flags, the notification message 1125 and the icon's tooltip; a
// delete carries no flags.
void CheckRecords(const std::vector<TrayCall> &calls, HWND window)
{
    for (const TrayCall &call : calls) {
        CHECK(call.window == window);
        if (call.operation == NIM_ADD) {
            CHECK_EQ(call.flags, (UINT)(NIF_MESSAGE | NIF_ICON | NIF_TIP));
            CHECK_EQ(call.callbackMessage, (UINT)TrayNotifyMessage);
            CHECK_TEXT(call.tip, Tooltip(call.id));
        } else {
            CHECK_EQ(call.operation, (DWORD)NIM_DELETE);
            CHECK_EQ(call.flags, 0u);
        }
    }
}

// Fails if the tray receives more than count calls within ms milliseconds.
void CheckNoMoreTrayCalls(size_t count, DWORD ms)
{
    if (WaitFor([&] { return TrayCalls().size() > count; }, ms))
        Fail("unexpected tray icon calls: %s", Describe(TrayCalls()).c_str());
}

// ---------------------------------------------------------------- steps
// The icons added at start-up in their order, then at Exit added again
// (the menu does that, changing nothing) and removed in their order.
void CheckAddedThenRemoved(std::initializer_list<int> added, std::initializer_list<int> removed,
                           bool saveTray = false)
{
    Program tessaron = StartTessaron();
    WaitTrayCalls(added.size());
    CheckNoMoreTrayCalls(added.size(), 500);
    std::vector<TrayCall> calls = TrayCalls();
    CHECK_TEXT(Describe(calls), Sequence(NIM_ADD, added));
    CheckRecords(calls, tessaron.window);
    if (saveTray)
        SaveTrayScreenshot("tray.png", 5, 2);

    Step("Exit: the icons are added again after the menu, then removed");
    ClearTrayCalls();
    ExitTessaron(tessaron);
    calls = TrayCalls();
    CHECK_TEXT(Describe(calls), Sequence(NIM_ADD, added) + ", " + Sequence(NIM_DELETE, removed));
    CheckRecords(calls, tessaron.window);
}

// Each tool's failure: the message with its text, OK alone and an icon.
void CheckToolFailure(const Program &tessaron, int icon)
{
    Step("left press over icon %d", icon);
    PostTrayMouse(tessaron, icon, WM_LBUTTONDOWN);
    CheckMessageBox(ToolOf(icon).failure, {IDOK}, IDOK);
}

}  // namespace

// ---------------------------------------------------------------- icon calls
SCENARIO(trayicons_default_icons_added_then_removed_at_exit)
{
    CheckAddedThenRemoved({5, 11, 15, 10, 7}, {5, 7, 15, 10, 11}, true);
}

SCENARIO(trayicons_all_icons_added_and_removed_in_their_orders)
{
    WriteSettings(AllIconsOn([](const Tool &) { return std::string("<undefined>"); }));
    CheckAddedThenRemoved({5, 11, 15, 10, 7, 6, 8, 9}, {5, 7, 15, 10, 9, 8, 6, 11});
}

SCENARIO(trayicons_added_again_when_the_taskbar_restarts)
{
    Program tessaron = StartTessaron();
    WaitTrayCalls(5);
    CheckNoMoreTrayCalls(5, 300);
    ClearTrayCalls();

    Step("broadcast \"TaskbarCreated\", as a restarted shell does");
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    CHECK(taskbarCreated != 0);
    CHECK(PostMessageA(HWND_BROADCAST, taskbarCreated, 0, 0));
    WaitTrayCalls(5);
    CheckNoMoreTrayCalls(5, 500);
    std::vector<TrayCall> calls = TrayCalls();
    CHECK_TEXT(Describe(calls), Sequence(NIM_ADD, {5, 11, 15, 10, 7}));
    CheckRecords(calls, tessaron.window);

    Step("a second restart: the same again");
    ClearTrayCalls();
    CHECK(PostMessageA(tessaron.window, taskbarCreated, 0, 0));
    WaitTrayCalls(5);
    CHECK_TEXT(Describe(TrayCalls()), Sequence(NIM_ADD, {5, 11, 15, 10, 7}));
    CHECK(!HasEnded(tessaron));
    ExitTessaron(tessaron);
}

// ---------------------------------------------------------------- mouse actions
SCENARIO(trayicons_right_release_on_main_icon_opens_tray_menu)
{
    Program tessaron = StartTessaron();
    PostTrayMouse(tessaron, IconMain, WM_RBUTTONUP);
    WaitPopupMenu();
    // Exit ends the program only from the tray menu.
    ChooseMenuPosition(TrayMenuPosition(ItemExit));
    CHECK_EQ(WaitForExit(tessaron), 0ul);
}

SCENARIO(trayicons_backup_without_location_warns)
{
    // "<undefined>" is how the settings file says empty.
    WriteSettings({"[Tessaron]", "iShowBackupIcon = YES", "szBackupLocation = <undefined>"});
    Program tessaron = StartTessaron();
    WaitTrayCalls(6);
    CHECK_EQ(TrayCalls()[5].id, (UINT)IconBackup);

    CheckToolFailure(tessaron, IconBackup);
    CHECK(!HasEnded(tessaron));
    ExitTessaron(tessaron);
}

SCENARIO(trayicons_tool_starts_from_its_location)
{
    struct Case {
        int icon;
        const char *arguments;  // part of the location
    };
    const Case cases[] = {{IconBackup, ""}, {IconScanDisk, " /a"}};
    std::vector<std::string> settings = {"[Tessaron]"};
    for (const Case &c : cases) {
        const Tool &tool = ToolOf(c.icon);
        settings.push_back(std::string(tool.showKey) + " = YES");
        settings.push_back(std::string(tool.locationKey) + " = " + InstallRecorder(tool.recorder) +
                           c.arguments);
    }
    WriteSettings(settings);
    Program tessaron = StartTessaron();
    for (const Case &c : cases) {
        const Tool &tool = ToolOf(c.icon);
        Step("left press over icon %d: the location, whole, is the command line", c.icon);
        PostTrayMouse(tessaron, c.icon, WM_LBUTTONDOWN);
        std::vector<std::string> lines = WaitRecorderLines(tool.recorder, 1);
        CHECK_TEXT(lines[0], "C:\\rec\\" + std::string(tool.recorder) + c.arguments);
    }
    CheckNoMessageBox(500);
    for (const Case &c : cases)
        CHECK_EQ(RecorderLines(ToolOf(c.icon).recorder).size(), 1u);
    ExitTessaron(tessaron);
}

SCENARIO(trayicons_other_mouse_actions_start_nothing)
{
    for (const Tool &tool : Tools())
        InstallRecorder(tool.recorder);
    WriteSettings(AllIconsOn([](const Tool &tool) { return "C:\\rec\\" + std::string(tool.recorder); }));
    Program tessaron = StartTessaron();
    WaitTrayCalls(8);

    Step("right release, left release and double click over each tool icon");
    for (const Tool &tool : Tools())
        for (int message : {WM_RBUTTONUP, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN})
            PostTrayMouse(tessaron, tool.icon, message);
    Step("left press over the main icon and the quick access icon");
    PostTrayMouse(tessaron, IconMain, WM_LBUTTONDOWN);
    PostTrayMouse(tessaron, IconQuickAccess, WM_LBUTTONDOWN);
    // The notifications are handled in order: once this press has started
    // Explorer, every one before it has been handled.
    PostTrayMouse(tessaron, IconExplorer, WM_LBUTTONDOWN);
    CHECK_TEXT(WaitRecorderLines("explorer.exe", 1)[0], "C:\\rec\\explorer.exe");

    CheckNoMessageBox(500);
    CHECK(!PopupMenuShown());
    for (const Tool &tool : Tools())
        CHECK_EQ(RecorderLines(tool.recorder).size(), tool.icon == IconExplorer ? 1u : 0u);
    ExitTessaron(tessaron);
}

SCENARIO(trayicons_each_tool_warns_for_missing_location)
{
    WriteSettings(AllIconsOn([](const Tool &tool) { return "C:\\rec\\missing\\" + std::string(tool.recorder); }));
    Program tessaron = StartTessaron();
    for (const Tool &tool : Tools())
        CheckToolFailure(tessaron, tool.icon);
    CHECK(!HasEnded(tessaron));
    ExitTessaron(tessaron);
}

// ---------------------------------------------------------------- the keyboard
// Where Shell32 5.0 serves (2000, ME and later), each icon the shell takes
// is asked for the keyboard version; Windows 98 keeps the calls of before.
SCENARIO(trayicons_keyboard_version_from_shell32_5)
{
    const struct {
        const char *windows;
        bool keyboard;
    } cases[] = {{"win98", false}, {"winme", true}, {"win2k", true}, {"win10", true}};
    for (const auto &c : cases) {
        UseWindowsVersion(c.windows);
        ClearTrayCalls();
        Program tessaron = StartTessaron();
        std::string expected;
        for (int id : {5, 11, 15, 10, 7})
            expected += (expected.empty() ? "" : ", ") + Sequence(NIM_ADD, {id}) +
                        (c.keyboard ? ", version " + std::to_string(id) + " (3)" : "");
        size_t count = c.keyboard ? 10 : 5;
        WaitTrayCalls(count);
        CheckNoMoreTrayCalls(count, 300);
        CHECK_TEXT(Describe(TrayCalls()), expected);
        ExitTessaron(tessaron);
    }
}

// Enter (or Space) on an icon arrives as NIN_KEYSELECT, often twice: each
// tool starts once, each menu opens once and gives the focus back to the
// tray when it closes.  The mouse does what it always did.
SCENARIO(trayicons_keyboard_selects_each_icon_once)
{
    for (const Tool &tool : Tools())
        InstallRecorder(tool.recorder);
    WriteSettings(AllIconsOn([](const Tool &tool) { return "C:\\rec\\" + std::string(tool.recorder); }));
    UseWindowsVersion("win2k");
    Program tessaron = StartTessaron();
    WaitTrayCalls(16);

    for (const Tool &tool : Tools()) {
        SendTrayNotification(tessaron, tool.icon, NIN_KEYSELECT);
        SendTrayNotification(tessaron, tool.icon, NIN_KEYSELECT);
    }
    for (const Tool &tool : Tools())
        CHECK_TEXT(WaitRecorderLines(tool.recorder, 1)[0], "C:\\rec\\" + std::string(tool.recorder));
    Step("once the double-click time has passed, Enter starts a tool again");
    Sleep(GetDoubleClickTime() + 100);
    SendTrayNotification(tessaron, IconExplorer, NIN_KEYSELECT);
    WaitRecorderLines("explorer.exe", 2);  // the notifications before it are handled
    for (const Tool &tool : Tools())
        CHECK_EQ(RecorderLines(tool.recorder).size(), tool.icon == IconExplorer ? 2u : 1u);

    struct {
        int icon;
        std::vector<UINT> messages;
        bool focusBack;
    } menus[] = {
        {IconMain, {NIN_KEYSELECT, NIN_KEYSELECT}, true},
        {IconQuickAccess, {NIN_KEYSELECT, NIN_KEYSELECT}, true},
        {IconMain, {WM_CONTEXTMENU}, true},  // the menu key
        {IconMain, {WM_RBUTTONUP, WM_CONTEXTMENU}, false},  // a right click, as this shell reports it
        {IconQuickAccess, {WM_RBUTTONUP, WM_CONTEXTMENU}, false},
    };
    for (const auto &menu : menus) {
        ClearTrayCalls();
        for (UINT message : menu.messages)
            SendTrayNotification(tessaron, menu.icon, message);
        DismissPopupMenu();
        Step("one menu only; the focus %s", menu.focusBack ? "back to the tray" : "left alone");
        CHECK(!WaitFor(PopupMenuShown, GetDoubleClickTime() + 300));
        std::string focus = "focus " + std::to_string(menu.icon);
        CHECK_EQ(Describe(TrayCalls()).find(focus) != std::string::npos, menu.focusBack);
    }
    CheckNoMessageBox(0);
    ExitTessaron(tessaron);
}

// ---------------------------------------------------------------- a busy shell
// A shell busy at log-on refuses the first add of each icon: every icon is
// there within 10 s all the same, and then nothing more is asked.
SCENARIO(trayicons_refused_icons_come_back)
{
    RefuseFirstTrayAdds();
    DWORD start = GetTickCount();
    Program tessaron = StartTessaron();
    bool all = WaitFor([] { return TrayCalls().size() >= 10; }, 10000);
    Step("after %lu ms: %s", (unsigned long)(GetTickCount() - start), Describe(TrayCalls()).c_str());
    CHECK(all);
    CheckNoMoreTrayCalls(10, 1500);
    CHECK_TEXT(Describe(TrayCalls()), "add 5 refused, add 11 refused, add 15 refused, add 10 refused, "
                                      "add 7 refused, " + Sequence(NIM_ADD, {5, 11, 15, 10, 7}));
    CheckRecords(TrayCalls(), tessaron.window);
    ExitTessaron(tessaron);
}

// ---------------------------------------------------------------- a second start
// Started again while it runs, Tessaron ends at once: no icon, no
// reminder, nothing written.
SCENARIO(trayicons_second_start_ends_at_once)
{
    Program first = StartTessaron();
    WaitTrayCalls(5);
    // Everything a second copy would act on: an overdue scan to remind of.
    std::string settings = SettingsText({{"iEnableMaintenance", "YES"}, {"iLastScan", "1"},
                                         {"iScanInterval", "1"}});
    WriteFileBytes(SettingsPath(), settings);
    ClearTrayCalls();
    Program second = StartProgram(TessaronPath(), "C:\\Tessaron");
    CHECK_EQ(WaitForExit(second), 0ul);
    CheckNoMessageBox(500);
    CHECK_TEXT(Describe(TrayCalls()), "");
    CHECK_TEXT(ReadFileOrFail(SettingsPath()), settings);
    CHECK(!HasEnded(first));
    ExitTessaron(first);
}

// ---------------------------------------------------------------- About box
SCENARIO(trayicons_about_box_shows_icon_and_version)
{
    Program tessaron = StartTessaron();
    std::string settingsBefore;
    bool hadSettings = ReadFileBytes(WindowsFile("TESSARON.INI"), &settingsBefore);
    ChooseTrayMenuItem(tessaron, ItemAbout);
    HWND about = WaitDialog("Tessaron");
    CHECK_TEXT(ControlText(about, IDC_ABOUT_TEXT), "Tessaron " TESSARON_VERSION);
    DWORD_PTR icon = 0;
    CHECK(SendMessageTimeoutA(ControlWindow(about, IDC_ABOUT_ICON), STM_GETICON, 0, 0, SMTO_ABORTIFHUNG,
                              5000, &icon));
    CHECK(icon != 0);
    CHECK_TEXT(ControlText(about, IDOK), "OK");

    CheckCentred(about);
    SaveWindowScreenshot(about, "about.png");
    PressButton(about, IDOK);
    std::string settingsAfter;
    CHECK_EQ(ReadFileBytes(WindowsFile("TESSARON.INI"), &settingsAfter), hadSettings);
    CHECK(settingsAfter == settingsBefore);  // About writes nothing
    ExitTessaron(tessaron);
}
