#include "quickaccess.h"

#include <errno.h>
#include <limits.h>
#include <string.h>

#include "settings.h"

static const char QuickAccessFileName[] = "TESSARON.QAL";

enum { CtrlZ = 0x1A };

bool QuickAccessFilePath(const char *windowsDir, char *out, size_t size)
{
    // The one rule for every file in the Windows directory.
    DefaultToolPath(out, size, windowsDir, QuickAccessFileName);
    return size != 0 && out[0] != '\0';
}

// Copies text into out, each "&" written twice (doubling) or each "&&"
// once (halving).
static bool CopyAmpersands(const char *text, bool doubling, char *out, size_t size)
{
    size_t n = 0;
    for (const char *p = text; *p != '\0'; p++) {
        if (!doubling && p[0] == '&' && p[1] == '&')
            p++;
        size_t count = doubling && *p == '&' ? 2 : 1;
        if (n + count >= size) {
            if (size > 0)
                out[0] = '\0';
            return false;
        }
        while (count-- > 0)
            out[n++] = *p;
    }
    if (size == 0)
        return false;
    out[n] = '\0';
    return true;
}

bool QuickAccessMenuText(const char *entry, char *out, size_t size)
{
    return CopyAmpersands(entry, true, out, size);
}

bool QuickAccessEntryFromMenuText(const char *text, char *out, size_t size)
{
    return CopyAmpersands(text, false, out, size);
}

// The reader proper.  midPiece tells whether the file ended (or hit its
// Ctrl-Z) inside a piece that no LF closed.
static long ScanEntries(FILE *file, long maxEntries, QuickAccessEntrySink sink,
                        void *context, bool *midPiece)
{
    char piece[QuickAccessPieceSize];
    size_t length = 0;
    long count = 0;
    bool pending = false;  // characters read since the last piece ended
    *midPiece = false;
    for (;;) {
        if (count >= maxEntries)
            return count;
        int c = getc(file);
        if (c == EOF) {
            if (ferror(file))
                return -1;
            break;
        }
        if (c == CtrlZ)
            break;
        if (c == '\r')
            continue;
        pending = true;
        bool lineEnd = c == '\n';
        if (!lineEnd)
            piece[length++] = (char)c;
        // The LF counts towards the piece's 2047 characters.
        if (lineEnd || length == QuickAccessPieceSize - 1) {
            piece[length] = '\0';
            if (!sink(context, piece, length))
                return count;
            count++;
            length = 0;
            pending = false;
        }
    }
    *midPiece = pending;
    if (pending) {
        piece[length] = '\0';
        if (sink(context, piece, length))
            count++;
    }
    return count;
}

long ReadQuickAccessEntries(FILE *file, long maxEntries,
                            QuickAccessEntrySink sink, void *context)
{
    bool midPiece;
    return ScanEntries(file, maxEntries, sink, context, &midPiece);
}

bool QuickAccessEntryUsable(const char *text, size_t length)
{
    return memchr(text, '\0', length) == nullptr;
}

bool QuickAccessPathStorable(const char *path)
{
    size_t length = strlen(path);
    return length > 0 && length < QuickAccessPieceSize - 1 &&
           strpbrk(path, "\r\n\x1A") == nullptr;
}

// Opens the list for reading.  False only when the file is there but
// cannot be read; a file known to be missing gives true and no stream.
static bool OpenList(const char *filePath, FILE **file)
{
    errno = 0;
    *file = fopen(filePath, "rb");
    return *file != nullptr || errno == ENOENT;
}

// The file's size and last byte (-1 when empty or missing); false when
// they cannot be known.
static bool FileTail(const char *filePath, long *size, int *last)
{
    *size = 0;
    *last = -1;
    FILE *file;
    if (!OpenList(filePath, &file))
        return false;
    if (file == nullptr)
        return true;  // missing: the append creates it
    bool ok = fseek(file, 0, SEEK_END) == 0 && (*size = ftell(file)) >= 0;
    if (ok && *size > 0)
        ok = fseek(file, -1, SEEK_END) == 0 && (*last = getc(file)) != EOF;
    fclose(file);
    return ok;
}

static bool AcceptAll(void *, const char *, size_t)
{
    return true;
}

// Whether the file's last line has no LF and did not fill its last piece,
// so that the next line written would join it; false when unknown.
static bool EndsMidPiece(const char *filePath, bool *midPiece)
{
    *midPiece = false;
    FILE *file;
    if (!OpenList(filePath, &file))
        return false;
    if (file == nullptr)
        return true;
    bool ok = ScanEntries(file, LONG_MAX, AcceptAll, nullptr, midPiece) >= 0;
    fclose(file);
    return ok;
}

bool AppendQuickAccessLine(const char *filePath, const char *path, CutFileFunction cutFile)
{
    if (!QuickAccessPathStorable(path))
        return false;
    // A list that is there but cannot be read is left alone: where its
    // last line ends is unknown, and so is how far back a failed write
    // could be cut.
    long size;
    int last;
    if (!FileTail(filePath, &size, &last))
        return false;
    // A Ctrl-Z at the very end (left by editors of the time) would hide the
    // new line; text-mode appending drops it, and so do we.
    while (last == CtrlZ) {
        if (!cutFile(filePath, size - 1) || !FileTail(filePath, &size, &last))
            return false;
    }
    // The last entry and the new one must stay apart.
    bool needBreak;
    if (!EndsMidPiece(filePath, &needBreak))
        return false;

    FILE *file = fopen(filePath, "ab");
    if (file == nullptr)
        return false;
    // The size as this handle finds it: a failed write is cut back to it,
    // never below, whatever happened to the file since it was read.
    long before = fseek(file, 0, SEEK_END) == 0 ? ftell(file) : -1;
    bool ok = before >= 0 && (!needBreak || fputs("\r\n", file) >= 0) &&
              fputs(path, file) >= 0 && fputs("\r\n", file) >= 0;
    if (fflush(file) != 0)
        ok = false;
    if (fclose(file) != 0)
        ok = false;
    // A part of the line may have reached the disk: take it back.
    if (!ok && before >= 0)
        cutFile(filePath, before);
    return ok;
}
