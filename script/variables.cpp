#include "script/variables.h"
#include "script/settings.h"
#include "base/settings.h"
#include "wizard/choices.h"
#include "base/text.h"

static const char kSection[] = "VARIABLES";

// The section as last read for TextMayHoldVariable; any write through this
// unit or WriteSetting makes it stale.
static char s_section[32768];
static int s_sectionRead;

void ForgetVariableNames() { s_sectionRead = 0; }

static int IsBlank(char c) { return c == ' ' || c == '\t'; }

static int HoldsBytes(const char *text, const char *name, int n) {
    for (; *text; text++) {
        int i = 0;
        while (i < n && text[i] == name[i]) i++;
        if (i == n) return 1;
    }
    return 0;
}

// The support library expands the names listed under the number keys, each
// compared byte for byte with the text. Any number key counts here, so the
// answer errs only towards expanding.
int TextMayHoldVariable(const char *text) {
    if (!s_sectionRead) {
        DWORD got = GetPrivateProfileSectionA(kSection, s_section, sizeof s_section, g_scriptPath);
        s_sectionRead = got < sizeof s_section - 2 ? 1 : -1;
    }
    if (s_sectionRead < 0) return 1;
    for (const char *line = s_section; *line; line += TextLength(line) + 1) {
        const char *k = line;
        while (IsBlank(*k)) k++;
        const char *p = k;
        while (*p >= '0' && *p <= '9') p++;
        if (p == k) continue;
        while (IsBlank(*p)) p++;
        if (*p != '=') continue;
        const char *v = p + 1, *end = v + TextLength(v);
        while (v < end && IsBlank(*v)) v++;
        while (end > v && IsBlank(end[-1])) end--;
        if (end - v >= 2 && (*v == '"' || *v == '\'') && end[-1] == *v) v++, end--;
        if (end > v && HoldsBytes(text, v, (int)(end - v))) return 1;
    }
    return 0;
}

void AddVariable(const char *name, const char *value) {
    ForgetVariableNames();
    int count = GetPrivateProfileIntA(kSection, "#", 0, g_scriptPath);
    char key[16];
    wsprintfA(key, "%i", count + 1);
    WritePrivateProfileStringA(kSection, key, name, g_scriptPath);
    WritePrivateProfileStringA(kSection, name, value, g_scriptPath);
    wsprintfA(key, "%i", count + 1);
    WritePrivateProfileStringA(kSection, "#", key, g_scriptPath);
}

void SetVariableValue(const char *name, const char *value) {
    ForgetVariableNames();
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
