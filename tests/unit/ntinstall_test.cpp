// What the NT family adds to the installation and to help: the copy that
// loses the download mark and the read-only attribute, the help pages
// installed and listed for the uninstaller, their pages by help context,
// and the VirtualStore copies the uninstaller also removes.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app.h"
#include "fakedisk.h"
#include "helppages.h"
#include "install.h"
#include "uninstall.h"
#include "virtualstore.h"

namespace {

// A disk whose files have attributes and streams, copied along by a copy
// as NTFS copies them.
struct File {
    bool readOnly = false;
    std::set<std::string> streams;
};
std::map<std::string, File> files;
std::vector<std::string> warnings;
Platform sys;

const Platform &System() { return sys; }
void Windows(char *dir, size_t size) { snprintf(dir, size, "%s", "C:\\WINDOWS"); }
void Places(SystemPlaces *places) { DiskPlaces(places); }
void Source(char *dir, size_t size) { snprintf(dir, size, "%s", "D:\\"); }
bool Yes(const char *) { return true; }
bool Copy(const char *source, const char *dest)
{
    if (!files.count(source) || (files.count(dest) && files[dest].readOnly))
        return false;
    files[dest] = files[source];
    return true;
}
void Writable(const char *path) { files[path].readOnly = false; }
void Remove(const char *path)
{
    std::string p = path;
    size_t colon = p.find(':', 2);
    if (colon == std::string::npos)
        files.erase(p);
    else if (files.count(p.substr(0, colon)) && !files[p.substr(0, colon)].readOnly)
        files[p.substr(0, colon)].streams.erase(p.substr(colon + 1));
}
std::string script;
bool Script(const char *, const char *text, char *, size_t) { return script = text, true; }
bool NoFile(const char *, char *, size_t) { return false; }
bool No() { return false; }
void Register(const char *, const char *) {}
bool Startup(char *, size_t) { return false; }
void Shortcut(const char *, const char *, const char *) {}
void Warn(const char *text) { warnings.push_back(text); }

const InstallOps Ops = {System, Windows, Source,   &DiskOps, Places,  Yes,      Yes,     Remove, Copy,
                        Writable, Script, NoFile, No,     Register, Startup, Shortcut, Warn};

// The distribution on drive D:, as a downloaded zip on a CD gives it.
void Distribution(bool withPages = true)
{
    fs = FakeDisk();
    files.clear();
    warnings.clear();
    script.clear();
    File marked;
    marked.readOnly = true;
    marked.streams = {"Zone.Identifier", "Other"};
    for (const char *name : {"Tessaron.hl_", "Tessaron.ex_", "ReadMe.txt", "Tessaron.txt", "Kelvey.ex_"})
        files[std::string("D:\\") + name] = marked;
    for (int i = 0; withPages && i < HelpPageCount; i++)
        files[std::string("D:\\help\\") + HelpPages[i]] = marked;
}

TEST(NtInstall, CopiesLoseTheMarkAndReadOnlyOnNtOnly)
{
    for (bool nt : {false, true}) {
        sys = {nt, nt ? 6 : 4, nt ? 2 : 10, false};
        Distribution();
        ASSERT_TRUE(RunInstallSequence(Ops, "C:\\Tessaron")) << nt;
        const File &program = files["C:\\Tessaron\\Tessaron.exe"];
        EXPECT_EQ(program.readOnly, !nt);
        EXPECT_EQ(program.streams.count("Zone.Identifier"), nt ? 0u : 1u);
        EXPECT_EQ(program.streams.count("Other"), 1u);  // only the mark goes
        EXPECT_EQ(files.count("C:\\Tessaron\\help\\options.html"), nt ? 1u : 0u);
        EXPECT_EQ(files["C:\\WINDOWS\\Kelvey.exe"].readOnly, !nt);
        // Installed again over the first: read-only files would refuse the copy.
        EXPECT_EQ(RunInstallSequence(Ops, "C:\\Tessaron"), nt);
    }
    // 2000 and XP get the help pages too.
    for (int minor : {0, 1}) {
        sys = {true, 5, minor, false};
        Distribution();
        ASSERT_TRUE(RunInstallSequence(Ops, "C:\\Tessaron")) << minor;
        EXPECT_EQ(files.count("C:\\Tessaron\\help\\index.html"), 1u) << minor;
        EXPECT_NE(script.find("[EMPTY FOLDER] C:\\Tessaron\\help\\"), std::string::npos) << minor;
    }
    // A file without a mark, and a missing page, which stops with its name.
    sys = {true, 10, 0, false};
    Distribution(false);
    files["D:\\Tessaron.ex_"].streams.clear();
    EXPECT_FALSE(RunInstallSequence(Ops, "C:\\Tessaron"));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("(help\\index.html)"), std::string::npos) << warnings[0];
}

