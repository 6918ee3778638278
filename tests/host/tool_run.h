// Files in and out, and the build tool run as a program with its output
// caught, for the host tests.
#pragma once
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>

inline std::string Slurp(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}
inline void Spit(const std::string &path, const std::string &bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

// A file-script record: description, overwrite mode, component letter,
// entry name, destination folder.
inline std::string Record(const std::string &name, const std::string &folder, const std::string &mode = "1",
                          const std::string &letter = "") {
    std::string r = "|" + name + "||||" + mode + "|";
    for (int f = 6; f <= 19; f++) r += "|";
    return r + letter + "||" + name + "|" + folder + "|\r\n";
}

// A Windows program's headers (MZ, PE, machine 0x14C or 0x8664, a DLL or
// not) padded to a size with bytes that pack well.
inline std::string FakeProgram(unsigned machine, bool dll, size_t size = 40000) {
    std::string b(size, 'p');
    b.replace(0, 2, "MZ");
    b.replace(0x3C, 4, std::string("\x80\0\0\0", 4));
    b.replace(0x80, 4, std::string("PE\0\0", 4));
    b[0x84] = (char)(machine & 255), b[0x85] = (char)(machine >> 8);
    b[0x96] = 2, b[0x97] = dll ? 0x21 : 0x01;
    return b;
}

struct ToolRun {
    int status;
    std::string out, err;
};
// wrap: a command the tool runs under ("timeout 60").
inline ToolRun Tool(const std::string &args, const std::string &dir, const std::string &wrap = "") {
    std::string cmd = wrap + " " + MKSETUP_PATH + " " + args + " >" + dir + "/out.txt 2>" + dir + "/err.txt";
    int s = system(cmd.c_str());
    return ToolRun{WIFEXITED(s) ? WEXITSTATUS(s) : -1, Slurp(dir + "/out.txt"), Slurp(dir + "/err.txt")};
}
