// Path helpers shared by every unit that builds paths, and the temp files
// of the start-up.
#pragma once
#include <windows.h>

// Appends "\" when the last character is not a backslash (size: buffer).
void AddBackslash(char *path, int size);
// result := folder, a backslash when needed, then name.
void JoinPath(char *result, int size, const char *folder, const char *name);
// Everything in front of the last backslash, without the backslash.
void DirectoryOfPath(const char *path, char *result, int size);
// Creates a unique "VTB" temp file, puts its name (127 bytes) into path and
// returns it opened for reading and writing.
HFILE CreateTempFile(char *path);
