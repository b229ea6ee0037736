#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "install.h"
#include "uninstall.h"

namespace {

UninstallPlan plan;

bool Read(const std::string &text, const char *windowsDir = "C:\\WINDOWS")
{
    return ReadUninstallScript(text.data(), text.size(), windowsDir, &plan);
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
    // a drive root and for a folder, a drive root or a network share.
    for (const char *windowsDir : {"C:\\WINDOWS", "C:\\"}) {
        for (const char *folder : {"C:\\Tessaron\\", "D:\\", "\\\\srv\\share\\Tessaron\\"}) {
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
    // After the product line "Tessaron"; Windows is C:\WINDOWS.  Folders
    // are taken first, so that files anywhere in the script are judged by
    // them.
    const std::string folder = "[EMPTY FOLDER] C:\\T\\\r\n";
    const struct {
        std::string lines;
        const char *taken;
        int refused;
    } cases[] = {
        // Files: directly inside a folder of the script, or the product's own in Windows.
        {"[FILE] c:\\t\\A b.TXT  \t\r\n" + folder, "folder C:\\T\\; file c:\\t\\A b.TXT", 0},
        {folder + "[FILE] C:\\Outside\\keep.txt\r\n[FILE] C:\\T\\sub\\a.txt\r\n", "folder C:\\T\\", 2},
        {folder + "[FILE] C:\\T\\..\\boot.ini\r\n[FILE] C:\\T\\a/../../b\r\n[FILE] C:\\T\\*.*\r\n", "folder C:\\T\\", 3},
        {folder + "[FILE] C:\\T\\\r\n[FILE] C:\\T\\a:s\r\n[FILE] C:\\T\\\\a\r\n", "folder C:\\T\\", 3},
        {"[EMPTY FOLDER] \\\r\n[FILE] \\ReadMe.txt\r\n[FILE] C:ReadMe.txt\r\n[FILE] ReadMe.txt\r\n", "", 4},
        {"[FILE] C:\\WINDOWS\\TESSARON.INI\r\n[FILE] c:\\windows\\Start Menu\\Programs\\Tessaron.lnk\r\n", "file C:\\WINDOWS\\TESSARON.INI; file c:\\windows\\Start Menu\\Programs\\Tessaron.lnk", 0},
        {"[FILE] C:\\WINDOWS\\win.ini\r\n[FILE] C:\\WINDOWS\\Start Menu\\Programs\\Other.lnk\r\n[FILE] C:\\WINDOWS\\x\\Tessaron.ini\r\n", "", 3},
        // Folders: absolute; a root only stands for its files.
        {"[EMPTY FOLDER] \\\\srv\\share\r\n[FILE] \\\\srv\\share\\a\r\n", "folder \\\\srv\\share; file \\\\srv\\share\\a", 0},
        {"[EMPTY FOLDER] \\\\srv\r\n[EMPTY FOLDER] \\\\\r\n[EMPTY FOLDER] T\\\r\n[EMPTY FOLDER] C:\\T\\..\\\r\n", "", 4},
        // Keys: named for the product, below a vendor or in the uninstall list.
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
         "[REGISTRY KEY] hkey_current_user\\software\\Varnholt\\tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Tools\\Tessaron\r\n",
         "key HKLM SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron; key HKCU software\\Varnholt\\tessaron; "
         "key HKCU Software\\Varnholt\\Tools\\Tessaron", 0},
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\r\n[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Tessaron\r\n[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\Software\\Classes\\Tessaron\r\n", "", 5},
        {"[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Other\r\n[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\V\\Tessaron\\\r\n[REGISTRY KEY] HKEY_CLASSES_ROOT\\Software\\V\\Tessaron\r\n"
         "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other\r\n", "", 5},
        // Groups: the product's name only.
        {"[GROUP] tessaron\r\n[GROUP] Accessories\r\n[GROUP] ..\r\n", "group tessaron", 2},
        // Lines: whole ones only; unknown kinds refused, blank lines nothing.
        {"\r\n  \r\n[file] C:\\T\\a\r\n[FILE]C:\\T\\a\r\n[FOLDER] C:\\T\r\n", "", 3},
        {"[GROUP] Tessaron\n[GROUP] Tessaron", "group Tessaron", 1},  // LF alone; no line end at all
        {"[GROUP] Tessaron\r\n\x1a[GROUP] Tessaron\r\n", "group Tessaron", 0},
        {"[GROUP] Tess\x1a" "aron\r\n", "", 1},
        {std::string("[GROUP] Tessaron\r\n\0[GROUP] Tessaron\r\n", 37), "group Tessaron", 0},
        {folder + "[FILE] C:\\T\\a" + std::string(3000, ' ') + "b\r\n", "folder C:\\T\\", 1},  // never cut to C:\T\a
        {folder + "[FILE] C:\\T\\" + std::string(600, 'x') + "\r\n", "folder C:\\T\\", 1},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(Read("Tessaron\r\n" + c.lines)) << c.lines;
        EXPECT_EQ(Taken(), c.taken) << c.lines;
        EXPECT_EQ(plan.refusedCount, c.refused) << c.lines << "\nrefused:\n" << plan.refused;
    }

    // The product line must be whole: it decides which keys and groups are its own.
    for (const std::string &text : std::vector<std::string>{"", "\r\n[GROUP] x\r\n", "Tessaron", std::string(3000, 'T') + "\r\n"})
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

// ---------------------------------------------------------------- removal

std::vector<std::string> removals;
std::map<std::string, RemoveResult> outcome;  // default: removed

RemoveResult Outcome(const std::string &what)
{
    removals.push_back(what);
    auto found = outcome.find(what);
    return found == outcome.end() ? RemoveDone : found->second;
}

RemoveResult FakeRemoveFile(const char *path) { return Outcome(std::string("file ") + path); }
RemoveResult FakeRemoveFolder(const char *path) { return Outcome(std::string("folder ") + path); }
RemoveResult FakeRemoveKey(RegistryRoot root, const char *subkey)
{
    return Outcome(std::string(root == RootLocalMachine ? "key HKLM " : "key HKCU ") + subkey);
}
RemoveResult FakeRemoveGroup(const char *name) { return Outcome(std::string("group ") + name); }
RemoveResult FakeRemoveShortcut(char *path, size_t size)
{
    snprintf(path, size, "C:\\Startup\\Tessaron.LNK");
    return Outcome("shortcut");
}

const KelveyOps FakeKelveyOps = {FakeRemoveFile, FakeRemoveFolder, FakeRemoveKey, FakeRemoveGroup, FakeRemoveShortcut};

const char Script[] = "C:\\WINDOWS\\Tessaron - Uninstallation Data";

// What the final message and the removals are for a plan and its outcomes.
struct Removed {
    UninstallOutcome outcome;
    std::string message;
};

Removed CarryOut(const std::map<std::string, RemoveResult> &results)
{
    removals.clear();
    outcome = results;
    static char failures[UninstallListSize];
    Removed run;
    run.outcome = CarryOutUninstall(plan, Script, FakeKelveyOps, failures, sizeof failures);
    char message[3 * UninstallListSize];
    FormatOutcome(message, sizeof message, plan, run.outcome, failures);
    run.message = message;
    return run;
}

TEST(KelveyRemoval, OrderRegistrationLastAndReport)
{
    ASSERT_TRUE(Read("Tessaron\r\n"
                     "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron\r\n"
                     "[FILE] C:\\WINDOWS\\Tessaron - Uninstallation Data\r\n"
                     "[GROUP] Tessaron\r\n"
                     "[EMPTY FOLDER] D:\\A\\\r\n"
                     "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\V\\Tessaron\r\n"
                     "[FILE] D:\\A\\one.txt\r\n"
                     "[EMPTY FOLDER] D:\\A\\B\\C\\\r\n"
                     "[EMPTY FOLDER] D:\\\r\n"
                     "[EMPTY FOLDER] D:\\A\\B\\\r\n"
                     "[FILE] D:\\A\\B\\two.txt\r\n"));
    const std::vector<std::string> everything = {
        "file D:\\A\\one.txt", "file D:\\A\\B\\two.txt", "folder D:\\A\\B\\C\\", "folder D:\\A\\B\\", "folder D:\\A\\",
        "key HKCU Software\\V\\Tessaron", "group Tessaron", "shortcut"};

    // All gone: the registration, then the script, go last; the root D:\ never.
    Removed run = CarryOut({{"file D:\\A\\one.txt", RemoveAbsent}});
    std::vector<std::string> expected = everything;
    expected.push_back("key HKLM SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron");
    expected.push_back(std::string("file ") + Script);
    EXPECT_EQ(removals, expected);
    EXPECT_FALSE(run.outcome.kept);
    EXPECT_EQ(run.message, "Tessaron has been removed from your computer.");

    // Something stays: so do the registration and the script, and the
    // message lists what stays and says so.
    run = CarryOut({{"file D:\\A\\B\\two.txt", RemoveFailed}, {"folder D:\\A\\B\\", RemoveFailed},
                    {"key HKCU Software\\V\\Tessaron", RemoveFailed}, {"group Tessaron", RemoveFailed},
                    {"shortcut", RemoveFailed}});
    EXPECT_EQ(removals, everything);
    EXPECT_EQ(run.outcome.failed, 5);
    EXPECT_TRUE(run.outcome.kept);
    EXPECT_EQ(run.message,
              "Tessaron has not been removed completely.\n"
              "\nThe following could not be removed.  Close any program that uses them and try again, or remove "
              "them yourself:\n\n"
              "D:\\A\\B\\two.txt\nD:\\A\\B\\\nHKEY_CURRENT_USER\\Software\\V\\Tessaron\nTessaron (program group)\n"
              "C:\\Startup\\Tessaron.LNK\n"
              "\nTessaron stays in the Add/Remove Software list, so that its removal can be run again.");

    // The registration that cannot be removed keeps the script.
    run = CarryOut({{"key HKLM SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron", RemoveFailed}});
    EXPECT_EQ(removals.size(), everything.size() + 1);
    EXPECT_TRUE(run.outcome.kept);
}

TEST(KelveyRemoval, RefusedLinesAreListedAndKeepTheRegistration)
{
    ASSERT_TRUE(Read("Other\r\n[FILE] C:\\Outside\\keep.txt\r\n[GROUP] Other\r\n"
                     "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\V\\Other\r\n"
                     "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other\r\n"
                     "[FILE] C:\\" + std::string(200, 'x') + "\r\n[GROUP] Oth"));
    // Another product's Start-up shortcut is not ours to remove.
    Removed run = CarryOut({});
    EXPECT_EQ(removals, (std::vector<std::string>{"key HKCU Software\\V\\Other", "group Other"}));
    EXPECT_TRUE(run.outcome.kept);
    EXPECT_EQ(run.outcome.failed, 0);
    EXPECT_EQ(run.message, "Other has not been removed completely.\n"
                           "\nThe following lines of the uninstallation data were left alone, because they are "
                           "damaged or name something that Other did not install:\n\n"
                           "[FILE] C:\\Outside\\keep.txt\n[FILE] C:\\" + std::string(86, 'x') + "...\n[GROUP] Oth\n"
                           "\nOther stays in the Add/Remove Software list, so that its removal can be run again.");

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
    for (size_t size : {size_t(0), size_t(1), size_t(5), size_t(100), size_t(200)}) {
        std::vector<char> failures(size + 1, '#');
        EXPECT_EQ(CarryOutUninstall(plan, "", FakeKelveyOps, failures.data(), size).failed, 40);
        EXPECT_EQ(failures[size], '#') << size;  // nothing written past the buffer
        if (size >= 5) {
            std::string text = failures.data();
            EXPECT_LT(text.size(), size);
            EXPECT_EQ(text.substr(text.size() - 4), "...\n") << size;
        }
    }
}

}  // namespace
