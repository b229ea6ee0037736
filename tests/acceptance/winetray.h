// A test-side stand-in for the taskbar: how Wine's shell32 hands a tray icon
// call to the window of class "Shell_TrayWnd" (WM_COPYDATA, dwData = the NIM_
// code), and how the stand-in passes it on to Wine's real tray so that the
// icon shows and its mouse messages still reach the program.  This is Wine's
// internal format, pinned to the Wine the tests run on; shared by the
// acceptance driver and the benchmark probe.
#pragma once
#include <windows.h>

struct WineNotifyData {
    LONG window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    WCHAR tip[128];
    DWORD state;
    DWORD stateMask;
    WCHAR info[256];
    UINT version;  // NIM_SETVERSION's (a union with the balloon's timeout)
};

// The first "Shell_TrayWnd" that is not ours: Wine's own tray.
inline HWND RealTray(HWND ours)
{
    HWND tray = nullptr;
    while ((tray = FindWindowExA(nullptr, tray, "Shell_TrayWnd", nullptr)) != nullptr)
        if (tray != ours)
            return tray;
    return nullptr;
}

// Hands the call on to Wine's tray and returns its answer (TRUE without one).
inline LRESULT ForwardToRealTray(HWND ours, WPARAM wParam, const COPYDATASTRUCT *data)
{
    HWND real = RealTray(ours);
    DWORD_PTR result = TRUE;
    if (real)
        SendMessageTimeoutA(real, WM_COPYDATA, wParam, (LPARAM)data, SMTO_ABORTIFHUNG, 5000, &result);
    return (LRESULT)result;
}
