#include "desktop_win32.h"

#include "centre.h"

RECT DesktopRect = {0, 0, 0, 0};

void CaptureDesktopRect(void)
{
    GetWindowRect(GetDesktopWindow(), &DesktopRect);
}

void CentreDialog(HWND dialog)
{
    RECT client = {};
    GetClientRect(dialog, &client);
    DeskRect desk = {DesktopRect.left, DesktopRect.top, DesktopRect.right, DesktopRect.bottom};
    int x = 0, y = 0;
    CentredPosition(desk, client.right - client.left, client.bottom - client.top, &x, &y);
    SetWindowPos(dialog, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
