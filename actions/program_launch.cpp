#include "actions/program_launch.h"
#include "install/install_log.h"
#include "payload/binding.h"
#include "script/settings.h"
#include "base/settings.h"
#include "wizard/choices.h"
#include "base/text.h"
#include <mmsystem.h>

#define COMMAND_TEXT 512

namespace {

// "program parameters", the program quoted when it holds a blank (else
// Windows tries "C:\Program" first); 0 when the whole line does not fit.
int BuildCommandLine(char *line, const char *program, const char *parameters) {
    int quote = program[0] != '"';
    if (quote) {
        quote = 0;
        for (const char *p = program; *p; p++)
            if (*p == ' ') quote = 1;
    }
    if (TextLength(program) + TextLength(parameters) + 4 >= COMMAND_TEXT) return 0;
    CopyText(line, quote ? "\"" : "", COMMAND_TEXT);
    AppendText(line, program, COMMAND_TEXT);
    AppendText(line, quote ? "\" " : " ", COMMAND_TEXT);
    AppendText(line, parameters, COMMAND_TEXT);
    return 1;
}

void RecordStartFailure(const char *what) {
    char text[256];
    CopyText(text, "Cannot start: ", sizeof text);
    AppendText(text, what, sizeof text);
    LogRecord("Error  :", text);
}

// Expanded string field of a [RUN] item (127 characters); 0 when it does
// not fit, before or after expansion (a cut path names another program).
int ReadExpanded(int item, const char *field, char *buffer) {
    char text[256];
    ReadListField("RUN", item, field, text, 127);
    int fits = TextLength(text) < 126;
    if (g_support.CONVERTMACRO) g_support.CONVERTMACRO(text, 3);
    text[255] = 0;
    CopyText(buffer, text, 127);
    return fits && TextLength(text) < 126;
}

}  // namespace

void SplitPath(const char *path, char *folder, int folderSize, char *name, int nameSize) {
    int last = -1;
    for (int i = 0; path[i]; i++)
        if (path[i] == '\\') last = i;
    CopyText(folder, path, last < 0 ? 1 : (last + 1 < folderSize ? last + 1 : folderSize));
    CopyText(name, path + last + 1, nameSize);
}

int RunAndWait(const char *program, const char *parameters) {
    char line[COMMAND_TEXT];
    if (!BuildCommandLine(line, program, parameters)) return 0;
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    char *p = (char *)&startup;
    for (unsigned i = 0; i < sizeof startup; i++) p[i] = 0;
    startup.cb = sizeof startup;
    if (!CreateProcessA(0, line, 0, 0, FALSE, 0, 0, 0, &startup, &process)) return 0;
    CloseHandle(process.hThread);
    // Nothing but painting (and messages other programs send, which they
    // wait for) is handled: the user cannot move the wizard on meanwhile,
    // and a program that never ends leaves a window that still paints.
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageA(&msg, 0, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
    }
    CloseHandle(process.hProcess);
    return 1;
}

void RunProgram(const char *program, const char *parameters, const char *folder, int wait, int shell) {
    char saved[256], line[COMMAND_TEXT];
    if (!GetCurrentDirectoryA(sizeof saved, saved)) saved[0] = 0;
    if (folder[0]) SetCurrentDirectoryA(folder);
    int started;
    if (shell) {
        // The whole path, the caller's parameters and the working folder:
        // a name alone would only be found in the current folder.
        started = (INT_PTR)ShellExecuteA(0, 0, program, parameters[0] ? parameters : 0, folder[0] ? folder : 0,
                                          SW_SHOWMAXIMIZED) > 32;
    } else if (wait) {
        started = RunAndWait(program, parameters);
    } else {
        started = BuildCommandLine(line, program, parameters) && WinExec(line, SW_SHOW) > 31;
    }
    if (!started) RecordStartFailure(program);
    if (saved[0]) SetCurrentDirectoryA(saved);
}

void PlaySoundFile(const char *file) { sndPlaySoundA(file, 0); }

int ComponentLetterSelected(const char *letter) {
    if (!letter[0]) return 1;
    for (const char *c = g_componentLetters; *c; c++)
        if (*c == letter[0]) return 1;
    return 0;
}

int RunAfterSetupList(int boxMask) {
    if (g_silentMode) return 0;
    int count = ListCount("RUN");
    for (int i = 1; i <= count; i++) {
        char letter[2], program[127], parameters[127], folder[127];
        ReadListField("RUN", i, "z", letter, sizeof letter);
        int skip = g_support.CHECKCONDITION ? g_support.CHECKCONDITION(i, "RUN") : 0;
        int box = ReadListFieldInt("RUN", i, "cb", 0);
        if (box && (box < 1 || box > 3 || !(boxMask & (1 << (box - 1))))) continue;
        if (skip || !ComponentLetterSelected(letter)) continue;
        int fits = ReadExpanded(i, "a", program);
        fits &= ReadExpanded(i, "b", parameters);
        fits &= ReadExpanded(i, "c", folder);
        if (!fits) {
            RecordStartFailure("text too long");
            continue;
        }
        RunProgram(program, parameters, folder, ReadListFieldInt("RUN", i, "w", 0),
                   ReadListFieldInt("RUN", i, "se", 0));
    }
    return 0;
}
