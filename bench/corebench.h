// The micro-benchmarks of the portable readers, shared by the native build
// and the Windows build (which runs under Wine).
#pragma once
#include <stddef.h>

// A way of keeping the entries that the quick access reader delivers, as a
// menu does.  A timed pass is clear, the reading with add per entry, then
// end; prepare and finish run outside the time.
struct EntryKeeper {
    const char *name;
    void (*prepare)(void);
    void (*clear)(void);
    bool (*add)(void *context, const char *text, size_t length);
    void (*end)(long count);
    void (*finish)(void);
};

// What the platform adds beyond the portable copy keeper (the Windows build
// keeps the entries in real popup menus); count 0 natively.
extern const EntryKeeper *const PlatformKeepers;
extern const int PlatformKeeperCount;
