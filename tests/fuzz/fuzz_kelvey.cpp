// Feeds arbitrary bytes to the uninstaller as a script and as a command
// line, then carries out the plan against recording stand-ins.  Nothing may
// be read or written outside its buffer; every entry taken must stand
// whole on a line of its own and pass the refusal rules, checked here
// independently of the reader; every other line that is not blank is
// listed; the check on disk only ever takes entries out, into the list,
// and always one that is a link itself; nothing outside the plan is
// removed, of a group only its shortcuts that are no link; the
// registration goes only when nothing stays, and the script only after the
// key that vouched.
#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pathrules.h"
#include "uninstall.h"

static void Check(bool ok)
{
    if (!ok)
        abort();
}

static UninstallPlan Plan;
static Registration TheRegistration;
static std::string Windows;  // lower case, no trailing backslash
static const char SystemDir[] = "C:\\WINDOWS\\SYSTEM";
static const char ScriptPath[] = "C:\\WINDOWS\\Tessaron - Uninstallation Data";

static std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return (char)tolower(c); });
    return text;
}

static std::vector<std::string> Split(const std::string &text)
{
    std::vector<std::string> names(1);
    for (char c : text) {
        if (c == '\\')
            names.emplace_back();
        else
            names.back().push_back(c);
    }
    return names;
}

static bool Plain(const std::string &name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:*?\"<>|") == std::string::npos &&
           std::all_of(name.begin(), name.end(), [](unsigned char c) { return c >= ' '; });
}

// Where the names begin after "X:\" (3) or "\\" (2); 0 for neither.
static size_t NamesFrom(const std::string &path)
{
    return path.size() > 2 && isalpha((unsigned char)path[0]) && path.compare(1, 2, ":\\") == 0 ? 3
           : path.compare(0, 2, "\\\\") == 0                                            ? 2
                                                                                        : 0;
}

static std::vector<std::string> NamesOf(std::string path, bool folder)
{
    size_t from = NamesFrom(path);
    if (folder && path.size() > from && path.back() == '\\')
        path.pop_back();
    return path.size() > from ? Split(path.substr(from)) : std::vector<std::string>();
}

// "X:\names" or "\\server\share\names", every name plain; a folder may be
// a root and end in one backslash.
static bool Absolute(const std::string &path, bool folder)
{
    size_t from = NamesFrom(path);
    std::vector<std::string> names = NamesOf(path, folder);
    return from != 0 && names.size() >= (from == 2 ? 2u : 0u) + (folder ? 0u : 1u) &&
           std::all_of(names.begin(), names.end(), Plain);
}

static bool IsRoot(const std::string &folder)
{
    return Absolute(folder, true) && NamesOf(folder, true).size() == (NamesFrom(folder) == 2 ? 2u : 0u);
}

static std::string FolderOf(const std::string &folder)
{
    return Lower(folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder);
}

static bool SameOrAbove(const std::string &folder, const std::string &path)
{
    return path == folder || path.compare(0, folder.size() + 1, folder + "\\") == 0;
}

// A folder of the plan whose files can be the product's: not a root, not
// the Windows or system folder or above them, and no folder that the plan
// names before it inside it.
static bool HoldsFiles(int index)
{
    const char *text = Plan.entries[index].text;
    std::string folder = FolderOf(text);
    if (!Absolute(text, true) || NamesOf(text, true).size() == (NamesFrom(text) == 2 ? 2u : 0u) ||
        SameOrAbove(folder, Windows) || SameOrAbove(folder, Lower(SystemDir)))
        return false;
    for (int i = 0; i < index; i++) {
        std::string other = FolderOf(Plan.entries[i].text);
        if (Plan.entries[i].kind == KindEmptyFolder && other != folder && SameOrAbove(folder, other))
            return false;
    }
    return true;
}

