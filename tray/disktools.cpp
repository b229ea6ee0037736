#include "disktools.h"

#include <string.h>

#include "textops.h"

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

static bool SameText(const char *a, const char *b, size_t length)
{
    for (size_t i = 0; i < length; i++)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

DiskTool DiskToolNamed(const char *location)
{
    static const struct {
        const char *name;
        DiskTool tool;
    } Names[] = {
        {"chkdsk.exe", DiskTool::Chkdsk},
        {"defrag.exe", DiskTool::Defrag},
        {"dfrgui.exe", DiskTool::DefragWindow},
    };
    const char *name = location;
    for (const char *p = location; *p != '\0'; p++)
        if (*p == '\\' || *p == '/')
            name = p + 1;
    for (const auto &known : Names)
        if (strlen(name) == strlen(known.name) && SameText(name, known.name, strlen(name)))
            return known.tool;
    return DiskTool::Other;
}

// 8 to 11, which report 6.2 to a program without a manifest.
static bool EightOrLater(const Platform &p)
{
    return IsNtVersionAtLeast(p, 6, 2);
}

DefragGeneration DefragGenerationOf(const Platform &p)
{
    if (EightOrLater(p))
        return DefragGeneration::EightToEleven;
    if (IsNtVersionAtLeast(p, 6, 1))
        return DefragGeneration::Seven;
    if (IsVistaOrLater(p))
        return DefragGeneration::Vista;
    return HasDefragTool(p) ? DefragGeneration::Xp : DefragGeneration::None;
}

int RunVolumes(int all, const char *driveList, uint32_t driveMask, DriveTypeQuery driveType,
               Volume volumes[VolumeCount])
{
    bool taken[VolumeCount] = {};
    int count = 0;
    auto take = [&](int index) {
        if (!taken[index]) {
            taken[index] = true;
            FormatText(volumes[count++], sizeof(Volume), "%c:", 'A' + index);
        }
    };
    if (all == 1) {
        for (int i = 0; i < VolumeCount; i++) {
            char root[DriveRootSize];
            DriveRoot((char)('A' + i), root);
            if ((driveMask & (1u << i)) != 0 && driveType(root) == DriveTypeFixed)
                take(i);
        }
        return count;
    }
    // Words are separated by blanks and commas, as the dialogs show them.
    for (const char *p = driveList; *p != '\0';) {
        while (*p == ' ' || *p == ',')
            p++;
        const char *word = p;
        while (*p != '\0' && *p != ' ' && *p != ',')
            p++;
        char letter = (char)(Lower(word[0]) - 'a' + 'A');
        if (p - word == 2 && letter >= 'A' && letter <= 'Z' && word[1] == ':')
            take(letter - 'A');
    }
    return count;
}

// ---- Switches --------------------------------------------------------------

// The settings of the Defragmenter dialog on each system's defrag.exe.
// XP and Vista take one volume per run; 7 and later take a list.  Where a
// system has no switch for a setting, or none that its documentation
// confirms, the tool's own default stands.
struct DefragSwitches {
    DefragGeneration generation;
    bool oneVolumePerRun;
    // By iDefragmentMode (Full Defragment, Files Only, Free Space Only, any
    // other value), for a disk that seeks and for one that does not; null
    // leaves the volume out.
    const char *rotating[4];
    const char *solidState[4];
    DiskMedia unknownAs;     // a disk the system cannot describe
    const char *display[3];  // Concise, Detailed, Unattended
};

static const DefragSwitches DefragTable[] = {
    {DefragGeneration::Xp, true, {"", "", "", ""}, {"", "", "", ""}, DiskMedia::Rotating, {"", "", ""}},
    {DefragGeneration::Vista, true, {"", "", "", ""}, {"", "", "", ""}, DiskMedia::Rotating, {"", "", ""}},
    // 7 has no switch that spares a solid-state disk, and leaves such disks
    // out of its own schedule: so do we.
    {DefragGeneration::Seven, false, {"", "", " /x", ""}, {nullptr, nullptr, nullptr, nullptr},
     DiskMedia::Rotating, {"", " /v", ""}},
    // Without a task defrag defragments every disk; /o does what suits the
    // media (a retrim on a solid-state disk).  Free-space consolidation
    // only helps a disk that seeks.
    {DefragGeneration::EightToEleven, false, {" /o", " /o", " /x", " /o"}, {" /o", " /o", " /o", " /o"},
     DiskMedia::SolidState, {" /u", " /u /v", ""}},
};

static const char *Choice(const char *const choices[3], int value)
{
    return value >= 0 && value <= 2 ? choices[value] : "";
}

static bool SameSwitch(const char *a, const char *b)
{
    return a == nullptr || b == nullptr ? a == b : strcmp(a, b) == 0;
}

// The task switch of one volume; null when it is left out.  The disk is
// asked about only where its media makes a difference.
static const char *DefragTask(const DefragSwitches &row, int mode, const char *root, const ToolSystem &system)
{
    int index = mode >= 0 && mode <= 2 ? mode : 3;
    const char *rotating = row.rotating[index], *solidState = row.solidState[index];
    if (SameSwitch(rotating, solidState))
        return rotating;
    DiskMedia media = system.media(root);
    return (media == DiskMedia::Unknown ? row.unknownAs : media) == DiskMedia::SolidState ? solidState : rotating;
}

// chkdsk only reads unless told to mend what it finds.  From 8 on an NTFS
// volume is scanned and mended online, which needs no lock and asks
// nothing; /f may ask to check at the next start or to force a dismount.
static const char *ScanTask(const SettingsRecord &s, const char *root, const ToolSystem &system)
{
    if (s.iIgnore == 1)
        return "";
    return EightOrLater(system.platform) && system.ntfs(root) ? " /scan" : " /f";
}

// ---- Command lines ---------------------------------------------------------

// The console reads these itself: a path holding one is not given to it.
static bool ConsoleCannotCarry(const char *path)
{
    for (const char *p = path; *p != '\0'; p++)
        if (*p == '"' || *p == '%' || *p == '!' || (unsigned char)*p < ' ')
            return true;
    return false;
}

// Quoted only when it holds a blank or a character the console acts on.
static bool AppendProgram(char *dest, size_t size, const char *path)
{
    bool quote = strpbrk(path, " \t&|<>^(),;=") != nullptr;
    return AppendText(dest, size, quote ? "\"" : "") && AppendText(dest, size, path) &&
           AppendText(dest, size, quote ? "\"" : "");
}

static bool InSystemFolder(const char *path, const char *systemDir)
{
    size_t length = strlen(systemDir);
    return length > 0 && strlen(path) > length && SameText(path, systemDir, length) && path[length] == '\\';
}

// Under WOW64 this process sees the 32-bit folder where it names System32:
// a file of the system folder that it cannot see is only in the 64-bit one.
static bool OnlyIn64BitFolder(const char *file, const ToolSystem &system)
{
    return system.platform.wow64 && InSystemFolder(file, system.systemDir) && !system.fileExists(file) &&
           system.nativeFileExists(file);
}

static bool Reachable(const char *file, const ToolSystem &system)
{
    return system.fileExists(file) || system.nativeFileExists(file);
}

// One command of the console: prefix, program, tail.  A program that only
// the 64-bit system folder holds is named twice, through Sysnative for a
// 32-bit console and as it stands for a 64-bit one, and whichever exists
// runs: the console of a start through the consent prompt is the 64-bit
// one on Windows, as the redirection does not apply to it, but Wine starts
// the 32-bit one.
static bool AppendCommand(char *dest, size_t size, const char *prefix, const char *program, const char *tail,
                          const ToolSystem &system)
{
    const char *slash = strrchr(system.systemDir, '\\');
    char native[ToolFileSize];
    if (!OnlyIn64BitFolder(program, system) || slash == nullptr ||
        !FormatText(native, sizeof native, "%.*sSysnative%s", (int)(slash - system.systemDir + 1),
                    system.systemDir, program + strlen(system.systemDir)))
        return AppendText(dest, size, prefix) && AppendProgram(dest, size, program) && AppendText(dest, size, tail);
    return AppendText(dest, size, "(for %t in (") && AppendProgram(dest, size, native) &&
           AppendText(dest, size, " ") && AppendProgram(dest, size, program) &&
           AppendText(dest, size, ") do @if exist %t ") && AppendText(dest, size, prefix) &&
           AppendText(dest, size, "%t") && AppendText(dest, size, tail) && AppendText(dest, size, ")");
}

// Commands of the console are joined by "&".
static bool Join(char *runs, size_t size)
{
    return runs[0] == '\0' || AppendText(runs, size, "&");
}

// The runs of chkdsk or defrag for the settings, joined by "&".  Volumes
// that take the same switches share a run where the tool takes a list, in
// the order of the first of them.
static bool PlanRuns(const SettingsRecord &s, DiskTool tool, const char *program, StartPurpose purpose,
                     const ToolSystem &system, char *runs, size_t size)
{
    bool scan = tool == DiskTool::Chkdsk;
    Volume volumes[VolumeCount];
    int count = RunVolumes(scan ? s.iScanDiskDrivesSetting : s.iDefragDiskDrivesSetting,
                           scan ? s.szDrivesToScan : s.szDrivesToDefrag, system.driveMask, system.driveType,
                           volumes);
    if (count == 0)
        return false;

    // A known defrag runs from XP on, each system in its row.
    const DefragSwitches *row = &DefragTable[0];
    for (const DefragSwitches &candidate : DefragTable)
        if (candidate.generation == DefragGenerationOf(system.platform))
            row = &candidate;
    const char *display = scan ? "" : Choice(row->display, s.iDefragmentDisplayMode);
    bool oneVolumePerRun = scan || row->oneVolumePerRun;
    const char *tasks[VolumeCount];
    for (int i = 0; i < count; i++) {
        char root[DriveRootSize];
        DriveRoot(volumes[i][0], root);
        tasks[i] = scan ? ScanTask(s, root, system) : DefragTask(*row, s.iDefragmentMode, root, system);
    }

    runs[0] = '\0';
    bool whole = true, mends = false, ran = false;
    // The console says first which volumes it leaves out.
    for (int i = 0; i < count; i++) {
        char line[64];
        if (tasks[i] == nullptr)
            whole = Join(runs, size) &&
                    FormatText(line, sizeof line, "echo %s is a solid-state disk: it is not defragmented.",
                               volumes[i]) &&
                    AppendText(runs, size, line) && whole;
    }
    bool taken[VolumeCount] = {};
    for (int i = 0; i < count; i++) {
        if (tasks[i] == nullptr || taken[i])
            continue;
        char list[VolumeCount * 3 + 1] = "", tail[VolumeCount * 3 + 32];
        for (int j = i; j < count && (j == i || !oneVolumePerRun); j++) {
            if (tasks[j] != nullptr && !taken[j] && strcmp(tasks[j], tasks[i]) == 0) {
                taken[j] = true;
                whole = AppendText(list, sizeof list, " ") && AppendText(list, sizeof list, volumes[j]) && whole;
            }
        }
        mends = mends || strcmp(tasks[i], " /f") == 0;
        ran = true;
        whole = Join(runs, size) && FormatText(tail, sizeof tail, "%s%s%s", list, tasks[i], display) &&
                AppendCommand(runs, size, "", program, tail, system) && whole;
    }
    // Where nothing ran, the console has only its words to show.
    bool pause = purpose == StartPurpose::Icon || !ran ||
                 (scan ? s.iStartStopSetting != 1 || mends : s.iDefragmentDisplayMode != 2);
    if (pause)
        whole = Join(runs, size) && AppendText(runs, size, "pause") && whole;
    return whole;
}

// The console of the system folder with these commands.
static bool PlanConsole(const char *commands, const ToolSystem &system, ToolStart *start)
{
    DefaultToolPath(start->file, sizeof start->file, system.systemDir, "cmd.exe");
    if (start->file[0] == '\0')
        CopyText(start->file, sizeof start->file, "cmd.exe");
    // /d: no AutoRun command of the registry, which any program of the
    // user could set, runs with the rights the prompt gave.  /s: the
    // first and the last quote go, whatever lies between.
    return FormatText(start->parameters, sizeof start->parameters, "/d /s /c \"%s\"", commands) &&
           AppendProgram(start->commandLine, sizeof start->commandLine, start->file) &&
           AppendText(start->commandLine, sizeof start->commandLine, " ") &&
           AppendText(start->commandLine, sizeof start->commandLine, start->parameters);
}

bool PlanNtToolStart(const SettingsRecord &s, ToolKind tool, StartPurpose purpose,
                     const ToolSystem &system, ToolStart *start)
{
    memset(start, 0, sizeof *start);
    const char *program = ToolProgram(s, tool);
    DiskTool disk = DiskToolNamed(program);
    bool vista = IsVistaOrLater(system.platform);
    // A path the console cannot carry starts as it stands, like any other.
    bool carried = !ConsoleCannotCarry(program);
    bool known = carried && ((tool == ToolKind::ScanDisk && disk == DiskTool::Chkdsk) ||
                             (tool == ToolKind::Defragmenter && disk == DiskTool::Defrag &&
                              DefragGenerationOf(system.platform) != DefragGeneration::None));
    bool window = vista && tool == ToolKind::Defragmenter && disk == DiskTool::DefragWindow;

    bool whole;
    char commands[ToolLineSize];
    if (known) {
        // A tool that is not there could not be started, though its
        // console could: it would only say so in its window.  defrag and
        // chkdsk start without the rights they need and likewise only say
        // so: from Vista on they go through the prompt from the outset.
        whole = Reachable(program, system) &&
                PlanRuns(s, disk, program, purpose, system, commands, sizeof commands) &&
                PlanConsole(commands, system, start);
        start->elevate = vista;
        // A direct start reaches the 64-bit console, which finds the tool.
        start->redirectionOff = !vista && OnlyIn64BitFolder(program, system);
    } else if (window && carried && OnlyIn64BitFolder(program, system)) {
        // The shell could not find it: a console starts it and waits.
        commands[0] = '\0';
        whole = AppendCommand(commands, sizeof commands, "start \"\" /wait ", program, "", system) &&
                PlanConsole(commands, system, start);
        start->elevate = true;
    } else {
        // Started as it stands; through the prompt if it is refused for want
        // of rights (or from the outset, the defragmenter's window).
        whole = CopyText(start->commandLine, sizeof start->commandLine, program);
        SplitCommandLine(program, system.fileExists, start->file, sizeof start->file, start->parameters,
                         sizeof start->parameters);
        start->elevate = window;
        start->elevateIfRefused = vista && !window;
        start->redirectionOff = !window && OnlyIn64BitFolder(start->file, system);
    }
    if (!whole)
        memset(start, 0, sizeof *start);
    return whole;
}

bool PlanIconStart(const SettingsRecord &s, ToolKind tool, const ToolSystem *system, ToolStart *start)
{
    if (system != nullptr)
        return PlanNtToolStart(s, tool, StartPurpose::Icon, *system, start);
    memset(start, 0, sizeof *start);
    start->winExec = true;
    return BuildToolCommand(s, tool, start->commandLine, sizeof start->commandLine);
}

void SplitCommandLine(const char *line, bool (*fileExists)(const char *path), char *file,
                      size_t fileSize, char *parameters, size_t parametersSize)
{
    size_t end = strlen(line);  // where the program ends
    size_t rest = end;          // where its parameters begin
    if (line[0] == '"') {
        const char *close = strchr(line + 1, '"');
        end = close != nullptr ? (size_t)(close - line) + 1 : end;
        rest = end;
    } else {
        for (size_t i = 0; line[i] != '\0'; i++) {
            if (line[i] != ' ')
                continue;
            char candidate[ToolFileSize];
            char withExe[ToolFileSize + 4];
            if (i >= sizeof candidate)
                break;
            memcpy(candidate, line, i);
            candidate[i] = '\0';
            FormatText(withExe, sizeof withExe, "%s.exe", candidate);
            if (fileExists(candidate) || fileExists(withExe)) {
                end = rest = i;
                break;
            }
        }
        // None seen (a file this process cannot see): the first word.
        if (end == strlen(line) && strchr(line, ' ') != nullptr)
            end = rest = (size_t)(strchr(line, ' ') - line);
    }
    while (line[rest] == ' ')
        rest++;
    // A quoted program is handed over without its quotes.
    bool quoted = line[0] == '"' && end >= 2 && line[end - 1] == '"';
    size_t from = quoted ? 1 : 0, length = quoted ? end - 2 : end;
    if (fileSize > 0) {
        size_t n = length < fileSize - 1 ? length : fileSize - 1;
        memcpy(file, line + from, n);
        file[n] = '\0';
    }
    CopyText(parameters, parametersSize, line + rest);
}

bool NotStartedMessage(const SettingsRecord &s, ToolKind tool, const char *message, const ToolSystem *system,
                       StartOutcome outcome, char *out, size_t size)
{
    char named[ToolFileSize];
    FormatText(named, sizeof named, "(%s)", ToolInfoFor(tool).fallbackName);
    const char *at = strstr(message, named);
    bool renamed = outcome == StartOutcome::Declined || tool == ToolKind::ScanDisk || tool == ToolKind::Defragmenter;
    if (system == nullptr || at == nullptr || !renamed)
        return CopyText(out, size, message);

    // The file of the program the location starts: a known tool's location
    // is its program; any other is taken apart as the system would.
    const char *program = ToolProgram(s, tool);
    char file[ToolFileSize], parameters[ToolLineSize];
    if (DiskToolNamed(program) != DiskTool::Other)
        CopyText(file, sizeof file, program);
    else
        SplitCommandLine(program, system->fileExists, file, sizeof file, parameters, sizeof parameters);
    const char *name = file;
    for (const char *p = file; *p != '\0'; p++)
        if (*p == '\\' || *p == '/')
            name = p + 1;

    int lead = (int)(at - message);
    if (outcome == StartOutcome::Declined)
        return FormatText(out, size, "%.*s(%s) was not started, because administrator rights were not given.", lead,
                          message, name);
    return FormatText(out, size, "%.*s(%s)%s", lead, message, name, at + strlen(named));
}
