// The benchmarks' baseline: the least a tray program can do.  It registers
// a class, creates a hidden window, adds one tray icon and waits for
// WM_CLOSE, which removes the icon again.  Built with the same compiler and
// flags as Tessaron.exe, so that the difference between the two is what
// Tessaron does beyond this.
#include <windows.h>
#include <shellapi.h>

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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
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
