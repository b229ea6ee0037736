#include "uninstall.h"

#include <string.h>

#include "textops.h"

const char KelveyCaption[] = "Uninstall";

static const char RemovedText[] = "%s has been removed from your computer.";
static const char NotRemovedText[] = "%s has not been removed completely.\n";
static const char FailedText[] =
    "\nThe following could not be removed.  Close any program that uses them and try again, "
    "or remove them yourself:\n\n%s";
static const char RefusedText[] =
    "\nThe following lines of the uninstallation data were left alone, because they are "
    "damaged or name something that %s did not install:\n\n%s";
static const char KeptText[] =
    "\n%s stays in the Add/Remove Software list, so that its removal can be run again.";
static const char UnnamedText[] =
    "\n%s stays in the Add/Remove Software list, because no line taken from the uninstallation "
    "data names its entry there (HKEY_LOCAL_MACHINE\\%s).";

// The one product whose Start-up shortcut (not in its script) is removed.
static const char ShortcutProduct[] = "Tessaron";
static const char UninstallListKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// What the 32-bit programs see as Software\ on a 64-bit system; a key
// below it is judged as the same key below Software\.
static const char Wow64Name[] = "Wow6432Node";
static const char Wow64Key[] = "Software\\Wow6432Node\\";
// Keys below Software that are the system's, never a vendor's.
static const char *const SystemKeys[] = {"Microsoft", "Classes", "Policies", Wow64Name};
// Names of devices, never of a product; COM and LPT take a digit.
static const struct {
    const char *name;
    bool numbered;
} DeviceNames[] = {{"CON", false}, {"PRN", false}, {"AUX", false}, {"NUL", false}, {"COM", true}, {"LPT", true}};
// The product's own files in the Windows directory: prefix, product, suffix.
static const char *const WindowsFiles[][2] = {
    {"", " - Uninstallation Data"},
    {"", " - Uninstallation Data.bak"},
    {"", ".ini"},
    {"Start Menu\\Programs\\", ".lnk"},
};

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

static void TrimRight(char *text)
{
    size_t n = strlen(text);
    while (n > 0 && IsBlank(text[n - 1]))
        text[--n] = '\0';
}

bool IsProductName(const char *name)
{
    if (!IsPlainName(name, strlen(name)) || EqualsNoCase(name, Wow64Name))
        return false;
    // A device name stays one with any extension: "NUL.txt" is NUL.
    const char *dot = strchr(name, '.');
    size_t base = dot ? (size_t)(dot - name) : strlen(name);
    while (base > 0 && IsBlank(name[base - 1]))
        base--;
    for (const auto &device : DeviceNames)
        if (base == (device.numbered ? 4u : 3u) && SameNoCase(name, 3, device.name, 3) &&
            (!device.numbered || (name[3] >= '0' && name[3] <= '9')))
            return false;
    return true;
}

// A folder that the plan lists before this one (folder) lies inside it:
// then this one is above the installation folder.  Setup lists the
// installation folder first and the folder of its help pages after it.
static bool HoldsPlannedFolder(const UninstallPlan &plan, int folder)
{
    size_t n = FolderLength(plan.entries[folder].text);
    for (int i = 0; i < folder; i++) {
        const UninstallEntry &e = plan.entries[i];
        if (e.kind == KindEmptyFolder && FolderLength(e.text) > n &&
            IsSameOrAbove(plan.entries[folder].text, e.text))
            return true;
    }
    return false;
}

// The file lies directly inside a folder of the plan that may hold the
// product's files.
static bool InPlannedFolder(const UninstallPlan &plan, const char *windowsDir, const char *systemDir,
                            const char *path)
{
    size_t parent = (size_t)(FindLastBackslash(path) - path);
    for (int i = 0; i < plan.count; i++) {
        const UninstallEntry &e = plan.entries[i];
        if (e.kind == KindEmptyFolder && SameNoCase(path, parent, e.text, FolderLength(e.text)) &&
            JudgeFolderSpelling(e.text, windowsDir, systemDir) == FolderUsable &&
            !HoldsPlannedFolder(plan, i))
            return true;
    }
    return false;
}

