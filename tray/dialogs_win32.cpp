#include "dialogs_win32.h"

#include <commctrl.h>

#include "app_win32.h"
#include "dialogs.h"
#include "textops.h"

const char TipOk[] = "Exit; save changes.";
const char TipCancel[] = "Exit; do not save changes.";
const char TipHelp[] = "Help";

void RunDialog(HWND owner, int templateId, DLGPROC procedure)
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(templateId), owner, procedure, 0);
}

// The tooltip class is registered at start-up, with the common controls.
HWND StartToolTips(HWND dialog)
{
    SetFocus(dialog);
    return CreateWindowExA(0, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, 10, 10, dialog, NULL,
                           AppInstance, NULL);
}

void AddToolTips(HWND toolTips, HWND dialog, const DialogTip *tips, size_t count)
{
    if (!toolTips)
        return;
    for (size_t i = 0; i < count; i++) {
        TOOLINFOA tool = {};
        // The first layout: every common-control version accepts it,
        // whereas the full structure is refused without version 6.
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = (UINT_PTR)GetDlgItem(dialog, tips[i].controlId);
        tool.lpszText = (LPSTR)tips[i].text;
        SendMessageA(toolTips, TTM_ADDTOOLA, 0, (LPARAM)&tool);
    }
}

void ShowDialogHelp(HWND dialog, int topic)
{
    ShowHelpTopic(dialog, NULL, topic);
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
