#include "hlpfile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>

namespace hlpfile {
namespace {

constexpr uint32_t kFileMagic = 0x00035F3F;
constexpr unsigned kTreeMagic = 0x293B;
constexpr unsigned kSystemMagic = 0x036C;
constexpr uint16_t kNoPage = 0xFFFF;
constexpr size_t kFileHeaderSize = 9;   // reserved size, used size, flags
constexpr size_t kTreeHeaderSize = 38;  // after the file header
constexpr size_t kSystemGenDate = 6;    // offset in the |SYSTEM body

// WinHelp's character weights for topic name hashes: letters fold to one
// case, and a few punctuation marks share values with others.
const signed char kHashWeight[256] = {
       0,  -47,  -46,  -45,  -44,  -43,  -42,  -41,  -40,  -39,  -38,  -37,  -36,  -35,  -34,  -33,
     -32,  -31,  -30,  -29,  -28,  -27,  -26,  -25,  -24,  -23,  -22,  -21,  -20,  -19,  -18,  -17,
     -16,   11,  -14,  -13,  -12,  -11,  -10,   -9,   -8,   -7,   -6,   -5,   -4,   -3,   12,   -1,
      10,    1,    2,    3,    4,    5,    6,    7,    8,    9,   10,   11,   12,   13,   14,   15,
      16,   17,   18,   19,   20,   21,   22,   23,   24,   25,   26,   27,   28,   29,   30,   31,
      32,   33,   34,   35,   36,   37,   38,   39,   40,   41,   42,   11,   12,   13,   14,   13,
      16,   17,   18,   19,   20,   21,   22,   23,   24,   25,   26,   27,   28,   29,   30,   31,
      32,   33,   34,   35,   36,   37,   38,   39,   40,   41,   42,   43,   44,   45,   46,   47,
      80,   81,   82,   83,   84,   85,   86,   87,   88,   89,   90,   91,   92,   93,   94,   95,
      96,   97,   98,   99,  100,  101,  102,  103,  104,  105,  106,  107,  108,  109,  110,  111,
     112,  113,  114,  115,  116,  117,  118,  119,  120,  121,  122,  123,  124,  125,  126,  127,
    -128, -127, -126, -125,   11, -123, -122, -121, -120, -119, -118, -117, -116, -115, -114, -113,
    -112, -111, -110, -109, -108, -107, -106, -105, -104, -103, -102, -101, -100,  -99,  -98,  -97,
     -96,  -95,  -94,  -93,  -92,  -91,  -90,  -89,  -88,  -87,  -86,  -85,  -84,  -83,  -82,  -81,
     -80,  -79,  -78,  -77,  -76,  -75,  -74,  -73,  -72,  -71,  -70,  -69,  -68,  -67,  -66,  -65,
     -64,  -63,  -62,  -61,  -60,  -59,  -58,  -57,  -56,  -55,  -54,  -53,  -52,  -51,  -50,  -49,
};

// Bounds-checked little-endian access: every read of the file goes through
// these, so a truncated or corrupt file fails instead of overrunning.
bool Get16(const Bytes& b, size_t at, unsigned* v) {
    if (at > b.size() || b.size() - at < 2) return false;
    *v = b[at] | (b[at + 1] << 8);
    return true;
}

bool Get32(const Bytes& b, size_t at, uint32_t* v) {
    if (at > b.size() || b.size() - at < 4) return false;
    *v = b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
    return true;
}

void Set32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}

bool Fail(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

struct Tree {
    size_t pages = 0;  // offset of page 0
    unsigned pageSize = 0;
    unsigned root = 0;
    unsigned levels = 0;
    unsigned totalPages = 0;
};

bool OpenTree(const Bytes& b, size_t fileOffset, const std::string& what, Tree* tree,
              std::string* error) {
    size_t at = fileOffset + kFileHeaderSize;
    unsigned magic = 0;
    if (!Get16(b, at, &magic) || magic != kTreeMagic)
        return Fail(error, what + ": not a B+ tree (bad magic)");
    if (!Get16(b, at + 4, &tree->pageSize) || !Get16(b, at + 26, &tree->root) ||
        !Get16(b, at + 30, &tree->totalPages) || !Get16(b, at + 32, &tree->levels))
        return Fail(error, what + ": B+ tree header cut short");
    tree->pages = at + kTreeHeaderSize;
    if (tree->pageSize < 8 || tree->levels == 0 || tree->root >= tree->totalPages ||
        tree->pages + static_cast<size_t>(tree->pageSize) * tree->totalPages > b.size())
        return Fail(error, what + ": B+ tree pages lie outside the file");
    return true;
}

size_t PageStart(const Tree& tree, unsigned page) {
    return tree.pages + static_cast<size_t>(page) * tree.pageSize;
}

// Calls visit(entryStart, entryEnd limit, count) for every leaf page, from
// the leftmost leaf along the chain of next pages.  Walking all leaves does
// not depend on the order in which the writer sorted the keys.
template <typename Visit>
bool WalkLeaves(const Bytes& b, const Tree& tree, const std::string& what, Visit visit,
                std::string* error) {
    unsigned page = tree.root;
    for (unsigned level = 1; level < tree.levels; ++level) {
        unsigned first = 0;
        if (!Get16(b, PageStart(tree, page) + 4, &first) || first >= tree.totalPages)
            return Fail(error, what + ": bad index page");
        page = first;
    }
    for (unsigned seen = 0; page != kNoPage; ++seen) {
        if (page >= tree.totalPages || seen >= tree.totalPages)
            return Fail(error, what + ": broken chain of leaf pages");
        size_t start = PageStart(tree, page);
        unsigned count = 0, next = 0;
        Get16(b, start + 2, &count);
        Get16(b, start + 6, &next);
        bool stop = false;
        if (!visit(start + 8, start + tree.pageSize, count, &stop)) return Fail(error, what + ": bad leaf page");
        if (stop) return true;
        page = next;
    }
    return true;
}

bool CheckHeader(const Bytes& b, uint32_t* directory, std::string* error) {
    uint32_t magic = 0, size = 0;
    if (!Get32(b, 0, &magic) || magic != kFileMagic) return Fail(error, "not a WinHelp file (bad magic)");
    if (!Get32(b, 4, directory) || !Get32(b, 12, &size)) return Fail(error, "file header cut short");
    if (size != b.size())
        return Fail(error, "file size field says " + std::to_string(size) + " bytes, the file has " +
                               std::to_string(b.size()));
    return true;
}

// Finds an internal file; *entry is where the directory keeps its offset.
bool FindInternal(const Bytes& b, const std::string& name, uint32_t* offset, size_t* entry,
                  std::string* error) {
    uint32_t directory = 0;
    if (!CheckHeader(b, &directory, error)) return false;
    Tree tree;
    if (!OpenTree(b, directory, "directory", &tree, error)) return false;
    bool found = false;
    auto visit = [&](size_t at, size_t end, unsigned count, bool* stop) {
        for (unsigned i = 0; i < count; ++i) {
            size_t nul = at;
            while (nul < end && b[nul] != 0) ++nul;
            if (nul >= end || end - nul < 5) return false;
            if (std::string(b.begin() + at, b.begin() + nul) == name) {
                Get32(b, nul + 1, offset);
                *entry = nul + 1;
                found = true;
                *stop = true;
                return true;
            }
            at = nul + 5;
        }
        return true;
    };
    if (!WalkLeaves(b, tree, "directory", visit, error)) return false;
    if (!found) return Fail(error, "the help file has no internal file " + name);
    if (*offset + kFileHeaderSize > b.size()) return Fail(error, name + " lies outside the file");
    return true;
}

}  // namespace

uint32_t TopicHash(const std::string& name) {
    if (name.empty()) return 1;
    uint32_t hash = 0;
    for (unsigned char c : name) hash = hash * 43 + static_cast<uint32_t>(static_cast<int32_t>(kHashWeight[c]));
    return hash;
}

bool ParseContextList(const std::string& text, const std::string& source,
                      std::vector<ContextLine>* lines, std::string* error) {
    std::vector<ContextLine> result;
    std::set<uint32_t> numbers;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        std::istringstream fields(raw);
        std::string number, topic, extra;
        fields >> number;
        if (number.empty() || number[0] == '#') continue;
        fields >> topic >> extra;
        const std::string where = source + ":" + std::to_string(lineNo) + ": ";
        if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 9)
            return Fail(error, where + "'" + number + "' is not a help context number");
        if (topic.empty()) return Fail(error, where + "context " + number + " names no topic");
        if (!extra.empty()) return Fail(error, where + "unexpected text after the topic name: '" + extra + "'");
        ContextLine line;
        line.number = static_cast<uint32_t>(std::stoul(number));
        line.topic = topic;
        line.line = lineNo;
        if (!numbers.insert(line.number).second)
            return Fail(error, where + "context " + number + " is given twice");
        result.push_back(line);
    }
    if (result.size() > 0xFFFF) return Fail(error, source + ": more than 65535 contexts");
    *lines = result;
    return true;
}

