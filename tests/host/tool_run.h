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

struct ToolRun {
    int status;
    std::string out, err;
};
// limits: shell commands run first (ulimit).
inline ToolRun Tool(const std::string &args, const std::string &dir, const std::string &limits = "") {
    std::string cmd = limits + std::string(MKSETUP_PATH) + " " + args + " >" + dir + "/out.txt 2>" + dir + "/err.txt";
    int s = system(cmd.c_str());
    return ToolRun{WIFEXITED(s) ? WEXITSTATUS(s) : -1, Slurp(dir + "/out.txt"), Slurp(dir + "/err.txt")};
}
