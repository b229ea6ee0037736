#include "pefile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

namespace pefile {

namespace {

const uint16_t MachineI386 = 0x14c;
const uint16_t MagicPe32 = 0x10b;
const uint16_t MagicPe32Plus = 0x20b;
const size_t MaxDescriptors = 4096;
const size_t MaxThunks = 65536;

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

}  // namespace pefile
