// Screenshots of the whole screen as PNG files, for the pages a test walks.
#pragma once
#include <string>

namespace driver {

// Captures the screen and writes it as a 24-bit PNG; false on failure.
bool SaveScreenshot(const std::string &path);
// The same as NAME.png in the folder "screenshots" beside the test program.
bool SaveShot(const std::string &name);

}  // namespace driver
