// The tray program's hidden main window exactly as it is created: its class,
// its styles and its size, read from outside the running Tessaron.exe.
#include "driver.h"

#include "commands.h"

SCENARIO(audit_tray_main_window_as_created)
{
    Program tessaron = StartTessaron();
    HWND main = tessaron.window;

    char className[64] = "";
    GetClassNameA(main, className, sizeof className);
    CHECK_TEXT(std::string(className), "Win32Generic");
    char title[64] = "";
    GetWindowTextA(main, title, sizeof title);
    CHECK_TEXT(std::string(title), "Tessaron");
    CHECK(!IsWindowVisible(main));

    // The class: byte-aligned client area and no extra bytes.
    CHECK_EQ((DWORD)GetClassLongA(main, GCL_STYLE), (DWORD)CS_BYTEALIGNCLIENT);
    CHECK_EQ((DWORD)GetClassLongA(main, GCL_CBWNDEXTRA), 0ul);
    CHECK_EQ((DWORD)GetClassLongA(main, GCL_CBCLSEXTRA), 0ul);

    // WS_SYSMENU only; the system adds the caption and sibling clipping to
    // every top-level window, nothing else.
    DWORD style = (DWORD)GetWindowLongA(main, GWL_STYLE);
    CHECK_EQ(style & ~(DWORD)(WS_CAPTION | WS_CLIPSIBLINGS), (DWORD)WS_SYSMENU);
    DWORD exStyle = (DWORD)GetWindowLongA(main, GWL_EXSTYLE);
    CHECK_EQ(exStyle & (DWORD)(WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE),
             (DWORD)(WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE));
    CHECK_EQ(exStyle & (DWORD)(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW), 0ul);

    RECT frame = {};
    CHECK(GetWindowRect(main, &frame));
    CHECK_EQ(frame.right - frame.left, 600L);
    CHECK_EQ(frame.bottom - frame.top, 400L);

    ExitTessaron(tessaron);
}
