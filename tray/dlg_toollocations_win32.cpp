// The Tool Locations dialog (template 5000), over the Options dialog: the
// full path of each external tool, typed or picked with Browse.
#include "app_win32.h"
#include "dialogs.h"
#include "dialogs_win32.h"
#include "resource.h"
#include "settings.h"
#include "textops.h"

static HWND ToolLocationsToolTips;

static const char TipBrowse[] = "Browse.";

static const DialogTip ToolLocationsTips[] = {
    {IDC_TOOLS_SCANDISK, "Enter Location:  SCANDSKW.EXE"},
    {IDC_TOOLS_EXPLORER, "Enter Location:  EXPLORER.EXE"},
    {IDC_TOOLS_DEFRAG, "Enter Location:  DEFRAG.EXE"},
    {IDC_TOOLS_COMPRESSION, "Enter Location:  CMPAGENT.EXE"},
    {IDC_TOOLS_DRIVESPACE, "Enter Location:  DRVSPACE.EXE"},
    {IDC_TOOLS_BACKUP, "Enter Location:  BACKUP.EXE"},
    {IDC_TOOLS_BROWSE_EXPLORER, TipBrowse},
    {IDC_TOOLS_BROWSE_SCANDISK, TipBrowse},
    {IDC_TOOLS_BROWSE_BACKUP, TipBrowse},
    {IDC_TOOLS_BROWSE_DEFRAG, TipBrowse},
    {IDC_TOOLS_BROWSE_DRIVESPACE, TipBrowse},
    {IDC_TOOLS_BROWSE_COMPRESSION, TipBrowse},
    {IDCANCEL, TipCancel},
    {IDOK, TipOk},
    {IDC_HELPBUTTON, TipHelp},
};

struct ToolLocationField {
    int editId;
    int browseId;
    char *setting;
    const char *chooserTitle;
};

// In the order in which OK reads the fields.
static const ToolLocationField Fields[] = {
    {IDC_TOOLS_EXPLORER, IDC_TOOLS_BROWSE_EXPLORER, Settings.szExplorerLocation,
     "Locate:  Windows Explorer (EXPLORER.EXE)"},
    {IDC_TOOLS_SCANDISK, IDC_TOOLS_BROWSE_SCANDISK, Settings.szScanLocation,
     "Locate:  ScanDisk (SCANDSKW.EXE)"},
    {IDC_TOOLS_DEFRAG, IDC_TOOLS_BROWSE_DEFRAG, Settings.szDefragmentLocation,
     "Locate:  Disk Defragmenter (DEFRAG.EXE)"},
    {IDC_TOOLS_BACKUP, IDC_TOOLS_BROWSE_BACKUP, Settings.szBackupLocation,
     "Locate:  Backup (BACKUP.EXE)"},
    {IDC_TOOLS_DRIVESPACE, IDC_TOOLS_BROWSE_DRIVESPACE, Settings.szDriveSpaceLocation,
     "Locate:  DriveSpace (DRVSPACE.EXE)"},
    {IDC_TOOLS_COMPRESSION, IDC_TOOLS_BROWSE_COMPRESSION, Settings.szCompressionAgentLocation,
     "Locate:  Compression Agent (CMPAGENT.EXE)"},
};

// The locations as the dialog found them: Browse stores a picked path at
// once, and Cancel ("Exit; do not save changes.") takes it back.
static SavedToolLocations LocationsAtOpen;

static void FillToolLocations(HWND dialog)
{
    SetDlgItemTextA(dialog, IDC_TOOLS_SCANDISK, Settings.szScanLocation);
    SetDlgItemTextA(dialog, IDC_TOOLS_DEFRAG, Settings.szDefragmentLocation);
    SetDlgItemTextA(dialog, IDC_TOOLS_BACKUP, Settings.szBackupLocation);
    SetDlgItemTextA(dialog, IDC_TOOLS_EXPLORER, Settings.szExplorerLocation);
    SetDlgItemTextA(dialog, IDC_TOOLS_DRIVESPACE, Settings.szDriveSpaceLocation);
    SetDlgItemTextA(dialog, IDC_TOOLS_COMPRESSION, Settings.szCompressionAgentLocation);
}

// Reads each field whole: the setting holds every character a field can
// have been given, Browse's longest path included.
static void StoreToolLocations(HWND dialog)
{
    for (const ToolLocationField &field : Fields)
        StoreText(dialog, field.editId, LocationSize, field.setting, LocationSize);
}

static void BrowseToolLocation(HWND dialog, const ToolLocationField &field)
{
    if (!ChooseFile(dialog, field.chooserTitle,
                    OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, 1))
        return;
    CopyText(field.setting, LocationSize, ChosenFile);
    SetDlgItemTextA(dialog, field.editId, field.setting);
}

static void BrowseFor(HWND dialog, int browseId)
{
    for (const ToolLocationField &field : Fields)
        if (field.browseId == browseId)
            BrowseToolLocation(dialog, field);
}

static void CancelToolLocations(HWND dialog)
{
    RestoreToolLocations(&LocationsAtOpen);
    EndDialog(dialog, 0);
}

static INT_PTR CALLBACK ToolLocationsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SaveToolLocations(&LocationsAtOpen);
        ToolLocationsToolTips = StartToolTips(dialog);
        FillToolLocations(dialog);
        AddToolTips(ToolLocationsToolTips, dialog, ToolLocationsTips, ARRAYSIZE(ToolLocationsTips));
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(dialog);
        return TRUE;
    case WM_HELP:
        return DialogF1Help(dialog, IDD_TOOLLOCATIONS);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)  // button clicks only
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: StoreToolLocations(dialog); EndDialog(dialog, 0); break;
        case IDCANCEL: CancelToolLocations(dialog); break;
        case IDC_HELPBUTTON: ShowDialogHelp(dialog, IDD_TOOLLOCATIONS); break;
        case IDC_TOOLS_BROWSE_DRIVESPACE:
        case IDC_TOOLS_BROWSE_BACKUP:
        case IDC_TOOLS_BROWSE_DEFRAG:
        case IDC_TOOLS_BROWSE_SCANDISK:
        case IDC_TOOLS_BROWSE_EXPLORER:
        case IDC_TOOLS_BROWSE_COMPRESSION: BrowseFor(dialog, LOWORD(wParam)); break;
        }
        return FALSE;
    }
    return FALSE;
}

void RunToolLocationsDialog(HWND owner)
{
    RunDialog(owner, IDD_TOOLLOCATIONS, ToolLocationsProc);
}
