// The Windows programs a setup program is made of: which machine each one
// is built for and whether it is a program or a library, so that an engine
// and a support library of different widths, or the two swapped, are caught
// before a setup that cannot start is written. Also where the build finds
// them when the author names none, and the one-line summary of a setup.
#pragma once
#include <string>
#include <vector>

struct ProgramImage {
    bool windows;      // an MZ file with a PE header
    unsigned machine;  // 0x14C 32-bit x86, 0x8664 64-bit x86
    bool library;      // a DLL
};
// From the first bytes of a file (the headers lie in the first 4 KB).
ProgramImage ReadProgramImage(const std::string &head);
ProgramImage ReadProgramImageFile(const std::string &path);
// "32-bit", "64-bit" or the machine number.
std::string MachineName(unsigned machine);

// Problems of an engine image and a support library that must run as one
// program: each must be what it is named, both built for the same machine.
// Files that carry no PE header (stand-ins of the tests) are not judged.
void CheckProgramPair(const std::string &engineName, const ProgramImage &engine, const std::string &libraryName,
                      const ProgramImage &library, std::vector<std::string> *errors);
// The same for a written setup program: its image and the library its slot
// expands to.
void CheckSetupProgramPair(const std::string &path, std::vector<std::string> *errors);
// A product's own library (plug-in, ODBC setup library): "" when it is a
// Windows library, else what it is.
std::string LibraryProblem(const std::string &path);

// The engine image, support library and uninstaller of one width as the
// build leaves them: beside the tool itself, or in the build folder's
// win-i686/bin (32) or win-x86_64/bin (64) next to the tool's own build.
struct BuildPrograms {
    std::string engine, library, uninstaller;
};
bool FindBuildPrograms(const std::string &toolPath, int width, BuildPrograms *found, std::string *searched);

// "OUTPUT: N entries, B bytes" for a setup program that passed.
std::string SetupSummary(const std::string &path);
