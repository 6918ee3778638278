// Windows detection over a table of version data, the main script's Windows
// requirement against it (detected codes, failure bits, messages shown), the
// initial variables in their order, shell folder values, numbers and disk
// space, and the restart at the end of a run.
#include <gtest/gtest.h>
#include <limits.h>
#include <shlobj.h>
#include <string>
#include <vector>
#include "driver.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "script/system_variables.h"
#include "script/variables.h"
#include "startup/checks.h"
#include "base/settings.h"
#include "startup/shutdown.h"
#include "base/text.h"

using namespace driver;

namespace {

TEST(WindowsFamily, VersionTable) {
    struct Row {
        DWORD platform, major, minor;
        WORD servicePack;
        int family, servicePackSeen;
    } rows[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 3, 95, 0, 1, -1},  // older than 95
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0, 1, -1},   // 95
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0, 2, -1},  // 98
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0, 16, -1}, // ME
        {VER_PLATFORM_WIN32_NT, 3, 51, 0, 4, -1},
        {VER_PLATFORM_WIN32_NT, 4, 0, 6, 4, -1},        // NT 4: no service pack kept
        {VER_PLATFORM_WIN32_NT, 5, 0, 4, 8, 4},         // 2000 SP4
        {VER_PLATFORM_WIN32_NT, 5, 1, 2, 32, -1},       // XP
        {VER_PLATFORM_WIN32_NT, 5, 2, 0, 0, -1},        // newer: unknown
        {VER_PLATFORM_WIN32_NT, 6, 1, 1, 0, -1},
    };
    for (const Row &row : rows) {
        int servicePack = -1;
        OSVERSIONINFOEXA v = {sizeof v, row.major, row.minor, 0, row.platform, "", row.servicePack};
        EXPECT_EQ(ClassifyWindowsVersion(v, &servicePack), row.family) << row.major << "." << row.minor;
        EXPECT_EQ(servicePack, row.servicePackSeen) << row.major << "." << row.minor;
    }
    // The running version, read with the extended structure.
    OSVERSIONINFOEXA running = {sizeof running};
    ASSERT_TRUE(GetVersionExA((OSVERSIONINFOA *)&running));
    int servicePack = 0;
    g_windowsFamily = 0;  // an unknown version leaves it
    EXPECT_EQ(DetectWindowsFamily(), 1);
    EXPECT_EQ(g_windowsFamily, ClassifyWindowsVersion(running, &servicePack));
}

TEST(SystemQueries, NumbersSaturateInsteadOfWrapping) {
    EXPECT_EQ(ParseDecimal("026"), 26);
    EXPECT_EQ(ParseDecimal("99999999999999999999"), INT_MAX);  // saturates
    EXPECT_EQ(ParseDecimal("2147483648"), INT_MAX);

    // Free space in KB saturates instead of wrapping.
    const unsigned long long kb = 1024;
    struct Case {
        unsigned long long bytes;
        int kb;
    } cases[] = {{5 * kb + 1023, 5}, {INT_MAX * kb, INT_MAX}, {(INT_MAX + 1ull) * kb, INT_MAX}, {~0ull, INT_MAX}};
    for (const Case &c : cases) EXPECT_EQ(FreeBytesToKB(c.bytes), c.kb) << c.bytes;
    // Cluster figures whose 32-bit product would wrap.
    EXPECT_EQ(ClusterSpaceToKB(64, 4096, 0x00100000), 268435456);  // 256 GB
    EXPECT_EQ(ClusterSpaceToKB(128, 4096, 0xFFFFFFFFu), INT_MAX);
    EXPECT_GT(GetFreeDiskSpaceKB("C:\\some\\folder"), 0);
    EXPECT_EQ(GetFreeDiskSpaceKB("Q:\\"), 0);
}

// Support library entries as start-up calls them.
std::vector<std::string> s_regCalls;
int SUPPORT_CALL FakeGetReg(int root, const char *key, const char *name, char *result, int) {
    s_regCalls.push_back(std::to_string(root) + ":" + key + ":" + name);
    wsprintfA(result, "reg-%s", name);
    return 1;
}
int SUPPORT_CALL FakeInitmak(const char *, int, int, int, int) { return 0; }

std::string Value(const std::string &name) {
    char value[256];
    GetVariable(name.c_str(), value);
    return value;
}

