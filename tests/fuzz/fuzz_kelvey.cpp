// Feeds arbitrary bytes to the uninstaller as a script and as a command
// line, then carries out the plan against recording stand-ins.  Nothing may
// be read or written outside its buffer; every entry taken must stand
// whole on a line of its own and pass the refusal rules, checked here
// independently of the reader; nothing outside the plan is removed; and
// the registration and the script go only when nothing stays.
#include <ctype.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "uninstall.h"

static void Check(bool ok)
{
    if (!ok)
        abort();
}

static UninstallPlan Plan;
static std::string Windows;  // lower case, no trailing backslash
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

// "X:\names" or "\\server\share\names", every name plain; a folder may be
// a root and end in one backslash.
static bool Absolute(std::string path, bool folder)
{
    size_t from = path.size() > 2 && isalpha((unsigned char)path[0]) && path.compare(1, 2, ":\\") == 0 ? 3
                  : path.compare(0, 2, "\\\\") == 0                                            ? 2
                                                                                               : 0;
    if (from == 0)
        return false;
    if (folder && path.size() > from && path.back() == '\\')
        path.pop_back();
    std::vector<std::string> names;
    if (path.size() > from)
        names = Split(path.substr(from));
    return names.size() >= (from == 2 ? 2u : 0u) + (folder ? 0u : 1u) && std::all_of(names.begin(), names.end(), Plain);
}

static std::string FolderOf(const std::string &folder)
{
    return Lower(folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder);
}

static bool Allowed(const UninstallEntry &e)
{
    std::string text = Lower(e.text), product = Lower(Plan.product), parent = text.substr(0, text.rfind('\\'));
    std::vector<std::string> names = Split(text);
    switch (e.kind) {
    case KindEmptyFolder:
        return Absolute(e.text, true);
    case KindFile:
        if (!Absolute(e.text, false))
            return false;
        for (int i = 0; i < Plan.count; i++)
            if (Plan.entries[i].kind == KindEmptyFolder && FolderOf(Plan.entries[i].text) == parent)
                return true;
        return (parent == Windows && (names.back() == product + ".ini" || names.back() == product + " - uninstallation data" ||
                                      names.back() == product + " - uninstallation data.bak")) ||
               text == Windows + "\\start menu\\programs\\" + product + ".lnk";
    case KindRegistryKey:
        if (names.size() < 3 || names.back() != product || names[0] != "software" || !std::all_of(names.begin(), names.end(), Plain))
            return false;
        return text == "software\\microsoft\\windows\\currentversion\\uninstall\\" + product ||
               (names[1] != "microsoft" && names[1] != "classes" && names[1] != "policies");
    case KindGroup:
        return Plain(text) && text == product;
    }
    return false;
}

// The lines after the first that end in a line feed and fit the reader:
// CR dropped, blanks at the end cut off, as far as Ctrl-Z or NUL.
static std::vector<std::string> WholeLines(const char *data, size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < size && data[i] != '\x1a' && data[i] != '\0'; i++) {
        if (data[i] != '\n') {
            line += data[i] == '\r' ? "" : std::string(1, data[i]);
        } else {
            if (line.size() < UninstallLineSize)
                lines.push_back(line.substr(0, line.find_last_not_of(" \t") + 1));
            line.clear();
        }
    }
    if (!lines.empty())
        lines.erase(lines.begin());  // the product
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

// Every removal names an entry of the plan, the registration and the
// script only when nothing stays.  Results vary with the text.
static RemoveResult Pretend(UninstallKind kind, const char *text)
{
    bool planned = false;
    for (int i = 0; i < Plan.count; i++) {
        const UninstallEntry &e = Plan.entries[i];
        if (e.kind == kind && strcmp(e.text, text) == 0) {
            planned = true;
            Check(!IsRegistration(e, ScriptPath) || (Failed == 0 && Plan.refusedCount == 0));
        }
    }
    Check(planned);
    RemoveResult result = (RemoveResult)((strlen(text) + ++Calls) % 3);
    Failed += result == RemoveFailed;
    return result;
}

static RemoveResult RemoveFile(const char *path) { return Pretend(KindFile, path); }
static RemoveResult RemoveFolder(const char *path) { return Pretend(KindEmptyFolder, path); }
static RemoveResult RemoveKey(RegistryRoot, const char *subkey) { return Pretend(KindRegistryKey, subkey); }
static RemoveResult RemoveGroup(const char *name) { return Pretend(KindGroup, name); }
static RemoveResult RemoveShortcut(char *path, size_t size)
{
    Check(size > 0 && Lower(Plan.product) == "tessaron");
    path[0] = '\0';
    strncat(path, "C:\\Startup\\Tessaron.LNK", size - 1);
    RemoveResult result = (RemoveResult)(++Calls % 3);
    Failed += result == RemoveFailed;
    return result;
}

static const KelveyOps Ops = {RemoveFile, RemoveFolder, RemoveKey, RemoveGroup, RemoveShortcut};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Exactly the input's bytes on the heap, so ASan sees any read past them.
    char *copy = (char *)malloc(size + 1);
    memcpy(copy, data, size);
    copy[size] = '\0';
    const char *windowsDir = size % 2 ? "C:\\WINDOWS" : "C:\\";
    Windows = FolderOf(windowsDir);

    if (ReadUninstallScript(copy, size, windowsDir, &Plan)) {
        Check(Plan.product[0] != '\0' && strnlen(Plan.product, sizeof Plan.product) < sizeof Plan.product);
        Check(Plan.count >= 0 && Plan.count <= MaxUninstallEntries);
        Check(strnlen(Plan.refused, sizeof Plan.refused) < sizeof Plan.refused);
        std::vector<std::string> lines = WholeLines(copy, size);
        for (int i = 0; i < Plan.count; i++)
            Check(strnlen(Plan.entries[i].text, UninstallTextSize) < UninstallTextSize && Allowed(Plan.entries[i]) &&
                  OnAWholeLine(Plan.entries[i], lines));
        size_t listSize = size % 300;
        char *failures = (char *)malloc(listSize + 1);
        Calls = Failed = 0;
        UninstallOutcome outcome = CarryOutUninstall(Plan, ScriptPath, Ops, failures, listSize);
        Check(outcome.failed >= 0 && (unsigned)outcome.failed == Failed);
        Check(Plan.refusedCount == 0 || outcome.kept);
        if (listSize > 0)
            Check(strlen(failures) < listSize);
        static char message[3 * UninstallListSize];
        FormatOutcome(message, sizeof message, Plan, outcome, listSize ? failures : "");
        // A full removal is claimed exactly when nothing was refused or left.
        Check(RemovedCompletely(Plan, outcome) == (strncmp(message + strlen(Plan.product), " has been", 9) == 0));
        free(failures);
    }

    char path[UninstallTextSize];
    if (ScriptPathFromCommandLine(copy, "C:\\WINDOWS\\Kelvey.exe", path, sizeof path))
        Check(path[0] != '\0' && strlen(path) < sizeof path);
    char small[16];
    ScriptPathFromCommandLine(copy, nullptr, small, sizeof small);
    Check(strlen(small) < sizeof small);

    free(copy);
    return 0;
}
