#include "install/file_checks.h"
#include "payload/paths.h"
#include "base/text.h"

int ReadFileVersionText(const char *path, char *buffer, int size) {
    if (size > 0) buffer[0] = 0;
    DWORD handle = 0;
    DWORD length = GetFileVersionInfoSizeA(path, &handle);
    if (!length) return 0;
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED, length);
    if (!memory) return 0;
    int ok = 0;
    void *data = (void *)memory;
    if (GetFileVersionInfoA(path, 0, length, data)) {
        VS_FIXEDFILEINFO *info = 0;
        UINT infoLength = 0;
        if (VerQueryValueA(data, "\\", (void **)&info, &infoLength) && info && infoLength) {
            char text[64];
            wsprintfA(text, "%d.%d.%d.%d", (int)HIWORD(info->dwFileVersionMS), (int)LOWORD(info->dwFileVersionMS),
                      (int)HIWORD(info->dwFileVersionLS), (int)LOWORD(info->dwFileVersionLS));
            CopyText(buffer, text, size);
            ok = 1;
        }
    }
    GlobalFree(memory);
    return ok;
}

// Decimal integer with leading blanks and a sign, as the C library reads it.
static long ReadDecimal(const char *p) {
    while (*p == ' ' || *p == '\t') p++;
    int negative = 0;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    long value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10 + (*p++ - '0');
    return negative ? -value : value;
}

void SplitVersion(const char *text, long parts[4]) {
    char copy[21];
    CopyText(copy, text, sizeof copy);
    for (int i = 0; i < 4; i++) parts[i] = 0;
    char *p = copy;
    for (int i = 0; i < 4 && p; i++) {
        char *q = p;
        while (*q && *q != '.' && *q != ',') q++;
        char stop = *q;
        *q = 0;
        parts[i] = ReadDecimal(p);
        p = stop ? q + 1 : 0;
    }
}

int VersionSaysReplace(const char *installedPath, const char *recordVersion, int rule) {
    char installedText[64];
    if (!ReadFileVersionText(installedPath, installedText, sizeof installedText)) return 1;
    long installed[4], record[4];
    SplitVersion(installedText, installed);
    SplitVersion(recordVersion, record);
    if (rule == RULE_NOT_OLDER) {
        // Each part on its own: any lower part keeps the installed file.
        for (int i = 0; i < 4; i++)
            if (record[i] < installed[i]) return 0;
        return 1;
    }
    for (int i = 0; i < 4; i++)
        if (record[i] != installed[i]) return record[i] > installed[i];
    return 0;
}

int DateSaysReplace(const char *installedPath, DWORD recordDate, DWORD recordTime, int rule) {
    HANDLE file = CreateFileA(installedPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return 0;
    FILETIME written, local;
    WORD dosDate = 0, dosTime = 0;
    int ok = GetFileTime(file, 0, 0, &written) && FileTimeToLocalFileTime(&written, &local) &&
             FileTimeToDosDateTime(&local, &dosDate, &dosTime);
    CloseHandle(file);
    if (!ok) return 0;
    DWORD installedDate = (1980u + (dosDate >> 9)) * 10000u + ((dosDate >> 5) & 15u) * 100u + (dosDate & 31u);
    DWORD installedTime = (dosTime >> 11) * 10000u + ((dosTime >> 5) & 63u) * 100u + (dosTime & 31u) * 2u;
    if (recordDate < installedDate) return 0;
    return rule == RULE_NOT_OLDER ? recordTime >= installedTime : recordTime > installedTime;
}

int FileInUse(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    int readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY)) return 1;
    int inUse = 0;
    HFILE file = _lopen(path, OF_WRITE | OF_SHARE_EXCLUSIVE);
    if (file == HFILE_ERROR)
        inUse = 1;
    else
        _lclose(file);
    if (readOnly && !SetFileAttributesA(path, attributes)) inUse = 1;
    return inUse;
}

int NumberedBackupName(const char *path, char *result, int size) {
    char base[MAX_PATH];
    CopyText(base, path, sizeof base);
    int lastDot = -1, lastSlash = -1;
    for (int i = 0; base[i]; i++) {
        if (base[i] == '/') base[i] = '\\';
        if (base[i] == '\\') lastSlash = i;
        if (base[i] == '.') lastDot = i;
    }
    if (lastDot > lastSlash) base[lastDot] = 0;
    for (int n = 1; n <= 999; n++) {
        char name[MAX_PATH + 8];
        wsprintfA(name, "%s.%03i", base, n);
        if (TextLength(name) >= size) return 0;
        if (GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES) {
            CopyText(result, name, size);
            return 1;
        }
    }
    return 0;
}

int TemporaryName(const char *folder, char *name, int size) {
    static const char digits[] = "0123456789abcdefghijklmnopqrstuv";
    char candidate[9] = "VTXXXXXX";
    DWORD id = GetCurrentProcessId();
    candidate[4] = '.';
    static const int idPlaces[4] = {3, 5, 6, 7};
    for (int i = 0; i < 4; i++) {
        candidate[idPlaces[i]] = digits[id & 31u];
        id >>= 5;
    }
    static const char firsts[] = "0abcdefghijklmnopqrstuvwxyz";
    for (int i = 0; firsts[i]; i++) {
        candidate[2] = firsts[i];
        char full[MAX_PATH];
        if (folder && folder[0])
            JoinPath(full, sizeof full, folder, candidate);
        else
            CopyText(full, candidate, sizeof full);
        if (GetFileAttributesA(full) == INVALID_FILE_ATTRIBUTES) {
            CopyText(name, candidate, size);
            return 1;
        }
    }
    return 0;
}
