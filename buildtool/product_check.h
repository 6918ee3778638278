// Checks a product folder before it is packed: the main script, the text
// blocks and the file script, with the file and line of every problem.
#pragma once
#include <string>
#include <vector>

struct Finding {
    std::string file;  // path as the author names it (folder/_SFX.DLG)
    int line;          // 1-based; 0 for the file as a whole
    bool error;        // error, else warning
    std::string text;
};

// Appends what it finds; returns the number of errors. uninstaller: the one
// the build adds when the file script names uninstx.exe and the folder
// lacks it.
int CheckProduct(const std::string &folder, std::vector<Finding> *findings, const std::string &uninstaller = "");
// "FILE:LINE: error: text" lines.
std::string FormatFindings(const std::vector<Finding> &findings);

// Where the build finds the file of a file-script record: below the payload
// tree "files/<letter>/<folder text>/<name>" when it is there, else in the
// product folder itself.
std::string RecordSourcePath(const std::string &folder, const std::string &letter, const std::string &folderText,
                             const std::string &name);

// Lines of a text file with the problems found while splitting it (binary
// data, byte-order mark, lone CR, over-long lines). False when the file
// cannot be read.
struct TextLines {
    std::vector<std::string> lines;  // without their line ends
    std::vector<bool> crlf;          // line ended with CR LF
};
bool ReadTextLines(const std::string &path, const std::string &shown, bool forFileScript, TextLines *out,
                   std::vector<Finding> *findings);

// A key line of an INI-format file.
struct IniKey {
    std::string section, key, value;
    int line;
};
std::vector<IniKey> ParseIni(const TextLines &text, const std::string &shown, std::vector<Finding> *findings);
// First value of a key as the profile functions find it (no case, first wins).
const IniKey *FindIniKey(const std::vector<IniKey> &keys, const std::string &section, const std::string &key);
