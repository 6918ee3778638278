// Starting programs: custom actions, the run-after-setup list [RUN].
#pragma once
#include <windows.h>

// Starts program with parameters in folder (empty or unusable: the current
// folder, which is the same again afterwards). shell: through the shell
// (nothing waits); else wait: until the program has ended. A program that
// cannot be started is recorded in the install log ("Error  :").
void RunProgram(const char *program, const char *parameters, const char *folder, int wait, int shell);
// Starts the program and returns when it has ended; the setup's windows
// keep painting meanwhile. 0 when it could not be started.
int RunAndWait(const char *program, const char *parameters);
// folder := everything before the last backslash, name := after it.
void SplitPath(const char *path, char *folder, int folderSize, char *name, int nameSize);
// Plays a sound file and returns when it has ended.
void PlaySoundFile(const char *file);
// Non-zero when letter (one character, or empty) is among the selected
// component letters.
int ComponentLetterSelected(const char *letter);
// Starts the items of [RUN] that apply; an item with "+%icb" n (1 to 3)
// only when the finish page's check box n is ticked in boxMask (1, 2, 4).
// A silent setup starts none: nobody ticked a box. Always 0.
int RunAfterSetupList(int boxMask);