static bool Allowed(const UninstallEntry &e)
{
    std::string text = Lower(e.text), product = Lower(Plan.product), parent = text.substr(0, text.rfind('\\'));
    if (text.compare(0, 21, "software\\wow6432node\\") == 0 && e.kind == KindRegistryKey)
        text.erase(9, 12);
    std::vector<std::string> names = Split(text);
    switch (e.kind) {
    case KindEmptyFolder:
        return Absolute(e.text, true);
    case KindFile:
        if (!Absolute(e.text, false))
            return false;
        // A folder of the plan, or else one of the product's own files in
        // the Windows directory (which may be a root the plan names).
        for (int i = 0; i < Plan.count; i++)
            if (Plan.entries[i].kind == KindEmptyFolder && FolderOf(Plan.entries[i].text) == parent)
                if (HoldsFiles(i))
                    return true;
        return (parent == Windows && (names.back() == product + ".ini" || names.back() == product + " - uninstallation data" ||
                                      names.back() == product + " - uninstallation data.bak")) ||
               text == Windows + "\\start menu\\programs\\" + product + ".lnk";
    case KindRegistryKey:
        if (names.size() < 3 || names.back() != product || names[0] != "software" || product == "wow6432node" ||
            !std::all_of(names.begin(), names.end(), Plain))
            return false;
        return text == "software\\microsoft\\windows\\currentversion\\uninstall\\" + product ||
               (names[1] != "microsoft" && names[1] != "classes" && names[1] != "policies" && names[1] != "wow6432node");
    case KindGroup:
        return Plain(text) && text == product;
    }
    return false;
}

// The lines after the first that the reader takes whole: ended by a line
// feed, fitting, no text after a lone CR, before any NUL or Ctrl-Z; CR
// dropped, blanks at the end cut off.  *listable counts every line after
// the first that is not blank (blanks, CRs and end marks only, and fitting).
static std::vector<std::string> WholeLines(const char *data, size_t size, int *listable)
{
    std::vector<std::string> lines;
    *listable = 0;
    bool first = true, ended = false;
    for (size_t at = 0; at < size;) {
        size_t end = at;
        while (end < size && data[end] != '\n')
            end++;
        std::string line;
        bool loneCr = false, crBefore = false, visible = false, marked = false;
        for (size_t i = at; i < end; i++) {
            char c = data[i];
            if (c == '\r') {
                crBefore = crBefore || (i + 1 < size && data[i + 1] != '\n' && data[i + 1] != '\r');
                continue;
            }
            marked = marked || c == '\0' || c == '\x1a';
            if (c != ' ' && c != '\t' && c != '\0' && c != '\x1a') {
                visible = true;
                loneCr = loneCr || crBefore;
            }
            line += c;
        }
        ended = ended || marked;
        bool fits = line.size() < UninstallLineSize;
        if (!first && (visible || !fits))
            ++*listable;
        if (!first && end < size && fits && !loneCr && !ended)
            lines.push_back(line.substr(0, line.find_last_not_of(" \t") + 1));
        first = false;
        at = end + 1;
    }
    return lines;
}

// The entry is a line's argument after its kind word, blanks and root.
static bool OnAWholeLine(const UninstallEntry &e, const std::vector<std::string> &lines)
{
    static const char *const words[] = {"[FILE]", "[EMPTY FOLDER]", "[REGISTRY KEY]", "[GROUP]"};
    std::string word = words[e.kind];
    std::string root = e.kind != KindRegistryKey ? "" : e.root == RootLocalMachine ? "hkey_local_machine\\" : "hkey_current_user\\";
    for (const std::string &line : lines) {
        size_t at = line.find_first_not_of(" \t", word.size());
        if (line.compare(0, word.size(), word) == 0 && at != word.size() && at != std::string::npos &&
            Lower(line.substr(at, root.size())) == root && line.substr(at + root.size()) == e.text)
            return true;
    }
    return false;
}

static unsigned Calls, Failed;
static bool VouchingKeyGone;

static bool FullLongPath(const char *path, char *out, size_t size)
{
    out[0] = '\0';
    strncat(out, path, size - 1);
    return strlen(path) < size;
}

static const char *Registered;  // the UninstallString the fake list holds
static bool MachineText(const char *, const char *, char *out, size_t size)
{
    out[0] = '\0';
    strncat(out, Registered, size - 1);
    return true;
}

static const KelveyOps *TheOps;

