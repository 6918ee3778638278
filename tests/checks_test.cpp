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

struct Outcome {
    int bits;
    int shown;  // bit mask of the messages 1..5 that show (bit n-1)
};

Outcome Check(const int (&wanted)[5], const OSVERSIONINFOA &v, int servicePack = 0, int hotfix = 0) {
    VersionRequirement r;
    for (int i = 0; i < 5; i++) r.wanted[i] = wanted[i];
    DetectRequirementCodes(r, v, servicePack, hotfix);
    Outcome o = {RequirementFailureBits(r), 0};
    static const int bit[5] = {1, 2, 4, 16, 32};
    for (int n = 0; n < 5; n++)
        if ((o.bits & bit[n]) && RequirementMessageShown(r, n)) o.shown |= 1 << n;
    return o;
}

}  // namespace

TEST(VersionRequirementTest, DetectedCodeOnlyForTheRunningPlatform) {
    VersionRequirement r = {{0, 0, 0, 0, 0}, {}};
    DetectRequirementCodes(r, Version(k95, 4, 10), 0, 0);
    EXPECT_EQ(r.detected[0], 20);  // Windows 98
    DetectRequirementCodes(r, Version(k95, 4, 0), 0, 0);
    EXPECT_EQ(r.detected[0], 10);
    DetectRequirementCodes(r, Version(k95, 4, 90), 0, 0);
    EXPECT_EQ(r.detected[0], 0);
    EXPECT_EQ(r.detected[3], 210);
    DetectRequirementCodes(r, Version(kNT, 5, 1), 0, 0);
    EXPECT_EQ(r.detected[4], 310);
    DetectRequirementCodes(r, Version(kNT, 5, 2), 0, 0);  // no pair for it
    for (int d : r.detected) EXPECT_EQ(d, 0);
    DetectRequirementCodes(r, Version(kNT, 6, 1), 0, 0);  // NT other than 5.x: the NT pair
    EXPECT_EQ(r.detected[1], 50);
    EXPECT_EQ(r.detected[0] + r.detected[2] + r.detected[3] + r.detected[4], 0);
}

TEST(VersionRequirementTest, NtFourServicePacksAndTheHotfix) {
    VersionRequirement r = {{0, 56, 0, 0, 0}, {}};
    DetectRequirementCodes(r, Version(kNT, 4, 0, "service pack 5"), 0, 0);
    EXPECT_EQ(r.detected[1], 57);  // case is ignored
    EXPECT_EQ(RequirementFailureBits(r), 0);
    DetectRequirementCodes(r, Version(kNT, 4, 0, "Service Pack 3"), 0, 0);
    EXPECT_EQ(r.detected[1], 55);
    EXPECT_EQ(RequirementFailureBits(r), 2);
    DetectRequirementCodes(r, Version(kNT, 4, 0, "Service Pack 6"), 0, 1);
    EXPECT_EQ(r.detected[1], 59);
    DetectRequirementCodes(r, Version(kNT, 4, 0, "Service Pack 6a"), 0, 1);
    EXPECT_EQ(r.detected[1], 50);  // the whole text must match
}

TEST(VersionRequirementTest, FailuresAndTheirMessages) {
    // Windows 2000 minimum on XP: below it, but XP was detected, so quiet.
    Outcome o = Check({0, 0, 110, 0, 0}, Version(kNT, 5, 1));
    EXPECT_EQ(o.bits, 4);
    EXPECT_EQ(o.shown, 0);
    // On NT 5.2 nothing is detected: the message shows.
    o = Check({0, 0, 110, 0, 0}, Version(kNT, 5, 2));
    EXPECT_EQ(o.shown, 4);
    // Windows 2000 without a service pack against a service-pack-1 minimum.
    o = Check({0, 0, 111, 0, 0}, Version(kNT, 5, 0), 0);
    EXPECT_EQ(o.shown, 4);
    o = Check({0, 0, 111, 0, 0}, Version(kNT, 5, 0), 1);
    EXPECT_EQ(o.bits, 0);
    // Windows 95/98 excluded on Windows 98.
    o = Check({30, 0, 0, 0, 0}, Version(k95, 4, 10));
    EXPECT_EQ(o.bits, 1);
    EXPECT_EQ(o.shown, 1);
    // Exactly Windows 98 wanted: Windows 95 fails, Windows 98 passes.
    EXPECT_EQ(Check({20, 0, 0, 0, 0}, Version(k95, 4, 0)).shown, 1);
    EXPECT_EQ(Check({20, 0, 0, 0, 0}, Version(k95, 4, 10)).bits, 0);
    // XP wanted on ME: its own failure shows, ME's detected code hides
    // nothing else.
    o = Check({0, 0, 0, 0, 310}, Version(k95, 4, 90));
    EXPECT_EQ(o.bits, 32);
    EXPECT_EQ(o.shown, 0);
    EXPECT_EQ(Check({0, 0, 0, 0, 0}, Version(kNT, 5, 1)).bits, 0);
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
    EXPECT_EQ(ChooseRestart(0, 1, 0, 0), RESTART_ASK);
    EXPECT_EQ(ChooseRestart(0, 1, 1, 0), RESTART_ASK);
    EXPECT_EQ(ChooseRestart(0, 1, 0, 1), RESTART_ASK);
    EXPECT_EQ(ChooseRestart(0, 1, 1, 1), RESTART_LOG_OFF);
    EXPECT_EQ(ChooseRestart(2, 1, 0, 0), RESTART_NONE);
    EXPECT_EQ(ChooseRestart(9, 1, 1, 1), RESTART_NONE);
    EXPECT_EQ(ChooseRestart(0, 0, 1, 1), RESTART_NONE);
    g_exitWindows = RecordSessionEnd;
    RestartAfterQuestion(1);
    RestartAfterQuestion(2);
    g_exitWindows = ExitWindowsEx;
    EXPECT_EQ(s_sessionEnds, (std::vector<UINT>{EWX_REBOOT, EWX_REBOOT | EWX_FORCE}));
}
