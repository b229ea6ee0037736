#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "quickaccess.h"

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

struct ReadCase {
    const char *name;
    std::string bytes;
    std::vector<std::string> expected;
};

TEST(ReadQuickAccessEntries, TextRules)
{
    std::string crEvery;  // 2047 characters with a CR after each
    for (int i = 0; i < 2047; i++)
        crEvery += "a\r";
    const ReadCase cases[] = {
        {"three lines", "C:\\\r\nD:\\Data\r\nE:\\My Files\r\n", {"C:\\", "D:\\Data", "E:\\My Files"}},
        {"empty file", "", {}},
        {"a lone line end", "\r\n", {""}},
        {"a last line without line end", "C:\\\r\nD:\\", {"C:\\", "D:\\"}},
        {"3000 characters", Chars(3000) + "\r\n", {Chars(2047), Chars(953)}},
        {"exactly 2047 characters", Chars(2047) + "\r\n", {Chars(2047), ""}},
        {"2046 characters fit one piece", Chars(2046) + "\r\n", {Chars(2046)}},
        {"2047 characters at the end of file", Chars(2047), {Chars(2047)}},
        {"Ctrl-Z in the middle", "C:\\\r\nD:\\\x1A" "E:\\\r\n", {"C:\\", "D:\\"}},
        {"Ctrl-Z after a line end", "C:\\\r\n\x1A\r\n", {"C:\\"}},
        {"Ctrl-Z first", "\x1A" "C:\\\r\n", {}},
        {"LF-only lines", "C:\\\nD:\\\n", {"C:\\", "D:\\"}},
        {"empty lines are entries", "\n\r\nC:\\\n", {"", "", "C:\\"}},
        {"CR in the middle", "C:\\Da\rta\r\n", {"C:\\Data"}},
        {"CRs alone are nothing", "\r\r\r", {}},
        {"CRs do not count towards a piece", crEvery + "\n", {Chars(2047), ""}},
        {"blanks kept", " C:\\A B \r\n", {" C:\\A B "}},
    };
    for (const ReadCase &c : cases) {
        std::vector<Entry> entries;
        EXPECT_EQ(ReadBytes(c.bytes, &entries), (long)c.expected.size()) << c.name;
        std::vector<std::string> texts;
        for (const Entry &e : entries)
            texts.push_back(e.text);
        EXPECT_EQ(texts, c.expected) << c.name;
    }
}

TEST(ReadQuickAccessEntries, NulInsideKeepsItsPlaceButIsNotUsable)
{
    std::vector<Entry> entries;
    EXPECT_EQ(ReadBytes(std::string("C:\\\r\nD:\\a\0b\r\nE:\\\r\n", 16), &entries), 3);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].length, 6u);
    EXPECT_EQ(entries[1].text, "D:\\a");
    EXPECT_TRUE(QuickAccessEntryUsable("C:\\", 3));
    EXPECT_FALSE(QuickAccessEntryUsable("D:\\a\0b", 6));
    EXPECT_TRUE(QuickAccessEntryUsable("", 0));
}

TEST(ReadQuickAccessEntries, StopsAtTheLimitAndWhenTheSinkRefuses)
{
    std::vector<Entry> entries;
    EXPECT_EQ(ReadBytes("a\nb\nc\nd\n", &entries, 3), 3);
    EXPECT_EQ(entries.size(), 3u);

    struct Refuser {
        int calls = 0;
    } refuser;
    FILE *file = tmpfile();
    fputs("a\nb\nc\n", file);
    rewind(file);
    long count = ReadQuickAccessEntries(
        file, QuickAccessMaxEntries,
        [](void *context, const char *, size_t) {
            return ++static_cast<Refuser *>(context)->calls < 2;
        },
        &refuser);
    fclose(file);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(refuser.calls, 2);
}

TEST(ReadQuickAccessEntries, ReadErrorIsReported)
{
    // Linux opens a directory as a stream but fails the first read.
    FILE *file = fopen("/", "rb");
    ASSERT_NE(file, nullptr);
    std::vector<Entry> entries;
    EXPECT_EQ(ReadQuickAccessEntries(file, QuickAccessMaxEntries, Collect, &entries), -1);
    fclose(file);
}

TEST(QuickAccessFilePath, FollowsTheWindowsDirectoryRule)
{
    struct {
        const char *dir;
        size_t size;
        const char *expected;
        bool ok;
    } cases[] = {
        {"C:\\WINDOWS", 512, "C:\\WINDOWS\\TESSARON.QAL", true},
        {"C:\\", 512, "C:\\TESSARON.QAL", true},
        {"", 512, "", false},
        {"C:\\WINDOWS", 23, "", false},  // one short of the terminator
        {"C:\\WINDOWS", 24, "C:\\WINDOWS\\TESSARON.QAL", true},
    };
    for (const auto &c : cases) {
        char out[512] = "junk";
        EXPECT_EQ(QuickAccessFilePath(c.dir, out, c.size), c.ok) << c.dir;
        EXPECT_STREQ(out, c.expected) << c.dir;
    }
}

