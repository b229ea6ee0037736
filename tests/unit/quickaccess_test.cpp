#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "quickaccess.h"
#include "scratch.h"

namespace {

struct Entry {
    std::string text;  // up to the first NUL, as a menu would see it
    size_t length;
};

bool Collect(void *context, const char *text, size_t length)
{
    EXPECT_EQ(text[length], '\0');
    static_cast<std::vector<Entry> *>(context)->push_back({text, length});
    return true;
}

// Reads bytes through a real stream, as the program reads its file.
long ReadBytes(const std::string &bytes, std::vector<Entry> *entries,
               long maxEntries = QuickAccessMaxEntries)
{
    FILE *file = tmpfile();
    EXPECT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    rewind(file);
    long count = ReadQuickAccessEntries(file, maxEntries, Collect, entries);
    fclose(file);
    return count;
}

std::string Chars(size_t n, char c = 'a') { return std::string(n, c); }

TEST(ReadQuickAccessEntries, TextRules)
{
    std::string crEvery;  // 2047 characters with a CR after each
    for (int i = 0; i < 2047; i++)
        crEvery += "a\r";
    const struct {
        const char *name;
        std::string bytes;
        std::vector<std::string> expected;
    } cases[] = {
        {"three lines", "C:\\\r\nD:\\Data\r\nE:\\My Files\r\n", {"C:\\", "D:\\Data", "E:\\My Files"}},
        {"empty file", "", {}},
        {"a lone line end", "\r\n", {""}},
        {"a last line without line end", "C:\\\r\nD:\\", {"C:\\", "D:\\"}},
        {"3000 characters", Chars(3000) + "\r\n", {Chars(2047), Chars(953)}},
        {"exactly 2047 characters", Chars(2047) + "\r\n", {Chars(2047), ""}},
        {"2046 characters fit one piece", Chars(2046) + "\r\n", {Chars(2046)}},
        {"2047 characters at the end of file", Chars(2047), {Chars(2047)}},
        {"Ctrl-Z in the middle", "C:\\\r\nD:\\\x1A" "E:\\\r\n", {"C:\\", "D:\\"}},
        {"Ctrl-Z first", "\x1A" "C:\\\r\n", {}},
        {"LF-only lines", "C:\\\nD:\\\n", {"C:\\", "D:\\"}},
        {"empty lines are entries", "\n\r\nC:\\\n", {"", "", "C:\\"}},
        {"CR in the middle", "C:\\Da\rta\r\n", {"C:\\Data"}},
        {"CRs alone are nothing", "\r\r\r", {}},
        {"CRs do not count towards a piece", crEvery + "\n", {Chars(2047), ""}},
        {"blanks kept", " C:\\A B \r\n", {" C:\\A B "}},
    };
    for (const auto &c : cases) {
        std::vector<Entry> entries;
        EXPECT_EQ(ReadBytes(c.bytes, &entries), (long)c.expected.size()) << c.name;
        std::vector<std::string> texts;
        for (const Entry &e : entries)
            texts.push_back(e.text);
        EXPECT_EQ(texts, c.expected) << c.name;
    }
}

TEST(ReadQuickAccessEntries, NulLimitSinkAndReadError)
{
    // A NUL inside keeps its place but makes the entry unusable.
    std::vector<Entry> entries;
    EXPECT_EQ(ReadBytes(std::string("C:\\\r\nD:\\a\0b\r\nE:\\\r\n", 16), &entries), 3);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].length, 6u);
    EXPECT_EQ(entries[1].text, "D:\\a");
    EXPECT_TRUE(QuickAccessEntryUsable("C:\\", 3));
    EXPECT_TRUE(QuickAccessEntryUsable("", 0));
    EXPECT_FALSE(QuickAccessEntryUsable("D:\\a\0b", 6));

    entries.clear();
    EXPECT_EQ(ReadBytes("a\nb\nc\nd\n", &entries, 3), 3);
    EXPECT_EQ(entries.size(), 3u);

    // A sink that refuses stops the reading; that entry is not counted.
    int calls = 0;
    FILE *file = tmpfile();
    fputs("a\nb\nc\n", file);
    rewind(file);
    auto refuseSecond = [](void *context, const char *, size_t) { return ++*static_cast<int *>(context) < 2; };
    EXPECT_EQ(ReadQuickAccessEntries(file, QuickAccessMaxEntries, refuseSecond, &calls), 1);
    EXPECT_EQ(calls, 2);
    fclose(file);

    // Linux opens a directory as a stream but fails the first read.
    file = fopen("/", "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadQuickAccessEntries(file, QuickAccessMaxEntries, Collect, &entries), -1);
    fclose(file);
}

