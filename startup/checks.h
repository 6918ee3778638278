// Start-up checks: the program file's checksum and the machine's
// requirements. Each Check... returns 1 when the run may go on; on 0 the
// check has shown its message and the run ends quietly.
#pragma once
#include <windows.h>

int IsAdministrator();
int HasHotfixQ246009();
int CheckIntegrity();
int CheckAdministratorRequirement();
int CheckSystemRequirements();

// The Windows requirement of [CFC] "WV1".."WV5" against the running
// version: one detected code per platform pair, then the failure bits
// 1, 2, 4, 16, 32.
struct VersionRequirement {
    int wanted[5];    // WV1..WV5
    int detected[5];  // D1..D5
};
void DetectRequirementCodes(VersionRequirement &r, const OSVERSIONINFOA &version, int servicePack,
                            int hasHotfix);
int RequirementFailureBits(const VersionRequirement &r);
// Whether the message of failure n (0..4) is shown: the wanted code is the
// platform's exclusion code, or no other platform was detected.
int RequirementMessageShown(const VersionRequirement &r, int n);
