// The pattern every dialog of the tray program follows.  Win32 side only.
//
//   static HWND OptionsToolTips;                 // one per dialog kind
//   static const DialogTip OptionsTips[] = {     // in registration order
//       {IDC_OPTIONS_SCANDISK, "Add ScanDisk Icon"}, ...
//       {IDCANCEL, TipCancel}, {IDOK, TipOk}, {IDC_HELPBUTTON, TipHelp},
//   };
//
//   static INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
//   {
//       switch (message) {
//       case WM_INITDIALOG:
//           ...fill the controls from Settings, in the dialog's own order...
//           OptionsToolTips = StartToolTips(dialog);   // SetFocus + tooltip window
//           AddToolTips(OptionsToolTips, dialog, OptionsTips, ARRAYSIZE(OptionsTips));
//           return TRUE;
//       case WM_SHOWWINDOW:
//           CentreDialog(dialog);                      // on every such message
//           return TRUE;
//       case WM_COMMAND:
//           if (HIWORD(wParam) != BN_CLICKED)          // button clicks only
//               return FALSE;
//           switch (LOWORD(wParam)) {
//           case IDOK: StoreOptions(dialog); EndDialog(dialog, 0); break;
//           case IDCANCEL: EndDialog(dialog, 0); break;
//           case IDC_HELPBUTTON: ShowDialogHelp(dialog, IDD_OPTIONS); break;
//           }
//           return FALSE;
//       }
//       return FALSE;
//   }
//
//   RunDialog(owner, IDD_OPTIONS, OptionsProc);
//
// Dialogs store into Settings on OK and never write the settings file: the
// command that opened the outermost dialog does that.
#pragma once
#include <windows.h>
#include <stddef.h>

#include "desktop_win32.h"  // CentreDialog

struct DialogTip {
    int controlId;
    const char *text;
};

// Tooltips that every dialog gives its OK, Cancel and Help buttons.
extern const char TipOk[];
extern const char TipCancel[];
extern const char TipHelp[];

// Modal dialog from template templateId over owner, creation data 0.
void RunDialog(HWND owner, int templateId, DLGPROC procedure);

// Sets the focus on the dialog and creates its tooltip window, which the
// dialog owns and which goes away with it.  Null when it cannot be created;
// the dialog then works without tooltips.
HWND StartToolTips(HWND dialog);

// Registers one tool per table entry, in table order.
void AddToolTips(HWND toolTips, HWND dialog, const DialogTip *tips, size_t count);

// Check boxes that look textless: the box alone, 8x12, with its words as
// its own text (what a screen reader names it by, hidden by its size) and
// shown by a static label just before it in the template, which a click
// does not toggle.  Its own focus rectangle would go round the hidden
// text, so the label's is drawn instead: ShowFocusOnLabels in
// WM_INITDIALOG finds such boxes (a label of the same words just before
// them), and the dialog's WM_PAINT is PaintLabelFocus.
void ShowFocusOnLabels(HWND dialog);
BOOL PaintLabelFocus(HWND dialog);

// Help on the dialog's own context (its template number); it stays open.
void ShowDialogHelp(HWND dialog, int topic);
// F1 (WM_HELP): the dialog's page where help opens as pages; elsewhere
// FALSE, and the key does what it always did.
BOOL DialogF1Help(HWND dialog, int topic);

// Check boxes and radio buttons: ticked exactly when the flag is non-zero
// (or zero, inverted); any non-zero BM_GETCHECK state counts as ticked.
void ShowFlag(HWND dialog, int controlId, int flag, bool inverted = false);
void StoreFlag(HWND dialog, int controlId, int *flag, bool inverted = false);

// Radio group firstId..firstId+count-1: selects the one for value; on
// reading, the index of the selected one (unchanged when none is).
void ShowChoice(HWND dialog, int firstId, int count, int value);
void StoreChoice(HWND dialog, int firstId, int count, int *value);

// Number fields: shown with "%d"; read back from at most limit-1
// characters; a text without digits, or out of range, keeps the old value.
void ShowNumber(HWND dialog, int controlId, int value);
void StoreNumber(HWND dialog, int controlId, int limit, int *value);

// Text fields: read at most limit-1 characters, stored within size.
void StoreText(HWND dialog, int controlId, int limit, char *dest, size_t size);

// The nested dialogs, each in its own dlg_<name>_win32.cpp.
void RunToolLocationsDialog(HWND owner);     // template 5000, over Options
void RunScanDiskSettingsDialog(HWND owner);  // template 103, over Maintenance
void RunDefragSettingsDialog(HWND owner);    // template 104, over Maintenance