TEST(NtInstall, ScriptListsThePagesAndTheUninstallerTakesThem)
{
    for (const char *folder : {"C:\\Tessaron\\", "\\\\srv\\share\\T\\"}) {
        static char text[UninstallScriptSize];
        BuildUninstallScript(text, sizeof text, "C:\\WINDOWS", folder, true);
        std::string s = text, f = folder;
        EXPECT_NE(s.find("\r\n[FILE] " + f + "help\\toollocations.html\r\n"), std::string::npos) << s;
        EXPECT_EQ(s.substr(s.size() - 22 - f.size()), "[EMPTY FOLDER] " + f + "help\\\r\n");
        static UninstallPlan plan;
        ASSERT_TRUE(ReadUninstallScript(text, strlen(text), "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", &plan));
        EXPECT_EQ(plan.count, 16 + HelpPageCount + 1);
        EXPECT_EQ(plan.refusedCount, 0) << plan.refused;
    }
}

TEST(NtHelp, PagesByContext)
{
    const struct {
        const char *helpPath;
        int context;
        const char *page;
    } cases[] = {
        {"C:\\TESSARON\\TESSARON.HLP", 9000, "C:\\TESSARON\\help\\index.html"},
        {"C:\\TESSARON\\TESSARON.HLP", 2000, "C:\\TESSARON\\help\\options.html"},
        {"C:\\TESSARON\\TESSARON.HLP", 5000, "C:\\TESSARON\\help\\toollocations.html"},
        {"C:\\TESSARON\\TESSARON.HLP", 3, "C:\\TESSARON\\help\\maintenance.html"},
        {"C:\\TESSARON\\TESSARON.HLP", 103, "C:\\TESSARON\\help\\scandisk.html"},
        {"C:\\TESSARON\\TESSARON.HLP", 104, "C:\\TESSARON\\help\\defrag.html"},
        {"\\\\SRV\\SHARE\\TESSARON.HLP", 6000, "\\\\SRV\\SHARE\\help\\openpath.html"},
        {"TESSARON.HLP", 7, "help\\index.html"},
    };
    for (const auto &c : cases) {
        char page[64];
        EXPECT_TRUE(HelpPageFromHelpPath(c.helpPath, c.context, page, sizeof page));
        EXPECT_STREQ(page, c.page);
    }
    char small[20];
    EXPECT_FALSE(HelpPageFromHelpPath("C:\\TESSARON\\TESSARON.HLP", 2000, small, sizeof small));
    EXPECT_STREQ(small, "");
    EXPECT_FALSE(HelpOpensPages({true, 5, 1, false}));
    EXPECT_FALSE(HelpOpensPages({false, 4, 90, false}));
    EXPECT_TRUE(HelpOpensPages({true, 6, 0, false}));
}

TEST(NtUninstall, VirtualStoreCopies)
{
    const char *const local = "C:\\Users\\u\\AppData\\Local";
    const struct {
        const char *path, *windowsDir, *copy;
    } cases[] = {
        {"C:\\Windows\\TESSARON.INI", "C:\\WINDOWS", "C:\\Users\\u\\AppData\\Local\\VirtualStore\\Windows\\TESSARON.INI"},
        {"C:\\Tessaron.ini", "C:\\", "C:\\Users\\u\\AppData\\Local\\VirtualStore\\Tessaron.ini"},
        {"C:\\WINDOWSX\\Tessaron.ini", "C:\\WINDOWS", nullptr},
        {"C:\\Tessaron\\Tessaron.exe", "C:\\WINDOWS", nullptr},
        {"C:\\WINDOWS", "C:\\WINDOWS", nullptr},
        {"\\\\srv\\w\\Tessaron.ini", "\\\\srv\\w", nullptr},
    };
    for (const auto &c : cases) {
        char copy[128] = "";
        EXPECT_EQ(VirtualStoreCopy(c.path, c.windowsDir, local, copy, sizeof copy), c.copy != nullptr) << c.path;
        if (c.copy) {
            EXPECT_STREQ(copy, c.copy);
        }
    }
    char copy[128];
    EXPECT_FALSE(VirtualStoreCopy("C:\\WINDOWS\\a.ini", "C:\\WINDOWS", "", copy, sizeof copy));
}

}  // namespace
