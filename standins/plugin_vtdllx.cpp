// Stand-in plug-in library vtdllx.dll: at each call it reads and changes the
// setup's variables through the program's exports, as a product's plug-in
// would, and appends what it saw to the file named by "%PLUGINREPORT%".
// A test can fix its answer to one code with the environment variable
// VTDLLX_ANSWER_<code> (a decimal number); the call then does nothing else.
#include <windows.h>

typedef int(WINAPI *PFN_GetVariable)(const char *name, char *buffer);
typedef int(WINAPI *PFN_SetVariable)(const char *name, const char *value);
typedef int(WINAPI *PFN_GetSystemVariable)(int number, char *buffer);

static void Append(HANDLE file, const char *text) {
    DWORD written;
    WriteFile(file, text, lstrlenA(text), &written, 0);
}

extern "C" __declspec(dllexport) int WINAPI VANTREL_CALLDLL(int code) {
    char name[32], answer[16];
    wsprintfA(name, "VTDLLX_ANSWER_%i", code);
    if (GetEnvironmentVariableA(name, answer, sizeof answer) && answer[0]) {
        int value = 0;
        for (const char *c = answer; *c >= '0' && *c <= '9'; c++) value = value * 10 + (*c - '0');
        return value;
    }
    HMODULE program = GetModuleHandleA(0);
    PFN_GetVariable getVariable = (PFN_GetVariable)GetProcAddress(program, "GetVariable");
    PFN_SetVariable setVariable = (PFN_SetVariable)GetProcAddress(program, "SetVariable");
    PFN_GetSystemVariable getSystem = (PFN_GetSystemVariable)GetProcAddress(program, "GetSystemVariable");
    if (!getVariable || !setVariable || !getSystem) return 99;

    char report[256], value[256], letters[256], line[1024];
    if (getVariable("%PLUGINREPORT%", report)) return 98;
    HANDLE file = CreateFileA(report, FILE_APPEND_DATA, 0, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return 97;
    int empty = getVariable("%INSTDIR%", value);
    lstrcpyA(letters, "untouched");
    int lettersResult = getSystem(400, letters);
    wsprintfA(line, "code=%i instdir=%s empty=%i family=%i admin=%i letters=%s/%i other=%i\r\n", code, value,
              empty, getSystem(100, 0), getSystem(500, 0), letters, lettersResult, getSystem(700, letters));
    Append(file, line);
    CloseHandle(file);

    // Changes the engine's expansion sees at once.
    wsprintfA(value, "set by plug-in at %i", code);
    int setResult = setVariable("%PRODUCT%", value);
    setVariable("%SELF%", "[%SELF%]");
    return setResult == 0 ? 0 : 96;
}
