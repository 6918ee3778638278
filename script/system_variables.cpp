#include "script/system_variables.h"
#include <limits.h>
#include <shlobj.h>
#include "payload/binding.h"
#include "script/settings.h"
#include "script/variables.h"
#include "base/settings.h"
#include "base/text.h"

const char g_windowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char g_windowsNtKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
char g_registeredOwner[80];
char g_registeredOrganisation[80];
char g_binaryVariables[3][50];

int ClassifyWindowsVersion(const OSVERSIONINFOEXA &v, int *servicePack) {
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (v.dwMajorVersion < 4 || (v.dwMajorVersion == 4 && v.dwMinorVersion == 0)) return 1;
        if (v.dwMinorVersion == 90) return 16;
        return 2;
    }
    if (v.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (v.dwMajorVersion <= 4) return 4;
        if (v.dwMajorVersion == 5 && v.dwMinorVersion == 0) {
            if (servicePack) *servicePack = v.wServicePackMajor;
            return 8;
        }
        if (v.dwMajorVersion == 5 && v.dwMinorVersion == 1) return 32;
    }
    return 0;
}

int DetectWindowsFamily() {
    OSVERSIONINFOEXA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA((OSVERSIONINFOA *)&version)) {
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA((OSVERSIONINFOA *)&version)) return 0;
    }
    int family = ClassifyWindowsVersion(version, &g_servicePack);
    if (family) g_windowsFamily = family;
    return 1;
}

int ParseDecimal(const char *text) {
    // A long run of digits saturates rather than overflowing.
    int value = 0;
    for (; *text; text++) {
        long long next = (long long)value * 10 + (*text - '0');
        value = next > 0x7FFFFFFF ? 0x7FFFFFFF : next < -0x7FFFFFFF ? -0x7FFFFFFF : (int)next;
    }
    return value;
}

int GetSpecialFolderPath(char *buffer, int folderId) {
    IMalloc *allocator = 0;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator) return 0;
    LPITEMIDLIST list = 0;
    int ok = 0;
    if (SUCCEEDED(SHGetSpecialFolderLocation(0, folderId, &list)) && list) {
        ok = SHGetPathFromIDListA(list, buffer) ? 1 : 0;
        allocator->Free(list);
    }
    allocator->Release();
    return ok;
}

void ResolveFolderVariables() {
    int count = GetPrivateProfileIntA("VARIABLES", "#", 0, g_scriptPath);
    for (int i = 1; i <= count; i++) {
        char key[16], name[50], value[VARIABLE_TEXT], path[MAX_PATH];
        wsprintfA(key, "%i", i);
        GetPrivateProfileStringA("VARIABLES", key, "", name, sizeof name, g_scriptPath);
        ReadVariable(name, value);
        if (value[0] != '%' || value[1] != '%') continue;
        if (GetSpecialFolderPath(path, ParseDecimal(value + 2))) SetVariableValue(name, path);
    }
}

int FreeBytesToKB(unsigned long long bytes) {
    unsigned long long kb = bytes / 1024;
    return kb > (unsigned long long)INT_MAX ? INT_MAX : (int)kb;
}

int ClusterSpaceToKB(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters) {
    return FreeBytesToKB((unsigned long long)sectorsPerCluster * bytesPerSector * freeClusters);
}

typedef BOOL(WINAPI *PFN_GetDiskFreeSpaceExA)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

int GetFreeDiskSpaceKB(const char *path) {
    char root[4];
    CopyText(root, path, sizeof root);
    PFN_GetDiskFreeSpaceExA getFreeEx = (PFN_GetDiskFreeSpaceExA)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA");
    if (getFreeEx) {
        ULARGE_INTEGER available, total, free;
        if (!getFreeEx(root, &available, &total, &free)) return 0;
        return FreeBytesToKB(free.QuadPart);
    }
    DWORD spc, bps, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &spc, &bps, &freeClusters, &clusters)) return 0;
    return ClusterSpaceToKB(spc, bps, freeClusters);
}

// "%s<suffix>" of the Windows folder as a variable.
static void AddWindowsSubfolder(const char *name, const char *windowsDir, const char *suffix) {
    char path[PATH_TEXT + 16];
    CopyText(path, windowsDir, sizeof path);
    AppendText(path, suffix, sizeof path);
    AddVariable(name, path);
}

void InitVariables() {
    AddVariable("%UNINSTNAME%", "uninstx.exe");
    AddVariable("%INSTDIR%", "");
    AddVariable("%ROOTDRV%", "");
    AddVariable("%SOURCEDRV%", "");
    ResolveFolderVariables();

    char path[MAX_PATH];
    if (GetSpecialFolderPath(path, CSIDL_DESKTOP)) AddVariable("%DESKTOPDIR%", path);
    if (GetSpecialFolderPath(path, CSIDL_PERSONAL)) AddVariable("%PERSONALDIR%", path);

    g_platform = (GetVersion() & 0x80000000u) ? 1 : 2;
    if (ReadDlgInt("RUI", 0)) {
        const char *key = g_platform == 2 ? g_windowsNtKey : g_windowsKey;
        g_support.GETREG(3, key, "RegisteredOwner", g_registeredOwner, 0);
        g_support.GETREG(3, key, "RegisteredOrganization", g_registeredOrganisation, 0);
    }
    AddVariable("%USERNAME%", g_registeredOwner);
    AddVariable("%USERORG%", g_registeredOrganisation);
    AddVariable("%USERID%", g_userId);

    char value[VARIABLE_TEXT];
    value[0] = 0;
    g_support.GETREG(3, g_windowsKey, "ProgramFilesDir", value, 0);
    AddVariable("%PROGRAMFILESDIR%", value);
    value[0] = 0;
    g_support.GETREG(3, g_windowsKey, "CommonFilesDir", value, 0);
    AddVariable("%COMMONFILESDIR%", value);

    GetWindowsDirectoryA(g_windowsDir, PATH_TEXT);
    AddVariable("%WINDIR%", g_windowsDir);
    AddWindowsSubfolder("%SYSDIR%", g_windowsDir, "\\SYSTEM");
    AddWindowsSubfolder("%SYS32DIR%", g_windowsDir, g_platform == 2 ? "\\SYSTEM32" : "\\SYSTEM");
    AddWindowsSubfolder("%FONTSDIR%", g_windowsDir, "\\FONTS");

    AddVariable("%INSTDATE%", "00/00/0000 00:00:00");
    AddVariable("%CLARIONIDX%", "");
    AddVariable("%CLARIONID%", "");

    char field[51];
    static const char *const kBinaryNames[3] = {"%BINVAR_1%", "%BINVAR_2%", "%BINVAR_3%"};
    for (int i = 0; i < 3; i++) {
        CopyMemory(field, g_binaryVariables[i], 50);
        field[50] = 0;  // a full field still ends
        AddVariable(kBinaryNames[i], field);
    }

    g_support.INITMAK(g_scriptPath, g_platform, g_windowsFamily, g_clarionVersion, 0);
}