bool FindTopicOffset(const Bytes& hlp, const std::string& topic, uint32_t* offset, bool* found,
                     std::string* error) {
    uint32_t context = 0;
    size_t entry = 0;
    if (!FindInternal(hlp, "|CONTEXT", &context, &entry, error)) return false;
    Tree tree;
    if (!OpenTree(hlp, context, "|CONTEXT", &tree, error)) return false;
    const uint32_t hash = TopicHash(topic);
    *found = false;
    auto visit = [&](size_t at, size_t end, unsigned count, bool* stop) {
        if (count > (end - at) / 8) return false;
        for (unsigned i = 0; i < count; ++i) {
            uint32_t key = 0;
            Get32(hlp, at + 8 * i, &key);
            if (key == hash) {
                Get32(hlp, at + 8 * i + 4, offset);
                *found = true;
                *stop = true;
                return true;
            }
        }
        return true;
    };
    return WalkLeaves(hlp, tree, "|CONTEXT", visit, error);
}

bool ReadContextMap(const Bytes& hlp, std::vector<MapEntry>* entries, std::string* error) {
    uint32_t map = 0;
    size_t entry = 0;
    if (!FindInternal(hlp, "|CTXOMAP", &map, &entry, error)) return false;
    unsigned count = 0;
    size_t at = map + kFileHeaderSize;
    if (!Get16(hlp, at, &count)) return Fail(error, "|CTXOMAP cut short");
    std::vector<MapEntry> result;
    for (unsigned i = 0; i < count; ++i) {
        MapEntry e;
        if (!Get32(hlp, at + 2 + 8 * i, &e.number) || !Get32(hlp, at + 6 + 8 * i, &e.topicOffset))
            return Fail(error, "|CTXOMAP cut short");
        result.push_back(e);
    }
    *entries = result;
    return true;
}

