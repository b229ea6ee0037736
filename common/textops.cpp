#include "textops.h"

#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

char *ShiftText(char *text, int n)
{
    if (n > 0) {
        size_t len = strlen(text);
        // Copy backwards, terminator included, so the overlap is safe.
        for (size_t i = len + 1; i-- > 0;)
            text[i + (size_t)n] = text[i];
        // The gap keeps its old bytes, but must not end the string early.
        for (int i = 0; i < n; i++)
            if (text[i] == '\0')
                text[i] = ' ';
    } else if (n < 0) {
        size_t cut = (size_t)(-(long long)n);
        memmove(text, text + cut, strlen(text + cut) + 1);
    }
    return text;
}

static int ReplaceImpl(char *text, size_t size, const char *pattern,
                       const char *replacement, int maxCount)
{
    size_t patLen = strlen(pattern);
    size_t repLen = strlen(replacement);
    if (maxCount == 0 || patLen == 0)
        return 0;
    int count = 0;
    char *at = strstr(text, pattern);
    while (at != nullptr) {
        if (size != 0 && repLen > patLen &&
            strlen(text) + (repLen - patLen) + 1 > size)
            break;  // the growth would not fit: stop rather than overrun
        count++;
        ShiftText(at, (int)repLen - (int)patLen);
        memcpy(at, replacement, repLen);
        if (maxCount > 0 && --maxCount == 0)
            break;
        at = strstr(at + repLen, pattern);
    }
    return count;
}

int ReplaceText(char *text, const char *pattern, const char *replacement, int maxCount)
{
    return ReplaceImpl(text, 0, pattern, replacement, maxCount);
}

int BoundedReplaceText(char *text, size_t size, const char *pattern,
                       const char *replacement, int maxCount)
{
    return ReplaceImpl(text, size == 0 ? 1 : size, pattern, replacement, maxCount);
}

bool CopyText(char *dest, size_t size, const char *src)
{
    if (size == 0)
        return false;
    size_t len = strlen(src);
    bool fits = len < size;
    size_t n = fits ? len : size - 1;
    memmove(dest, src, n);
    dest[n] = '\0';
    return fits;
}

bool AppendText(char *dest, size_t size, const char *src)
{
    size_t used = strnlen(dest, size);
    if (used >= size)
        return false;
    return CopyText(dest + used, size - used, src);
}

bool FormatText(char *dest, size_t size, const char *format, ...)
{
    if (size == 0)
        return false;
    va_list args;
    va_start(args, format);
    int n = vsnprintf(dest, size, format, args);
    va_end(args);
    if (n < 0) {
        dest[0] = '\0';
        return false;
    }
    return (size_t)n < size;
}

bool ReadDecimal(const char *text, int *value)
{
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    if (*p < '0' || *p > '9')
        return false;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        v = v * 10 + (*p - '0');
        if (v > (long long)INT_MAX + 1)
            return false;  // out of range: treated like a field without digits
    }
    if (negative)
        v = -v;
    if (v < INT_MIN || v > INT_MAX)
        return false;
    *value = (int)v;
    return true;
}
