// The setup wizard and the uninstaller, started from the distribution folder
// as a user would, checked through the pages, the files on disk, the
// registry and the Start-up shortcut.
#include "driver.h"

#include "commands.h"
#include "helppages.h"

#include <shlobj.h>
#include <string.h>

namespace {

using namespace LayoutStyle;

const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron";
const char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char ScriptName[] = "Tessaron - Uninstallation Data";

const char RestartText[] =
    "You must close all applications and restart your computer to activate Tessaron.";
const char ExitText[] = "The setup of Tessaron is not complete!  Are you sure you want to exit?";
const char UninstallQuestion[] =
    "Are you sure you want to remove Tessaron and all of its components from your computer?";
const char RemovedText[] = "Tessaron has been removed from your computer.";
const char NotRemovedText[] = "Tessaron has not been removed completely.\n";
const char KeptText[] = "\nTessaron stays in the Add/Remove Software list, so that its removal can be run again.";
const char FailedText[] = "\nThe following could not be removed.  Close any program that uses them and try again, "
                          "or remove them yourself:\n\n";
const char RefusedText[] = "\nThe following lines of the uninstallation data were left alone, because they are damaged "
                           "or name something that Tessaron did not install:\n\n";

const char SystemPlaceText[] =
    "Tessaron could not be removed again from the root of a drive or network share, from the Windows folder "
    "or the system folder, or from a folder that holds one of them.  Please type a folder of its own, such "
    "as C:\\Tessaron.";

enum Page { WelcomePage = 12000, FolderPage = 14000, FinishedPage = 13000 };

// ---------------------------------------------------------------- set-up
std::string DistFolder()
{
    return BuildFile("dist");
}

std::string StartupFolder()
{
    std::string folder;
    if (!ReadRegistryText(HKEY_CURRENT_USER, ShellFolders, "Startup", &folder))
        Fail("no Startup folder in the registry");
    return folder;
}

std::string ShortcutPath()
{
    return StartupFolder() + "\\Tessaron.LNK";
}

const char *const InstalledNames[] = {"Tessaron.hlp", "Tessaron.exe", "ReadMe.txt", "Tessaron.txt"};

// No installation anywhere: the harness's copy of the program in
// C:\Tessaron goes too, so that every file found later is setup's.
void NoInstallation()
{
    for (const char *name : InstalledNames)
        RemoveFile(std::string("C:\\Tessaron\\") + name);
    RemoveDirectoryA("C:\\Tessaron");  // if empty
    CHECK(!FileExists("C:\\Tessaron"));
    RemoveFile(WindowsFile("Kelvey.exe"));
    RemoveFile(WindowsFile(ScriptName));
    RemoveFile(ShortcutPath());
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, UninstallKey);
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}

// ---------------------------------------------------------------- pages
bool IsPage(HWND window, Page page)
{
    if (!GetDlgItem(window, 14002))
        return false;  // a message box
    switch (page) {
    case WelcomePage: return !GetDlgItem(window, 14001) && !GetDlgItem(window, 14003);
    case FolderPage: return GetDlgItem(window, 14001) != nullptr;
    case FinishedPage: return GetDlgItem(window, 14003) != nullptr;
    }
    return false;
}

HWND FindPage(Page page)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Setup")) != nullptr)
        if (IsWindowVisible(window) && IsPage(window, page))
            return window;
    return nullptr;
}

HWND WaitPage(Page page)
{
    HWND window = nullptr;
    if (!WaitFor([&] { return (window = FindPage(page)) != nullptr; }))
        Fail("page %d did not appear", (int)page);
    Step("page %d is up", (int)page);
    return window;
}

// A message box "Setup" (the pages bear that caption too).
HWND WaitSetupBox()
{
    HWND box = nullptr;
    auto find = [&] {
        box = nullptr;
        while ((box = FindWindowExA(nullptr, box, "#32770", "Setup")) != nullptr)
            if (IsWindowVisible(box) && !GetDlgItem(box, 14002))
                return true;
        return false;
    };
    if (!WaitFor(find))
        Fail("no message box \"Setup\" appeared");
    return box;
}

Program StartSetup(const std::string &folder)
{
    return StartProgram("\"" + DistFolder() + "\\setup.exe\"", folder);
}

// Setup's main window, which setup shows minimised.
HWND WaitSetupWindow()
{
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = FindWindowA("Setup", "Setup")) != nullptr; }))
        Fail("no main window \"Setup\"");
    // The window exists before setup shows it minimised: wait for that too.
    CHECK(WaitFor([&] { return IsIconic(main) != FALSE; }));
    return main;
}

