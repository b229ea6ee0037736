#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "install.h"
#include "wizard.h"

namespace {

// ---------------------------------------------------------------- page flow

struct PageAnswer {
    int result;
    const char *typed;  // folder page only: what the user leaves in the field
};

struct FlowCase {
    const char *name;
    std::vector<PageAnswer> pages;
    std::vector<bool> exitAnswers;
    bool installSucceeds;
    const char *expected;
};

struct FlowFake {
    std::vector<PageAnswer> pages;
    size_t nextPage = 0;
    std::vector<bool> exitAnswers;
    size_t nextAnswer = 0;
    bool installSucceeds = true;
    std::string log;
} flow;

int FakeShowPage(int page)
{
    if (flow.nextPage >= flow.pages.size()) {
        ADD_FAILURE() << "more pages shown than scripted: " << flow.log;
        return PageExit;
    }
    PageAnswer answer = flow.pages[flow.nextPage++];
    switch (page) {
    case PageWelcome: flow.log += "welcome "; break;
    case PageFinished: flow.log += "finished "; break;
    case PageFolder:
        flow.log += std::string("folder(") + InstallFolder + ") ";
        if (answer.typed)
            snprintf(InstallFolder, sizeof InstallFolder, "%s", answer.typed);
        break;
    default: flow.log += "?? "; break;
    }
    return answer.result;
}

bool FakeConfirmExit()
{
    flow.log += "confirm ";
    if (flow.nextAnswer >= flow.exitAnswers.size()) {
        ADD_FAILURE() << "unscripted exit question: " << flow.log;
        return true;
    }
    return flow.exitAnswers[flow.nextAnswer++];
}

bool FakeInstall(const char *folder)
{
    flow.log += std::string("install(") + folder + ") ";
    return flow.installSucceeds;
}

void FakeRestart()
{
    flow.log += "restart ";
}

TEST(SetupWizard, EveryTransitionOfThePageFlow)
{
    const FlowCase cases[] = {
        {"straight through", {{1, nullptr}, {1, nullptr}, {1, nullptr}}, {}, true,
         "welcome folder(C:\\Tessaron) install(C:\\Tessaron) finished restart "},
        {"typed folder is installed", {{1, nullptr}, {1, "D:\\Apps"}, {1, nullptr}}, {}, true,
         "welcome folder(C:\\Tessaron) install(D:\\Apps) finished restart "},
        {"exit on welcome, yes", {{-1, nullptr}}, {true}, true, "welcome confirm "},
        {"exit on welcome, no, then through",
         {{-1, nullptr}, {1, nullptr}, {1, nullptr}, {1, nullptr}}, {false}, true,
         "welcome confirm welcome folder(C:\\Tessaron) install(C:\\Tessaron) finished restart "},
        {"exit on folder, no: welcome and the field reset",
         {{1, nullptr}, {-1, "E:\\Lost"}, {1, nullptr}, {1, nullptr}, {1, nullptr}}, {false}, true,
         "welcome folder(C:\\Tessaron) confirm welcome folder(C:\\Tessaron) "
         "install(C:\\Tessaron) finished restart "},
        {"exit on folder, yes", {{1, nullptr}, {-1, "E:\\Lost"}}, {true}, true,
         "welcome folder(C:\\Tessaron) confirm "},
        {"back discards the typed folder",
         {{1, nullptr}, {-2, "E:\\Lost"}, {1, nullptr}, {1, nullptr}, {1, nullptr}}, {}, true,
         "welcome folder(C:\\Tessaron) welcome folder(C:\\Tessaron) install(C:\\Tessaron) "
         "finished restart "},
        {"copy failure quits without finished page",
         {{1, nullptr}, {1, nullptr}}, {}, false,
         "welcome folder(C:\\Tessaron) install(C:\\Tessaron) "},
        {"finished page that cannot be created still leads to the restart notice",
         {{1, nullptr}, {1, nullptr}, {-1, nullptr}}, {}, true,
         "welcome folder(C:\\Tessaron) install(C:\\Tessaron) finished restart "},
        {"any other folder result installs",
         {{1, nullptr}, {7, nullptr}, {1, nullptr}}, {}, true,
         "welcome folder(C:\\Tessaron) install(C:\\Tessaron) finished restart "},
        {"declined twice, then yes",
         {{-1, nullptr}, {1, nullptr}, {-1, nullptr}, {-1, nullptr}}, {false, false, true}, true,
         "welcome confirm welcome folder(C:\\Tessaron) confirm welcome confirm "},
    };
    const WizardOps ops = {FakeShowPage, FakeConfirmExit, FakeInstall, FakeRestart};
    for (const FlowCase &c : cases) {
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
    struct {
        const char *in, *folder, *plain, *onFolder;
    } cases[] = {
        {"C:\\Tessaron\\\\Tessaron.hlp", "C:\\Tessaron\\", "C:\\Tessaron\\Tessaron.hlp",
         "C:\\Tessaron\\Tessaron.hlp"},
        {"C:\\\\", "C:\\", "C:\\", "C:\\"},
        {"a\\\\\\b", "a", "a\\\\b", "a\\\\b"},
        {"a\\\\\\\\b", "a", "a\\\\b", "a\\\\b"},
        {"D:\\Apps\\\\", "D:\\Apps\\", "D:\\Apps\\", "D:\\Apps\\"},
        {"\\\\server\\share\\T\\", network, "\\server\\share\\T\\", "\\\\server\\share\\T\\"},
        {"\\\\server\\share\\T\\\\x", network, "\\server\\share\\T\\x",
         "\\\\server\\share\\T\\x"},
        {"\\\\\\server\\share\\", "\\\\\\server", "\\\\server\\share\\",
         "\\\\server\\share\\"},
        // The root of the current drive meeting a name is no network path.
        {"\\\\Tessaron.exe", "\\", "\\Tessaron.exe", "\\Tessaron.exe"},
        {"\\\\", "\\", "\\", "\\"},
        {"\\\\", "", "\\", "\\"},
        {"\\", "", "\\", "\\"},
        {"", "", "", ""},
        {"no backslash", "no", "no backslash", "no backslash"},
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
    std::string longest(246, 'x');
    longest[0] = 'C';
    longest[1] = ':';
    longest[2] = '\\';
    struct {
        std::string typed;
        bool fits;
        std::string folder;
    } cases[] = {
        {"C:\\Tessaron", true, "C:\\Tessaron\\"},
        {"D:\\Apps\\", true, "D:\\Apps\\"},
        {"D:\\Apps", true, "D:\\Apps\\"},
        {"C:\\", true, "C:\\"},
        {"C:", true, "C:\\"},
        {"", true, "\\"},  // the root of the current drive, as before
        {"\\", true, "\\"},  // the same, typed
        {"\\\\server\\share\\Tessaron", true, "\\\\server\\share\\Tessaron\\"},
        {longest, true, longest + "\\"},
        {longest + "\\", true, longest + "\\"},
        {longest + "y", false, ""},
        {std::string(600, 'z'), false, ""},
    };
    for (const auto &c : cases) {
        char folder[SetupPathSize];
        EXPECT_EQ(MakeInstallFolder(c.typed.c_str(), folder, sizeof folder), c.fits) << c.typed;
        EXPECT_EQ(InstallFolderFits(c.typed.c_str()), c.fits) << c.typed;
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
    if (cut == std::string::npos || disk.folders.count(p) || disk.unwritable.count(p))
        return false;
    if (!disk.folders.count(p.substr(0, cut)))
        return false;
    disk.folders.insert(p);
    return true;
}

TEST(SetupPaths, CreateFolderChain)
{
    struct {
        const char *name;
        std::set<std::string> folders, unwritable;
        const char *path;
        std::vector<std::string> log;
    } cases[] = {
        {"only the drive is present", {"D:"}, {}, "D:\\Apps\\Tools\\Tessaron",
         {"mkdir D:\\Apps\\Tools\\Tessaron", "mkdir D:\\Apps\\Tools", "mkdir D:\\Apps",
          "mkdir D:\\Apps\\Tools", "mkdir D:\\Apps\\Tools\\Tessaron"}},
        {"parent present", {"D:", "D:\\Apps"}, {}, "D:\\Apps\\Tessaron", {"mkdir D:\\Apps\\Tessaron"}},
        {"write-protected drive root", {"A:"}, {"A:\\Apps"}, "A:\\Apps", {"mkdir A:\\Apps"}},
        {"already there: climbs to the folder under the root and back",
         {"C:", "C:\\A", "C:\\A\\B"}, {}, "C:\\A\\B",
         {"mkdir C:\\A\\B", "mkdir C:\\A", "mkdir C:\\A\\B"}},
        {"network share present", {"\\\\srv\\share"}, {}, "\\\\srv\\share\\Apps\\Tessaron",
         {"mkdir \\\\srv\\share\\Apps\\Tessaron", "mkdir \\\\srv\\share\\Apps",
          "mkdir \\\\srv\\share\\Apps\\Tessaron"}},
        {"network share missing: never above the share", {}, {}, "\\\\srv\\share\\Apps\\Tessaron",
         {"mkdir \\\\srv\\share\\Apps\\Tessaron", "mkdir \\\\srv\\share\\Apps",
          "mkdir \\\\srv\\share\\Apps\\Tessaron"}},
        {"the share itself", {}, {}, "\\\\srv\\share", {"mkdir \\\\srv\\share"}},
        {"no backslash", {}, {}, "Tessaron", {"mkdir Tessaron"}},
        {"bare drive", {}, {}, "C:", {"mkdir C:"}},
        {"drive-relative", {}, {}, "C:Apps\\T", {"mkdir C:Apps\\T", "mkdir C:Apps", "mkdir C:Apps\\T"}},
        {"root of the current drive", {}, {}, "\\Apps\\T",
         {"mkdir \\Apps\\T", "mkdir \\Apps", "mkdir \\Apps\\T"}},
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

struct Machine {
    std::string windowsDir = "C:\\WINDOWS";
    std::string currentDir = "A:\\";
    std::set<std::string> missingSources;
    bool scriptFails = false;
    bool startupKnown = true;
    std::string startup = "C:\\WINDOWS\\Start Menu\\Programs\\StartUp";
    std::vector<std::string> log;
} machine;

void FakeWindowsDirectory(char *dir, size_t size)
{
    snprintf(dir, size, "%s", machine.windowsDir.c_str());
}

void FakeCurrentDirectory(char *dir, size_t size)
{
    snprintf(dir, size, "%s", machine.currentDir.c_str());
}

bool FakeTouch(const char *path)
{
    machine.log.push_back(std::string("touch ") + path);
    return disk.takingFiles.count(path) != 0;
}

void FakeRemove(const char *path)
{
    machine.log.push_back(std::string("remove ") + path);
}

bool FakeMkdir(const char *path)
{
    machine.log.push_back(std::string("mkdir ") + path);
    return FakeCreateFolder(path);
}

bool FakeCopy(const char *source, const char *dest)
{
    machine.log.push_back(std::string("copy ") + source + " -> " + dest);
    std::string s = source;
    return !machine.missingSources.count(s.substr(s.rfind('\\') + 1));
}

std::string writtenScript;

bool FakeWriteScript(const char *path, const char *text)
{
    machine.log.push_back(std::string("script ") + path);
    writtenScript = text;
    return !machine.scriptFails;
}

void FakeRegister(const char *name, const char *command)
{
    machine.log.push_back(std::string("register ") + name + " = " + command);
}

bool FakeStartup(char *dir, size_t size)
{
    if (!machine.startupKnown)
        return false;
    snprintf(dir, size, "%s", machine.startup.c_str());
    return true;
}

void FakeShortcut(const char *target, const char *file, const char *description)
{
    machine.log.push_back(std::string("shortcut ") + file + " -> " + target + " [" + description + "]");
}

void FakeWarn(const char *text)
{
    machine.log.push_back(std::string("warn ") + text);
}

const InstallOps FakeOps = {FakeWindowsDirectory, FakeCurrentDirectory, FakeMkdir, FakeTouch,
                            FakeRemove, FakeCopy, FakeWriteScript, FakeRegister,
                            FakeStartup, FakeShortcut, FakeWarn};

void Reset()
{
    disk = Disk();
    machine = Machine();
    writtenScript.clear();
}

TEST(SetupInstall, PrepareInstallFolder)
{
    Reset();
    disk.takingFiles = {"C:\\Tessaron\\X9LK831M.TMP"};
    PrepareInstallFolder(FakeOps, "C:\\Tessaron\\");
    EXPECT_EQ(machine.log, (std::vector<std::string>{"touch C:\\Tessaron\\X9LK831M.TMP",
                                                     "remove C:\\Tessaron\\X9LK831M.TMP"}));

    Reset();
    disk.folders = {"C:"};
    PrepareInstallFolder(FakeOps, "C:\\Tessaron\\");
    EXPECT_EQ(machine.log, (std::vector<std::string>{"touch C:\\Tessaron\\X9LK831M.TMP",
                                                     "mkdir C:\\Tessaron"}));
    EXPECT_TRUE(disk.folders.count("C:\\Tessaron"));

    Reset();
    PrepareInstallFolder(FakeOps, "\\");  // an empty field: nothing left to create
    EXPECT_EQ(machine.log, (std::vector<std::string>{"touch \\X9LK831M.TMP", "mkdir "}));
}

const char *const CopyFailure[] = {
    "warn There was a file installation error (Tessaron.hl_) which cannot be ignored.  "
    "Please correct the error and repeat the setup process.",
    "warn There was a file installation error (Tessaron.ex_) which cannot be ignored.  "
    "Please correct the error and repeat the setup process.",
    "warn There was a file installation error (ReadMe.txt) which cannot be ignored.  "
    "Please correct the error and repeat the setup process.",
    "warn There was a file installation error (Tessaron.txt) which cannot be ignored.  "
    "Please correct the error and repeat the setup process.",
    "warn There was a file installation error (Kelvey.ex_) which cannot be ignored.  "
    "Please correct the error and repeat the setup process.",
};

const char *const Copies[] = {
    "copy A:\\Tessaron.hl_ -> C:\\Tessaron\\Tessaron.hlp",
    "copy A:\\Tessaron.ex_ -> C:\\Tessaron\\Tessaron.exe",
    "copy A:\\ReadMe.txt -> C:\\Tessaron\\ReadMe.txt",
    "copy A:\\Tessaron.txt -> C:\\Tessaron\\Tessaron.txt",
    "copy A:\\Kelvey.ex_ -> C:\\WINDOWS\\Kelvey.exe",
};

TEST(SetupInstall, InstallFilesStopsAtTheFirstFailure)
{
    const char *sources[] = {"Tessaron.hl_", "Tessaron.ex_", "ReadMe.txt", "Tessaron.txt",
                             "Kelvey.ex_"};
    for (int failing = 0; failing <= 5; failing++) {
        Reset();
        if (failing < 5)
            machine.missingSources = {sources[failing]};
        bool ok = InstallFiles(FakeOps, "A:\\", "C:\\Tessaron\\", "C:\\WINDOWS");
        std::vector<std::string> expected(Copies, Copies + (failing < 5 ? failing + 1 : 5));
        if (failing < 5)
            expected.push_back(CopyFailure[failing]);
        EXPECT_EQ(ok, failing == 5);
        EXPECT_EQ(machine.log, expected) << failing;
    }
}

TEST(SetupInstall, CopyPathsFromOtherDirectories)
{
    Reset();
    EXPECT_TRUE(InstallFiles(FakeOps, "D:\\Dist", "\\\\srv\\share\\T\\", "C:\\"));
    EXPECT_EQ(machine.log, (std::vector<std::string>{
                               "copy D:\\Dist\\Tessaron.hl_ -> \\\\srv\\share\\T\\Tessaron.hlp",
                               "copy D:\\Dist\\Tessaron.ex_ -> \\\\srv\\share\\T\\Tessaron.exe",
                               "copy D:\\Dist\\ReadMe.txt -> \\\\srv\\share\\T\\ReadMe.txt",
                               "copy D:\\Dist\\Tessaron.txt -> \\\\srv\\share\\T\\Tessaron.txt",
                               "copy D:\\Dist\\Kelvey.ex_ -> C:\\Kelvey.exe",
                           }));

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

const char RootScript[] =
    "Tessaron\r\n"
    "[FILE] D:\\Apps\\Tessaron.hlp\r\n"
    "[FILE] D:\\Apps\\Tessaron.exe\r\n"
    "[FILE] D:\\Apps\\ReadMe.txt\r\n"
    "[FILE] D:\\Apps\\Tessaron.txt\r\n"
    "[FILE] C:\\Tessaron - Uninstallation Data\r\n"
    "[FILE] C:\\Tessaron - Uninstallation Data.bak\r\n"
    "[FILE] C:\\Tessaron.ini\r\n"
    "[FILE] C:\\Start Menu\\Programs\\Tessaron.lnk\r\n"
    "[FILE] D:\\Apps\\Tessaron.bak\r\n"
    "[FILE] D:\\Apps\\ReadMe.bak\r\n"
    "[FILE] D:\\Apps\\Tessaron.GID\r\n"
    "[FILE] D:\\Apps\\Tessaron.FTS\r\n"
    "[EMPTY FOLDER] D:\\Apps\\\r\n"
    "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
    "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Tessaron\r\n"
    "[GROUP] Tessaron\r\n";

TEST(SetupScript, ExactText)
{
    static char script[UninstallScriptSize];
    BuildUninstallScript(script, sizeof script, "C:\\WINDOWS", "C:\\Tessaron\\");
    EXPECT_STREQ(script, DefaultScript);
    BuildUninstallScript(script, sizeof script, "C:\\", "D:\\Apps\\");
    EXPECT_STREQ(script, RootScript);

    BuildUninstallScript(script, sizeof script, "C:\\WINDOWS", "\\\\srv\\share\\T\\");
    EXPECT_NE(strstr(script, "[FILE] \\\\srv\\share\\T\\Tessaron.exe\r\n"), nullptr);
    EXPECT_NE(strstr(script, "[EMPTY FOLDER] \\\\srv\\share\\T\\\r\n"), nullptr);

    // An empty folder field: the root of the current drive, one backslash.
    BuildUninstallScript(script, sizeof script, "C:\\WINDOWS", "\\");
    EXPECT_NE(strstr(script, "\r\n[FILE] \\Tessaron.hlp\r\n"), nullptr);
    EXPECT_NE(strstr(script, "\r\n[FILE] \\Tessaron.FTS\r\n"), nullptr);
    EXPECT_NE(strstr(script, "\r\n[EMPTY FOLDER] \\\r\n"), nullptr);
    EXPECT_EQ(strstr(script, "\\\\"), nullptr);

    char path[SetupPathSize];
    UninstallScriptPath(path, sizeof path, "C:\\WINDOWS");
    EXPECT_STREQ(path, "C:\\WINDOWS\\Tessaron - Uninstallation Data");
    UninstallScriptPath(path, sizeof path, "C:\\");
    EXPECT_STREQ(path, "C:\\Tessaron - Uninstallation Data");
}

TEST(SetupScript, UninstallString)
{
    struct {
        const char *windowsDir, *command;
    } cases[] = {
        {"C:\\WINDOWS", "C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\Tessaron - Uninstallation Data"},
        {"C:\\windows", "C:\\windows\\kelvey.exe C:\\windows\\Tessaron - Uninstallation Data"},
        {"C:\\", "C:\\kelvey.exe C:\\Tessaron - Uninstallation Data"},
    };
    for (const auto &c : cases) {
        char command[SetupPathSize];
        BuildUninstallString(command, sizeof command, c.windowsDir);
        EXPECT_STREQ(command, c.command);
    }
}

TEST(SetupScript, FileIsWrittenByteForByte)
{
    char path[] = "/tmp/setup_test_scriptXXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(WriteScriptFile(path, DefaultScript));
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), DefaultScript);
    remove(path);

    EXPECT_FALSE(WriteScriptFile("/nonexistent-folder/script", DefaultScript));
    if (access("/dev/full", W_OK) == 0) {  // a full disk shows when the data is flushed
        EXPECT_FALSE(WriteScriptFile("/dev/full", DefaultScript));
    }
}

TEST(SetupShortcut, TargetAndFilePath)
{
    struct {
        const char *folder, *target;
    } targets[] = {
        {"C:\\Tessaron\\", "C:\\Tessaron\\Tessaron.exe"},
        {"C:\\", "C:\\Tessaron.exe"},
        {"\\\\srv\\share\\T\\", "\\\\srv\\share\\T\\Tessaron.exe"},
        {"\\", "\\Tessaron.exe"},  // an empty folder field: no network path
    };
    for (const auto &c : targets) {
        char target[SetupPathSize];
        ShortcutTarget(target, sizeof target, c.folder);
        EXPECT_STREQ(target, c.target);
    }
    struct {
        const char *startup, *file;
    } files[] = {
        {"C:\\WINDOWS\\Start Menu\\Programs\\StartUp",
         "C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Tessaron.LNK"},
        {"C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\",
         "C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Tessaron.LNK"},
    };
    for (const auto &c : files) {
        char file[SetupPathSize];
        StartupShortcutPath(file, sizeof file, c.startup);
        EXPECT_STREQ(file, c.file);
    }

    // A long Start-up folder is kept whole.
    std::string longStartup = "C:\\Users\\" + std::string(200, 'u') + "\\Start Menu\\Programs\\StartUp";
    char file[SetupPathSize];
    StartupShortcutPath(file, sizeof file, longStartup.c_str());
    EXPECT_EQ(std::string(file), longStartup + "\\Tessaron.LNK");
}

TEST(SetupShortcut, StartupFolderFallsBackWhenUnknownOrEmpty)
{
    struct {
        bool known;
        const char *value, *folder;
    } cases[] = {
        {true, "D:\\Profile\\StartUp", "D:\\Profile\\StartUp"},
        {false, "", "C:\\WINDOWS\\Start Menu\\Programs\\Startup"},
        {true, "", "C:\\WINDOWS\\Start Menu\\Programs\\Startup"},
    };
    for (const auto &c : cases) {
        Reset();
        machine.startupKnown = c.known;
        machine.startup = c.value;
        char folder[SetupPathSize];
        FindStartupFolder(FakeStartup, folder, sizeof folder);
        EXPECT_STREQ(folder, c.folder);
    }
}

// ---------------------------------------------------------------- whole sequence

TEST(SetupInstall, SequenceInOrder)
{
    Reset();
    disk.folders = {"C:"};
    EXPECT_TRUE(RunInstallSequence(FakeOps, "C:\\Tessaron"));
    std::vector<std::string> expected = {"touch C:\\Tessaron\\X9LK831M.TMP", "mkdir C:\\Tessaron"};
    expected.insert(expected.end(), Copies, Copies + 5);
    expected.push_back("script C:\\WINDOWS\\Tessaron - Uninstallation Data");
    expected.push_back("register Tessaron = C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\Tessaron - Uninstallation Data");
    expected.push_back("shortcut C:\\WINDOWS\\Start Menu\\Programs\\StartUp\\Tessaron.LNK -> "
                       "C:\\Tessaron\\Tessaron.exe [Tessaron]");
    EXPECT_EQ(machine.log, expected);
    EXPECT_EQ(writtenScript, DefaultScript);

    // A trailing backslash installs the same.
    std::vector<std::string> first = machine.log;
    Reset();
    disk.folders = {"C:"};
    EXPECT_TRUE(RunInstallSequence(FakeOps, "C:\\Tessaron\\"));
    EXPECT_EQ(machine.log, first);
    EXPECT_EQ(writtenScript, DefaultScript);
}

TEST(SetupInstall, SequenceFailures)
{
    // A failed copy: its message and nothing after it.
    Reset();
    disk.takingFiles = {"C:\\Tessaron\\X9LK831M.TMP"};
    machine.missingSources = {"Kelvey.ex_"};
    EXPECT_FALSE(RunInstallSequence(FakeOps, "C:\\Tessaron"));
    EXPECT_EQ(machine.log.back(), CopyFailure[4]);
    for (const std::string &entry : machine.log) {
        EXPECT_NE(entry.rfind("script", 0), 0u) << entry;
        EXPECT_NE(entry.rfind("register", 0), 0u) << entry;
        EXPECT_NE(entry.rfind("shortcut", 0), 0u) << entry;
    }

    // A script that cannot be written: its warning, then the rest goes on.
    Reset();
    disk.takingFiles = {"C:\\Tessaron\\X9LK831M.TMP"};
    machine.scriptFails = true;
    EXPECT_TRUE(RunInstallSequence(FakeOps, "C:\\Tessaron"));
    ASSERT_GE(machine.log.size(), 4u);
    size_t n = machine.log.size();
    EXPECT_EQ(machine.log[n - 4], "script C:\\WINDOWS\\Tessaron - Uninstallation Data");
    EXPECT_EQ(machine.log[n - 3], std::string("warn ") + ScriptWarningText);
    EXPECT_EQ(machine.log[n - 3],
              "warn The uninstallation script could not be created.  "
              "The setup wizard will try to continue the installation process.");
    EXPECT_EQ(machine.log[n - 2].rfind("register", 0), 0u);
    EXPECT_EQ(machine.log[n - 1].rfind("shortcut", 0), 0u);

    // A folder too long for the paths built from it is never worked on.
    Reset();
    std::string tooLong = "C:\\" + std::string(300, 'x');
    EXPECT_FALSE(RunInstallSequence(FakeOps, tooLong.c_str()));
    EXPECT_EQ(machine.log, (std::vector<std::string>{std::string("warn ") + FolderTooLongText}));
}

}  // namespace
