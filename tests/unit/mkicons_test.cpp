#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "icoart.h"

namespace {

const char kPalette[] =
    "# test legend\n"
    "k 000000 black\n"
    "w ffffff white\n"
    "R ff0000 red\n"
    ". transparent\n";

std::string Rows(int size, char fill) {
    std::string rows;
    for (int y = 0; y < size; ++y) rows += std::string(size, fill) + "\n";
    return rows;
}

std::string GoodArt() {
    // The small image's top-left pixel is transparent, the rest red; the
    // large image is white with a black bottom-right pixel.
    std::string small = Rows(16, 'R');
    small[0] = '.';
    std::string large = Rows(32, 'w');
    large[large.size() - 2] = 'k';
    return "# comment\n16\n" + small + "\n32\n" + large;
}

icoart::Palette TestPalette() {
    icoart::Palette palette;
    std::string error;
    EXPECT_TRUE(icoart::ParsePalette(kPalette, "palette.txt", &palette, &error)) << error;
    return palette;
}

unsigned U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }

TEST(MkIcons, WritesTwoClassicImages) {
    icoart::Palette palette = TestPalette();
    icoart::Art art;
    std::string error;
    ASSERT_TRUE(icoart::ParseArt(GoodArt(), "a.txt", palette, &art, &error)) << error;
    std::vector<uint8_t> ico = icoart::WriteIco(art, palette);

    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(U16(ico, 4), 2u);
    // 40-byte header, 16 colours, 4-bit rows and the padded 1-bit mask.
    const uint32_t bytes[2] = {40 + 64 + 8 * 16 + 4 * 16, 40 + 64 + 16 * 32 + 4 * 32};
    const int sizes[2] = {16, 32};
    uint32_t offset = 6 + 2 * 16;
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(sizes[i]);
        size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico[entry], sizes[i]);
        EXPECT_EQ(ico[entry + 1], sizes[i]);
        EXPECT_EQ(ico[entry + 2], 16);
        EXPECT_EQ(U16(ico, entry + 4), 1u);
        EXPECT_EQ(U16(ico, entry + 6), 4u);
        EXPECT_EQ(U32(ico, entry + 8), bytes[i]);
        ASSERT_EQ(U32(ico, entry + 12), offset);
        EXPECT_EQ(U32(ico, offset), 40u);
        EXPECT_EQ(static_cast<int>(U32(ico, offset + 4)), sizes[i]);
        EXPECT_EQ(static_cast<int>(U32(ico, offset + 8)), 2 * sizes[i]);
        EXPECT_EQ(U16(ico, offset + 14), 4u);
        offset += bytes[i];
    }
    EXPECT_EQ(ico.size(), offset);

    // Colour table entry 2 is red, stored blue, green, red, 0.
    size_t table = U32(ico, 6 + 12) + 40;
    EXPECT_EQ(ico[table + 8], 0);
    EXPECT_EQ(ico[table + 10], 0xFF);
    // Bitmaps run bottom-up: the small image's last stored row is its top.
    size_t small = U32(ico, 6 + 12);
    size_t xorTop = small + 40 + 64 + 8 * 15;
    EXPECT_EQ(ico[xorTop], 0x02);  // transparent pixel 0, then red (2)
    size_t andTop = small + 40 + 64 + 8 * 16 + 4 * 15;
    EXPECT_EQ(ico[andTop], 0x80);
    EXPECT_EQ(ico[andTop + 1], 0x00);
    // The large image's first stored row is its bottom: ends in black (0).
    size_t large = U32(ico, 6 + 16 + 12);
    EXPECT_EQ(ico[large + 40 + 64 + 15], 0x10);

    EXPECT_EQ(icoart::WriteIco(art, palette), ico);  // same bytes every time
}

struct BadArt {
    const char* what;
    std::string text;
    const char* message;
};

TEST(MkIcons, MalformedArtIsRefusedClearly) {
    icoart::Palette palette = TestPalette();
    std::string small = Rows(16, 'R');
    std::string large = Rows(32, 'w');
    std::string shortRow = small;
    shortRow.erase(17, 1);  // second row one pixel short
    std::string badKey = large;
    badKey[33 * 3 + 4] = 'Z';  // line 22, column 5
    const BadArt cases[] = {
        {"short row", "16\n" + shortRow + "32\n" + large,
         "a.txt:3: row of 15 pixels in the 16x16 image (every row has exactly 16)"},
        {"unknown key", "16\n" + small + "32\n" + badKey,
         "a.txt:22: unknown colour key 'Z' in column 5"},
        {"missing rows", "16\n" + small + "32\n" + large.substr(0, 33 * 30),
         "a.txt:48: the 32x32 image ends 2 rows short"},
        {"no large image", "16\n" + small, "a.txt:17: no 32x32 image"},
        {"twice", "16\n" + small + "16\n" + small, "a.txt:18: the 16x16 image is given twice"},
        {"no size line", small, "a.txt:1: expected a size line, 16 or 32, before the pixel rows"},
        {"empty", "", "a.txt:0: no 16x16 image"},
    };
    for (const BadArt& c : cases) {
        SCOPED_TRACE(c.what);
        icoart::Art art;
        std::string error;
        EXPECT_FALSE(icoart::ParseArt(c.text, "a.txt", palette, &art, &error));
        EXPECT_EQ(error, c.message);
    }
}

TEST(MkIcons, MalformedPaletteIsRefusedClearly) {
    std::string seventeen;
    for (int i = 0; i < 17; ++i) seventeen += std::string(1, static_cast<char>('a' + i)) + " 000000\n";
    const BadArt cases[] = {
        {"bad colour", "k 00000g\n. transparent\n", "p:1: colour '00000g' is not six hex digits (RRGGBB)"},
        {"twice", "k 000000\nk ffffff\n. transparent\n", "p:2: key 'k' is defined twice"},
        {"too many", seventeen + ". transparent\n", "p:17: more than 16 colours"},
        {"no transparent", "k 000000\n", "p:1: no transparent key (a line such as '. transparent')"},
    };
    for (const BadArt& c : cases) {
        SCOPED_TRACE(c.what);
        icoart::Palette palette;
        std::string error;
        EXPECT_FALSE(icoart::ParsePalette(c.text, "p", &palette, &error));
        EXPECT_EQ(error, c.message);
    }
}

TEST(MkIcons, SheetIsAPng) {
    icoart::Palette palette = TestPalette();
    icoart::Art art;
    std::string error;
    ASSERT_TRUE(icoart::ParseArt(GoodArt(), "a.txt", palette, &art, &error)) << error;
    std::vector<uint8_t> png = icoart::WriteSheetPng({art, art}, palette, 1, 0x008080);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    // Two 32-pixel cells with 8-pixel gaps around them.
    EXPECT_EQ(png[16 + 3], 8 + 2 * 40);
    EXPECT_EQ(png[20 + 3], 48);
}

}  // namespace