// The uninstaller as registered, started as the control panel would.
Program StartUninstaller()
{
    std::string command;
    CHECK(ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", &command));
    return StartProgram(command, "C:\\");
}

// ---------------------------------------------------------------- layout
const DWORD Disabled = Push | WS_DISABLED;
const DWORD Text = SS_LEFT | WS_GROUP;
const DWORD Frame = SS_BLACKFRAME;
const DWORD Icon = SS_ICON;

const std::vector<LayoutControl> WelcomeControls = {
    {1, "Button", "&Next >", 142, 128, 50, 14, Push},
    {2, "Button", "&Exit", 192, 128, 50, 14, Push},
    {14002, "Button", "< &Back", 92, 128, 50, 14, Disabled},
    {-1, "Static", "", 4, 4, 40, 60, Frame},
    {-1, "Static", nullptr, 8, 8, 20, 20, Icon},
    {-1, "Static", nullptr, 20, 40, 20, 20, Icon},
    {-1, "Static", "The setup utility will install Tessaron on your computer.", 56, 8, 192, 8, Text},
    {-1, "Static", "Tessaron  is an application designed to enable you to", 56, 24, 192, 8, Text},
    {-1, "Static", "quickly and conveniently access storage devices, folders,", 56, 32, 184, 8, Text},
    {-1, "Static", "and the tools you need to maintain the integrity and", 56, 40, 184, 8, Text},
    {-1, "Static", "performance of your computer system.", 56, 48, 192, 8, Text},
    {-1, "Static", "If you are upgrading from a previous version of Tessaron,", 56, 72, 192, 8, Text},
    {-1, "Static", "please ensure that it is not in use at this time.", 56, 80, 192, 8, Text},
    {-1, "Static", "To begin the setup process, click the \"Next\" button.  If", 56, 96, 184, 8, Text},
    {-1, "Static", "you do not want to install Tessaron, click the \"Cancel\"", 56, 104, 192, 8, Text},
    {-1, "Static", "button.", 56, 112, 192, 8, Text},
};

const std::vector<LayoutControl> FolderControls = {
    {14001, "Edit", "C:\\Tessaron", 72, 64, 160, 12, Scrolling},
    {14002, "Button", "< &Back", 92, 128, 50, 14, Push},
    {1, "Button", "&Next >", 142, 128, 50, 14, Push},
    {2, "Button", "&Exit", 192, 128, 50, 14, Push},
    {-1, "Static", "", 4, 112, 60, 28, Frame},
    {-1, "Static", nullptr, 8, 116, 20, 20, Icon},
    {-1, "Static", nullptr, 40, 116, 20, 20, Icon},
    {-1, "Static", "The text field shown below contains the name of the folder in which", 8, 8, 232, 8, Text},
    {-1, "Static", "Tessaron will be installed.  If you would prefer to install it elsewhere,", 8, 16, 232, 8, Text},
    {-1, "Static", "you may do so by changing the location shown in the text field.", 8, 24, 224, 8, Text},
    {-1, "Static", "The installation of Tessaron will require approximately 225 kilobytes", 8, 40, 224, 8, Text},
    {-1, "Static", "of free space.", 8, 48, 208, 8, Text},
    {-1, "Static", "Installation Path:", 8, 66, 60, 8, Text},
};

const std::vector<LayoutControl> FinishedControls = {
    {1, "Button", "&Finish", 192, 128, 50, 14, Push},
    {14002, "Button", "< &Back", 92, 128, 50, 14, Disabled},
    {14003, "Button", "&Next >", 142, 128, 50, 14, Disabled},
    {-1, "Static", "", 4, 0, 56, 36, Frame},
    {-1, "Static", nullptr, 8, 4, 20, 20, Icon},
    {-1, "Static", nullptr, 36, 12, 20, 20, Icon},
    {-1, "Static", "Tessaron has been successfully installed on your", 64, 8, 184, 8, Text},
    {-1, "Static", "computer!", 64, 16, 176, 8, Text},
    {-1, "Static", "Tessaron is a Windows 95 system tray application.  This means that", 8, 37, 240, 8, Text},
    {-1, "Static", "when you start your computer, an icon will appear in the area on", 8, 45, 240, 8, Text},
    {-1, "Static", "the taskbar where the time is displayed.  To use Tessaron,", 8, 53, 240, 8, Text},
    {-1, "Static", "right-click on the Tessaron icon.", 8, 61, 232, 8, Text},
    {-1, "Static", "If, for any reason, you decide that you want to remove Tessaron from", 8, 74, 232, 8, Text},
    {-1, "Static", "your computer, you can do so using the following procedure:", 8, 82, 232, 8, Text},
    {-1, "Static", "1)", 16, 96, 8, 8, Text},
    {-1, "Static", "Open the \"Add/Remove Software\" control panel application.", 28, 96, 216, 8, Text},
    {-1, "Static", "2)", 16, 106, 8, 8, Text},
    {-1, "Static", "Select \"Tessaron\" from the lower window pane.", 28, 106, 216, 8, Text},
    {-1, "Static", "3)", 16, 116, 8, 8, Text},
    {-1, "Static", "Click the \"Add/Remove\" button.", 28, 116, 136, 8, Text},
};

// A page against its table once the focus has come to its control.
void CheckPage(HWND page, int height, int focus, const std::vector<LayoutControl> &controls)
{
    if (!WaitFor([&] { return FocusedControl(page) == focus; }))
        Fail("the focus is on %d, expected %d", FocusedControl(page), focus);
    CheckDialogLayout(page, "Setup", 249, height, controls);
}

// ---------------------------------------------------------------- what setup leaves
std::string ExpectedScript(const std::string &folder)
{
    std::string w = WindowsDirectory();
    return CrLfLines({
        "Tessaron",
        "[FILE] " + folder + "Tessaron.hlp",
        "[FILE] " + folder + "Tessaron.exe",
        "[FILE] " + folder + "ReadMe.txt",
        "[FILE] " + folder + "Tessaron.txt",
        "[FILE] " + w + "\\Tessaron - Uninstallation Data",
        "[FILE] " + w + "\\Tessaron - Uninstallation Data.bak",
        "[FILE] " + w + "\\Tessaron.ini",
        "[FILE] " + w + "\\Start Menu\\Programs\\Tessaron.lnk",
        "[FILE] " + folder + "Tessaron.bak",
        "[FILE] " + folder + "ReadMe.bak",
        "[FILE] " + folder + "Tessaron.GID",
        "[FILE] " + folder + "Tessaron.FTS",
        "[EMPTY FOLDER] " + folder,
        "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron",
        "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Tessaron",
        "[GROUP] Tessaron",
    });
}

// The shortcut as the shell reads it back: target and description.
void ReadShortcut(const std::string &path, std::string *target, std::string *description)
{
    // COM through ole32's exports: the driver links no COM libraries.
    HMODULE ole = LoadLibraryA("ole32.dll");
    if (!ole)
        Fail("no ole32.dll");
    typedef void (*Entry)();
    auto coInitialize = (HRESULT(WINAPI *)(LPVOID))(Entry)GetProcAddress(ole, "CoInitialize");
    auto coUninitialize = (void(WINAPI *)())(Entry)GetProcAddress(ole, "CoUninitialize");
    auto coCreateInstance = (HRESULT(WINAPI *)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID *))(Entry)
        GetProcAddress(ole, "CoCreateInstance");
    if (!coInitialize || !coUninitialize || !coCreateInstance)
        Fail("ole32.dll lacks the COM entries");
    static const CLSID shellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static const IID shellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static const IID persistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    coInitialize(nullptr);
    IShellLinkA *link = nullptr;
    IPersistFile *persist = nullptr;
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char buffer[MAX_PATH] = "";
    bool ok = SUCCEEDED(coCreateInstance(shellLink, nullptr, CLSCTX_INPROC_SERVER, shellLinkA,
                                         (void **)&link)) &&
              SUCCEEDED(link->QueryInterface(persistFile, (void **)&persist)) &&
              SUCCEEDED(persist->Load(wide, STGM_READ));
    if (ok) {
        WIN32_FIND_DATAA data = {};
        ok = SUCCEEDED(link->GetPath(buffer, sizeof buffer, &data, SLGP_RAWPATH));
        *target = buffer;
        buffer[0] = '\0';
        ok = ok && SUCCEEDED(link->GetDescription(buffer, sizeof buffer));
        *description = buffer;
    }
    if (persist)
        persist->Release();
    if (link)
        link->Release();
    coUninitialize();
    if (!ok)
        Fail("cannot read the shortcut %s", path.c_str());
}

