#pragma once

// mode 1: first character at or after text that is not a blank; mode 0:
// the first blank or the terminating NUL. Blanks: LF, CR, TAB, space.
const char *SkipBlanks(const char *text, int mode);
// Reads -t (test mode, with its notice) and -s (silent mode).
void ParseCommandLine(const char *line);
// The arguments of a whole command line: behind the program's name, which
// is either quoted (blanks allowed inside) or ends at the first blank.
const char *SkipProgramName(const char *line);
