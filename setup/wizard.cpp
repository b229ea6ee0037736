#include "wizard.h"

#include "install.h"
#include "textops.h"

char InstallFolder[512] = "";
char ProposedFolder[512] = "C:\\Tessaron";

const char ExitQuestionText[] =
    "The setup of Tessaron is not complete!  Are you sure you want to exit?";
const char RestartText[] =
    "You must close all applications and restart your computer to activate Tessaron.";

WizardState WizardStep(WizardState state, const WizardOps &ops)
{
    switch (state) {
    case WizardWelcome: {
        // A page that cannot be created (-1) counts as Exit; a closed one
        // ends setup before anything is installed.
        int result = ops.showPage(PageWelcome);
        if (result == PageExit)
            return WizardConfirmExit;
        return result == PageNext ? WizardFolder : WizardQuit;
    }
    case WizardFolder: {
        // Whatever was typed before Back or a declined Exit is discarded.
        CopyText(InstallFolder, sizeof InstallFolder, ProposedFolder);
        int result = ops.showPage(PageFolder);
        if (result == PageBack)
            return WizardWelcome;
        if (result == PageExit)
            return WizardConfirmExit;
        // Only the page's own Next installs.
        return result == PageNext ? WizardInstalling : WizardQuit;
    }
    case WizardConfirmExit:
        return ops.confirmExit() ? WizardQuit : WizardWelcome;
    case WizardInstalling:
        return ops.install(InstallFolder) ? WizardFinished : WizardQuit;
    case WizardFinished:
        ops.showPage(PageFinished);  // any result, even -1, leads on
        return WizardRestartNotice;
    case WizardRestartNotice:
        ops.showRestartMessage();
        return WizardQuit;
    case WizardQuit:
        break;
    }
    return WizardQuit;
}

void RunWizard(const WizardOps &ops)
{
    WizardState state = WizardWelcome;
    while (state != WizardQuit)
        state = WizardStep(state, ops);
}
