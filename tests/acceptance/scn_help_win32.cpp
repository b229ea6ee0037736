// Help: the Help Topics command and each dialog's Help button ask WinHelp
// for their own context in TESSARON.HLP beside the program, and closing
// the program closes the viewer.  The last scenario runs Wine's real
// viewer on the built help file and reads the topics it shows.
#include "driver.h"

#include "commands.h"
#include "helppages.h"
#include "resource.h"

#include <tlhelp32.h>

namespace {

// The Help Topics command's request, from the main window.
void CheckContentsRequest(const HelpCall &call, const Program &tessaron)
{
    CHECK(call.caller == tessaron.window);
    CHECK_EQ(call.command, (UINT)HELP_CONTEXT);
    CHECK_EQ(call.data, (ULONG_PTR)HelpContents);
    CHECK_TEXT(call.file, HelpFilePath);
}

// ---------------------------------------------------------------- dialogs
// Every dialog with a Help button, in the order a walk opens them: by a
// command to the main window, or by a button of the dialog opened just
// before; a control that only this dialog has; after its Help, how many of
// the open dialogs to cancel, innermost first.
struct DialogHelp {
    const char *name;
    int command;  // 0: opened by a button of the dialog before
    int button;
    int ownControl;
    int context;
    const char *topic;  // the title of its topic in the help file
    int closeAfter;
};

const DialogHelp Dialogs[] = {
    {"Options", CmdOptions, 0, IDC_OPTIONS_TOOLLOCATIONS, IDD_OPTIONS, "The Options dialog box", 0},
    {"Tool Locations", 0, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER, IDD_TOOLLOCATIONS,
     "The Tool Locations dialog box", 2},
    {"Maintenance", CmdMaintenance, 0, IDC_MAINT_SCANSETTINGS, IDD_MAINTENANCE,
     "The Maintenance dialog box", 0},
    {"ScanDisk settings", 0, IDC_MAINT_SCANSETTINGS, IDC_SCAN_STARTSTOP, IDD_SCANDISK,
     "The ScanDisk settings dialog box", 1},
    {"Defragmenter settings", 0, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL, IDD_DEFRAG,
     "The Defragmenter settings dialog box", 2},
    {"Open Path", CmdOpenPath, 0, IDC_OPENPATH_PATH, IDD_OPENPATH, "The Open Path dialog box", 1},
};

HWND OpenDialog(const Program &tessaron, const DialogHelp &dialog, HWND previous)
{
    Step("open the %s dialog", dialog.name);
    if (dialog.command != 0)
        PostCommand(tessaron, dialog.command);
    else
        ClickButton(previous, dialog.button);
    return WaitDialogWith(tessaron, dialog.ownControl);
}

// Opens every dialog of the table, lets help press its Help button and
// check what that did, and cancels the dialogs as the table says.
template <class Help> void WalkHelpButtons(const Program &tessaron, Help help)
{
    std::vector<HWND> open;
    for (const DialogHelp &dialog : Dialogs) {
        HWND window = OpenDialog(tessaron, dialog, open.empty() ? nullptr : open.back());
        open.push_back(window);
        Step("Help in the %s dialog", dialog.name);
        help(window, dialog);
        CHECK(IsWindowVisible(window));  // Help leaves the dialog open
        for (int i = 0; i < dialog.closeAfter; i++) {
            PressButton(open.back(), IDCANCEL);
            open.pop_back();
        }
    }
    CHECK(open.empty());
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
            break;
        }
    }
    return viewer;
}

std::string FirstLine(const std::string &text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

// A topic's first line is its title; halibut numbers the chapters
// ("Chapter 5: The Options dialog box").
bool ShowsTopic(const std::string &text, const std::string &title)
{
    std::string line = FirstLine(text);
    std::string numbered = ": " + title;
    return line == title ||
           (line.size() > numbered.size() &&
            line.compare(line.size() - numbered.size(), numbered.size(), numbered) == 0);
}

// Waits until the viewer shows the topic with this title; returns it.
Viewer WaitViewerTopic(const Program &tessaron, const std::string &title, std::string *text)
{
    Viewer viewer;
    bool shown = WaitFor([&] {
        viewer = FindViewer(tessaron);
        if (!viewer.window)
            return false;
        *text = ControlText(viewer.window, ViewerTextId);
        return ShowsTopic(*text, title);
    });
    if (!viewer.window)
        Fail("the WinHelp viewer did not open");
    if (!shown)
        Fail("the viewer shows \"%s...\", expected the topic \"%s\"", Visible(text->substr(0, 80)).c_str(),
             title.c_str());
    Step("the viewer shows \"%s\"", FirstLine(*text).c_str());
    return viewer;
}

size_t ProcessesNamed(const char *exe)
{
    size_t count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        Fail("cannot list the processes");
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exe) == 0)
            count++;
    CloseHandle(snapshot);
    return count;
}

}  // namespace

