// The system the programs run on, as a plain value: Windows 95, 98 and ME
// or the NT family, its version, and whether a 32-bit program runs on
// 64-bit Windows.  platform_win32.cpp fills it once; everything that
// differs between the systems is decided from it, here and in the portable
// code that takes it.  Portable: no <windows.h>.
#pragma once

struct Platform {
    bool nt;     // the NT family (2000 to 11); false: Windows 95, 98 and ME
    int major;   // 4.10 for Windows 98, 5.1 for XP, 6.2 for 8 to 11 ...
    int minor;
    bool wow64;  // a 32-bit process on 64-bit Windows: System32 is redirected
};

inline bool IsNtVersionAtLeast(const Platform &p, int major, int minor)
{
    return p.nt && (p.major > major || (p.major == major && p.minor >= minor));
}

// Vista and later: the consent prompt, and tools that need an administrator.
inline bool IsVistaOrLater(const Platform &p)
{
    return IsNtVersionAtLeast(p, 6, 0);
}

// XP and later have defrag.exe in the system folder; 2000 has none.
inline bool HasDefragTool(const Platform &p)
{
    return IsNtVersionAtLeast(p, 5, 1);
}

// Shell32's own version (DllGetVersion); 4.0 where the library has no such
// call (Windows 95 and NT 4.0 without the desktop update).
struct ShellVersion {
    int major;
    int minor;
};

// Windows 2000 and ME brought Shell32 5.0, whose notification icons take
// the keyboard: the larger icon record, NIM_SETVERSION 3, NIN_KEYSELECT and
// NIM_SETFOCUS.  Both must say so: a system that reports an older Windows
// (as Wine does when told to) gets the first record, whatever its Shell32.
inline bool HasKeyboardTrayIcons(const Platform &p, const ShellVersion &shell)
{
    bool system = p.nt ? p.major >= 5 : (p.major > 4 || (p.major == 4 && p.minor >= 90));
    return system && shell.major >= 5;
}

// The NT family's registry has links (keys that stand for another key),
// opened as links with REG_OPTION_OPEN_LINK; 95, 98 and ME have none.
inline bool HasRegistryLinks(const Platform &p)
{
    return p.nt;
}

// The disk under a volume as the system describes it: one that seeks (a
// rotating disk), one that does not (a solid-state disk), or no answer.
enum class DiskMedia { Unknown, Rotating, SolidState };
