#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "fakedisk.h"
#include "install.h"
#include "uninstall.h"

namespace {

UninstallPlan plan;

bool Read(const std::string &text, const char *windowsDir = "C:\\WINDOWS")
{
    return ReadUninstallScript(text.data(), text.size(), windowsDir, "C:\\WINDOWS\\SYSTEM", &plan);
}

std::string Describe(const UninstallEntry &e)
{
    static const char *const kinds[] = {"file", "folder", "key", "group"};
    std::string s = kinds[e.kind];
    if (e.kind == KindRegistryKey)
        s += e.root == RootLocalMachine ? " HKLM" : " HKCU";
    return s + " " + e.text;
}

std::string Taken()
{
    std::string taken;
    for (int i = 0; i < plan.count; i++)
        taken += (i ? "; " : "") + Describe(plan.entries[i]);
    return taken;
}

TEST(KelveyScript, EverythingSetupWritesIsTaken)
{
    // Every line of the script setup writes, for Windows in a folder or at
    // a drive root and for a folder on a drive or a network share.
    for (const char *windowsDir : {"C:\\WINDOWS", "C:\\"}) {
        for (const char *folder : {"C:\\Tessaron\\", "D:\\Apps\\", "\\\\srv\\share\\Tessaron\\"}) {
            static char script[UninstallScriptSize];
            BuildUninstallScript(script, sizeof script, windowsDir, folder);
            ASSERT_TRUE(Read(script, windowsDir)) << folder;
            EXPECT_STREQ(plan.product, "Tessaron");
            EXPECT_EQ(plan.count, 16) << windowsDir << " " << folder << ": " << Taken();
            EXPECT_EQ(plan.refusedCount, 0) << plan.refused;
        }
    }
}

TEST(KelveyScript, RefusalRules)
{
    // After the product line; Windows is C:\WINDOWS, the system folder
    // C:\WINDOWS\SYSTEM.  Folders are taken first, so that files anywhere
    // in the script are judged by them.
    const std::string folder = "[EMPTY FOLDER] C:\\T\\\r\n";
    struct Case {
        std::string lines;
        std::string taken;
        int refused;
        const char *product = "Tessaron";
        const char *windowsDir = "C:\\WINDOWS";
    };
    std::vector<Case> cases = {
        // Files: directly inside a folder of the script, or the product's own in Windows.
        {"[FILE] c:\\t\\A b.TXT  \t\r\n" + folder, "folder C:\\T\\; file c:\\t\\A b.TXT", 0},
        {folder + "[FILE] C:\\Outside\\keep.txt\r\n[FILE] C:\\T\\sub\\a.txt\r\n", "folder C:\\T\\", 2},
        {folder + "[FILE] C:\\T\\..\\boot.ini\r\n[FILE] C:\\T\\a/../../b\r\n[FILE] C:\\T\\*.*\r\n", "folder C:\\T\\", 3},
        {folder + "[FILE] C:\\T\\\r\n[FILE] C:\\T\\a:s\r\n[FILE] C:\\T\\\\a\r\n", "folder C:\\T\\", 3},
        {folder + "[FILE] C:\\T\\.\r\n[FILE] C:\\T\\.\\a\r\n[FILE] C:\\T\\..\r\n[EMPTY FOLDER] C:\\T\\.\\\r\n", "folder C:\\T\\", 4},
        {"[EMPTY FOLDER] \\\r\n[FILE] \\ReadMe.txt\r\n[FILE] C:ReadMe.txt\r\n[FILE] ReadMe.txt\r\n", "", 4},
        {"[EMPTY FOLDER] C:Apps\\\r\n[FILE] C:Apps\\a\r\n[EMPTY FOLDER] 1:\\T\\\r\n[FILE] 1:\\T\\a\r\n", "", 4},
        {"[FILE] C:\\WINDOWS\\TESSARON.INI\r\n[FILE] c:\\windows\\Start Menu\\Programs\\Tessaron.lnk\r\n"
         "[FILE] C:\\WINDOWS\\tessaron - uninstallation data.BAK\r\n",
         "file C:\\WINDOWS\\TESSARON.INI; file c:\\windows\\Start Menu\\Programs\\Tessaron.lnk; "
         "file C:\\WINDOWS\\tessaron - uninstallation data.BAK", 0},
        {"[FILE] C:\\WINDOWS\\win.ini\r\n[FILE] C:\\WINDOWS\\Start Menu\\Programs\\Other.lnk\r\n[FILE] C:\\WINDOWS\\x\\Tessaron.ini\r\n", "", 3},
        // Windows-directory look-alikes are not the Windows directory.
        {"[FILE] C:\\WINDOWSXTessaron.ini\r\n[FILE] C:\\WINDOWS.OLD\\Tessaron.ini\r\n[FILE] C:\\WIN\\Tessaron.ini\r\n"
         "[FILE] D:\\WINDOWS\\Tessaron.ini\r\n[FILE] C:\\WINDOWS\\Tessaron.ini.old\r\n[FILE] C:\\WINDOWS\\Start Menu\\Tessaron.lnk\r\n", "", 6},
        // A folder holds files of the product only when it is not a root,
        // neither the Windows or system folder nor above them, and no
        // folder named before it lies inside it: the installation folder
        // comes first, a folder of its own (the help pages') after it.
        {"[EMPTY FOLDER] C:\\T\\U\r\n[EMPTY FOLDER] C:\\T\\\r\n[FILE] C:\\T\\a\r\n[FILE] C:\\T\\U\\b\r\n[FILE] C:\\T\\U\\V\\c\r\n",
         "folder C:\\T\\U; folder C:\\T\\; file C:\\T\\U\\b", 2},
        {"[EMPTY FOLDER] C:\\T\\\r\n[EMPTY FOLDER] C:\\T\\U\r\n[FILE] C:\\T\\a\r\n[FILE] C:\\T\\U\\b\r\n",
         "folder C:\\T\\; folder C:\\T\\U; file C:\\T\\a; file C:\\T\\U\\b", 0},
        {"[EMPTY FOLDER] C:\\\r\n[EMPTY FOLDER] C:\\WINDOWS\r\n[EMPTY FOLDER] c:\\windows\\system\\\r\n"
         "[FILE] C:\\boot.ini\r\n[FILE] C:\\WINDOWS\\win.ini\r\n[FILE] C:\\WINDOWS\\SYSTEM\\user.exe\r\n",
         "folder C:\\; folder C:\\WINDOWS; folder c:\\windows\\system\\", 3},
        {"[EMPTY FOLDER] C:\\WIN\\\r\n[FILE] C:\\WIN\\a\r\n[EMPTY FOLDER] C:\\WINDOWS\\SYS\r\n[FILE] C:\\WINDOWS\\SYS\\b\r\n"
         "[EMPTY FOLDER] C:\\T\r\n[EMPTY FOLDER] C:\\TU\\\r\n[FILE] C:\\T\\c\r\n",
         "folder C:\\WIN\\; folder C:\\WINDOWS\\SYS; folder C:\\T; folder C:\\TU\\; file C:\\WIN\\a; "
         "file C:\\WINDOWS\\SYS\\b; file C:\\T\\c", 0},
        {"[EMPTY FOLDER] D:\\OS\\\r\n[FILE] D:\\OS\\a\r\n[EMPTY FOLDER] C:\\WINDOWS\\\r\n[FILE] C:\\WINDOWS\\b\r\n"
         "[EMPTY FOLDER] D:\\OSX\\\r\n[FILE] D:\\OSX\\c\r\n",
         "folder D:\\OS\\; folder C:\\WINDOWS\\; folder D:\\OSX\\; file D:\\OSX\\c", 2, "Tessaron", "D:\\OS\\WINDOWS"},
        {folder + "[FILE] C:\\T\\a\r\n[FILE] C:\\Tessaron.ini\r\n", "folder C:\\T\\", 2, "Tessaron", ""},  // Windows unknown
        // Folders: absolute, with a plain server and share; a root only stands for itself.
        {"[EMPTY FOLDER] \\\\srv\\share\r\n[FILE] \\\\srv\\share\\a\r\n[EMPTY FOLDER] \\\\srv\\share\\T\\\r\n[FILE] \\\\srv\\share\\T\\b\r\n",
         "folder \\\\srv\\share; folder \\\\srv\\share\\T\\; file \\\\srv\\share\\T\\b", 1},
        {"[EMPTY FOLDER] \\\\srv\r\n[EMPTY FOLDER] \\\\\r\n[EMPTY FOLDER] T\\\r\n[EMPTY FOLDER] C:\\T\\..\\\r\n", "", 4},
        {"[EMPTY FOLDER] \\\\?\\C:\\T\\\r\n[EMPTY FOLDER] \\\\.\\C:\\T\\\r\n[EMPTY FOLDER] \\\\s*v\\share\\T\\\r\n"
         "[EMPTY FOLDER] \\\\srv\\sh|re\\T\\\r\n[EMPTY FOLDER] \\\\srv\\\\T\\\r\n[EMPTY FOLDER] \\\\..\\share\\T\\\r\n", "", 6},
        // Keys: named for the product, below a vendor or in the uninstall list.
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
         "[REGISTRY KEY] hkey_current_user\\software\\Varnholt\\tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Tools\\Tessaron\r\n",
         "key HKLM SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron; key HKCU software\\Varnholt\\tessaron; "
         "key HKCU Software\\Varnholt\\Tools\\Tessaron", 0},
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\r\n[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Tessaron\r\n", "", 3},
        {"[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\V\\Tessaron\r\n[REGISTRY KEY] HKEY_CURRENT_USER\r\n",
         "key HKCU Software\\V\\Tessaron", 1},  // a hive alone: nothing after it, not the last line's rest
        {"[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Other\r\n[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\V\\Tessaron\\\r\n[REGISTRY KEY] HKEY_CLASSES_ROOT\\Software\\V\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other\r\n"
         "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X\\Tessaron\r\n", "", 6},
        // Below Software\Wow6432Node as below Software; Wow6432Node is never a vendor.
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Varnholt\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\Software\\WOW6432NODE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Wow6432Node\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Wow6432Node\\Wow6432Node\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Wow6432Node\\\r\n",
         "key HKLM SOFTWARE\\Wow6432Node\\Varnholt\\Tessaron; "
         "key HKLM Software\\WOW6432NODE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron", 3},
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\r\n", "", 1, "Microsoft"},
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\r\n",
         "", 1, "Uninstall"},
        {"[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Wow6432Node\r\n", "", 1, "Wow6432Node"},
        // Groups: the product's name only.
        {"[GROUP] tessaron\r\n[GROUP] Accessories\r\n[GROUP] ..\r\n", "group tessaron", 2},
        // Lines: whole ones only; unknown kinds refused, blank lines nothing.
        {"\r\n  \r\n[file] C:\\T\\a\r\n[FILE]C:\\T\\a\r\n[FOLDER] C:\\T\r\n", "", 3},
        {"[GROUP] Tessaron\n[GROUP] Tessaron", "group Tessaron", 1},  // LF alone; no line end at all
        {"[GROUP] Tessaron\r\r\n[GROUP] Tessaron\r \r\n[GROUP] Tessaron\r[GROUP] x\r\n", "group Tessaron; group Tessaron", 1},
        {"[GROUP] Tessaron\r\n\x1a", "group Tessaron", 0},
        {std::string("[GROUP] Tessaron\r\n\x1a \r\n\0\0", 24), "group Tessaron", 0},
        {"[GROUP] Tessaron\r\n\x1a[GROUP] Tessaron\r\n", "group Tessaron", 1},
        {"[GROUP] Tessaron\r\n\x1a\r\n[GROUP] Tessaron\r\n[GROUP] Tessaron\r\n", "group Tessaron", 2},
        {"[GROUP] Tess\x1a" "aron\r\n", "", 1},
        {std::string("[GROUP] Tessaron\r\n\0[GROUP] Tessaron\r\n", 37), "group Tessaron", 1},
        {folder + "[FILE] C:\\T\\a" + std::string(3000, ' ') + "b\r\n", "folder C:\\T\\", 1},  // never cut to C:\T\a
        {folder + "[FILE] C:\\T\\" + std::string(600, 'x') + "\r\n", "folder C:\\T\\", 1},
        {std::string(3000, ' ') + "\r\n" + std::string(2047, ' ') + "\r\n", "", 1},
    };
    // Every character that no name may hold, in a file's name, a folder's,
    // a server's and a share's.
    for (char c : std::string("/:*?\"<>|\x01\x1f")) {
        std::string name = std::string("a") + c + "b";
        cases.push_back({folder + "[FILE] C:\\T\\" + name + "\r\n[EMPTY FOLDER] C:\\" + name + "\\\r\n"
                                  "[EMPTY FOLDER] \\\\" + name + "\\share\\T\r\n[EMPTY FOLDER] \\\\srv\\" + name + "\\T\r\n",
                         "folder C:\\T\\", 4});
    }
    // The system's own keys, in both views of the registry and both hives.
    for (const char *system : {"Microsoft", "Classes", "Policies"})
        for (const char *view : {"Software\\", "SOFTWARE\\Wow6432Node\\", "software\\wow6432node\\"})
            for (const char *hive : {"HKEY_LOCAL_MACHINE\\", "HKEY_CURRENT_USER\\"})
                cases.push_back({std::string("[REGISTRY KEY] ") + hive + view + system + "\\Tessaron\r\n"
                                     "[REGISTRY KEY] " + hive + view + system + "\\Windows\\CurrentVersion\\Run\\Tessaron\r\n",
                                 "", 2});
    for (const auto &c : cases) {
        ASSERT_TRUE(Read(c.product + std::string("\r\n") + c.lines, c.windowsDir)) << c.lines;
        EXPECT_EQ(Taken(), c.taken) << c.lines;
        EXPECT_EQ(plan.refusedCount, c.refused) << c.lines << "\nrefused:\n" << plan.refused;
    }

    // The product line must be whole: it decides which keys and groups are its own.
    for (const std::string &text : std::vector<std::string>{"", "\r\n[GROUP] x\r\n", "Tessaron", std::string(3000, 'T') + "\r\n",
                                                            "Tess\raron\r\n", "Tessaron\x1a\r\n", std::string("Tess\0aron\r\n", 11)})
        EXPECT_FALSE(Read(text)) << text.substr(0, 20);
    ASSERT_TRUE(Read("Tessaron \r\n"));
    EXPECT_STREQ(plan.product, "Tessaron");

    // Beyond the plan's room, lines are refused, not dropped.
    std::string many = "Tessaron\r\n";
    for (int i = 0; i < MaxUninstallEntries + 2; i++)
        many += "[GROUP] Tessaron\r\n";
    ASSERT_TRUE(Read(many));
    EXPECT_EQ(plan.count, MaxUninstallEntries);
    EXPECT_EQ(plan.refusedCount, 2);
}

