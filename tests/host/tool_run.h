// Files in and out, and the build tool run as a program with its output
// caught, for the host tests.
#pragma once
#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <string>
#include <sys/wait.h>

inline std::string Slurp(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}
inline void Spit(const std::string &path, const std::string &bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

struct ToolRun {
    int status;
    std::string out, err;
};
inline ToolRun Tool(const std::string &args, const std::string &dir) {
    std::string cmd = std::string(MKSETUP_PATH) + " " + args + " >" + dir + "/out.txt 2>" + dir + "/err.txt";
    int s = system(cmd.c_str());
    return ToolRun{WIFEXITED(s) ? WEXITSTATUS(s) : -1, Slurp(dir + "/out.txt"), Slurp(dir + "/err.txt")};
}
