#include "pefile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace pefile {

namespace {

const uint16_t MachineI386 = 0x14c;
const uint16_t MagicPe32 = 0x10b;
const uint16_t MagicPe32Plus = 0x20b;
const size_t MaxDescriptors = 4096;
const size_t MaxThunks = 65536;
const int64_t ResourceVersion = 16;  // RT_VERSION
const int64_t ResourceManifest = 24;  // RT_MANIFEST
const int64_t ProcessManifest = 1;    // the one the loader reads for a program
const uint64_t FixedInfoSignature = 0xfeef04bd;

struct Reader {
    const Bytes &image;
    bool fits(uint64_t offset, uint64_t size) const { return offset <= image.size() && size <= image.size() - offset; }
    uint64_t get(uint64_t offset, int size) const
    {
        uint64_t value = 0;
        for (int i = size - 1; i >= 0; i--)
            value = value << 8 | image[offset + i];
        return value;
    }
};

struct Section {
    uint32_t address, size, raw;
};

// The file offset of an address in the loaded image, or false.
bool ToOffset(const std::vector<Section> &sections, uint32_t headers, uint64_t rva, uint64_t *offset)
{
    if (rva < headers) {
        *offset = rva;
        return true;
    }
    for (const Section &s : sections) {
        if (rva >= s.address && rva - s.address < s.size) {
            *offset = s.raw + (rva - s.address);
            return true;
        }
    }
    return false;
}

bool ReadName(const Reader &r, const std::vector<Section> &sections, uint32_t headers, uint64_t rva,
              std::string *name)
{
    uint64_t at;
    if (!ToOffset(sections, headers, rva, &at))
        return false;
    name->clear();
    for (; at < r.image.size() && r.image[at] != 0 && name->size() < 512; at++)
        *name += (char)r.image[at];
    return at < r.image.size() && r.image[at] == 0;
}

// A resource directory's entry with this id (the first entry when id is
// negative): its offset from the start of the resources, the high bit set
// for a subdirectory.
bool FindResourceEntry(const Reader &r, uint64_t resources, uint32_t directory, int64_t id, uint32_t *target)
{
    uint64_t at = resources + directory;
    if (!r.fits(at, 16))
        return false;
    uint64_t count = r.get(at + 12, 2) + r.get(at + 14, 2);
    for (uint64_t i = 0; i < count && r.fits(at + 16 + i * 8, 8); i++) {
        if (id < 0 || r.get(at + 16 + i * 8, 4) == (uint64_t)id) {
            *target = (uint32_t)r.get(at + 16 + i * 8 + 4, 4);
            return true;
        }
    }
    return false;
}

// One node of a version resource: a key, a value and children, up to end.
struct Block {
    std::string key;
    uint16_t type;  // 1: the value is text
    uint64_t value, valueSize, children, end;
};

// Text in UTF-16 from at up to its NUL or end, as ASCII ('?' for others);
// *after is past the NUL.
std::string Text16(const Reader &r, uint64_t at, uint64_t end, uint64_t *after)
{
    std::string text;
    for (; at + 2 <= end; at += 2) {
        uint64_t c = r.get(at, 2);
        if (c == 0) {
            at += 2;
            break;
        }
        text += c < 0x80 ? (char)c : '?';
    }
    *after = at;
    return text;
}

// Blocks start on 4-byte boundaries from the start of the resource.
uint64_t Align4(uint64_t origin, uint64_t at)
{
    return origin + ((at - origin + 3) & ~(uint64_t)3);
}

bool ReadBlock(const Reader &r, uint64_t origin, uint64_t at, uint64_t end, Block *block)
{
    if (at > end || end - at < 6)
        return false;
    uint64_t length = r.get(at, 2), valueLength = r.get(at + 2, 2);
    block->type = (uint16_t)r.get(at + 4, 2);
    if (length < 6 || length > end - at)
        return false;
    block->end = at + length;
    uint64_t after;
    block->key = Text16(r, at + 6, block->end, &after);
    block->value = Align4(origin, after);
    block->valueSize = block->type == 1 ? valueLength * 2 : valueLength;
    if (block->value > block->end || block->valueSize > block->end - block->value)
        return false;
    block->children = std::min(Align4(origin, block->value + block->valueSize), block->end);
    return true;
}

// The children of parent, each passed to visit; false when one is damaged.
template <typename Visit>
bool EachChild(const Reader &r, uint64_t origin, const Block &parent, Visit visit)
{
    for (uint64_t at = parent.children; at < parent.end;) {
        Block child;
        if (!ReadBlock(r, origin, at, parent.end, &child))
            return false;
        visit(child);
        at = Align4(origin, child.end);
    }
    return true;
}

// Where the resource of this type and name (its first language) lies in
// the file: false with *error empty when there is none, with the reason
// when the resources are damaged.
bool FindResourceData(const Reader &r, const std::vector<Section> &sections, uint32_t headers,
                      uint64_t resourceRva, int64_t type, int64_t name, const char *what, uint64_t *data,
                      uint64_t *size, std::string *error)
{
    const int64_t path[3] = {type, name, -1};
    uint64_t resources;
    uint32_t node = 0;
    error->clear();
    if (resourceRva == 0 || !ToOffset(sections, headers, resourceRva, &resources))
        return false;  // no resources
    for (int level = 0; level < 3; level++) {
        bool found = FindResourceEntry(r, resources, node & 0x7fffffff, path[level], &node);
        if (!found && level == 0)
            return false;  // none of this type
        if (!found || ((node & 0x80000000) != 0) != (level < 2)) {
            *error = std::string(what) + " resource directory damaged";
            return false;
        }
    }
    if (!r.fits(resources + node, 8) || !ToOffset(sections, headers, r.get(resources + node, 4), data) ||
        !r.fits(*data, *size = r.get(resources + node + 4, 4))) {
        *error = std::string(what) + " resource outside the image";
        return false;
    }
    return true;
}

bool ReadVersion(const Reader &r, const std::vector<Section> &sections, uint32_t headers, uint64_t resourceRva,
                 Version *version, std::string *error)
{
    uint64_t data, size;
    if (!FindResourceData(r, sections, headers, resourceRva, ResourceVersion, -1, "version", &data, &size, error))
        return error->empty();
    Block root;
    *error = "version resource damaged";
    if (!ReadBlock(r, data, data, data + size, &root) || root.key != "VS_VERSION_INFO" ||
        root.valueSize < 52 || r.get(root.value, 4) != FixedInfoSignature)
        return false;
    // Each version is two 32-bit numbers, major and minor in the first.
    for (int half = 0; half < 2; half++) {
        uint64_t file = r.get(root.value + 8 + half * 4, 4), product = r.get(root.value + 16 + half * 4, 4);
        version->file[half * 2] = (uint16_t)(file >> 16);
        version->file[half * 2 + 1] = (uint16_t)file;
        version->product[half * 2] = (uint16_t)(product >> 16);
        version->product[half * 2 + 1] = (uint16_t)product;
    }
    bool tables = true;
    bool whole = EachChild(r, data, root, [&](const Block &info) {
        if (info.key != "StringFileInfo" || !version->strings.empty())
            return;
        Block table;
        uint64_t after;
        tables = tables && ReadBlock(r, data, info.children, info.end, &table) &&
                 EachChild(r, data, table, [&](const Block &text) {
                     version->strings.push_back({text.key, Text16(r, text.value, text.value + text.valueSize, &after)});
                 });
    });
    if (!whole || !tables)
        return false;
    error->clear();
    version->present = true;
    return true;
}

std::string Lower(std::string text)
{
    for (char &c : text)
        c = (char)std::tolower((unsigned char)c);
    return text;
}

}  // namespace

