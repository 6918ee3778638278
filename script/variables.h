// The variable store: section "VARIABLES" of the main script. Names carry
// their percent signs; "#" counts the listed names under the keys "1".."n".
#pragma once
#include <windows.h>

#define VARIABLE_TEXT 255

// Lists name under key n + 1, stores its value and counts it in "#".
void AddVariable(const char *name, const char *value);
// Stores the value without listing the name.
void SetVariableValue(const char *name, const char *value);
// The value (VARIABLE_TEXT bytes) into buffer; 1 when it is empty or absent.
int ReadVariable(const char *name, char *buffer);
// 0 when the text names none of the listed variables, so that expanding it
// would change nothing; read from the script once until a write.
int TextMayHoldVariable(const char *text);
// Makes the next TextMayHoldVariable read the script again.
void ForgetVariableNames();
// Answer of GetSystemVariable: 100 family, 200 service pack, 300 Clarion
// version, 400 component letters (into buffer), 500 administrator, 600 free KB.
int SystemValue(int number, char *buffer);

// Exported by name for plug-in libraries (stdcall, undecorated).
extern "C" {
__declspec(dllexport) int WINAPI GetVariable(const char *name, char *buffer);
__declspec(dllexport) int WINAPI SetVariable(const char *name, const char *value);
__declspec(dllexport) int WINAPI GetSystemVariable(int number, char *buffer);
}
