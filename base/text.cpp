#include "base/text.h"
#include <windows.h>

int TextLength(const char *text) {
    int n = 0;
    while (text[n]) n++;
    return n;
}

char *CopyText(char *dst, const char *src, int size) {
    if (size <= 0) return dst;
    int i = 0;
    if (src)
        for (; i < size - 1 && src[i]; i++) dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

char *AppendText(char *dst, const char *src, int size) {
    int used = 0;
    while (used < size && dst[used]) used++;
    if (used >= size) {  // not terminated: terminate at the end
        if (size > 0) dst[size - 1] = 0;
        return dst;
    }
    CopyText(dst + used, src, size - used);
    return dst;
}

int StartsWithText(const char *text, const char *prefix) {
    int n = TextLength(prefix), i = 0;
    while (i < n && text[i]) i++;
    return i == n && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text, n, prefix, n) == CSTR_EQUAL;
}
