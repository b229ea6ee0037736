// The path rules setup and the uninstaller share: double-byte characters,
// canonical paths, system places by identity, links.
#include <gtest/gtest.h>

#include <string>

#include "fakedisk.h"
#include "pathrules.h"

namespace {

bool Lead932(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

TEST(PathRules, DoubleByteCharactersAndSingleByteOnes)
{
    // "\x83\x5c" is a katakana letter whose second byte is a backslash's,
    // "\x83\x7c" one whose second byte is a bar's, "\x83\x41" and "\x83\x61"
    // two letters that differ in a byte that looks like a letter's case.
    const struct {
        const char *in, *collapsed932, *collapsed1252;
        bool ends932, ends1252;
        int last932, last1252;  // offset of the last backslash
    } cases[] = {
        {"C:\\\x83\x5c\\", "C:\\\x83\x5c\\", "C:\\\x83\x5c", true, true, 5, 5},
        {"C:\\\x83\x5c", "C:\\\x83\x5c", "C:\\\x83\x5c", false, true, 2, 4},
        {"C:\\\x95\x5c\\\\\\x", "C:\\\x95\x5c\\\\x", "C:\\\x95\\\\x", false, false, 7, 7},
        {"\\\\\x83\x5c\\\\s", "\\\x83\x5c\\s", "\\\x83\\\\s", false, false, 5, 5},
        {"a\\\\\\b", "a\\\\b", "a\\\\b", false, false, 3, 3},
        {"\x83", "\x83", "\x83", false, false, -1, -1},
    };
    for (const auto &c : cases) {
        for (bool dbcs : {true, false}) {
            UseLeadByteTest(dbcs ? Lead932 : nullptr);
            char text[32];
            snprintf(text, sizeof text, "%s", c.in);
            EXPECT_EQ(EndsWithBackslash(text), dbcs ? c.ends932 : c.ends1252) << c.in << dbcs;
            const char *last = FindLastBackslash(text);
            EXPECT_EQ(last ? (int)(last - text) : -1, dbcs ? c.last932 : c.last1252) << c.in << dbcs;
            CollapseBackslashes(text);
            EXPECT_STREQ(text, dbcs ? c.collapsed932 : c.collapsed1252) << c.in << dbcs;
        }
    }
    UseLeadByteTest(Lead932);
    EXPECT_TRUE(IsPlainName("\x83\x7c", 2));
    EXPECT_TRUE(IsAbsolutePath("C:\\\x83\x5c\\\x83\x7c\\", true));
    EXPECT_FALSE(SameNoCase("\x83\x41", 2, "\x83\x61", 2));
    EXPECT_TRUE(EqualsNoCase("C:\\\x83\x41", "c:\\\x83\x41"));
    EXPECT_FALSE(IsSameOrAbove("C:\\\x83", "C:\\\x83\x5cx"));  // a second byte is no separator
    EXPECT_TRUE(IsSameOrAbove("C:\\\x83\x5c\\", "C:\\\x83\x5c\\x"));
    // A folder whose last byte is a backslash's has no trailing backslash to drop.
    EXPECT_EQ(JudgeFolderSpelling("C:\\\x83\x5c", "C:\\\x83\x5c", "C:\\\x83\x5c\\SYSTEM"), FolderSystemPlace);
    UseLeadByteTest(nullptr);
    EXPECT_FALSE(IsPlainName("\x83\x7c", 2));
    EXPECT_TRUE(SameNoCase("\x83\x41", 2, "\x83\x61", 2));
    EXPECT_TRUE(IsSameOrAbove("C:\\\x83", "C:\\\x83\x5cx"));
}

// Windows in C:\Windows, its 32-bit system folder SysWOW64 beside System32
// (which a 32-bit program reaches as Sysnative), and other spellings of
// them: drive Z: (the Unix root under Wine), the administrative share, a
// subst drive, a short name and a junction.
void Machine(bool nt)
{
    fs = FakeDisk();
    fs.nt = nt;
    fs.current = "D:\\Work\\";
    for (const char *folder : {"C:\\Windows\\System32", "C:\\Windows\\SysWOW64", "C:\\Windows\\System32\\Drivers",
                               "C:\\Tessaron", "D:\\Apps", "D:\\Work"})
        fs.AddTree(folder);
    fs.AddTree("C:\\Windows\\win.ini", false);
    fs.Add("C:\\Junction", true, "C:\\Windows");
    fs.Spell("Z:\\wine\\drive_c", "C:");
    fs.Spell("\\\\localhost\\c$", "C:");
    fs.Spell("S:", "C:\\Windows");
    fs.Spell("C:\\WINDOW~1", "C:\\Windows", true);
    fs.Spell("C:\\Windows\\Sysnative", "C:\\Windows\\System32");
    fs.Add("D:\\Names?");  // a name the code page cannot show comes back with a "?"
    fs.Spell("D:\\NAMES~1", "D:\\Names?", true);
    fs.AddTree("Z:\\wine\\drive_c");
}

void Places(SystemPlaces *places)
{
    // SysWOW64 last: no other place stands for it.
    static const char *const others[] = {"C:\\Windows\\Sysnative", "C:\\", "D:\\", "S:\\", "C:\\Windows\\SysWOW64"};
    FindSystemPlaces(DiskOps, "C:\\Windows", "C:\\Windows\\System32", others, 5, places);
}

TEST(PathRules, SystemPlacesByEverySpelling)
{
    const struct {
        const char *typed, *canonical;
        FolderVerdict nt, nine;  // the NT family, by identity; 95, 98 and ME by spelling alone
    } cases[] = {
        {"C:\\windows", "C:\\Windows", FolderSystemPlace, FolderSystemPlace},
        {"C:\\windows.\\", "C:\\Windows\\", FolderSystemPlace, FolderSystemPlace},
        {"C:\\WINDOW~1", "C:\\Windows", FolderSystemPlace, FolderSystemPlace},
        {"C:\\Windows\\system32\\..", "C:\\Windows", FolderSystemPlace, FolderSystemPlace},
        {"Z:\\wine\\drive_c\\WINDOWS", "Z:\\wine\\drive_c\\Windows", FolderSystemPlace, FolderUsable},
        {"Z:\\wine\\drive_c", "Z:\\wine\\drive_c", FolderSystemPlace, FolderUsable},
        {"\\\\localhost\\c$\\windows\\system32", "\\\\localhost\\c$\\Windows\\System32", FolderSystemPlace, FolderUsable},
        {"\\\\localhost\\c$", "\\\\localhost\\c$", FolderSystemPlace, FolderSystemPlace},
        {"S:\\", "S:\\", FolderSystemPlace, FolderSystemPlace},
        {"S:\\SysWOW64", "S:\\SysWOW64", FolderSystemPlace, FolderUsable},
        {"C:\\Windows\\Sysnative", "C:\\Windows\\Sysnative", FolderSystemPlace, FolderUsable},
        {"C:\\Junction", "C:\\Junction", FolderSystemPlace, FolderUsable},
        {"C:\\Windows\\Tessaron", "C:\\Windows\\Tessaron", FolderUsable, FolderUsable},
        {"Z:\\wine\\drive_c\\Tessaron", "Z:\\wine\\drive_c\\Tessaron", FolderUsable, FolderUsable},
        {"c:\\tessaron\\", "c:\\Tessaron\\", FolderUsable, FolderUsable},
        {"Apps\\..\\..\\Apps", "D:\\Apps", FolderUsable, FolderUsable},
        {"D:\\Apps\\New\\Sub", "D:\\Apps\\New\\Sub", FolderUsable, FolderUsable},
        {"D:\\NAMES~1", "D:\\NAMES~1", FolderUsable, FolderUsable},  // no stored name to go on
        // A wildcard is never looked up; nor is a name after one that is
        // not found (Sysnative is no folder of its own).
        {"C:\\Windows\\*", "C:\\Windows\\*", FolderNotAPath, FolderNotAPath},
        {"C:\\windows\\sysnative\\drivers", "C:\\Windows\\sysnative\\drivers", FolderUsable, FolderUsable},
        // Above a system folder only by another drive's spelling: not told.
        {"Z:\\wine", "Z:\\wine", FolderUsable, FolderUsable},
    };
    for (bool nt : {true, false}) {
        Machine(nt);
        static SystemPlaces places;
        Places(&places);
        for (const auto &c : cases) {
            char canonical[PathNameSize];
            ASSERT_TRUE(CanonicalPath(DiskOps, c.typed, canonical, sizeof canonical)) << c.typed;
            EXPECT_STREQ(canonical, c.canonical) << c.typed;
            EXPECT_EQ(JudgeProductFolder(DiskOps, canonical, places), nt ? c.nt : c.nine) << c.typed << " nt " << nt;
        }
    }
    // Where the Windows folder is unknown, no folder is safe; a place that
    // does not exist is no place.
    static SystemPlaces places;
    FindSystemPlaces(DiskOps, "", "C:\\Windows\\System32", nullptr, 0, &places);
    EXPECT_EQ(JudgeProductFolder(DiskOps, "D:\\Apps", places), FolderSystemPlace);
    FindSystemPlaces(DiskOps, "C:\\Windows", "", nullptr, 0, &places);
    EXPECT_EQ(JudgeProductFolder(DiskOps, "D:\\Apps", places), FolderSystemPlace);
    // The folders above a place count by identity too, not only the roots.
    Machine(true);
    FindSystemPlaces(DiskOps, "C:\\Windows\\SysWOW64", "C:\\Windows\\SysWOW64", nullptr, 0, &places);
    EXPECT_EQ(JudgeProductFolder(DiskOps, "\\\\localhost\\c$\\Windows", places), FolderSystemPlace);
    EXPECT_EQ(JudgeProductFolder(DiskOps, "Z:\\wine\\drive_c", places), FolderSystemPlace);  // the root, "C:\\"
    const char *const missing[] = {"C:\\Windows\\Nothing"};
    FindSystemPlaces(DiskOps, "C:\\Windows", "C:\\Windows\\System32", missing, 1, &places);
    EXPECT_EQ(JudgeProductFolder(DiskOps, "C:\\Windows\\Nothing", places), FolderUsable);
    char out[8];
    EXPECT_FALSE(CanonicalPath(DiskOps, "C:\\Windows\\System32", out, sizeof out));
    fs.resolves = false;
    EXPECT_FALSE(CanonicalPath(DiskOps, "C:\\Windows", out, sizeof out));
}

TEST(PathRules, PathsThroughLinks)
{
    fs = FakeDisk();
    fs.AddTree("C:\\Other\\index.html", false);
    fs.AddTree("C:\\Else");
    fs.AddTree("C:\\T\\Tessaron.exe", false);
    fs.Add("C:\\T\\help", true, "C:\\Other");
    fs.Add("C:\\T\\ReadMe.txt", false, "C:\\Other\\index.html");
    fs.Add("C:\\Linked", true, "C:\\Else");
    const struct {
        const char *path, *base, *linked;  // linked: null for no link
    } cases[] = {
        {"C:\\T\\help\\index.html", "C:\\T\\", "C:\\T\\help"},
        {"C:\\T\\help\\", "C:\\T", "C:\\T\\help"},
        {"C:\\T\\ReadMe.txt", "C:\\T", "C:\\T\\ReadMe.txt"},
        {"C:\\T\\Tessaron.exe", "C:\\T", nullptr},
        {"C:\\T\\New\\x", "C:\\T", nullptr},
        {"C:\\Linked\\x", "C:\\Linked", "C:\\Linked"},
        {"C:\\Linked\\T\\x", "C:\\Linked\\T", nullptr},  // above the base is not its rule's
        {"C:\\Linked", "C:\\T", "C:\\Linked"},            // outside the base: itself
        {"C:\\Linked\\sub\\x", "C:\\T", nullptr},        // and only itself
        {"C:\\Other\\index.html", "C:\\T", nullptr},
    };
    for (const auto &c : cases) {
        char linked[PathNameSize] = "";
        EXPECT_EQ(PassesThroughLink(DiskOps, c.path, c.base, linked, sizeof linked), c.linked != nullptr) << c.path;
        EXPECT_STREQ(linked, c.linked ? c.linked : "") << c.path;
    }
    EXPECT_TRUE(PassesThroughLink(DiskOps, ("C:\\T\\" + std::string(600, 'x')).c_str(), "C:\\T"));
}

}  // namespace
