// mkicons: turns the pixel art in tools/icons/*.txt into .ico files.
//
//   mkicons ico <palette.txt> <art.txt> <out.ico>
//   mkicons sheet <palette.txt> <out.png> <scale> <art.txt>...
//   mkicons contrast <palette.txt> <art.txt>...
//
// The art files hold the images of one icon as text, one drawn for each
// size (16, 20, 24, 32, 40 and 48 pixels), one character a pixel, with the
// colour legend of palette.txt.  An icon whose edge does not stand out on
// a dark, a light and a grey taskbar is refused (icoart.h says how that is
// judged); "contrast" prints the share of each image's edge that does.
// Output bytes depend only on the input, so every build writes the same
// files.
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
    "       mkicons sheet <palette.txt> <out.png> <scale> <art.txt>...\n"
    "       mkicons contrast <palette.txt> <art.txt>...\n";

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
    std::string error;
    if (!icoart::CheckContrast(art, palette, argv[3], &error)) {
        std::fprintf(stderr, "mkicons: %s\n", error.c_str());
        return 1;
    }
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
    return WriteBytes(argv[3], icoart::WriteSheetPng(arts, palette, scale)) ? 0 : 1;
}

// One line an image: its size and the share of its edge that stands out
// on each taskbar, the images that fall short marked.
int ReportContrast(int argc, char** argv) {
    if (argc < 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    icoart::Palette palette;
    if (!LoadPalette(argv[2], &palette)) return 1;
    int shortfalls = 0;
    for (int i = 3; i < argc; ++i) {
        icoart::Art art;
        if (!LoadArt(argv[i], palette, &art)) return 1;
        for (const icoart::Image& image : art.images) {
            std::printf("%s %2dx%-2d", argv[i], image.size, image.size);
            for (const icoart::Taskbar& taskbar : icoart::kTaskbars) {
                double share = icoart::VisibleEdgeShare(image, palette, taskbar.rgb);
                bool enough = share >= icoart::kMinimumVisibleEdge;
                shortfalls += !enough;
                std::printf("  %s %3d%%%s", taskbar.name, static_cast<int>(share * 100), enough ? " " : "!");
            }
            std::printf("\n");
        }
    }
    return shortfalls == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "ico") return MakeIcon(argc, argv);
    if (mode == "sheet") return MakeSheet(argc, argv);
    if (mode == "contrast") return ReportContrast(argc, argv);
    std::fputs(kUsage, stderr);
    return 2;
}
