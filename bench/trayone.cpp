// The benchmarks' baseline: the least a tray program can do.  It registers
// a class, creates a hidden window, adds one tray icon and waits for
// WM_CLOSE, which removes the icon again.  Built with the same compiler and
// flags as Tessaron.exe, so that the difference between the two is what
// Tessaron does beyond this.
//
// Started with the word "libraries" it first does what Tessaron's start-up
// asks of the system libraries that this baseline does not import: it loads
// OLE32 (CoInitialize).  The benchmark uses that to tell the libraries'
// share of Tessaron's start from Tessaron's own.  The word "ole32" does the
// same; "comctl32" loads the common controls (InitCommonControlsEx), which
// Tessaron loads only when its first dialog opens, and "comdlg32" the
// common dialog library, which it loads only when Browse is first pressed.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <string.h>

static const char ClassName[] = "TrayOneBaseline";
enum { IconId = 1, NotifyMessage = WM_USER + 101 };

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

static void NotifyIcon(HWND window, DWORD operation, HICON icon)
{
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = IconId;
    data.uFlags = operation == NIM_ADD ? NIF_MESSAGE | NIF_ICON | NIF_TIP : 0;
    data.uCallbackMessage = NotifyMessage;
    data.hIcon = icon;
    lstrcpynA(data.szTip, "Baseline", sizeof data.szTip);
    Shell_NotifyIconA(operation, &data);
}

typedef HRESULT(WINAPI *CoInitializeFunction)(LPVOID);
typedef BOOL(WINAPI *InitCommonControlsExFunction)(const INITCOMMONCONTROLSEX *);

static bool Asked(const char *commandLine, const char *word)
{
    return strstr(commandLine, word) != NULL || strstr(commandLine, "libraries") != NULL;
}

// Loaded at run time: the plain baseline must not import them.
static void StartLibraries(const char *commandLine)
{
    HMODULE controls = strstr(commandLine, "comctl32") != NULL ? LoadLibraryA("comctl32.dll") : NULL;
    if (strstr(commandLine, "comdlg32") != NULL)
        LoadLibraryA("comdlg32.dll");
    HMODULE ole = Asked(commandLine, "ole32") ? LoadLibraryA("ole32.dll") : NULL;
    InitCommonControlsExFunction initControls =
        controls ? (InitCommonControlsExFunction)(void *)GetProcAddress(controls, "InitCommonControlsEx") : NULL;
    CoInitializeFunction coInitialize =
        ole ? (CoInitializeFunction)(void *)GetProcAddress(ole, "CoInitialize") : NULL;
    if (initControls) {
        INITCOMMONCONTROLSEX classes = {};
        classes.dwSize = sizeof classes;
        classes.dwICC = ICC_WIN95_CLASSES;
        initControls(&classes);
    }
    if (coInitialize)
        coInitialize(NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    StartLibraries(commandLine);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(0, ClassName, "Baseline", WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                  600, 400, NULL, NULL, instance, NULL);
    if (window == NULL)
        return 1;
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(IconId));
    NotifyIcon(window, NIM_ADD, icon);

    MSG message = {};
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    NotifyIcon(window, NIM_DELETE, icon);
    return (int)message.wParam;
}