static bool IsProductWindowsFile(const char *product, const char *windowsDir, const char *path)
{
    size_t n = FolderLength(windowsDir);
    if (!IsAbsolutePath(windowsDir, true) || !SameNoCase(path, n, windowsDir, n) || path[n] != '\\')
        return false;
    for (const auto &file : WindowsFiles) {
        char own[UninstallTextSize];
        if (FormatText(own, sizeof own, "%s%s%s", file[0], product, file[1]) &&
            EqualsNoCase(path + n + 1, own))
            return true;
    }
    return false;
}

// The key as a 64-bit program names it: "Software\Wow6432Node\" read as
// "Software\".  False when it does not fit.
static bool NativeKey(const char *subkey, char *out, size_t size)
{
    if (!StartsWithNoCase(subkey, Wow64Key))
        return CopyText(out, size, subkey);
    return FormatText(out, size, "Software\\%s", subkey + strlen(Wow64Key));
}

// Named for the product, below "Software\<vendor>" or in the uninstall list.
static bool IsProductKey(const char *product, const char *text)
{
    char subkey[UninstallTextSize];
    const char *last = FindLastBackslash(text);
    if (last == nullptr || !ArePlainNames(text, false) || !EqualsNoCase(last + 1, product) ||
        EqualsNoCase(product, Wow64Name) || !NativeKey(text, subkey, sizeof subkey))
        return false;
    last = FindLastBackslash(subkey);
    if (SameNoCase(subkey, (size_t)(last + 1 - subkey), UninstallListKey, strlen(UninstallListKey)))
        return true;
    if (!StartsWithNoCase(subkey, "Software\\"))
        return false;
    const char *vendor = subkey + strlen("Software\\");
    const char *vendorEnd = FindBackslash(vendor);
    if (vendorEnd == nullptr)
        return false;  // the hive's second level
    for (const char *system : SystemKeys)
        if (SameNoCase(vendor, (size_t)(vendorEnd - vendor), system, strlen(system)))
            return false;
    return true;
}

static bool IsAllowed(const UninstallPlan &plan, const char *windowsDir, const char *systemDir,
                      const UninstallEntry &e)
{
    switch (e.kind) {
    case KindEmptyFolder:
        return IsAbsolutePath(e.text, true);
    case KindFile:
        return IsAbsolutePath(e.text, false) &&
               (InPlannedFolder(plan, windowsDir, systemDir, e.text) ||
                IsProductWindowsFile(plan.product, windowsDir, e.text));
    case KindRegistryKey:
        return IsProductKey(plan.product, e.text);
    case KindGroup:
        return IsPlainName(e.text, strlen(e.text)) && EqualsNoCase(e.text, plan.product);
    }
    return false;
}

// ---------------------------------------------------------------- lists

struct NoteList {
    char *text;
    size_t size;
    int count;
    bool full;
};

static void Note(NoteList &list, const char *what)
{
    list.count++;
    if (list.size == 0 || list.full)
        return;
    static const char More[] = "...\n";
    size_t used = strlen(list.text);
    // Keep room for the mark that says the list goes on.
    if (used + strlen(what) + 1 + sizeof More > list.size) {
        list.full = true;
        AppendText(list.text, list.size, More);
        return;
    }
    AppendText(list.text, list.size, what);
    AppendText(list.text, list.size, "\n");
}

// ---------------------------------------------------------------- reading

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

struct ScriptLine {
    char text[UninstallLineSize];  // as far as it fits; NUL and Ctrl-Z shown as '?'
    bool whole;  // ended by a line feed, not too long, nothing after a lone CR, before any end mark
    bool blank;  // nothing to list: blanks and end marks only, and not too long
};

