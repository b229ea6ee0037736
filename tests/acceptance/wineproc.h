// How a test program sees another Windows program of the same Wine prefix
// from the Unix side: the Unix process that runs it, as Z:\proc\<pid>, and
// fields of its /proc files (smaps_rollup: the memory it has written).
// Shared by the acceptance driver and the benchmark probe.
#pragma once
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <string>

inline std::string ReadWholeFile(const std::string &path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

// The Unix process that runs exe in our prefix, as Z:\proc\<pid>.
inline std::string UnixProcessFolder(const std::string &exe)
{
    char prefix[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    if (length == 0 || length >= sizeof prefix)
        return "";
    std::string wanted = std::string("WINEPREFIX=") + prefix;
    WIN32_FIND_DATAA entry = {};
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE)
        return "";
    std::string found;
    do {
        const char *name = entry.cFileName;
        if (!*name || strspn(name, "0123456789") != strlen(name))
            continue;
        std::string folder = std::string("Z:\\proc\\") + name;
        // Wine shows the Windows command line, padded with blanks.
        std::string command = ReadWholeFile(folder + "\\cmdline");
        command = command.substr(0, command.find('\0'));
        if (command.size() < exe.size() ||
            lstrcmpiA(command.substr(0, exe.size()).c_str(), exe.c_str()) != 0 ||
            (command.size() > exe.size() && command[exe.size()] != ' '))
            continue;
        std::string environment = ReadWholeFile(folder + "\\environ");
        size_t at = environment.find(wanted);
        if (at != std::string::npos && (at == 0 || environment[at - 1] == '\0') &&
            (at + wanted.size() == environment.size() || environment[at + wanted.size()] == '\0'))
            found = folder;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// A "Name:   1234 kB" field of a /proc file, in kilobytes; -1 when absent.
inline long ProcField(const std::string &text, const char *name)
{
    size_t at = text.find(std::string("\n") + name + ":");
    if (at == std::string::npos)
        return -1;
    return strtol(text.c_str() + at + strlen(name) + 2, nullptr, 10);
}