// Every removal names an entry of the plan, the registration only when
// nothing stays, the script only after the key that vouched.  Results vary
// with the text.
static const char GroupRoot[] = "C:\\Group\\";

// A group's folder and the one shortcut in it that may go.
static bool InGroup(UninstallKind kind, const char *text)
{
    for (int i = 0; i < Plan.count; i++) {
        std::string folder = GroupRoot + std::string(Plan.entries[i].text);
        if (Plan.entries[i].kind == KindGroup && text == (kind == KindFile ? folder + "\\a.lnk" : folder))
            return true;
    }
    return false;
}

static RemoveResult Pretend(UninstallKind kind, const char *text)
{
    bool planned = InGroup(kind, text), vouching = false;
    for (int i = 0; i < Plan.count; i++) {
        const UninstallEntry &e = Plan.entries[i];
        if (e.kind == kind && strcmp(e.text, text) == 0) {
            planned = true;
            bool registration = IsRegistration(e, TheRegistration, *TheOps);
            Check(!registration || (Failed == 0 && Plan.refusedCount == 0));
            Check(!registration || kind != KindFile || VouchingKeyGone);
            vouching = vouching || (kind == KindRegistryKey && e.root == RootLocalMachine &&
                                    Lower(text) == Lower(TheRegistration.key));
        }
    }
    Check(planned);
    RemoveResult result = (RemoveResult)((strlen(text) + ++Calls) % 4);
    Failed += result == RemoveFailed;
    VouchingKeyGone = VouchingKeyGone || (vouching && result != RemoveFailed);
    return result;
}

static RemoveResult RemoveFile(const char *path) { return Pretend(KindFile, path); }
static RemoveResult RemoveFolder(const char *path) { return Pretend(KindEmptyFolder, path); }
static RemoveResult RemoveKey(RegistryRoot, const char *subkey) { return Pretend(KindRegistryKey, subkey); }
static int GroupFolders(const char *name, char (*folders)[UninstallTextSize], int max)
{
    Check(max >= 1);
    snprintf(folders[0], UninstallTextSize, "%s%s", GroupRoot, name);
    return 1;
}

// A link is a path whose last name begins with '~'; nothing has an identity
// or a stored name; a group folder holds a shortcut, another file, a
// folder named like a shortcut and a shortcut that is a link.
static bool IsLinkName(const char *path)
{
    std::string name = path;
    if (name.size() > 1 && name.back() == '\\')
        name.pop_back();
    return name[name.rfind('\\') + 1] == '~';
}
static bool NoName(const char *, char *, size_t) { return false; }
static bool NoIdentity(const char *, FileIdentity *) { return false; }
static bool ListGroup(const char *folder, FoundEntry found, void *context)
{
    if (strncmp(folder, GroupRoot, strlen(GroupRoot)) != 0)
        return false;
    found(context, "a.lnk", false, false);
    found(context, "b.txt", false, false);
    found(context, "c.lnk", true, false);
    found(context, "d.url", false, true);
    return true;
}
static const PathOps Paths = {FullLongPath, NoName, NoIdentity, IsLinkName, ListGroup};
static RemoveResult RemoveShortcut(char *path, size_t size)
{
    Check(size > 0 && Lower(Plan.product) == "tessaron");
    path[0] = '\0';
    strncat(path, "C:\\Startup\\Tessaron.LNK", size - 1);
    RemoveResult result = (RemoveResult)(++Calls % 4);
    Failed += result == RemoveFailed;
    return result;
}

static const KelveyOps Ops = {RemoveFile,   RemoveFolder, RemoveKey, GroupFolders, RemoveShortcut,
                              FullLongPath, MachineText,  &Paths};

