// Line-by-line editing of a plain text file (action type 700).
#pragma once

// Modes: 1 line first, 2 line last, 3 append to every line holding the
// search text, 5 new line after it, 6 new line before it, any other mode
// removes the lines holding it. Every "/" of file becomes "\" in place.
// The original is kept under its first free numbered backup name (.001,
// .002, ...); a file that does not exist is created with the line alone.
// An edit that cannot finish leaves the file as it was. Always 0.
int EditTextFile(char *file, const char *searchText, const char *lineText, int mode);