bool SameText(const std::string &a, const std::string &b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// The five files byte for byte, the script, the registry entry and the
// Start-up shortcut, for an installation into folder (with its backslash).
void CheckInstalled(const std::string &folder)
{
    std::string dist = DistFolder() + "\\";
    const struct {
        const char *shipped;
        std::string installed;
    } files[] = {
        {"Tessaron.hl_", folder + "Tessaron.hlp"},
        {"Tessaron.ex_", folder + "Tessaron.exe"},
        {"ReadMe.txt", folder + "ReadMe.txt"},
        {"Tessaron.txt", folder + "Tessaron.txt"},
        {"Kelvey.ex_", WindowsFile("Kelvey.exe")},
    };
    for (const auto &file : files) {
        std::string shipped = ReadFileOrFail(dist + file.shipped);
        std::string installed = ReadFileOrFail(file.installed);
        if (installed != shipped)
            Fail("%s differs from the shipped %s", file.installed.c_str(), file.shipped);
        Step("%s = %s (%u bytes)", file.installed.c_str(), file.shipped, (unsigned)shipped.size());
    }
    CHECK(!FileExists(folder + "X9LK831M.TMP"));

    CHECK_TEXT(ReadFileOrFail(WindowsFile(ScriptName)), ExpectedScript(folder));

    std::string name, command;
    CHECK(ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName", &name));
    CHECK_TEXT(name, "Tessaron");
    CHECK(ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", &command));
    std::string w = WindowsDirectory();
    CHECK_TEXT(command, w + "\\kelvey.exe " + w + "\\Tessaron - Uninstallation Data");

    std::string target, description;
    ReadShortcut(ShortcutPath(), &target, &description);
    Step("shortcut: %s [%s]", target.c_str(), description.c_str());
    if (!SameText(target, folder + "Tessaron.exe"))
        Fail("the shortcut points at %s", target.c_str());
    CHECK_TEXT(description, "Tessaron");
}

// Nothing of an installation anywhere.
void CheckNothingInstalled()
{
    for (const char *name : InstalledNames)
        CHECK(!FileExists(std::string("C:\\Tessaron\\") + name));
    CHECK(!FileExists(WindowsFile("Kelvey.exe")));
    CHECK(!FileExists(WindowsFile(ScriptName)));
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(!FileExists(ShortcutPath()));
}

// The distribution's files copied to folder, which setup then takes as
// its source when started there; without the uninstaller if asked.
std::string CopyDistribution(const char *folder, bool withUninstaller)
{
    MakeFolder(folder);
    for (const char *name : {"Tessaron.hl_", "Tessaron.ex_", "ReadMe.txt", "Tessaron.txt", "Kelvey.ex_"})
        if (withUninstaller || strcmp(name, "Kelvey.ex_") != 0)
            WriteFileBytes(std::string(folder) + "\\" + name, ReadFileOrFail(DistFolder() + "\\" + name));
    return folder;
}

// Welcome, folder (typed, unless null), finished (left with finishId),
// restart message; exit code 0.
void InstallInto(const char *typed = nullptr, int finishId = IDOK, const std::string &from = DistFolder())
{
    Program setup = StartSetup(from);
    PressButton(WaitPage(WelcomePage), 1);
    HWND folder = WaitPage(FolderPage);
    if (typed)
        SetControlText(folder, 14001, typed);
    PressButton(folder, 1);
    HWND finished = WaitPage(FinishedPage);
    if (finishId == IDOK) {
        PressButton(finished, IDOK);
    } else {
        // What the Escape key and the close box send.
        Step("command %d", finishId);
        PostMessageA(finished, WM_COMMAND, finishId, 0);
        WaitWindowGone(finished);
    }
    CheckMessageBox(RestartText, {IDOK}, IDOK, "Setup Wizard");
    CHECK_EQ(WaitForExit(setup), 0u);
}

// Exit on a page, then Yes: setup ends with code 0.
void ExitSetup(Program &setup, HWND page)
{
    PressButton(page, 2);
    CheckMessageBox(ExitText, {IDYES, IDNO}, IDYES, "Setup Wizard");
    CHECK_EQ(WaitForExit(setup), 0u);
}

// The folder typed and Next: the page refuses it with this text and stays,
// with what was typed.
void RefuseFolder(HWND page, const std::string &typed, const std::string &text)
{
    Step("typed %s", typed.c_str());
    SetControlText(page, 14001, typed);
    ClickButton(page, 1);
    CheckMessageBox(WaitSetupBox(), text, {IDOK}, IDOK);
    CHECK(IsWindowVisible(page));
    CHECK_TEXT(ControlText(page, 14001), typed);
}

// The uninstaller started on this script, as a user could start it.
Program StartUninstallerOn(const std::string &script)
{
    return StartProgram(WindowsFile("kelvey.exe") + " " + script, "C:\\");
}

// The registered uninstaller (or the one started on script), confirmed:
// its report and its exit code.
void Uninstall(const std::string &report, DWORD code, const std::string &script = "",
               const char *question = UninstallQuestion)
{
    Program kelvey = script.empty() ? StartUninstaller() : StartUninstallerOn(script);
    CheckMessageBox(question, {IDYES, IDNO}, IDYES, "Uninstall");
    CheckMessageBox(report, {IDOK}, IDOK, "Uninstall");
    CHECK_EQ(WaitForExit(kelvey), code);
}

// The uninstaller on a script that nothing vouches for: one box saying
// why, exit code 1, and no question before it.
void UninstallRefused(const std::string &script, const std::string &why)
{
    Program kelvey = StartUninstallerOn(script);
    CheckMessageBox("The uninstallation data file\n\n" + script + "\n\n" + why + "Nothing has been removed.",
                    {IDOK}, IDOK, "Uninstall");
    CHECK_EQ(WaitForExit(kelvey), 1u);
}

// The file's short (8.3) name, as the system gives it.
std::string ShortName(const std::string &path)
{
    char name[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(path.c_str(), name, sizeof name);
    if (length == 0 || length >= sizeof name)
        Fail("no short name for %s", path.c_str());
    return name;
}

// The lines as the uninstaller lists them: without their CRs.
std::string Listed(std::string lines)
{
    for (size_t at = 0; (at = lines.find('\r', at)) != std::string::npos;)
        lines.erase(at, 1);
    return lines;
}

}  // namespace

// ---------------------------------------------------------------- scenarios
SCENARIO(setup_installs_from_the_distribution)
{
    NoInstallation();
    Program setup = StartSetup(DistFolder());
    WaitSetupWindow();

    HWND welcome = WaitPage(WelcomePage);
    CheckPage(welcome, 145, 1, WelcomeControls);
    SaveWindowScreenshot(welcome, "setup-welcome.png");
    PressButton(welcome, 1);

    HWND folder = WaitPage(FolderPage);
    CheckPage(folder, 145, 14001, FolderControls);
    SaveWindowScreenshot(folder, "setup-folder.png");
    PressButton(folder, 1);

    HWND finished = WaitPage(FinishedPage);
    CheckPage(finished, 143, 1, FinishedControls);
    SaveWindowScreenshot(finished, "setup-finished.png");
    PressButton(finished, 1);

    CheckMessageBox(RestartText, {IDOK}, IDOK, "Setup Wizard");
    CHECK_EQ(WaitForExit(setup), 0u);

    CheckInstalled("C:\\Tessaron\\");
}

SCENARIO(setup_missing_kelvey_stops_after_its_message)
{
    NoInstallation();
    Program setup = StartSetup(CopyDistribution("C:\\SetupDist", false));
    PressButton(WaitPage(WelcomePage), 1);
    PressButton(WaitPage(FolderPage), 1);
    CheckMessageBox(WaitSetupBox(),
                    "There was a file installation error (Kelvey.ex_) which cannot be ignored.  "
                    "Please correct the error and repeat the setup process.",
                    {IDOK}, IDOK);
    CHECK_EQ(WaitForExit(setup), 0u);

    // The four copies before it stay; nothing after it happened.
    for (const char *name : InstalledNames)
        CHECK(FileExists(std::string("C:\\Tessaron\\") + name));
    CHECK(!FileExists(WindowsFile("Kelvey.exe")));
    CHECK(!FileExists(WindowsFile(ScriptName)));
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(!FileExists(ShortcutPath()));
}

SCENARIO(setup_exit_yes_touches_nothing)
{
    NoInstallation();
    Program setup = StartSetup(DistFolder());
    ExitSetup(setup, WaitPage(WelcomePage));
    CheckNothingInstalled();
    CHECK(!FileExists("C:\\Tessaron"));
}

SCENARIO(setup_page_flow_back_and_declined_exit)
{
    NoInstallation();
    Program setup = StartSetup(DistFolder());
    PressButton(WaitPage(WelcomePage), 1);

    // Back discards what was typed.
    HWND folder = WaitPage(FolderPage);
    SetControlText(folder, 14001, "C:\\Elsewhere");
    PressButton(folder, 14002);
    PressButton(WaitPage(WelcomePage), 1);

    // Exit, then No: the welcome page, and the field is reset.
    folder = WaitPage(FolderPage);
    CHECK_TEXT(ControlText(folder, 14001), "C:\\Tessaron");
    SetControlText(folder, 14001, "C:\\Elsewhere");
    PressButton(folder, 2);
    CheckMessageBox(ExitText, {IDYES, IDNO}, IDNO, "Setup Wizard");
    PressButton(WaitPage(WelcomePage), 1);
    folder = WaitPage(FolderPage);
    CHECK_TEXT(ControlText(folder, 14001), "C:\\Tessaron");

    // Escape on the folder page asks too; Yes leaves without a trace.
    PostMessageA(folder, WM_COMMAND, IDCANCEL, 0);
    WaitWindowGone(folder);
    CheckMessageBox(ExitText, {IDYES, IDNO}, IDYES, "Setup Wizard");
    CHECK_EQ(WaitForExit(setup), 0u);
    CheckNothingInstalled();
    CHECK(!FileExists("C:\\Elsewhere"));
}

SCENARIO(setup_folder_with_trailing_backslash)
{
    NoInstallation();
    InstallInto("C:\\Tessaron\\", IDCANCEL);  // Escape on the finished page acts as Finish
    CheckInstalled("C:\\Tessaron\\");
}

SCENARIO(setup_creates_a_folder_chain)
{
    NoInstallation();
    InstallInto("C:\\Apps\\Tools\\Tessaron");
    CheckInstalled("C:\\Apps\\Tools\\Tessaron\\");
}

SCENARIO(setup_refuses_a_folder_too_long)
{
    NoInstallation();
    Program setup = StartSetup(DistFolder());
    PressButton(WaitPage(WelcomePage), 1);
    HWND folder = WaitPage(FolderPage);
    std::string tooLong = "C:\\" + std::string(300, 'x');
    SetControlText(folder, 14001, tooLong);
    ClickButton(folder, 1);
    CheckMessageBox(WaitSetupBox(),
                    "The installation folder is too long.  "
                    "Please type a folder of at most 246 characters.",
                    {IDOK}, IDOK);
    // The page stays, with what was typed.
    CHECK(IsWindowVisible(folder));
    CHECK_TEXT(ControlText(folder, 14001), tooLong);
    ExitSetup(setup, folder);
    CheckNothingInstalled();
}

SCENARIO(setup_then_uninstall_leaves_nothing)
{
    NoInstallation();
    InstallInto();
    CheckInstalled("C:\\Tessaron\\");
    // What the program itself writes and the script lists.
    WriteFileBytes(WindowsFile("Tessaron.ini"), "[Tessaron]\r\n");

    Uninstall(RemovedText, 0);
    for (const char *name : InstalledNames)
        CHECK(!FileExists(std::string("C:\\Tessaron\\") + name));
    CHECK(!FileExists("C:\\Tessaron"));
    CHECK(!FileExists(WindowsFile(ScriptName)));
    CHECK(!FileExists(WindowsFile("Tessaron.ini")));
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(!FileExists(ShortcutPath()));
}

// A folder typed with forward slashes installs there, and the script names
// it as the uninstaller finds it, so that the uninstaller removes it all.
SCENARIO(setup_script_names_the_full_folder)
{
    NoInstallation();
    InstallInto("C:/Tessaron");
    CHECK_TEXT(ReadFileOrFail(WindowsFile(ScriptName)), ExpectedScript("C:\\Tessaron\\"));
    Uninstall(RemovedText, 0);
    CHECK(!FileExists("C:\\Tessaron"));
}

SCENARIO(uninstall_declined_removes_nothing)
{
    NoInstallation();
    InstallInto();
    Program kelvey = StartUninstaller();
    CheckMessageBox(UninstallQuestion, {IDYES, IDNO}, IDNO, "Uninstall");
    CHECK_EQ(WaitForExit(kelvey), 0u);
    CheckInstalled("C:\\Tessaron\\");
}

SCENARIO(setup_installed_program_starts)
{
    NoInstallation();
    InstallInto();
    Program tessaron = StartTessaron();  // C:\Tessaron\Tessaron.exe, as installed
    PostCommand(tessaron, CmdHelpTopics);
    std::vector<HelpCall> calls = WaitHelpCalls(1);
    Step("help: %s", calls[0].file.c_str());
    if (!SameText(calls[0].file, "C:\\Tessaron\\TESSARON.HLP"))
        Fail("Help Topics opened %s", calls[0].file.c_str());
    CHECK(FileExists(calls[0].file));
    ExitTessaron(tessaron);
}

SCENARIO(setup_over_an_installation)
{
    NoInstallation();
    InstallInto();
    // The second run finds the folder, the key and the shortcut in place.
    InstallInto();
    CheckInstalled("C:\\Tessaron\\");
}

// What cannot be removed (the program, in use) is listed, and the
// registration and the script stay until it is gone, so that the removal
// can be run again; started on the script's short name, the uninstaller
// does exactly what it does on the long one.
SCENARIO(uninstall_reports_what_stays)
{
    NoInstallation();
    InstallInto();
    const std::string script = WindowsFile(ScriptName);
    HANDLE inUse = CreateFileA("C:\\Tessaron\\Tessaron.exe", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    CHECK(inUse != INVALID_HANDLE_VALUE);
    for (const std::string &name : {script, ShortName(script)}) {
        Step("started on %s", name.c_str());
        Uninstall(std::string(NotRemovedText) + FailedText + "C:\\Tessaron\\Tessaron.exe\n" + KeptText, 1, name);
        CHECK(FileExists("C:\\Tessaron\\Tessaron.exe"));
        CHECK(!FileExists("C:\\Tessaron\\ReadMe.txt"));
        CHECK(!FileExists(ShortcutPath()));
        CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
        CHECK(FileExists(script));
    }
    CloseHandle(inUse);
    Uninstall(RemovedText, 0, ShortName(script));
    CHECK(!FileExists("C:\\Tessaron"));
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(!FileExists(script));
}

// A script that also names a file outside the installation, a key not
// named for the product and, on a last line without a line end, another
// key: those stay and are listed, the product's own entries go, and the
// registration stays.
SCENARIO(uninstall_leaves_what_the_product_did_not_install)
{
    const char OwnKey[] = "Software\\Varnholt\\Tessaron";
    const char OtherKey[] = "Software\\Varnholt\\Other";
    const char CutKey[] = "SOFTWARE\\Varnholt\\Tessaron";  // below HKEY_LOCAL_MACHINE
    DeleteRegistryKey(HKEY_CURRENT_USER, "Software\\Varnholt");
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varnholt");
    NoInstallation();
    InstallInto();
    for (const char *key : {OwnKey, OtherKey})
        CreateRegistryKey(HKEY_CURRENT_USER, key);
    CreateRegistryKey(HKEY_LOCAL_MACHINE, CutKey);
    MakeFolder("C:\\Outside");
    WriteFileBytes("C:\\Outside\\keep.txt", "not the product's\r\n");
    const std::string added = "[FILE] C:\\Outside\\keep.txt\r\n"
                              "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Other\r\n"
                              "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnholt\\Tessaron";
    WriteFileBytes(WindowsFile(ScriptName), ReadFileOrFail(WindowsFile(ScriptName)) + added);

    Uninstall(std::string(NotRemovedText) + RefusedText + Listed(added) + "\n" + KeptText, 1);
    CHECK(FileExists("C:\\Outside\\keep.txt"));
    CHECK(RegistryKeyExists(HKEY_CURRENT_USER, OtherKey));
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, CutKey));
    CHECK(!FileExists("C:\\Tessaron"));
    CHECK(!RegistryKeyExists(HKEY_CURRENT_USER, OwnKey));
    CHECK(!FileExists(ShortcutPath()));
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(FileExists(WindowsFile(ScriptName)));
}

// ---------------------------------------------------------------- what the others leave unchecked
// Setup's main window, and commands that are not button clicks.
SCENARIO(audit_setup_main_window_and_non_click_commands)
{
    Program setup = StartSetup(DistFolder());
    HWND main = WaitSetupWindow();
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

    PressButton(WaitPage(WelcomePage), IDOK);
    Step("the folder page ignores Next, Exit and Back sent as other notifications");
    HWND folder = WaitPage(FolderPage);
    for (int id : {IDOK, IDCANCEL, 14002})
        CHECK(PostMessageA(folder, WM_COMMAND, MAKEWPARAM(id, 1), 0));
    CHECK(PostMessageA(ControlWindow(folder, 14001), WM_CHAR, 'x', 1));
    if (!WaitFor([&] { return ControlText(folder, 14001) != "C:\\Tessaron"; }))
        Fail("the folder field did not take the character");
    CHECK(IsWindow(folder) && IsWindowVisible(folder));

    ExitSetup(setup, folder);
    CHECK(!FileExists(WindowsFile(ScriptName)));
}

// A folder that Tessaron could not be removed from again, or one that setup
// would write through a link, is refused on the folder page (of Windows 10:
// the NT family knows a folder by its identity) with a message that says
// why, before anything is made: a device path, a stream, (an empty field)
// the root of the current drive, the Windows folder through drive Z: and
// with the trailing period the system drops, and a folder that is a link.
// This Wine does not find the administrative share \\localhost\c$ (error 3),
// nor show a link to a file as one: the unit tables carry those.
SCENARIO(setup_refuses_folders_it_cannot_uninstall)
{
    UseWindowsVersion("win10");
    NoInstallation();
    MakeFolder("C:\\Elsewhere");
    MakeLink("C:\\Linked", "C:\\Elsewhere");
    Program setup = StartSetup(DistFolder());
    PressButton(WaitPage(WelcomePage), 1);
    HWND folder = WaitPage(FolderPage);
    const char *const notAPath =
        "Tessaron could not be removed again from a folder named this way.  Please type a folder such as "
        "C:\\Tessaron or \\\\server\\share\\Tessaron: a drive or a network share, then the names of folders, with "
        "no \\\\?\\ or \\\\.\\ in front, no colon after the drive letter and none of the characters * ? \" < > |.";
    const struct {
        std::string typed, text;
    } refused[] = {
        {"\\\\?\\C:\\Tessaron", notAPath},
        {"\\\\.\\C:\\Tessaron", notAPath},
        {"C:\\Tessaron::$INDEX_ALLOCATION", notAPath},
        {"", SystemPlaceText},
        {OtherDriveSpelling(WindowsDirectory()), SystemPlaceText},
        {OtherDriveSpelling(WindowsDirectory() + "\\system32") + "\\", SystemPlaceText},
        {WindowsDirectory() + ".", SystemPlaceText},
        {"C:\\Linked", "Tessaron cannot be installed there, because C:\\Linked is a link to another place (a junction, "
                        "a symbolic link or a mount point).  Please type a folder that neither is nor holds a link."},
    };
    for (const auto &c : refused)
        RefuseFolder(folder, c.typed, c.text);
    ExitSetup(setup, folder);
    CheckNothingInstalled();
    CHECK(!FileExists("C:\\Tessaron"));
    CHECK(FolderEntries("C:\\Elsewhere").empty());
}

// Closing setup's main window (the taskbar's Close, End task) before the
// installation has begun ends setup at once: nothing installed, code 0.
SCENARIO(setup_main_window_closed_installs_nothing)
{
    NoInstallation();
    for (int moment = 0; moment < 3; moment++) {
        Program setup = StartSetup(DistFolder());
        HWND main = WaitSetupWindow();
        HWND page = WaitPage(WelcomePage);
        if (moment >= 1) {
            PressButton(page, 1);
            page = WaitPage(FolderPage);
        }
        if (moment == 2) {
            ClickButton(page, 2);
            WaitMessageBox("Setup Wizard");
            Step("the exit question is up");
        }
        Step("WM_CLOSE to the main window");
        PostMessageA(main, WM_CLOSE, 0, 0);
        CHECK_EQ(WaitForExit(setup), 0u);
        CheckNothingInstalled();
        CHECK(!FileExists("C:\\Tessaron"));
    }
}

// From Vista on: setup installs the help pages beside the program and the
// script lists them; the uninstaller removes them, and the copies that the
// system kept of the program's Windows-directory files in the user's
// VirtualStore.
SCENARIO(setup_and_uninstall_on_windows_10)
{
    UseWindowsVersion("win10");
    NoInstallation();
    InstallInto();
    std::string expected = ExpectedScript("C:\\Tessaron\\");
    for (int i = 0; i < HelpPageCount; i++) {
        std::string page = std::string("\\help\\") + HelpPages[i];
        CHECK_TEXT(ReadFileOrFail("C:\\Tessaron" + page), ReadFileOrFail(DistFolder() + page));
        expected += "[FILE] C:\\Tessaron" + page + "\r\n";
    }
    expected += "[EMPTY FOLDER] C:\\Tessaron\\help\\\r\n";
    CHECK_TEXT(ReadFileOrFail(WindowsFile(ScriptName)), expected);

    char local[MAX_PATH] = "";
    CHECK(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local)));
    std::string store = std::string(local) + "\\VirtualStore";
    MakeFolder(store);
    store += WindowsDirectory().substr(2);
    MakeFolder(store);
    WriteFileBytes(store + "\\Tessaron.ini", "[Tessaron]\r\n");
    WriteFileBytes(store + "\\Other.ini", "kept\r\n");

    Uninstall(RemovedText, 0);
    CHECK(!FileExists("C:\\Tessaron"));
    CHECK(!FileExists(store + "\\Tessaron.ini"));
    CHECK(FileExists(store + "\\Other.ini"));
}

