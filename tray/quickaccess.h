// The quick access list, TESSARON.QAL in the Windows directory: the user's
// saved paths, one per line, oldest first.  Portable: no <windows.h>.
#pragma once
#include <stddef.h>
#include <stdio.h>

enum {
    // One read piece: at most 2047 characters (its LF included) and the
    // terminator.  An entry is never longer than 2047 characters.
    QuickAccessPieceSize = 2048,
    // Menu ids run from 12000 upwards; past 0xFFFF an id no longer survives
    // every path a menu id travels, so later lines are not shown.
    QuickAccessMaxEntries = 0x10000 - 12000
};

// TESSARON.QAL in windowsDir (no doubled backslash after a drive root);
// false (out empty) when the directory is empty or the path would not fit.
bool QuickAccessFilePath(const char *windowsDir, char *out, size_t size);

// Receives one entry: text is NUL-terminated and has no LF; length counts
// every character, NUL bytes read from the file included.  Returning false
// stops the reading; that entry is not counted.
typedef bool (*QuickAccessEntrySink)(void *context, const char *text, size_t length);

// Reads a stream opened in binary mode as the list's text format: CR bytes
// are dropped, LF ends a line, Ctrl-Z ends the file, and each line is cut
// into pieces of at most 2047 characters including its LF.  An empty line
// is an entry, and so is a last line without LF.  Delivers at most
// maxEntries entries.  Returns the number accepted, or -1 on a read error.
long ReadQuickAccessEntries(FILE *file, long maxEntries,
                            QuickAccessEntrySink sink, void *context);

// True when an entry read from the file can be shown and opened whole
// (a NUL byte inside would cut it).
bool QuickAccessEntryUsable(const char *text, size_t length);

// A menu takes "&" as the mark of an access key: an entry's menu text has
// each "&" doubled, so that "C:\Tom & Jerry" shows as itself and no entry
// gets a key by chance; the entry comes back from that text by halving
// them.  Each holds any entry whole: an entry of at most 2047 characters
// needs a menu text buffer of QuickAccessMenuTextSize.  False (out empty)
// when out is too small.
enum { QuickAccessMenuTextSize = 2 * (QuickAccessPieceSize - 1) + 1 };
bool QuickAccessMenuText(const char *entry, char *out, size_t size);
bool QuickAccessEntryFromMenuText(const char *text, char *out, size_t size);

// True when path can be stored as one entry: not empty, no CR, LF or
// Ctrl-Z (they would split the line or hide every later one), and short
// enough to come back as one piece.
bool QuickAccessPathStorable(const char *path);

// Cuts the file at path back to size bytes; true on success.  Platform
// operation: the C library cannot shorten a file.
typedef bool (*CutFileFunction)(const char *path, long size);

// Appends path and CR LF to the file at filePath, creating it when missing.
// False when the path cannot be stored, the file is there but cannot be
// read, or a write failed; the file then holds the same list as before.
bool AppendQuickAccessLine(const char *filePath, const char *path, CutFileFunction cutFile);
