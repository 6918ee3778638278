// Undoing the setup's own run when the copy stops half way.
#pragma once

// Reads this run's block of the install log and undoes it: written files
// removed, replaced files restored from their backups, shared counts and
// font entries taken back, created folders removed when empty. Writes the
// "Undone :" record that tells the uninstaller the block needs nothing
// more. Nothing happens in test mode or without a log.
void RollBackRun(const char *why);
