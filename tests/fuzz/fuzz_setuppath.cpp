// Feeds arbitrary text to setup's path rules as the installation folder a
// user could type, and checks what each rule promises:
//   - a collapsed path never grows, turns every run of n backslashes into
//     n/2 rounded up, and a network folder keeps its leading pair;
//   - the installation folder ends with one backslash, fits its limit when
//     accepted, and never writes past its buffer, however small;
//   - the folder chain, over a fake disk, only ever asks for the path it was
//     given cut at one of its backslashes, never for less than its drive
//     root or network share, and leaves the whole path made when nothing
//     refuses and the root is there;
//   - under a double-byte code page, the collapse and the installation
//     folder keep every double-byte character whole (a second byte that
//     looks like a backslash is no backslash), and the folder ends in a
//     backslash of its own;
//   - setup accepts the folder exactly when Tessaron can be removed from it
//     again: the uninstallation script written for it is taken whole by the
//     uninstaller's own reader (nothing refused, the folder named as setup
//     resolved it), and every folder of plain names that is no root, no
//     system folder and none above them is accepted.
// Input: byte 0 chooses the disk (bit 0: the root exists; bits 1-7: which
// of the path's first seven folders refuse to be made), byte 1 the size of
// the folder buffer (below 16: the full path cannot be resolved); the rest, up to a NUL, is the typed text.
#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "install.h"
#include "pathrules.h"
#include "uninstall.h"

static void Check(bool ok)
{
    if (!ok)
        abort();
}