// The variables start-up adds, in their order behind the script's own; the
// registered user only when "RUI" asks for it.
TEST(InitVariablesTest, StartupVariablesInTheirOrder) {
    SupportLibrary saved = g_support;
    g_support.GETREG = FakeGetReg;
    g_support.INITMAK = FakeInitmak;
    std::string script = MakeTempFolder("ini") + "\\_SFX.DLG";
    CopyText(g_scriptPath, script.c_str(), sizeof g_scriptPath);
    ASSERT_TRUE(WriteFileBytes(script, "[DLG]\r\nRUI=0\r\n[VARIABLES]\r\n#=3\r\n1=%APPDATA%\r\n2=%DESK%\r\n"
                                       "3=%KEEP%\r\n%APPDATA%=%%26\r\n%DESK%=%%\r\n%KEEP%=%X%\r\n"));
    g_windowsFamily = 32;
    g_registeredOwner[0] = g_registeredOrganisation[0] = 0;
    InitVariables();
    // The test prefixes have a desktop and a documents folder.
    std::vector<std::string> expected = {
        "%APPDATA%", "%DESK%", "%KEEP%", "%UNINSTNAME%", "%INSTDIR%", "%ROOTDRV%", "%SOURCEDRV%", "%DESKTOPDIR%",
        "%PERSONALDIR%", "%USERNAME%", "%USERORG%", "%USERID%", "%PROGRAMFILESDIR%", "%COMMONFILESDIR%", "%WINDIR%",
        "%SYSDIR%", "%SYS32DIR%", "%FONTSDIR%", "%INSTDATE%", "%CLARIONIDX%", "%CLARIONID%", "%BINVAR_1%",
        "%BINVAR_2%", "%BINVAR_3%"};
    std::vector<std::string> listed;
    for (int i = 1; i <= GetPrivateProfileIntA("VARIABLES", "#", 0, g_scriptPath); i++) {
        char value[64];
        GetVariable(std::to_string(i).c_str(), value);
        listed.push_back(value);
    }
    EXPECT_EQ(listed, expected);

    char windows[MAX_PATH];
    std::string w(windows, GetWindowsDirectoryA(windows, sizeof windows));
    char path[MAX_PATH], desk[MAX_PATH];
    // "%%n" values become the shell folder's path.
    ASSERT_TRUE(GetSpecialFolderPath(path, 26) && GetSpecialFolderPath(desk, CSIDL_DESKTOP));
    std::pair<const char *, std::string> values[] = {
        {"%UNINSTNAME%", "uninstx.exe"}, {"%INSTDATE%", "00/00/0000 00:00:00"},
        {"%USERNAME%", ""},  {"%USERORG%", ""},  // RUI 0: the registry is not asked
        {"%PROGRAMFILESDIR%", "reg-ProgramFilesDir"}, {"%COMMONFILESDIR%", "reg-CommonFilesDir"},
        {"%WINDIR%", w}, {"%SYSDIR%", w + "\\SYSTEM"}, {"%SYS32DIR%", w + "\\SYSTEM32"},  // NT family under Wine
        {"%FONTSDIR%", w + "\\FONTS"}, {"%APPDATA%", path}, {"%DESK%", desk}, {"%KEEP%", "%X%"}};
    for (const auto &v : values) EXPECT_EQ(Value(v.first), v.second) << v.first;
    ASSERT_EQ(s_regCalls.size(), 2u);
    EXPECT_EQ(s_regCalls[0], "3:SOFTWARE\\Microsoft\\Windows\\CurrentVersion:ProgramFilesDir");

    ASSERT_TRUE(WriteFileBytes(script, "[DLG]\r\nRUI=1\r\n"));
    s_regCalls.clear();
    InitVariables();
    EXPECT_EQ(Value("%USERNAME%"), "reg-RegisteredOwner");
    EXPECT_EQ(Value("%USERORG%"), "reg-RegisteredOrganization");
    ASSERT_EQ(s_regCalls.size(), 4u);
    EXPECT_EQ(s_regCalls[0], "3:SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion:RegisteredOwner");
    g_support = saved;
}

// The support library's GETREG with a registry value far longer than the
// 80-byte owner and organisation buffers: cut inside the buffer, nothing
// written behind it.
TEST(RegistryValues, LongValueStaysInsideTheCallersBuffer) {
    HMODULE library = LoadLibraryA((ProgramFolder() + "\\supportlib.dll").c_str());
    ASSERT_NE(library, (HMODULE)0);
    auto getReg = (int(SUPPORT_CALL *)(int, const char *, const char *, char *, int))GetProcAddress(library, "GETREG");
    ASSERT_NE(getReg, nullptr);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\SetupEngineTest", 0, 0, 0, KEY_SET_VALUE, 0, &key, 0), 0);
    std::string owner(200, 'o');
    RegSetValueExA(key, "RegisteredOwner", 0, REG_SZ, (const BYTE *)owner.c_str(), (DWORD)owner.size() + 1);
    RegCloseKey(key);
    struct {
        char owner[80];
        char behind[200];
    } buffers;
    memset(&buffers, 'x', sizeof buffers);
    EXPECT_EQ(getReg(2, "Software\\SetupEngineTest", "RegisteredOwner", buffers.owner, 0), 1);
    EXPECT_EQ(std::string(buffers.owner), owner.substr(0, 79));
    EXPECT_EQ(std::string(buffers.behind, sizeof buffers.behind), std::string(sizeof buffers.behind, 'x'));
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SetupEngineTest");
    FreeLibrary(library);
}

