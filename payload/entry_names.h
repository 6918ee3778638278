// Names and folder texts of payload entries, and the test that keeps a
// target path inside its base folder. Shared by the engine, the support
// library and the build tool; no run-time library.
#pragma once

// A file name that stays in its folder: not empty, no "\" "/" ":" or other
// character Windows refuses in names, not made of dots, no trailing dot or
// blank, and not a device name.
bool IsPlainEntryName(const char *name);
// CON, PRN, AUX, NUL, COM1-9, LPT1-9 (also CONIN$, CONOUT$, CLOCK$), with
// or without an extension, in any case: opening such a name opens the
// device, not a file.
bool IsDeviceName(const char *name);
// Relative folder text inside the target: no drive, no "\\" or "/" at its
// start (one leading "\" is the usual form), no part made of dots, no empty
// or device-named part. Empty text and "\" alone mean the target itself.
bool IsContainedFolderText(const char *text);
// Length of the variable ("%NAME%") a folder text begins with; 0 without.
int LeadingVariableLength(const char *text);
// A folder text a setup program may carry: a contained text, optionally
// behind a leading variable (the one way out of the installation folder).
bool IsAcceptedFolderText(const char *text);
// The expanded target path lies inside base (an absolute folder: "X:\..."
// or "\\server\share..."): it begins with base at a backslash, what follows
// is a contained folder text, and its last part is the file name.
bool IsTargetInside(const char *target, const char *base, const char *name);