// The next line from *at, through its line feed; false at the end of the
// data.  A CR before a line end (or another CR) is dropped; a lone CR with
// text after it makes the line damaged.  NUL and Ctrl-Z end the text
// (*ended): every line from there on is damaged, and one that holds more
// than blanks is listed, so that nothing after the mark vanishes unseen.
static bool NextLine(const char *data, size_t length, size_t *at, bool *ended, ScriptLine *line)
{
    if (*at >= length)
        return false;
    size_t used = 0;
    bool lineEnd = false, tooLong = false, loneCr = false, afterCr = false, visible = false;
    while (*at < length) {
        char c = data[(*at)++];
        if (c == '\n') {
            lineEnd = true;
            break;
        }
        if (c == '\r') {
            afterCr = afterCr || (*at < length && data[*at] != '\n' && data[*at] != '\r');
            continue;
        }
        if (c == '\0' || c == '\x1a') {
            *ended = true;
            c = '?';
        } else if (!IsBlank(c)) {
            visible = true;
            loneCr = loneCr || afterCr;
        }
        if (used + 1 < sizeof line->text)
            line->text[used++] = c;
        else
            tooLong = true;
    }
    line->text[used] = '\0';
    TrimRight(line->text);
    line->whole = lineEnd && !tooLong && !loneCr && !*ended;
    line->blank = !visible && !tooLong;
    return true;
}

// "[KIND] argument" into entry; false for any other line or an argument
// that does not fit whole.
static bool ParseLine(const char *line, UninstallEntry *entry)
{
    const KindWord *kind = nullptr;
    for (const KindWord &k : KindWords)
        if (strncmp(line, k.word, strlen(k.word)) == 0)
            kind = &k;
    if (kind == nullptr || !IsBlank(line[strlen(kind->word)]))
        return false;
    const char *argument = line + strlen(kind->word);
    while (IsBlank(*argument))
        argument++;
    entry->kind = kind->kind;
    entry->root = RootLocalMachine;
    if (kind->kind == KindRegistryKey) {
        const RootWord *root = nullptr;
        for (const RootWord &r : RootWords)
            if (StartsWithNoCase(argument, r.word))
                root = &r;
        if (root == nullptr)
            return false;
        entry->root = root->root;
        argument += strlen(root->word);
    }
    return CopyText(entry->text, sizeof entry->text, argument);
}

// Shown, never used: a long line is cut here and marked as cut.
static void Refuse(NoteList &refused, const char *line)
{
    char shown[100];
    if (line[0] == '\0')
        line = "(a line too long to be read, blank at its start)";
    if (!CopyText(shown, sizeof shown, line))
        CopyText(shown + sizeof shown - 4, 4, "...");
    Note(refused, shown);
}

bool ReadUninstallScript(const char *data, size_t length, const char *windowsDir,
                         const char *systemDir, UninstallPlan *plan)
{
    plan->product[0] = '\0';
    plan->count = 0;
    plan->refusedCount = 0;
    plan->refused[0] = '\0';
    plan->refusedFull = false;
    ScriptLine line;
    size_t at = 0;
    bool ended = false;
    // The product's name decides which keys and groups are its own: it
    // must be whole.
    if (!NextLine(data, length, &at, &ended, &line) || !line.whole ||
        !CopyText(plan->product, sizeof plan->product, line.text) || plan->product[0] == '\0') {
        plan->product[0] = '\0';
        return false;  // not a script
    }

    NoteList refused = {plan->refused, sizeof plan->refused, 0, false};
    size_t entriesAt = at;
    // Folders first: a file is judged by the folders of the whole script.
    for (int pass = 0; pass < 2; pass++) {
        at = entriesAt;
        ended = false;
        while (NextLine(data, length, &at, &ended, &line)) {
            if (line.blank)
                continue;  // names nothing
            UninstallEntry entry;
            bool parsed = line.whole && ParseLine(line.text, &entry);
            if ((pass == 0) != (parsed && entry.kind == KindEmptyFolder))
                continue;
            if (parsed && plan->count < MaxUninstallEntries &&
                IsAllowed(*plan, windowsDir, systemDir, entry))
                plan->entries[plan->count++] = entry;
            else
                Refuse(refused, line.text);
        }
    }
    plan->refusedCount = refused.count;
    plan->refusedFull = refused.full;
    return true;
}

