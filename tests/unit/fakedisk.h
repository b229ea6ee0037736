// A file system for the path rules' tables: folders and files by their
// stored names, links (followed on the way to what a path names, never for
// its last name), other spellings of a folder (another drive, a share, a
// short name) and identities, which only the NT family has.
#pragma once
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "pathrules.h"

struct FakeDisk {
    struct Entry {
        std::string stored;  // the whole path as stored
        bool folder = true;
        std::string link;    // the path it stands for, when it is a link
        unsigned long index = 0;
    };
    std::map<std::string, Entry> entries;              // by lower-case path
    struct Spelling {
        std::string other, path;
        bool named;  // a short name: looked up, it gives the long one
    };
    std::vector<Spelling> spellings;
    std::string current = "A:\\";
    bool nt = true, resolves = true;
    std::map<char, unsigned long> next;  // file indexes count per volume

    static std::string Lower(std::string s)
    {
        for (char &c : s)
            c = (char)tolower((unsigned char)c);
        return s;
    }
    void Add(const std::string &path, bool folder = true, const std::string &link = "")
    {
        Entry &e = entries[Lower(path)];
        e.stored = path;
        e.folder = folder;
        e.link = link;
        e.index = ++next[(char)toupper((unsigned char)path[0])];
    }
    // Each folder of the path, then the path itself.
    void AddTree(const std::string &path, bool folder = true)
    {
        if (!entries.count(Lower(path.substr(0, 3))))
            Add(path.substr(0, 3));
        for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
            if (!entries.count(Lower(path.substr(0, at))))
                Add(path.substr(0, at));
        Add(path, folder);
    }
    void Spell(const std::string &other, const std::string &path, bool named = false)
    {
        spellings.push_back({other, path, named});
    }
    // The real path behind a spelling: other spellings replaced, links
    // followed for every name but (unless all) the last.
    std::string Real(std::string path, bool all) const
    {
        if (path.size() > 3 && path.back() == '\\')
            path.pop_back();
        for (const auto &s : spellings) {
            std::string key = Lower(s.other);
            if (Lower(path).compare(0, key.size(), key) == 0 &&
                (path.size() == key.size() || path[key.size()] == '\\'))
                path = s.path + (path.size() == key.size() && s.path.size() == 2 ? "\\" : path.substr(key.size()));
        }
        if (path.size() > 3 && path.back() == '\\')
            path.pop_back();
        for (size_t at = 3; at <= path.size(); at++) {
            if (at < path.size() && path[at] != '\\')
                continue;
            if (at == path.size() && !all)
                break;
            auto found = entries.find(Lower(path.substr(0, at)));
            if (found != entries.end() && !found->second.link.empty()) {
                path = found->second.link + path.substr(at);
                at = 2;
            }
        }
        return path;
    }
    const Entry *Find(const std::string &path, bool all) const
    {
        auto found = entries.find(Lower(Real(path, all)));
        return found == entries.end() ? nullptr : &found->second;
    }
};
inline FakeDisk fs;

inline bool DiskFullPath(const char *path, char *out, size_t size)
{
    std::string full = path;
    for (char &c : full)
        c = c == '/' ? '\\' : c;
    if (full.rfind("\\\\", 0) != 0 && full.find(':') == std::string::npos)
        full = (full[0] == '\\' ? fs.current.substr(0, 2) : fs.current) + full;
    // "." and "..", and the dots and blanks that end a name, as the system drops them.
    bool trailing = full.size() > 3 && full.back() == '\\';
    std::vector<std::string> names;
    size_t from = full.rfind("\\\\", 0) == 0 ? 2 : 3;
    std::string root = full.substr(0, from);
    for (size_t at = from; at <= full.size();) {
        size_t end = std::min(full.find('\\', at), full.size());
        std::string name = full.substr(at, end - at);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (name != "." && !name.empty()) {
            while (name.size() > 1 && (name.back() == '.' || name.back() == ' ') && name != "..")
                name.pop_back();
            names.push_back(name);
        }
        at = end + 1;
    }
    full = root;
    for (size_t i = 0; i < names.size(); i++)
        full += (i ? "\\" : "") + names[i];
    if (trailing && !names.empty())
        full += "\\";
    snprintf(out, size, "%s", full.c_str());
    return fs.resolves && full.size() < size;
}

inline bool DiskStoredName(const char *path, char *name, size_t size)
{
    // A wildcard finds the first name it matches, as FindFirstFile does.
    std::string p = path;
    if (p.find_first_of("*?") != std::string::npos) {
        std::string folder = FakeDisk::Lower(fs.Real(p.substr(0, p.rfind('\\')), true)) + "\\";
        for (const auto &entry : fs.entries)
            if (entry.first.compare(0, folder.size(), folder) == 0) {
                snprintf(name, size, "%s", entry.second.stored.substr(folder.size()).c_str());
                return true;
            }
        return false;
    }
    // Another drive's or share's name for a folder is a name of its own there.
    const FakeDisk::Entry *e = fs.Find(path, false);
    for (const auto &s : fs.spellings)
        if (!s.named && FakeDisk::Lower(s.other) == FakeDisk::Lower(path)) {
            auto literal = fs.entries.find(FakeDisk::Lower(path));
            e = literal == fs.entries.end() ? nullptr : &literal->second;
        }
    if (e == nullptr)
        return false;
    snprintf(name, size, "%s", e->stored.substr(e->stored.rfind('\\') + 1).c_str());
    return true;
}

inline bool DiskIdentity(const char *path, FileIdentity *id)
{
    const FakeDisk::Entry *e = fs.nt ? fs.Find(path, true) : nullptr;
    if (e == nullptr)
        return false;
    *id = {(unsigned long)toupper((unsigned char)e->stored[0]), 0, e->index};
    return true;
}

inline bool DiskIsLink(const char *path)
{
    const FakeDisk::Entry *e = fs.Find(path, false);
    return e != nullptr && !e->link.empty();
}

inline bool DiskListFolder(const char *folder, FoundEntry found, void *context)
{
    const FakeDisk::Entry *e = fs.Find(folder, true);
    if (e == nullptr || !e->folder)
        return false;
    std::string prefix = FakeDisk::Lower(e->stored) + "\\";
    for (const auto &entry : fs.entries)
        if (entry.first.compare(0, prefix.size(), prefix) == 0 &&
            entry.first.find('\\', prefix.size()) == std::string::npos)
            found(context, entry.second.stored.substr(prefix.size()).c_str(), entry.second.folder,
                  !entry.second.link.empty());
    return true;
}

const PathOps DiskOps = {DiskFullPath, DiskStoredName, DiskIdentity, DiskIsLink, DiskListFolder};

// The places of a machine with Windows in windowsDir, its system folder
// in systemDir and the drives of the fs.
inline void DiskPlaces(SystemPlaces *places, const char *windowsDir = "C:\\WINDOWS",
                       const char *systemDir = "C:\\WINDOWS\\SYSTEM")
{
    static const char *const roots[] = {"A:\\", "C:\\", "D:\\"};
    FindSystemPlaces(DiskOps, windowsDir, systemDir, roots, 3, places);
}
