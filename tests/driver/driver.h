// Helpers for tests that run the real setup program under Wine and drive its
// windows the way a person would: find the window, read it, press a button.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace driver {

// The time limits only end a test that fails; on a slow machine (a loaded
// one, or 32-bit programs under emulation) SETUP_TEST_TIME_SCALE stretches
// them.
DWORD Limit(DWORD ms);

// A started program; killed when the object goes out of scope unless it has
// ended by then, so no test waits for a person.
class Program {
  public:
    Program() = default;
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;
    // Starts "exe args" with the given working folder (empty: current).
    bool Start(const std::string &exe, const std::string &args, const std::string &folder = "");
    // Gives the next started program its own temp folder (TMP and TEMP), so
    // that its temp files can be counted without other tests in the way.
    void SetTempFolder(const std::string &folder) { temp_ = folder; }
    // Waits for the end; returns the exit code, or -1 after the time limit
    // (the program is then killed).
    int Wait(DWORD milliseconds);
    bool Running() const;
    DWORD Id() const { return pid_; }

  private:
    HANDLE process_ = 0;
    DWORD pid_ = 0;
    std::string temp_;
};

// Starts the helper program that holds path open, as a running program
// would, and waits until it holds it; false when it does not.
bool HoldFile(Program &holder, const std::string &path);

// Visible top-level windows of a process, optionally of one class.
std::vector<HWND> TopWindows(DWORD pid, const char *className = 0);
// Waits until the process shows a visible top-level window of the class
// (0: any); returns it, or 0 after the time limit or when the process ends.
HWND WaitForWindow(const Program &program, const char *className, DWORD milliseconds);
// Waits for a message box ("#32770" with the static text item 0xFFFF).
HWND WaitForMessageBox(const Program &program, DWORD milliseconds);
// Waits for the next message box, presses the button and waits until the
// box is gone; the box's text, or "(no message box)".
std::string AnswerMessageBox(const Program &program, int button = IDOK, DWORD milliseconds = 15000);
// Waits for a dialog whose child with the given id exists.
HWND WaitForDialogWithItem(const Program &program, int itemId, DWORD milliseconds);
// Waits for the page inside a wizard frame that shows the item.
HWND WaitForPageWithItem(const Program &program, HWND frame, int itemId, DWORD milliseconds);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int itemId);
// The text of a message box.
std::string MessageBoxText(HWND box);
// Presses a button of a dialog as a click would (BN_CLICKED to the owner).
void PressButton(HWND dialog, int buttonId);
// Waits until the window is gone.
bool WaitGone(HWND window, DWORD milliseconds);

// Files and folders for the tests.
std::string ReadFileBytes(const std::string &path);
// The lines of a text, their ends of any kind dropped, empty lines left out.
std::vector<std::string> Lines(const std::string &text);
bool WriteFileBytes(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);
// Deletes a folder with everything in it (read-only files too).
void RemoveTree(const std::string &path);
// A new empty folder below the temp folder.
std::string MakeTempFolder(const char *prefix);
// The folder of the running test program (where the build puts its inputs).
std::string ProgramFolder();
// Names in the folder that match the pattern (e.g. "VTB*.TMP").
std::vector<std::string> FilesIn(const std::string &folder, const char *pattern);

// The renames Windows will make at its next start (the NT family keeps
// them in the registry), source and target names joined by "|".
std::string PendingRenames();

}  // namespace driver