// ---------------------------------------------------------------- requests
SCENARIO(help_topics_asks_for_the_contents_and_exit_quits)
{
    Program tessaron = StartTessaron();
    ChooseTrayMenuItem(tessaron, ItemHelpTopics);
    std::vector<HelpCall> calls = WaitHelpCalls(1);
    CheckContentsRequest(calls[0], tessaron);

    Step("command 8000 itself, as the menu posts it");
    PostCommand(tessaron, CmdHelpTopics);
    calls = WaitHelpCalls(2);
    CheckContentsRequest(calls[1], tessaron);

    ExitTessaron(tessaron);
    CheckHelpQuitRequests(tessaron, 2);
}

SCENARIO(help_close_message_quits_winhelp)
{
    Program tessaron = StartTessaron();
    PostMessageA(tessaron.window, WM_CLOSE, 0, 0);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
    CheckHelpQuitRequests(tessaron, 0);
}

SCENARIO(help_buttons_ask_for_their_dialogs_numbers)
{
    Program tessaron = StartTessaron();
    WalkHelpButtons(tessaron, [&](HWND dialog, const DialogHelp &help) { CheckHelpButton(dialog, help.context); });
    ClearHelpCalls();
    ExitTessaron(tessaron);
    CheckHelpQuitRequests(tessaron, 0);
}

// ---------------------------------------------------------------- pages
// From Vista on WinHelp cannot show the help: Help Topics, every Help
// button and F1 open the topic's page in the user's browser, here a
// recording stand-in named as the prefix's command for HTML files.
SCENARIO(help_opens_the_pages_in_the_browser_on_windows_10)
{
    UseWindowsVersion("win10");
    std::string browser = InstallRecorder("browser.exe");
    const char Command[] = "htmlfile\\shell\\open\\command";
    std::string before;
    ReadRegistryText(HKEY_CLASSES_ROOT, Command, "", &before);
    SetRegistryText(HKEY_CLASSES_ROOT, ".html", "", "htmlfile");
    SetRegistryText(HKEY_CLASSES_ROOT, Command, "", browser + " \"%1\"");
    MakeFolder("C:\\Tessaron\\help");
    for (int i = 0; i < HelpPageCount; i++)
        WriteFileBytes(std::string("C:\\Tessaron\\help\\") + HelpPages[i], "<html></html>");

    Program tessaron = StartTessaron();
    size_t opened = 0;
    auto checkPage = [&](int context) {
        std::vector<std::string> lines = WaitRecorderLines("browser.exe", ++opened);
        std::string page = std::string("\\help\\") + HelpPageForContext(context);
        std::string line = lines.back();
        if (line.size() < page.size() + 1 || lstrcmpiA(line.substr(line.size() - page.size() - 1).c_str(), (page + "\"").c_str()) != 0)
            Fail("context %d opened \"%s\", not the page %s", context, line.c_str(), page.c_str());
    };
    PostCommand(tessaron, CmdHelpTopics);
    checkPage(HelpContents);
    WalkHelpButtons(tessaron, [&](HWND dialog, const DialogHelp &help) {
        ClickButton(dialog, IDC_HELPBUTTON);
        checkPage(help.context);
        Step("F1 (the dialog manager's WM_HELP)");
        HELPINFO info = {sizeof info, HELPINFO_WINDOW, IDOK, GetDlgItem(dialog, IDOK), 0, {0, 0}};
        DWORD_PTR answer = 0;
        CHECK(SendMessageTimeoutA(dialog, WM_HELP, 0, (LPARAM)&info, SMTO_NORMAL, WaitLimit(), &answer));
        checkPage(help.context);
    });
    CHECK(HelpCalls().empty());  // no WinHelp request, and no quit at the end
    ExitTessaron(tessaron);
    CHECK(HelpCalls().empty());
    SetRegistryText(HKEY_CLASSES_ROOT, Command, "", before);
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
    std::string text;
    Viewer viewer = WaitViewerTopic(tessaron, "Tessaron Help", &text);
    CHECK(text.find("Tessaron gives you quick access") != std::string::npos);

    Step("each dialog's Help button: its own topic, in the same viewer");
    WalkHelpButtons(tessaron, [&](HWND dialog, const DialogHelp &help) {
        ClickButton(dialog, IDC_HELPBUTTON);
        CHECK_EQ(WaitViewerTopic(tessaron, help.topic, &text).processId, viewer.processId);
    });

    Step("Exit closes the viewer: its process ends");
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, viewer.processId);
    CHECK(process != nullptr);
    ExitTessaron(tessaron);
    DWORD ended = WaitForSingleObject(process, WaitLimit());
    CloseHandle(process);
    if (ended != WAIT_OBJECT_0)
        Fail("the WinHelp viewer is still running after Exit");
    CHECK_EQ(ProcessesNamed("winhlp32.exe"), 0u);
}
