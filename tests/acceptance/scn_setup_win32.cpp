// The setup wizard and the uninstaller, started from the distribution folder
// as a user would, checked through the pages, the files on disk, the
// registry and the Start-up shortcut.
#include "driver.h"

#include "commands.h"

#include <shlobj.h>
#include <stdio.h>

namespace {

const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron";
const char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char ScriptName[] = "Tessaron - Uninstallation Data";

const char RestartText[] =
    "You must close all applications and restart your computer to activate Tessaron.";
const char ExitText[] = "The setup of Tessaron is not complete!  Are you sure you want to exit?";

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

void RemoveFolderIfEmpty(const std::string &path)
{
    RemoveDirectoryA(path.c_str());
}

// Deletes a key and its subkeys, so that no scenario sees another's entry.
void DeleteKeyTree(HKEY root, const std::string &key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | KEY_WRITE, &opened) != ERROR_SUCCESS)
        return;
    char name[256];
    while (RegEnumKeyA(opened, 0, name, sizeof name) == ERROR_SUCCESS) {
        std::string child = key + "\\" + name;
        DeleteKeyTree(root, child);
        if (RegistryKeyExists(root, child.c_str()))
            break;  // it stays: do not try it for ever
    }
    RegCloseKey(opened);
    RegDeleteKeyA(root, key.c_str());
}

const char *const InstalledNames[] = {"Tessaron.hlp", "Tessaron.exe", "ReadMe.txt", "Tessaron.txt"};