TEST(KelveyCommandLine, ScriptPathAfterOwnPath)
{
    const char *const script = "C:\\WINDOWS\\Tessaron - Uninstallation Data";
    const char *const own = "C:\\WINDOWS\\Kelvey.exe";
    const struct {
        const char *commandLine, *ownPath, *script;
    } cases[] = {
        {"C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\Tessaron - Uninstallation Data", own, script},
        {"C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\Tessaron - Uninstallation Data", nullptr, script},
        {"\"C:\\WINDOWS\\Kelvey.exe\" C:\\WINDOWS\\Tessaron - Uninstallation Data", own, script},
        {"kelvey.exe  \"C:\\WINDOWS\\Tessaron - Uninstallation Data\" ", nullptr, script},
        {"C:\\My Windows\\kelvey.exe C:\\My Windows\\Tessaron - Uninstallation Data", "C:\\My Windows\\Kelvey.exe",
         "C:\\My Windows\\Tessaron - Uninstallation Data"},
        {"C:\\WINDOWS\\kelvey.exe   ", own, ""},
        {"\"C:\\WINDOWS\\kelvey.exe C:\\x", nullptr, ""},
        {"", nullptr, ""},
    };
    for (const auto &c : cases) {
        char out[UninstallTextSize];
        EXPECT_EQ(ScriptPathFromCommandLine(c.commandLine, c.ownPath, out, sizeof out), c.script[0] != '\0')
            << c.commandLine;
        EXPECT_STREQ(out, c.script) << c.commandLine;
    }
    char tiny[8];
    EXPECT_FALSE(ScriptPathFromCommandLine("k.exe C:\\a\\long\\path", nullptr, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "");
}

TEST(KelveyScript, ProductNames)
{
    const struct {
        const char *name;
        bool product;
    } cases[] = {
        {"Tessaron", true}, {"Tessaron 2.0", true}, {"CONSOLE", true}, {"COM", true}, {"COM10", true},
        {"LPTX", true}, {"NULL.txt", true}, {"Auxiliary", true}, {"Wow6432", true},
        {"CON", false}, {"con", false}, {"PRN.txt", false}, {"Aux", false}, {"nul.tar.gz", false},
        {"NUL .txt", false}, {"COM1", false}, {"com9.log", false}, {"LPT1", false}, {"lpt9", false}, {"COM0", false},
        {"Wow6432Node", false}, {"WOW6432NODE", false}, {".", false}, {"..", false}, {"", false},
        {"a\\b", false}, {"a/b", false}, {"C:", false}, {"a*", false}, {"a?", false}, {"a\"b", false},
        {"a<b", false}, {"a>b", false}, {"a|b", false}, {"\x01Tessaron", false}, {"Tess\taron", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsProductName(c.name), c.product) << c.name;
}

// ---------------------------------------------------------------- the system, faked

std::vector<std::string> removals;
std::map<std::string, RemoveResult> outcome;  // default: removed
std::map<std::string, std::string> uninstallList;  // key below HKLM -> UninstallString

RemoveResult Outcome(const std::string &what)
{
    removals.push_back(what);
    auto found = outcome.find(what);
    return found == outcome.end() ? RemoveDone : found->second;
}

RemoveResult FakeRemoveFile(const char *path) { return Outcome(std::string("file ") + path); }
// A group's folder is C:\Programs\<name>; its removal is logged as the group's.
const char Programs[] = "C:\\Programs\\";
RemoveResult FakeRemoveFolder(const char *path)
{
    if (strncmp(path, Programs, strlen(Programs)) == 0)
        return Outcome(std::string("group ") + (path + strlen(Programs)));
    return Outcome(std::string("folder ") + path);
}
int FakeGroupFolders(const char *name, char (*folders)[UninstallTextSize], int max)
{
    if (max > 0)
        snprintf(folders[0], UninstallTextSize, "%s%s", Programs, name);
    return max > 0 ? 1 : 0;
}
void GroupsOnDisk()
{
    fs = FakeDisk();
    fs.AddTree("C:\\Programs\\Tessaron");
    fs.AddTree("C:\\Programs\\Other");
}
RemoveResult FakeRemoveKey(RegistryRoot root, const char *subkey)
{
    return Outcome(std::string(root == RootLocalMachine ? "key HKLM " : "key HKCU ") + subkey);
}
RemoveResult FakeRemoveShortcut(char *path, size_t size)
{
    snprintf(path, size, "C:\\Startup\\Tessaron.LNK");
    return Outcome("shortcut");
}
// As the system resolves paths with C:\WINDOWS current: slashes turned,
// relative names joined, short names made long, case kept.
bool FakeFullLongPath(const char *path, char *out, size_t size)
{
    std::string full = path;
    for (char &c : full)
        c = c == '/' ? '\\' : c;
    if (full.find('|') != std::string::npos)
        return false;  // a name the system cannot resolve
    if (full.find(':') == std::string::npos && full.rfind("\\\\", 0) != 0)
        full = "C:\\WINDOWS\\" + full;
    for (auto shortLong : {std::make_pair("\\TESSAR~1", "\\Tessaron - Uninstallation Data"),
                           std::make_pair("\\MYWIND~1\\", "\\My Windows\\")}) {
        size_t at = full.find(shortLong.first);
        if (at != std::string::npos)
            full.replace(at, strlen(shortLong.first), shortLong.second);
    }
    snprintf(out, size, "%s", full.c_str());
    return true;
}
bool FakeMachineText(const char *subkey, const char *value, char *out, size_t size)
{
    auto found = uninstallList.find(subkey);
    if (found == uninstallList.end() || strcmp(value, "UninstallString") != 0)
        return false;
    snprintf(out, size, "%s", found->second.c_str());
    return true;
}

const KelveyOps FakeKelveyOps = {FakeRemoveFile,     FakeRemoveFolder, FakeRemoveKey,   FakeGroupFolders,
                                 FakeRemoveShortcut, FakeFullLongPath, FakeMachineText, &DiskOps};

const char Script[] = "C:\\WINDOWS\\Tessaron - Uninstallation Data";
const char Kelvey[] = "C:\\WINDOWS\\Kelvey.exe";
const char Entry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron";
const char Command[] = "C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\Tessaron - Uninstallation Data";

TEST(KelveyRegistration, TheUninstallListVouchesForTheScript)
{
    // The entry named like the product must start this uninstaller on this
    // script, however either path is written.
    const struct {
        const char *product, *command, *script, *own;
        Vouching vouching;
    } cases[] = {
        {"Tessaron", Command, Script, Kelvey, Vouched},
        {"Tessaron", Command, "C:\\WINDOWS\\TESSAR~1", Kelvey, Vouched},
        {"Tessaron", Command, "Tessaron - Uninstallation Data", Kelvey, Vouched},
        {"Tessaron", Command, "c:/windows/tessaron - uninstallation data", "c:/WINDOWS/kelvey.EXE", Vouched},
        {"Tessaron", "\"C:\\WINDOWS\\Kelvey.exe\" \"C:\\WINDOWS\\TESSAR~1\"", Script, Kelvey, Vouched},
        {"Tessaron", "kelvey.exe TESSAR~1", Script, Kelvey, Vouched},
        {"Tessaron", "C:\\WINDOWS\\kelvey.exe \"C:\\WINDOWS\\Tessaron - Uninstallation Data\"", Script, Kelvey, Vouched},
        {"Tessaron", "C:\\MYWIND~1\\kelvey.exe C:\\My Windows\\Tessaron - Uninstallation Data",
         "C:\\My Windows\\Tessaron - Uninstallation Data", "C:\\My Windows\\Kelvey.exe", Vouched},
        {"Tessaron", Command, "C:\\Copy\\Tessaron - Uninstallation Data", Kelvey, RegisteredOtherwise},
        {"Tessaron", Command, Script, "C:\\Other\\Kelvey.exe", RegisteredOtherwise},
        {"Tessaron", "C:\\WINDOWS\\kelvey.exe", Script, Kelvey, RegisteredOtherwise},
        {"Tessaron", "C:\\WINDOWS\\other.exe C:\\WINDOWS\\Tessaron - Uninstallation Data", Script, Kelvey, RegisteredOtherwise},
        {"Tessaron", "\"C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\Tessaron - Uninstallation Data", Script, Kelvey, RegisteredOtherwise},
        {"Tessaron", "C:\\WINDOWS\\kelvey.exe C:\\WINDOWS\\a|b", "C:\\WINDOWS\\a|b", Kelvey, RegisteredOtherwise},
        {"Tessaron", nullptr, Script, Kelvey, NotRegistered},
        {"Other", Command, Script, Kelvey, NotRegistered},
        {"win", nullptr, Script, Kelvey, NotRegistered},
        {"C:\\x", Command, Script, Kelvey, NotAProductName},
        {"NUL", Command, Script, Kelvey, NotAProductName},
        {"Wow6432Node", Command, Script, Kelvey, NotAProductName},
        {"Tessaron", Command, "", Kelvey, RegisteredOtherwise},
        {"Tessaron", Command, Script, "", RegisteredOtherwise},
    };
    for (const auto &c : cases) {
        uninstallList.clear();
        if (c.command)
            uninstallList[Entry] = c.command;
        Registration registration;
        EXPECT_EQ(CheckRegistration(c.product, c.script, c.own, FakeKelveyOps, &registration), c.vouching)
            << c.product << " / " << (c.command ? c.command : "no entry") << " / " << c.script << " / " << c.own;
        if (c.vouching == Vouched) {
            EXPECT_STREQ(registration.key, Entry);
        }
    }

    // What the uninstaller then says (the acceptance scenarios read the
    // other two messages), in one box, before it removes anything.
    char text[512];
    FormatNotVouched(text, sizeof text, NotAProductName, "C:\\x", Script, Registration());
    EXPECT_STREQ(text, "The uninstallation data file\n\nC:\\WINDOWS\\Tessaron - Uninstallation Data\n\nbegins with "
                       "\"C:\\x\", which is not the name of a product.  Nothing has been removed.");
}

// ---------------------------------------------------------------- removal

// What the final message and the removals are for a plan and its outcomes.
struct Removed {
    UninstallOutcome outcome;
    std::string message;
};

Removed CarryOut(const std::map<std::string, RemoveResult> &results, const char *scriptPath = Script,
                 const char *command = Command)
{
    removals.clear();
    outcome = results;
    uninstallList = {{Entry, command}};
    GroupsOnDisk();
    Registration registration;
    EXPECT_EQ(CheckRegistration(plan.product, scriptPath, Kelvey, FakeKelveyOps, &registration), Vouched);
    static char failures[UninstallListSize];
    Removed run;
    run.outcome = CarryOutUninstall(plan, registration, FakeKelveyOps, failures, sizeof failures);
    char message[3 * UninstallListSize];
    FormatOutcome(message, sizeof message, plan, registration, run.outcome, failures);
    run.message = message;
    return run;
}

const char Unregistered[] = "key HKLM SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron";

TEST(KelveyRemoval, OrderRegistrationLastAndReport)
{
    ASSERT_TRUE(Read("Tessaron\r\n"
                     "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
                     "[FILE] C:\\WINDOWS\\Tessaron - Uninstallation Data\r\n"
                     "[GROUP] Tessaron\r\n"
                     "[EMPTY FOLDER] D:\\A\\\r\n"
                     "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\V\\Tessaron\r\n"
                     "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
                     "[FILE] D:\\A\\B\\C\\one.txt\r\n"
                     "[EMPTY FOLDER] D:\\A\\B\\C\\\r\n"
                     "[EMPTY FOLDER] D:\\\r\n"
                     "[EMPTY FOLDER] D:\\A\\B\\\r\n"
                     "[FILE] D:\\A\\B\\C\\two.txt\r\n"));
    const std::vector<std::string> everything = {
        "file D:\\A\\B\\C\\one.txt", "file D:\\A\\B\\C\\two.txt", "folder D:\\A\\B\\C\\", "folder D:\\A\\B\\", "folder D:\\A\\",
        "key HKCU Software\\V\\Tessaron", "key HKCU Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron",
        "group Tessaron", "shortcut"};

    // All gone: the registration, then the script, go last; the root of D:
    // never; a folder that holds other things stays, and that is no failure.
    Removed run = CarryOut({{"folder D:\\A\\", RemoveKept}});
    std::vector<std::string> expected = everything;
    expected.push_back(Unregistered);
    expected.push_back(std::string("file ") + Script);
    EXPECT_EQ(removals, expected);
    EXPECT_FALSE(run.outcome.kept);
    EXPECT_EQ(run.message, "Tessaron has been removed from your computer.");

    // Something stays: so do the registration and the script, and the
    // message lists what stays and says so.
    run = CarryOut({{"file D:\\A\\B\\C\\two.txt", RemoveFailed}, {"folder D:\\A\\B\\", RemoveFailed},
                    {"key HKCU Software\\V\\Tessaron", RemoveFailed}, {"group Tessaron", RemoveFailed},
                    {"shortcut", RemoveFailed}});
    EXPECT_EQ(removals, everything);
    EXPECT_EQ(run.outcome.failed, 5);
    EXPECT_TRUE(run.outcome.kept);
    EXPECT_EQ(run.message,
              "Tessaron has not been removed completely.\n"
              "\nThe following could not be removed.  Close any program that uses them and try again, or remove "
              "them yourself:\n\n"
              "D:\\A\\B\\C\\two.txt\nD:\\A\\B\\\nHKEY_CURRENT_USER\\Software\\V\\Tessaron\nTessaron (program group)\n"
              "C:\\Startup\\Tessaron.LNK\n"
              "\nTessaron stays in the Add/Remove Software list, so that its removal can be run again.");

    // Started on the script by another name, the uninstaller still keeps it.
    run = CarryOut({{"file D:\\A\\B\\C\\two.txt", RemoveFailed}}, "c:/windows/TESSAR~1");
    EXPECT_EQ(removals, everything);
    EXPECT_TRUE(run.outcome.kept);

    // The registration that cannot be removed keeps the script; the script
    // that cannot be removed once the registration is gone is listed, and
    // nothing claims that the product stays in the list.
    run = CarryOut({{Unregistered, RemoveFailed}});
    EXPECT_EQ(removals.size(), everything.size() + 1);
    EXPECT_TRUE(run.outcome.kept);
    run = CarryOut({{std::string("file ") + Script, RemoveFailed}});
    EXPECT_EQ(removals.size(), everything.size() + 2);
    EXPECT_FALSE(run.outcome.kept);
    EXPECT_EQ(run.message, "Tessaron has not been removed completely.\n"
                           "\nThe following could not be removed.  Close any program that uses them and try again, "
                           "or remove them yourself:\n\nC:\\WINDOWS\\Tessaron - Uninstallation Data\n");

    // Nor does a script that names itself by another name go early.
    ASSERT_TRUE(Read("Tessaron\r\n[FILE] C:\\MYWIND~1\\Tessaron - Uninstallation Data\r\n[GROUP] Tessaron\r\n", "C:\\MYWIND~1"));
    run = CarryOut({{"group Tessaron", RemoveFailed}}, "C:\\My Windows\\Tessaron - Uninstallation Data",
                   "C:\\WINDOWS\\kelvey.exe C:\\My Windows\\Tessaron - Uninstallation Data");
    EXPECT_EQ(removals, (std::vector<std::string>{"group Tessaron", "shortcut"}));
}

TEST(KelveyRemoval, TheRegistrationGoesOnlyWhenTheScriptNamesIt)
{
    // Setup's own script cut after line 14: all it names goes, but it does
    // not name the registration, so the registration and the script stay.
    static char text[UninstallScriptSize];
    BuildUninstallScript(text, sizeof text, "C:\\WINDOWS", "C:\\Tessaron\\");
    std::string script = text;
    std::string cut = script.substr(0, script.find("[REGISTRY KEY]"));
    ASSERT_TRUE(Read(cut));
    ASSERT_EQ(plan.count, 13);
    Removed run = CarryOut({});
    EXPECT_EQ(std::count(removals.begin(), removals.end(), std::string("file ") + Script), 0);
    EXPECT_TRUE(run.outcome.kept);
    EXPECT_FALSE(run.outcome.named);
    EXPECT_EQ(run.message, "Tessaron has not been removed completely.\n"
                           "\nTessaron stays in the Add/Remove Software list, because no line taken from the "
                           "uninstallation data names its entry there (HKEY_LOCAL_MACHINE\\Software\\Microsoft\\"
                           "Windows\\CurrentVersion\\Uninstall\\Tessaron).");

    // With a Ctrl-Z there instead, the lines after it are listed too.
    ASSERT_TRUE(Read(cut + "\x1a" + script.substr(cut.size())));
    EXPECT_EQ(plan.refusedCount, 3);
    run = CarryOut({});
    EXPECT_TRUE(run.outcome.kept);
    EXPECT_NE(run.message.find("\n\n?[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                               "Uninstall\\Tessaron\n[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Tessaron\n"
                               "[GROUP] Tessaron\n"),
              std::string::npos)
        << run.message;

    // The registration as the 32-bit programs see it goes first; if it
    // cannot, the one that vouched and the script stay.
    ASSERT_TRUE(Read(cut + "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
                           "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"));
    const std::string wow = "key HKLM Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron";
    run = CarryOut({});
    ASSERT_GE(removals.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(removals.end() - 3, removals.end()),
              (std::vector<std::string>{wow, Unregistered, std::string("file ") + Script}));
    run = CarryOut({{wow, RemoveFailed}});
    EXPECT_EQ(removals.back(), wow);
    EXPECT_TRUE(run.outcome.kept);
}

TEST(KelveyRemoval, RefusedLinesAreListedAndKeepTheRegistration)
{
    ASSERT_TRUE(Read("Tessaron\r\n[FILE] C:\\Outside\\keep.txt\r\n[GROUP] Tessaron\r\n"
                     "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\V\\Tessaron\r\n"
                     "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
                     "[FILE] C:\\" + std::string(200, 'x') + "\r\n[GROUP] Tessaron\r[GROUP] x\r\n" +
                     std::string(3000, ' ') + "\r\n[GROUP] Tess"));
    Removed run = CarryOut({});
    EXPECT_EQ(removals, (std::vector<std::string>{"key HKCU Software\\V\\Tessaron", "group Tessaron", "shortcut"}));
    EXPECT_TRUE(run.outcome.kept);
    EXPECT_EQ(run.outcome.failed, 0);
    EXPECT_EQ(run.message, "Tessaron has not been removed completely.\n"
                           "\nThe following lines of the uninstallation data were left alone, because they are "
                           "damaged or name something that Tessaron did not install:\n\n"
                           "[FILE] C:\\Outside\\keep.txt\n[FILE] C:\\" + std::string(86, 'x') + "...\n"
                           "[GROUP] Tessaron[GROUP] x\n(a line too long to be read, blank at its start)\n[GROUP] Tess\n"
                           "\nTessaron stays in the Add/Remove Software list, so that its removal can be run again.");

    // Another product's Start-up shortcut is not ours to remove.
    ASSERT_TRUE(Read("Other\r\n[GROUP] Other\r\n"));
    removals.clear();
    GroupsOnDisk();
    Registration none = {};
    static char failures[UninstallListSize];
    EXPECT_TRUE(CarryOutUninstall(plan, none, FakeKelveyOps, failures, sizeof failures).kept);
    EXPECT_EQ(removals, (std::vector<std::string>{"group Other"}));

    char text[256];
    FormatConfirmation(text, sizeof text, "Tessaron");
    EXPECT_STREQ(text, "Are you sure you want to remove Tessaron and all of its components from your computer?");
}

TEST(KelveyRemoval, LongFailureListIsCutWithAMark)
{
    std::string script = "Other\r\n[EMPTY FOLDER] C:\\folder\r\n";
    for (int i = 0; i < 40; i++)
        script += "[FILE] C:\\folder\\file" + std::to_string(i) + ".txt\r\n";
    ASSERT_TRUE(Read(script));
    removals.clear();
    outcome.clear();
    for (int i = 0; i < 40; i++)
        outcome["file C:\\folder\\file" + std::to_string(i) + ".txt"] = RemoveFailed;
    Registration none = {};
    for (size_t size : {size_t(0), size_t(1), size_t(5), size_t(100), size_t(200)}) {
        std::vector<char> failures(size + 1, '#');
        EXPECT_EQ(CarryOutUninstall(plan, none, FakeKelveyOps, failures.data(), size).failed, 40);
        EXPECT_EQ(failures[size], '#') << size;  // nothing written past the buffer
        if (size >= 5) {
            std::string text = failures.data();
            EXPECT_LT(text.size(), size);
            EXPECT_EQ(text.substr(text.size() - 4), "...\n") << size;
        }
    }
}

}  // namespace

namespace {

bool Lead932(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Tessaron in C:\T with its help pages' folder a link, a file link beside
// the program, the Windows folder also reached through the administrative
// share, a short name and drive Z:, and the group's folder a link.
void LinkedMachine(bool nt)
{
    fs = FakeDisk();
    fs.nt = nt;
    fs.AddTree("C:\\WINDOWS\\SYSTEM\\user.exe", false);
    fs.AddTree("C:\\WINDOWS\\win.ini", false);
    fs.AddTree("C:\\T\\a.txt", false);
    fs.AddTree("C:\\Other\\index.html", false);
    fs.Add("C:\\T\\help", true, "C:\\Other");
    fs.Add("C:\\T\\ReadMe.txt", false, "C:\\Other\\index.html");
    fs.Spell("\\\\localhost\\c$", "C:");
    fs.Spell("Z:\\wine\\drive_c", "C:");
    fs.Spell("C:\\WINDOW~1", "C:\\WINDOWS", true);
    fs.AddTree("Z:\\wine\\drive_c");
    fs.AddTree("C:\\Victim\\notes.txt", false);
    fs.AddTree("C:\\Programs");
    fs.Add("C:\\Programs\\Tessaron", true, "C:\\Victim");
    fs.AddTree("C:\\Else");
    fs.Add("C:\\T\\L", true, "C:\\Else");
    fs.Add("C:\\WINDOWS\\Start Menu", true, "C:\\Else");
}

TEST(KelveyRemoval, WhatTheDiskShowsIsNotTaken)
{
    const std::string lines =
        "[EMPTY FOLDER] C:\\T\\\r\n[FILE] C:\\T\\a.txt\r\n"
        "[EMPTY FOLDER] C:\\T\\help\\\r\n[FILE] C:\\T\\help\\index.html\r\n[FILE] C:\\T\\ReadMe.txt\r\n"
        "[EMPTY FOLDER] \\\\localhost\\c$\\WINDOWS\\\r\n[FILE] \\\\localhost\\c$\\WINDOWS\\win.ini\r\n"
        "[EMPTY FOLDER] C:\\WINDOW~1\\SYSTEM\\\r\n[FILE] C:\\WINDOW~1\\SYSTEM\\user.exe\r\n"
        "[EMPTY FOLDER] Z:\\wine\\drive_c\\\r\n[FILE] Z:\\wine\\drive_c\\boot.ini\r\n"
        "[FILE] C:\\WINDOWS\\Tessaron.ini\r\n[EMPTY FOLDER] C:\\\r\n[GROUP] Tessaron\r\n"
        "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\V\\Tessaron\r\n"
        "[EMPTY FOLDER] C:\\T\\L\\deep\\\r\n[FILE] C:\\T\\L\\deep\\x.txt\r\n"
        "[FILE] C:\\WINDOWS\\Start Menu\\Programs\\Tessaron.lnk\r\n"
        "[EMPTY FOLDER] C:\\Programs\\Tessaron\\x\\\r\n";  // a link above its outermost folder, C:\ aside
    const std::string linked = "[FILE] C:\\T\\L\\deep\\x.txt\n[FILE] C:\\WINDOWS\\Start Menu\\Programs\\Tessaron.lnk\n";
    const std::string always = "[EMPTY FOLDER] C:\\T\\help\\\n[EMPTY FOLDER] C:\\WINDOW~1\\SYSTEM\\\n"
                               "[EMPTY FOLDER] C:\\T\\L\\deep\\\n"
                               "[FILE] C:\\T\\help\\index.html\n[FILE] C:\\T\\ReadMe.txt\n"
                               "[FILE] C:\\WINDOW~1\\SYSTEM\\user.exe\n[GROUP] Tessaron\n" + linked;
    const struct {
        bool nt;
        std::string taken, refused;
    } cases[] = {
        {true,
         "folder C:\\T\\; folder C:\\; folder C:\\Programs\\Tessaron\\x\\; file C:\\T\\a.txt; file C:\\WINDOWS\\Tessaron.ini; "
         "key HKCU Software\\V\\Tessaron",
         "[EMPTY FOLDER] C:\\T\\help\\\n[EMPTY FOLDER] \\\\localhost\\c$\\WINDOWS\\\n[EMPTY FOLDER] C:\\WINDOW~1\\SYSTEM\\\n"
         "[EMPTY FOLDER] Z:\\wine\\drive_c\\\n[EMPTY FOLDER] C:\\T\\L\\deep\\\n"
         "[FILE] C:\\T\\help\\index.html\n[FILE] C:\\T\\ReadMe.txt\n"
         "[FILE] \\\\localhost\\c$\\WINDOWS\\win.ini\n[FILE] C:\\WINDOW~1\\SYSTEM\\user.exe\n"
         "[FILE] Z:\\wine\\drive_c\\boot.ini\n[GROUP] Tessaron\n" + linked},
        // 95, 98 and ME: no identity, so no other drive's or share's name is known.
        {false,
         "folder C:\\T\\; folder \\\\localhost\\c$\\WINDOWS\\; folder Z:\\wine\\drive_c\\; folder C:\\; "
         "folder C:\\Programs\\Tessaron\\x\\; file C:\\T\\a.txt; "
         "file \\\\localhost\\c$\\WINDOWS\\win.ini; file Z:\\wine\\drive_c\\boot.ini; file C:\\WINDOWS\\Tessaron.ini; "
         "key HKCU Software\\V\\Tessaron",
         always},
    };
    static SystemPlaces places;
    for (const auto &c : cases) {
        LinkedMachine(c.nt);
        ASSERT_TRUE(Read("Tessaron\r\n" + lines));
        ASSERT_EQ(plan.refusedCount, 0) << plan.refused;
        const char *const roots[] = {"C:\\", "Z:\\"};
        FindSystemPlaces(DiskOps, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", roots, 2, &places);
        CheckPlanOnDisk(&plan, places, FakeKelveyOps);
        EXPECT_EQ(Taken(), c.taken) << c.nt;
        EXPECT_EQ(plan.refused, c.refused) << c.nt;
        EXPECT_EQ(plan.refusedCount, (int)std::count(c.refused.begin(), c.refused.end(), '\n'));
    }

    // What cannot be made canonical is not taken either; nor, where the
    // list of lines not taken is full already, does its mark repeat.
    LinkedMachine(true);
    fs.resolves = false;
    std::string many = "Tessaron\r\n[EMPTY FOLDER] C:\\T\\\r\n[GROUP] Tessaron\r\n";
    for (int i = 0; i < 30; i++)
        many += "[FILE] C:\\Outside\\" + std::string(70, 'x') + "\r\n";
    ASSERT_TRUE(Read(many));
    ASSERT_EQ(plan.refusedCount, 30);
    FindSystemPlaces(DiskOps, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", nullptr, 0, &places);
    CheckPlanOnDisk(&plan, places, FakeKelveyOps);
    EXPECT_EQ(Taken(), "");
    EXPECT_EQ(plan.refusedCount, 32);
    std::string refused = plan.refused;
    EXPECT_EQ(refused.find("...\n"), refused.size() - 4);

    // A group takes only the shortcuts directly in its folder that are no
    // links; what else is there stays, and so does the folder.
    GroupsOnDisk();
    for (const char *item : {"a.lnk", "b.txt", "d.PIF", "e.url", ".lnk", "f.exe"})
        fs.AddTree(std::string("C:\\Programs\\Tessaron\\") + item, false);
    fs.Add("C:\\Programs\\Tessaron\\c.lnk", false, "C:\\Victim\\notes.txt");
    fs.AddTree("C:\\Programs\\Tessaron\\sub.lnk");
    ASSERT_TRUE(Read("Tessaron\r\n[GROUP] Tessaron\r\n"));
    removals.clear();
    Registration none = {};
    static char failures[UninstallListSize];
    CarryOutUninstall(plan, none, FakeKelveyOps, failures, sizeof failures);
    EXPECT_EQ(removals, (std::vector<std::string>{"file C:\\Programs\\Tessaron\\a.lnk", "file C:\\Programs\\Tessaron\\d.PIF",
                                                  "file C:\\Programs\\Tessaron\\e.url", "group Tessaron", "shortcut"}));
    // A shortcut that cannot be removed is a failure, though the folder it keeps is not.
    outcome = {{"file C:\\Programs\\Tessaron\\a.lnk", RemoveFailed}, {"group Tessaron", RemoveKept}};
    EXPECT_EQ(CarryOutUninstall(plan, none, FakeKelveyOps, failures, sizeof failures).failed, 1);
    EXPECT_STREQ(failures, "Tessaron (program group)\n");
    outcome.clear();
    // Made a link after the plan was checked, it is still not followed.
    fs.entries["c:\\programs\\tessaron"].link = "C:\\Victim";
    removals.clear();
    EXPECT_EQ(CarryOutUninstall(plan, none, FakeKelveyOps, failures, sizeof failures).failed, 1);
    EXPECT_EQ(removals, (std::vector<std::string>{"shortcut"}));
    EXPECT_STREQ(failures, "Tessaron (program group)\n");
}

TEST(KelveyScript, DoubleByteNamesAndAFileNamedByAFileLine)
{
    // A file whose folder only a [FILE] line names is no product's file.
    ASSERT_TRUE(Read("Tessaron\r\n[FILE] C:\\T\r\n[FILE] C:\\T\\a.txt\r\n"));
    EXPECT_EQ(plan.count, 0);
    EXPECT_EQ(plan.refusedCount, 2);
    // Under code page 932 a name whose second byte is a backslash's or a
    // bar's is one name; under a single-byte code page it is not.
    const std::string script = "Tessaron\r\n[EMPTY FOLDER] C:\\\x83\x5c\\\r\n[FILE] C:\\\x83\x5c\\a.txt\r\n"
                               "[EMPTY FOLDER] C:\\\x83\x7c\\\r\n[FILE] C:\\\x83\x7c\\b.txt\r\n"
                               "[FILE] C:\\\x83\x5c\\\x83\x5c\r\n";
    UseLeadByteTest(Lead932);
    ASSERT_TRUE(Read(script));
    EXPECT_EQ(Taken(), "folder C:\\\x83\x5c\\; folder C:\\\x83\x7c\\; file C:\\\x83\x5c\\a.txt; file C:\\\x83\x7c\\b.txt; "
                       "file C:\\\x83\x5c\\\x83\x5c");
    // Nor is one a backslash between a vendor and the product.
    ASSERT_TRUE(Read("\x83\x5cTessaron\r\n[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\\x83\x5cTessaron\r\n"));
    EXPECT_EQ(plan.refusedCount, 1);
    UseLeadByteTest(nullptr);
    ASSERT_TRUE(Read(script));
    EXPECT_EQ(plan.count, 0);
    EXPECT_EQ(plan.refusedCount, 5);
}

}  // namespace
