#include "startup/checks.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "base/settings.h"
#include "startup/shutdown.h"

static const int kExclusion[5] = {30, 90, 190, 290, 390};
static const int kFailureBit[5] = {1, 2, 4, 16, 32};

int IsAdministrator() {
    SC_HANDLE manager = OpenSCManagerA(0, 0, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
    if (!manager) return 0;
    CloseServiceHandle(manager);
    return 1;
}

int HasHotfixQ246009() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0, size = sizeof value;
    LONG r = RegQueryValueExA(key, "Installed", 0, 0, (BYTE *)&value, &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && value != 0;
}

// The "UPD" notice only shows a text while the checksum is computed.
static INT_PTR CALLBACK NoticeDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

int CheckIntegrity() {
    int stored = ReadSettingInt("SIG", "CheckSum", 0);
    if (stored == 0) return 1;
    int size = ReadSettingInt("SIG", "Size", 0);
    HCURSOR arrow = SetCursor(LoadCursorA(0, (LPCSTR)IDC_WAIT));
    HWND notice = CreateDialogParamA(g_instance, "UPD", 0, NoticeDialogProc, 0);
    if (notice) {
        char text[255];
        ReadDlgText("C86", text, sizeof text);
        SetDlgItemTextA(notice, 901, text);
    }
    int computed = g_support.SFXSIG(g_ownPath, size);
    if (notice) DestroyWindow(notice);
    SetCursor(arrow ? arrow : LoadCursorA(0, (LPCSTR)IDC_ARROW));
    if (computed == stored) return 1;
    char text[255];
    ReadDlgText("C67", text, sizeof text);
    MessageBoxA(0, text, g_messageTitle, MB_ICONSTOP);
    return 0;
}

int CheckAdministratorRequirement() {
    if (g_isAdministrator || !ReadDlgInt("APR", 0) || g_platform != 2) return 1;
    char text[255];
    ReadDlgText("C70", text, sizeof text);
    MessageBoxA(0, text, g_messageTitle, MB_TASKMODAL);
    return 0;
}

void DetectRequirementCodes(VersionRequirement &r, const OSVERSIONINFOA &v, int servicePack, int hasHotfix) {
    for (int i = 0; i < 5; i++) r.detected[i] = 0;
    DWORD major = v.dwMajorVersion, minor = v.dwMinorVersion;
    if (v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (major == 4 && minor == 90) {
            r.detected[3] = r.wanted[3] == 290 ? 290 : 210;
        } else {
            int code = (major == 4 && minor != 0) ? 20 : 10;
            r.detected[0] = r.wanted[0] == 30 ? 30 : code;
        }
    } else if (v.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (major == 5 && minor == 0) {
            int code = r.wanted[2] == 190 ? 190 : 110;
            if (r.wanted[2] > 100 && r.wanted[2] < 200 && servicePack == 1) code = 111;
            r.detected[2] = code;
        } else if (major == 5 && minor == 1) {
            r.detected[4] = r.wanted[4] == 390 ? 390 : 310;
        } else if (major != 5) {  // NT 4 and older, and NT 6 and later
            int code = r.wanted[1] == 90 ? 90 : 50;
            if (r.wanted[1] > 50 && r.wanted[1] < 100) {
                static const char *const packs[] = {"Service Pack 3", "Service Pack 4", "Service Pack 5",
                                                    "Service Pack 6"};
                for (int i = 0; i < 4; i++)
                    if (lstrcmpiA(v.szCSDVersion, packs[i]) == 0) code = 55 + i;
                if (code == 58 && hasHotfix) code = 59;
            }
            r.detected[1] = code;
        }
    }
}

// An exact-version requirement (Windows 95/98, ME, XP) fails on another
// version of its platform, on its exclusion code, and off its platform.
static int ExactFails(int wanted, int detected, int exclusion) {
    return detected == exclusion || (detected != 0 && detected != wanted) || (detected == 0 && wanted != exclusion);
}

// A minimum requirement (NT 4, Windows 2000) fails below its code.
static int MinimumFails(int wanted, int detected, int floor, int exclusion) {
    return wanted > floor && detected < wanted && (detected != 0 || wanted != exclusion);
}

int RequirementFailureBits(const VersionRequirement &r) {
    const int *w = r.wanted, *d = r.detected;
    int bits = 0;
    if (w[0] != 0 && ExactFails(w[0], d[0], 30)) bits |= 1;
    if (MinimumFails(w[1], d[1], 50, 90)) bits |= 2;
    if (MinimumFails(w[2], d[2], 100, 190)) bits |= 4;
    if (w[3] > 200 && ExactFails(w[3], d[3], 290)) bits |= 16;
    if (w[4] > 300 && ExactFails(w[4], d[4], 390)) bits |= 32;
    return bits;
}

int RequirementMessageShown(const VersionRequirement &r, int n) {
    if (r.wanted[n] == kExclusion[n]) return 1;
    for (int i = 0; i < 5; i++)
        if (i != n && r.detected[i] != 0) return 0;
    return 1;
}

// Message and caption of one check from [CFC]; 0 when the run must end.
static int WarnOrEnd(const char *textKey, const char *captionKey, const char *policyKey) {
    char text[255], caption[80];
    ReadSetting("CFC", textKey, text, sizeof text);
    ReadSetting("CFC", captionKey, caption, sizeof caption);
    MessageBoxA(0, text, caption, MB_TASKMODAL);
    return ReadSettingInt("CFC", policyKey, 0) != 2;
}

static int CheckWindowsVersion() {
    VersionRequirement r;
    int any = 0;
    for (int i = 0; i < 5; i++) {
        char key[4] = {'W', 'V', (char)('1' + i), 0};
        r.wanted[i] = ReadSettingInt("CFC", key, 0);
        any |= r.wanted[i];
    }
    if (!any) return 1;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    DetectRequirementCodes(r, version, g_servicePack, version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                                                          version.dwMajorVersion < 5 && HasHotfixQ246009());
    int bits = RequirementFailureBits(r);
    for (int n = 0; n < 5; n++) {
        if (!(bits & kFailureBit[n]) || !RequirementMessageShown(r, n)) continue;
        char text[4] = {'W', 'M', (char)('1' + n), 0}, caption[4] = {'W', 'T', (char)('1' + n), 0},
             policy[4] = {'W', 'P', (char)('1' + n), 0};
        if (!WarnOrEnd(text, caption, policy)) return 0;
    }
    return 1;
}

static int CheckScreen() {
    int width = ReadSettingInt("CFC", "RES", 0);
    if (GetSystemMetrics(SM_CXSCREEN) < width && !WarnOrEnd("RE2", "RE1", "RE3")) return 0;
    int wanted = ReadSettingInt("CFC", "COL", 0);
    HDC screen = GetDC(0);
    if (!screen) return 1;
    int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(0, screen);
    unsigned colours = 1u << (bits % 32);
    if (colours < (unsigned)wanted && colours != 1 && !WarnOrEnd("CO2", "CO1", "CO3")) return 0;
    return 1;
}

int CheckSystemRequirements() { return CheckWindowsVersion() && CheckScreen(); }
