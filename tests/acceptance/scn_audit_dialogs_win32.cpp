// What the other scenarios leave unchecked about the option dialogs, the
// setup pages and the uninstaller: the tooltip windows as created, commands
// that are not button clicks, setup's main window, and an installation
// into the root of the current drive removed again without a false report.
#include "driver.h"

#include "commands.h"
#include "resource.h"

#include <commctrl.h>

namespace {

const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron";
const char ScriptName[] = "Tessaron - Uninstallation Data";
const char *const ShippedNames[] = {"Tessaron.hl_", "Tessaron.ex_", "ReadMe.txt", "Tessaron.txt",
                                    "Kelvey.ex_"};

// ---------------------------------------------------------------- dialogs
// The program's visible dialog "Tessaron" that has this control.
HWND AuditDialogWith(const Program &program, int controlId)
{
    HWND found = nullptr;
    auto find = [&] {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", "Tessaron")) != nullptr) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == program.id && IsWindowVisible(window) && GetDlgItem(window, controlId)) {
                found = window;
                return true;
            }
        }
        return false;
    };
    if (!WaitFor(find))
        Fail("no dialog with control %d appeared", controlId);
    return found;
}

// The dialog's tooltip window: a popup of its own, always showing its tips.
void CheckToolTipWindow(HWND dialog)
{
    HWND tips = nullptr;
    auto find = [&] {
        while ((tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr)) != nullptr)
            if (GetWindow(tips, GW_OWNER) == dialog)
                return true;
        return false;
    };
    if (!WaitFor(find))
        Fail("the dialog has no tooltip window");
    DWORD style = (DWORD)GetWindowLongA(tips, GWL_STYLE);
    CHECK_EQ(style & (WS_POPUP | WS_CHILD), (DWORD)WS_POPUP);
    CHECK_EQ(style & TTS_ALWAYSTIP, (DWORD)TTS_ALWAYSTIP);
}

// OK, Cancel and Help with a notification code other than a click (what an
// accelerator would send) change nothing: the dialog stays open.  A
// character posted to one of its fields after them shows when all three
// have been handled.
void CheckOnlyClicksAct(HWND dialog, int fieldId)
{
    for (int id : {IDOK, IDCANCEL, IDC_HELPBUTTON})
        CHECK(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 1), 0));
    HWND field = ControlWindow(dialog, fieldId);
    std::string before = ControlText(dialog, fieldId);
    CHECK(PostMessageA(field, WM_CHAR, '7', 1));
    if (!WaitFor([&] { return ControlText(dialog, fieldId) != before; }))
        Fail("field %d did not take the character", fieldId);
    CHECK(IsWindow(dialog) && IsWindowVisible(dialog));
    CHECK(HelpCalls().empty());
}

void CheckDialog(HWND dialog, int fieldId)
{
    CheckToolTipWindow(dialog);
    CheckOnlyClicksAct(dialog, fieldId);
}

void Close(HWND dialog, int button)
{
    ClickButton(dialog, button);
    WaitWindowGone(dialog);
}

// ---------------------------------------------------------------- setup
// A page "Setup" of the wizard: it has the Back button, message boxes not.
HWND WaitSetupPage(int controlId = 0)
{
    HWND found = nullptr;
    auto find = [&] {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", "Setup")) != nullptr) {
            if (!IsWindowVisible(window))
                continue;
            if (GetDlgItem(window, 14002) && (controlId == 0 || GetDlgItem(window, controlId))) {
                found = window;
                return true;
            }
        }
        return false;
    };
    if (!WaitFor(find))
        Fail("no page \"Setup\" with control %d appeared", controlId);
    return found;
}

void PressPage(HWND page, int id)
{
    ClickButton(page, id);
    WaitWindowGone(page);
}

std::string DistFile(const char *name)
{
    return BuildFile("dist") + "\\" + name;
}

Program StartSetupIn(const std::string &folder)
{
    return StartProgram("\"" + DistFile("setup.exe") + "\"", folder);
}

}  // namespace

// ---------------------------------------------------------------- scenarios
SCENARIO(audit_dialogs_tooltips_and_non_click_commands)
{
    Program tessaron = StartTessaron();
    ClearHelpCalls();

    Step("Options and Tool Locations");
    PostCommand(tessaron, CmdOptions);
    HWND options = AuditDialogWith(tessaron, IDC_OPTIONS_TOOLLOCATIONS);
    CheckDialog(options, IDC_OPTIONS_MINSPACE);
    ClickButton(options, IDC_OPTIONS_TOOLLOCATIONS);
    HWND tools = AuditDialogWith(tessaron, IDC_TOOLS_EXPLORER);
    CheckDialog(tools, IDC_TOOLS_EXPLORER);
    Close(tools, IDCANCEL);
    Close(options, IDCANCEL);

    Step("Maintenance, ScanDisk and Defragmenter settings");
    PostCommand(tessaron, CmdMaintenance);
    HWND maintenance = AuditDialogWith(tessaron, IDC_MAINT_SCANSETTINGS);
    CheckDialog(maintenance, IDC_MAINT_SCANDAYS);
    ClickButton(maintenance, IDC_MAINT_SCANSETTINGS);
    HWND scan = AuditDialogWith(tessaron, IDC_SCAN_IGNORE);
    CheckDialog(scan, IDC_SCAN_DRIVES);
    Close(scan, IDCANCEL);
    ClickButton(maintenance, IDC_MAINT_DEFRAGSETTINGS);
    HWND defrag = AuditDialogWith(tessaron, IDC_DEFRAG_FULL);
    CheckDialog(defrag, IDC_DEFRAG_DRIVES);
    Close(defrag, IDCANCEL);
    Close(maintenance, IDCANCEL);

    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
}

