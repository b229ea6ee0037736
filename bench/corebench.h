// The micro-benchmarks of the portable readers, shared by the native build
// and the Windows build (which runs under Wine).
#pragma once
#include <stddef.h>

// A way of keeping the entries that the quick access reader delivers, as a
// menu does: begin before a pass, add per entry, end after it.
struct EntryKeeper {
    const char *name;
    void (*begin)(void);
    bool (*add)(void *context, const char *text, size_t length);
    void (*end)(long count);
};

// What the platform adds beyond the portable copy keeper (the Windows build
// keeps the entries in real popup menus); count 0 natively.
extern const EntryKeeper *const PlatformKeepers;
extern const int PlatformKeeperCount;
