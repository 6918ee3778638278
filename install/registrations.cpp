#include "install/registrations.h"
#include "install/install_log.h"
#include "payload/binding.h"
#include "payload/paths.h"
#include "script/settings.h"
#include "script/system_variables.h"
#include "base/settings.h"
#include "base/text.h"

struct QueuedFile {
    int kind;
    char *path;
};
static QueuedFile s_queue[SELF_REG_QUEUE_SIZE];
static int s_queued;

void RegisterFont(const char *fontName, const char *path) {
    // Test mode writes no file, so there is no font to register.
    if (g_testMode) return;
    char name[128], file[256], key[128];
    CopyText(name, fontName, sizeof name);
    CopyText(file, path, sizeof file);
    wsprintfA(key, "%s\\Fonts", g_platform == 2 ? g_windowsNtKey : g_windowsKey);
    HKEY fonts = 0;
    DWORD disposition;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, (char *)"", 0, KEY_ALL_ACCESS, 0, &fonts, &disposition) ==
        ERROR_SUCCESS) {
        RegSetValueExA(fonts, name, 0, REG_SZ, (const BYTE *)file, (DWORD)TextLength(file) + 1);
    }
    LogRegistryValue(key, name, file);
    if (fonts) RegCloseKey(fonts);
    AddFontResourceA(file);
    SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
    RemoveFontResourceA(file);
    SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
}

void RaiseSharedCount(const char *path) {
    HKEY shared;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", 0,
                      KEY_ALL_ACCESS, &shared) != ERROR_SUCCESS)
        return;
    DWORD count = 0, size = sizeof count, type = 0;
    if (RegQueryValueExA(shared, path, 0, &type, (BYTE *)&count, &size) == ERROR_SUCCESS && size == 4)
        count++;
    else
        count = 1;
    RegSetValueExA(shared, path, 0, REG_DWORD, (const BYTE *)&count, sizeof count);
    LogRecord("CShared:", path);
    RegCloseKey(shared);
}

int QueueSelfRegistration(int kind, const char *path) {
    if (s_queued >= SELF_REG_QUEUE_SIZE) return 0;
    int length = TextLength(path) + 1;
    char *copy = (char *)LocalAlloc(LMEM_FIXED, length);
    if (!copy) return 0;
    CopyText(copy, path, length);
    s_queue[s_queued].kind = kind;
    s_queue[s_queued].path = copy;
    s_queued++;
    return 1;
}

int SelfRegistrationCount() { return s_queued; }

int QueuedSelfRegistration(int i, const char **path) {
    if (i < 0 || i >= s_queued) return 0;
    *path = s_queue[i].path;
    return s_queue[i].kind;
}

typedef HRESULT(STDAPICALLTYPE *PFN_DllRegisterServer)(void);

static int RegisterServer(const char *path) {
    char saved[256] = "";
    GetCurrentDirectoryA(sizeof saved, saved);
    char folder[256];
    DirectoryOfPath(path, folder, sizeof folder);
    if (folder[0]) SetCurrentDirectoryA(folder);
    int ok = 0;
    HMODULE module = LoadLibraryA(path);
    if (module) {
        PFN_DllRegisterServer entry = (PFN_DllRegisterServer)GetProcAddress(module, "DllRegisterServer");
        if (entry) ok = entry() >= 0;
        FreeLibrary(module);
    }
    SetCurrentDirectoryA(saved);
    return ok;
}

void RegisterQueuedFiles() {
    OleInitialize(0);
    for (int i = 0; i < s_queued; i++) {
        int kind = s_queue[i].kind;
        const char *path = s_queue[i].path;
        int ok;
        const char *tag;
        if (kind == SELFREG_SERVER || kind == SELFREG_SERVER_VARIANT) {
            ok = RegisterServer(path);
            tag = kind == SELFREG_SERVER ? "SelfReg:" : "SelfReg;";
        } else if (kind == SELFREG_TYPELIB || kind == SELFREG_TYPELIB_VARIANT) {
            ok = g_support.REGTLB && g_support.REGTLB(path) != 0;
            tag = kind == SELFREG_TYPELIB ? "SelfTlb:" : "SelfTlb;";
        } else {
            continue;
        }
        if (ok) {
            LogRecord(tag, path);
            continue;
        }
        if (!g_silentMode) {
            char format[256], text[600];
            ReadDlgText("C71", format, sizeof format);
            // The script's text names the file with "%s"; it is put in by
            // hand so that any other "%" of the text is shown as it stands
            // instead of reading arguments that were never passed.
            text[0] = 0;
            int at = -1;
            for (int k = 0; format[k] && format[k + 1]; k++)
                if (format[k] == '%' && format[k + 1] == 's') {
                    at = k;
                    break;
                }
            if (at < 0) {
                CopyText(text, format, sizeof text);
            } else {
                format[at] = 0;
                CopyText(text, format, sizeof text);
                AppendText(text, path, sizeof text);
                AppendText(text, format + at + 2, sizeof text);
            }
            MessageBoxA(0, text, g_messageTitle, MB_ICONHAND);
        }
        break;
    }
    OleUninitialize();
}

void EmptySelfRegistrationQueue() {
    for (int i = 0; i < s_queued; i++) {
        if (s_queue[i].path) LocalFree(s_queue[i].path);
        s_queue[i].path = 0;
        s_queue[i].kind = 0;
    }
    s_queued = 0;
}
