// Screenshots of the whole screen as PNG files, for the pages a test walks.
#pragma once
#include <string>

namespace driver {

// Captures the screen and writes it as a 24-bit PNG; false on failure.
bool SaveScreenshot(const std::string &path);

}  // namespace driver
