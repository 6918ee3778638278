// A library that registers itself: DllRegisterServer writes its own path
// to HKEY_CURRENT_USER\Software\E2E Finish, value "SelfReg";
// DllUnregisterServer removes it. While the environment names a file in
// "E2E_UNREGISTER_HOLD", DllUnregisterServer first makes that name with
// ".in" added and waits until the file is gone, so that a test can stop
// the caller at a known record.
//
// Built with LOAD_PROBE it is the library a test checks was never loaded:
// loading it leaves "<its path>.loaded" beside it. It then also has the ODBC
// setup library's removal entries.
#include <windows.h>

static HMODULE s_module;

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        s_module = module;
#ifdef LOAD_PROBE
        char path[MAX_PATH + 8];
        DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
        lstrcpyA(path + n, ".loaded");
        CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
#endif
    }
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(s_module, path, sizeof path);
    HKEY key;
    if (!n || RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\E2E Finish", 0, 0, 0, KEY_SET_VALUE, 0, &key, 0) != 0)
        return E_FAIL;
    LONG r = RegSetValueExA(key, "SelfReg", 0, REG_SZ, (const BYTE *)path, n + 1);
    RegCloseKey(key);
    return r == 0 ? S_OK : E_FAIL;
}

// Unregistering takes the value and the key away again.
extern "C" __declspec(dllexport) HRESULT WINAPI DllUnregisterServer() {
    char hold[MAX_PATH + 4];
    if (GetEnvironmentVariableA("E2E_UNREGISTER_HOLD", hold, MAX_PATH) && GetFileAttributesA(hold) != INVALID_FILE_ATTRIBUTES) {
        int n = lstrlenA(hold);
        lstrcpyA(hold + n, ".in");
        CloseHandle(CreateFileA(hold, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0));
        hold[n] = 0;
        for (int i = 0; i < 6000 && GetFileAttributesA(hold) != INVALID_FILE_ATTRIBUTES; i++) Sleep(50);
    }
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\E2E Finish", 0, KEY_SET_VALUE, &key) != 0) return S_OK;
    RegDeleteValueA(key, "SelfReg");
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\E2E Finish");
    return S_OK;
}

#ifdef LOAD_PROBE
extern "C" __declspec(dllexport) int WINAPI REMOVEODBC(const char *) { return 0; }
extern "C" __declspec(dllexport) int WINAPI REMOVEDSN(const char *) { return 0; }
#endif
