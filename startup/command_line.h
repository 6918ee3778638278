#pragma once

// mode 1: first character at or after text that is not a blank; mode 0:
// the first blank or the terminating NUL. Blanks: LF, CR, TAB, space.
const char *SkipBlanks(const char *text, int mode);
// Reads -t (test mode, with its notice) and -s (silent mode).
void ParseCommandLine(const char *line);
