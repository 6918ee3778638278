#include "install/install_log.h"
#include "install/install_state.h"
#include "payload/binding.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "startup/globals.h"
#include "startup/text.h"

int InstallLogOpen() { return g_installLog && g_installLog != HFILE_ERROR; }

void LogRecord(const char *tag, const char *text) {
    if (!InstallLogOpen() || !g_support.LOGINFO) return;
    g_support.LOGINFO(tag, text, (int)g_installLog);
}

void LogFileRecord(const char *tag, int variant, const char *text) {
    char variantTag[9];
    CopyText(variantTag, tag, sizeof variantTag);
    int n = TextLength(variantTag);
    if (variant && n > 0 && variantTag[n - 1] == ':') variantTag[n - 1] = ';';
    LogRecord(variantTag, text);
}

// Expands a text in place in a buffer of the size CONVERTMACRO works in.
static void Expand(char *text, int size, int mode) {
    char buffer[256];
    CopyText(buffer, text, 255);
    if (g_support.CONVERTMACRO) g_support.CONVERTMACRO(buffer, mode);
    buffer[255] = 0;
    CopyText(text, buffer, size);
}

static int FolderExists(const char *path) {
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

static HFILE OpenOrCreate(const char *path) {
    HFILE log = _lopen(path, OF_WRITE);
    if (log == HFILE_ERROR) log = _lcreat(path, 0);
    return log;
}

int OpenInstallLog() {
    // Looked at before the log's own folder is made, which may be this one.
    int folderExisted = FolderExists(g_installFolder);
    char name[50];
    ReadDlgText("LO", name, sizeof name);
    int slash = -1;
    for (int i = 0; name[i]; i++)
        if (name[i] == '\\') slash = i;
    if (slash > 0) {
        char folder[256];
        CopyText(folder, name, slash + 2);
        Expand(folder, sizeof folder, 3);
        if (!g_testMode && g_support.KWP_CREATEPATH) g_support.KWP_CREATEPATH(folder);
        ReadDlgText("LO", g_installLogPath, sizeof g_installLogPath);
    } else {
        JoinPath(g_installLogPath, sizeof g_installLogPath, g_installFolder, name);
    }
    Expand(g_installLogPath, sizeof g_installLogPath, 3);

    int createdFolder = 0;
    if (g_testMode) return 0;
    if (!folderExisted && g_support.KWP_CREATEPATH) {
        char folder[130];
        CopyText(folder, g_installFolder, sizeof folder);
        AddBackslash(folder, sizeof folder);
        g_support.KWP_CREATEPATH(folder);
        createdFolder = 1;
    }
    // A log that exists has its banner: the profile writes below may have
    // trimmed its line, and a banner written over it again would run into
    // the [DLG] section.
    int fresh = GetFileAttributesA(g_installLogPath) == INVALID_FILE_ATTRIBUTES;
    g_installLog = OpenOrCreate(g_installLogPath);
    if (fresh) LogRecord(LOG_BANNER, "");
    if (!InstallLogOpen()) return createdFolder;

    _lclose(g_installLog);
    static const char *const keys[6][2] = {{"C59", "L1"},  {"C60", "L2"},  {"C61", "C61"},
                                           {"C62", "C62"}, {"C63", "C63"}, {"C2", "C2"}};
    for (int i = 0; i < 6; i++) {
        char value[256];
        ReadDlgText(keys[i][0], value, sizeof value);
        WritePrivateProfileStringA("DLG", keys[i][1], value, g_installLogPath);
    }
    WritePrivateProfileStringA(0, 0, 0, g_installLogPath);
    g_installLog = _lopen(g_installLogPath, OF_WRITE);
    if (g_installLog != HFILE_ERROR) _llseek(g_installLog, 0, 2);
    return createdFolder;
}

void FormatTimeStamp(char *buffer, int size) {
    char text[64];
    wsprintfA(text, "%02i/%02i/%i %02i:%02i:%02i", g_startTime.wMonth, g_startTime.wDay, g_startTime.wYear,
              g_startTime.wHour, g_startTime.wMinute, g_startTime.wSecond);
    CopyText(buffer, text, size);
}

void WriteLogHeader() {
    LogRecord("", "");
    char stamp[32];
    FormatTimeStamp(stamp, sizeof stamp);
    WriteSetting("VARIABLES", "%INSTDATE%", stamp);

    char title[256];
    CopyText(title, g_windowTitle, 50);
    if (g_clarionVersion) Expand(title, sizeof title, 1);
    char module[340];
    wsprintfA(module, "%s - [%s] - %s", title, g_setupTypeName, stamp);
    module[254] = 0;
    LogRecord("Module :", module);
    LogRecord("Source :", g_ownPath);
    LogRecord("PrevLev:", g_isAdministrator ? "ADMIN" : "NON-ADMIN");
    LogRecord("CompInf:", g_componentLetters);
}