// No installation anywhere: the harness's copy of the program in
// C:\Tessaron goes too, so that every file found later is setup's.
void NoInstallation()
{
    for (const char *name : InstalledNames)
        RemoveFile(std::string("C:\\Tessaron\\") + name);
    RemoveFolderIfEmpty("C:\\Tessaron");
    CHECK(!FileExists("C:\\Tessaron"));
    RemoveFile(WindowsFile("Kelvey.exe"));
    RemoveFile(WindowsFile(ScriptName));
    RemoveFile(ShortcutPath());
    DeleteKeyTree(HKEY_LOCAL_MACHINE, UninstallKey);
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

// Presses a page's button and waits until the page has gone.
void Press(HWND page, int id)
{
    Step("press %d", id);
    ClickButton(page, id);
    WaitWindowGone(page);
}

Program StartSetup(const std::string &folder)
{
    return StartProgram("\"" + DistFolder() + "\\setup.exe\"", folder);
}

// ---------------------------------------------------------------- layout
enum Kind { Push, Disabled, Field, Text, Frame, Icon };

struct Expected {
    int id;
    Kind kind;
    const char *text;
    int x, y, width, height;
};

const Expected WelcomeControls[] = {
    {1, Push, "&Next >", 142, 128, 50, 14},
    {2, Push, "&Exit", 192, 128, 50, 14},
    {14002, Disabled, "< &Back", 92, 128, 50, 14},
    {-1, Frame, "", 4, 4, 40, 60},
    {-1, Icon, nullptr, 8, 8, 20, 20},
    {-1, Icon, nullptr, 20, 40, 20, 20},
    {-1, Text, "The setup utility will install Tessaron on your computer.", 56, 8, 192, 8},
    {-1, Text, "Tessaron  is an application designed to enable you to", 56, 24, 192, 8},
    {-1, Text, "quickly and conveniently access storage devices, folders,", 56, 32, 184, 8},
    {-1, Text, "and the tools you need to maintain the integrity and", 56, 40, 184, 8},
    {-1, Text, "performance of your computer system.", 56, 48, 192, 8},
    {-1, Text, "If you are upgrading from a previous version of Tessaron,", 56, 72, 192, 8},
    {-1, Text, "please ensure that it is not in use at this time.", 56, 80, 192, 8},
    {-1, Text, "To begin the setup process, click the \"Next\" button.  If", 56, 96, 184, 8},
    {-1, Text, "you do not want to install Tessaron, click the \"Cancel\"", 56, 104, 192, 8},
    {-1, Text, "button.", 56, 112, 192, 8},
};

const Expected FolderControls[] = {
    {14001, Field, "C:\\Tessaron", 72, 64, 160, 12},
    {14002, Push, "< &Back", 92, 128, 50, 14},
    {1, Push, "&Next >", 142, 128, 50, 14},
    {2, Push, "&Exit", 192, 128, 50, 14},
    {-1, Frame, "", 4, 112, 60, 28},
    {-1, Icon, nullptr, 8, 116, 20, 20},
    {-1, Icon, nullptr, 40, 116, 20, 20},
    {-1, Text, "The text field shown below contains the name of the folder in which", 8, 8, 232, 8},
    {-1, Text, "Tessaron will be installed.  If you would prefer to install it elsewhere,", 8, 16, 232, 8},
    {-1, Text, "you may do so by changing the location shown in the text field.", 8, 24, 224, 8},
    {-1, Text, "The installation of Tessaron will require approximately 225 kilobytes", 8, 40, 224, 8},
    {-1, Text, "of free space.", 8, 48, 208, 8},
    {-1, Text, "Installation Path:", 8, 66, 60, 8},
};

const Expected FinishedControls[] = {
    {1, Push, "&Finish", 192, 128, 50, 14},
    {14002, Disabled, "< &Back", 92, 128, 50, 14},
    {14003, Disabled, "&Next >", 142, 128, 50, 14},
    {-1, Frame, "", 4, 0, 56, 36},
    {-1, Icon, nullptr, 8, 4, 20, 20},
    {-1, Icon, nullptr, 36, 12, 20, 20},
    {-1, Text, "Tessaron has been successfully installed on your", 64, 8, 184, 8},
    {-1, Text, "computer!", 64, 16, 176, 8},
    {-1, Text, "Tessaron is a Windows 95 system tray application.  This means that", 8, 37, 240, 8},
    {-1, Text, "when you start your computer, an icon will appear in the area on", 8, 45, 240, 8},
    {-1, Text, "the taskbar where the time is displayed.  To use Tessaron,", 8, 53, 240, 8},
    {-1, Text, "right-click on the Tessaron icon.", 8, 61, 232, 8},
    {-1, Text, "If, for any reason, you decide that you want to remove Tessaron from", 8, 74, 232, 8},
    {-1, Text, "your computer, you can do so using the following procedure:", 8, 82, 232, 8},
    {-1, Text, "1)", 16, 96, 8, 8},
    {-1, Text, "Open the \"Add/Remove Software\" control panel application.", 28, 96, 216, 8},
    {-1, Text, "2)", 16, 106, 8, 8},
    {-1, Text, "Select \"Tessaron\" from the lower window pane.", 28, 106, 216, 8},
    {-1, Text, "3)", 16, 116, 8, 8},
    {-1, Text, "Click the \"Add/Remove\" button.", 28, 116, 136, 8},
};

// Position and size converted back separately, as the dialog manager
// converted them (MulDiv, rounding).
RECT UnitsOf(const Control &c)
{
    POINT base = DialogBaseUnits();
    return RECT{MulDiv(c.pixels.left, 4, base.x), MulDiv(c.pixels.top, 8, base.y),
                MulDiv(c.pixels.right - c.pixels.left, 4, base.x),
                MulDiv(c.pixels.bottom - c.pixels.top, 8, base.y)};
}

bool StyleFits(const Control &c, Kind kind)
{
    bool disabled = (c.style & WS_DISABLED) != 0;
    bool tabStop = (c.style & WS_TABSTOP) != 0;
    bool isButton = lstrcmpiA(c.className.c_str(), "Button") == 0;
    bool isStatic = lstrcmpiA(c.className.c_str(), "Static") == 0;
    switch (kind) {
    case Push:
    case Disabled:
        // The focused button shows as the default one while it has the focus.
        return isButton && (c.style & 0x0E) == BS_PUSHBUTTON && tabStop &&
               disabled == (kind == Disabled);
    case Field:
        return lstrcmpiA(c.className.c_str(), "Edit") == 0 && (c.style & ES_AUTOHSCROLL) &&
               ((c.style & WS_BORDER) || (c.exStyle & WS_EX_CLIENTEDGE)) && tabStop && !disabled;
    case Text: return isStatic && (c.style & SS_TYPEMASK) == SS_LEFT && !tabStop;
    case Frame: return isStatic && (c.style & SS_TYPEMASK) == SS_BLACKFRAME;
    case Icon: return isStatic && (c.style & SS_TYPEMASK) == SS_ICON;
    }
    return false;
}

int FocusedId(HWND page)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(page, nullptr), &info) || !info.hwndFocus)
        return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void CheckPage(HWND page, const Expected *expected, size_t count, int height, int focus)
{
    std::vector<Control> controls = DialogControls(page);
    CHECK_EQ(controls.size(), count);
    for (size_t i = 0; i < count; i++) {
        const Expected &e = expected[i];
        const Control &c = controls[i];
        int id = (c.id & 0xFFFF) == 0xFFFF ? -1 : c.id;
        RECT u = UnitsOf(c);
        // An icon control takes the size of its icon.
        bool sized = e.kind == Icon || (u.right == e.width && u.bottom == e.height);
        if (id != e.id || (e.text && c.text != e.text) || u.left != e.x || u.top != e.y ||
            !sized || !StyleFits(c, e.kind))
            Fail("control %u is %d %s \"%s\" %ld,%ld %ldx%ld style %08lx, expected %d \"%s\" %d,%d %dx%d",
                 (unsigned)i, id, c.className.c_str(), c.text.c_str(), u.left, u.top, u.right,
                 u.bottom, (unsigned long)c.style, e.id, e.text ? e.text : "", e.x, e.y, e.width,
                 e.height);
    }
    RECT client = DialogClientUnits(page);
    CHECK_EQ(client.right, 249L);
    CHECK_EQ(client.bottom, (LONG)height);
    char caption[64] = "";
    GetWindowTextA(page, caption, sizeof caption);
    CHECK_TEXT(std::string(caption), "Setup");
    DWORD style = (DWORD)GetWindowLongA(page, GWL_STYLE);
    DWORD wanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    CHECK_EQ(style & wanted, wanted);

    // Centred: half the client size off the middle of the desktop.
    RECT desktop, window, pixels;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(page, &window);
    GetClientRect(page, &pixels);
    CHECK_EQ(window.left, desktop.right / 2 - pixels.right / 2);
    CHECK_EQ(window.top, desktop.bottom / 2 - pixels.bottom / 2);

    if (!WaitFor([&] { return FocusedId(page) == focus; }, 2000))
        Fail("the focus is on %d, expected %d", FocusedId(page), focus);
}

