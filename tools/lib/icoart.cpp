#include "icoart.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace icoart {
namespace {

constexpr int kMaxColours = 16;
constexpr int kLargest = kSizes[kSizeCount - 1];

int SizeIndex(int size) {
    for (int i = 0; i < kSizeCount; ++i)
        if (kSizes[i] == size) return i;
    return -1;
}

std::string SizeName(int size) { return std::to_string(size) + "x" + std::to_string(size); }

std::string SizeList() {
    std::string list;
    for (int i = 0; i < kSizeCount; ++i)
        list += (i == 0 ? "" : i == kSizeCount - 1 ? " or " : ", ") + std::to_string(kSizes[i]);
    return list;
}

bool Fail(std::string* error, const std::string& name, int line, const std::string& why) {
    *error = name + ":" + std::to_string(line) + ": " + why;
    return false;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    return s;
}

bool IsCommentOrBlank(const std::string& s) { return s.empty() || s[0] == '#'; }

int IndexOf(const Palette& palette, char key) {
    for (size_t i = 0; i < palette.keys.size(); ++i)
        if (palette.keys[i] == key) return static_cast<int>(i);
    return -1;
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back((v >> (8 * i)) & 0xFF);
}

void Put32BigEndian(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back((v >> (8 * i)) & 0xFF);
}

// Rows of a Windows bitmap are padded to whole 32-bit words.
int RowBytes(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

int ImageBytes(int size) {
    return 40 + 4 * kMaxColours + RowBytes(size, 4) * size + RowBytes(size, 1) * size;
}

void WriteImage(std::vector<uint8_t>& out, const Image& image, const Palette& palette) {
    const int n = image.size;
    // BITMAPINFOHEADER; the height counts the colour bitmap and the mask.
    Put32(out, 40);
    Put32(out, n);
    Put32(out, 2 * n);
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0);  // BI_RGB
    Put32(out, RowBytes(n, 4) * n + RowBytes(n, 1) * n);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    for (int i = 0; i < kMaxColours; ++i) {
        uint32_t c = i < static_cast<int>(palette.rgb.size()) ? palette.rgb[i] : 0;
        out.push_back(c & 0xFF);
        out.push_back((c >> 8) & 0xFF);
        out.push_back((c >> 16) & 0xFF);
        out.push_back(0);
    }
    // Bottom row first, as in every Windows bitmap.
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(RowBytes(n, 4), 0);
        for (int x = 0; x < n; ++x) {
            int p = image.pixels[y * n + x];
            int v = p < 0 ? 0 : p;  // transparent pixels are black under the mask
            row[x / 2] |= static_cast<uint8_t>(x % 2 == 0 ? v << 4 : v);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<uint8_t> row(RowBytes(n, 1), 0);
        for (int x = 0; x < n; ++x)
            if (image.pixels[y * n + x] < 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
}

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    Put32BigEndian(out, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    Put32BigEndian(out, Crc32(typed.data(), typed.size(), 0));
}

// zlib stream of stored (uncompressed) deflate blocks: small enough for a
// contact sheet and needs no compression library.
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t len = raw.size() - pos;
        if (len > 65535) len = 65535;
        bool last = pos + len == raw.size();
        out.push_back(last ? 1 : 0);
        Put16(out, static_cast<unsigned>(len));
        Put16(out, static_cast<unsigned>(~len & 0xFFFF));
        out.insert(out.end(), raw.begin() + pos, raw.begin() + pos + len);
        pos += len;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    Put32BigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace

bool ParsePalette(const std::string& text, const std::string& name, Palette* palette,
                  std::string* error) {
    Palette result;
    bool haveTransparent = false;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string line = TrimRight(raw);
        if (IsCommentOrBlank(line)) continue;
        std::istringstream fields(line);
        std::string key, value;
        fields >> key >> value;
        if (key.size() != 1 || value.empty())
            return Fail(error, name, lineNo, "expected a one-character key and a colour");
        char k = key[0];
        if (IndexOf(result, k) >= 0 || (haveTransparent && k == result.transparent))
            return Fail(error, name, lineNo, "key '" + key + "' is defined twice");
        if (value == "transparent") {
            result.transparent = k;
            haveTransparent = true;
            continue;
        }
        if (value.size() != 6 || value.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return Fail(error, name, lineNo, "colour '" + value + "' is not six hex digits (RRGGBB)");
        if (static_cast<int>(result.keys.size()) == kMaxColours)
            return Fail(error, name, lineNo, "more than 16 colours");
        result.keys.push_back(k);
        result.rgb.push_back(static_cast<uint32_t>(std::stoul(value, nullptr, 16)));
    }
    if (result.keys.empty()) return Fail(error, name, lineNo, "no colours defined");
    if (!haveTransparent)
        return Fail(error, name, lineNo, "no transparent key (a line such as '. transparent')");
    *palette = result;
    return true;
}

const Image& Art::Of(int size) const {
    int index = SizeIndex(size);
    return images[index < 0 ? 0 : index];
}

bool ParseArt(const std::string& text, const std::string& name, const Palette& palette,
              Art* art, std::string* error) {
    Art result;
    Image* current = nullptr;
    int rowsWanted = 0;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string line = TrimRight(raw);
        if (rowsWanted == 0) {
            if (IsCommentOrBlank(line)) continue;
            int index = line.size() == 2 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                                std::isdigit(static_cast<unsigned char>(line[1]))
                            ? SizeIndex(std::stoi(line))
                            : -1;
            if (index < 0)
                return Fail(error, name, lineNo,
                            "expected a size line (" + SizeList() + ") before the pixel rows");
            current = &result.images[index];
            if (current->size != 0)
                return Fail(error, name, lineNo, "the " + SizeName(kSizes[index]) + " image is given twice");
            current->size = rowsWanted = kSizes[index];
            continue;
        }
        if (static_cast<int>(line.size()) != current->size)
            return Fail(error, name, lineNo,
                        "row of " + std::to_string(line.size()) + " pixels in the " + SizeName(current->size) +
                            " image (every row has exactly " + std::to_string(current->size) + ")");
        for (size_t x = 0; x < line.size(); ++x) {
            char c = line[x];
            int index = c == palette.transparent ? -1 : IndexOf(palette, c);
            if (index < 0 && c != palette.transparent)
                return Fail(error, name, lineNo,
                            std::string("unknown colour key '") + c + "' in column " + std::to_string(x + 1));
            current->pixels.push_back(index);
        }
        --rowsWanted;
    }
    if (rowsWanted != 0)
        return Fail(error, name, lineNo,
                    "the " + SizeName(current->size) + " image ends " + std::to_string(rowsWanted) + " rows short");
    for (const Image& image : result.images)
        if (image.size == 0)
            return Fail(error, name, lineNo, "no " + SizeName(kSizes[&image - result.images]) + " image");
    *art = result;
    return true;
}

std::vector<uint8_t> WriteIco(const Art& art, const Palette& palette) {
    std::vector<uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // icon
    Put16(out, kSizeCount);
    uint32_t offset = 6 + kSizeCount * 16;
    for (const Image& image : art.images) {
        out.push_back(static_cast<uint8_t>(image.size));
        out.push_back(static_cast<uint8_t>(image.size));
        out.push_back(kMaxColours);
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, 4);  // bits a pixel
        Put32(out, ImageBytes(image.size));
        Put32(out, offset);
        offset += ImageBytes(image.size);
    }
    for (const Image& image : art.images) WriteImage(out, image, palette);
    return out;
}

// ---- Standing out on the taskbar

const Taskbar kTaskbars[3] = {
    {"dark", 0x202020},
    {"light", 0xF3F3F3},
    {"grey", 0xC0C0C0},
};

namespace {

double Linear(uint32_t channel) {
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(uint32_t rgb) {
    return 0.2126 * Linear((rgb >> 16) & 0xFF) + 0.7152 * Linear((rgb >> 8) & 0xFF) +
           0.0722 * Linear(rgb & 0xFF);
}

}  // namespace

double ContrastRatio(uint32_t a, uint32_t b) {
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double VisibleEdgeShare(const Image& image, const Palette& palette, uint32_t background) {
    std::vector<bool> stands(palette.rgb.size());
    for (size_t i = 0; i < stands.size(); ++i)
        stands[i] = ContrastRatio(palette.rgb[i], background) >= kMinimumContrast;
    const int n = image.size;
    auto at = [&](int x, int y) { return x < 0 || y < 0 || x >= n || y >= n ? -1 : image.pixels[y * n + x]; };
    const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    int edges = 0, visible = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (at(x, y) < 0) continue;
            bool edge = false, seen = stands[at(x, y)];
            for (const auto& step : steps) {
                if (at(x + step[0], y + step[1]) >= 0) continue;
                edge = true;
                int inside = at(x - step[0], y - step[1]);
                seen = seen || (inside >= 0 && stands[inside]);
            }
            edges += edge;
            visible += edge && seen;
        }
    return edges == 0 ? 1.0 : static_cast<double>(visible) / edges;
}

bool CheckContrast(const Art& art, const Palette& palette, const std::string& name,
                   std::string* error) {
    for (const Image& image : art.images)
        for (const Taskbar& taskbar : kTaskbars) {
            double share = VisibleEdgeShare(image, palette, taskbar.rgb);
            if (share >= kMinimumVisibleEdge) continue;
            char text[256];
            std::snprintf(text, sizeof text,
                          "%s: the %s image: %d%% of its edge stands out on the %s taskbar (#%06X), "
                          "fewer than %d%% (an edge pixel counts when it or the pixel inside it "
                          "reaches %.0f:1)",
                          name.c_str(), SizeName(image.size).c_str(), static_cast<int>(share * 100),
                          taskbar.name, static_cast<unsigned>(taskbar.rgb),
                          static_cast<int>(kMinimumVisibleEdge * 100 + 0.5), kMinimumContrast);
            *error = text;
            return false;
        }
    return true;
}

std::vector<uint8_t> WriteSheetPng(const std::vector<Art>& arts, const Palette& palette,
                                   int scale) {
    // In pixels of the art: a gap around every image, each size its own
    // column, each icon its own row, the images centred in the row.
    const int gap = 8;
    int panel = gap;
    for (int size : kSizes) panel += size + gap;
    const int count = static_cast<int>(arts.size());
    const int width = 3 * panel;
    const int height = gap + count * (kLargest + gap);
    std::vector<uint32_t> canvas(static_cast<size_t>(width) * height);
    for (int t = 0; t < 3; ++t) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < panel; ++x) canvas[y * width + t * panel + x] = kTaskbars[t].rgb;
        for (int row = 0; row < count; ++row) {
            int left = t * panel + gap;
            for (const Image& image : arts[row].images) {
                int top = gap + row * (kLargest + gap) + (kLargest - image.size) / 2;
                for (int y = 0; y < image.size; ++y)
                    for (int x = 0; x < image.size; ++x) {
                        int p = image.pixels[y * image.size + x];
                        if (p >= 0) canvas[(top + y) * width + left + x] = palette.rgb[p];
                    }
                left += image.size + gap;
            }
        }
    }
    std::vector<uint8_t> raw;
    for (int y = 0; y < height * scale; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < width * scale; ++x) {
            uint32_t c = canvas[(y / scale) * width + x / scale];
            raw.push_back((c >> 16) & 0xFF);
            raw.push_back((c >> 8) & 0xFF);
            raw.push_back(c & 0xFF);
        }
    }
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Put32BigEndian(header, width * scale);
    Put32BigEndian(header, height * scale);
    header.push_back(8);  // bits a sample
    header.push_back(2);  // truecolour
    header.push_back(0);
    header.push_back(0);
    header.push_back(0);
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", ZlibStored(raw));
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace icoart