SCENARIO(audit_setup_main_window_and_non_click_commands)
{
    Program setup = StartSetupIn(BuildFile("dist"));
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = FindWindowA("Setup", "Setup")) != nullptr; }))
        Fail("no main window \"Setup\"");
    CHECK(WaitFor([&] { return IsIconic(main) != FALSE; }));
    DWORD style = (DWORD)GetWindowLongA(main, GWL_STYLE);
    CHECK_EQ(style & WS_OVERLAPPEDWINDOW, (DWORD)WS_OVERLAPPEDWINDOW);
    // Wine gives no placement of another process's window: restored for a
    // moment, it shows its size, then goes back to the taskbar.
    Step("the main window restored measures 525 x 214");
    ShowWindowAsync(main, SW_SHOWNOACTIVATE);
    RECT size = {};
    auto restored = [&] {
        GetWindowRect(main, &size);
        return !IsIconic(main) && size.right - size.left == 525 && size.bottom - size.top == 214;
    };
    if (!WaitFor(restored))
        Fail("the restored main window measures %ld x %ld", size.right - size.left,
             size.bottom - size.top);
    ShowWindowAsync(main, SW_SHOWMINNOACTIVE);
    CHECK(WaitFor([&] { return IsIconic(main) != FALSE; }));

    PressPage(WaitSetupPage(), IDOK);
    Step("the folder page ignores Next, Exit and Back sent as other notifications");
    HWND folder = WaitSetupPage(14001);
    for (int id : {IDOK, IDCANCEL, 14002})
        CHECK(PostMessageA(folder, WM_COMMAND, MAKEWPARAM(id, 1), 0));
    CHECK(PostMessageA(ControlWindow(folder, 14001), WM_CHAR, 'x', 1));
    if (!WaitFor([&] { return ControlText(folder, 14001) != "C:\\Tessaron"; }))
        Fail("the folder field did not take the character");
    CHECK(IsWindow(folder) && IsWindowVisible(folder));

    PressPage(folder, IDCANCEL);
    CHECK_TEXT(AnswerMessageBox(IDYES, "Setup Wizard"),
               "The setup of Tessaron is not complete!  Are you sure you want to exit?");
    CHECK_EQ(WaitForExit(setup), 0u);
    CHECK(!FileExists(WindowsFile(ScriptName)));
}

// An empty folder field installs into the root of setup's current drive;
// the uninstaller then removes the files there and leaves the root alone
// without reporting it as something it could not remove.
SCENARIO(audit_uninstall_after_install_into_drive_root)
{
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, UninstallKey);
    // The distribution copied to C:, so that the current drive is C:.
    std::string dist = "C:\\AuditDist";
    MakeFolder(dist);
    for (const char *name : ShippedNames)
        WriteFileBytes(dist + "\\" + name, ReadFileOrFail(DistFile(name)));

    Program setup = StartSetupIn(dist);
    PressPage(WaitSetupPage(), IDOK);
    HWND folder = WaitSetupPage(14001);
    SetControlText(folder, 14001, "");
    PressPage(folder, IDOK);
    PressPage(WaitSetupPage(14003), IDOK);
    CHECK_TEXT(AnswerMessageBox(IDOK, "Setup Wizard"),
               "You must close all applications and restart your computer to activate Tessaron.");
    CHECK_EQ(WaitForExit(setup), 0u);

    const char *const installed[] = {"C:\\Tessaron.hlp", "C:\\Tessaron.exe", "C:\\ReadMe.txt",
                                     "C:\\Tessaron.txt"};
    for (const char *path : installed)
        CHECK(FileExists(path));
    std::string script = ReadFileOrFail(WindowsFile(ScriptName));
    CHECK(script.find("\r\n[EMPTY FOLDER] \\\r\n") != std::string::npos);

    std::string command;
    CHECK(ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", &command));
    Program kelvey = StartProgram(command, "C:\\");
    AnswerMessageBox(IDYES, "Uninstall");
    CHECK_TEXT(AnswerMessageBox(IDOK, "Uninstall"), "Tessaron has been removed from your computer.");
    CHECK_EQ(WaitForExit(kelvey), 0u);
    for (const char *path : installed)
        CHECK(!FileExists(path));
    CHECK(!FileExists(WindowsFile(ScriptName)));
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}