// Another program's folder is asked about, No by default; No installs
// nothing and leaves the page up.  Installed there after Yes, Tessaron is
// removed completely: the folder stays with what it held, the
// registration goes.
SCENARIO(uninstall_from_an_existing_folder_is_complete)
{
    NoInstallation();
    const std::string folder = "C:\\Program Files";
    std::vector<std::string> before = FolderEntries(folder);
    CHECK(!before.empty());
    const std::string question = "The folder " + folder + " already holds files of another program.  Files there with "
                                 "the same names as Tessaron's would be replaced, and removed again when Tessaron is "
                                 "uninstalled.\n\nDo you want to install Tessaron in this folder?";
    Program setup = StartSetup(DistFolder());
    PressButton(WaitPage(WelcomePage), 1);
    HWND page = WaitPage(FolderPage);
    SetControlText(page, 14001, folder);
    for (int answer : {IDNO, IDYES}) {
        ClickButton(page, 1);
        HWND box = WaitSetupBox();
        CHECK(WaitFor([&] { return FocusedControl(box) == IDNO; }));
        CheckMessageBox(box, question, {IDYES, IDNO}, answer);
        if (answer == IDNO) {
            CHECK(IsWindowVisible(page));
            CHECK(FolderEntries(folder) == before);
        }
    }
    PressButton(WaitPage(FinishedPage), IDOK);
    CheckMessageBox(RestartText, {IDOK}, IDOK, "Setup Wizard");
    CHECK_EQ(WaitForExit(setup), 0u);
    CHECK_TEXT(ReadFileOrFail(WindowsFile(ScriptName)), ExpectedScript(folder + "\\"));
    Uninstall(RemovedText, 0);
    CHECK(FolderEntries(folder) == before);
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(!FileExists(WindowsFile(ScriptName)));
}

