// A setup program's wizard as a test drives it: the frame, the page on
// screen and its template, the buttons, and keys typed as a person types.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "driver.h"

namespace driver {

const int kNext = 201, kBack = 200;

class Wizard {
  public:
    explicit Wizard(const char *setup, const char *args = "");
    HWND frame() const { return frame_; }
    int shown() const { return shown_; }
    Program &program() { return program_; }

    // The page dialog on screen; 0 while two exist (during a switch) or none.
    HWND Page() const;
    int PageId() const { return TemplateOf(Page()); }
    // The template of a page, known by an item no other template has.
    static int TemplateOf(HWND page);
    std::string Item(int id) const { return ItemText(Page(), id); }
    std::string Button(int id) const { return ItemText(frame_, id); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(frame_, id)) != 0; }

    // Waits until a page other than `old` is alone on screen and the frame
    // has taken the switch that made it to its end (the buttons' states and
    // texts come after the page): a message sent to the frame is answered
    // only once the command that runs the switch has returned. The page, or
    // 0 after the time limit; its template in shown(), read while it was on
    // screen (the copy page may be gone by the time the caller asks).
    HWND WaitForPage(HWND old, DWORD ms = 15000);
    // True once the frame has returned from the command it was running.
    bool Settled();
    // The detection and copy pages (13000) move on by themselves: waits
    // until a page of another template stands alone; its template. What is
    // on screen at the call may already be gone, so it is never asked for.
    int WaitPastCopy(DWORD ms = 30000);
    // The page after the press, past the copy page.
    int Press(int button);
    int Next() { return Press(kNext); }
    int Back() { return Press(kBack); }
    // Types a key (with Alt or Shift when asked) into the program as the
    // keyboard would and waits for the page it leads to, past the copy
    // page; its template (0: none came).
    int KeyToPage(WORD key, WORD modifier = 0);
    // The window of the program that has the keyboard focus (0: none).
    HWND Focus() const;
    // Presses Cancel and gives the answer; the question's text.
    std::string Cancel(int answer);
    // Next on the last page: the program ends by itself.
    int Finish();
    void Shot(const char *name);

  private:
    std::string temp_ = MakeTempFolder("wz");
    Program program_;
    HWND frame_ = 0;
    int shown_ = 0;
};

// Types a key into the foreground window, as the keyboard would.
void TypeKey(WORD key, WORD modifier = 0);
// Waits until the test holds; false after the time limit.
bool WaitUntil(const std::function<bool()> &test, DWORD ms = 10000);
// The lines of a list box of another program.
std::vector<std::string> ListBoxLines(HWND list);

}  // namespace driver
