#include "helppages.h"

const char HelpPagesFolder[] = "help";

// tests/dist/help_pages.cmake checks this list against the pages built.
const char *const HelpPages[HelpPageCount] = {
    "index.html",    "icons.html",    "traymenu.html",    "openpath.html",      "quickaccess.html",
    "options.html",  "toollocations.html", "maintenance.html", "scandisk.html", "defrag.html",
    "ntdisktools.html", "freespace.html", "files.html",
};

// The numbers of docs/help/contexts.txt and the topics they name.
static const struct {
    int context;
    const char *page;
} ContextPages[] = {
    {9000, "index.html"},  {2000, "options.html"}, {5000, "toollocations.html"},
    {3, "maintenance.html"}, {103, "scandisk.html"}, {104, "defrag.html"},
    {6000, "openpath.html"},
};

const char *HelpPageForContext(int context)
{
    for (const auto &entry : ContextPages)
        if (entry.context == context)
            return entry.page;
    return HelpPages[0];
}
