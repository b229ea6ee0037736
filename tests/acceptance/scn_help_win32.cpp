// Help: the Help Topics command and each dialog's Help button ask WinHelp
// for their own context in TESSARON.HLP beside the program, and closing
// the program closes the viewer.  The last scenario runs Wine's real
// viewer on the built help file and reads the topics it shows.
#include "driver.h"

#include "commands.h"
#include "resource.h"

#include <tlhelp32.h>

namespace {

// Beside C:\Tessaron\Tessaron.exe, in upper case as the program derives it.
const char HelpFile[] = "C:\\TESSARON\\TESSARON.HLP";

// The caller is the owner window: the main window, or the dialog.
void CheckRequest(const HelpCall &call, HWND caller, UINT command, ULONG_PTR data, const char *file)
{
    CHECK(call.caller == caller);
    CHECK_EQ(call.command, command);
    CHECK_EQ(call.data, data);
    CHECK_TEXT(call.file, file);
}

// Closing the main window asks WinHelp to quit twice: the program's own
// help file, then with no file.
void CheckQuitRequests(const Program &tessaron, size_t from)
{
    std::vector<HelpCall> calls = HelpCalls();
    CHECK_EQ(calls.size(), from + 2);
    CheckRequest(calls[from], tessaron.window, HELP_QUIT, 0, HelpFile);
    CheckRequest(calls[from + 1], tessaron.window, HELP_QUIT, 0, "");
}

// ---------------------------------------------------------------- dialogs
// The program's visible dialog that has this control (the nested dialogs
// share the caption "Tessaron" with their owners).
HWND FindDialogHaving(const Program &tessaron, int controlId)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Tessaron")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == tessaron.id && IsWindowVisible(window) && GetDlgItem(window, controlId))
            return window;
    }
    return nullptr;
}

// How each dialog is reached: a command to the main window, or a button of
// the dialog opened just before; a control that only this dialog has.
struct DialogHelp {
    const char *name;
    int command;       // 0: opened by button of the previous dialog
    int button;
    int ownControl;
    int context;
};

HWND OpenDialog(const Program &tessaron, const DialogHelp &dialog, HWND previous)
{
    Step("open the %s dialog", dialog.name);
    if (dialog.command != 0)
        PostCommand(tessaron, dialog.command);
    else
        ClickButton(previous, dialog.button);
    HWND window = nullptr;
    if (!WaitFor([&] { return (window = FindDialogHaving(tessaron, dialog.ownControl)) != nullptr; }))
        Fail("the %s dialog did not open", dialog.name);
    return window;
}

void CloseDialog(HWND dialog)
{
    ClickButton(dialog, IDCANCEL);
    WaitWindowGone(dialog);
}

// Opens the dialogs in order (each nested in the one before when it has no
// command), presses each one's Help button and checks the request, then
// cancels them all, innermost first.
void CheckHelpButtons(const std::vector<DialogHelp> &chain)
{
    Program tessaron = StartTessaron();
    std::vector<HWND> open;
    for (const DialogHelp &dialog : chain) {
        HWND window = OpenDialog(tessaron, dialog, open.empty() ? nullptr : open.back());
        open.push_back(window);
        Step("Help in the %s dialog", dialog.name);
        ClearHelpCalls();
        ClickButton(window, IDC_HELPBUTTON);
        std::vector<HelpCall> calls = WaitHelpCalls(1);
        CheckRequest(calls[0], window, HELP_CONTEXT, (ULONG_PTR)dialog.context, HelpFile);
        CHECK(IsWindowVisible(window));
    }
    CHECK_EQ(HelpCalls().size(), 1u);
    while (!open.empty()) {
        CloseDialog(open.back());
        open.pop_back();
    }
    ClearHelpCalls();
    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
    CheckQuitRequests(tessaron, 0);
}

// ---------------------------------------------------------------- the real viewer
const int ViewerTextId = 0x701;  // the viewer's rich edit text window

struct Viewer {
    HWND window = nullptr;
    DWORD processId = 0;
};

// Wine's viewer: a visible "MS_WINHELP" window of a process of its own.
Viewer FindViewer(const Program &tessaron)
{
    Viewer viewer;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "MS_WINHELP", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != GetCurrentProcessId() && owner != tessaron.id && IsWindowVisible(window) &&
            GetDlgItem(window, ViewerTextId)) {
            viewer.window = window;
            viewer.processId = owner;
            return viewer;
        }
    }
    return viewer;
}

std::string ViewerText(const Viewer &viewer)
{
    return ControlText(viewer.window, ViewerTextId);
}