// A script that no entry of the uninstall list runs this uninstaller on
// (a foreign first line, or setup's own script in another place) removes
// nothing: one box says why, and the exit code is 1.
SCENARIO(uninstall_refuses_a_script_nothing_vouches_for)
{
    NoInstallation();
    InstallInto();
    std::string own = ReadFileOrFail(WindowsFile(ScriptName));
    std::string body = own.substr(own.find("\r\n"));
    const std::string win = ReadFileOrFail(WindowsFile("win.ini"));
    for (const char *product : {"Microsoft", "win", "Startup"}) {
        std::string script = WindowsFile((std::string(product) + " - Uninstallation Data").c_str());
        WriteFileBytes(script, product + body + "[FILE] " + WindowsFile("win.ini") + "\r\n[GROUP] " + product + "\r\n");
        UninstallRefused(script, std::string("is for \"") + product + "\", which is not in the Add/Remove Software list.  ");
        CHECK(FileExists(script));
        RemoveFile(script);
    }
    MakeFolder("C:\\Copy");
    std::string copy = std::string("C:\\Copy\\") + ScriptName;
    WriteFileBytes(copy, own);
    std::string command;
    CHECK(ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", &command));
    UninstallRefused(copy, "is for \"Tessaron\", but the Add/Remove Software list removes Tessaron with another "
                           "command:\n\n" + command + "\n\n");
    CHECK_TEXT(ReadFileOrFail(WindowsFile("win.ini")), win);
    CheckInstalled("C:\\Tessaron\\");
}

// A product vouched for by its own entry still cannot name the system's
// keys as the 32-bit programs see them: they stay, and are listed.
SCENARIO(uninstall_keeps_the_system_keys_below_wow6432node)
{
    const char RunEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Run";
    const char RunKey[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, RunEntry);
    NoInstallation();
    InstallInto();  // for the uninstaller in the Windows directory
    CreateRegistryKey(HKEY_LOCAL_MACHINE, RunKey);
    CreateRegistryKey(HKEY_CURRENT_USER, RunKey);
    std::string script = WindowsFile("Run - Uninstallation Data");
    SetRegistryText(HKEY_LOCAL_MACHINE, RunEntry, "UninstallString", WindowsFile("kelvey.exe") + " " + script);
    const std::string lines = std::string("[REGISTRY KEY] HKEY_LOCAL_MACHINE\\") + RunKey + "\r\n" +
                              "[REGISTRY KEY] HKEY_CURRENT_USER\\" + RunKey + "\r\n";
    WriteFileBytes(script, "Run\r\n" + lines + "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\" + RunEntry + "\r\n");
    Uninstall("Run has not been removed completely.\n\nThe following lines of the uninstallation data were left "
              "alone, because they are damaged or name something that Run did not install:\n\n" + Listed(lines) +
                  "\nRun stays in the Add/Remove Software list, so that its removal can be run again.",
              1, script, "Are you sure you want to remove Run and all of its components from your computer?");
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, RunKey));
    CHECK(RegistryKeyExists(HKEY_CURRENT_USER, RunKey));
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, RunEntry));
    CHECK(FileExists(script));
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, RunEntry);
}

