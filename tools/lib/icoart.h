// Pixel art as text, written out as classic 16-colour icon files and as a
// PNG contact sheet, and judged for how well it stands out on a taskbar.
// Used by the mkicons build tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace icoart {

// The sizes every icon is drawn at, smallest first: the tray's slot at 100,
// 125, 150 and 200 percent (16, 20, 24, 32) and the large icon at 100, 125
// and 150 percent (32, 40, 48).
constexpr int kSizes[] = {16, 20, 24, 32, 40, 48};
constexpr int kSizeCount = 6;

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

// The images of an icon, one drawn for each of kSizes, in that order.
struct Art {
    Image images[kSizeCount];
    const Image& Of(int size) const;  // size: one of kSizes (else the smallest)
};

// Both parsers return false and set *error to "<name>:<line>: <reason>" on
// malformed input.
bool ParsePalette(const std::string& text, const std::string& name, Palette* palette,
                  std::string* error);
bool ParseArt(const std::string& text, const std::string& name, const Palette& palette,
              Art* art, std::string* error);

// The .ico file: a directory of one entry per size, smallest first, each
// image a BITMAPINFOHEADER, the colour table, the 4-bit colour bitmap and
// the 1-bit transparency mask.  The bytes depend only on the art and the
// palette.
std::vector<uint8_t> WriteIco(const Art& art, const Palette& palette);

// ---- Standing out on the taskbar
// The taskbars an icon must show on: Windows 10's dark and light ones and
// Windows 98's grey.
struct Taskbar {
    const char* name;
    uint32_t rgb;
};
extern const Taskbar kTaskbars[3];
constexpr double kMinimumContrast = 3.0;     // the ratio a pixel needs to stand out
constexpr double kMinimumVisibleEdge = 0.9;  // the share of the edge that must stand out

// The contrast ratio of two colours (1 to 21), from their relative
// luminance in sRGB as the accessibility guidelines define it.
double ContrastRatio(uint32_t a, uint32_t b);

// No single colour reaches 3:1 against both a dark and a grey taskbar, so
// an icon stands out by its edge: an edge pixel (an opaque pixel beside a
// transparent one or the image's border) counts when it, or the opaque
// pixel one step further in, reaches kMinimumContrast against the
// background.  The share of the image's edge pixels that count, 0 to 1
// (1 for an image without opaque pixels).
double VisibleEdgeShare(const Image& image, const Palette& palette, uint32_t background);

// Every image of the art on every taskbar: false with the first that falls
// short of kMinimumVisibleEdge in *error ("<name>: the 16x16 image: ...").
bool CheckContrast(const Art& art, const Palette& palette, const std::string& name,
                   std::string* error);

// One PNG of every icon at every size, one row an icon, on each taskbar's
// colour side by side, each pixel enlarged `scale` times (no time stamps).
std::vector<uint8_t> WriteSheetPng(const std::vector<Art>& arts, const Palette& palette,
                                   int scale);

}  // namespace icoart