// Waits until the viewer shows a topic whose text begins with title.
Viewer WaitViewerTopic(const Program &tessaron, const std::string &title)
{
    Viewer viewer;
    std::string text;
    bool shown = WaitFor([&] {
        viewer = FindViewer(tessaron);
        if (!viewer.window)
            return false;
        text = ViewerText(viewer);
        return text.compare(0, title.size(), title) == 0;
    });
    if (!viewer.window)
        Fail("the WinHelp viewer did not open");
    if (!shown)
        Fail("the viewer shows \"%s...\", expected the topic \"%s\"", Visible(text.substr(0, 80)).c_str(),
             title.c_str());
    Step("the viewer shows \"%s\"", title.c_str());
    return viewer;
}

std::vector<DWORD> ProcessesNamed(const char *exe)
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exe) == 0)
            ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

}  // namespace

// ---------------------------------------------------------------- requests
SCENARIO(help_topics_asks_for_the_contents_and_exit_quits)
{
    Program tessaron = StartTessaron();
    ChooseTrayMenuItem(tessaron, ItemHelpTopics);
    std::vector<HelpCall> calls = WaitHelpCalls(1);
    CheckRequest(calls[0], tessaron.window, HELP_CONTEXT, HelpContents, HelpFile);

    Step("command 8000 itself, as the menu posts it");
    PostCommand(tessaron, CmdHelpTopics);
    calls = WaitHelpCalls(2);
    CheckRequest(calls[1], tessaron.window, HELP_CONTEXT, HelpContents, HelpFile);

    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
    CheckQuitRequests(tessaron, 2);
}

SCENARIO(help_close_message_quits_winhelp)
{
    Program tessaron = StartTessaron();
    PostMessageA(tessaron.window, WM_CLOSE, 0, 0);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
    CheckQuitRequests(tessaron, 0);
}

SCENARIO(help_buttons_of_options_and_tool_locations)
{
    CheckHelpButtons({
        {"Options", CmdOptions, 0, IDC_OPTIONS_TOOLLOCATIONS, IDD_OPTIONS},
        {"Tool Locations", 0, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER, IDD_TOOLLOCATIONS},
    });
}

SCENARIO(help_buttons_of_maintenance_and_its_settings)
{
    CheckHelpButtons({
        {"Maintenance", CmdMaintenance, 0, IDC_MAINT_SCANSETTINGS, IDD_MAINTENANCE},
        {"ScanDisk settings", 0, IDC_MAINT_SCANSETTINGS, IDC_SCAN_STARTSTOP, IDD_SCANDISK},
    });
    CheckHelpButtons({
        {"Maintenance", CmdMaintenance, 0, IDC_MAINT_SCANSETTINGS, IDD_MAINTENANCE},
        {"Defragmenter settings", 0, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL, IDD_DEFRAG},
    });
}

SCENARIO(help_button_of_open_path)
{
    CheckHelpButtons({{"Open Path", CmdOpenPath, 0, IDC_OPENPATH_PATH, IDD_OPENPATH}});
}

// ---------------------------------------------------------------- the real viewer
SCENARIO(help_real_viewer_shows_the_topics_and_closes_on_exit)
{
    std::string built = BuildFile("TESSARON.HLP");
    if (!CopyFileA(built.c_str(), "C:\\Tessaron\\TESSARON.HLP", FALSE))
        Fail("cannot copy %s beside the program", built.c_str());
    UseRealWinHelp();
    Program tessaron = StartTessaron();

    Step("Help Topics: the contents");
    ChooseTrayMenuItem(tessaron, ItemHelpTopics);
    Viewer viewer = WaitViewerTopic(tessaron, "Tessaron Help");
    CHECK(ViewerText(viewer).find("Tessaron gives you quick access") != std::string::npos);

    Step("a dialog's Help button: its own topic in the same viewer");
    PostCommand(tessaron, CmdOptions);
    HWND options = nullptr;
    if (!WaitFor([&] { return (options = FindDialogHaving(tessaron, IDC_OPTIONS_TOOLLOCATIONS)) != nullptr; }))
        Fail("the Options dialog did not open");
    ClickButton(options, IDC_HELPBUTTON);
    Viewer same = WaitViewerTopic(tessaron, "The Options dialog box");
    CHECK_EQ(same.processId, viewer.processId);
    CloseDialog(options);

    Step("Exit closes the viewer: its process ends");
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, viewer.processId);
    CHECK(process != nullptr);
    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
    DWORD ended = WaitForSingleObject(process, WaitLimit());
    CloseHandle(process);
    if (ended != WAIT_OBJECT_0)
        Fail("the WinHelp viewer is still running after Exit");
    CHECK(ProcessesNamed("winhlp32.exe").empty());
}
