// Settings access: every setting is read on demand from the main script
// (a temp copy of "_SFX.DLG") with the Windows profile functions.
#pragma once
#include <windows.h>

extern char g_scriptPath[127];

// String setting into buffer (size counts the NUL; longer values are cut).
// The default is "" except for [DLG] "TF1" and "TF2", which give "Arial".
void ReadSetting(const char *section, const char *key, char *buffer, int size);
// Integer setting with its default.
int ReadSettingInt(const char *section, const char *key, int defaultValue);
// Writes a value into the temp copy of the main script.
void WriteSetting(const char *section, const char *key, const char *value);

// Shorthands for section "DLG".
void ReadDlgText(const char *key, char *buffer, int size);
int ReadDlgInt(const char *key, int defaultValue);

// Key of one field of list item n: "+%i" followed by the field letters.
void ListItemKey(char *key, int size, int item, const char *field);
// Number of items of a list section: "Ndx", or "#" in [VARIABLES] and [ODBC].
int ListCount(const char *section);
// String field of list item n.
void ReadListField(const char *section, int item, const char *field, char *buffer, int size);
int ReadListFieldInt(const char *section, int item, const char *field, int defaultValue);
// Reads the item's "+%iz" and asks CHECKCONDITION: non-zero when it applies.
int ListItemApplies(const char *section, int item);

// A path of the script: a text starting with "%" is used as it is after
// expansion (CONVERTMACRO mode 3); any other text is appended to the
// installation folder. size: result buffer.
void ResolveScriptPath(const char *text, const char *installFolder, char *result, int size);