// Code page 932's lead bytes.
static bool Lead932(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The characters of a text: with dbcs, a lead byte and the byte after it
// are one.
static std::vector<std::string> Chars(const std::string &text, bool dbcs = true)
{
    std::vector<std::string> chars;
    for (size_t i = 0; i < text.size();) {
        size_t width = dbcs && Lead932((unsigned char)text[i]) && i + 1 < text.size() ? 2 : 1;
        chars.push_back(text.substr(i, width));
        i += width;
    }
    return chars;
}

// Every run of n backslash characters becomes n/2 rounded up; every other
// character stays as it was.
static std::string Collapsed(const std::string &text, bool dbcs = false)
{
    std::vector<std::string> chars = Chars(text, dbcs);
    std::string out;
    for (size_t i = 0; i < chars.size();) {
        size_t run = 0;
        while (i + run < chars.size() && chars[i + run] == "\\")
            run++;
        if (run == 0)
            out += chars[i++];
        else
            out.append((run + 1) / 2, '\\'), i += run;
    }
    return out;
}

static bool IsNetwork(const std::string &folder)
{
    return folder.size() > 2 && folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\\';
}

static std::string CollapseRule(const std::string &path, const char *folder)
{
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    CollapseFolderPath(buffer.data(), folder);
    return buffer.data();
}

static void CheckCollapse(const std::string &folder, const std::string &path)
{
    std::vector<char> plain(path.begin(), path.end());
    plain.push_back('\0');
    CollapseBackslashes(plain.data());
    Check(plain.data() == Collapsed(path));

    std::string kept = CollapseRule(path, folder.c_str());
    Check(kept.size() <= path.size());
    if (IsNetwork(folder) && path.compare(0, 2, "\\\\") == 0)
        Check(kept == "\\" + Collapsed(path.substr(1)) && IsNetwork(kept));
    else
        Check(kept == Collapsed(path));
}

static void CheckInstallFolder(const std::string &typed, size_t size)
{
    char *out = (char *)malloc(size);  // exactly size bytes, for ASan
    bool fits = MakeInstallFolder(typed.c_str(), out, size);
    std::string expected = CollapseRule(typed + "\\", typed.c_str());
    Check(strnlen(out, size) < size);
    if (fits)
        Check(out == expected && expected.size() <= InstallFolderLimit && expected.back() == '\\');
    else
        Check(expected.size() > InstallFolderLimit || typed.size() + 2 > size);
    free(out);
}

// ---------------------------------------------------------------- folder chain
struct Disk {
    std::string path, root;  // as given; its drive root or share
    bool rootExists;
    std::set<std::string> refused, made;
    int calls;
} disk;

// "D:\" for D:\x, "D:" for D:x, "\\server\share\" for a share, "\" for \x.
static std::string RootOf(const std::string &path)
{
    if (path.size() >= 2 && path[1] == ':')
        return path.substr(0, path.size() > 2 && path[2] == '\\' ? 3 : 2);
    if (path.compare(0, 2, "\\\\") == 0) {
        size_t share = path.find('\\', 2);
        size_t end = share == std::string::npos ? share : path.find('\\', share + 1);
        return end == std::string::npos ? path : path.substr(0, end + 1);
    }
    return path.compare(0, 1, "\\") == 0 ? "\\" : "";
}

static bool Exists(const std::string &folder)
{
    return disk.made.count(folder) || (disk.rootExists && folder == disk.root);
}

// A folder can be made when it is missing, not refused, and its parent is
// there (the root stands in for any parent shorter than itself).
static bool FakeCreateFolder(const char *p)
{
    std::string folder = p;
    disk.calls++;
    Check(disk.path.compare(0, folder.size(), folder) == 0);
    Check(folder.size() == disk.path.size() || disk.path[folder.size()] == '\\');
    Check(folder.size() >= disk.root.size() || folder == disk.path);
    if (Exists(folder) || disk.refused.count(folder) || folder == disk.root)
        return false;
    size_t cut = folder.rfind('\\');
    std::string parent = cut == std::string::npos ? "" : folder.substr(0, cut);
    if (parent.size() < disk.root.size())
        parent = disk.root;
    if (!Exists(parent))
        return false;
    disk.made.insert(folder);
    return true;
}

static void CheckFolderChain(const std::string &path, uint8_t choice)
{
    disk = Disk();
    disk.path = path;
    disk.root = RootOf(path);
    disk.rootExists = choice & 1;
    int folder = 0;
    for (size_t at = disk.root.size(); at <= path.size(); at++)
        if (at == path.size() || path[at] == '\\')
            if (folder++ < 7 && (choice >> folder) & 1)
                disk.refused.insert(path.substr(0, at));

    std::vector<char> buffer(path.begin(), path.end());  // exactly the path, for ASan
    buffer.push_back('\0');
    CreateFolderChain(buffer.data(), FakeCreateFolder);
    Check(disk.calls <= 2 * (int)std::count(path.begin(), path.end(), '\\') + 2);
    // Doubled or trailing backslashes name the same folder twice on a real
    // disk; the fake one tells them apart, so only plain paths must end made.
    bool plain = path.find("\\\\", 1) == std::string::npos && path.back() != '\\' &&
                 path.size() > disk.root.size();
    if (plain && disk.rootExists && disk.refused.empty())
        Check(Exists(path));
}

// ---------------------------------------------------------------- script
// Resolution as the system does it against current directory E:\work:
// slashes become backslashes, "." and ".." and empty names go.
static bool resolveFails;
static std::string resolved, script;

static bool FakeFullPath(const char *p, char *out, size_t size)
{
    std::string path = p;
    std::replace(path.begin(), path.end(), '/', '\\');
    std::string root;
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        root = path.substr(0, 3);
    else if (path.compare(0, 2, "\\\\") == 0)
        root = "\\\\";
    else if (path.compare(0, 1, "\\") == 0)
        root = "E:\\";
    else if (path.size() >= 2 && path[1] == ':')
        root = path.substr(0, 2) + "\\work\\", path.erase(0, 2);
    else
        root = "E:\\work\\";
    std::vector<std::string> names;
    size_t at = path.compare(0, root.size(), root) == 0 ? root.size() : 0;
    while (at <= path.size()) {
        size_t end = std::min(path.find('\\', at), path.size());
        std::string name = path.substr(at, end - at);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        at = end + 1;
    }
    resolved = root;
    for (const std::string &name : names)
        resolved += name + "\\";
    if (resolveFails || resolved.size() >= size)
        return false;
    memcpy(out, resolved.c_str(), resolved.size() + 1);
    return true;
}

static bool NoName(const char *, char *, size_t) { return false; }
static bool NoIdentity(const char *, FileIdentity *) { return false; }
static bool NoLink(const char *) { return false; }
static bool NoList(const char *, FoundEntry, void *) { return false; }
static const PathOps FakePaths = {FakeFullPath, NoName, NoIdentity, NoLink, NoList};
static void FakePlaces(SystemPlaces *places)
{
    FindSystemPlaces(FakePaths, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", nullptr, 0, places);
}
static bool FakeRead(const char *, char *, size_t) { return false; }
static bool FakeRegistered() { return false; }
static void FakeDirectory(char *dir, size_t size) { snprintf(dir, size, "%s", "C:\\WINDOWS"); }
static bool FakeMade(const char *) { return true; }
static void FakeRemove(const char *) {}
static bool FakeCopy(const char *, const char *) { return true; }
static bool FakeWriteScript(const char *, const char *text, char *, size_t) { return script = text, true; }
static void FakeRegister(const char *, const char *) {}
static bool FakeStartup(char *, size_t) { return false; }
static void FakeShortcut(const char *, const char *, const char *) {}
// Windows 98: the script the uninstaller reads back is the 17 lines.
static const Platform &FakePlatform()
{
    static const Platform system = {false, 4, 10, false};
    return system;
}
static void FakeWarn(const char *) {}

static bool IsPlain(const std::string &name)
{
    return !name.empty() && name != "." && name != ".." && name.back() != ' ' && name.back() != '.' &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return (unsigned char)c < ' ' || strchr("/:*?\"<>|", c); });
}

