// What a run leaves on the disk while it works: its temp files and the
// folders the library writes its work files into. The run lists them in a
// journal in the temp folder ("VTJ*.tmp") that it holds open until it ends
// and then deletes; a journal that nobody holds is a killed run's, and the
// support library of the next run removes what it lists once that run's
// log is open (INITMAK).
#pragma once

// Adds a temp file of this run to the journal (opened on the first call).
void NoteLeftover(const char *path);
// Adds a folder the library writes work files ("VTU*.tmp") into; a folder
// noted last is not noted again.
void NoteWorkFolder(const char *folder);
// At the end of the run: the journal is closed and deleted.
void EndLeftovers();
