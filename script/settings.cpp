#include "script/settings.h"
#include "payload/binding.h"
#include "payload/paths.h"
#include "script/variables.h"
#include "base/text.h"

char g_scriptPath[127];

void ReadSetting(const char *section, const char *key, char *buffer, int size) {
    const char *def = "";
    if (lstrcmpiA(section, "DLG") == 0 && (lstrcmpiA(key, "TF1") == 0 || lstrcmpiA(key, "TF2") == 0))
        def = "Arial";
    if (size <= 0) return;
    buffer[0] = 0;
    GetPrivateProfileStringA(section, key, def, buffer, size, g_scriptPath);
    buffer[size - 1] = 0;
}

int ReadSettingInt(const char *section, const char *key, int defaultValue) {
    return (int)GetPrivateProfileIntA(section, key, defaultValue, g_scriptPath);
}

void WriteSetting(const char *section, const char *key, const char *value) {
    ForgetVariableNames();
    WritePrivateProfileStringA(section, key, value, g_scriptPath);
}

void ReadDlgText(const char *key, char *buffer, int size) { ReadSetting("DLG", key, buffer, size); }

int ReadDlgInt(const char *key, int defaultValue) { return ReadSettingInt("DLG", key, defaultValue); }

void ListItemKey(char *key, int size, int item, const char *field) {
    char number[16];
    wsprintfA(number, "+%i", item);
    CopyText(key, number, size);
    AppendText(key, field, size);
}

int ListCount(const char *section) {
    const char *countKey =
        (lstrcmpiA(section, "VARIABLES") == 0 || lstrcmpiA(section, "ODBC") == 0) ? "#" : "Ndx";
    return ReadSettingInt(section, countKey, 0);
}

void ReadListField(const char *section, int item, const char *field, char *buffer, int size) {
    char key[40];
    ListItemKey(key, sizeof key, item, field);
    ReadSetting(section, key, buffer, size);
}

int ReadListFieldInt(const char *section, int item, const char *field, int defaultValue) {
    char key[40];
    ListItemKey(key, sizeof key, item, field);
    return ReadSettingInt(section, key, defaultValue);
}

int ListItemApplies(const char *section, int item) {
    char letter[2];
    ReadListField(section, item, "z", letter, sizeof letter);
    if (!g_support.CHECKCONDITION) return 1;
    return g_support.CHECKCONDITION(item, section) == 0;
}

void ResolveScriptPath(const char *text, const char *installFolder, char *result, int size) {
    if (text[0] == '%') {
        CopyText(result, text, size);
        if (g_support.CONVERTMACRO) {
            // CONVERTMACRO works in a buffer of 255; expand there, then cut.
            char expanded[256];
            CopyText(expanded, text, 255);
            g_support.CONVERTMACRO(expanded, 3);
            expanded[255] = 0;
            CopyText(result, expanded, size);
        }
        return;
    }
    JoinPath(result, size, installFolder, text);
}
