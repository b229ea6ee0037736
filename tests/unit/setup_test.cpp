#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakedisk.h"
#include "install.h"
#include "scratch.h"
#include "uninstall.h"
#include "wizard.h"

namespace {

// ---------------------------------------------------------------- page flow

// Each page shown takes the next scripted result; the folder page may also
// leave a typed folder in the field.
struct FlowFake {
    std::vector<std::pair<int, const char *>> pages;
    std::vector<bool> exitAnswers;
    size_t nextPage = 0, nextAnswer = 0;
    bool installSucceeds = true;
    std::string log;
} flow;

int FakeShowPage(int page)
{
    if (flow.nextPage >= flow.pages.size()) {
        ADD_FAILURE() << "more pages shown than scripted: " << flow.log;
        return PageExit;
    }
    auto answer = flow.pages[flow.nextPage++];
    if (page == PageFolder) {
        flow.log += std::string("folder(") + InstallFolder + ") ";
        if (answer.second)
            snprintf(InstallFolder, sizeof InstallFolder, "%s", answer.second);
    } else {
        flow.log += page == PageWelcome ? "welcome " : page == PageFinished ? "finished " : "?? ";
    }
    return answer.first;
}

bool FakeConfirmExit()
{
    flow.log += "confirm ";
    if (flow.nextAnswer < flow.exitAnswers.size())
        return flow.exitAnswers[flow.nextAnswer++];
    ADD_FAILURE() << "unscripted exit question: " << flow.log;
    return true;
}

bool FakeInstall(const char *folder)
{
    flow.log += std::string("install(") + folder + ") ";
    return flow.installSucceeds;
}
void FakeRestart() { flow.log += "restart "; }

TEST(SetupWizard, EveryTransitionOfThePageFlow)
{
    const char *const through = "folder(C:\\Tessaron) install(C:\\Tessaron) finished restart ";
    const struct {
        const char *name;
        std::vector<std::pair<int, const char *>> pages;
        std::vector<bool> exitAnswers;
        bool installSucceeds;
        std::string expected;
    } cases[] = {
        // Exit, the Escape key and the close box end a page with -1 (on the
        // finished page, Escape gives 1 as Finish does).
        {"straight through", {{1, nullptr}, {1, nullptr}, {1, nullptr}}, {}, true, std::string("welcome ") + through},
        {"typed folder is installed", {{1, nullptr}, {1, "D:\\Apps"}, {1, nullptr}}, {}, true,
         "welcome folder(C:\\Tessaron) install(D:\\Apps) finished restart "},
        {"exit on welcome, yes", {{-1, nullptr}}, {true}, true, "welcome confirm "},
        {"exit on welcome, no, then through", {{-1, nullptr}, {1, nullptr}, {1, nullptr}, {1, nullptr}}, {false}, true,
         std::string("welcome confirm welcome ") + through},
        {"exit on folder, no: welcome and the field reset",
         {{1, nullptr}, {-1, "E:\\Lost"}, {1, nullptr}, {1, nullptr}, {1, nullptr}}, {false}, true,
         std::string("welcome folder(C:\\Tessaron) confirm welcome ") + through},
        {"exit on folder, yes", {{1, nullptr}, {-1, "E:\\Lost"}}, {true}, true,
         "welcome folder(C:\\Tessaron) confirm "},
        {"back discards the typed folder", {{1, nullptr}, {-2, "E:\\Lost"}, {1, nullptr}, {1, nullptr}, {1, nullptr}},
         {}, true, std::string("welcome folder(C:\\Tessaron) welcome ") + through},
        {"copy failure quits without finished page", {{1, nullptr}, {1, nullptr}}, {}, false,
         "welcome folder(C:\\Tessaron) install(C:\\Tessaron) "},
        {"finished page that cannot be created still leads to the restart notice",
         {{1, nullptr}, {1, nullptr}, {-1, nullptr}}, {}, true, std::string("welcome ") + through},
        // The main window closed (page result 0) ends setup; only the
        // folder page's own Next installs.  Closed during the exit question,
        // the box is not Yes and the welcome page finds the window gone.
        {"closed on welcome", {{0, nullptr}}, {}, true, "welcome "},
        {"closed on folder", {{1, nullptr}, {0, "E:\\Lost"}}, {}, true, "welcome folder(C:\\Tessaron) "},
        {"closed during exit question", {{-1, nullptr}, {0, nullptr}}, {false}, true, "welcome confirm welcome "},
        {"any other folder result quits", {{1, nullptr}, {7, nullptr}}, {}, true, "welcome folder(C:\\Tessaron) "},
        {"any other welcome result quits", {{7, nullptr}}, {}, true, "welcome "},
        {"back from welcome quits", {{-2, nullptr}}, {}, true, "welcome "},
    };
    const WizardOps ops = {FakeShowPage, FakeConfirmExit, FakeInstall, FakeRestart};
    for (const auto &c : cases) {
        flow = FlowFake();
        flow.pages = c.pages;
        flow.exitAnswers = c.exitAnswers;
        flow.installSucceeds = c.installSucceeds;
        snprintf(InstallFolder, sizeof InstallFolder, "stale");
        RunWizard(ops);
        EXPECT_EQ(flow.log, c.expected) << c.name;
        EXPECT_EQ(flow.nextPage, c.pages.size()) << c.name;
        EXPECT_EQ(flow.nextAnswer, c.exitAnswers.size()) << c.name;
    }
}

// ---------------------------------------------------------------- paths

TEST(SetupPaths, CollapseBackslashes)
{
    // plain: CollapseBackslashes; onFolder: CollapseFolderPath on a path
    // built on that folder, which spares the leading pair of a network
    // folder only.
    const char *const network = "\\\\server\\share\\T\\";
    const struct {
        const char *in, *folder, *plain, *onFolder;
    } cases[] = {
        {"C:\\Tessaron\\\\Tessaron.hlp", "C:\\Tessaron\\", "C:\\Tessaron\\Tessaron.hlp", "C:\\Tessaron\\Tessaron.hlp"},
        {"a\\\\\\b", "a", "a\\\\b", "a\\\\b"},  // three become two, as do four
        {"a\\\\\\\\b", "a", "a\\\\b", "a\\\\b"},
        {"\\\\server\\share\\T\\\\x", network, "\\server\\share\\T\\x", "\\\\server\\share\\T\\x"},
        {"\\\\\\server\\share\\", "\\\\\\server", "\\\\server\\share\\", "\\\\server\\share\\"},
        {"\\\\\\\\srv\\\\x", "\\\\\\\\srv", "\\\\srv\\x", "\\\\srv\\x"},  // four are no network pair
        // The root of the current drive meeting a name is no network path.
        {"\\\\Tessaron.exe", "\\", "\\Tessaron.exe", "\\Tessaron.exe"},
        {"\\\\", "", "\\", "\\"},
        {"", "", "", ""},
    };
    for (const auto &c : cases) {
        char plain[64], onFolder[64];
        snprintf(plain, sizeof plain, "%s", c.in);
        snprintf(onFolder, sizeof onFolder, "%s", c.in);
        CollapseBackslashes(plain);
        CollapseFolderPath(onFolder, c.folder);
        EXPECT_STREQ(plain, c.plain) << c.in;
        EXPECT_STREQ(onFolder, c.onFolder) << c.in << " on " << c.folder;
    }
}

TEST(SetupPaths, InstallFolderFromTheTypedText)
{
    const std::string longest = "C:\\" + std::string(243, 'x');  // 246 characters
    const struct {
        std::string typed;
        bool fits;
        std::string folder;
    } cases[] = {
        {"C:\\Tessaron", true, "C:\\Tessaron\\"},
        {"D:\\Apps\\", true, "D:\\Apps\\"},
        {"C:", true, "C:\\"},
        {"", true, "\\"},  // the root of the current drive, as before
        {"\\\\server\\share\\Tessaron", true, "\\\\server\\share\\Tessaron\\"},
        {longest, true, longest + "\\"},
        {longest + "\\", true, longest + "\\"},
        {longest + "y", false, ""},
        {std::string(600, 'z'), false, ""},
    };
    for (const auto &c : cases) {
        char folder[SetupPathSize];
        EXPECT_EQ(MakeInstallFolder(c.typed.c_str(), folder, sizeof folder), c.fits) << c.typed;
        if (c.fits) {
            EXPECT_EQ(folder, c.folder);
        }
    }
}

// ---------------------------------------------------------------- folder chain

struct Disk {
    std::set<std::string> folders;      // existing folders, roots without backslash
    std::set<std::string> unwritable;   // folders that cannot be made
    std::set<std::string> takingFiles;  // test files that can be created
    std::vector<std::string> log;
} disk;

bool FakeCreateFolder(const char *path)
{
    std::string p = path;
    disk.log.push_back("mkdir " + p);
    size_t cut = p.rfind('\\');
    if (cut == std::string::npos || disk.folders.count(p) || disk.unwritable.count(p) ||
        !disk.folders.count(p.substr(0, cut)))
        return false;
    disk.folders.insert(p);
    return true;
}

TEST(SetupPaths, CreateFolderChain)
{
    const struct {
        const char *name;
        std::set<std::string> folders, unwritable;
        const char *path;
        std::vector<std::string> log;
    } cases[] = {
        {"only the drive is present", {"D:"}, {}, "D:\\Apps\\Tools\\Tessaron",
         {"mkdir D:\\Apps\\Tools\\Tessaron", "mkdir D:\\Apps\\Tools", "mkdir D:\\Apps", "mkdir D:\\Apps\\Tools",
          "mkdir D:\\Apps\\Tools\\Tessaron"}},
        {"write-protected drive root", {"A:"}, {"A:\\Apps"}, "A:\\Apps", {"mkdir A:\\Apps"}},
        {"already there: climbs to the folder under the root and back", {"C:", "C:\\A", "C:\\A\\B"}, {}, "C:\\A\\B",
         {"mkdir C:\\A\\B", "mkdir C:\\A", "mkdir C:\\A\\B"}},
        {"network share missing: never above the share", {}, {}, "\\\\srv\\share\\Apps\\Tessaron",
         {"mkdir \\\\srv\\share\\Apps\\Tessaron", "mkdir \\\\srv\\share\\Apps",
          "mkdir \\\\srv\\share\\Apps\\Tessaron"}},
        {"the share itself", {}, {}, "\\\\srv\\share", {"mkdir \\\\srv\\share"}},
        {"no backslash", {}, {}, "Tessaron", {"mkdir Tessaron"}},
        {"bare drive", {}, {}, "C:", {"mkdir C:"}},
        {"drive-relative", {}, {}, "C:Apps\\T", {"mkdir C:Apps\\T", "mkdir C:Apps", "mkdir C:Apps\\T"}},
        {"root of the current drive", {}, {}, "\\Apps\\T", {"mkdir \\Apps\\T", "mkdir \\Apps", "mkdir \\Apps\\T"}},
        {"empty", {}, {}, "", {"mkdir "}},
    };
    for (const auto &c : cases) {
        disk = Disk();
        disk.folders = c.folders;
        disk.unwritable = c.unwritable;
        // Exactly the path's size, so that ASan sees any step outside it.
        std::vector<char> path(c.path, c.path + strlen(c.path) + 1);
        CreateFolderChain(path.data(), FakeCreateFolder);
        EXPECT_EQ(disk.log, c.log) << c.name;
    }
}

// ---------------------------------------------------------------- installation

// A machine that logs every operation; folders live on the disk above.
struct Machine {
    std::string windowsDir = "C:\\WINDOWS";
    std::string systemDir = "C:\\WINDOWS\\SYSTEM";
    std::set<std::string> missingSources;
    bool scriptFails = false, startupKnown = true, registered = false;
    std::string earlierScript;  // the script in the Windows folder, when there is one
    std::string startup = "C:\\WINDOWS\\Start Menu\\Programs\\StartUp";
    std::string script;
    std::vector<std::string> log;
} machine;

void Log(const std::string &line) { machine.log.push_back(line); }
void FakeWindowsDirectory(char *dir, size_t size) { snprintf(dir, size, "%s", machine.windowsDir.c_str()); }
void FakeCurrentDirectory(char *dir, size_t size) { snprintf(dir, size, "A:\\"); }
void FakePlaces(SystemPlaces *places) { DiskPlaces(places, machine.windowsDir.c_str(), machine.systemDir.c_str()); }
bool FakeTouch(const char *path) { return Log(std::string("touch ") + path), disk.takingFiles.count(path) != 0; }
void FakeRemove(const char *path) { Log(std::string("remove ") + path); }
bool FakeMkdir(const char *path) { return Log(std::string("mkdir ") + path), FakeCreateFolder(path); }
bool FakeCopy(const char *source, const char *dest)
{
    Log(std::string("copy ") + source + " -> " + dest);
    return !machine.missingSources.count(strrchr(source, '\\') + 1);
}
bool FakeWriteScript(const char *path, const char *text, char *why, size_t size)
{
    Log(std::string("script ") + path);
    machine.script = text;
    snprintf(why, size, "The disk is full.");
    return !machine.scriptFails;
}
bool FakeReadFile(const char *, char *data, size_t size)
{
    snprintf(data, size, "%s", machine.earlierScript.c_str());
    return !machine.earlierScript.empty() && machine.earlierScript.size() < size;
}
bool FakeRegistered() { return machine.registered; }
void FakeRegister(const char *name, const char *command) { Log(std::string("register ") + name + " = " + command); }
bool FakeStartup(char *dir, size_t size)
{
    snprintf(dir, size, "%s", machine.startup.c_str());
    return machine.startupKnown;
}
void FakeShortcut(const char *target, const char *file, const char *description)
{
    Log(std::string("shortcut ") + file + " -> " + target + " [" + description + "]");
}
void FakeWarn(const char *text) { Log(std::string("warn ") + text); }

Platform FakeSystem = {false, 4, 10, false};  // Windows 98 unless a test says otherwise
const Platform &FakePlatform() { return FakeSystem; }
void FakeClearReadOnly(const char *path) { Log(std::string("writable ") + path); }

const InstallOps FakeOps = {FakePlatform,  FakeWindowsDirectory, FakeCurrentDirectory, &DiskOps,     FakePlaces,
                            FakeMkdir,     FakeTouch,            FakeRemove,           FakeCopy,     FakeClearReadOnly,
                            FakeWriteScript, FakeReadFile,       FakeRegistered,       FakeRegister, FakeStartup,
                            FakeShortcut,  FakeWarn};

void Reset()
{
    disk = Disk();
    fs = FakeDisk();
    machine = Machine();
    FakeSystem = {false, 4, 10, false};
}

TEST(SetupInstall, PrepareInstallFolder)
{
    // The test file is made and removed in a folder that takes it (the
    // sequence tests show a missing folder made).  An empty field leaves
    // nothing to create.
    Reset();
    disk.takingFiles = {"C:\\Tessaron\\X9LK831M.TMP"};
    PrepareInstallFolder(FakeOps, "C:\\Tessaron\\");
    EXPECT_EQ(machine.log, (std::vector<std::string>{"touch C:\\Tessaron\\X9LK831M.TMP",
                                                     "remove C:\\Tessaron\\X9LK831M.TMP"}));
    Reset();
    PrepareInstallFolder(FakeOps, "\\");
    EXPECT_EQ(machine.log, (std::vector<std::string>{"touch \\X9LK831M.TMP", "mkdir "}));
}

const char *const Sources[] = {"Tessaron.hl_", "Tessaron.ex_", "ReadMe.txt", "Tessaron.txt", "Kelvey.ex_"};
const char *const Copies[] = {
    "copy A:\\Tessaron.hl_ -> C:\\Tessaron\\Tessaron.hlp", "copy A:\\Tessaron.ex_ -> C:\\Tessaron\\Tessaron.exe",
    "copy A:\\ReadMe.txt -> C:\\Tessaron\\ReadMe.txt",     "copy A:\\Tessaron.txt -> C:\\Tessaron\\Tessaron.txt",
    "copy A:\\Kelvey.ex_ -> C:\\WINDOWS\\Kelvey.exe",
};

std::string CopyFailure(const char *source)
{
    return std::string("warn There was a file installation error (") + source +
           ") which cannot be ignored.  Please correct the error and repeat the setup process.";
}

TEST(SetupInstall, InstallFilesStopsAtTheFirstFailure)
{
    for (int failing = 0; failing <= 5; failing++) {
        Reset();
        if (failing < 5)
            machine.missingSources = {Sources[failing]};
        bool ok = InstallFiles(FakeOps, "A:\\", "C:\\Tessaron\\", "C:\\WINDOWS");
        std::vector<std::string> expected(Copies, Copies + (failing < 5 ? failing + 1 : 5));
        if (failing < 5)
            expected.push_back(CopyFailure(Sources[failing]));
        EXPECT_EQ(ok, failing == 5);
        EXPECT_EQ(machine.log, expected) << failing;
    }

    // Other folders: a network folder keeps its leading pair, a root no
    // doubled backslash.
    Reset();
    EXPECT_TRUE(InstallFiles(FakeOps, "\\\\srv\\dist", "\\\\srv\\share\\T\\", "C:\\"));
    EXPECT_EQ(machine.log[0], "copy \\\\srv\\dist\\Tessaron.hl_ -> \\\\srv\\share\\T\\Tessaron.hlp");
    EXPECT_EQ(machine.log[4], "copy \\\\srv\\dist\\Kelvey.ex_ -> C:\\Kelvey.exe");
    Reset();
    EXPECT_TRUE(InstallFiles(FakeOps, "D:\\", "C:\\T\\", "\\\\srv\\win"));
    EXPECT_EQ(machine.log[4], "copy D:\\Kelvey.ex_ -> \\\\srv\\win\\Kelvey.exe");
    Reset();
    EXPECT_TRUE(InstallFiles(FakeOps, "C:\\", "\\", "C:\\WINDOWS"));
    EXPECT_EQ(machine.log[0], "copy C:\\Tessaron.hl_ -> \\Tessaron.hlp");
}

const char DefaultScript[] =
    "Tessaron\r\n"
    "[FILE] C:\\Tessaron\\Tessaron.hlp\r\n"
    "[FILE] C:\\Tessaron\\Tessaron.exe\r\n"
    "[FILE] C:\\Tessaron\\ReadMe.txt\r\n"
    "[FILE] C:\\Tessaron\\Tessaron.txt\r\n"
    "[FILE] C:\\WINDOWS\\Tessaron - Uninstallation Data\r\n"
    "[FILE] C:\\WINDOWS\\Tessaron - Uninstallation Data.bak\r\n"
    "[FILE] C:\\WINDOWS\\Tessaron.ini\r\n"
    "[FILE] C:\\WINDOWS\\Start Menu\\Programs\\Tessaron.lnk\r\n"
    "[FILE] C:\\Tessaron\\Tessaron.bak\r\n"
    "[FILE] C:\\Tessaron\\ReadMe.bak\r\n"
    "[FILE] C:\\Tessaron\\Tessaron.GID\r\n"
    "[FILE] C:\\Tessaron\\Tessaron.FTS\r\n"
    "[EMPTY FOLDER] C:\\Tessaron\\\r\n"
    "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
    "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Tessaron\r\n"
    "[GROUP] Tessaron\r\n";

void ReplaceAll(std::string &text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

TEST(SetupScript, ExactTextPathAndUninstallString)
{
    static char script[UninstallScriptSize];
    BuildUninstallScript(script, sizeof script, "C:\\WINDOWS", "C:\\Tessaron\\");
    EXPECT_STREQ(script, DefaultScript);
    // With W = C:\ and the folder D:\Apps\, no backslash is doubled.
    std::string rootScript = DefaultScript;
    ReplaceAll(rootScript, "C:\\WINDOWS\\", "C:\\");
    ReplaceAll(rootScript, "C:\\Tessaron\\", "D:\\Apps\\");
    EXPECT_NE(rootScript.find("[FILE] C:\\Tessaron.ini\r\n[FILE] C:\\Start Menu"), std::string::npos);
    BuildUninstallScript(script, sizeof script, "C:\\", "D:\\Apps\\");
    EXPECT_EQ(script, rootScript);

    BuildUninstallScript(script, sizeof script, "C:\\WINDOWS", "\\\\srv\\share\\T\\");
    EXPECT_NE(strstr(script, "[FILE] \\\\srv\\share\\T\\Tessaron.exe\r\n"), nullptr);
    EXPECT_NE(strstr(script, "[EMPTY FOLDER] \\\\srv\\share\\T\\\r\n"), nullptr);
    // An empty folder field: the root of the current drive, one backslash.
    BuildUninstallScript(script, sizeof script, "C:\\WINDOWS", "\\");
    EXPECT_NE(strstr(script, "\r\n[FILE] \\Tessaron.hlp\r\n"), nullptr);
    EXPECT_NE(strstr(script, "\r\n[EMPTY FOLDER] \\\r\n"), nullptr);
    EXPECT_EQ(strstr(script, "\\\\"), nullptr);

    char text[SetupPathSize];
    UninstallScriptPath(text, sizeof text, "C:\\");
    EXPECT_STREQ(text, "C:\\Tessaron - Uninstallation Data");
    BuildUninstallString(text, sizeof text, "C:\\WINDOWS");
    EXPECT_STREQ(text, "C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\Tessaron - Uninstallation Data");
    BuildUninstallString(text, sizeof text, "C:\\");
    EXPECT_STREQ(text, "C:\\kelvey.exe C:\\Tessaron - Uninstallation Data");
    // A network Windows directory keeps its leading pair everywhere.
    BuildUninstallString(text, sizeof text, "\\\\srv\\win");
    EXPECT_STREQ(text, "\\\\srv\\win\\kelvey.exe \\\\srv\\win\\Tessaron - Uninstallation Data");
    BuildUninstallScript(script, sizeof script, "\\\\srv\\win", "C:\\Tessaron\\");
    EXPECT_NE(strstr(script, "\r\n[FILE] \\\\srv\\win\\Tessaron.ini\r\n"), nullptr);

}

TEST(SetupShortcut, TargetFileAndStartupFolder)
{
    const struct {
        const char *folder, *target;
    } targets[] = {
        {"C:\\Tessaron\\", "C:\\Tessaron\\Tessaron.exe"},
        {"\\\\srv\\share\\T\\", "\\\\srv\\share\\T\\Tessaron.exe"},
        {"\\", "\\Tessaron.exe"},  // an empty folder field: no network path
    };
    char text[SetupPathSize];
    for (const auto &c : targets) {
        ShortcutTarget(text, sizeof text, c.folder);
        EXPECT_STREQ(text, c.target);
    }
    StartupShortcutPath(text, sizeof text, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\");
    EXPECT_STREQ(text, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Tessaron.LNK");
    StartupShortcutPath(text, sizeof text, "\\\\srv\\profile\\StartUp");
    EXPECT_STREQ(text, "\\\\srv\\profile\\StartUp\\Tessaron.LNK");
    // A long Start-up folder is kept whole.
    std::string longStartup = "C:\\Users\\" + std::string(200, 'u') + "\\Start Menu\\Programs\\StartUp";
    StartupShortcutPath(text, sizeof text, longStartup.c_str());
    EXPECT_EQ(text, longStartup + "\\Tessaron.LNK");

    const struct {
        bool known;
        const char *value, *folder;
    } cases[] = {
        {true, "D:\\Profile\\StartUp", "D:\\Profile\\StartUp"},
        {false, "", "C:\\WINDOWS\\Start Menu\\Programs\\Startup"},
        {true, "", "C:\\WINDOWS\\Start Menu\\Programs\\Startup"},
    };
    for (const auto &c : cases) {
        machine.startupKnown = c.known;
        machine.startup = c.value;
        FindStartupFolder(FakeStartup, text, sizeof text);
        EXPECT_STREQ(text, c.folder);
    }
}

// ---------------------------------------------------------------- whole sequence

TEST(SetupInstall, SequenceInOrder)
{
    std::vector<std::string> expected = {"touch C:\\Tessaron\\X9LK831M.TMP", "mkdir C:\\Tessaron"};
    expected.insert(expected.end(), Copies, Copies + 5);
    expected.push_back("script C:\\WINDOWS\\Tessaron - Uninstallation Data");
    expected.push_back("register Tessaron = C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\Tessaron - Uninstallation Data");
    expected.push_back("shortcut C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Tessaron.LNK -> "
                       "C:\\Tessaron\\Tessaron.exe [Tessaron]");
    // A trailing backslash installs the same.
    for (const char *folder : {"C:\\Tessaron", "C:\\Tessaron\\"}) {
        Reset();
        disk.folders = {"C:"};
        EXPECT_TRUE(RunInstallSequence(FakeOps, folder));
        EXPECT_EQ(machine.log, expected) << folder;
        EXPECT_EQ(machine.script, DefaultScript);
    }
}

TEST(SetupInstall, ScriptNamesTheFullFolder)
{
    // The script (and only the script) names the folder as the uninstaller
    // must match it; unresolved, the folder the copies went to.
    const struct {
        const char *typed;
        bool resolves;
        const char *inScript, *target;
    } cases[] = {
        {"C:/Tessaron", true, "C:\\Tessaron\\", "C:/Tessaron\\Tessaron.exe"},
        {"Tessaron", true, "A:\\Tessaron\\", "Tessaron\\Tessaron.exe"},
        {"\\Tessaron", true, "A:\\Tessaron\\", "\\Tessaron\\Tessaron.exe"},
        {"C:\\Tessaron", false, "C:\\Tessaron\\", "C:\\Tessaron\\Tessaron.exe"},
        {"c:\\TESSARON", true, "c:\\Tessaron\\", "c:\\TESSARON\\Tessaron.exe"},  // names as stored
    };
    for (const auto &c : cases) {
        Reset();
        fs.AddTree("C:\\Tessaron");
        fs.resolves = c.resolves;
        EXPECT_TRUE(RunInstallSequence(FakeOps, c.typed));
        std::string script = DefaultScript;
        ReplaceAll(script, "C:\\Tessaron\\", c.inScript);
        EXPECT_EQ(machine.script, script) << c.typed;
        EXPECT_NE(machine.log.back().find(std::string("-> ") + c.target + " ["), std::string::npos) << c.typed;
    }
}

TEST(SetupInstall, SequenceFailures)
{
    // A failed copy: its message and nothing after it.
    Reset();
    disk.takingFiles = {"C:\\Tessaron\\X9LK831M.TMP"};
    machine.missingSources = {"Kelvey.ex_"};
    EXPECT_FALSE(RunInstallSequence(FakeOps, "C:\\Tessaron"));
    EXPECT_EQ(machine.log.size(), 8u);  // touch, remove, five copies, the message
    EXPECT_EQ(machine.log.back(), CopyFailure("Kelvey.ex_"));

    // A script that cannot be written: no registration, a warning that
    // says why, then the rest goes on.
    Reset();
    disk.takingFiles = {"C:\\Tessaron\\X9LK831M.TMP"};
    machine.scriptFails = true;
    EXPECT_TRUE(RunInstallSequence(FakeOps, "C:\\Tessaron"));
    ASSERT_EQ(machine.log.size(), 10u);
    EXPECT_EQ(machine.log[7], "script C:\\WINDOWS\\Tessaron - Uninstallation Data");
    EXPECT_EQ(machine.log[8], "warn The uninstallation script C:\\WINDOWS\\Tessaron - Uninstallation Data could "
                              "not be written: The disk is full.\n\nTessaron could not be registered for removal.  "
                              "The setup wizard will try to continue the installation process.");
    EXPECT_EQ(machine.log[9].rfind("shortcut", 0), 0u);

    // A folder too long for the paths built from it, or one that Tessaron
    // could not be removed from, is never worked on.
    const struct {
        std::string typed;
        const char *text;
    } refused[] = {{"C:\\" + std::string(300, 'x'), FolderTooLongText},
                   {"\\\\?\\C:\\Tessaron", FolderNotAPathText},
                   {"", FolderSystemPlaceText}};
    for (const auto &c : refused) {
        Reset();
        fs.nt = false;
        EXPECT_FALSE(RunInstallSequence(FakeOps, c.typed.c_str()));
        EXPECT_EQ(machine.log, (std::vector<std::string>{std::string("warn ") + c.text}));
    }
}

TEST(SetupInstall, FoldersTessaronCannotBeRemovedFromAreRefused)
{
    // Judged as the script will name the folder: resolved in A:\ , with
    // Windows in C:\WINDOWS and the system folder C:\WINDOWS\SYSTEM.
    const struct {
        const char *typed;
        InstallFolderCheck check;
    } cases[] = {
        {"C:\\Tessaron", InstallFolderAccepted},
        {"Tessaron", InstallFolderAccepted},
        {"C:/Apps/Tessaron/", InstallFolderAccepted},
        {"\\\\srv\\share\\Tessaron", InstallFolderAccepted},
        {"C:\\WINDOWS\\Tessaron", InstallFolderAccepted},
        {"C:\\WINDOWS.OLD", InstallFolderAccepted},
        {"C:\\Program Files", InstallFolderAccepted},
        {"\\\\?\\C:\\Tessaron", InstallFolderNotAPath},
        {"\\\\.\\C:\\Tessaron", InstallFolderNotAPath},
        {"C:\\Tessaron::$INDEX_ALLOCATION", InstallFolderNotAPath},
        {"C:\\Tessaron:stream", InstallFolderNotAPath},
        {"C:\\Tess*", InstallFolderNotAPath},
        {"\\\\srv\\sh<re\\Tessaron", InstallFolderNotAPath},
        {"", InstallFolderSystemPlace},
        {"C:", InstallFolderSystemPlace},
        {"D:\\", InstallFolderSystemPlace},
        {"\\\\srv\\share", InstallFolderSystemPlace},
        {"C:\\WINDOWS", InstallFolderSystemPlace},
        {"c:\\windows\\system\\", InstallFolderSystemPlace},
    };
    for (const auto &c : cases) {
        Reset();
        EXPECT_EQ(CheckInstallFolder(FakeOps, c.typed), c.check) << c.typed;
        EXPECT_TRUE(machine.log.empty()) << c.typed;  // nothing made, nothing shown
    }
    char text[SetupPathSize];
    EXPECT_FALSE(FormatFolderRefusal(InstallFolderAccepted, nullptr, text, sizeof text));
    EXPECT_EQ(CheckInstallFolder(FakeOps, ("C:\\" + std::string(300, 'x')).c_str()), InstallFolderTooLong);
}

}  // namespace

namespace {

bool Lead932(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Windows in C:\WINDOWS, reached too through the administrative share and
// drive Z:; folders that are links or hold them; Tessaron's own folder and
// another program's.
void LinksAndSpellings(bool nt)
{
    Reset();
    FakeSystem = {nt, nt ? 6 : 4, nt ? 2 : 10, false};
    fs.nt = nt;
    fs.AddTree("C:\\WINDOWS\\SYSTEM");
    fs.Spell("\\\\localhost\\c$", "C:");
    fs.Spell("Z:\\wine\\drive_c", "C:");
    fs.AddTree("Z:\\wine\\drive_c");
    fs.AddTree("C:\\Else");
    fs.Add("C:\\Linked", true, "C:\\Else");
    for (const char *own : {"C:\\Own\\Tessaron.exe", "C:\\Own\\ReadMe.bak", "C:\\Own\\help\\index.html"})
        fs.AddTree(own, false);
    fs.AddTree("C:\\Other\\notes.txt", false);
    fs.AddTree("C:\\Other\\Tessaron.exe", false);  // listed last: not the only name that counts
    fs.AddTree("C:\\FileLink");
    fs.Add("C:\\FileLink\\ReadMe.txt", false, "C:\\Other\\notes.txt");
    fs.AddTree("C:\\HelpLink");
    fs.Add("C:\\HelpLink\\help", true, "C:\\Other");
    fs.AddTree("C:\\PageLink\\help");
    fs.Add("C:\\PageLink\\help\\files.html", false, "C:\\Other\\notes.txt");  // the last page
    fs.AddTree("C:\\TestLink");
    fs.Add("C:\\TestLink\\X9LK831M.TMP", false, "C:\\Other\\notes.txt");
}

TEST(SetupInstall, FoldersByIdentityThroughLinksAndOfOtherPrograms)
{
    const struct {
        const char *typed;
        bool nt;
        InstallFolderCheck check;
        const char *linked;  // the link named, or whether another program's folder is asked about
    } cases[] = {
        {"\\\\localhost\\c$\\windows", true, InstallFolderSystemPlace, ""},
        {"\\\\localhost\\c$\\windows", false, InstallFolderAccepted, "ask"},  // 9x: by spelling alone
        {"Z:\\wine\\drive_c\\WINDOWS\\SYSTEM\\", true, InstallFolderSystemPlace, ""},
        {"C:\\WINDOWS.", false, InstallFolderSystemPlace, ""},
        {"C:\\Linked", true, InstallFolderLink, "C:\\Linked"},
        {"C:\\Linked\\", false, InstallFolderLink, "C:\\Linked"},
        {"C:\\FileLink", true, InstallFolderLink, "C:\\FileLink\\ReadMe.txt"},
        {"C:\\HelpLink", true, InstallFolderLink, "C:\\HelpLink\\help"},
        {"C:\\HelpLink", false, InstallFolderAccepted, ""},  // 9x: no help pages
        {"C:\\PageLink", true, InstallFolderLink, "C:\\PageLink\\help\\files.html"},
        {"C:\\TestLink", true, InstallFolderLink, "C:\\TestLink\\X9LK831M.TMP"},
        {"C:\\Own", true, InstallFolderAccepted, ""},
        {"C:\\Other", true, InstallFolderAccepted, "ask"},
        {"c:\\other\\", false, InstallFolderAccepted, "ask"},
        {"C:\\New\\T", true, InstallFolderAccepted, ""},
    };
    for (const auto &c : cases) {
        LinksAndSpellings(c.nt);
        char linked[SetupPathSize] = "", question[SetupPathSize] = "";
        EXPECT_EQ(CheckInstallFolder(FakeOps, c.typed, linked, sizeof linked), c.check) << c.typed << c.nt;
        bool asks = c.check == InstallFolderAccepted && FormatForeignFolderQuestion(FakeOps, c.typed, question, sizeof question);
        EXPECT_EQ(asks, strcmp(c.linked, "ask") == 0) << c.typed;
        if (c.check == InstallFolderLink) {
            EXPECT_STREQ(linked, c.linked) << c.typed;
        }
        EXPECT_TRUE(machine.log.empty()) << c.typed;  // nothing made, nothing shown
    }
    char text[2 * SetupPathSize];
    LinksAndSpellings(true);
    EXPECT_TRUE(FormatForeignFolderQuestion(FakeOps, "C:\\Other", text, sizeof text));
    EXPECT_STREQ(text, "The folder C:\\Other already holds files of another program.  Files there with the same "
                       "names as Tessaron's would be replaced, and removed again when Tessaron is uninstalled.\n\n"
                       "Do you want to install Tessaron in this folder?");
    // The uninstaller and the script in the Windows folder count too; the
    // sequence refuses as the page does, before anything is made.
    fs.AddTree("C:\\Else\\k.exe", false);
    fs.Add("C:\\WINDOWS\\Kelvey.exe", false, "C:\\Else\\k.exe");
    EXPECT_FALSE(RunInstallSequence(FakeOps, "C:\\New"));
    EXPECT_EQ(machine.log, (std::vector<std::string>{
                               "warn Tessaron cannot be installed there, because C:\\WINDOWS\\Kelvey.exe is a link to "
                               "another place (a junction, a symbolic link or a mount point).  Please type a folder "
                               "that neither is nor holds a link."}));
    LinksAndSpellings(true);
    fs.Add("C:\\WINDOWS\\Tessaron - Uninstallation Data", false, "C:\\Other\\notes.txt");
    char link[SetupPathSize];
    EXPECT_EQ(CheckInstallFolder(FakeOps, "C:\\New", link, sizeof link), InstallFolderLink);
    EXPECT_STREQ(link, "C:\\WINDOWS\\Tessaron - Uninstallation Data");
    // Under code page 932 a folder whose last byte is a backslash's keeps
    // it and gets one of its own.
    UseLeadByteTest(Lead932);
    LinksAndSpellings(true);
    char folder[SetupPathSize];
    EXPECT_TRUE(MakeInstallFolder("C:\\\x83\x5c", folder, sizeof folder));
    EXPECT_STREQ(folder, "C:\\\x83\x5c\\");
    EXPECT_EQ(CheckInstallFolder(FakeOps, "C:\\\x83\x5c"), InstallFolderAccepted);
    EXPECT_EQ(CheckInstallFolder(FakeOps, "C:\\\x83"), InstallFolderNotAPath);
    UseLeadByteTest(nullptr);
}

TEST(SetupInstall, AnEarlierInstallationIsProposedAndStaysListed)
{
    static char earlier[UninstallScriptSize];
    BuildUninstallScript(earlier, sizeof earlier, "C:\\WINDOWS", "D:\\Apps\\T\\");
    const struct {
        bool registered;
        std::string script, proposed;
    } cases[] = {
        {true, earlier, "D:\\Apps\\T"},
        {false, earlier, "C:\\Tessaron"},
        {true, "", "C:\\Tessaron"},
        {true, std::string("Other") + strchr(earlier, '\r'), "C:\\Tessaron"},
        {true, "Tessaron\r\n[EMPTY FOLDER] C:\\WINDOWS\\\r\n", "C:\\Tessaron"},
        {true, "Tessaron\r\n[EMPTY FOLDER] D:\\Apps\\T\r\n", "C:\\Tessaron"},
        {true, "Tessaron\r\n[EMPTY FOLDER] D:\\" + std::string(SetupPathSize - 4, 'x') + "\\\r\n", "C:\\Tessaron"},
    };
    for (const auto &c : cases) {
        Reset();
        machine.registered = c.registered;
        machine.earlierScript = c.script;
        char proposed[SetupPathSize];
        ProposeInstallFolder(FakeOps, proposed, sizeof proposed);
        EXPECT_EQ(proposed, c.proposed) << c.script.substr(0, 40);
    }
    // Installed elsewhere on the NT family: the script lists the earlier
    // folder's own entries too, the uninstaller takes it whole, and the
    // registered command quotes the script; the earlier folder is not
    // asked about, whatever it holds.
    Reset();
    FakeSystem = {true, 5, 1, false};
    machine.registered = true;
    machine.earlierScript = earlier;
    fs.AddTree("D:\\Apps\\T\\notes.txt", false);
    char question[SetupPathSize];
    EXPECT_FALSE(FormatForeignFolderQuestion(FakeOps, "D:\\Apps\\T", question, sizeof question));
    EXPECT_TRUE(RunInstallSequence(FakeOps, "C:\\Tessaron"));
    static char expected[2 * UninstallScriptSize];
    BuildUninstallScript(expected, sizeof expected, "C:\\WINDOWS", "C:\\Tessaron\\", true);
    EXPECT_EQ(machine.script.rfind(expected, 0), 0u);
    for (const char *line : {"\r\n[FILE] D:\\Apps\\T\\Tessaron.exe\r\n", "\r\n[EMPTY FOLDER] D:\\Apps\\T\\\r\n",
                             "\r\n[EMPTY FOLDER] D:\\Apps\\T\\help\\\r\n"})
        EXPECT_NE(machine.script.find(line, strlen(expected) - 2), std::string::npos) << line;
    static UninstallPlan plan;
    ASSERT_TRUE(ReadUninstallScript(machine.script.data(), machine.script.size(), "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM",
                                    &plan));
    EXPECT_EQ(plan.count, 16 + HelpPageCount + 1 + 9 + HelpPageCount + 1);
    EXPECT_EQ(plan.refusedCount, 0) << plan.refused;
    EXPECT_NE(std::find(machine.log.begin(), machine.log.end(),
                        "register Tessaron = C:\\WINDOWS\\kelvey.exe \"C:\\WINDOWS\\Tessaron - Uninstallation Data\""),
              machine.log.end());

    // Installed again in the same folder: the script lists it once.
    Reset();
    machine.registered = true;
    machine.earlierScript = DefaultScript;
    EXPECT_TRUE(RunInstallSequence(FakeOps, "C:\\Tessaron"));
    EXPECT_EQ(machine.script, DefaultScript);

    // A Start-up folder that is a link gets no shortcut, and a warning.
    Reset();
    fs.AddTree("C:\\Else");
    fs.Add("C:\\WINDOWS\\Start Menu\\Programs\\StartUp", true, "C:\\Else");
    EXPECT_TRUE(RunInstallSequence(FakeOps, "C:\\Tessaron"));
    EXPECT_EQ(machine.log.back(), "warn The shortcut that starts Tessaron at log-on was not made, because "
                                  "C:\\WINDOWS\\Start Menu\\Programs\\StartUp is a link to another place (a junction, "
                                  "a symbolic link or a mount point).");
    char command[SetupPathSize];
    BuildUninstallString(command, sizeof command, "C:\\My Windows", true);
    EXPECT_STREQ(command, "\"C:\\My Windows\\kelvey.exe\" \"C:\\My Windows\\Tessaron - Uninstallation Data\"");
}

}  // namespace
