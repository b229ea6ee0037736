#include <stdlib.h>

#include "desktop_win32.h"
#include "pathrules_win32.h"
#include "platform_win32.h"
#include "setup_win32.h"
#include "wizard.h"

HINSTANCE SetupInstance = NULL;
HWND SetupWindow = NULL;

static const char SetupClassName[] = "Setup";
static const char SetupTitle[] = "Setup";
static const char WizardCaption[] = "Setup Wizard";

// Set once the main window is destroyed: no page or box can show any more.
static bool SetupWindowGone = false;

static LRESULT CALLBACK SetupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        SetupWindowGone = true;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static int ShowPage(int page)
{
    DLGPROC procedure = FinishedPageProc;
    if (page == PageWelcome)
        procedure = WelcomePageProc;
    else if (page == PageFolder)
        procedure = FolderPageProc;
    if (SetupWindowGone)
        return PageClosed;
    CaptureDesktopRect();
    int result = (int)DialogBoxParamA(SetupInstance, MAKEINTRESOURCEA(page), SetupWindow, procedure, 0);
    // The main window closed while the page was up destroyed the page,
    // whatever the dialog manager then returns.
    return SetupWindowGone ? PageClosed : result;
}

// Only Yes leaves; a box destroyed with the main window (result 0) goes
// back to the welcome page, which then finds the window gone.
static bool ConfirmExit(void)
{
    return MessageBoxA(SetupWindow, ExitQuestionText, WizardCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

static bool Install(const char *folder)
{
    return RunInstallSequence(SetupInstallOps, folder);
}

static void ShowRestartMessage(void)
{
    MessageBoxA(SetupWindow, RestartText, WizardCaption, MB_OK | MB_ICONINFORMATION);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int)
{
    SetupInstance = instance;
    if (previous == NULL) {
        WNDCLASSA windowClass = {};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = SetupWindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
        windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        windowClass.lpszClassName = SetupClassName;
        if (!RegisterClassA(&windowClass))
            exit(0);
    }
    SetupWindow = CreateWindowExA(0, SetupClassName, SetupTitle, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 525, 214, NULL, NULL, instance, NULL);
    ShowWindow(SetupWindow, SW_SHOWMINIMIZED);
    CoInitialize(NULL);
    UseSystemLeadBytes();
    ProposeInstallFolder(SetupInstallOps, ProposedFolder, sizeof ProposedFolder);

    static const WizardOps ops = {ShowPage, ConfirmExit, Install, ShowRestartMessage};
    RunWizard(ops);

    PostQuitMessage(0);
    MSG message = {};
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    CoUninitialize();
    return (int)message.wParam;
}