bool AddContextMap(Bytes* hlp, const std::vector<ContextLine>& lines, const std::string& source,
                   std::string* error) {
    Bytes out = *hlp;
    std::vector<MapEntry> entries;
    for (const ContextLine& line : lines) {
        MapEntry e;
        e.number = line.number;
        bool found = false;
        if (!FindTopicOffset(out, line.topic, &e.topicOffset, &found, error)) return false;
        if (!found)
            return Fail(error, source + ":" + std::to_string(line.line) + ": help context " +
                                   std::to_string(line.number) + " names the topic '" + line.topic +
                                   "', but no topic of the help file has that name (a topic gets "
                                   "it with \\cfg{winhelp-topic}{" + line.topic + "})");
        entries.push_back(e);
    }
    if (entries.size() > 0xFFFF) return Fail(error, source + ": more than 65535 contexts");
    std::sort(entries.begin(), entries.end(),
              [](const MapEntry& a, const MapEntry& b) { return a.number < b.number; });

    uint32_t system = 0, map = 0;
    size_t systemEntry = 0, mapEntry = 0;
    if (!FindInternal(out, "|SYSTEM", &system, &systemEntry, error)) return false;
    unsigned systemMagic = 0;
    size_t body = system + kFileHeaderSize;
    if (!Get16(out, body, &systemMagic) || systemMagic != kSystemMagic || body + kSystemGenDate + 4 > out.size())
        return Fail(error, "|SYSTEM: bad header");
    Set32(out, body + kSystemGenDate, 0);

    if (!FindInternal(out, "|CTXOMAP", &map, &mapEntry, error)) return false;
    const uint32_t used = 2 + 8 * static_cast<uint32_t>(entries.size());
    const uint32_t at = static_cast<uint32_t>(out.size());
    Put32(out, used + kFileHeaderSize);  // reserved, header included
    Put32(out, used);
    out.push_back(0);
    Put16(out, static_cast<unsigned>(entries.size()));
    for (const MapEntry& e : entries) {
        Put32(out, e.number);
        Put32(out, e.topicOffset);
    }
    Set32(out, mapEntry, at);
    Set32(out, 12, static_cast<uint32_t>(out.size()));
    *hlp = out;
    return true;
}

}  // namespace hlpfile
