// Writing, listing and checking setup program files.
#pragma once
#include <string>
#include <vector>

struct BuildInput {
    std::string engine;   // engine image (program file without payload)
    std::string library;  // support library DLL
    std::string product;  // product folder with the setup files
    std::string output;
    std::string uninstaller;  // for a file script that names uninstx.exe when the product lacks it
};

// Each returns 0 on success; problems are appended to errors (one line
// each, naming the file and the figure).
int BuildSetupProgram(const BuildInput &in, std::vector<std::string> *errors);
int ListSetupProgram(const std::string &path, std::string *listing, std::vector<std::string> *errors);
int VerifySetupProgram(const std::string &path, std::vector<std::string> *errors);
// The library's SZDD form as it goes into a setup program (padded first).
bool LibrarySzdd(const std::string &dll, std::string *szdd, std::vector<std::string> *errors);
// Stored data of an entry: raw deflate at the best level.
std::string CompressEntryData(const std::string &data);
// Checksum the support library's SFXSIG computes for a whole file: covered
// byte count and sum.
void SetupChecksum(const std::string &file, unsigned *covered, int *sum);
