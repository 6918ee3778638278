#include "actions/action_runner.h"
int RunActions(int phase, HWND parent) { return 0; }
