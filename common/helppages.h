// The help as HTML pages, one per topic, made from the same source as
// TESSARON.HLP.  Setup installs them in the folder "help" beside the tray
// program on the NT family, and the tray program opens them in the user's
// browser where no WinHelp viewer works (Vista and later).  Portable.
#pragma once
#include <stddef.h>

#include "platform.h"

extern const char HelpPagesFolder[];  // "help"
// Every page, as the help build names them; the contents page first.
enum { HelpPageCount = 13 };
extern const char *const HelpPages[HelpPageCount];

// The page of a help context number (the dialogs' template numbers, 9000
// for the contents); the contents page for a number no topic has.
const char *HelpPageForContext(int context);

// WinHelp works up to XP; from Vista on the system has only a stub that
// says the format is no longer supported (or, from 10 on, nothing), so
// the pages serve instead.  Decided by the version: under Wine a real
// viewer answers whatever version it reports.
inline bool HelpOpensPages(const Platform &p)
{
    return IsVistaOrLater(p);
}
