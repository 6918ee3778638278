// Bounded text copies for the fixed-size ANSI buffers. Every size counts the
// terminating NUL; a longer text is cut, never written past the buffer.
//
// The program file and the support library link no C run-time: use these,
// the Win32 text functions (lstrlenA, lstrcmpiA, wsprintfA, CharUpperA) and
// HeapAlloc/LocalAlloc. Of the C library only memcpy, memmove, memset,
// memcmp, memchr and strlen exist (base/runtime.cpp, for the copies the
// compiler makes by itself); no new/delete, no static objects with
// constructors or destructors.
#pragma once

// Copies src into dst (size bytes); returns dst.
char *CopyText(char *dst, const char *src, int size);
// Appends src to the text in dst (size bytes in all); returns dst.
char *AppendText(char *dst, const char *src, int size);
// Length of a NUL-terminated text.
int TextLength(const char *text);
// 1 when text begins with prefix, letters compared without case.
int StartsWithText(const char *text, const char *prefix);
