#include "startup/checks.h"
#include <windows.h>

int IsAdministrator() {
    SC_HANDLE manager = OpenSCManagerA(0, 0, GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
    if (!manager) return 0;
    CloseServiceHandle(manager);
    return 1;
}

int CheckIntegrity() { return 1; }
int CheckAdministratorRequirement() { return 1; }
int CheckSystemRequirements() { return 1; }
