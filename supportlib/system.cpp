// Registry values, type libraries and shortcut files.
#include "supportlib/library.h"
#include "payload/registry_roots.h"
#include <objbase.h>
#include <oleauto.h>
#include <shlobj.h>

// The callers' result buffers: the registered owner and organisation hold
// 80 bytes, the smallest any caller passes; a longer value is cut there.
#define GETREG_RESULT_SIZE 80

// extra 3 on the NT family reads "Common <value name>": a shell-folders
// value then names the folder of all users instead of the current one.
LIBRARY_ENTRY GETREG(int root, const char *key, const char *valueName, char *result, int extra) {
    if (!result) return 0;
    result[0] = 0;
    HKEY hroot = RegistryRoot(root), hkey;
    if (!hroot || !key || RegOpenKeyExA(hroot, key, 0, KEY_QUERY_VALUE, &hkey) != ERROR_SUCCESS) return 0;
    char common[300];
    if (extra == 3 && g_platformCode == 2 && valueName) {
        CopyBounded(common, "Common ", sizeof common);
        AppendBounded(common, valueName, sizeof common);
        valueName = common;
    }
    BYTE data[256];
    DWORD type = 0, size = sizeof data - 1;
    LONG r = RegQueryValueExA(hkey, valueName, 0, &type, data, &size);
    RegCloseKey(hkey);
    if (r != ERROR_SUCCESS) return 0;
    if (type == REG_DWORD && size == 4) {
        wsprintfA(result, "%lu", *(DWORD *)data);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        data[size < sizeof data ? size : sizeof data - 1] = 0;
        CopyBounded(result, (const char *)data, GETREG_RESULT_SIZE);
    } else {
        return 0;
    }
    return 1;
}

// [REG] items: "+%ia" root, "+%ib" key, "+%ic" value name, "+%id" data,
// "+%ie" kind (0 text, 1 number, 2 expandable text), "+%iz" component.
LIBRARY_ENTRY WRITEREG(const char *componentLetters) {
    if (componentLetters) CopyBounded(g_componentLetters, componentLetters, sizeof g_componentLetters);
    if (!g_scriptPath[0]) return 0;
    int count = GetPrivateProfileIntA("REG", "Ndx", 0, g_scriptPath);
    for (int i = 1; i <= count; i++) {
        char k[20], key[256], name[256], data[256], letter[8];
        wsprintfA(k, "+%iz", i);
        GetPrivateProfileStringA("REG", k, "", letter, sizeof letter, g_scriptPath);
        if (letter[0] && componentLetters) {
            const char *p = componentLetters;
            while (*p && *p != letter[0]) p++;
            if (!*p) continue;
        }
        wsprintfA(k, "+%ia", i);
        int root = GetPrivateProfileIntA("REG", k, 0, g_scriptPath);
        wsprintfA(k, "+%ib", i);
        GetPrivateProfileStringA("REG", k, "", key, sizeof key, g_scriptPath);
        wsprintfA(k, "+%ic", i);
        GetPrivateProfileStringA("REG", k, "", name, sizeof name, g_scriptPath);
        wsprintfA(k, "+%id", i);
        GetPrivateProfileStringA("REG", k, "", data, sizeof data, g_scriptPath);
        wsprintfA(k, "+%ie", i);
        int kind = GetPrivateProfileIntA("REG", k, 0, g_scriptPath);
        CONVERTMACRO(key, 3);
        CONVERTMACRO(name, 3);
        CONVERTMACRO(data, 3);
        char rootText[16];
        wsprintfA(rootText, "%i", root);
        WriteLogRecord("RegRoot:", rootText, g_logHandle);
        WriteLogRecord("RegKey :", key, g_logHandle);
        WriteLogRecord("RegName:", name, g_logHandle);
        WriteLogRecord("RegVal :", data, g_logHandle);
        HKEY hroot = RegistryRoot(root), hkey;
        DWORD disposition;
        if (!hroot || RegCreateKeyExA(hroot, key, 0, 0, 0, KEY_SET_VALUE, 0, &hkey, &disposition) != ERROR_SUCCESS)
            continue;
        if (kind == 1) {
            DWORD number = 0;
            for (const char *p = data; *p >= '0' && *p <= '9'; p++) number = number * 10 + (DWORD)(*p - '0');
            RegSetValueExA(hkey, name[0] ? name : 0, 0, REG_DWORD, (const BYTE *)&number, 4);
        } else {
            RegSetValueExA(hkey, name[0] ? name : 0, 0, kind == 2 ? REG_EXPAND_SZ : REG_SZ, (const BYTE *)data,
                           (DWORD)lstrlenA(data) + 1);
        }
        RegCloseKey(hkey);
    }
    return 0;
}

static void Widen(const char *text, WCHAR *wide, int size) {
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide, size)) wide[0] = 0;
}

// 1 when the type library was registered.
LIBRARY_ENTRY REGTLB(const char *path) {
    if (!path) return 0;
    WCHAR wide[MAX_PATH];
    Widen(path, wide, MAX_PATH);
    ITypeLib *lib = 0;
    if (FAILED(LoadTypeLib(wide, &lib)) || !lib) return 0;
    HRESULT hr = RegisterTypeLib(lib, wide, 0);
    lib->Release();
    return SUCCEEDED(hr) ? 1 : 0;
}

// 0 when the shortcut file was written.
LIBRARY_ENTRY CREATELINK(const char *target, const char *linkPath, const char *workDir, const char *iconFile,
                         int iconIndex, const char *arguments, int hotKey) {
    if (!target || !linkPath) return 1;
    char texts[5][CONVERT_BUFFER_SIZE];
    const char *in[5] = {target, linkPath, workDir, iconFile, arguments};
    for (int i = 0; i < 5; i++) {
        CopyBounded(texts[i], in[i] ? in[i] : "", CONVERT_BUFFER_SIZE);
        CONVERTMACRO(texts[i], 3);
    }
    HRESULT init = CoInitialize(0);
    IShellLinkA *link = 0;
    int result = 1;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link))) {
        link->SetPath(texts[0]);
        if (texts[2][0]) link->SetWorkingDirectory(texts[2]);
        if (texts[3][0]) link->SetIconLocation(texts[3], iconIndex);
        if (texts[4][0]) link->SetArguments(texts[4]);
        // The script gives the virtual key alone; the shortcut fires with
        // Ctrl+Shift held.
        if (hotKey) link->SetHotkey(MAKEWORD(hotKey & 0xFF, HOTKEYF_CONTROL | HOTKEYF_SHIFT));
        IPersistFile *file = 0;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            WCHAR wide[MAX_PATH];
            Widen(texts[1], wide, MAX_PATH);
            if (SUCCEEDED(file->Save(wide, TRUE))) result = 0;
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return result;
}
