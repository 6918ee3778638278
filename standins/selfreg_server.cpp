// A self-registering server: registering writes a key that names the
// library, unregistering removes it, so tests see both happen.
#include <windows.h>

static HMODULE s_module;
static const char kKey[] = "Software\\E2E SelfReg";

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) s_module = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    char path[MAX_PATH];
    GetModuleFileNameA(s_module, path, MAX_PATH);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, 0, 0, KEY_SET_VALUE, 0, &key, 0) != ERROR_SUCCESS) return E_FAIL;
    RegSetValueExA(key, "Server", 0, REG_SZ, (const BYTE *)path, (DWORD)lstrlenA(path) + 1);
    RegCloseKey(key);
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return RegDeleteKeyA(HKEY_CURRENT_USER, kKey) == ERROR_SUCCESS ? S_OK : E_FAIL;
}
