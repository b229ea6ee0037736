// The system side of the start-up maintenance reminders and of the
// free-space monitor; the rules live in maintenance.cpp.
#include "app_win32.h"

#include "app.h"
#include "maintenance.h"

static_assert(BoxResultYes == IDYES && BoxResultNo == IDNO && BoxResultCancel == IDCANCEL,
              "the reminder rules read the system's box results");

static ReminderAnswer AskReminder(const char *question)
{
    // Owned by the main window, whose handle is known from its creation on.
    return ReminderAnswerFor(MessageBoxA(MainWindow, question, BoxTitle, MB_YESNOCANCEL | MB_ICONQUESTION));
}

static StartOutcome StartToolAndWait(ToolStart *start)
{
    // Only what other programs send is answered while the tool runs: the
    // tools run one after another and start-up goes on after the last one.
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    StartOutcome outcome = StartTool(start, true);
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
    return outcome;
}

static void ShowStartFailure(const char *message)
{
    MessageBoxA(NULL, message, BoxTitle, MB_OK | MB_ICONWARNING);
}

void RunMaintenanceReminders(void)
{
    static const ReminderOps Ops = {TodayDayNumber, AskReminder, CurrentToolSystem, StartToolAndWait,
                                    ShowStartFailure, SaveSettings};
    RunReminderPass(Ops);
}

static uint32_t PresentDrives(void)
{
    return (uint32_t)GetLogicalDrives();
}

static unsigned DriveTypeOf(const char *root)
{
    return GetDriveTypeA(root);
}

typedef BOOL(WINAPI *FreeSpaceExFunction)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                          PULARGE_INTEGER);

static bool DriveFreeBytes(const char *root, uint64_t *bytes)
{
    // The first systems of this generation lack the 64-bit call; it is
    // looked up once and the cluster product serves without it.
    static FreeSpaceExFunction freeSpaceEx;
    static bool looked;
    if (!looked) {
        looked = true;
        freeSpaceEx = (FreeSpaceExFunction)FindSystemFunction("kernel32.dll", "GetDiskFreeSpaceExA");
    }
    // An empty floppy or CD drive must fail quietly, not hold the tick in
    // a system "no disk" box.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    bool answered = false;
    if (freeSpaceEx != NULL) {
        ULARGE_INTEGER available = {}, total = {}, totalFree = {};
        // The space open to this user, as the cluster count below gives it
        // where disk quotas apply.
        if (freeSpaceEx(root, &available, &total, &totalFree)) {
            *bytes = available.QuadPart;
            answered = true;
        }
    } else {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
        if (GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                              &totalClusters)) {
            *bytes = (uint64_t)freeClusters * sectorsPerCluster * bytesPerSector;
            answered = true;
        }
    }
    SetErrorMode(oldMode);
    return answered;
}

static void WarnLowSpace(const char *text)
{
    MessageBoxA(MainWindow, text, BoxTitle, MB_OK | MB_ICONWARNING);
}

void CheckFreeSpace(void)
{
    static const FreeSpaceOps Ops = {PresentDrives, DriveTypeOf, DriveFreeBytes, WarnLowSpace};
    RunFreeSpaceCheck(Ops, WarnedDrives, sizeof WarnedDrives);
}
