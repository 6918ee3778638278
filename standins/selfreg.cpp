// A library that registers itself: DllRegisterServer writes its own path
// to HKEY_CURRENT_USER\Software\E2E Finish, value "SelfReg";
// DllUnregisterServer removes it.
#include <windows.h>

static HMODULE s_module;

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) s_module = module;
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
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\E2E Finish", 0, KEY_SET_VALUE, &key) != 0) return S_OK;
    RegDeleteValueA(key, "SelfReg");
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\E2E Finish");
    return S_OK;
}
