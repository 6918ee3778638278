#include "buildtool/product_tools.h"
#include "buildtool/product_check.h"
#include "buildtool/record_field.h"
#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <algorithm>
#include <map>

namespace {

bool WriteText(const std::string &path, const std::string &text, std::vector<std::string> *errors) {
    std::string temp = path + ".new";
    FILE *f = fopen(temp.c_str(), "wb");
    bool ok = f && fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && fclose(f) != 0) ok = false;
    if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
    remove(temp.c_str());
    errors->push_back(path + ": cannot be written");
    return false;
}

// A 24-bit Windows bitmap: a vertical blend between two colours.
std::string Bitmap(int width, int height, unsigned top, unsigned bottom) {
    int row = (width * 3 + 3) & ~3;
    unsigned size = 54 + row * height;
    std::string b(size, '\0');
    auto put = [&](int at, unsigned v, int n) {
        for (int i = 0; i < n; i++) b[at + i] = (char)(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, size, 4), put(10, 54, 4), put(14, 40, 4), put(18, width, 4), put(22, height, 4);
    put(26, 1, 2), put(28, 24, 2), put(34, row * height, 4);
    for (int y = 0; y < height; y++) {
        int t = height > 1 ? y * 255 / (height - 1) : 0;  // rows run from the bottom up
        for (int x = 0; x < width; x++)
            for (int c = 0; c < 3; c++) {
                int lo = (bottom >> (8 * c)) & 255, hi = (top >> (8 * c)) & 255;
                b[54 + y * row + x * 3 + c] = (char)(lo + (hi - lo) * t / 255);
            }
    }
    return b;
}

bool IsFolder(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Files below a folder. Links are not followed (a link to a folder above
// would lead round for ever): they go to links.
void Walk(const std::string &root, const std::string &relative, std::vector<std::string> *out,
          std::vector<std::string> *links = 0) {
    DIR *d = opendir((root + relative).c_str());
    if (!d) return;
    std::vector<std::string> names;
    while (dirent *e = readdir(d))
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.push_back(e->d_name);
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string &n : names) {
        std::string path = relative + "/" + n;
        struct stat st;
        if (lstat((root + path).c_str(), &st) != 0) continue;
        if (S_ISLNK(st.st_mode)) {
            if (links) links->push_back(path);
        } else if (S_ISDIR(st.st_mode)) {
            Walk(root, path, out, links);
        } else {
            out->push_back(path);
        }
    }
}

}  // namespace

int NewProduct(const std::string &folder, const std::string &title, std::vector<std::string> *errors) {
    mkdir(folder.c_str(), 0777);
    if (!IsFolder(folder)) {
        errors->push_back(folder + ": cannot be made");
        return 1;
    }
    std::vector<std::string> present;
    Walk(folder, "", &present, &present);
    if (!present.empty()) {
        errors->push_back(folder + ": not empty; mksetup new writes a product into a new folder");
        return 1;
    }
    std::string t = title;
    for (char &c : t)
        if (c == '\r' || c == '\n' || c == '[' || c == ']' || c == '%' || c == '|') c = ' ';
    std::string script =
        "[DLG]\r\nTI=" + t + " Setup\r\nCA=Do you really want to leave the setup of " + t + "?\r\n"
        "Z1=1\r\nZ3=1\r\nZ12=1\r\nZ11=1\r\nRTF2=0\r\nDF=C:\\" + t + "\r\nLO=%INSTDIR%\\install.log\r\n"
        "NO=1\r\nBU=1\r\nC2=Cancel\r\nC3=I &Agree\r\nC4=I &Disagree\r\nC5=&Next >\r\nC6=< &Back\r\n"
        "C9=Licence Agreement\r\nL1=Please read the licence agreement of " + t + ".\r\n"
        "L2=Do you accept all the terms of the licence agreement?\r\n"
        "C12=Destination Folder\r\nC66=" + t + " will be installed into this folder.\r\nC13=Destination folder\r\n"
        "C14=B&rowse...\r\nC1=OK\r\nC20=Folders:\r\nC21=Drives:\r\n"
        "C64=%u KB more are needed on drive %s.\r\n"
        "C36=Ready to Install\r\nC75=Setup has everything it needs to install " + t + ".\r\n"
        "C37=Current settings:\r\nC38=Setup type:\r\nC39=Destination folder:\r\nC51=Disk space required:\r\n"
        "C45=Typical\r\nC46=" + t + "\r\nC65=Please wait while " + t + " is installed.\r\n"
        "P1=Copying files\r\nP2=Updating the system\r\nP3=Finishing\r\nC19=&Finish\r\nC23=&Close\r\n"
        "C25=Windows must be restarted to finish the setup. Restart now?\r\n"
        "C67=The setup program is damaged. Please get a new copy.\r\nC86=Checking the setup program...\r\n"
        "E2=The setup was stopped before " + t + " was installed.\r\n"
        "E10=A file that must be replaced is in use. Close all programs and run the setup again.\r\n"
        "T1=" + t + "\r\nTS1=64\r\nTX11=1\r\n[CMP]\r\nNdx=1\r\n+1a=A\r\n+1b=" + t + "\r\n+1c=1\r\n+1d=4\r\n";
    std::string blocks =
        "[STR WC1]\r\nWelcome to the " + t + " Setup\r\n[END WC1]\r\n[STR WEL]\r\nThis program installs " + t +
        " on your computer.\r\n\r\nClick Next to continue, or Cancel to leave the setup.\r\n[END WEL]\r\n"
        "[STR LIC]\r\nWrite the licence of " + t + " here.\r\n[END LIC]\r\n"
        "[STR CS1]\r\nSetup will install " + t + " with the settings below.\r\n[END CS1]\r\n"
        "[STR FIN]\r\n" + t + " has been installed on your computer.\r\n\r\nClick Finish to leave the setup.\r\n[END FIN]\r\n";
    mkdir((folder + "/files").c_str(), 0777);
    mkdir((folder + "/files/A").c_str(), 0777);
    bool ok = WriteText(folder + "/_SFX.DLG", script, errors) && WriteText(folder + "/_DLG.SCR", blocks, errors) &&
              WriteText(folder + "/files/A/readme.txt", t + "\r\n\r\nReplace this file with the files of your product.\r\n", errors) &&
              WriteText(folder + "/_FILE1.SCR", "|Read me||||1|||||||||||||||A||readme.txt|\\|\r\n", errors) &&
              WriteText(folder + "/_PIC0.IMG", Bitmap(164, 314, 0x800000, 0xFF8040), errors) &&
              WriteText(folder + "/_PIC1.IMG", Bitmap(200, 120, 0xFFFFFF, 0xC0C0C0), errors) &&
              WriteText(folder + "/_PIC2.IMG", Bitmap(48, 40, 0xC08000, 0x400000), errors);
    return ok ? 0 : 1;
}

int ScanProduct(const std::string &folder, std::string *summary, std::vector<std::string> *errors) {
    std::string root = folder + "/files";
    if (!IsFolder(root)) {
        errors->push_back(root + ": missing; mksetup scan lists the files below files/<component letter>/");
        return 1;
    }
    std::vector<std::string> paths, links;
    Walk(root, "", &paths, &links);
    for (const std::string &l : links)
        errors->push_back(root + l + ": a link; links are not followed, left out");

    // The records there are now, by the file they name, so that fields the
    // author changed survive a new scan.
    std::map<std::string, std::string> kept;
    std::vector<std::string> others;  // records of files outside the tree, in their order
    std::vector<Finding> ignored;
    TextLines old;
    if (ReadTextLines(folder + "/_FILE1.SCR", "", true, &old, &ignored))
        for (const std::string &r : old.lines) {
            std::string letter = RecordFieldText(r, 20);
            std::string key = (letter.empty() ? "A" : letter.substr(0, 1)) + RecordFieldText(r, 23) +
                              RecordFieldText(r, 22);
            for (char &c : key) c = (char)toupper((unsigned char)c);
            if (r.size() < 2 || r[0] != '|') continue;
            kept[key] = r;
            // The uninstaller (which the build may add) and files lying in
            // the product folder itself are no part of the tree.
            std::string name = RecordFieldText(r, 22);
            std::string source = RecordSourcePath(folder, letter, RecordFieldText(r, 23), name);
            struct stat st;
            if (!strcasecmp(name.c_str(), "uninstx.exe") ||
                (source == folder + "/" + name && stat(source.c_str(), &st) == 0 && S_ISREG(st.st_mode)))
                others.push_back(key);
        }

    std::string out;
    int added = 0, same = 0, skipped = 0;
    for (const std::string &p : paths) {
        // "/B/docs/a.txt": component B, folder "\docs\", name "a.txt".
        size_t second = p.find('/', 1), last = p.rfind('/');
        std::string letter = second == std::string::npos ? "" : p.substr(1, second - 1);
        if (letter.size() != 1 || !isalpha((unsigned char)letter[0])) {
            errors->push_back(root + p + ": not below a component letter folder (files/A/, files/B/, ...); left out");
            skipped++;
            continue;
        }
        letter[0] = (char)toupper((unsigned char)letter[0]);
        std::string where = "\\" + (last > second ? p.substr(second + 1, last - second - 1) + "\\" : "");
        for (char &c : where) c = c == '/' ? '\\' : c;
        std::string name = p.substr(last + 1);
        if (p.find_first_of("|\r\n") != std::string::npos) {
            errors->push_back(root + p + ": a name with \"|\", CR or LF cannot stand in a file-script record; left out");
            skipped++;
            continue;
        }
        std::string key = letter + where + name;
        for (char &c : key) c = (char)toupper((unsigned char)c);
        auto it = kept.find(key);
        if (it != kept.end()) {
            out += it->second + "\r\n";
            kept.erase(it);
            same++;
            continue;
        }
        // Fields: 1 description, 5 overwrite mode 1 (replace), 20 letter,
        // 22 name, 23 folder.
        std::string r = "|" + name + "||||1|||||||||||||||" + letter + "||" + name + "|" + where + "|";
        out += r + "\r\n";
        added++;
    }
    for (const std::string &key : others) {
        auto it = kept.find(key);
        if (it == kept.end()) continue;
        out += it->second + "\r\n";
        kept.erase(it);
        same++;
    }
    if (!WriteText(folder + "/_FILE1.SCR", out, errors)) return 1;
    *summary = std::to_string(added + same) + " records: " + std::to_string(added) + " new, " + std::to_string(same) +
               " kept as they were, " + std::to_string(kept.size()) + " dropped (file gone)" +
               (skipped ? ", " + std::to_string(skipped) + " files left out" : "") +
               (links.empty() ? "" : ", " + std::to_string(links.size()) + " links not followed") + "\n";
    return skipped ? 1 : 0;
}
