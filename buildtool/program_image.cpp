#include "buildtool/program_image.h"
#include "buildtool/szdd.h"
#include "payload/payload_layout.h"
#include <stdio.h>
#include <sys/stat.h>

namespace {

unsigned Get16(const std::string &s, size_t at) {
    return at + 2 <= s.size() ? (unsigned char)s[at] | (unsigned char)s[at + 1] << 8 : 0;
}
unsigned long Get32(const std::string &s, size_t at) {
    return at + 4 <= s.size() ? Get16(s, at) | (unsigned long)Get16(s, at + 2) << 16 : 0;
}

std::string ReadHead(const std::string &path, size_t size) {
    struct stat st;
    std::string out;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return out;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return out;
    out.resize(size);
    out.resize(fread(&out[0], 1, size, f));
    fclose(f);
    return out;
}

bool IsRegular(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Folder(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

ProgramImage ReadProgramImage(const std::string &head) {
    ProgramImage image = {false, 0, false};
    if (head.compare(0, 2, "MZ") != 0) return image;
    unsigned long pe = Get32(head, 0x3C);
    if (pe < 0x40 || pe > head.size() - 24 || head.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return image;
    image.windows = true;
    image.machine = Get16(head, pe + 4);
    image.library = (Get16(head, pe + 22) & 0x2000) != 0;  // IMAGE_FILE_DLL
    return image;
}

ProgramImage ReadProgramImageFile(const std::string &path) { return ReadProgramImage(ReadHead(path, 4096)); }

std::string MachineName(unsigned machine) {
    if (machine == 0x14C) return "32-bit";
    if (machine == 0x8664) return "64-bit";
    char text[40];
    snprintf(text, sizeof text, "machine 0x%X", machine);
    return text;
}

void CheckProgramPair(const std::string &engineName, const ProgramImage &engine, const std::string &libraryName,
                      const ProgramImage &library, std::vector<std::string> *errors) {
    if (engine.windows && library.windows && engine.library && !library.library) {
        errors->push_back(engineName + " is a library and " + libraryName +
                          " a program: the engine and the support library are swapped");
        return;
    }
    if (engine.windows && engine.library)
        errors->push_back(engineName + ": a library, not the engine's program image");
    if (library.windows && !library.library)
        errors->push_back(libraryName + ": a program, not the support library");
    if (engine.windows && library.windows && engine.machine != library.machine)
        errors->push_back(libraryName + ": a " + MachineName(library.machine) + " library with a " +
                          MachineName(engine.machine) + " engine (" + engineName +
                          "); the engine cannot load it. Take both from the same build");
}

void CheckSetupProgramPair(const std::string &path, std::vector<std::string> *errors) {
    std::string head = ReadHead(path, PAYLOAD_FIRST_ENTRY), library;
    if (head.size() < PAYLOAD_FIRST_ENTRY) return;  // verify says why
    SzddExpand(head.substr(PAYLOAD_LIBRARY_OFFSET, PAYLOAD_FIRST_ENTRY - PAYLOAD_LIBRARY_OFFSET), &library);
    CheckProgramPair(path + " (its engine image)", ReadProgramImage(head), path + " (its support library)",
                     ReadProgramImage(library), errors);
}

std::string LibraryProblem(const std::string &path) {
    ProgramImage image = ReadProgramImageFile(path);
    if (!image.windows) return "is no Windows library";
    if (!image.library) return "is a program, not a library";
    return "";
}

bool FindBuildPrograms(const std::string &toolPath, int width, BuildPrograms *found, std::string *searched) {
    std::string own = Folder(toolPath);
    // build/host/buildtool/mksetup: the Windows builds lie two levels up.
    std::string folders[] = {own, own + "/../../win-" + (width == 64 ? "x86_64" : "i686") + "/bin"};
    unsigned machine = width == 64 ? 0x8664 : 0x14C;
    for (const std::string &f : folders) {
        *searched += (searched->empty() ? "" : ", ") + f;
        BuildPrograms p = {f + "/setupeng.exe", f + "/supportlib.dll", f + "/uninstx.exe"};
        if (!IsRegular(p.engine) || !IsRegular(p.library)) continue;
        if (ReadProgramImageFile(p.engine).machine != machine) continue;
        if (!IsRegular(p.uninstaller)) p.uninstaller.clear();
        *found = p;
        return true;
    }
    return false;
}

std::string SetupSummary(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return path;
    unsigned long long at = PAYLOAD_FIRST_ENTRY, entries = 0;
    unsigned char h[ENTRY_HEADER_SIZE];
    while (fseeko(f, (off_t)at, SEEK_SET) == 0 && fread(h, 1, sizeof h, f) == sizeof h) {
        unsigned long stored = h[ENTRY_OFF_STORED] | h[ENTRY_OFF_STORED + 1] << 8 |
                               (unsigned long)h[ENTRY_OFF_STORED + 2] << 16 | (unsigned long)h[ENTRY_OFF_STORED + 3] << 24;
        at += ENTRY_HEADER_SIZE + (h[ENTRY_OFF_NAMELEN] | h[ENTRY_OFF_NAMELEN + 1] << 8) +
              (h[ENTRY_OFF_EXTRALEN] | h[ENTRY_OFF_EXTRALEN + 1] << 8) + stored;
        entries++;
    }
    fseeko(f, 0, SEEK_END);
    unsigned long long bytes = (unsigned long long)ftello(f);
    fclose(f);
    return path + ": " + std::to_string(entries) + (entries == 1 ? " entry, " : " entries, ") +
           std::to_string(bytes) + " bytes";
}
