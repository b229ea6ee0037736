#include "pathrules.h"

#include <string.h>

#include "textops.h"

static LeadByteTest LeadByte;

void UseLeadByteTest(LeadByteTest test)
{
    LeadByte = test;
}

const char *NextChar(const char *p)
{
    if (*p == '\0')
        return p;
    if (LeadByte != nullptr && LeadByte((unsigned char)*p) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

const char *FindBackslash(const char *p)
{
    for (; *p != '\0'; p = NextChar(p))
        if (*p == '\\')
            return p;
    return nullptr;
}

const char *FindLastBackslash(const char *path)
{
    const char *last = nullptr;
    for (const char *p = path; (p = FindBackslash(p)) != nullptr; p++)
        last = p;
    return last;
}

char *FindLastBackslash(char *path)
{
    return const_cast<char *>(FindLastBackslash(const_cast<const char *>(path)));
}

// at is where a character begins, walking from the start of text.
static bool IsCharBoundary(const char *text, size_t at)
{
    const char *p = text;
    while ((size_t)(p - text) < at && *p != '\0')
        p = NextChar(p);
    return (size_t)(p - text) == at;
}

bool EndsWithBackslash(const char *path)
{
    size_t n = strlen(path);
    return n > 0 && path[n - 1] == '\\' && IsCharBoundary(path, n - 1);
}

void CollapseBackslashes(char *path)
{
    for (char *p = path; *p != '\0'; p = const_cast<char *>(NextChar(p)))
        if (p[0] == '\\' && p[1] == '\\')
            memmove(p + 1, p + 2, strlen(p + 2) + 1);  // keep one, look on after it
}

// Two backslashes, then a server name.
static bool IsNetworkFolder(const char *folder)
{
    return folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\0' && folder[2] != '\\';
}

void CollapseFolderPath(char *path, const char *folder)
{
    // \\server\share must keep both of its leading backslashes.
    if (IsNetworkFolder(folder) && path[0] == '\\' && path[1] == '\\')
        CollapseBackslashes(path + 1);
    else
        CollapseBackslashes(path);
}

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

// A double-byte character compares byte for byte: its second byte may look
// like a letter.
static bool SameCharsNoCase(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n;) {
        size_t width = (size_t)(NextChar(a + i) - (a + i));
        if (width == 0 || i + width > n)
            width = 1;
        if (width == 2 ? (a[i] != b[i] || a[i + 1] != b[i + 1]) : Lower(a[i]) != Lower(b[i]))
            return false;
        i += width;
    }
    return true;
}

bool SameNoCase(const char *a, size_t na, const char *b, size_t nb)
{
    return na == nb && SameCharsNoCase(a, b, na);
}

bool EqualsNoCase(const char *a, const char *b)
{
    return SameNoCase(a, strlen(a), b, strlen(b));
}

bool StartsWithNoCase(const char *text, const char *prefix)
{
    size_t n = strlen(prefix);
    return strnlen(text, n) == n && SameCharsNoCase(text, prefix, n);
}

bool IsPlainName(const char *name, size_t n)
{
    if (n == 0 || (name[0] == '.' && (n == 1 || (n == 2 && name[1] == '.'))))
        return false;
    // A double-byte character is never a separator or wildcard: only the
    // first byte of each character is looked at.
    for (const char *p = name; p < name + n; p = NextChar(p))
        if ((unsigned char)*p < ' ' || strchr("\\/:*?\"<>|", *p) != nullptr)
            return false;
    return true;
}

bool ArePlainNames(const char *from, bool trailingBackslash)
{
    for (const char *name = from;;) {
        const char *end = FindBackslash(name);
        if (!IsPlainName(name, end ? (size_t)(end - name) : strlen(name)))
            return false;
        if (end == nullptr || (trailingBackslash && end[1] == '\0'))
            return true;
        name = end + 1;
    }
}

size_t PathRootLength(const char *path)
{
    char drive = Lower(path[0]);
    if (drive >= 'a' && drive <= 'z' && path[1] == ':' && path[2] == '\\')
        return 3;
    if (path[0] != '\\' || path[1] != '\\')
        return 0;
    const char *share = FindBackslash(path + 2);
    if (share == nullptr || !IsPlainName(path + 2, (size_t)(share - path - 2)))
        return 0;
    share++;
    const char *end = FindBackslash(share);
    size_t n = end ? (size_t)(end - share) : strlen(share);
    if (!IsPlainName(share, n))
        return 0;
    return (size_t)(share - path) + n + (end ? 1 : 0);
}

bool IsAbsolutePath(const char *path, bool folder)
{
    size_t root = PathRootLength(path);
    if (root == 0)
        return false;
    if (path[root] == '\0')
        return folder;
    return ArePlainNames(path + root, folder);
}

bool IsRootFolder(const char *path)
{
    size_t root = PathRootLength(path);
    return root > 0 && path[root] == '\0';
}

size_t FolderLength(const char *folder)
{
    size_t n = strlen(folder);
    return EndsWithBackslash(folder) ? n - 1 : n;
}

bool IsSameOrAbove(const char *folder, const char *path)
{
    size_t n = FolderLength(folder);
    return n > 0 && n <= strlen(path) && SameNoCase(folder, n, path, n) &&
           (path[n] == '\0' || path[n] == '\\') && IsCharBoundary(path, n);
}

// ---------------------------------------------------------------- the file system

bool CanonicalPath(const PathOps &ops, const char *path, char *out, size_t size)
{
    char full[PathNameSize];
    if (!ops.fullPath(path, full, sizeof full) || full[0] == '\0')
        return false;
    size_t root = PathRootLength(full);
    if (root == 0 || full[root] == '\0')
        return CopyText(out, size, full);
    char built[PathNameSize];
    memcpy(built, full, root);
    built[root] = '\0';
    bool fits = true, missing = false;
    for (const char *name = full + root; *name != '\0' && fits;) {
        const char *end = FindBackslash(name);
        size_t n = end ? (size_t)(end - name) : strlen(name);
        size_t at = strlen(built);
        fits = at + n < sizeof built;
        if (!fits)
            break;
        memcpy(built + at, name, n);
        built[at + n] = '\0';
        // A wildcard would find another file: only plain names are looked up.
        char stored[PathNameSize];
        missing = missing || !IsPlainName(name, n) || !ops.storedName(built, stored, sizeof stored) ||
                  !IsPlainName(stored, strlen(stored));
        if (!missing) {
            built[at] = '\0';
            fits = AppendText(built, sizeof built, stored);
        }
        if (end != nullptr)
            fits = fits && AppendText(built, sizeof built, "\\");
        name = end ? end + 1 : name + n;
    }
    return fits && CopyText(out, size, built);
}

static bool SameIdentity(const FileIdentity &a, const FileIdentity &b)
{
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

// The place, and with its identity every folder above it, which a folder
// of another spelling may be too.
static void AddPlace(const PathOps &ops, SystemPlaces *places, const char *path, bool mustExist)
{
    char canonical[PathNameSize], name[PathNameSize];
    if (!CanonicalPath(ops, path, canonical, sizeof canonical) && !CopyText(canonical, sizeof canonical, path))
        return;
    if (!IsRootFolder(canonical) && EndsWithBackslash(canonical))
        canonical[strlen(canonical) - 1] = '\0';
    FileIdentity id = {0, 0, 0};
    bool identified = ops.identity(canonical, &id);
    if (mustExist && !identified && !ops.storedName(canonical, name, sizeof name))
        return;
    while (places->count < MaxSystemPlaces) {
        int i = places->count++;
        CopyText(places->path[i], sizeof places->path[i], canonical);
        places->identified[i] = identified;
        places->id[i] = id;
        char *cut = FindLastBackslash(canonical);
        if (!identified || cut == nullptr || IsRootFolder(canonical))
            return;
        // The parent; the root keeps its backslash.
        size_t root = PathRootLength(canonical);
        canonical[(size_t)(cut - canonical) + 1 <= root ? root : (size_t)(cut - canonical)] = '\0';
        identified = ops.identity(canonical, &id);
    }
}

void FindSystemPlaces(const PathOps &ops, const char *windowsDir, const char *systemDir,
                      const char *const *others, int otherCount, SystemPlaces *places)
{
    places->count = 0;
    places->known = windowsDir[0] != '\0' && systemDir[0] != '\0';
    if (!CanonicalPath(ops, windowsDir, places->windows, sizeof places->windows))
        CopyText(places->windows, sizeof places->windows, windowsDir);
    if (!places->known)
        return;
    AddPlace(ops, places, windowsDir, false);
    AddPlace(ops, places, systemDir, false);
    for (int i = 0; i < otherCount; i++)
        AddPlace(ops, places, others[i], true);
}

FolderVerdict JudgeFolderSpelling(const char *folder, const char *windowsDir, const char *systemDir)
{
    if (!IsAbsolutePath(folder, true))
        return FolderNotAPath;
    // Where the system's folders are unknown, no folder is safe.
    if (windowsDir[0] == '\0' || systemDir[0] == '\0' || IsRootFolder(folder) ||
        IsSameOrAbove(folder, windowsDir) || IsSameOrAbove(folder, systemDir))
        return FolderSystemPlace;
    return FolderUsable;
}

FolderVerdict JudgeProductFolder(const PathOps &ops, const char *folder, const SystemPlaces &places)
{
    if (!IsAbsolutePath(folder, true))
        return FolderNotAPath;
    if (!places.known || IsRootFolder(folder))
        return FolderSystemPlace;
    for (int i = 0; i < places.count; i++)
        if (IsSameOrAbove(folder, places.path[i]))
            return FolderSystemPlace;
    FileIdentity id;
    if (ops.identity(folder, &id))
        for (int i = 0; i < places.count; i++)
            if (places.identified[i] && SameIdentity(id, places.id[i]))
                return FolderSystemPlace;
    return FolderUsable;
}

bool PassesThroughLink(const PathOps &ops, const char *path, const char *base, char *linked,
                       size_t linkedSize)
{
    char at[PathNameSize];
    // Too long to be walked is too long to be trusted.
    bool fits = CopyText(at, sizeof at, path);
    if (!IsRootFolder(at) && EndsWithBackslash(at))
        at[strlen(at) - 1] = '\0';
    bool inside = IsSameOrAbove(base, at);
    size_t baseLength = FolderLength(base);
    for (;;) {
        if (!fits || ops.isLink(at)) {
            if (linked != nullptr)
                CopyText(linked, linkedSize, at);
            return true;
        }
        char *cut = FindLastBackslash(at);
        if (!inside || cut == nullptr || (size_t)(cut - at) < baseLength)
            return false;
        *cut = '\0';
    }
}