#define CHECK_PAGE(page, table, height, focus) \
    CheckPage(page, table, sizeof table / sizeof table[0], height, focus)

// With TESSARON_SHOTS naming a Unix folder, saves the page as it looks on
// screen as <folder>/setup-<name>.png (ImageMagick's import, run natively).
void Screenshot(HWND page, const char *name)
{
    char folder[1024];
    DWORD length = GetEnvironmentVariableA("TESSARON_SHOTS", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return;
    RECT r;
    GetWindowRect(page, &r);
    UpdateWindow(page);
    Sleep(300);  // let the page finish painting before the capture
    std::string target = std::string(folder) + "/setup-" + name + ".png";
    std::string partial = target + ".part.png";
    char command[4096];
    snprintf(command, sizeof command,
             "Z:\\bin\\sh -c \"/usr/bin/import -window root -crop %ldx%ld+%ld+%ld +repage '%s' && mv '%s' '%s'\"",
             r.right - r.left, r.bottom - r.top, r.left, r.top, partial.c_str(), partial.c_str(),
             target.c_str());
    std::string unixTarget = "Z:" + target;
    for (char &ch : unixTarget)
        if (ch == '/')
            ch = '\\';
    DeleteFileA(unixTarget.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        Fail("cannot run import for %s", target.c_str());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!WaitFor([&] { return FileExists(unixTarget); }))
        Fail("no screenshot %s", target.c_str());
    Step("screenshot %s", target.c_str());
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

// Welcome, folder (typed), finished (left with finishId), restart message;
// exit code 0.
void InstallInto(const std::string &typed, int finishId = IDOK)
{
    Program setup = StartSetup(DistFolder());
    Press(WaitPage(WelcomePage), 1);
    HWND folder = WaitPage(FolderPage);
    if (!typed.empty())
        SetControlText(folder, 14001, typed);
    Press(folder, 1);
    HWND finished = WaitPage(FinishedPage);
    if (finishId == IDOK) {
        Press(finished, IDOK);
    } else {
        // What the Escape key and the close box send.
        Step("command %d", finishId);
        PostMessageA(finished, WM_COMMAND, finishId, 0);
        WaitWindowGone(finished);
    }
    CHECK_TEXT(AnswerMessageBox(IDOK, "Setup Wizard"), RestartText);
    CHECK_EQ(WaitForExit(setup), 0u);
}

}  // namespace

// ---------------------------------------------------------------- scenarios
SCENARIO(setup_installs_from_the_distribution)
{
    NoInstallation();
    Program setup = StartSetup(DistFolder());

    HWND main = nullptr;
    if (!WaitFor([&] { return (main = FindWindowA("Setup", "Setup")) != nullptr; }))
        Fail("no main window \"Setup\"");
    // The window exists before setup shows it minimised: wait for that too.
    CHECK(WaitFor([&] { return IsIconic(main) != FALSE; }));

    HWND welcome = WaitPage(WelcomePage);
    CHECK_PAGE(welcome, WelcomeControls, 145, 1);
    Screenshot(welcome, "welcome");
    Press(welcome, 1);

    HWND folder = WaitPage(FolderPage);
    CHECK_PAGE(folder, FolderControls, 145, 14001);
    Screenshot(folder, "folder");
    Press(folder, 1);

    HWND finished = WaitPage(FinishedPage);
    CHECK_PAGE(finished, FinishedControls, 143, 1);
    Screenshot(finished, "finished");
    Press(finished, 1);

    HWND box = WaitMessageBox("Setup Wizard");
    CHECK_TEXT(MessageBoxText(box), RestartText);
    CHECK(MessageBoxHasIcon(box));
    CHECK(MessageBoxButtons(box) == std::vector<int>{IDOK});
    ClickButton(box, IDOK);
    CHECK_EQ(WaitForExit(setup), 0u);

    CheckInstalled("C:\\Tessaron\\");
}

SCENARIO(setup_missing_kelvey_stops_after_its_message)
{
    NoInstallation();
    // The distribution without its uninstaller, started from that folder.
    std::string dist = "C:\\SetupDist";
    MakeFolder(dist);
    for (const char *name : {"Tessaron.hl_", "Tessaron.ex_", "ReadMe.txt", "Tessaron.txt"})
        WriteFileBytes(dist + "\\" + name, ReadFileOrFail(DistFolder() + "\\" + name));

    Program setup = StartSetup(dist);
    Press(WaitPage(WelcomePage), 1);
    Press(WaitPage(FolderPage), 1);
    HWND box = WaitSetupBox();
    CHECK_TEXT(MessageBoxText(box),
               "There was a file installation error (Kelvey.ex_) which cannot be ignored.  "
               "Please correct the error and repeat the setup process.");
    CHECK(MessageBoxButtons(box) == std::vector<int>{IDOK});
    ClickButton(box, IDOK);
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
    Press(WaitPage(WelcomePage), 2);
    CHECK_TEXT(AnswerMessageBox(IDYES, "Setup Wizard"), ExitText);
    CHECK_EQ(WaitForExit(setup), 0u);
    CheckNothingInstalled();
    CHECK(!FileExists("C:\\Tessaron"));
}

SCENARIO(setup_page_flow_back_and_declined_exit)
{
    NoInstallation();
    Program setup = StartSetup(DistFolder());
    Press(WaitPage(WelcomePage), 1);

    // Back discards what was typed.
    HWND folder = WaitPage(FolderPage);
    SetControlText(folder, 14001, "C:\\Elsewhere");
    Press(folder, 14002);
    Press(WaitPage(WelcomePage), 1);

    // Exit, then No: the welcome page, and the field is reset.
    folder = WaitPage(FolderPage);
    CHECK_TEXT(ControlText(folder, 14001), "C:\\Tessaron");
    SetControlText(folder, 14001, "C:\\Elsewhere");
    Press(folder, 2);
    HWND box = WaitMessageBox("Setup Wizard");
    CHECK_TEXT(MessageBoxText(box), ExitText);
    CHECK(MessageBoxButtons(box) == (std::vector<int>{IDYES, IDNO}));
    ClickButton(box, IDNO);
    WaitWindowGone(box);
    Press(WaitPage(WelcomePage), 1);
    folder = WaitPage(FolderPage);
    CHECK_TEXT(ControlText(folder, 14001), "C:\\Tessaron");

    // Escape on the folder page asks too; Yes leaves without a trace.
    PostMessageA(folder, WM_COMMAND, IDCANCEL, 0);
    WaitWindowGone(folder);
    CHECK_TEXT(AnswerMessageBox(IDYES, "Setup Wizard"), ExitText);
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
    Press(WaitPage(WelcomePage), 1);
    HWND folder = WaitPage(FolderPage);
    std::string tooLong = "C:\\" + std::string(300, 'x');
    SetControlText(folder, 14001, tooLong);
    ClickButton(folder, 1);
    HWND box = WaitSetupBox();
    CHECK_TEXT(MessageBoxText(box),
               "The installation folder is too long.  "
               "Please type a folder of at most 246 characters.");
    ClickButton(box, IDOK);
    WaitWindowGone(box);
    // The page stays, with what was typed.
    CHECK(IsWindowVisible(folder));
    CHECK_TEXT(ControlText(folder, 14001), tooLong);
    Press(folder, 2);
    CHECK_TEXT(AnswerMessageBox(IDYES, "Setup Wizard"), ExitText);
    CHECK_EQ(WaitForExit(setup), 0u);
    CheckNothingInstalled();
}

SCENARIO(setup_then_uninstall_leaves_nothing)
{
    NoInstallation();
    InstallInto("");
    CheckInstalled("C:\\Tessaron\\");
    // What the program itself writes and the script lists.
    WriteFileBytes(WindowsFile("Tessaron.ini"), "[Tessaron]\r\n");

    std::string command;
    CHECK(ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", &command));
    Program kelvey = StartProgram(command, "C:\\");
    CHECK_TEXT(AnswerMessageBox(IDYES, "Uninstall"),
               "Are you sure you want to remove Tessaron and all of its components from your "
               "computer?");
    CHECK_TEXT(AnswerMessageBox(IDOK, "Uninstall"), "Tessaron has been removed from your computer.");
    CHECK_EQ(WaitForExit(kelvey), 0u);

    for (const char *name : InstalledNames)
        CHECK(!FileExists(std::string("C:\\Tessaron\\") + name));
    CHECK(!FileExists("C:\\Tessaron"));
    CHECK(!FileExists(WindowsFile(ScriptName)));
    CHECK(!FileExists(WindowsFile("Tessaron.ini")));
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(!FileExists(ShortcutPath()));
}

SCENARIO(uninstall_declined_removes_nothing)
{
    NoInstallation();
    InstallInto("");
    std::string command;
    CHECK(ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", &command));
    Program kelvey = StartProgram(command, "C:\\");
    AnswerMessageBox(IDNO, "Uninstall");
    CHECK_EQ(WaitForExit(kelvey), 0u);
    CheckInstalled("C:\\Tessaron\\");
}

SCENARIO(setup_installed_program_starts)
{
    NoInstallation();
    InstallInto("");
    Program tessaron = StartTessaron();  // C:\Tessaron\Tessaron.exe, as installed
    PostCommand(tessaron, CmdHelpTopics);
    std::vector<HelpCall> calls = WaitHelpCalls(1);
    Step("help: %s", calls[0].file.c_str());
    if (!SameText(calls[0].file, "C:\\Tessaron\\TESSARON.HLP"))
        Fail("Help Topics opened %s", calls[0].file.c_str());
    CHECK(FileExists(calls[0].file));
    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0u);
}

SCENARIO(setup_over_an_installation)
{
    NoInstallation();
    InstallInto("");
    // The second run finds the folder, the key and the shortcut in place.
    InstallInto("");
    CheckInstalled("C:\\Tessaron\\");
}

SCENARIO(uninstall_reports_what_stays)
{
    NoInstallation();
    InstallInto("");
    WriteFileBytes("C:\\Tessaron\\mine.txt", "the user's own\r\n");
    std::string command;
    CHECK(ReadRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", &command));
    Program kelvey = StartProgram(command, "C:\\");
    AnswerMessageBox(IDYES, "Uninstall");
    CHECK_TEXT(AnswerMessageBox(IDOK, "Uninstall"),
               "Tessaron has been removed from your computer, except for the following, which "
               "could not be removed:\n\nC:\\Tessaron\\\n\nYou may remove them yourself.");
    CHECK_EQ(WaitForExit(kelvey), 1u);
    CHECK(FileExists("C:\\Tessaron\\mine.txt"));
    CHECK(!FileExists("C:\\Tessaron\\Tessaron.exe"));
    CHECK(!RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKey));
    CHECK(!FileExists(ShortcutPath()));
    RemoveFile("C:\\Tessaron\\mine.txt");
}
