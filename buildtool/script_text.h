// The text scripts a setup program carries (main script, text blocks, file
// script) are written with CR LF line ends whatever the author's editor
// used: the pages' text-block scan steps two characters over every line end.
#pragma once
#include <string>

bool IsTextScript(const std::string &name);
// Every LF that has no CR before it gets one.
std::string WithCrLf(const std::string &text);