// The program's own path at the start of a command line: *program and
// *length receive it; returns what follows, or null for an open quote.
static const char *SkipProgram(const char *commandLine, const char *ownPath, const char **program,
                               size_t *length)
{
    const char *p = commandLine;
    while (IsBlank(*p))
        p++;
    size_t ownLength = ownPath ? strlen(ownPath) : 0;
    if (*p == '"') {
        const char *end = strchr(p + 1, '"');
        if (end == nullptr)
            return nullptr;
        *program = p + 1;
        *length = (size_t)(end - p - 1);
        return end + 1;
    }
    *program = p;
    if (ownLength > 0 && StartsWithNoCase(p, ownPath) &&
        (p[ownLength] == '\0' || IsBlank(p[ownLength]))) {
        // Our own path may hold blanks; then the first blank is not the end.
        p += ownLength;
    } else {
        while (*p != '\0' && !IsBlank(*p))
            p++;
    }
    *length = (size_t)(p - *program);
    return p;
}

bool ScriptPathFromCommandLine(const char *commandLine, const char *ownPath, char *out,
                               size_t size)
{
    if (size == 0)
        return false;
    out[0] = '\0';
    const char *program;
    size_t programLength;
    const char *p = SkipProgram(commandLine, ownPath, &program, &programLength);
    if (p == nullptr)
        return false;
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

// ---------------------------------------------------------------- registration

// Both name one file: compared as full long paths, so that short names,
// relative paths and forward slashes do not matter.
static bool SamePath(const KelveyOps &ops, const char *a, const char *b)
{
    char fullA[UninstallTextSize], fullB[UninstallTextSize];
    return ops.fullLongPath(a, fullA, sizeof fullA) && ops.fullLongPath(b, fullB, sizeof fullB) &&
           EqualsNoCase(fullA, fullB);
}

Vouching CheckRegistration(const char *product, const char *scriptPath, const char *ownPath,
                           const KelveyOps &ops, Registration *registration)
{
    registration->key[0] = registration->script[0] = registration->command[0] = '\0';
    if (!IsProductName(product) ||
        !FormatText(registration->key, sizeof registration->key, "%s%s", UninstallListKey, product))
        return NotAProductName;
    if (!ops.machineText(registration->key, "UninstallString", registration->command,
                         sizeof registration->command))
        return NotRegistered;
    // The entry's command read by the rule that reads our own.
    const char *program;
    size_t programLength;
    char registeredProgram[UninstallTextSize], registeredScript[UninstallTextSize];
    if (SkipProgram(registration->command, ownPath, &program, &programLength) == nullptr ||
        programLength >= sizeof registeredProgram ||
        !ScriptPathFromCommandLine(registration->command, ownPath, registeredScript, sizeof registeredScript))
        return RegisteredOtherwise;
    memcpy(registeredProgram, program, programLength);
    registeredProgram[programLength] = '\0';
    if (!SamePath(ops, registeredProgram, ownPath) || !SamePath(ops, registeredScript, scriptPath) ||
        !ops.fullLongPath(scriptPath, registration->script, sizeof registration->script))
        return RegisteredOtherwise;
    return Vouched;
}

// The key the registration check read, exactly as it read it.
static bool IsVouchingKey(const UninstallEntry &e, const Registration &registration)
{
    return e.kind == KindRegistryKey && e.root == RootLocalMachine && EqualsNoCase(e.text, registration.key);
}

bool IsRegistration(const UninstallEntry &entry, const Registration &registration,
                    const KelveyOps &ops)
{
    if (entry.kind == KindRegistryKey) {
        char key[UninstallTextSize];
        return entry.root == RootLocalMachine && NativeKey(entry.text, key, sizeof key) &&
               StartsWithNoCase(key, UninstallListKey);
    }
    char full[UninstallTextSize];
    return entry.kind == KindFile && ops.fullLongPath(entry.text, full, sizeof full) &&
           EqualsNoCase(full, registration.script);
}

// ---------------------------------------------------------------- on disk

// The line as the script had it (a file, a folder or a group), for the
// list of those not taken.
static void NoteEntry(NoteList &list, const UninstallEntry &e)
{
    char line[UninstallTextSize + 64];
    FormatText(line, sizeof line, "%s %s", KindWords[e.kind].word, e.text);
    Refuse(list, line);
}

// The outermost folder of the plan that holds path (or is it); path itself
// when none does.
static const char *OutermostFolder(const UninstallPlan &plan, char (*canonical)[UninstallTextSize],
                                   const char *path)
{
    const char *outermost = path;
    for (int i = 0; i < plan.count; i++)
        if (plan.entries[i].kind == KindEmptyFolder && !IsRootFolder(canonical[i]) &&
            IsSameOrAbove(canonical[i], path) && FolderLength(canonical[i]) < FolderLength(outermost))
            outermost = canonical[i];
    return outermost;
}

static bool StandsOnDisk(const UninstallPlan &plan, int i, char (*canonical)[UninstallTextSize],
                         const SystemPlaces &places, const KelveyOps &ops)
{
    const UninstallEntry &e = plan.entries[i];
    const PathOps &paths = *ops.paths;
    switch (e.kind) {
    case KindFile: {
        char parent[UninstallTextSize];
        CopyText(parent, sizeof parent, canonical[i]);
        char *cut = FindLastBackslash(parent);
        if (cut == nullptr)
            return false;
        cut[(size_t)(cut - parent) + 1 == PathRootLength(parent) ? 1 : 0] = '\0';
        bool own = IsProductWindowsFile(plan.product, places.windows, canonical[i]);
        if (!own && JudgeProductFolder(paths, parent, places) != FolderUsable)
            return false;
        return !PassesThroughLink(paths, canonical[i], own ? places.windows : OutermostFolder(plan, canonical, parent));
    }
    case KindEmptyFolder:
        if (IsRootFolder(e.text))
            return true;  // stands for nothing and is never removed
        return JudgeProductFolder(paths, canonical[i], places) == FolderUsable &&
               !PassesThroughLink(paths, canonical[i], OutermostFolder(plan, canonical, canonical[i]));
    case KindGroup: {
        char folders[2][UninstallTextSize];
        int count = ops.groupFolders(e.text, folders, 2);
        for (int k = 0; k < count && k < 2; k++)
            if (paths.isLink(folders[k]))
                return false;
        return true;
    }
    case KindRegistryKey:
        break;
    }
    return true;
}

void CheckPlanOnDisk(UninstallPlan *plan, const SystemPlaces &places, const KelveyOps &ops)
{
    static char canonical[MaxUninstallEntries][UninstallTextSize];
    bool stands[MaxUninstallEntries];
    for (int i = 0; i < plan->count; i++) {
        const UninstallEntry &e = plan->entries[i];
        bool path = e.kind == KindFile || e.kind == KindEmptyFolder;
        stands[i] = !path || CanonicalPath(*ops.paths, e.text, canonical[i], sizeof canonical[i]);
        if (!path)
            canonical[i][0] = '\0';
    }
    for (int i = 0; i < plan->count; i++)
        stands[i] = stands[i] && StandsOnDisk(*plan, i, canonical, places, ops);
    NoteList refused = {plan->refused, sizeof plan->refused, plan->refusedCount, plan->refusedFull};
    int kept = 0;
    for (int i = 0; i < plan->count; i++) {
        if (stands[i])
            plan->entries[kept++] = plan->entries[i];
        else
            NoteEntry(refused, plan->entries[i]);
    }
    plan->count = kept;
    plan->refusedCount = refused.count;
    plan->refusedFull = refused.full;
}

// ---------------------------------------------------------------- removal

struct Removal {
    const UninstallPlan &plan;
    const Registration &registration;
    const KelveyOps &ops;
    NoteList failures;
};

// A program group is a folder of shortcuts in a Programs folder: only the
// shortcuts directly in it go, never through a link, and then the folder
// if nothing else is left in it.
static bool IsShortcutName(const char *name)
{
    static const char *const Extensions[] = {".lnk", ".pif", ".url"};
    size_t n = strlen(name);
    for (const char *extension : Extensions)
        if (n > 4 && IsPlainName(name, n) && EqualsNoCase(name + n - 4, extension))
            return true;
    return false;
}

struct GroupFolder {
    const KelveyOps &ops;
    const char *folder;
    RemoveResult result;
};

static void RemoveShortcut(void *context, const char *name, bool isFolder, bool isLink)
{
    GroupFolder &group = *(GroupFolder *)context;
    char item[UninstallTextSize];
    if (isFolder || isLink || !IsShortcutName(name) ||
        !FormatText(item, sizeof item, "%s\\%s", group.folder, name))
        return;  // stays, and so does the folder
    if (group.ops.removeFile(item) == RemoveFailed)
        group.result = RemoveFailed;
}

static RemoveResult RemoveGroup(const KelveyOps &ops, const char *name)
{
    char folders[2][UninstallTextSize];
    int count = ops.groupFolders(name, folders, 2);
    RemoveResult result = RemoveAbsent;
    for (int i = 0; i < count && i < 2; i++) {
        if (ops.paths->isLink(folders[i]))
            return RemoveFailed;  // changed since the plan was checked
        GroupFolder group = {ops, folders[i], RemoveAbsent};
        if (!ops.paths->listFolder(folders[i], RemoveShortcut, &group))
            continue;  // no such folder
        RemoveResult folder = ops.removeEmptyFolder(folders[i]);
        if (group.result == RemoveFailed || folder == RemoveFailed)
            return RemoveFailed;
        if (folder != RemoveAbsent)
            result = folder;
    }
    return result;
}

static void Remove(Removal &r, const UninstallEntry &e)
{
    char shown[UninstallTextSize + 32];
    CopyText(shown, sizeof shown, e.text);
    RemoveResult result = RemoveAbsent;
    switch (e.kind) {
    case KindFile:
        result = r.ops.removeFile(e.text);
        break;
    case KindEmptyFolder:
        result = r.ops.removeEmptyFolder(e.text);
        break;
    case KindRegistryKey:
        result = r.ops.removeRegistryKey(e.root, e.text);
        FormatText(shown, sizeof shown, "%s%s", RootWords[e.root == RootLocalMachine ? 0 : 1].word, e.text);
        break;
    case KindGroup:
        result = RemoveGroup(r.ops, e.text);
        FormatText(shown, sizeof shown, "%s (program group)", e.text);
        break;
    }
    if (result == RemoveFailed)
        Note(r.failures, shown);
}

enum Part { Ordinary, OtherRegistration, VouchingKey, Script };

static Part PartOf(const Removal &r, const UninstallEntry &e)
{
    if (IsVouchingKey(e, r.registration))
        return VouchingKey;
    if (!IsRegistration(e, r.registration, r.ops))
        return Ordinary;
    return e.kind == KindFile ? Script : OtherRegistration;
}

// The entries of one kind that belong to this part of the removal.
static void RemoveKind(Removal &r, UninstallKind kind, Part part)
{
    for (int i = 0; i < r.plan.count; i++) {
        const UninstallEntry &e = r.plan.entries[i];
        if (e.kind == kind && PartOf(r, e) == part)
            Remove(r, e);
    }
}

// Deepest first, so that a folder inside another goes before it; a root
// only stands for the files in it.
static void RemoveFolders(Removal &r)
{
    bool done[MaxUninstallEntries] = {};
    for (;;) {
        int pick = -1;
        for (int i = 0; i < r.plan.count; i++) {
            const UninstallEntry &e = r.plan.entries[i];
            if (e.kind == KindEmptyFolder && !done[i] && !IsRootFolder(e.text) &&
                (pick < 0 || strlen(e.text) > strlen(r.plan.entries[pick].text)))
                pick = i;
        }
        if (pick < 0)
            return;
        done[pick] = true;
        Remove(r, r.plan.entries[pick]);
    }
}

UninstallOutcome CarryOutUninstall(const UninstallPlan &plan, const Registration &registration,
                                   const KelveyOps &ops, char *failures, size_t size)
{
    Removal r = {plan, registration, ops, {failures, size, 0, false}};
    if (size > 0)
        failures[0] = '\0';
    RemoveKind(r, KindFile, Ordinary);
    RemoveFolders(r);
    RemoveKind(r, KindRegistryKey, Ordinary);
    RemoveKind(r, KindGroup, Ordinary);
    // The script does not list the Start-up shortcut that setup makes.
    if (EqualsNoCase(plan.product, ShortcutProduct)) {
        char path[UninstallTextSize] = "";
        if (ops.removeStartupShortcut(path, sizeof path) == RemoveFailed)
            Note(r.failures, path);
    }
    UninstallOutcome outcome = {0, true, false};
    for (int i = 0; i < plan.count; i++)
        outcome.named = outcome.named || IsVouchingKey(plan.entries[i], registration);
    // While anything listed may remain, the registration and the script
    // stay, so that the removal can be run again.  The key that vouched
    // goes after the registration's other keys, and the script only once
    // that key is gone: never a registration without its script.
    if (outcome.named && r.failures.count == 0 && plan.refusedCount == 0) {
        RemoveKind(r, KindRegistryKey, OtherRegistration);
        if (r.failures.count == 0)
            RemoveKind(r, KindRegistryKey, VouchingKey);
        outcome.kept = r.failures.count > 0;
        if (!outcome.kept)
            RemoveKind(r, KindFile, Script);
    }
    outcome.failed = r.failures.count;
    return outcome;
}

// ---------------------------------------------------------------- messages

void FormatConfirmation(char *out, size_t size, const char *product)
{
    FormatText(out, size,
               "Are you sure you want to remove %s and all of its components from your computer?",
               product);
}

bool RemovedCompletely(const UninstallPlan &plan, const UninstallOutcome &outcome)
{
    return outcome.failed == 0 && plan.refusedCount == 0 && !outcome.kept;
}

void FormatOutcome(char *out, size_t size, const UninstallPlan &plan, const Registration &registration,
                   const UninstallOutcome &outcome, const char *failures)
{
    if (RemovedCompletely(plan, outcome)) {
        FormatText(out, size, RemovedText, plan.product);
        return;
    }
    FormatText(out, size, NotRemovedText, plan.product);
    char part[UninstallListSize + 512];
    if (outcome.failed > 0) {
        FormatText(part, sizeof part, FailedText, failures);
        AppendText(out, size, part);
    }
    if (plan.refusedCount > 0) {
        FormatText(part, sizeof part, RefusedText, plan.product, plan.refused);
        AppendText(out, size, part);
    }
    if (outcome.kept) {
        // Run again, the removal cannot take an entry that no line names.
        if (outcome.named)
            FormatText(part, sizeof part, KeptText, plan.product);
        else
            FormatText(part, sizeof part, UnnamedText, plan.product, registration.key);
        AppendText(out, size, part);
    }
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

void FormatNotVouched(char *out, size_t size, Vouching vouching, const char *product,
                      const char *scriptPath, const Registration &registration)
{
    switch (vouching) {
    case Vouched:
        out[0] = '\0';
        break;
    case NotAProductName:
        FormatText(out, size,
                   "The uninstallation data file\n\n%s\n\nbegins with \"%s\", which is not the name of a "
                   "product.  Nothing has been removed.",
                   scriptPath, product);
        break;
    case NotRegistered:
        FormatText(out, size,
                   "The uninstallation data file\n\n%s\n\nis for \"%s\", which is not in the Add/Remove "
                   "Software list.  Nothing has been removed.",
                   scriptPath, product);
        break;
    case RegisteredOtherwise:
        FormatText(out, size,
                   "The uninstallation data file\n\n%s\n\nis for \"%s\", but the Add/Remove Software list "
                   "removes %s with another command:\n\n%s\n\nNothing has been removed.",
                   scriptPath, product, product, registration.command);
        break;
    }
}
