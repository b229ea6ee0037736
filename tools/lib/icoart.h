// Pixel art as text, written out as classic 16-colour icon files and as a
// PNG contact sheet.  Used by the mkicons build tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace icoart {

// A legend of one character per colour.  The order of the entries is the
// order of the colour table in the written icons (at most 16: 4 bits a pixel).
struct Palette {
    std::vector<char> keys;
    std::vector<uint32_t> rgb;  // 0xRRGGBB
    char transparent = '.';
};

// One square image: each pixel a palette index, or -1 for transparent.
struct Image {
    int size = 0;
    std::vector<int> pixels;  // row by row, top row first
};

// The two images of an icon, 16 by 16 and 32 by 32.
struct Art {
    Image small;
    Image large;
};

// Both parsers return false and set *error to "<name>:<line>: <reason>" on
// malformed input.
bool ParsePalette(const std::string& text, const std::string& name, Palette* palette,
                  std::string* error);
bool ParseArt(const std::string& text, const std::string& name, const Palette& palette,
              Art* art, std::string* error);

// The .ico file: a directory of two entries (16 then 32), each image a
// BITMAPINFOHEADER, the colour table, the 4-bit colour bitmap and the 1-bit
// transparency mask.  The bytes depend only on the art and the palette.
std::vector<uint8_t> WriteIco(const Art& art, const Palette& palette);

// One PNG showing the large image of every icon side by side on the
// desktop's background colour, each scaled by `scale` (no time stamps).
std::vector<uint8_t> WriteSheetPng(const std::vector<Art>& arts, const Palette& palette,
                                   int scale, uint32_t background);

}  // namespace icoart
