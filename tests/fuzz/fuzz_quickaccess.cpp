// Feeds arbitrary bytes to the quick access list reader as a file and checks
// every entry against a model of the text rules written another way (whole
// buffer, lines first, then pieces).  Odd first bytes also append a path
// taken from the input to the same bytes on disk: the list must then be the
// old one plus that path, or the old one when the path was refused.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "quickaccess.h"

static void Check(bool ok)
{
    if (!ok)
        abort();
}

// Entries as a menu would hold them: the raw piece without its LF.
static std::vector<std::string> Model(const std::string &bytes)
{
    std::string text;
    for (char c : bytes) {
        if (c == 0x1A)
            break;
        if (c != '\r')
            text += c;
    }
    std::vector<std::string> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string::npos ? text.size() : lf + 1;  // LF included
        for (size_t p = start; p < end; p += QuickAccessPieceSize - 1) {
            std::string piece = text.substr(p, std::min<size_t>(QuickAccessPieceSize - 1, end - p));
            if (!piece.empty() && piece.back() == '\n')
                piece.pop_back();
            entries.push_back(piece);
        }
        start = end;
    }
    return entries;
}

struct Sink {
    std::vector<std::string> entries;
    long refuseAt;  // index of the first entry refused, -1 for none
};

static bool Collect(void *context, const char *text, size_t length)
{
    Sink *sink = static_cast<Sink *>(context);
    Check(length < QuickAccessPieceSize && text[length] == '\0');
    Check(memchr(text, '\n', length) == nullptr && memchr(text, '\r', length) == nullptr);
    if ((long)sink->entries.size() == sink->refuseAt)
        return false;
    sink->entries.push_back(std::string(text, length));
    return true;
}

static long Read(FILE *file, long maxEntries, Sink *sink)
{
    return ReadQuickAccessEntries(file, maxEntries, Collect, sink);
}

static bool Cut(const char *path, long size)
{
    return truncate(path, size) == 0;
}

static void CheckAppend(const std::string &before, const std::string &path)
{
    static char file[64];
    if (file[0] == '\0')
        snprintf(file, sizeof file, "/tmp/fuzz_quickaccess_%d.qal", (int)getpid());
    FILE *out = fopen(file, "wb");
    if (out == nullptr)
        return;
    fwrite(before.data(), 1, before.size(), out);
    fclose(out);

    bool appended = AppendQuickAccessLine(file, path.c_str(), Cut);
    Check(appended == QuickAccessPathStorable(path.c_str()));

    Sink sink = {{}, -1};
    FILE *in = fopen(file, "rb");
    Check(in != nullptr);
    Check(Read(in, QuickAccessMaxEntries, &sink) == (long)sink.entries.size());
    fclose(in);
    unlink(file);

    std::vector<std::string> expected = Model(before);
    // Trailing Ctrl-Z bytes are dropped; one before them hides the new line.
    std::string kept = before;
    while (!kept.empty() && kept.back() == '\x1A')
        kept.pop_back();
    bool hidden = kept.find('\x1A') != std::string::npos;
    if (appended && !hidden)
        expected.push_back(path);
    Check(sink.entries == expected);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    const long maxEntries = data[1] == 0 ? QuickAccessMaxEntries : data[1];
    std::string bytes((const char *)data + 2, size - 2);

    if (mode & 1) {
        // The path runs to the first NUL; the rest is the file.
        size_t nul = bytes.find('\0');
        if (nul == std::string::npos)
            return 0;
        CheckAppend(bytes.substr(nul + 1), bytes.substr(0, nul));
        return 0;
    }

    FILE *in = fmemopen((void *)bytes.data(), bytes.size() ? bytes.size() : 1,
                        "rb");
    if (in == nullptr)
        return 0;
    if (bytes.empty())
        fgetc(in);  // a one-byte window, consumed: an empty file
    Sink sink = {{}, (mode >> 1) % 8 == 0 ? -1 : (long)((mode >> 4) % 8)};
    long count = Read(in, maxEntries, &sink);
    fclose(in);

    std::vector<std::string> expected = Model(bytes);
    if ((long)expected.size() > maxEntries)
        expected.resize(maxEntries);
    if (sink.refuseAt >= 0 && (long)expected.size() > sink.refuseAt)
        expected.resize(sink.refuseAt);
    Check(count == (long)sink.entries.size());
    Check(sink.entries == expected);
    return 0;
}