bool ReadProgram(const Bytes &image, Program *program, std::string *error)
{
    Reader r{image};
    *program = Program();
    if (!r.fits(0, 64) || image[0] != 'M' || image[1] != 'Z') {
        *error = "not a Windows program (no MZ header)";
        return false;
    }
    uint64_t pe = r.get(0x3c, 4);
    if (!r.fits(pe, 24) || r.get(pe, 4) != 0x4550) {
        *error = "no PE header";
        return false;
    }
    program->machine = (uint16_t)r.get(pe + 4, 2);
    uint32_t sectionCount = (uint32_t)r.get(pe + 6, 2);
    uint64_t optional = pe + 24, optionalSize = r.get(pe + 20, 2);
    if (!r.fits(optional, optionalSize) || optionalSize < 96) {
        *error = "optional header cut short";
        return false;
    }
    uint16_t magic = (uint16_t)r.get(optional, 2);
    if (magic != MagicPe32 && magic != MagicPe32Plus) {
        *error = "unknown optional header";
        return false;
    }
    const bool wide = magic == MagicPe32Plus;
    program->subsystemMajor = (uint16_t)r.get(optional + 48, 2);
    program->subsystemMinor = (uint16_t)r.get(optional + 50, 2);
    uint32_t headers = (uint32_t)r.get(optional + 60, 4);
    uint64_t directories = optional + (wide ? 112 : 96);
    uint64_t directoryCount = r.get(optional + (wide ? 108 : 92), 4);
    if (directoryCount < 2 || directories + 16 > optional + optionalSize)
        return true;  // no import table: nothing imported
    uint64_t importRva = r.get(directories + 8, 4);

    std::vector<Section> sections;
    uint64_t table = optional + optionalSize;
    if (!r.fits(table, (uint64_t)sectionCount * 40)) {
        *error = "section table cut short";
        return false;
    }
    for (uint32_t i = 0; i < sectionCount; i++) {
        uint64_t s = table + i * 40;
        uint32_t virtualSize = (uint32_t)r.get(s + 8, 4), rawSize = (uint32_t)r.get(s + 16, 4);
        sections.push_back({(uint32_t)r.get(s + 12, 4), virtualSize > rawSize ? virtualSize : rawSize,
                            (uint32_t)r.get(s + 20, 4)});
    }
    if (directoryCount > 2 && directories + 24 <= optional + optionalSize) {
        uint64_t resources = r.get(directories + 16, 4), data, size;
        if (!ReadVersion(r, sections, headers, resources, &program->version, error))
            return false;
        if (FindResourceData(r, sections, headers, resources, ResourceManifest, ProcessManifest, "manifest", &data,
                             &size, error))
            program->manifest.assign(image.begin() + data, image.begin() + data + size);
        else if (!error->empty())
            return false;
    }
    if (importRva == 0)
        return true;

    const int thunkSize = wide ? 8 : 4;
    const uint64_t byOrdinal = wide ? 1ull << 63 : 1ull << 31;
    uint64_t descriptor;
    if (!ToOffset(sections, headers, importRva, &descriptor)) {
        *error = "import table outside the image";
        return false;
    }
    for (size_t d = 0;; d++, descriptor += 20) {
        if (d == MaxDescriptors || !r.fits(descriptor, 20)) {
            *error = "import table not ended";
            return false;
        }
        uint64_t lookup = r.get(descriptor, 4), nameRva = r.get(descriptor + 12, 4);
        uint64_t bound = r.get(descriptor + 16, 4);
        if (lookup == 0 && nameRva == 0 && bound == 0)
            return true;
        std::string dll;
        uint64_t thunk;
        if (!ReadName(r, sections, headers, nameRva, &dll) ||
            !ToOffset(sections, headers, lookup != 0 ? lookup : bound, &thunk)) {
            *error = "import entry outside the image";
            return false;
        }
        for (size_t t = 0;; t++, thunk += thunkSize) {
            if (t == MaxThunks || !r.fits(thunk, thunkSize)) {
                *error = "import list of " + dll + " not ended";
                return false;
            }
            uint64_t value = r.get(thunk, thunkSize);
            if (value == 0)
                break;
            std::string function;
            if (value & byOrdinal)
                function = "#" + std::to_string(value & 0xffff);
            else if (!ReadName(r, sections, headers, (value & 0x7fffffff) + 2, &function)) {
                *error = "import name of " + dll + " outside the image";
                return false;
            }
            program->imports.push_back({dll, function});
        }
    }
}

