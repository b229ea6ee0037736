#include "uninstall.h"

#include <string.h>

#include "textops.h"

const char KelveyCaption[] = "Uninstall";

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

static bool StartsWithNoCase(const char *text, const char *prefix)
{
    for (; *prefix != '\0'; text++, prefix++)
        if (Lower(*text) != Lower(*prefix))
            return false;
    return true;
}

static bool EqualsNoCase(const char *a, const char *b)
{
    return strlen(a) == strlen(b) && StartsWithNoCase(a, b);
}

static void TrimRight(char *text)
{
    size_t n = strlen(text);
    while (n > 0 && IsBlank(text[n - 1]))
        text[--n] = '\0';
}

// A path that names the same thing whatever the current directory:
// "X:\...", "\\server\share\..." or "\..." (the current drive's root, which
// is what setup writes for an empty folder field).
static bool IsAnchoredPath(const char *path)
{
    char c = Lower(path[0]);
    if (c >= 'a' && c <= 'z' && path[1] == ':' && path[2] == '\\')
        return true;
    return path[0] == '\\';
}

// A root is never a folder of the product's own: "\", "X:\" or
// "\\server\share\" (trailing backslash optional).  Setup writes "\" for an
// empty folder field and "X:\" for a typed drive.
static bool IsRootFolder(const char *path)
{
    size_t n = strlen(path);
    if (n > 0 && path[n - 1] == '\\')
        n--;
    if (n == 0 || (n == 2 && path[1] == ':'))
        return true;
    if (path[0] != '\\')
        return false;
    if (n == 1)
        return true;  // "\\" alone
    if (path[1] != '\\')
        return false;
    // \\server or \\server\share: at most one more backslash.
    int separators = 0;
    for (size_t i = 2; i < n; i++)
        if (path[i] == '\\')
            separators++;
    return separators <= 1;
}

static bool HasWildcard(const char *path)
{
    return strpbrk(path, "*?") != nullptr;
}

// Never a whole hive or a key directly under it: at least two names, none empty.
static bool IsDeepEnoughKey(const char *subkey)
{
    if (subkey[0] == '\0' || subkey[0] == '\\')
        return false;
    int names = 1;
    for (const char *p = subkey; *p != '\0'; p++) {
        if (*p != '\\')
            continue;
        if (p[1] == '\\' || p[1] == '\0')
            return false;
        names++;
    }
    return names >= 2;
}

