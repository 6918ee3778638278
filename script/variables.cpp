#include "script/variables.h"
#include "script/settings.h"
#include "startup/globals.h"
#include "startup/text.h"

static const char kSection[] = "VARIABLES";

void AddVariable(const char *name, const char *value) {
    int count = GetPrivateProfileIntA(kSection, "#", 0, g_scriptPath);
    char key[16];
    wsprintfA(key, "%i", count + 1);
    WritePrivateProfileStringA(kSection, key, name, g_scriptPath);
    WritePrivateProfileStringA(kSection, name, value, g_scriptPath);
    wsprintfA(key, "%i", count + 1);
    WritePrivateProfileStringA(kSection, "#", key, g_scriptPath);
}

void SetVariableValue(const char *name, const char *value) {
    WritePrivateProfileStringA(kSection, name, value, g_scriptPath);
}

int ReadVariable(const char *name, char *buffer) {
    GetPrivateProfileStringA(kSection, name, "", buffer, VARIABLE_TEXT, g_scriptPath);
    return buffer[0] ? 0 : 1;
}

int SystemValue(int number, char *buffer) {
    switch (number) {
    case 100: return g_windowsFamily;
    case 200: return g_servicePack;
    case 300: return g_clarionVersion;
    case 400:
        if (buffer) CopyText(buffer, g_componentLetters, sizeof g_componentLetters);
        return 0;
    case 500: return g_isAdministrator;
    case 600: return g_freeSpaceKB;
    }
    return 0;
}

extern "C" {
int WINAPI GetVariable(const char *name, char *buffer) {
    if (!buffer) return 1;
    if (!name) return buffer[0] = 0, 1;
    return ReadVariable(name, buffer);
}

int WINAPI SetVariable(const char *name, const char *value) {
    if (name) SetVariableValue(name, value ? value : "");
    return 0;
}

int WINAPI GetSystemVariable(int number, char *buffer) { return SystemValue(number, buffer); }
}