TEST(QuickAccessPathStorable, RefusesWhatCannotBeOneLine)
{
    EXPECT_TRUE(QuickAccessPathStorable("C:\\"));
    EXPECT_TRUE(QuickAccessPathStorable(" "));
    EXPECT_TRUE(QuickAccessPathStorable(Chars(2046).c_str()));
    EXPECT_FALSE(QuickAccessPathStorable(Chars(2047).c_str()));
    EXPECT_FALSE(QuickAccessPathStorable(""));
    EXPECT_FALSE(QuickAccessPathStorable("C:\\\nD:\\"));
    EXPECT_FALSE(QuickAccessPathStorable("C:\\\r"));
    EXPECT_FALSE(QuickAccessPathStorable("C:\\\x1A"));
}

// A scratch directory with the list file in it.
class AppendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/qaltestXXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        dir = templ;
        file = dir + "/TESSARON.QAL";
        cuts.clear();
    }
    void TearDown() override
    {
        unlink(file.c_str());
        rmdir(dir.c_str());
    }
    void Write(const std::string &bytes)
    {
        FILE *f = fopen(file.c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    std::string Bytes()
    {
        FILE *f = fopen(file.c_str(), "rb");
        if (f == nullptr)
            return "<missing>";
        std::string s;
        int c;
        while ((c = getc(f)) != EOF)
            s += (char)c;
        fclose(f);
        return s;
    }
    static bool Cut(const char *path, long size)
    {
        cuts.push_back(size);
        return truncate(path, size) == 0;
    }
    std::string dir, file;
    static std::vector<long> cuts;
};
std::vector<long> AppendTest::cuts;

TEST_F(AppendTest, WritesExactlyTheTextAndCrLf)
{
    EXPECT_TRUE(AppendQuickAccessLine(file.c_str(), " D:\\My Files ", Cut));
    EXPECT_EQ(Bytes(), " D:\\My Files \r\n");
    EXPECT_TRUE(AppendQuickAccessLine(file.c_str(), " D:\\My Files ", Cut));
    EXPECT_EQ(Bytes(), " D:\\My Files \r\n D:\\My Files \r\n");

    std::vector<Entry> entries;
    EXPECT_EQ(ReadBytes(Bytes(), &entries), 2);
    EXPECT_TRUE(cuts.empty());
}

TEST_F(AppendTest, LongestStorablePathComesBackAsOneEntry)
{
    EXPECT_TRUE(AppendQuickAccessLine(file.c_str(), Chars(2046).c_str(), Cut));
    std::vector<Entry> entries;
    EXPECT_EQ(ReadBytes(Bytes(), &entries), 1);
    EXPECT_EQ(entries[0].text, Chars(2046));
}

TEST_F(AppendTest, RefusedPathsLeaveTheFileAlone)
{
    const char *refused[] = {"", "C:\\\r\nD:\\", "C:\\\x1A"};
    for (const char *path : refused) {
        EXPECT_FALSE(AppendQuickAccessLine(file.c_str(), path, Cut));
        EXPECT_EQ(Bytes(), "<missing>");
    }
    Write("C:\\\r\n");
    EXPECT_FALSE(AppendQuickAccessLine(file.c_str(), "", Cut));
    EXPECT_EQ(Bytes(), "C:\\\r\n");
}

TEST_F(AppendTest, KeepsTheLastEntryAndTheNewOneApart)
{
    struct {
        std::string before, after;
    } cases[] = {
        {"C:\\", "C:\\\r\nE:\\\r\n"},             // last line without line end
        {"C:\\\r\n\x1A", "C:\\\r\nE:\\\r\n"},     // trailing Ctrl-Z dropped
        {"C:\\\x1A\x1A", "C:\\\r\nE:\\\r\n"},
        {"C:\\\n", "C:\\\nE:\\\r\n"},
        {"", "E:\\\r\n"},
        // A full last piece is already an entry of its own: no break, or
        // an empty entry would appear.
        {Chars(2047), Chars(2047) + "E:\\\r\n"},
        {Chars(2048), Chars(2048) + "\r\nE:\\\r\n"},
    };
    for (const auto &c : cases) {
        Write(c.before);
        EXPECT_TRUE(AppendQuickAccessLine(file.c_str(), "E:\\", Cut));
        EXPECT_EQ(Bytes(), c.after);
    }
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
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit tight = old;
    tight.rlim_cur = 12;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tight);
    bool appended = AppendQuickAccessLine(file.c_str(), "D:\\A long folder", Cut);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(appended);
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_EQ(cuts[0], 5);
    EXPECT_EQ(Bytes(), "C:\\\r\n");
}

}  // namespace
