// The Windows requirement of the main script against version data: the
// detected codes per platform, the failure bits and which messages show.
#include <gtest/gtest.h>
#include "startup/checks.h"
#include "startup/shutdown.h"
#include <vector>

namespace {

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, const char *csd = "") {
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
    v.dwPlatformId = platform;
    v.dwMajorVersion = major;
    v.dwMinorVersion = minor;
    lstrcpynA(v.szCSDVersion, csd, sizeof v.szCSDVersion);
    return v;
}

const DWORD k95 = VER_PLATFORM_WIN32_WINDOWS, kNT = VER_PLATFORM_WIN32_NT;

}  // namespace

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
        DetectRequirementCodes(r, Version(c.platform, c.major, c.minor, c.csd), c.servicePack, c.hotfix);
        for (int i = 0; i < 5; i++) EXPECT_EQ(r.detected[i], c.detected[i]) << "D" << i + 1;
        int bits = RequirementFailureBits(r), shown = 0;
        for (int n = 0; n < 5; n++)
            if ((bits & (n < 3 ? 1 << n : 1 << (n + 1))) && RequirementMessageShown(r, n)) shown |= 1 << n;
        if (c.bits >= 0) EXPECT_EQ(bits, c.bits);
        if (c.shown >= 0) EXPECT_EQ(shown, c.shown);
    }
}

namespace {
std::vector<UINT> s_sessionEnds;
BOOL WINAPI RecordSessionEnd(UINT flags, DWORD) {
    s_sessionEnds.push_back(flags);
    return TRUE;
}
}  // namespace

// The end of a run: only a setup that ended well with a file waiting for the
// restart asks; a silent one with "srb" logs off; the answer OK reboots the
// Windows 95 family and forces the restart on the NT family.
TEST(RestartTest, DecisionAndTheCallThatEndsTheSession) {
    EXPECT_EQ(ChooseRestart(0, 1, 1, 0), RESTART_ASK);
    EXPECT_EQ(ChooseRestart(0, 1, 1, 1), RESTART_LOG_OFF);
    EXPECT_EQ(ChooseRestart(9, 1, 1, 1), RESTART_NONE);
    EXPECT_EQ(ChooseRestart(0, 0, 1, 1), RESTART_NONE);
    g_exitWindows = RecordSessionEnd;
    RestartAfterQuestion(1);
    RestartAfterQuestion(2);
    g_exitWindows = ExitWindowsEx;
    EXPECT_EQ(s_sessionEnds, (std::vector<UINT>{EWX_REBOOT, EWX_REBOOT | EWX_FORCE}));
}
