#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "install.h"
#include "uninstall.h"

namespace {

UninstallPlan plan;

bool Read(const std::string &text)
{
    return ReadUninstallScript(text.data(), text.size(), &plan);
}

std::string Describe(const UninstallEntry &e)
{
    static const char *const kinds[] = {"file", "folder", "key", "group"};
    std::string s = kinds[e.kind];
    if (e.kind == KindRegistryKey)
        s += e.root == RootLocalMachine ? " HKLM" : " HKCU";
    return s + " " + e.text;
}

TEST(KelveyScript, ReadsWhatSetupWrites)
{
    // Every line setup writes is taken whole; for a folder of "\" (an empty
    // field) or "D:\" the root itself is left out, never removed.
    static const char *const words[] = {"[FILE] ", "[EMPTY FOLDER] ", "[REGISTRY KEY] ", "[GROUP] "};
    for (const char *folder : {"C:\\Tessaron\\", "\\", "D:\\"}) {
        static char script[UninstallScriptSize];
        BuildUninstallScript(script, sizeof script, "C:\\WINDOWS", folder);
        ASSERT_TRUE(Read(script)) << folder;
        std::string again = std::string(plan.product) + "\r\n";
        for (int i = 0; i < plan.count; i++) {
            const UninstallEntry &e = plan.entries[i];
            const char *root = e.kind != KindRegistryKey ? ""
                               : e.root == RootLocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
            again += words[e.kind] + std::string(root) + e.text + "\r\n";
        }
        std::string expected = script;
        if (strlen(folder) < 4)  // its [EMPTY FOLDER] line is left out
            expected.erase(expected.find("[EMPTY FOLDER]"), strlen("[EMPTY FOLDER] \r\n") + strlen(folder));
        EXPECT_EQ(again, expected) << folder;
    }
}

TEST(KelveyScript, WhichLinesAreTaken)
{
    const std::string longPath = "C:\\" + std::string(600, 'x');
    const struct {
        std::string line;
        const char *entry;  // nullptr: left out
    } cases[] = {
        {"[FILE] C:\\a.txt  \t", "file C:\\a.txt"},
        {"[FILE]   C:\\a b.txt", "file C:\\a b.txt"},
        {"[FILE] \\\\srv\\share\\a.txt", "file \\\\srv\\share\\a.txt"},
        {"[FILE] a.txt", nullptr},  // relative: depends on where we run
        {"[FILE] C:a.txt", nullptr},
        {"[FILE] C:\\*.*", nullptr},
        {"[FILE] ", nullptr},
        {"[FILE]C:\\a.txt", nullptr},
        {"[file] C:\\a.txt", nullptr},
        {"[FOLDER] C:\\a", nullptr},
        {"[FILE] " + longPath, nullptr},  // would have to be cut
        {"[EMPTY FOLDER] Apps", nullptr},
        // A root is nobody's folder to remove.
        {"[EMPTY FOLDER] \\\\", nullptr},
        {"[EMPTY FOLDER] \\\\srv\\share\\", nullptr},
        {"[EMPTY FOLDER] \\\\srv", nullptr},
        {"[EMPTY FOLDER] \\\\srv\\share\\Tessaron\\", "folder \\\\srv\\share\\Tessaron\\"},
        {"[EMPTY FOLDER] \\Tessaron\\", "folder \\Tessaron\\"},
        {"[EMPTY FOLDER] C:\\T", "folder C:\\T"},
        {"[FILE] \\srv\\share", "file \\srv\\share"},  // only folders are refused
        {"[REGISTRY KEY] hkey_local_machine\\SOFTWARE\\X\\Y", "key HKLM SOFTWARE\\X\\Y"},
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE", nullptr},
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\", nullptr},
        {"[REGISTRY KEY] HKEY_LOCAL_MACHINE", nullptr},
        {"[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\\\X", nullptr},
        {"[REGISTRY KEY] HKEY_CLASSES_ROOT\\CLSID\\X", nullptr},
        {"[GROUP] Tessaron Tools", "group Tessaron Tools"},
        {"[GROUP] ..", nullptr},
        {"[GROUP] ..\\..\\Desktop", nullptr},
        {"[GROUP] C:", nullptr},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(Read("Tessaron\r\n" + c.line + "\r\n")) << c.line;
        if (c.entry == nullptr) {
            EXPECT_EQ(plan.count, 0) << c.line;
        } else {
            ASSERT_EQ(plan.count, 1) << c.line;
            EXPECT_EQ(Describe(plan.entries[0]), c.entry);
        }
    }
}

TEST(KelveyScript, TextFileRules)
{
    const struct {
        std::string text;
        bool readable;
        const char *product;
        int count;
    } cases[] = {
        {"", false, "", 0},
        {"\r\n[FILE] C:\\a", false, "", 0},
        {"Tessaron \r\n", true, "Tessaron", 0},
        {"Tessaron\n[FILE] C:\\a\n[FILE] C:\\b", true, "Tessaron", 2},  // LF only, no last line end
        {"Tessaron\r\n[FILE] C:\\a\r\n\x1a[FILE] C:\\b\r\n", true, "Tessaron", 1},
        {std::string("Tessaron\r\n[FILE] C:\\a\r\n\0[FILE] C:\\b\r\n", 36), true, "Tessaron", 1},
        {"Tessaron\r\n\r\n\r\n[FILE] C:\\a\r\n", true, "Tessaron", 1},
        {"Tessaron\r\n[FILE] C:\\" + std::string(3000, 'x') + "\r\n[FILE] C:\\b\r\n", true, "Tessaron", 1},
        {std::string(3000, 'T') + "\r\n[FILE] C:\\a\r\n", true, nullptr, 1},  // the name is cut
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Read(c.text), c.readable) << c.text.substr(0, 40);
        if (c.product != nullptr) {
            EXPECT_STREQ(plan.product, c.product);
        }
        EXPECT_EQ(plan.count, c.count) << c.text.substr(0, 40);
    }

