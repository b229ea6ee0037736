// Feeds arbitrary bytes to the uninstaller as a script and as a command
// line, then carries out the plan against recording stand-ins: nothing may
// be read or written outside its buffer, and every entry taken must be one
// that can only name what a product installed.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "uninstall.h"

static void Check(bool ok)
{
    if (!ok)
        abort();
}

static unsigned Calls;

// Results vary with the text, so that every path of the report is taken.
static RemoveResult Pretend(const char *text)
{
    Calls++;
    Check(strnlen(text, UninstallTextSize) < UninstallTextSize);
    return (RemoveResult)((strlen(text) + Calls) % 3);
}

static RemoveResult RemoveFile(const char *path) { return Pretend(path); }
static RemoveResult RemoveFolder(const char *path) { return Pretend(path); }
static RemoveResult RemoveKey(RegistryRoot root, const char *subkey)
{
    Check(root == RootLocalMachine || root == RootCurrentUser);
    Check(strchr(subkey, '\\') != nullptr && subkey[0] != '\\');
    return Pretend(subkey);
}
static RemoveResult RemoveGroup(const char *name)
{
    Check(strpbrk(name, "\\/:") == nullptr && strcmp(name, "..") != 0);
    return Pretend(name);
}
static RemoveResult RemoveShortcut(char *path, size_t size)
{
    Check(size > 0);
    path[0] = '\0';
    strncat(path, "C:\\Startup\\Tessaron.LNK", size - 1);
    return Pretend(path);
}

static const KelveyOps Ops = {RemoveFile, RemoveFolder, RemoveKey, RemoveGroup, RemoveShortcut};

static UninstallPlan Plan;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Exactly the input's bytes on the heap, so ASan sees any read past them.
    char *copy = (char *)malloc(size + 1);
    memcpy(copy, data, size);
    copy[size] = '\0';

    if (ReadUninstallScript(copy, size, &Plan)) {
        Check(Plan.product[0] != '\0' && strnlen(Plan.product, sizeof Plan.product) < sizeof Plan.product);
        Check(Plan.count >= 0 && Plan.count <= MaxUninstallEntries);
        for (int i = 0; i < Plan.count; i++) {
            const UninstallEntry &e = Plan.entries[i];
            Check(e.text[0] != '\0' && strnlen(e.text, sizeof e.text) < sizeof e.text);
            Check(strpbrk(e.text, "\r\n") == nullptr);
            if (e.kind == KindFile || e.kind == KindEmptyFolder)
                Check(e.text[0] == '\\' || (e.text[1] == ':' && e.text[2] == '\\'));
        }
        size_t listSize = size % 300;
        char *failures = (char *)malloc(listSize + 1);
        Calls = 0;
        int failed = CarryOutUninstall(Plan, Ops, failures, listSize);
        Check(failed >= 0 && (unsigned)failed <= Calls);
        if (listSize > 0)
            Check(strlen(failures) < listSize);
        char message[8192];
        FormatOutcome(message, sizeof message, Plan.product, failed, listSize ? failures : "");
        free(failures);
    }

    char path[UninstallTextSize];
    if (ScriptPathFromCommandLine(copy, "C:\\WINDOWS\\Kelvey.exe", path, sizeof path))
        Check(path[0] != '\0' && strlen(path) < sizeof path);
    char small[16];
    ScriptPathFromCommandLine(copy, nullptr, small, sizeof small);
    Check(strlen(small) < sizeof small);

    free(copy);
    return 0;
}
