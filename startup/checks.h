// Start-up checks: the program file's checksum and the machine's
// requirements. Each returns 1 when the run may go on.
#pragma once

int IsAdministrator();
int CheckIntegrity();
int CheckAdministratorRequirement();
int CheckSystemRequirements();
