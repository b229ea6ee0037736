// mkicons: turns the pixel art in tools/icons/*.txt into .ico files.
//
//   mkicons ico <palette.txt> <art.txt> <out.ico>
//   mkicons sheet <palette.txt> <out.png> <scale> <art.txt>...
//
// The art files hold the 16x16 and the 32x32 image of one icon as text, one
// character a pixel, with the colour legend of palette.txt.  Output bytes
// depend only on the input, so every build writes the same files.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "icoart.h"

namespace {

const char kUsage[] =
    "usage: mkicons ico <palette.txt> <art.txt> <out.ico>\n"
    "       mkicons sheet <palette.txt> <out.png> <scale> <art.txt>...\n";

// The desktop's teal, behind the icons on the contact sheet.
const uint32_t kDesktopColour = 0x008080;

bool ReadText(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "mkicons: cannot read %s\n", path.c_str());
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    return true;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "mkicons: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool LoadPalette(const std::string& path, icoart::Palette* palette) {
    std::string text, error;
    if (!ReadText(path, &text)) return false;
    if (!icoart::ParsePalette(text, path, palette, &error)) {
        std::fprintf(stderr, "mkicons: %s\n", error.c_str());
        return false;
    }
    return true;
}

bool LoadArt(const std::string& path, const icoart::Palette& palette, icoart::Art* art) {
    std::string text, error;
    if (!ReadText(path, &text)) return false;
    if (!icoart::ParseArt(text, path, palette, art, &error)) {
        std::fprintf(stderr, "mkicons: %s\n", error.c_str());
        return false;
    }
    return true;
}

int MakeIcon(int argc, char** argv) {
    if (argc != 5) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    icoart::Palette palette;
    icoart::Art art;
    if (!LoadPalette(argv[2], &palette) || !LoadArt(argv[3], palette, &art)) return 1;
    return WriteBytes(argv[4], icoart::WriteIco(art, palette)) ? 0 : 1;
}

int MakeSheet(int argc, char** argv) {
    if (argc < 6) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    int scale = std::atoi(argv[4]);
    if (scale < 1 || scale > 8) {
        std::fprintf(stderr, "mkicons: scale must be 1 to 8, not %s\n", argv[4]);
        return 2;
    }
    icoart::Palette palette;
    if (!LoadPalette(argv[2], &palette)) return 1;
    std::vector<icoart::Art> arts;
    for (int i = 5; i < argc; ++i) {
        icoart::Art art;
        if (!LoadArt(argv[i], palette, &art)) return 1;
        arts.push_back(art);
    }
    return WriteBytes(argv[3], icoart::WriteSheetPng(arts, palette, scale, kDesktopColour)) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "ico") return MakeIcon(argc, argv);
    if (mode == "sheet") return MakeSheet(argc, argv);
    std::fputs(kUsage, stderr);
    return 2;
}
