// Feeds arbitrary text to the dialogs' number reader, as a number field
// holds it, and to the drive list rule of the ScanDisk and Defragmenter
// dialogs:
//   - a field reads as the C library reads a decimal number (white space,
//     a sign, digits up to the first other character) when that number
//     fits 32 bits, and otherwise leaves the setting exactly as it was;
//   - a stored number, shown again as the dialog shows it, reads back to
//     itself, so opening a dialog and pressing OK never changes a number;
//   - a drive list never grows and keeps no comma.
// Input: byte 0 picks the field (the intervals read 510 characters, the
// minimum space 4,094) and the old value; the rest, up to a NUL, is the text.
#include <errno.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "dialogs.h"
#include "textops.h"

static void Check(bool ok)
{
    if (!ok)
        abort();
}

static bool ModelRead(const std::string &text, int *value)
{
    const char *start = text.c_str();
    char *end = nullptr;
    errno = 0;
    long long v = strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    *value = (int)v;
    return true;
}

static void CheckRoundTrip(int value)
{
    char shown[16];  // the dialogs' buffer for a number
    Check(FormatText(shown, sizeof shown, "%d", value));
    int read = value ^ 1;
    Check(ReadDecimal(shown, &read) && read == value);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t limit = data[0] & 1 ? 4095 : 511;  // GetDlgItemTextA's, terminator included
    std::string field((const char *)data + 1, strnlen((const char *)data + 1, size - 1));
    if (field.size() >= limit)
        field.resize(limit - 1);

    const int old = (int)(data[0] * 2654435761u);
    int value = old, expected = old;
    bool read = ReadDecimal(field.c_str(), &value);
    Check(read == ModelRead(field, &expected));
    Check(value == expected);
    CheckRoundTrip(value);

    char list[DriveListSize];
    CopyText(list, sizeof list, field.c_str());
    size_t before = strlen(list);
    SpaceDriveList(list, sizeof list);
    Check(strlen(list) <= before && strchr(list, ',') == nullptr);
    return 0;
}
