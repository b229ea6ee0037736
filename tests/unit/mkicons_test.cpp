#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
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

// The art file of an icon: each size filled with one key, in the order of
// icoart::kSizes, the smallest red with its top-left pixel transparent, the
// 32x32 image white with a black bottom-right pixel.
std::string GoodArt() {
    std::string text = "# comment\n";
    for (int size : icoart::kSizes) {
        std::string rows = Rows(size, size == 32 ? 'w' : 'R');
        if (size == 16) rows[0] = '.';
        if (size == 32) rows[rows.size() - 2] = 'k';
        text += std::to_string(size) + "\n" + rows + "\n";
    }
    return text;
}

icoart::Palette TestPalette() {
    icoart::Palette palette;
    std::string error;
    EXPECT_TRUE(icoart::ParsePalette(kPalette, "palette.txt", &palette, &error)) << error;
    return palette;
}

unsigned U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }
uint32_t U32BigEndian(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

std::string ReadArtFile(const std::string& name) {
    std::ifstream in(std::string(ICON_ART_DIR) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(MkIcons, WritesSixClassicImages) {
    icoart::Palette palette = TestPalette();
    icoart::Art art;
    std::string error;
    ASSERT_TRUE(icoart::ParseArt(GoodArt(), "a.txt", palette, &art, &error)) << error;
    std::vector<uint8_t> ico = icoart::WriteIco(art, palette);

    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(U16(ico, 4), 6u);
    uint32_t offset = 6 + 6 * 16;
    for (int i = 0; i < icoart::kSizeCount; ++i) {
        const int size = icoart::kSizes[i];
        SCOPED_TRACE(size);
        // 40-byte header, 16 colours, 4-bit rows and the 1-bit mask, each
        // row padded to whole 32-bit words.
        const uint32_t bytes = 40 + 64 + (size * 4 + 31) / 32 * 4 * size + (size + 31) / 32 * 4 * size;
        size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico[entry], size);
        EXPECT_EQ(ico[entry + 1], size);
        EXPECT_EQ(ico[entry + 2], 16);
        EXPECT_EQ(U16(ico, entry + 4), 1u);
        EXPECT_EQ(U16(ico, entry + 6), 4u);
        EXPECT_EQ(U32(ico, entry + 8), bytes);
        ASSERT_EQ(U32(ico, entry + 12), offset);
        EXPECT_EQ(U32(ico, offset), 40u);
        EXPECT_EQ(static_cast<int>(U32(ico, offset + 4)), size);
        EXPECT_EQ(static_cast<int>(U32(ico, offset + 8)), 2 * size);
        EXPECT_EQ(U16(ico, offset + 14), 4u);
        offset += bytes;
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
    // The 32x32 image's first stored row is its bottom: ends in black (0).
    size_t large = U32(ico, 6 + 3 * 16 + 12);
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
    const std::string good = GoodArt();
    const size_t at20 = good.find("20\n"), at32 = good.find("32\n"), at40 = good.find("40\n");
    std::string shortRow = good;
    shortRow.erase(good.find("16\n") + 3, 1);  // the 16x16 image's first row one pixel short
    std::string badKey = good;
    badKey[at32 + 3 + 33 * 3 + 4] = 'Z';  // the 32x32 image's fourth row, column 5
    const BadArt cases[] = {
        {"short row", shortRow, "a.txt:3: row of 15 pixels in the 16x16 image (every row has exactly 16)"},
        {"unknown key", badKey, "a.txt:72: unknown colour key 'Z' in column 5"},
        {"missing rows", good.substr(0, at40 - 1 - 33 * 2), "a.txt:98: the 32x32 image ends 2 rows short"},
        {"no 20x20 image", good.substr(0, at20) + good.substr(good.find("24\n")), "a.txt:171: no 20x20 image"},
        {"twice", good + "16\n" + Rows(16, 'R'), "a.txt:194: the 16x16 image is given twice"},
        {"odd size", "16\n" + Rows(16, 'R') + "28\n",
         "a.txt:18: expected a size line (16, 20, 24, 32, 40 or 48) before the pixel rows"},
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
    std::vector<uint8_t> png = icoart::WriteSheetPng({art, art}, palette, 2);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    // Three taskbars side by side, each the six sizes with 8-pixel gaps;
    // two rows of 48 pixels and their gaps; twice as large.
    EXPECT_EQ(U32BigEndian(png, 16), 2u * 3 * (8 + 180 + 6 * 8));
    EXPECT_EQ(U32BigEndian(png, 20), 2u * (8 + 2 * (48 + 8)));
}

// An image from rows of keys.
icoart::Image Drawn(const std::vector<std::string>& rows, const icoart::Palette& palette) {
    icoart::Image image;
    image.size = static_cast<int>(rows.size());
    for (const std::string& row : rows)
        for (char c : row) {
            int index = -1;
            for (size_t i = 0; i < palette.keys.size(); ++i)
                if (palette.keys[i] == c) index = static_cast<int>(i);
            image.pixels.push_back(index);
        }
    return image;
}

TEST(MkIcons, EdgeCountsWhenItOrThePixelInsideStandsOut) {
    icoart::Palette palette;
    std::string error;
    ASSERT_TRUE(icoart::ParsePalette("k 000000\nw ffffff\ns c0c0c0\nn 000080\n. transparent\n", "p", &palette,
                                     &error));
    EXPECT_NEAR(icoart::ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        double dark, light, grey;  // the shares on the three taskbars
    };
    const Case cases[] = {
        {"black alone", {"....", ".kk.", ".kk.", "...."}, 0, 1, 1},
        {"navy inside black", {"kkkk", "knnk", "knnk", "kkkk"}, 0, 1, 1},
        {"white inside black", {".kk.", "kwwk", "kwwk", ".kk."}, 1, 1, 1},
        // A corner has only black beside it and inside it.
        {"square corners", {"kkkk", "kwwk", "kwwk", "kkkk"}, 8.0 / 12, 1, 1},
        {"silver rim around black", {".ss.", "skks", "skks", ".ss."}, 1, 1, 1},
        {"white alone", {"ww..", "ww..", "....", "...."}, 1, 0, 0},
        // A one-pixel line has no pixel inside it: only its own colour counts.
        {"half white, half black", {"kkkk", "....", "wwww", "...."}, 0.5, 0.5, 0.5},
        {"nothing opaque", {"..", ".."}, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        icoart::Image image = Drawn(c.rows, palette);
        EXPECT_DOUBLE_EQ(icoart::VisibleEdgeShare(image, palette, icoart::kTaskbars[0].rgb), c.dark);
        EXPECT_DOUBLE_EQ(icoart::VisibleEdgeShare(image, palette, icoart::kTaskbars[1].rgb), c.light);
        EXPECT_DOUBLE_EQ(icoart::VisibleEdgeShare(image, palette, icoart::kTaskbars[2].rgb), c.grey);
    }

    // An icon falling short on one taskbar is refused by name and size.
    icoart::Art art;
    for (icoart::Image& image : art.images) image = Drawn({".kk.", "kwwk", "kwwk", ".kk."}, palette);
    EXPECT_TRUE(icoart::CheckContrast(art, palette, "a.txt", &error));
    art.images[2] = Drawn({"....", ".kk.", ".kk.", "...."}, palette);
    EXPECT_FALSE(icoart::CheckContrast(art, palette, "a.txt", &error));
    EXPECT_EQ(error.substr(0, error.find(',')),
              "a.txt: the 4x4 image: 0% of its edge stands out on the dark taskbar (#202020)");
}

// Every icon of the program holds an image drawn for each size, each
// standing out on every taskbar, none a copy of a larger one shrunk (its
// pixels the nearest of the larger's).
TEST(MkIcons, ShippedIconsHoldEverySizeDrawnAndVisible) {
    icoart::Palette palette;
    std::string error;
    ASSERT_TRUE(icoart::ParsePalette(ReadArtFile("palette.txt"), "palette.txt", &palette, &error)) << error;
    for (const char* name : {"main", "explorer", "quickaccess", "scandisk", "defrag", "drivespace", "agent",
                             "backup", "setup"}) {
        SCOPED_TRACE(name);
        icoart::Art art;
        ASSERT_TRUE(icoart::ParseArt(ReadArtFile(std::string(name) + ".txt"), name, palette, &art, &error)) << error;
        EXPECT_TRUE(icoart::CheckContrast(art, palette, name, &error)) << error;
        for (const icoart::Image& small : art.images)
            for (const icoart::Image& large : art.images) {
                if (large.size <= small.size) continue;
                int same = 0;
                for (int y = 0; y < small.size; ++y)
                    for (int x = 0; x < small.size; ++x)
                        same += small.pixels[y * small.size + x] ==
                                large.pixels[(y * large.size / small.size) * large.size + x * large.size / small.size];
                EXPECT_LT(same, small.size * small.size)
                    << "the " << small.size << "x" << small.size << " image is the " << large.size << "x"
                    << large.size << " one shrunk";
            }
    }
}

}  // namespace