bool ParseReviewedList(const std::string &text, std::vector<Reviewed> *list, std::string *error)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); number++) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        Reviewed entry;
        words >> entry.dll >> entry.function >> std::ws;
        std::getline(words, entry.since);
        if (entry.since.empty()) {
            *error = std::to_string(number) + ": want \"<dll> <function> <first Windows>\"";
            return false;
        }
        list->push_back(entry);
    }
    return true;
}

std::vector<std::string> Objections(const Program &program, const std::vector<Reviewed> &list)
{
    std::vector<std::string> reasons;
    char text[80];
    if (program.machine != MachineI386) {
        std::snprintf(text, sizeof text, "machine 0x%x, not i386", program.machine);
        reasons.push_back(text);
    }
    if (program.subsystemMajor > 4) {
        std::snprintf(text, sizeof text, "subsystem version %u.%u, above 4.x", program.subsystemMajor,
                      program.subsystemMinor);
        reasons.push_back(text);
    }
    std::vector<std::string> refused;
    for (const Import &import : program.imports) {
        bool dllKnown = false, listed = false;
        for (const Reviewed &entry : list) {
            bool sameDll = Lower(entry.dll) == Lower(import.dll);
            dllKnown = dllKnown || sameDll;
            listed = listed || (sameDll && entry.function == import.function);
        }
        if (!dllKnown) {
            if (std::find(refused.begin(), refused.end(), Lower(import.dll)) == refused.end())
                reasons.push_back("imports " + import.dll + ", which is not an allowed system DLL");
            refused.push_back(Lower(import.dll));
        } else if (!listed) {
            reasons.push_back("imports " + import.dll + " " + import.function +
                              ", which is not on the list of reviewed imports");
        }
    }
    return reasons;
}