static bool SameOrAbove(std::string folder, std::string path)
{
    std::transform(folder.begin(), folder.end(), folder.begin(), [](unsigned char c) { return (char)tolower(c); });
    std::transform(path.begin(), path.end(), path.begin(), [](unsigned char c) { return (char)tolower(c); });
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return path == folder || path.compare(0, folder.size() + 1, folder + "\\") == 0;
}

static void CheckScript(const std::string &typed, uint8_t choice)
{
    static const InstallOps ops = {FakePlatform, FakeDirectory,   FakeDirectory, &FakePaths,     FakePlaces,
                                   FakeMade,     FakeMade,        FakeRemove,    FakeCopy,       FakeRemove,
                                   FakeWriteScript, FakeRead,     FakeRegistered, FakeRegister,  FakeStartup,
                                   FakeShortcut, FakeWarn};
    resolveFails = choice < 16;
    resolved.clear();
    script.clear();
    bool accepted = CheckInstallFolder(ops, typed.c_str()) == InstallFolderAccepted;
    Check(RunInstallSequence(ops, typed.c_str()) == accepted && accepted == !script.empty());
    if (accepted) {
        // Every folder setup accepts can be uninstalled.
        static UninstallPlan plan;
        Check(ReadUninstallScript(script.data(), script.size(), "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", &plan));
        Check(plan.refusedCount == 0 && plan.count == 16);
    }
    char folder[SetupPathSize];
    if (!MakeInstallFolder(typed.c_str(), folder, sizeof folder) || resolveFails)
        return;  // unresolved, the script names the folder as the copies did
    char full[SetupPathSize];
    FakeFullPath(folder, full, sizeof full);
    std::string expected = CollapseRule(resolved, resolved.c_str());
    if (accepted)
        Check(script.find("\r\n[EMPTY FOLDER] " + expected + "\r\n") != std::string::npos);
    // And every folder of plain names below a root, away from the system's
    // folders, is accepted.
    bool network = expected.compare(0, 2, "\\\\") == 0;
    bool plain = expected.size() <= InstallFolderLimit &&
                 (network || (expected.size() >= 3 && isalpha((unsigned char)expected[0]) && expected[1] == ':' && expected[2] == '\\'));
    int names = 0;
    for (size_t at = network ? 2 : 3; plain && at < expected.size(); names++) {
        size_t end = expected.find('\\', at);
        plain = IsPlain(expected.substr(at, end - at));
        at = end + 1;
    }
    plain = plain && names > (network ? 2 : 0) && !SameOrAbove(expected, "C:\\WINDOWS\\SYSTEM");
    if (plain)
        Check(accepted);
}

// ---------------------------------------------------------------- double-byte
static void CheckDoubleByte(const std::string &typed)
{
    UseLeadByteTest(Lead932);
    std::vector<std::string> chars = Chars(typed);
    std::string expected = Collapsed(typed, true);
    std::vector<char> buffer(typed.begin(), typed.end());
    buffer.push_back('\0');
    CollapseBackslashes(buffer.data());
    Check(buffer.data() == expected);
    // Unless the text ends in a lead byte alone, which the appended
    // backslash completes: such a folder is no path.
    char folder[SetupPathSize];
    bool loneLead = !chars.empty() && chars.back().size() == 1 && Lead932((unsigned char)chars.back()[0]);
    if (MakeInstallFolder(typed.c_str(), folder, sizeof folder) && !loneLead)
        Check(EndsWithBackslash(folder) && Chars(folder).back() == "\\");
    UseLeadByteTest(nullptr);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    std::string typed((const char *)data + 2, strnlen((const char *)data + 2, size - 2));
    if (typed.size() > 1024)
        return 0;
    CheckCollapse(typed, typed);
    CheckCollapse(typed, typed + "\\Tessaron.exe");
    CheckInstallFolder(typed, SetupPathSize);
    CheckInstallFolder(typed, 1 + data[1]);
    if (!typed.empty())
        CheckFolderChain(typed, data[0]);
    CheckScript(typed, data[1]);
    CheckDoubleByte(typed);
    return 0;
}
