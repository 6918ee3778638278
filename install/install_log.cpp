#include "install/install_log.h"
#include "install/file_checks.h"
#include "install/install_state.h"
#include "payload/binding.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "base/settings.h"
#include "base/text.h"

int InstallLogOpen() { return g_installLog && g_installLog != HFILE_ERROR; }

void LogRecord(const char *tag, const char *text) {
    if (!InstallLogOpen() || !g_support.LOGINFO) return;
    g_support.LOGINFO(tag, text, (int)g_installLog);
}

void LogRegistryValue(const char *key, const char *name, const char *value) {
    LogRecord("RegRoot:", "3");
    LogRecord("RegKey :", key);
    LogRecord("RegName:", name);
    LogRecord("RegVal :", value);
}

void LogFileRecord(const char *tag, int variant, const char *text) {
    char variantTag[9];
    CopyText(variantTag, tag, sizeof variantTag);
    int n = TextLength(variantTag);
    if (variant && n > 0 && variantTag[n - 1] == ':') variantTag[n - 1] = ';';
    LogRecord(variantTag, text);
}

void LogCopied(const char *path, int existed) {
    LogRecord("Copy   :", path);
    if (existed) LogRecord("Existed:", path);
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

// A log that is there but cannot be opened (read-only, held) is never
// created anew: that would empty it.
static HFILE OpenOrCreate(const char *path) {
    DWORD a = GetFileAttributesA(path);
    if (a == INVALID_FILE_ATTRIBUTES) return _lcreat(path, 0);
    return a & FILE_ATTRIBUTE_READONLY ? HFILE_ERROR : _lopen(path, OF_READWRITE);
}

#define BANNER_LINE LOG_BANNER " \r\n"

// How a log begins: LOG_FRESH empty or with the banner line whole (it is
// rewritten in place), LOG_KEPT with the banner but not its line end as
// this program writes it (a profile writer cut its blank: left as it is),
// LOG_DAMAGED otherwise (binary, cut at its head): the uninstaller would
// neither find nor read it.
enum { LOG_FRESH, LOG_KEPT, LOG_DAMAGED };
static int LogHead(HFILE log) {
    char head[sizeof BANNER_LINE];
    UINT got = _lread(log, head, sizeof BANNER_LINE - 1), i = 0;
    _llseek(log, 0, 0);
    while (i < got && i < sizeof BANNER_LINE - 1 && head[i] == BANNER_LINE[i]) i++;
    if (got == 0 || i == sizeof BANNER_LINE - 1) return LOG_FRESH;
    return i < sizeof LOG_BANNER - 1 ? LOG_DAMAGED : LOG_KEPT;
}

static const char *const s_logKeys[6][2] = {{"C59", "L1"}, {"C60", "L2"}, {"C61", "C61"},
                                            {"C62", "C62"}, {"C63", "C63"}, {"C2", "C2"}};

// Length of the line at p (up to and with its line end).
static DWORD LineLength(const char *p, DWORD left) {
    DWORD n = 0;
    while (n < left && p[n] != '\n') n++;
    return n < left ? n + 1 : n;
}

// A "key=value" line of the section; *ours when the key is one this
// program writes. Records never qualify: their tags hold blanks or colons.
static int IsKeyLine(const char *p, DWORD len, int *ours) {
    DWORD k = 0;
    while (k < len && ((p[k] >= 'A' && p[k] <= 'Z') || (p[k] >= 'a' && p[k] <= 'z') || (p[k] >= '0' && p[k] <= '9')))
        k++;
    if (k == 0 || k >= len || p[k] != '=') return 0;
    *ours = 0;
    for (int i = 0; i < 6; i++) {
        const char *key = s_logKeys[i][1];
        DWORD j = 0;
        while (j < k && key[j] && (p[j] | 32) == (key[j] | 32)) j++;
        if (j == k && !key[j]) *ours = 1;
    }
    return 1;
}

static int IsSectionHeader(const char *p, DWORD len) {
    const char *h = "[DLG]";
    for (int i = 0; i < 5; i++)
        if (i >= (int)len || (p[i] | 32) != (h[i] | 32)) return 0;
    return len == 5 || p[5] == '\r' || p[5] == '\n';
}

// The uninstaller's texts in the log's [DLG] section. The section is
// written here rather than with the profile functions: those rewrite the
// whole file on some systems, taking the records that follow the section
// for keys of it (trimmed, blank lines dropped, "=" moved). The section
// stays one, updated in place; everything around it is kept byte for byte.
static void WriteLogSection(const char *path) {
    HANDLE f = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD size = GetFileSize(f, 0), got = 0;
    char *old = size < (64u << 20) ? (char *)GlobalAlloc(GMEM_FIXED, size + 1) : 0;
    if (!old || !ReadFile(f, old, size, &got, 0) || got != size) {
        if (old) GlobalFree(old);
        CloseHandle(f);
        return;
    }
    // Where the section starts and ends; without one it goes to the end.
    DWORD start = size, end = size;
    for (DWORD at = 0; at < size; at += LineLength(old + at, size - at)) {
        if (!IsSectionHeader(old + at, size - at)) continue;
        start = at;
        end = at + LineLength(old + at, size - at);
        int ours;
        for (DWORD len; end < size && IsKeyLine(old + end, len = LineLength(old + end, size - end), &ours);)
            end += len;
        break;
    }
    char section[8 + 6 * (4 + 256 + 2)];
    CopyText(section, "[DLG]\r\n", sizeof section);
    for (int i = 0; i < 6; i++) {
        char value[256];
        ReadDlgText(s_logKeys[i][0], value, sizeof value);
        AppendText(section, s_logKeys[i][1], sizeof section);
        AppendText(section, "=", sizeof section);
        AppendText(section, value, sizeof section);
        AppendText(section, "\r\n", sizeof section);
    }
    DWORD put;
    SetFilePointer(f, (LONG)start, 0, FILE_BEGIN);
    WriteFile(f, section, (DWORD)TextLength(section), &put, 0);
    // Keys of the section that this program does not write stay in it.
    DWORD at = start < size ? start + LineLength(old + start, size - start) : size;
    for (DWORD len; at < end; at += len) {
        int ours = 0;
        len = LineLength(old + at, end - at);
        IsKeyLine(old + at, len, &ours);
        if (!ours) WriteFile(f, old + at, len, &put, 0);
    }
    WriteFile(f, old + end, size - end, &put, 0);
    SetEndOfFile(f);
    CloseHandle(f);
    GlobalFree(old);
}

void SealInstallLog(int starting) {
    typedef int(SUPPORT_CALL * Seal)(const char *, int);
    Seal seal = g_support.module ? (Seal)(void *)GetProcAddress(g_support.module, "SEALLOG") : 0;
    if (seal) seal(g_installLogPath, starting);
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
    g_installLog = OpenOrCreate(g_installLogPath);
    if (InstallLogOpen() && LogHead(g_installLog) == LOG_DAMAGED) {
        // Records appended to a log the uninstaller cannot read would be
        // lost with it: the damaged log is kept beside a fresh one.
        _lclose(g_installLog);
        g_installLog = HFILE_ERROR;
        char aside[sizeof g_installLogPath];
        if (NumberedBackupName(g_installLogPath, aside, sizeof aside) && MoveFileA(g_installLogPath, aside))
            g_installLog = OpenOrCreate(g_installLogPath);
    }
    if (!InstallLogOpen()) return LOG_UNUSABLE;
    // Vouched for as it stands before this run writes: a damaged log moved
    // aside has nothing in it to vouch for.
    SealInstallLog(1);
    if (LogHead(g_installLog) == LOG_FRESH) LogRecord(LOG_BANNER, "");
    _lclose(g_installLog);
    WriteLogSection(g_installLogPath);
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
