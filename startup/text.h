// Bounded text copies for the fixed-size ANSI buffers. Every size counts the
// terminating NUL; a longer text is cut, never written past the buffer.
#pragma once

// Copies src into dst (size bytes); returns dst.
char *CopyText(char *dst, const char *src, int size);
// Appends src to the text in dst (size bytes in all); returns dst.
char *AppendText(char *dst, const char *src, int size);
// Length of a NUL-terminated text.
int TextLength(const char *text);
