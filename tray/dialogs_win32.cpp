#include "dialogs_win32.h"
#include "helppages.h"

#include <commctrl.h>
#include <stddef.h>
#include <string.h>

#include "app_win32.h"
#include "dialogs.h"
#include "textops.h"

const char TipOk[] = "Exit; save changes.";
const char TipCancel[] = "Exit; do not save changes.";
const char TipHelp[] = "Help";

typedef BOOL(WINAPI *InitControlsExFunction)(const INITCOMMONCONTROLSEX *);
typedef void(WINAPI *InitControlsFunction)(void);

// The common controls library (the dialogs' tooltips) is loaded when the
// first dialog opens, not at start-up: the program runs all day and most
// days opens no dialog.  The extended call is missing from the first
// versions of the library; the plain one registers the same classes there.
static void LoadCommonControls(void)
{
    static bool loaded;
    if (loaded)
        return;
    InitControlsExFunction initEx =
        (InitControlsExFunction)FindSystemFunction("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    if (initEx != NULL && initEx(&controls)) {
        loaded = true;
        return;
    }
    InitControlsFunction init = (InitControlsFunction)FindSystemFunction("comctl32.dll", "InitCommonControls");
    if (init != NULL)
        init();
    loaded = init != NULL;  // without the library the dialogs work without tooltips
}

void RunDialog(HWND owner, int templateId, DLGPROC procedure)
{
    LoadCommonControls();
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(templateId), owner, procedure, 0);
}

// The tooltip class is registered when the first dialog opens.
HWND StartToolTips(HWND dialog)
{
    SetFocus(dialog);
    return CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, 10, 10, dialog, NULL,
                           AppInstance, NULL);
}

// The first layout of the tool data, up to the text: every version of the
// common controls accepts it, whereas the full structure is refused
// without version 6.
static const UINT ToolInfoSize = offsetof(TOOLINFOA, lpszText) + sizeof(LPSTR);
static_assert(sizeof(void *) != 4 || ToolInfoSize == 40, "the Windows 95 TOOLINFOA");

void AddToolTips(HWND toolTips, HWND dialog, const DialogTip *tips, size_t count)
{
    if (!toolTips)
        return;
    for (size_t i = 0; i < count; i++) {
        TOOLINFOA tool = {};
        tool.cbSize = ToolInfoSize;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = (UINT_PTR)GetDlgItem(dialog, tips[i].controlId);
        tool.lpszText = (LPSTR)tips[i].text;
        SendMessageA(toolTips, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    }
}

// ---- Focus on the labels of textless check boxes -------------------------

// WM_QUERYUISTATE and its flag, from Windows 2000 on; earlier systems
// answer 0 and always show the focus.
enum { QueryUiState = 0x0129, HideFocus = 0x1 };

static bool SameText(HWND a, HWND b)
{
    char textA[128] = "", textB[128] = "";
    SendMessageA(a, WM_GETTEXT, sizeof textA, (LPARAM)textA);
    SendMessageA(b, WM_GETTEXT, sizeof textB, (LPARAM)textB);
    return textA[0] != '\0' && strncmp(textA, textB, sizeof textA) == 0;
}

// A check box with its own label just before it: the same words.
static bool IsLabelledBox(HWND box)
{
    HWND label = GetWindow(box, GW_HWNDPREV);
    return label != NULL && (SendMessageA(box, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0 &&
           (GetWindowLongA(box, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX &&
           (SendMessageA(label, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) != 0 && SameText(box, label);
}

// Round the label, one pixel clear of it, in the dialog's client area.
static RECT LabelRing(HWND box)
{
    RECT ring = {};
    HWND label = GetWindow(box, GW_HWNDPREV);
    GetWindowRect(label, &ring);
    MapWindowPoints(NULL, GetParent(box), (POINT *)&ring, 2);
    InflateRect(&ring, 2, 1);
    return ring;
}

static void RedrawLabelRing(HWND box)
{
    RECT ring = LabelRing(box);
    // The label within the ring is painted again too.
    RedrawWindow(GetParent(box), &ring, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

static LRESULT CALLBACK LabelledBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = (WNDPROC)GetWindowLongPtrA(box, GWLP_USERDATA);
    LRESULT result = CallWindowProcA(original, box, message, wParam, lParam);
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS)
        RedrawLabelRing(box);
    return result;
}

void ShowFocusOnLabels(HWND dialog)
{
    for (HWND box = GetWindow(dialog, GW_CHILD); box != NULL; box = GetWindow(box, GW_HWNDNEXT)) {
        if (!IsLabelledBox(box))
            continue;
        SetWindowLongPtrA(box, GWLP_USERDATA, GetWindowLongPtrA(box, GWLP_WNDPROC));
        SetWindowLongPtrA(box, GWLP_WNDPROC, (LONG_PTR)LabelledBoxProc);
    }
}

BOOL PaintLabelFocus(HWND dialog)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    HWND focus = GetFocus();
    // Shown when the dialog shows focus at all: from Windows 2000 on, not
    // before the keyboard is used.
    if (focus != NULL && GetParent(focus) == dialog && IsLabelledBox(focus) &&
        (SendMessageA(dialog, QueryUiState, 0, 0) & HideFocus) == 0) {
        RECT ring = LabelRing(focus);
        DrawFocusRect(dc, &ring);
    }
    EndPaint(dialog, &paint);
    return TRUE;
}

void ShowDialogHelp(HWND dialog, int topic)
{
    ShowHelpTopic(dialog, NULL, topic);
}

BOOL DialogF1Help(HWND dialog, int topic)
{
    if (!HelpOpensPages(CurrentPlatform()))
        return FALSE;
    ShowHelpTopic(dialog, NULL, topic);
    return TRUE;
}

void ShowFlag(HWND dialog, int controlId, int flag, bool inverted)
{
    CheckDlgButton(dialog, controlId, CheckForFlag(flag, inverted) ? BST_CHECKED : BST_UNCHECKED);
}

void StoreFlag(HWND dialog, int controlId, int *flag, bool inverted)
{
    LRESULT state = SendDlgItemMessageA(dialog, controlId, BM_GETCHECK, 0, 0);
    *flag = FlagForCheck(state != 0, inverted);
}

void ShowChoice(HWND dialog, int firstId, int count, int value)
{
    if (value >= 0 && value < count)
        CheckRadioButton(dialog, firstId, firstId + count - 1, firstId + value);
}

void StoreChoice(HWND dialog, int firstId, int count, int *value)
{
    for (int i = 0; i < count; i++) {
        if (IsDlgButtonChecked(dialog, firstId + i) == BST_CHECKED) {
            *value = i;
            return;
        }
    }
}

void ShowNumber(HWND dialog, int controlId, int value)
{
    char text[16];
    FormatText(text, sizeof text, "%d", value);
    SetDlgItemTextA(dialog, controlId, text);
}

void StoreNumber(HWND dialog, int controlId, int limit, int *value)
{
    char text[4096] = "";
    if (limit > (int)sizeof text)
        limit = sizeof text;
    GetDlgItemTextA(dialog, controlId, text, limit);
    ReadDecimal(text, value);  // no digits, or out of range: the old value stays
}

void StoreText(HWND dialog, int controlId, int limit, char *dest, size_t size)
{
    char text[4096] = "";
    if (limit > (int)sizeof text)
        limit = sizeof text;
    GetDlgItemTextA(dialog, controlId, text, limit);
    CopyText(dest, size, text);
}
