// In-place text operations and bounded copies shared by both programs.
// Portable: no <windows.h>.
#pragma once
#include <stddef.h>

// Moves the string n characters right (n > 0, caller guarantees room; NUL
// bytes left in the gap become blanks) or deletes its first -n characters.
char *ShiftText(char *text, int n);

// Replaces pattern by replacement left to right, resuming after each
// inserted replacement, at most maxCount times (negative: no limit).
// An empty pattern finds nothing.  The caller guarantees room for growth;
// BoundedReplaceText below checks it instead.
int ReplaceText(char *text, const char *pattern, const char *replacement, int maxCount);

// As ReplaceText, but never lets the text grow past size-1 characters:
// replacements that would not fit are not made.  Returns the count made.
int BoundedReplaceText(char *text, size_t size, const char *pattern,
                       const char *replacement, int maxCount);

// Every fixed-size text is written through these: they always terminate
// and never write past size.  They return true when nothing was cut.
bool CopyText(char *dest, size_t size, const char *src);
bool AppendText(char *dest, size_t size, const char *src);
bool FormatText(char *dest, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Number reading shared by the settings reader and the dialogs: skips
// leading white space, takes an optional sign and decimal digits.  Returns
// false (value untouched) when no digit is read or the number does not fit
// a signed 32-bit integer.
bool ReadDecimal(const char *text, int *value);