    std::string many = "Tessaron\r\n";
    for (int i = 0; i < MaxUninstallEntries + 10; i++)
        many += "[FILE] C:\\f" + std::to_string(i) + "\r\n";
    ASSERT_TRUE(Read(many));
    EXPECT_EQ(plan.count, MaxUninstallEntries);
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

TEST(KelveyRemoval, OrderAndReport)
{
    ASSERT_TRUE(Read("Tessaron\r\n"
                     "[GROUP] Tessaron\r\n"
                     "[EMPTY FOLDER] D:\\A\\\r\n"
                     "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\X\r\n"
                     "[FILE] D:\\A\\one.txt\r\n"
                     "[EMPTY FOLDER] D:\\A\\B\\C\\\r\n"
                     "[EMPTY FOLDER] D:\\A\\B\\\r\n"
                     "[FILE] D:\\A\\B\\two.txt\r\n"));
    removals.clear();
    outcome = {{"file D:\\A\\one.txt", RemoveAbsent}, {"file D:\\A\\B\\two.txt", RemoveFailed},
               {"folder D:\\A\\B\\", RemoveFailed},      {"key HKCU Software\\X", RemoveFailed},
               {"group Tessaron", RemoveFailed},         {"shortcut", RemoveFailed}};
    char failures[1024];
    int failed = CarryOutUninstall(plan, FakeKelveyOps, failures, sizeof failures);
    EXPECT_EQ(removals, (std::vector<std::string>{
                            "file D:\\A\\one.txt", "file D:\\A\\B\\two.txt",
                            "folder D:\\A\\B\\C\\", "folder D:\\A\\B\\", "folder D:\\A\\",
                            "key HKCU Software\\X", "group Tessaron", "shortcut"}));
    EXPECT_EQ(failed, 5);
    EXPECT_STREQ(failures, "D:\\A\\B\\two.txt\nD:\\A\\B\\\nHKEY_CURRENT_USER\\Software\\X\n"
                           "Tessaron (program group)\nC:\\Startup\\Tessaron.LNK\n");

    char message[2048];
    FormatOutcome(message, sizeof message, plan.product, failed, failures);
    EXPECT_EQ(std::string(message), "Tessaron has been removed from your computer, except for the following, which "
                                    "could not be removed:\n\n" +
                                        std::string(failures) + "\nYou may remove them yourself.");
}

TEST(KelveyRemoval, AllGoneAndOtherProducts)
{
    ASSERT_TRUE(Read("Tessaron\r\n[FILE] C:\\a\r\n"));
    removals.clear();
    outcome.clear();
    char failures[64];
    EXPECT_EQ(CarryOutUninstall(plan, FakeKelveyOps, failures, sizeof failures), 0);
    EXPECT_EQ(removals, (std::vector<std::string>{"file C:\\a", "shortcut"}));
    EXPECT_STREQ(failures, "");
    char message[256];
    FormatOutcome(message, sizeof message, "Tessaron", 0, failures);
    EXPECT_STREQ(message, "Tessaron has been removed from your computer.");
    FormatConfirmation(message, sizeof message, "Tessaron");
    EXPECT_STREQ(message, "Are you sure you want to remove Tessaron and all of its components from your computer?");

    // Tessaron's Start-up shortcut is not another product's to remove.
    ASSERT_TRUE(Read("Other\r\n[FILE] C:\\a\r\n"));
    removals.clear();
    EXPECT_EQ(CarryOutUninstall(plan, FakeKelveyOps, failures, sizeof failures), 0);
    EXPECT_EQ(removals, (std::vector<std::string>{"file C:\\a"}));
}

TEST(KelveyRemoval, LongFailureListIsCutWithAMark)
{
    std::string script = "Other\r\n";
    for (int i = 0; i < 40; i++)
        script += "[FILE] C:\\folder\\file" + std::to_string(i) + ".txt\r\n";
    ASSERT_TRUE(Read(script));
    removals.clear();
    outcome.clear();
    for (int i = 0; i < 40; i++)
        outcome["file C:\\folder\\file" + std::to_string(i) + ".txt"] = RemoveFailed;
    for (size_t size : {size_t(0), size_t(1), size_t(5), size_t(100), size_t(200)}) {
        std::vector<char> failures(size + 1, '#');
        EXPECT_EQ(CarryOutUninstall(plan, FakeKelveyOps, failures.data(), size), 40);
        EXPECT_EQ(failures[size], '#') << size;  // nothing written past the buffer
        if (size >= 5) {
            std::string text = failures.data();
            EXPECT_LT(text.size(), size);
            EXPECT_EQ(text.substr(text.size() - 4), "...\n") << size;
        }
    }
}

}  // namespace