// Setup's script cut after its line 14, by a Ctrl-Z or by its end: what it
// names goes, what it no longer names is listed, and the registration and
// the script stay.
SCENARIO(uninstall_keeps_the_registration_of_a_cut_script)
{
    NoInstallation();
    InstallInto();
    const std::string script = WindowsFile(ScriptName);
    std::string whole = ReadFileOrFail(script);
    size_t cut = whole.find("[REGISTRY KEY]");
    WriteFileBytes(script, whole.substr(0, cut) + "\x1a" + whole.substr(cut));
    const std::string unnamed = "\nTessaron stays in the Add/Remove Software list, because no line taken from the "
                                "uninstallation data names its entry there (HKEY_LOCAL_MACHINE\\Software\\Microsoft\\"
                                "Windows\\CurrentVersion\\Uninstall\\Tessaron).";
    Uninstall(std::string(NotRemovedText) + RefusedText + "?" + Listed(whole.substr(cut)) + unnamed, 1);
    CHECK(!FileExists("C:\\Tessaron"));
    WriteFileBytes(script, whole.substr(0, cut));
    Uninstall(std::string(NotRemovedText) + unnamed, 1);
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(FileExists(script));
}

// ---------------------------------------------------------------- links, spellings, code pages
// The uninstall report that lists lines not taken: each of lines, as the
// uninstaller shows a line (cut at 99 characters), and the registration kept.
void CheckNotTaken(const std::vector<std::string> &lines, DWORD code = 1)
{
    Program kelvey = StartUninstaller();
    CheckMessageBox(UninstallQuestion, {IDYES, IDNO}, IDYES, "Uninstall");
    HWND box = WaitMessageBox("Uninstall");
    std::string text = MessageBoxText(box);
    Step("report: %s", Visible(text).c_str());
    CHECK_EQ(text.rfind(std::string(NotRemovedText) + RefusedText, 0), 0u);
    for (std::string line : lines) {
        if (line.size() > 99)
            line = line.substr(0, 96) + "...";
        if (text.find("\n" + line + "\n") == std::string::npos)
            Fail("the report does not list %s", line.c_str());
    }
    CHECK(text.size() > strlen(KeptText) && text.substr(text.size() - strlen(KeptText)) == KeptText);
    PressButton(box, IDOK);
    CHECK_EQ(WaitForExit(kelvey), code);
}

