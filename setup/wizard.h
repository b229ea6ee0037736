// The wizard's page flow: welcome, folder, installation, finished, with the
// exit confirmation.  Portable: pages and message boxes are WizardOps.
#pragma once
#include <stddef.h>

// Page templates; a page's result is what it passes to EndDialog, -1 when
// it could not be created, or PageClosed when it ended without a button of
// its own: the wizard's main window was closed (the taskbar's Close, End
// task), which destroys the page and every box after it.
const int PageWelcome = 12000;
const int PageFolder = 14000;
const int PageFinished = 13000;

const int PageNext = 1;
const int PageExit = -1;
const int PageBack = -2;
const int PageClosed = 0;

enum WizardState {
    WizardWelcome,
    WizardFolder,
    WizardConfirmExit,
    WizardInstalling,
    WizardFinished,
    WizardRestartNotice,
    WizardQuit,
};

struct WizardOps {
    int (*showPage)(int page);
    bool (*confirmExit)(void);                 // true: Yes
    bool (*install)(const char *folder);       // false: stopped at a failed copy
    void (*showRestartMessage)(void);
};

// The folder as typed on the folder page; reset to the proposed one (an
// earlier installation's folder, or C:\Tessaron) each time the page opens.
extern char InstallFolder[512];
extern char ProposedFolder[512];

extern const char ExitQuestionText[];
extern const char RestartText[];

WizardState WizardStep(WizardState state, const WizardOps &ops);
// From the welcome page until the wizard quits.
void RunWizard(const WizardOps &ops);
