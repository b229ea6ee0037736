#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "i486.h"
#include "pefile.h"

namespace {

using pefile::Bytes;

struct Dll {
    const char *name;
    std::vector<const char *> functions;
};

void Put(Bytes &image, size_t at, uint64_t value, int size)
{
    for (int i = 0; i < size; i++)
        image[at + i] = (uint8_t)(value >> (8 * i));
}

// A minimal program: headers, then one section at 0x1000 (file offset
// 0x200) holding the import table.
Bytes Image(uint16_t machine, bool wide, uint16_t major, uint16_t minor, const std::vector<Dll> &dlls)
{
    Bytes image(0x1000, 0);
    const size_t pe = 0x40, optional = pe + 24, optionalSize = wide ? 240 : 224, raw = 0x200;
    const uint32_t base = 0x1000;
    image[0] = 'M', image[1] = 'Z';
    Put(image, 0x3c, pe, 4);
    Put(image, pe, 0x4550, 4);
    Put(image, pe + 4, machine, 2);
    Put(image, pe + 6, 1, 2);
    Put(image, pe + 20, optionalSize, 2);
    Put(image, optional, wide ? 0x20b : 0x10b, 2);
    Put(image, optional + 48, major, 2);
    Put(image, optional + 50, minor, 2);
    Put(image, optional + 60, raw, 4);
    Put(image, optional + (wide ? 108 : 92), 16, 4);
    Put(image, optional + (wide ? 112 : 96) + 8, base, 4);
    const size_t section = optional + optionalSize;
    Put(image, section + 8, 0xe00, 4);
    Put(image, section + 12, base, 4);
    Put(image, section + 16, 0xe00, 4);
    Put(image, section + 20, raw, 4);
    size_t next = 0x100;  // names and thunks, after the descriptors
    for (size_t d = 0; d < dlls.size(); d++) {
        const size_t thunks = next;
        next += (dlls[d].functions.size() + 1) * (wide ? 8 : 4);
        for (size_t f = 0; f < dlls[d].functions.size(); f++) {
            Put(image, raw + thunks + f * (wide ? 8 : 4), base + next, wide ? 8 : 4);
            std::string name = dlls[d].functions[f];
            std::copy(name.begin(), name.end(), image.begin() + raw + next + 2);
            next += name.size() + 3;
        }
        Put(image, raw + d * 20, base + thunks, 4);
        Put(image, raw + d * 20 + 12, base + next, 4);
        Put(image, raw + d * 20 + 16, base + thunks, 4);
        std::string name = dlls[d].name;
        std::copy(name.begin(), name.end(), image.begin() + raw + next);
        next += name.size() + 1;
    }
    return image;
}

TEST(PeCheck, NamesEveryObjection)
{
    std::vector<pefile::Reviewed> list;
    std::string error;
    ASSERT_TRUE(pefile::ParseReviewedList("# dll function since\nKERNEL32.DLL Sleep Windows 95\n", &list, &error));
    EXPECT_EQ(list[0].since, "Windows 95");
    EXPECT_FALSE(pefile::ParseReviewedList("KERNEL32.DLL Sleep\n", &list, &error));
    EXPECT_EQ(error, "1: want \"<dll> <function> <first Windows>\"");

    const struct {
        Bytes image;
        std::vector<std::string> objections;
    } cases[] = {
        {Image(0x14c, false, 4, 0, {{"kernel32.dll", {"Sleep"}}}), {}},
        {Image(0x8664, true, 5, 2, {{"KERNEL32.dll", {"Sleep"}}}),
         {"machine 0x8664, not i386", "subsystem version 5.2, above 4.x"}},
        {Image(0x14c, false, 4, 0, {{"KERNEL32.dll", {"Sleep", "Beep"}}}),
         {"imports KERNEL32.dll Beep, which is not on the list of reviewed imports"}},
        {Image(0x14c, false, 4, 10, {{"KERNEL32.dll", {"Sleep"}}, {"PSAPI.DLL", {"EmptyWorkingSet", "Beep"}}}),
         {"imports PSAPI.DLL, which is not an allowed system DLL"}},
    };
    for (const auto &c : cases) {
        pefile::Program program;
        ASSERT_TRUE(pefile::ReadProgram(c.image, &program, &error)) << error;
        EXPECT_EQ(pefile::Objections(program, list), c.objections);
    }

    // A cut image is refused, not read past its end.
    Bytes cut = Image(0x14c, false, 4, 0, {{"KERNEL32.dll", {"Sleep"}}});
    cut.resize(0x300);
    pefile::Program program;
    EXPECT_FALSE(pefile::ReadProgram(cut, &program, &error));
    EXPECT_EQ(error, "import entry outside the image");
}

// A block of a version resource: its length, value length and type, its key,
// then its text or binary value and its children, each on a 4-byte boundary.
Bytes Block(const std::string &key, const std::string &text, const std::vector<Bytes> &children = {},
            const Bytes &value = {})
{
    Bytes block(6, 0);
    auto utf16 = [&block](const std::string &s) {
        for (char c : s + '\0')
            block.insert(block.end(), {(uint8_t)c, 0});
    };
    utf16(key);
    block.resize((block.size() + 3) & ~3u);
    Put(block, 2, value.empty() ? text.size() + 1 : value.size(), 2);
    Put(block, 4, value.empty(), 2);
    if (value.empty())
        utf16(text);
    block.insert(block.end(), value.begin(), value.end());
    for (const Bytes &child : children) {
        block.resize((block.size() + 3) & ~3u);
        block.insert(block.end(), child.begin(), child.end());
    }
    Put(block, 0, block.size(), 2);
    return block;
}

// A program whose version resource (directory at 0x1a00, file offset 0xc00)
// says major.minor.0.0 and these strings.
Bytes WithVersion(uint32_t major, uint32_t minor, const std::vector<std::pair<std::string, std::string>> &strings)
{
    Bytes image = Image(0x14c, false, 4, 0, {{"KERNEL32.dll", {"Sleep"}}}), fixed(52, 0);
    Put(image, 0x40 + 24 + 96 + 16, 0x1a00, 4);
    Put(fixed, 0, 0xfeef04bd, 4);
    Put(fixed, 8, major << 16 | minor, 4);
    Put(fixed, 16, major << 16 | minor, 4);
    std::vector<Bytes> texts;
    for (const auto &entry : strings)
        texts.push_back(Block(entry.first, entry.second));
    Bytes info = Block("VS_VERSION_INFO", "", {Block("StringFileInfo", "", {Block("040904E4", "", texts)})}, fixed);
    const uint32_t ids[3] = {16, 1, 0x409};  // type, name, language: one entry each
    for (uint32_t level = 0; level < 3; level++) {
        Put(image, 0xc00 + level * 24 + 14, 1, 2);
        Put(image, 0xc00 + level * 24 + 16, ids[level], 4);
        Put(image, 0xc00 + level * 24 + 20, (level < 2 ? 0x80000000 : 0) | (level + 1) * 24, 4);
    }
    Put(image, 0xc00 + 72, 0x1a00 + 88, 4);
    Put(image, 0xc00 + 76, info.size(), 4);
    std::copy(info.begin(), info.end(), image.begin() + 0xc00 + 88);
    return image;
}

TEST(PeCheck, ReadsTheVersionResource)
{
    const std::vector<std::pair<std::string, std::string>> good = {
        {"FileDescription", "Tessaron Setup"}, {"FileVersion", "1.4"}, {"ProductName", "Tessaron"},
        {"ProductVersion", "1.4"}};
    Bytes damaged = WithVersion(1, 4, good);
    Put(damaged, 0xc00 + 88, 0x300, 2);  // a block longer than the resource
    const struct {
        Bytes image;
        std::vector<std::string> objections;
    } cases[] = {
        {WithVersion(1, 4, good), {}},
        {WithVersion(1, 3, {{"FileVersion", "1.4"}, {"ProductName", "Other"}, {"ProductVersion", "1.3"}}),
         {"fixed file version 1.3.0.0, not 1.4.0.0", "fixed product version 1.3.0.0, not 1.4.0.0",
          "ProductVersion \"1.3\", not \"1.4\"", "ProductName \"Other\", not \"Tessaron\"",
          "no FileDescription"}},
        {Image(0x14c, false, 4, 0, {}), {"no version resource"}},
        {damaged, {"version resource damaged"}},
    };
    for (const auto &c : cases) {
        pefile::Program program;
        std::string error;
        EXPECT_EQ(pefile::ReadProgram(c.image, &program, &error) ? pefile::VersionObjections(program, "1.4")
                                                                  : std::vector<std::string>{error},
                  c.objections);
        EXPECT_EQ(program.version.strings == good, c.objections.empty());
    }
}

}  // namespace