// The user's Programs folder, where a program group is.
std::string ProgramsFolder()
{
    std::string folder;
    if (!ReadRegistryText(HKEY_CURRENT_USER, ShellFolders, "Programs", &folder))
        Fail("no Programs folder in the registry");
    return folder;
}

// The registered uninstall, with the Start menu's group a link to a
// foreign folder, the help pages' folder a link to another one, and lines
// added to the script that name the Windows folder, the system folder and
// the root of C: by other spellings: none of their files goes, the lines
// are listed, and the registration stays.  This Wine has no
// administrative share (\\localhost\c$ is a path it does not find) and
// gives no short name to C:\windows: the unit tables carry those.
SCENARIO(uninstall_never_acts_through_a_link_or_another_spelling)
{
    UseWindowsVersion("win10");
    NoInstallation();
    InstallInto();
    MakeFolder("C:\\victim");
    WriteFileBytes("C:\\victim\\notes.txt", "mine\r\n");
    WriteFileBytes("C:\\victim\\tool.dll", "code");
    CHECK(SetFileAttributesA("C:\\victim\\tool.dll", FILE_ATTRIBUTE_READONLY));
    MakeLink(ProgramsFolder() + "\\Tessaron", "C:\\victim");
    MakeFolder("C:\\OtherDocs");
    WriteFileBytes("C:\\OtherDocs\\index.html", "<p>other</p>");
    for (int i = 0; i < HelpPageCount; i++)
        RemoveFile(std::string("C:\\Tessaron\\help\\") + HelpPages[i]);
    CHECK(RemoveDirectoryA("C:\\Tessaron\\help"));
    MakeLink("C:\\Tessaron\\help", "C:\\OtherDocs");

    const std::string windows = WindowsDirectory(), z = OtherDriveSpelling("C:\\");
    const std::vector<std::string> victims = {windows + "\\victim.ini", windows + "\\system32\\victim.dll",
                                              "C:\\victim.txt"};
    for (const std::string &victim : victims)
        WriteFileBytes(victim, "the system's");
    const std::vector<std::string> added = {
        "[EMPTY FOLDER] " + windows + ".\\",
        "[FILE] " + windows + ".\\victim.ini",
        "[EMPTY FOLDER] " + z + "\\windows\\system32\\",
        "[FILE] " + z + "\\windows\\system32\\victim.dll",
        "[EMPTY FOLDER] " + z + "\\",
        "[FILE] " + z + "\\victim.txt",
    };
    const std::string script = WindowsFile(ScriptName);
    WriteFileBytes(script, ReadFileOrFail(script) + CrLfLines(added));

    std::vector<std::string> listed = added;
    listed.push_back("[GROUP] Tessaron");
    listed.push_back("[EMPTY FOLDER] C:\\Tessaron\\help\\");
    for (int i = 0; i < HelpPageCount; i++)
        listed.push_back(std::string("[FILE] C:\\Tessaron\\help\\") + HelpPages[i]);
    CheckNotTaken(listed);
    CHECK_TEXT(ReadFileOrFail("C:\\victim\\notes.txt"), "mine\r\n");
    CHECK_TEXT(ReadFileOrFail("C:\\victim\\tool.dll"), "code");
    CHECK_TEXT(ReadFileOrFail("C:\\OtherDocs\\index.html"), "<p>other</p>");
    for (const std::string &victim : victims)
        CHECK_TEXT(ReadFileOrFail(victim), "the system's");
    CHECK(!FileExists("C:\\Tessaron\\Tessaron.exe"));
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(FileExists(script));
}