TEST(QuickAccessPath, FileNameAndWhatCanBeStored)
{
    char out[512];
    EXPECT_TRUE(QuickAccessFilePath("C:\\WINDOWS", out, sizeof out));
    EXPECT_STREQ(out, "C:\\WINDOWS\\TESSARON.QAL");
    EXPECT_FALSE(QuickAccessFilePath("C:\\WINDOWS", out, 23));  // one short of the terminator

    const struct {
        std::string path;
        bool storable;
    } cases[] = {
        {"C:\\", true}, {" ", true}, {Chars(2046), true}, {Chars(2047), false}, {"", false},
        {"C:\\\nD:\\", false}, {"C:\\\r", false}, {"C:\\\x1A", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QuickAccessPathStorable(c.path.c_str()), c.storable) << c.path.size();
}

std::vector<long> cuts;

bool Cut(const char *path, long size)
{
    cuts.push_back(size);
    return truncate(path, size) == 0;
}

class AppendTest : public ScratchDir {
protected:
    AppendTest() : ScratchDir("TESSARON.QAL") { cuts.clear(); }
    void Write(const std::string &bytes) { WriteFile(path, bytes); }
    std::string Bytes() { return ReadFile(path); }
};

TEST_F(AppendTest, WritesTheTextAndCrLfApartFromTheLastEntry)
{
    const struct {
        std::string before, path, after;
    } cases[] = {
        {"", " D:\\My Files ", " D:\\My Files \r\n"},  // exactly as typed, blanks included
        {"C:\\\r\n", "E:\\", "C:\\\r\nE:\\\r\n"},
        {"C:\\", "E:\\", "C:\\\r\nE:\\\r\n"},              // last line without line end
        {"C:\\\r\n\x1A", "E:\\", "C:\\\r\nE:\\\r\n"},      // trailing Ctrl-Z dropped
        {"C:\\\x1A\x1A", "E:\\", "C:\\\r\nE:\\\r\n"},
        {"C:\\\n", "E:\\", "C:\\\nE:\\\r\n"},
        // A full last piece is already an entry of its own: no break, or
        // an empty entry would appear.
        {Chars(2047), "E:\\", Chars(2047) + "E:\\\r\n"},
        {Chars(2048), "E:\\", Chars(2048) + "\r\nE:\\\r\n"},
        {"", Chars(2046), Chars(2046) + "\r\n"},  // the longest comes back as one entry
    };
    for (const auto &c : cases) {
        Write(c.before);
        EXPECT_TRUE(AppendQuickAccessLine(path.c_str(), c.path.c_str(), Cut));
        EXPECT_EQ(Bytes(), c.after);
    }
    std::vector<Entry> entries;
    EXPECT_EQ(ReadBytes(Bytes(), &entries), 1);

    // A path that cannot be one line leaves the file alone, or missing.
    unlink(path.c_str());
    EXPECT_FALSE(AppendQuickAccessLine(path.c_str(), "C:\\\r\nD:\\", Cut));
    EXPECT_EQ(Bytes(), "<missing>");
    // A missing list is made.
    EXPECT_TRUE(AppendQuickAccessLine(path.c_str(), "E:\\", Cut));
    EXPECT_EQ(Bytes(), "E:\\\r\n");
    Write("C:\\\r\n");
    EXPECT_FALSE(AppendQuickAccessLine(path.c_str(), "", Cut));
    EXPECT_EQ(Bytes(), "C:\\\r\n");
}

TEST_F(AppendTest, FailedAppendReportsAndTakesBackAnyPart)
{
    // The folder is missing: nothing can be created.
    std::string missing = dir + "/no/TESSARON.QAL";
    EXPECT_FALSE(AppendQuickAccessLine(missing.c_str(), "C:\\", Cut));
    EXPECT_TRUE(cuts.empty());

    // A file size limit lets part of the line reach the disk, then fails the
    // write: the part is cut off again.
    Write("C:\\\r\n");
    EXPECT_FALSE(WithFileSizeLimit(12, [&] { return AppendQuickAccessLine(path.c_str(), "D:\\A long folder", Cut); }));
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_EQ(cuts[0], 5);
    EXPECT_EQ(Bytes(), "C:\\\r\n");
    // A missing or empty list is cut back to nothing.
    for (bool missingList : {true, false}) {
        unlink(path.c_str());
        if (!missingList)
            Write("");
        cuts.clear();
        EXPECT_FALSE(WithFileSizeLimit(3, [&] { return AppendQuickAccessLine(path.c_str(), "D:\\A long folder", Cut); }));
        ASSERT_EQ(cuts.size(), 1u);
        EXPECT_EQ(cuts[0], 0);
        EXPECT_EQ(Bytes(), "");
    }

    // A list that can be written but not read is not taken for a missing
    // one: the same failed write once cut it to nothing.  A root runner
    // takes another user's identity for the while.
    Write("C:\\\r\nD:\\\r\n");
    cuts.clear();
    chmod(dir.c_str(), 0711);
    chmod(path.c_str(), 0222);
    bool root = geteuid() == 0;
    ASSERT_TRUE(!root || seteuid(65534) == 0);
    EXPECT_EQ(fopen(path.c_str(), "rb"), nullptr);
    bool appended = WithFileSizeLimit(12, [&] { return AppendQuickAccessLine(path.c_str(), "E:\\A long folder", Cut); });
    ASSERT_TRUE(!root || seteuid(0) == 0);
    chmod(path.c_str(), 0644);
    EXPECT_FALSE(appended);
    EXPECT_TRUE(cuts.empty());
    EXPECT_EQ(Bytes(), "C:\\\r\nD:\\\r\n");
}

}  // namespace

