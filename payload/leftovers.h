// What a run leaves on the disk while it works: its temp files (and, in a
// journal of the support library's own, the folders it writes its work
// files into). The run lists them in a journal in the temp folder
// ("VTJ*.tmp") that it holds open until it ends and then deletes; a journal
// that nobody holds is a killed run's, and the support library of the next
// run removes what it lists once that run's log is open (INITMAK).
#pragma once

// Adds a temp file of this run to the journal (opened on the first call).
void NoteLeftover(const char *path);
// At the end of the run: the journal is closed and deleted.
void EndLeftovers();