const DWORD k95 = VER_PLATFORM_WIN32_WINDOWS, kNT = VER_PLATFORM_WIN32_NT;

// Detected codes (one per platform pair, 0 where none fits), failure bits
// and the messages shown (bit n-1 for message n). On NT 4 the service pack
// comes from its text (case ignored, the whole text must match) and the
// hotfix; any NT other than 5.x counts as NT.
TEST(VersionRequirementTest, DetectedCodesFailuresAndTheirMessages) {
    struct Case {
        int wanted[5];
        DWORD platform, major, minor;
        const char *csd;
        int servicePack, hotfix;
        int detected[5], bits, shown;  // -1: not looked at
    } cases[] = {
        {{0}, kNT, 6, 1, "", 0, 0, {0, 50}, 0, 0},
        {{0, 56}, kNT, 4, 0, "service pack 5", 0, 0, {0, 57}, 0, 0},
        {{0, 56}, kNT, 4, 0, "Service Pack 3", 0, 0, {0, 55}, 2, -1},
        {{0, 56}, kNT, 4, 0, "Service Pack 6", 0, 1, {0, 59}, 0, 0},
        {{0, 56}, kNT, 4, 0, "Service Pack 6a", 0, 1, {0, 50}, -1, -1},
        // Windows 2000 minimum on XP: below it, but XP was detected, so
        // quiet; on NT 5.2 no pair fits, nothing is detected: it shows.
        {{0, 0, 110}, kNT, 5, 1, "", 0, 0, {0, 0, 0, 0, 310}, 4, 0},
        {{0, 0, 110}, kNT, 5, 2, "", 0, 0, {0}, 4, 4},
        {{0, 0, 111}, kNT, 5, 0, "", 0, 0, {0, 0, 110}, 4, 4},  // service pack 1 wanted
        {{0, 0, 111}, kNT, 5, 0, "", 1, 0, {0, 0, 111}, 0, 0},
        {{30}, k95, 4, 10, "", 0, 0, {30}, 1, 1},  // Windows 95/98 excluded
        {{20}, k95, 4, 0, "", 0, 0, {10}, 1, 1},   // exactly Windows 98
        {{20}, k95, 4, 10, "", 0, 0, {20}, 0, 0},
        // XP wanted on ME: its own failure shows, ME's code hides nothing else.
        {{0, 0, 0, 0, 310}, k95, 4, 90, "", 0, 0, {0, 0, 0, 210}, 32, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(&c - cases);
        VersionRequirement r;
        for (int i = 0; i < 5; i++) r.wanted[i] = c.wanted[i];
        OSVERSIONINFOA v = {sizeof v, c.major, c.minor, 0, c.platform};
        lstrcpynA(v.szCSDVersion, c.csd, sizeof v.szCSDVersion);
        DetectRequirementCodes(r, v, c.servicePack, c.hotfix);
        for (int i = 0; i < 5; i++) EXPECT_EQ(r.detected[i], c.detected[i]) << "D" << i + 1;
        int bits = RequirementFailureBits(r), shown = 0;
        for (int n = 0; n < 5; n++)
            if ((bits & (n < 3 ? 1 << n : 1 << (n + 1))) && RequirementMessageShown(r, n)) shown |= 1 << n;
        if (c.bits >= 0) EXPECT_EQ(bits, c.bits);
        if (c.shown >= 0) EXPECT_EQ(shown, c.shown);
    }
}

std::vector<UINT> s_sessionEnds;
BOOL WINAPI RecordSessionEnd(UINT flags, DWORD) {
    s_sessionEnds.push_back(flags);
    return TRUE;
}

// The end of a run: only a setup that ended well with a file waiting for the
// restart asks (the end-to-end tests meet the question and its absence); a
// silent one with "srb" logs off; the answer OK reboots the Windows 95
// family and forces the restart on the NT family.
TEST(RestartTest, DecisionAndTheCallThatEndsTheSession) {
    EXPECT_EQ(ChooseRestart(0, 1, 1, 1), RESTART_LOG_OFF);
    EXPECT_EQ(ChooseRestart(9, 1, 1, 1), RESTART_NONE);
    g_exitWindows = RecordSessionEnd;
    RestartAfterQuestion(1);
    RestartAfterQuestion(2);
    g_exitWindows = ExitWindowsEx;
    EXPECT_EQ(s_sessionEnds, (std::vector<UINT>{EWX_REBOOT, EWX_REBOOT | EWX_FORCE}));
}

}  // namespace