TEST(QuickAccessMenuText, AmpersandsShowAsThemselves)
{
    const struct {
        const char *entry, *menu;
    } cases[] = {
        {"C:\\Tom & Jerry", "C:\\Tom && Jerry"},
        {"D:\\Q&A 2024", "D:\\Q&&A 2024"},
        {"&&&", "&&&&&&"},
        {"C:\\plain", "C:\\plain"},
        {"", ""},
    };
    for (const auto &c : cases) {
        char menu[QuickAccessMenuTextSize], entry[QuickAccessPieceSize];
        ASSERT_TRUE(QuickAccessMenuText(c.entry, menu, sizeof menu)) << c.entry;
        EXPECT_STREQ(menu, c.menu);
        ASSERT_TRUE(QuickAccessEntryFromMenuText(menu, entry, sizeof entry)) << c.entry;
        EXPECT_STREQ(entry, c.entry);
    }
    // The longest entry, all "&", fits its menu text and comes back whole.
    std::string longest(QuickAccessPieceSize - 1, '&');
    static char menu[QuickAccessMenuTextSize], entry[QuickAccessPieceSize];
    ASSERT_TRUE(QuickAccessMenuText(longest.c_str(), menu, sizeof menu));
    EXPECT_EQ(strlen(menu), (size_t)QuickAccessMenuTextSize - 1);
    ASSERT_TRUE(QuickAccessEntryFromMenuText(menu, entry, sizeof entry));
    EXPECT_EQ(entry, longest);
    char small[4];
    EXPECT_FALSE(QuickAccessMenuText("a&b", small, sizeof small));  // never cut
    EXPECT_STREQ(small, "");
}
