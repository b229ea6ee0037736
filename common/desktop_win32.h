// Desktop rectangle capture and dialog centring, used by every dialog and
// wizard page of both programs.
#pragma once
#include <windows.h>

extern RECT DesktopRect;

void CaptureDesktopRect(void);
void CentreDialog(HWND dialog);
