#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "hlpfile.h"

namespace {

using hlpfile::Bytes;

void Put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

uint32_t Get32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// An internal file: the 9-byte header, then the body.
Bytes InternalFile(const Bytes& body) {
    Bytes f;
    Put32(f, static_cast<uint32_t>(body.size() + 9));
    Put32(f, static_cast<uint32_t>(body.size()));
    f.push_back(0);
    f.insert(f.end(), body.begin(), body.end());
    return f;
}

// A B+ tree body with the given pages; the root is the last page.
Bytes Tree(const char* structure, const std::vector<Bytes>& pages, unsigned pageSize, unsigned levels,
           uint32_t entries) {
    Bytes t;
    Put16(t, 0x293B);
    Put16(t, 2);
    Put16(t, pageSize);
    std::string s(structure);
    s.resize(16, '\0');
    t.insert(t.end(), s.begin(), s.end());
    Put16(t, 0);
    Put16(t, 0);
    Put16(t, static_cast<unsigned>(pages.size() - 1));  // root
    Put16(t, 0xFFFF);
    Put16(t, static_cast<unsigned>(pages.size()));
    Put16(t, levels);
    Put32(t, entries);
    for (Bytes page : pages) {
        page.resize(pageSize, 0);
        t.insert(t.end(), page.begin(), page.end());
    }
    return t;
}

Bytes LeafPage(unsigned count, int previous, int next, const Bytes& entries) {
    Bytes p;
    Put16(p, 0);
    Put16(p, count);
    Put16(p, static_cast<unsigned>(previous) & 0xFFFF);
    Put16(p, static_cast<unsigned>(next) & 0xFFFF);
    p.insert(p.end(), entries.begin(), entries.end());
    return p;
}

// A small help file as the compiler writes it: |CONTEXT (here split over
// two leaves under an index page, as in a larger file), an empty
// |CTXOMAP, |SYSTEM with a build date, and a one-leaf directory.
Bytes MakeHelpFile(const std::vector<std::pair<std::string, uint32_t>>& topics,
                   uint32_t buildDate = 0x5A5A5A5A) {
    std::vector<Bytes> leaves(2);
    size_t half = (topics.size() + 1) / 2;
    Bytes entries[2];
    for (size_t i = 0; i < topics.size(); ++i) {
        Put32(entries[i < half ? 0 : 1], hlpfile::TopicHash(topics[i].first));
        Put32(entries[i < half ? 0 : 1], topics[i].second);
    }
    Bytes index;
    Put16(index, 0);
    Put16(index, 1);
    Put16(index, 0);  // first child: leaf 0
    Put32(index, topics.empty() ? 0 : hlpfile::TopicHash(topics[half < topics.size() ? half : 0].first));
    Put16(index, 1);
    Bytes context = InternalFile(Tree("L4", {LeafPage(static_cast<unsigned>(half), -1, 1, entries[0]),
                                             LeafPage(static_cast<unsigned>(topics.size() - half), 0, -1, entries[1]),
                                             index},
                                      64, 2, static_cast<uint32_t>(topics.size())));
    Bytes emptyMap;
    Put16(emptyMap, 0);
    Bytes system;
    Put16(system, 0x036C);
    Put16(system, 33);
    Put16(system, 1);
    Put32(system, buildDate);
    Put16(system, 0);

    std::vector<std::pair<std::string, Bytes>> files = {
        {"|CONTEXT", context}, {"|CTXOMAP", InternalFile(emptyMap)}, {"|SYSTEM", InternalFile(system)}};
    Bytes out(16, 0);
    Bytes dirEntries;
    for (auto& f : files) {
        uint32_t at = static_cast<uint32_t>(out.size());
        out.insert(out.end(), f.second.begin(), f.second.end());
        dirEntries.insert(dirEntries.end(), f.first.begin(), f.first.end());
        dirEntries.push_back(0);
        Put32(dirEntries, at);
    }
    uint32_t directory = static_cast<uint32_t>(out.size());
    Bytes dir = InternalFile(Tree("z4", {LeafPage(3, -1, -1, dirEntries)}, 128, 1, 3));
    out.insert(out.end(), dir.begin(), dir.end());
    Bytes header;
    Put32(header, 0x00035F3F);
    Put32(header, directory);
    Put32(header, 0xFFFFFFFF);
    Put32(header, static_cast<uint32_t>(out.size()));
    std::copy(header.begin(), header.end(), out.begin());
    return out;
}

const char kContexts[] =
    "# numbers\n9000 Top\n2000 options\n5000 toollocations\n3    maintenance\n103 scandisk\n104 defrag\n";
const std::vector<std::pair<std::string, uint32_t>> kTopics = {
    {"Top", 0}, {"options", 0x104E9}, {"toollocations", 0x1832F}, {"maintenance", 0x18996},
    {"scandisk", 0x207E3}, {"defrag", 0x28266},
};

std::vector<hlpfile::ContextLine> Lines(const std::string& text) {
    std::vector<hlpfile::ContextLine> lines;
    std::string error;
    EXPECT_TRUE(hlpfile::ParseContextList(text, "contexts.txt", &lines, &error)) << error;
    return lines;
}

TEST(HlpMap, TopicHashMatchesTheHelpCompiler) {
    // Values read from the |CONTEXT tree of files that halibut compiled.
    const std::pair<const char*, uint32_t> cases[] = {
        {"Top", 0x00010959},         {"tOP", 0x00010959},         {"options", 0xC01D666A},
        {"options.sub", 0x74B8C542}, {"intro_topic", 0x8499B052}, {"", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(hlpfile::TopicHash(c.first), c.second) << c.first;
}

TEST(HlpMap, EachNumberOpensItsTopic) {
    Bytes hlp = MakeHelpFile(kTopics);
    const Bytes original = hlp;
    std::string error;
    ASSERT_TRUE(hlpfile::AddContextMap(&hlp, Lines(kContexts), "contexts.txt", &error)) << error;

    std::vector<hlpfile::MapEntry> map;
    ASSERT_TRUE(hlpfile::ReadContextMap(hlp, &map, &error)) << error;
    const std::pair<uint32_t, uint32_t> expected[] = {{3, 0x18996},    {103, 0x207E3},  {104, 0x28266},
                                                      {2000, 0x104E9}, {5000, 0x1832F}, {9000, 0}};
    ASSERT_EQ(map.size(), 6u);
    for (size_t i = 0; i < map.size(); ++i) {
        EXPECT_EQ(map[i].number, expected[i].first);
        EXPECT_EQ(map[i].topicOffset, expected[i].second) << map[i].number;
    }

    // Appended: the original bytes stay apart from the directory's pointer,
    // the build date and the size field.
    EXPECT_EQ(Get32(hlp, 12), hlp.size());
    ASSERT_GT(hlp.size(), original.size());
    uint32_t newMap = static_cast<uint32_t>(original.size());
    EXPECT_EQ(Get32(hlp, newMap), 9u + 2 + 6 * 8);  // reserved size counts the header
    EXPECT_EQ(Get32(hlp, newMap + 4), 2u + 6 * 8);
    int changed = 0;
    for (size_t i = 16; i < original.size(); ++i) changed += hlp[i] != original[i];
    EXPECT_LE(changed, 8);  // four bytes of pointer, four of date

    // The build date is zeroed, so a build at another time gives the same bytes.
    Bytes again = MakeHelpFile(kTopics, 0x12345678);
    ASSERT_TRUE(hlpfile::AddContextMap(&again, Lines(kContexts), "contexts.txt", &error));
    EXPECT_EQ(again, hlp);
}

TEST(HlpMap, UnknownTopicFailsClearlyAndChangesNothing) {
    Bytes hlp = MakeHelpFile(kTopics);
    const Bytes original = hlp;
    std::string error;
    EXPECT_FALSE(hlpfile::AddContextMap(&hlp, Lines("9000 Top\n\n6000 openpath\n"), "contexts.txt", &error));
    EXPECT_EQ(error,
              "contexts.txt:3: help context 6000 names the topic 'openpath', but no topic of the help "
              "file has that name (a topic gets it with \\cfg{winhelp-topic}{openpath})");
    EXPECT_EQ(hlp, original);
}

TEST(HlpMap, MalformedContextListsAreRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"9000\n", "contexts.txt:1: context 9000 names no topic"},
        {"x12 Top\n", "contexts.txt:1: 'x12' is not a help context number"},
        {"-3 Top\n", "contexts.txt:1: '-3' is not a help context number"},
        {"3 a\n# c\n3 b\n", "contexts.txt:3: context 3 is given twice"},
        {"3 a b\n", "contexts.txt:1: unexpected text after the topic name: 'b'"},
    };
    for (const auto& c : cases) {
        std::vector<hlpfile::ContextLine> lines;
        std::string error;
        EXPECT_FALSE(hlpfile::ParseContextList(c.first, "contexts.txt", &lines, &error)) << c.first;
        EXPECT_EQ(error, c.second);
    }
}

TEST(HlpMap, DamagedFilesFailWithoutReadingPastTheEnd) {
    const Bytes good = MakeHelpFile(kTopics);
    Bytes badMagic = good, wrongSize = good, badDirectory = good, shortFile(good.begin(), good.begin() + 10);
    badMagic[0] = 0;
    wrongSize.pop_back();
    badDirectory[7] = 0x7F;  // directory start far outside
    const std::pair<const char*, Bytes> cases[] = {
        {"magic", badMagic}, {"size", wrongSize}, {"directory", badDirectory}, {"short", shortFile}};
    for (const auto& c : cases) {
        Bytes hlp = c.second;
        std::string error;
        EXPECT_FALSE(hlpfile::AddContextMap(&hlp, Lines("9000 Top\n"), "contexts.txt", &error)) << c.first;
        EXPECT_FALSE(error.empty()) << c.first;
    }
}

}  // namespace
