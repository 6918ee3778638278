// MS-COMPRESS (SZDD) files: our LZSS encoder and a plain expander.
#pragma once
#include <string>

// SZDD form of bytes (mode 'A'); lastChar is the name character the header
// records as missing.
std::string SzddCompress(const std::string &bytes, char lastChar);
// Expands an SZDD file; false when the header is not SZDD. Stops at the
// size the header claims or at the end of the data, whichever comes first.
bool SzddExpand(const std::string &file, std::string *out);