std::vector<std::string> VersionObjections(const Program &program, const std::string &version)
{
    if (!program.version.present)
        return {"no version resource"};
    const Version &v = program.version;
    std::vector<std::string> reasons;
    uint16_t want[4] = {};
    std::istringstream parts(version);
    std::string part;
    for (int i = 0; i < 4 && std::getline(parts, part, '.'); i++)
        want[i] = (uint16_t)std::strtoul(part.c_str(), nullptr, 10);
    char text[120];
    const struct {
        const char *name;
        const uint16_t *numbers;
    } fixed[] = {{"file", v.file}, {"product", v.product}};
    for (const auto &f : fixed) {
        if (!std::equal(want, want + 4, f.numbers)) {
            std::snprintf(text, sizeof text, "fixed %s version %u.%u.%u.%u, not %u.%u.%u.%u", f.name, f.numbers[0],
                          f.numbers[1], f.numbers[2], f.numbers[3], want[0], want[1], want[2], want[3]);
            reasons.push_back(text);
        }
    }
    const std::pair<std::string, std::string> strings[] = {
        {"FileVersion", version}, {"ProductVersion", version}, {"ProductName", "Tessaron"}, {"FileDescription", ""}};
    for (const auto &s : strings) {
        auto found = std::find_if(v.strings.begin(), v.strings.end(), [&](const auto &k) { return k.first == s.first; });
        if (found == v.strings.end() || found->second.empty())
            reasons.push_back("no " + s.first);
        else if (!s.second.empty() && found->second != s.second)
            reasons.push_back(s.first + " \"" + found->second + "\", not \"" + s.second + "\"");
    }
    return reasons;
}

}  // namespace pefile
