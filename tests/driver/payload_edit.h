// Setup programs changed after the build, as a tampered or hand-made file
// would be: an entry of the payload rewritten, and the main script carrying
// the checksum that makes the integrity check pass.
#pragma once
#include <string>

namespace driver {

// The program with the payload entry `name` renamed to `newName` and
// holding `data` (one stored deflate block, CRC and sizes to match). The
// entry's folder text stays. Unchanged when there is no such entry.
std::string WithEntry(const std::string &program, const std::string &name, const std::string &newName,
                      const std::string &data);
// The program with `script` as its main script, followed by the [SIG]
// section with the checksum and size of everything else in the file.
std::string Signed(const std::string &program, const std::string &script);

}  // namespace driver