static bool IsPlainName(const char *name)
{
    if (name[0] == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    return strpbrk(name, "\\/:*?\"<>|") == nullptr;
}

struct KindWord {
    const char *word;
    UninstallKind kind;
};

static const KindWord KindWords[] = {
    {"[FILE]", KindFile},
    {"[EMPTY FOLDER]", KindEmptyFolder},
    {"[REGISTRY KEY]", KindRegistryKey},
    {"[GROUP]", KindGroup},
};

struct RootWord {
    const char *word;
    RegistryRoot root;
};

static const RootWord RootWords[] = {
    {"HKEY_LOCAL_MACHINE\\", RootLocalMachine},
    {"HKEY_CURRENT_USER\\", RootCurrentUser},
};

static void TakeEntry(const char *line, UninstallPlan *plan)
{
    if (plan->count >= MaxUninstallEntries)
        return;
    const KindWord *kind = nullptr;
    for (const KindWord &k : KindWords)
        if (strncmp(line, k.word, strlen(k.word)) == 0)
            kind = &k;
    if (kind == nullptr)
        return;
    const char *argument = line + strlen(kind->word);
    if (!IsBlank(*argument))
        return;
    while (IsBlank(*argument))
        argument++;

    UninstallEntry &entry = plan->entries[plan->count];
    entry.kind = kind->kind;
    entry.root = RootLocalMachine;
    if (kind->kind == KindRegistryKey) {
        const RootWord *root = nullptr;
        for (const RootWord &r : RootWords)
            if (StartsWithNoCase(argument, r.word))
                root = &r;
        if (root == nullptr)
            return;
        entry.root = root->root;
        argument += strlen(root->word);
    }
    // A cut argument could name something else: leave such a line out.
    if (!CopyText(entry.text, sizeof entry.text, argument))
        return;
    TrimRight(entry.text);

    bool usable = false;
    switch (kind->kind) {
    case KindFile:
        usable = IsAnchoredPath(entry.text) && !HasWildcard(entry.text);
        break;
    case KindEmptyFolder:
        usable = IsAnchoredPath(entry.text) && !HasWildcard(entry.text) &&
                 !IsRootFolder(entry.text);
        break;
    case KindRegistryKey:
        usable = IsDeepEnoughKey(entry.text);
        break;
    case KindGroup:
        usable = IsPlainName(entry.text);
        break;
    }
    if (usable)
        plan->count++;
}

bool ReadUninstallScript(const char *data, size_t length, UninstallPlan *plan)
{
    plan->product[0] = '\0';
    plan->count = 0;
    bool first = true;
    char line[UninstallLineSize];
    size_t used = 0;
    bool tooLong = false;
    for (size_t i = 0;; i++) {
        bool end = i >= length || data[i] == '\x1a' || data[i] == '\0';
        char c = end ? '\n' : data[i];
        if (c == '\r')
            continue;
        if (c != '\n') {
            if (used + 1 < sizeof line)
                line[used++] = c;
            else
                tooLong = true;
            continue;
        }
        line[used] = '\0';
        if (first) {
            // The product name only names things in messages: a cut one will do.
            CopyText(plan->product, sizeof plan->product, line);
            TrimRight(plan->product);
            if (plan->product[0] == '\0')
                return false;  // not a script
            first = false;
        } else if (!tooLong) {
            TakeEntry(line, plan);
        }
        used = 0;
        tooLong = false;
        if (end)
            break;
    }
    return plan->product[0] != '\0';
}

bool ScriptPathFromCommandLine(const char *commandLine, const char *ownPath, char *out,
                               size_t size)
{
    if (size == 0)
        return false;
    out[0] = '\0';
    const char *p = commandLine;
    while (IsBlank(*p))
        p++;
    size_t ownLength = ownPath ? strlen(ownPath) : 0;
    if (*p == '"') {
        p = strchr(p + 1, '"');
        if (p == nullptr)
            return false;
        p++;
    } else if (ownLength > 0 && StartsWithNoCase(p, ownPath) &&
               (p[ownLength] == '\0' || IsBlank(p[ownLength]))) {
        // Our own path may hold blanks; then the first blank is not the end.
        p += ownLength;
    } else {
        while (*p != '\0' && !IsBlank(*p))
            p++;
    }
    while (IsBlank(*p))
        p++;
    if (!CopyText(out, size, p)) {
        out[0] = '\0';
        return false;
    }
    TrimRight(out);
    size_t n = strlen(out);
    if (n >= 2 && out[0] == '"' && out[n - 1] == '"') {
        out[n - 1] = '\0';
        ShiftText(out, -1);
    }
    return out[0] != '\0';
}

struct FailureList {
    char *text;
    size_t size;
    int count;
    bool full;
};

static void NoteFailure(FailureList &list, const char *what, const char *suffix)
{
    list.count++;
    if (list.size == 0 || list.full)
        return;
    static const char More[] = "...\n";
    size_t used = strlen(list.text);
    // Keep room for the mark that says the list goes on.
    if (used + strlen(what) + strlen(suffix) + 1 + sizeof More > list.size) {
        list.full = true;
        AppendText(list.text, list.size, More);
        return;
    }
    AppendText(list.text, list.size, what);
    AppendText(list.text, list.size, suffix);
    AppendText(list.text, list.size, "\n");
}

int CarryOutUninstall(const UninstallPlan &plan, const KelveyOps &ops, char *failures,
                      size_t size)
{
    FailureList list = {failures, size, 0, false};
    if (size > 0)
        failures[0] = '\0';
    int count = plan.count < MaxUninstallEntries ? plan.count : MaxUninstallEntries;

    for (int i = 0; i < count; i++) {
        const UninstallEntry &e = plan.entries[i];
        if (e.kind == KindFile && ops.removeFile(e.text) == RemoveFailed)
            NoteFailure(list, e.text, "");
    }

    // Folders deepest first, so that a folder inside another goes before it.
    bool done[MaxUninstallEntries] = {};
    for (;;) {
        int pick = -1;
        for (int i = 0; i < count; i++) {
            const UninstallEntry &e = plan.entries[i];
            if (e.kind == KindEmptyFolder && !done[i] &&
                (pick < 0 || strlen(e.text) > strlen(plan.entries[pick].text)))
                pick = i;
        }
        if (pick < 0)
            break;
        done[pick] = true;
        if (ops.removeEmptyFolder(plan.entries[pick].text) == RemoveFailed)
            NoteFailure(list, plan.entries[pick].text, "");
    }

    for (int i = 0; i < count; i++) {
        const UninstallEntry &e = plan.entries[i];
        if (e.kind != KindRegistryKey || ops.removeRegistryKey(e.root, e.text) != RemoveFailed)
            continue;
        char key[UninstallTextSize + 32];
        FormatText(key, sizeof key, "%s%s",
                   e.root == RootLocalMachine ? RootWords[0].word : RootWords[1].word, e.text);
        NoteFailure(list, key, "");
    }

    for (int i = 0; i < count; i++) {
        const UninstallEntry &e = plan.entries[i];
        if (e.kind == KindGroup && ops.removeGroup(e.text) == RemoveFailed)
            NoteFailure(list, e.text, " (program group)");
    }

    // The script does not list the Start-up shortcut that setup makes.
    if (EqualsNoCase(plan.product, "Tessaron")) {
        char path[UninstallTextSize] = "";
        if (ops.removeStartupShortcut(path, sizeof path) == RemoveFailed)
            NoteFailure(list, path, "");
    }
    return list.count;
}

void FormatConfirmation(char *out, size_t size, const char *product)
{
    FormatText(out, size,
               "Are you sure you want to remove %s and all of its components from your computer?",
               product);
}

void FormatOutcome(char *out, size_t size, const char *product, int failed, const char *failures)
{
    if (failed == 0) {
        FormatText(out, size, "%s has been removed from your computer.", product);
        return;
    }
    FormatText(out, size,
               "%s has been removed from your computer, except for the following, "
               "which could not be removed:\n\n%s\nYou may remove them yourself.",
               product, failures);
}

void FormatUnreadable(char *out, size_t size, const char *scriptPath)
{
    if (scriptPath[0] == '\0') {
        CopyText(out, size,
                 "No uninstallation data file was named.  Nothing has been removed.");
        return;
    }
    FormatText(out, size,
               "The uninstallation data file could not be read:\n\n%s\n\nNothing has been removed.",
               scriptPath);
}