TEST(I486Check, InstructionsByTheirLines)
{
    // One line of objdump's disassembly, and the start of the objection ("" = runs on an i486).
    const struct {
        const char *line;
        const char *objection;
    } cases[] = {
        {"  401000:\tpush   %ebp", ""},
        {"  401001:\tmovzbl 0x8(%ebp),%eax", ""},
        {"  401005:\trep stos %eax,%es:(%edi)", ""},
        {"  401007:\tlock cmpxchg %ecx,(%edx)", ""},
        {"  40100b:\tbswap  %eax", ""},
        {"  40100d:\tsetne  %al", ""},
        {"  401010:\tjecxz  0x401020", ""},
        {"  401012:\tfildll 0x8(%esp)", ""},
        {"  401016:\tfnstsw %ax", ""},
        {"  401018:\tfucompp", ""},
        {"  40101a:\tnop", ""},
        {"  40101b:\t(bad)", ""},
        {"Disassembly of section .text:", ""},
        {"00401000 <.text>:", ""},
        {"  401020:\tcmovge %edx,%eax", "cmovge: conditional move"},
        {"  401023:\tfcmovbe %st(1),%st", "fcmovbe: conditional move"},
        {"  401025:\tfucomip %st(1),%st", "fucomip: FPU compare"},
        {"  401027:\tcpuid", "cpuid: Pentium"},
        {"  401029:\trdtsc", "rdtsc: Pentium"},
        {"  40102b:\tlock cmpxchg8b (%esi)", "cmpxchg8b: Pentium"},
        {"  40102f:\tnopw   0x0(%eax,%eax,1)", "nopw: multi-byte NOP"},
        {"  401035:\tcs nopw 0x0(%eax,%eax,1)", "nopw: multi-byte NOP"},
        {"  40103f:\tmovd   %eax,%mm0", "movd: MMX register %mm0"},
        {"  401042:\tmovss  0x4(%esp),%xmm1", "movss: SSE register %xmm1"},
        {"  401048:\tpopcnt %eax,%edx", "popcnt: not an instruction of the i486"},
    };
    for (const auto &c : cases) {
        std::string address;
        std::string objection = i486::Objection(c.line, &address);
        EXPECT_EQ(objection.compare(0, strlen(c.objection), c.objection), 0) << c.line << " -> " << objection;
        EXPECT_EQ(objection.empty(), c.objection[0] == '\0') << c.line << " -> " << objection;
        if (!objection.empty()) {
            EXPECT_EQ(address, std::string(c.line + 2, 6)) << c.line;
        }
    }
}
