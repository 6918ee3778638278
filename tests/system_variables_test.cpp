// Windows detection over a table of version data, the initial variables in
// their order, shell folder values, numbers and disk space.
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
#include "startup/globals.h"
#include "startup/text.h"

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
int s_initmakPlatform, s_initmakFamily;
int SUPPORT_CALL FakeGetReg(int root, const char *key, const char *name, char *result, int) {
    s_regCalls.push_back(std::to_string(root) + ":" + key + ":" + name);
    wsprintfA(result, "reg-%s", name);
    return 1;
}
int SUPPORT_CALL FakeInitmak(const char *, int platform, int family, int, int) {
    s_initmakPlatform = platform;
    s_initmakFamily = family;
    return 0;
}

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
    std::vector<std::string> expected = {
        "%APPDATA%", "%DESK%", "%KEEP%", "%UNINSTNAME%", "%INSTDIR%", "%ROOTDRV%", "%SOURCEDRV%"};
    char path[MAX_PATH];
    bool desktop = GetSpecialFolderPath(path, CSIDL_DESKTOP) != 0;
    if (desktop) expected.push_back("%DESKTOPDIR%");
    if (GetSpecialFolderPath(path, CSIDL_PERSONAL)) expected.push_back("%PERSONALDIR%");
    for (const char *name : {"%USERNAME%", "%USERORG%", "%USERID%", "%PROGRAMFILESDIR%", "%COMMONFILESDIR%",
                             "%WINDIR%", "%SYSDIR%", "%SYS32DIR%", "%FONTSDIR%", "%INSTDATE%", "%CLARIONIDX%",
                             "%CLARIONID%", "%BINVAR_1%", "%BINVAR_2%", "%BINVAR_3%"})
        expected.push_back(name);
    std::vector<std::string> listed;
    for (int i = 1; i <= GetPrivateProfileIntA("VARIABLES", "#", 0, g_scriptPath); i++) {
        char value[64];
        GetVariable(std::to_string(i).c_str(), value);
        listed.push_back(value);
    }
    EXPECT_EQ(listed, expected);

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string w = windows;
    ASSERT_TRUE(GetSpecialFolderPath(path, 26));  // "%%n" values become the shell folder's path
    std::string appData = path, desk = desktop && GetSpecialFolderPath(path, CSIDL_DESKTOP) ? path : "";
    std::pair<const char *, std::string> values[] = {
        {"%UNINSTNAME%", "uninstx.exe"}, {"%INSTDATE%", "00/00/0000 00:00:00"},
        {"%USERNAME%", ""},  {"%USERORG%", ""},  // RUI 0: the registry is not asked
        {"%PROGRAMFILESDIR%", "reg-ProgramFilesDir"}, {"%COMMONFILESDIR%", "reg-CommonFilesDir"},
        {"%WINDIR%", w}, {"%SYSDIR%", w + "\\SYSTEM"}, {"%SYS32DIR%", w + "\\SYSTEM32"},  // NT family under Wine
        {"%FONTSDIR%", w + "\\FONTS"}, {"%APPDATA%", appData}, {"%DESK%", desk}, {"%KEEP%", "%X%"}};
    for (const auto &v : values)
        if (v.first != std::string("%DESK%") || desktop) EXPECT_EQ(Value(v.first), v.second) << v.first;
    ASSERT_EQ(s_regCalls.size(), 2u);
    EXPECT_EQ(s_regCalls[0], "3:SOFTWARE\\Microsoft\\Windows\\CurrentVersion:ProgramFilesDir");
    EXPECT_EQ(s_initmakPlatform, 2);
    EXPECT_EQ(s_initmakFamily, 32);

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

}  // namespace
