#include <windows.h>
#include <shlobj.h>

#include "install.h"
#include "startup_win32.h"

// The shell link object and its two interfaces, by their published values
// (defined here so that the program does not carry the system's whole GUID
// library).
static const CLSID ShellLinkClass = {0x00021401, 0x0000, 0x0000,
                                     {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID ShellLinkInterface = {0x000214EE, 0x0000, 0x0000,
                                       {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const IID PersistFileInterface = {0x0000010B, 0x0000, 0x0000,
                                         {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

static const char ShortcutCaption[] = "Tessaron";
static const char SetPathFailedText[] = "The SetPath() function failed.";
static const char SetDescriptionFailedText[] = "The SetDescription() function failed!";

void CreateStartupShortcut(HWND owner, const char *target, const char *file,
                           const char *description)
{
    IShellLinkA *link = NULL;
    if (FAILED(CoCreateInstance(ShellLinkClass, NULL, CLSCTX_INPROC_SERVER, ShellLinkInterface,
                                (void **)&link)))
        return;
    IPersistFile *persist = NULL;
    if (FAILED(link->QueryInterface(PersistFileInterface, (void **)&persist))) {
        link->Release();
        return;
    }
    if (FAILED(link->SetPath(target)))
        MessageBoxA(owner, SetPathFailedText, ShortcutCaption, MB_OK | MB_ICONWARNING);
    if (FAILED(link->SetDescription(description)))
        MessageBoxA(owner, SetDescriptionFailedText, ShortcutCaption, MB_OK | MB_ICONWARNING);
    // The whole path, however long: a cut one would save the shortcut elsewhere.
    WCHAR wide[SetupPathSize] = {};
    if (MultiByteToWideChar(CP_ACP, 0, file, -1, wide, (int)SetupPathSize) > 0)
        persist->Save(wide, FALSE);
    persist->Release();
    link->Release();
}