// A script that cannot be written (a folder stands in its place) leaves no
// registration, and setup says so and why, then goes on as ever.
SCENARIO(setup_without_a_whole_script_registers_nothing)
{
    NoInstallation();
    MakeFolder(WindowsFile(ScriptName));
    Program setup = StartSetup(DistFolder());
    PressButton(WaitPage(WelcomePage), 1);
    PressButton(WaitPage(FolderPage), 1);
    HWND box = WaitSetupBox();
    std::string text = MessageBoxText(box);
    Step("warning: %s", Visible(text).c_str());
    const std::string begins = "The uninstallation script " + WindowsFile(ScriptName) + " could not be written: ";
    const std::string ends = "\n\nTessaron could not be registered for removal.  The setup wizard will try to "
                             "continue the installation process.";
    CHECK_EQ(text.rfind(begins, 0), 0u);
    CHECK(text.size() > begins.size() + ends.size() && text.substr(text.size() - ends.size()) == ends);
    PressButton(box, IDOK);
    PressButton(WaitPage(FinishedPage), IDOK);
    CheckMessageBox(RestartText, {IDOK}, IDOK, "Setup Wizard");
    CHECK_EQ(WaitForExit(setup), 0u);
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(FileExists("C:\\Tessaron\\Tessaron.exe"));
    CHECK(FolderEntries(WindowsFile(ScriptName)).empty());
    CHECK(!FileExists(WindowsFile(ScriptName) + ".TMP"));
}

// Under code page 932 a folder whose last character ends in the byte of a
// backslash (0x83 0x5C) installs into itself, not into the root of C:,
// and uninstalls completely.
SCENARIO_LOCALE(setup_and_uninstall_in_code_page_932, "ja_JP.UTF-8")
{
    CHECK_EQ(GetACP(), 932u);
    NoInstallation();
    const std::string folder = "C:\\\x83\x5c";
    InstallInto(folder.c_str());
    CheckInstalled(folder + "\\");
    CHECK(!FileExists("C:\\Tessaron.exe"));
    Uninstall(RemovedText, 0);
    CHECK(!FileExists(folder));
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
}
