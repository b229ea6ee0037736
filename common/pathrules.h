// The path rules that setup and the uninstaller share: the characters of a
// path (separators, double-byte characters, the backslash collapse), its
// shape (roots, plain names), the path made canonical, the places no
// product's files may be in, judged by the folder's identity, and links.
// Portable: the system is reached only through PathOps.
#pragma once
#include <stddef.h>

// ---------------------------------------------------------------- characters
// The system's lead-byte test for its ANSI code page; null (the start) for
// a single-byte code page, where every byte is a character.
typedef bool (*LeadByteTest)(unsigned char byte);
void UseLeadByteTest(LeadByteTest test);
// The character after the one at p: a lead byte takes the byte after it
// along, unless that ends the text.
const char *NextChar(const char *p);
// The first backslash at or after p that is a character of its own (not
// the second byte of a double-byte one), and the last one; null for none.
const char *FindBackslash(const char *p);
const char *FindLastBackslash(const char *path);
char *FindLastBackslash(char *path);
bool EndsWithBackslash(const char *path);

// Two backslashes become one, left to right, resuming after each one.
void CollapseBackslashes(char *path);
// CollapseBackslashes on a path that begins with folder, except that a
// network folder (two backslashes, then a server name) keeps its two
// leading backslashes.  The folder decides, not the path: "\\" + "\name"
// (the root of the current drive and a name) is no network path.
void CollapseFolderPath(char *path, const char *folder);

// Without regard to the case of single-byte letters: the first na bytes of
// a and the first nb of b; a whole text; a text that begins with prefix.
bool SameNoCase(const char *a, size_t na, const char *b, size_t nb);
bool EqualsNoCase(const char *a, const char *b);
bool StartsWithNoCase(const char *text, const char *prefix);

// ---------------------------------------------------------------- shape
// A name within a path or key: not empty, not "." or "..", and no
// character that the system reads as a separator, a drive or a wildcard.
bool IsPlainName(const char *name, size_t n);
// Each name between backslashes from `from` on is plain; with
// trailingBackslash the text may end in one.
bool ArePlainNames(const char *from, bool trailingBackslash);
// "X:\" (3) or "\\server\share\" (the share alone without its backslash);
// 0 for a path that depends on the current drive or folder.
size_t PathRootLength(const char *path);
// An absolute path of plain names.  A file needs a name after the root; a
// folder may be the root itself and may end in one backslash.
bool IsAbsolutePath(const char *path, bool folder);
bool IsRootFolder(const char *path);
// A folder's length without its trailing backslash.
size_t FolderLength(const char *folder);
// The folder is path itself or one of the folders that hold it.
bool IsSameOrAbove(const char *folder, const char *path);

// ---------------------------------------------------------------- the file system
// What decides that two spellings name one folder on the NT family.
struct FileIdentity {
    unsigned long volume;     // the volume's serial number
    unsigned long indexHigh;  // the file index on that volume
    unsigned long indexLow;
};

typedef void (*FoundEntry)(void *context, const char *name, bool isFolder, bool isLink);

struct PathOps {
    // The full path as the system resolves it (current drive and folder,
    // "." and "..", trailing dots and blanks); false when it cannot.
    bool (*fullPath)(const char *path, char *out, size_t size);
    // The name of the file or folder at path as the system stores it (its
    // long name, in its own case); false when there is none.
    bool (*storedName)(const char *path, char *name, size_t size);
    // The identity of what path names; false where it cannot be had (a
    // missing path, and 95, 98 and ME, which have none).
    bool (*identity)(const char *path, FileIdentity *id);
    // A reparse point: a junction, a symbolic link or a mount point.
    bool (*isLink)(const char *path);
    // found for each entry directly in folder ("." and ".." left out);
    // false when the folder cannot be listed.
    bool (*listFolder)(const char *folder, FoundEntry found, void *context);
};

const size_t PathNameSize = 512;

// The full path with each name that exists replaced by its stored name
// (short names become long ones); names from the first missing one on stay
// as given.  A trailing backslash stays.  False when the path cannot be
// made full or does not fit.
bool CanonicalPath(const PathOps &ops, const char *path, char *out, size_t size);

// The places no product's files may lie in, nor a folder above them: the
// Windows folder, the system folders and every drive root, by their
// canonical spelling, and on the NT family by identity, each with the
// folders above it.
const int MaxSystemPlaces = 48;
struct SystemPlaces {
    bool known;                       // the Windows and system folders are known
    char windows[PathNameSize];       // the Windows folder, canonical
    int count;
    char path[MaxSystemPlaces][PathNameSize];
    bool identified[MaxSystemPlaces];
    FileIdentity id[MaxSystemPlaces];
};
// From the Windows and system folders as the system gives them (empty:
// unknown), then the other places (SysWOW64, Sysnative, drive roots) that
// exist; a place that is missing is left out.
void FindSystemPlaces(const PathOps &ops, const char *windowsDir, const char *systemDir,
                      const char *const *others, int otherCount, SystemPlaces *places);

enum FolderVerdict {
    FolderUsable,       // may hold the product's files
    FolderNotAPath,     // no drive or share, or a name that is not plain
    FolderSystemPlace,  // a drive or share root, the Windows or system folder, or above them
};
// By spelling only, the folder as given against the Windows and system
// folders as given; never usable where either is unknown (empty).
FolderVerdict JudgeFolderSpelling(const char *folder, const char *windowsDir, const char *systemDir);
// The canonical folder against every place, by spelling and, where the
// system has one, by identity.
FolderVerdict JudgeProductFolder(const PathOps &ops, const char *folder, const SystemPlaces &places);

// Whether path, or a folder between it and base, or base itself, is a
// link; for a path outside base, only path itself counts.  With linked,
// the first link found.
bool PassesThroughLink(const PathOps &ops, const char *path, const char *base, char *linked = nullptr,
                       size_t linkedSize = 0);
