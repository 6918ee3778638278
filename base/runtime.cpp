// The few memory and text routines the compiler calls on its own (struct
// copies, zeroed arrays) and that shared code uses, for the program file and
// the support library, which link no C run-time. The loops must not be
// turned back into calls to the routines they implement.
#pragma GCC optimize("no-tree-loop-distribute-patterns")
#include <stddef.h>

extern "C" {

void *memcpy(void *dst, const void *src, size_t n) {
    unsigned char *d = (unsigned char *)dst;
    const unsigned char *s = (const unsigned char *)src;
    while (n--) *d++ = *s++;
    return dst;
}

void *memmove(void *dst, const void *src, size_t n) {
    unsigned char *d = (unsigned char *)dst;
    const unsigned char *s = (const unsigned char *)src;
    if (d <= s || d >= s + n) return memcpy(dst, src, n);
    while (n--) d[n] = s[n];  // overlapping, destination above: from the end
    return dst;
}

void *memset(void *dst, int value, size_t n) {
    unsigned char *d = (unsigned char *)dst;
    while (n--) *d++ = (unsigned char)value;
    return dst;
}

int memcmp(const void *a, const void *b, size_t n) {
    const unsigned char *x = (const unsigned char *)a, *y = (const unsigned char *)b;
    for (; n; n--, x++, y++)
        if (*x != *y) return *x - *y;
    return 0;
}

void *memchr(const void *p, int value, size_t n) {
    const unsigned char *s = (const unsigned char *)p;
    for (; n; n--, s++)
        if (*s == (unsigned char)value) return (void *)s;
    return 0;
}

size_t strlen(const char *text) {
    const char *p = text;
    while (*p) p++;
    return (size_t)(p - text);
}

}  // extern "C"
