#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
