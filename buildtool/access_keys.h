// Access keys (the letter after "&") that two controls of one wizard page
// share, counting the frame's button row: Alt with that letter reaches only
// one of them.
#pragma once
#include <string>
#include <vector>
#include "buildtool/product_check.h"

// Appends a warning for each clash among the main script's keys.
void CheckAccessKeys(const std::vector<IniKey> &keys, const std::string &shown, std::vector<Finding> *findings);