// Whether the entry is one of the plan's before the check on disk.
static bool WasPlanned(const UninstallEntry &e, const UninstallPlan &before)
{
    for (int i = 0; i < before.count; i++)
        if (before.entries[i].kind == e.kind && before.entries[i].root == e.root &&
            strcmp(before.entries[i].text, e.text) == 0)
            return true;
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Exactly the input's bytes on the heap, so ASan sees any read past them.
    char *copy = (char *)malloc(size + 1);
    memcpy(copy, data, size);
    copy[size] = '\0';
    const char *windowsDir = size % 2 ? "C:\\WINDOWS" : "C:\\";
    Windows = FolderOf(windowsDir);
    TheOps = &Ops;

    if (ReadUninstallScript(copy, size, windowsDir, SystemDir, &Plan)) {
        Check(Plan.product[0] != '\0' && strnlen(Plan.product, sizeof Plan.product) < sizeof Plan.product);
        Check(Plan.count >= 0 && Plan.count <= MaxUninstallEntries);
        Check(strnlen(Plan.refused, sizeof Plan.refused) < sizeof Plan.refused);
        int listable = 0;
        std::vector<std::string> lines = WholeLines(copy, size, &listable);
        for (int i = 0; i < Plan.count; i++)
            Check(strnlen(Plan.entries[i].text, UninstallTextSize) < UninstallTextSize && Allowed(Plan.entries[i]) &&
                  OnAWholeLine(Plan.entries[i], lines));
        Check(Plan.count + Plan.refusedCount == listable);  // no line vanishes unlisted

        // On disk: what goes is listed, what stays was planned, and no path
        // that stays is a link, but for a root, which is never removed.
        static UninstallPlan before;
        before = Plan;
        static SystemPlaces places;
        FindSystemPlaces(Paths, windowsDir, SystemDir, nullptr, 0, &places);
        CheckPlanOnDisk(&Plan, places, Ops);
        Check(Plan.count + Plan.refusedCount == before.count + before.refusedCount);
        Check(strnlen(Plan.refused, sizeof Plan.refused) < sizeof Plan.refused);
        for (int i = 0; i < Plan.count; i++)
            Check(WasPlanned(Plan.entries[i], before) &&
                  (Plan.entries[i].kind == KindRegistryKey || Plan.entries[i].kind == KindGroup ||
                   !IsLinkName(Plan.entries[i].text) || IsRoot(Plan.entries[i].text)));

        // The registration as setup writes it, for whatever the product is.
        std::string command = "C:\\WINDOWS\\kelvey.exe " + std::string(ScriptPath);
        Registered = command.c_str();
        CheckRegistration(Plan.product, ScriptPath, "C:\\WINDOWS\\Kelvey.exe", Ops, &TheRegistration);
        size_t listSize = size % 300;
        char *failures = (char *)malloc(listSize + 1);
        Calls = Failed = 0;
        VouchingKeyGone = false;
        UninstallOutcome outcome = CarryOutUninstall(Plan, TheRegistration, Ops, failures, listSize);
        Check(outcome.failed >= 0 && (unsigned)outcome.failed == Failed);
        Check(Plan.refusedCount == 0 || outcome.kept);
        Check(outcome.kept == !VouchingKeyGone);  // "stays in the list" exactly when it does
        if (listSize > 0)
            Check(strlen(failures) < listSize);
        static char message[3 * UninstallListSize];
        FormatOutcome(message, sizeof message, Plan, TheRegistration, outcome, listSize ? failures : "");
        // A full removal is claimed exactly when nothing was refused or left.
        Check(RemovedCompletely(Plan, outcome) == (strncmp(message + strlen(Plan.product), " has been", 9) == 0));
        Check(outcome.kept == (strstr(message, " stays in the Add/Remove Software list") != nullptr));
        free(failures);
    }

    char path[UninstallTextSize];
    if (ScriptPathFromCommandLine(copy, "C:\\WINDOWS\\Kelvey.exe", path, sizeof path))
        Check(path[0] != '\0' && strlen(path) < sizeof path);
    char small[16];
    ScriptPathFromCommandLine(copy, nullptr, small, sizeof small);
    Check(strlen(small) < sizeof small);

    // A registration vouches only for the script its command names.
    Registered = copy;
    static Registration registration;
    if (CheckRegistration("Tessaron", ScriptPath, "C:\\WINDOWS\\Kelvey.exe", Ops, &registration) == Vouched)
        Check(ScriptPathFromCommandLine(copy, "C:\\WINDOWS\\Kelvey.exe", path, sizeof path) &&
              strcasecmp(path, ScriptPath) == 0);

    free(copy);
    return 0;
}
