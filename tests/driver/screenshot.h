// Screenshots of the whole screen as PNG files, for the pages a test walks.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace driver {

// The pixels of a window (0: the screen) from (left, top), width by height,
// as 0x00RRGGBB values, the top row first.
std::vector<DWORD> CapturePixels(HWND window, int left, int top, int width, int height);
// Captures the screen and writes it as a 24-bit PNG; false on failure.
bool SaveScreenshot(const std::string &path);
// The same as NAME.png in the folder "screenshots" beside the test program.
bool SaveShot(const std::string &name);

}  // namespace driver
