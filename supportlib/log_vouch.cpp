#include "supportlib/log_vouch.h"
#include <wincrypt.h>

char *ReadWholeFile(const char *path, DWORD *size) {
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    if (f == INVALID_HANDLE_VALUE) return 0;
    DWORD n = GetFileSize(f, 0), got = 0;
    char *data = (char *)HeapAlloc(GetProcessHeap(), 0, n + 1);
    if (data && (!ReadFile(f, data, n, &got, 0) || got != n)) {
        HeapFree(GetProcessHeap(), 0, data);
        data = 0;
    }
    CloseHandle(f);
    *size = n;
    return data;
}

// Through the system's cryptography functions, looked up: the first
// Windows 95 lacks them.
int LogDigest(const char *data, DWORD size, BYTE *digest) {
    static const char kNames[] = "CryptAcquireContextA\0CryptCreateHash\0CryptHashData\0CryptGetHashParam\0"
                                 "CryptDestroyHash\0CryptReleaseContext";
    FARPROC f[6];
    HMODULE advapi = GetModuleHandleA("advapi32");
    const char *name = kNames;
    for (int i = 0; i < 6; i++, name += lstrlenA(name) + 1)
        if (!(f[i] = GetProcAddress(advapi, name))) return 0;
    HCRYPTPROV provider;
    HCRYPTHASH hash;
    DWORD n = 20;
    int ok = 0;
    if (!((BOOL(WINAPI *)(HCRYPTPROV *, LPCSTR, LPCSTR, DWORD, DWORD))f[0])(&provider, 0, 0, PROV_RSA_FULL,
                                                                              CRYPT_VERIFYCONTEXT))
        return 0;
    if (((BOOL(WINAPI *)(HCRYPTPROV, ALG_ID, HCRYPTKEY, DWORD, HCRYPTHASH *))f[1])(provider, CALG_SHA1, 0, 0, &hash)) {
        ok = ((BOOL(WINAPI *)(HCRYPTHASH, const BYTE *, DWORD, DWORD))f[2])(hash, (const BYTE *)data, size, 0) &&
             ((BOOL(WINAPI *)(HCRYPTHASH, DWORD, BYTE *, DWORD *, DWORD))f[3])(hash, HP_HASHVAL, digest, &n, 0) &&
             n == 20;
        ((BOOL(WINAPI *)(HCRYPTHASH))f[4])(hash);
    }
    ((BOOL(WINAPI *)(HCRYPTPROV, DWORD))f[5])(provider, 0);
    return ok;
}

int LogBlocks(const char *data, DWORD size) {
    int blocks = 0;
    for (DWORD at = 0; at < size; at++)
        if (data[at] == ' ' && (at == 0 || data[at - 1] == '\n') && (at + 1 == size || data[at + 1] == '\r'))
            blocks++;
    return blocks;
}

static const HKEY kRoots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};

int VouchedFrom(const char *logPath, const BYTE *digest) {
    for (int r = 0; r < 2; r++) {
        HKEY key;
        if (RegOpenKeyExA(kRoots[r], LOG_VOUCH_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) continue;
        LogWord word;
        DWORD type = 0, size = sizeof word;
        LONG got = RegQueryValueExA(key, logPath, 0, &type, (BYTE *)&word, &size);
        RegCloseKey(key);
        int same = got == ERROR_SUCCESS && type == REG_BINARY && size == sizeof word;
        for (int i = 0; same && i < 20; i++) same = word.digest[i] == digest[i];
        if (same) return (int)word.unvouched;
    }
    return -1;
}

#ifndef UNDO_WHOLE_LOGS
#include "supportlib/library.h"

// Installations of the log the setup did not see written: 0 for a new log,
// the stored count when the log is as the setup left it, else all found.
static int s_unvouched;

void VouchForLog(const char *logPath, int starting) {
    DWORD size = 0;
    char *data = ReadWholeFile(logPath, &size);
    if (!data) return;
    LogWord word;
    int ok = LogDigest(data, size, word.digest), blocks = LogBlocks(data, size);
    HeapFree(GetProcessHeap(), 0, data);
    if (!ok) return;
    if (starting) {
        s_unvouched = VouchedFrom(logPath, word.digest);
        if (s_unvouched < 0) s_unvouched = blocks;
        return;
    }
    word.unvouched = (DWORD)s_unvouched;
    HKEY key;
    for (int r = 0; r < 2; r++)
        if (RegCreateKeyExA(kRoots[r], LOG_VOUCH_KEY, 0, 0, 0, KEY_SET_VALUE, 0, &key, 0) == ERROR_SUCCESS) {
            RegSetValueExA(key, logPath, 0, REG_BINARY, (const BYTE *)&word, sizeof word);
            RegCloseKey(key);
            return;
        }
}

// The setup asks for its word by name: starting (1) and once the log is
// closed (0).
LIBRARY_ENTRY SEALLOG(const char *logPath, int starting) {
    VouchForLog(logPath, starting);
    return 0;
}
#else
// Deletes the key when it holds nothing; on the Windows 95 family
// RegDeleteKey would take a full key with it.
static void DeleteIfEmpty(HKEY root, const char *path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    DWORD keys = 1, values = 1;
    RegQueryInfoKeyA(key, 0, 0, 0, &keys, 0, 0, &values, 0, 0, 0, 0);
    RegCloseKey(key);
    if (!keys && !values) RegDeleteKeyA(root, path);
}

void ForgetLogVouch(const char *logPath) {
    for (int r = 0; r < 2; r++) {
        HKEY key;
        if (RegOpenKeyExA(kRoots[r], LOG_VOUCH_KEY, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) continue;
        RegDeleteValueA(key, logPath);
        RegCloseKey(key);
        DeleteIfEmpty(kRoots[r], LOG_VOUCH_KEY);
        DeleteIfEmpty(kRoots[r], "Software\\KVX32");
    }
}
#endif
