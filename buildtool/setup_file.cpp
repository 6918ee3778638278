#include "buildtool/setup_file.h"
#include "buildtool/memory_streams.h"
#include "buildtool/product_check.h"
#include "buildtool/product_rules.h"
#include "buildtool/record_field.h"
#include "buildtool/script_text.h"
#include "buildtool/szdd.h"
#include "payload/payload_layout.h"
#include "supportlib/entry_data.h"
#include "supportlib/entry_header.h"
#include "supportlib/inflate.h"
#include "supportlib/program_sum.h"
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <zlib.h>

namespace {

// Regular files only: a pipe would hold the read for ever.
bool ReadFile(const std::string &path, std::string *out) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    out->clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
    fclose(f);
    return true;
}

void Put16(std::string &s, size_t at, unsigned v) {
    s[at] = (char)v;
    s[at + 1] = (char)(v >> 8);
}
void Put32(std::string &s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) s[at + i] = (char)(v >> (8 * i));
}

void DosTime(time_t t, unsigned *dosTime, unsigned *dosDate) {
    struct tm tm;
    localtime_r(&t, &tm);
    if (tm.tm_year < 80) tm.tm_year = 80;
    *dosTime = (unsigned)(tm.tm_hour << 11 | tm.tm_min << 5 | tm.tm_sec / 2);
    *dosDate = (unsigned)((tm.tm_year - 80) << 9 | (tm.tm_mon + 1) << 5 | tm.tm_mday);
}

// Sizes and offsets are 32-bit fields: never cut one.
bool FitsEntrySizes(const std::string &name, uint64_t size, std::vector<std::string> *errors) {
    if (size <= 0xFFFFFFFFu) return true;
    errors->push_back(name + ": " + std::to_string(size) + " bytes, more than an entry's 32-bit sizes hold (4 GiB)");
    return false;
}

bool FitsEntryTexts(const std::string &name, const std::string &folder, std::vector<std::string> *errors) {
    if (name.size() >= ENTRY_RECORD_TEXT_MAX || name.empty()) {
        errors->push_back(name + ": name of " + std::to_string(name.size()) +
                          " characters does not fit the entry record (at most 255)");
        return false;
    }
    if (folder.size() >= ENTRY_RECORD_TEXT_MAX) {
        errors->push_back(name + ": folder text of " + std::to_string(folder.size()) +
                          " characters does not fit the entry record (at most 255)");
        return false;
    }
    return true;
}

// Where an entry's bytes come from: an open file, read in pieces, or bytes
// already in memory (the main script).
struct Source {
    FILE *file;
    const std::string *bytes;
    size_t at;
    size_t Read(unsigned char *buf, size_t max) {
        if (file) return fread(buf, 1, max, file);
        size_t n = bytes->size() - at < max ? bytes->size() - at : max;
        memcpy(buf, bytes->data() + at, n);
        at += n;
        return n;
    }
};

// Writes entries at the end of a file one at a time: the header with room
// for the figures first, the data packed piece by piece behind it, then the
// header's figures in place. Memory is the compressor's state and two
// buffers whatever the size of the files. crc runs on over every byte
// written (the setup program's checksum).
class EntryWriter {
  public:
    EntryWriter() {
        memset(&z_, 0, sizeof z_);
        deflateInit2(&z_, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    }
    ~EntryWriter() { deflateEnd(&z_); }
    // false with a message when the source cannot be read, the figures do
    // not fit the header or the file cannot be written.
    bool Write(FILE *out, const std::string &name, const std::string &folder, Source *source, unsigned flags,
               time_t stamp, uint32_t *crc, std::vector<std::string> *errors);
    // Appends the whole of from (read from its start) to out.
    bool Append(FILE *out, FILE *from);

  private:
    z_stream z_;
    unsigned char in_[1 << 18], out_[1 << 18];
};

bool EntryWriter::Write(FILE *out, const std::string &name, const std::string &folder, Source *source,
                        unsigned flags, time_t stamp, uint32_t *crc, std::vector<std::string> *errors) {
    if (!FitsEntryTexts(name, folder, errors)) return false;
    off_t start = ftello(out);
    std::string h(ENTRY_HEADER_SIZE, '\0');
    h += name + folder;
    if (fwrite(h.data(), 1, h.size(), out) != h.size()) return false;
    deflateReset(&z_);
    uint32_t dataCrc = 0, storedCrc = 0;
    uint64_t expanded = 0, stored = 0;
    int flush;
    do {
        size_t n = source->Read(in_, sizeof in_);
        if (source->file && ferror(source->file)) {
            errors->push_back(name + ": cannot be read");
            return false;
        }
        expanded += n;
        dataCrc = (uint32_t)crc32(dataCrc, in_, (uInt)n);
        flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
        z_.next_in = in_;
        z_.avail_in = (uInt)n;
        do {
            z_.next_out = out_;
            z_.avail_out = sizeof out_;
            deflate(&z_, flush);
            size_t have = sizeof out_ - z_.avail_out;
            if (fwrite(out_, 1, have, out) != have) return false;
            storedCrc = (uint32_t)crc32(storedCrc, out_, (uInt)have);
            stored += have;
        } while (z_.avail_out == 0);
    } while (flush != Z_FINISH);
    if (!FitsEntrySizes(name, expanded, errors) || !FitsEntrySizes(name, stored, errors)) return false;
    memcpy(&h[0], ENTRY_SIGNATURE, 4);
    unsigned t, d;
    DosTime(stamp, &t, &d);
    Put16(h, ENTRY_OFF_VERSION, ENTRY_VERSION);
    Put16(h, ENTRY_OFF_FLAGS, flags);
    Put16(h, ENTRY_OFF_METHOD, ENTRY_METHOD_DEFLATE);
    Put16(h, ENTRY_OFF_TIME, t);
    Put16(h, ENTRY_OFF_DATE, d);
    Put32(h, ENTRY_OFF_CRC, dataCrc);
    Put32(h, ENTRY_OFF_STORED, (uint32_t)stored);
    Put32(h, ENTRY_OFF_EXPANDED, (uint32_t)expanded);
    Put16(h, ENTRY_OFF_NAMELEN, (unsigned)name.size());
    Put16(h, ENTRY_OFF_EXTRALEN, (unsigned)folder.size());
    if (fseeko(out, start, SEEK_SET) != 0 || fwrite(h.data(), 1, ENTRY_HEADER_SIZE, out) != ENTRY_HEADER_SIZE ||
        fseeko(out, 0, SEEK_END) != 0)
        return false;
    *crc = (uint32_t)crc32_combine(crc32(*crc, (const Bytef *)h.data(), (uInt)h.size()), storedCrc, (z_off_t)stored);
    return true;
}

bool EntryWriter::Append(FILE *out, FILE *from) {
    if (fflush(from) != 0 || fseeko(from, 0, SEEK_SET) != 0) return false;
    size_t n;
    while ((n = fread(in_, 1, sizeof in_, from)) > 0)
        if (fwrite(in_, 1, n, out) != n) return false;
    return !ferror(from);
}

// Main script with a fresh [SIG] section holding the expected figures.
std::string WithSignature(const std::string &script, unsigned covered, int sum) {
    std::string out;
    bool skipping = false;
    size_t at = 0;
    while (at < script.size()) {
        size_t end = script.find('\n', at);
        end = end == std::string::npos ? script.size() : end + 1;
        std::string line = script.substr(at, end - at);
        if (!line.empty() && line[0] == '[') skipping = line.compare(0, 5, "[SIG]") == 0;
        if (!skipping) out += line;
        at = end;
    }
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    out += "[SIG]\r\nCheckSum=" + std::to_string(sum) + "\r\nSize=" + std::to_string(covered) + "\r\n";
    return out;
}

struct Entry {
    EntryHeader h;
    size_t offset, data;
};

// Walks the entries; false (with a message) at the first damaged one.
bool WalkEntries(const std::string &file, std::vector<Entry> *entries, std::vector<std::string> *errors,
                 const std::string &path) {
    size_t at = PAYLOAD_FIRST_ENTRY;
    const unsigned char *p = (const unsigned char *)file.data();
    while (at < file.size()) {
        Entry e;
        e.offset = at;
        if (file.size() - at < ENTRY_HEADER_SIZE || !ParseEntryHeader(p + at, &e.h)) {
            errors->push_back(path + ": bad entry header at offset " + std::to_string(at));
            return false;
        }
        size_t texts = e.h.nameLength + e.h.extraLength;
        if (file.size() - at - ENTRY_HEADER_SIZE < texts || !ParseEntryTexts(p + at + ENTRY_HEADER_SIZE, &e.h)) {
            errors->push_back(path + ": bad entry name at offset " + std::to_string(at));
            return false;
        }
        e.data = at + ENTRY_HEADER_SIZE + texts;
        if (e.h.stored > file.size() - e.data) {
            errors->push_back(path + ": entry " + e.h.name + " stores " + std::to_string(e.h.stored) +
                              " bytes past the end of the file");
            return false;
        }
        entries->push_back(e);
        at = e.data + e.h.stored;
    }
    return true;
}

int Discard(void *, const unsigned char *, int) { return 0; }

// Texts of [DLG] the engine shows in a box of its own whatever the pages:
// without them the box is empty (or, for the restart question, an empty
// OK/Cancel whose OK restarts Windows).
void WarnOfMissingTexts(const std::string &path, const std::string &script) {
    static const char *const texts[][2] = {{"C67", "the damaged-file message"},
                                           {"C86", "the notice while the file is checked"},
                                           {"C25", "the restart question"},
                                           {"CA", "the cancel question"}};
    std::string keys;
    bool inDlg = false;
    for (size_t at = 0; at < script.size();) {
        size_t end = script.find('\n', at);
        if (end == std::string::npos) end = script.size();
        std::string line = script.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line[0] == '[') inDlg = strncasecmp(line.c_str(), "[DLG]", 5) == 0;
        size_t eq = line.find('=');
        if (inDlg && eq != std::string::npos && eq + 1 < line.size() && line[eq + 1] != '\r')
            keys += "|" + line.substr(0, eq) + "|";
    }
    for (const auto &t : texts)
        if (keys.find(std::string("|") + t[0] + "|") == std::string::npos)
            fprintf(stderr, "mksetup: warning: %s: [DLG] \"%s\" (%s) is not defined\n", path.c_str(), t[0], t[1]);
}

// The expanded data of an entry that passed its check.
std::string Expanded(const std::string &file, const Entry &e) {
    std::string out(e.h.expanded < (1u << 24) ? e.h.expanded : 0, '\0');
    z_stream z;
    memset(&z, 0, sizeof z);
    inflateInit2(&z, -15);
    z.next_in = (Bytef *)file.data() + e.data;
    z.avail_in = e.h.stored;
    z.next_out = (Bytef *)&out[0];
    z.avail_out = (uInt)out.size();
    inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return out;
}

// Pairs the files to install (the entries behind the main script, less the
// billboards) with the file script's records in order, as the copy page
// does: each needs a record, and a record that names a file names its own.
void CheckRecords(const std::string &path, const std::vector<Entry> &entries, const std::string &fileScript,
                  std::vector<std::string> *errors) {
    size_t at = 0;
    int line = 0;
    bool behindMain = false;
    for (const Entry &e : entries) {
        if (!behindMain) {
            behindMain = strcmp(e.h.name, SETUP_FILE_MAIN_SCRIPT) == 0;
            continue;
        }
        bool billboard = strcmp(e.h.folder, "%BILLBOARD%\\") == 0;
        size_t atBefore = at;
        int lineBefore = line;
        // As the copy page reads: up to the first CR or LF from the second
        // character on, then the line end (CR LF, LF or CR).
        std::string record;
        if (at < fileScript.size()) {
            size_t end = fileScript.find_first_of("\r\n", at + 1);
            if (end == std::string::npos) end = fileScript.size();
            if (end - at >= 2) record = fileScript.substr(at, end - at);
            at = end - at >= 2 ? end + 1 : fileScript.size();
            if (at < fileScript.size() && fileScript[at] == '\n' && fileScript[at - 1] == '\r') at++;
            line++;
        }
        // A billboard's own record (the one the builder made its entry from)
        // is passed over with it; without one, no record is taken.
        if (billboard) {
            if (record.empty() || RecordFieldText(record, 23) != "%BILLBOARD%\\") at = atBefore, line = lineBefore;
            continue;
        }
        if (record.empty()) {
            errors->push_back(path + ": entry " + e.h.name + " has no file-script record");
            return;
        }
        std::string named = RecordFieldText(record, 22);
        if (record[0] != '|' || (!named.empty() && strcasecmp(named.c_str(), e.h.name) != 0)) {
            errors->push_back(path + ": file-script record " + std::to_string(line) +
                              (record[0] != '|' ? std::string(" does not begin with \"|\"")
                                                : " belongs to \"" + named + "\"") +
                              ", the entry there is " + e.h.name);
            return;
        }
    }
}

}  // namespace

std::string CompressEntryData(const std::string &in) { return RawDeflate(in, 9, Z_DEFAULT_STRATEGY); }

void SetupChecksum(const std::string &file, unsigned *covered, int *sum) {
    std::vector<unsigned char> buffer(1 << 20);
    uint32_t n = 0;
    uint32_t crc = ProgramSum(ReadStringAt, (void *)&file, (uint32_t)file.size(), buffer.data(),
                              (uint32_t)buffer.size(), &n);
    *covered = n;
    *sum = (int)(crc & 0x7FFFFFFF);
    if (*sum == 0) *sum = 1;
}

bool LibrarySzdd(const std::string &dll, std::string *szdd, std::vector<std::string> *errors) {
    if (dll.size() > PAYLOAD_LIBRARY_SIZE) {
        errors->push_back("support library: " + std::to_string(dll.size()) + " bytes, slot " +
                          std::to_string(PAYLOAD_LIBRARY_SIZE) + " bytes");
        return false;
    }
    std::string padded = dll;
    padded.resize(PAYLOAD_LIBRARY_SIZE, '\0');
    *szdd = SzddCompress(padded, 'L');
    const size_t room = PAYLOAD_FIRST_ENTRY - PAYLOAD_LIBRARY_OFFSET;
    if (szdd->size() > room) {
        errors->push_back("support library: SZDD form " + std::to_string(szdd->size()) + " bytes, slot " +
                          std::to_string(room) + " bytes");
        return false;
    }
    return true;
}

int BuildSetupProgram(const BuildInput &in, std::vector<std::string> *errors) {
    std::string image, dll;
    if (!ReadFile(in.engine, &image)) errors->push_back(in.engine + ": cannot be read");
    if (!ReadFile(in.library, &dll)) errors->push_back(in.library + ": cannot be read");
    if (!errors->empty()) return 1;
    if (image.size() > PAYLOAD_LIBRARY_OFFSET) {
        errors->push_back(in.engine + ": engine image " + std::to_string(image.size()) + " bytes, slot " +
                          std::to_string(PAYLOAD_LIBRARY_OFFSET) + " bytes");
        return 1;
    }
    std::string szdd;
    if (!LibrarySzdd(dll, &szdd, errors)) {
        errors->back() = in.library + ": " + errors->back();
        return 1;
    }
    std::string head = image;
    head.resize(PAYLOAD_LIBRARY_OFFSET, '\0');
    head += szdd;
    head.resize(PAYLOAD_FIRST_ENTRY, '\0');

    // Written beside and renamed, so that a failed write never leaves a
    // half-made program in place of a good one. The files to install come
    // behind the main script, whose entry carries the checksum of all the
    // rest: they are packed into a file of their own first and appended
    // once the main script's entry is written.
    std::string temp = in.output + ".part", files = in.output + ".files";
    FILE *out = fopen(temp.c_str(), "wb"), *behind = fopen(files.c_str(), "wb+");
    bool written = out && behind && fwrite(head.data(), 1, head.size(), out) == head.size();
    uint32_t crc = (uint32_t)crc32(0, (const Bytef *)head.data(), (uInt)head.size());
    static EntryWriter writer;
    time_t now = time(0);
    // Setup files: required ones, then the optional libraries, main script last.
    const char *required[] = {SETUP_FILE_PICTURE0, SETUP_FILE_PICTURE1, SETUP_FILE_PICTURE2,
                              SETUP_FILE_TEXT_BLOCKS, SETUP_FILE_FILE_SCRIPT};
    const char *optional[] = {SETUP_FILE_ODBC, SETUP_FILE_PLUGIN};
    std::string script, fileScript;
    // Once a fault is found the rest is only checked, so that every fault
    // is listed, and nothing more is packed.
    auto add = [&](const std::string &name, const std::string &folder, const std::string &path, unsigned flags,
                   FILE *to) {
        if (!FitsEntryTexts(name, folder, errors)) return;
        // Regular files only: a pipe would hold the read for ever. A file
        // too large for an entry is refused from its size alone, before
        // gigabytes are read and packed for nothing.
        struct stat st;
        Source source = {0, 0, 0};
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(source.file = fopen(path.c_str(), "rb"))) {
            errors->push_back(path + ": missing");
            return;
        }
        // The setup's text scripts go in with CR LF line ends, the profile
        // functions' and the copy page's; they are small.
        std::string text;
        if (flags == ENTRY_FLAGS_SETUP && IsTextScript(name)) {
            fclose(source.file);
            source.file = 0;
            if (!ReadFile(path, &text)) {
                errors->push_back(path + ": missing");
                return;
            }
            text = WithCrLf(text);
            source.bytes = &text;
        }
        if (FitsEntrySizes(name, (uint64_t)st.st_size, errors) && errors->empty() && written)
            written = writer.Write(to, name, folder, &source, flags, st.st_mtime, &crc, errors) || !errors->empty();
        if (source.file) fclose(source.file);
    };
    for (const char *name : required) add(name, "\\", SetupFilePath(in.product, name), ENTRY_FLAGS_SETUP, out);
    for (const char *name : optional) {
        struct stat st;
        if (stat(SetupFilePath(in.product, name).c_str(), &st) == 0)
            add(name, "\\", SetupFilePath(in.product, name), ENTRY_FLAGS_SETUP, out);
    }
    if (!ReadFile(SetupFilePath(in.product, SETUP_FILE_MAIN_SCRIPT), &script))
        errors->push_back(in.product + "/" + SETUP_FILE_MAIN_SCRIPT + ": missing");
    script = WithCrLf(script);
    if (errors->empty()) WarnOfMissingTexts(in.product + "/" + SETUP_FILE_MAIN_SCRIPT, script);
    uint64_t covered = written ? (uint64_t)ftello(out) : 0;

    // Files to install, in the file script's order: field 22 the entry name
    // (found below files/ or in the product folder), field 23 the destination
    // folder text.
    ReadFile(SetupFilePath(in.product, SETUP_FILE_FILE_SCRIPT), &fileScript);
    size_t at = 0;
    int line = 0;
    while (at < fileScript.size()) {
        size_t end = fileScript.find('\n', at);
        if (end == std::string::npos) end = fileScript.size();
        std::string record = fileScript.substr(at, end - at);
        if (!record.empty() && record.back() == '\r') record.pop_back();
        at = end + 1;
        line++;
        if (record.size() < 2 || record[0] != '|') continue;
        std::string name = RecordFieldText(record, 22), folder = RecordFieldText(record, 23);
        if (name.empty()) continue;
        std::string where = in.product + "/" + SETUP_FILE_FILE_SCRIPT + ":" + std::to_string(line) + ": ";
        if (!IsPlainEntryName(name.c_str())) {
            errors->push_back(where + "entry name \"" + name +
                              "\" is not a plain file name (folder part, device name, trailing dot or blank)");
            continue;
        }
        if (!IsAcceptedFolderText(folder.c_str())) {
            errors->push_back(where + "folder text \"" + folder + "\" of " + name +
                              " leads out of its folder (\"..\", drive, root or share)");
            continue;
        }
        std::string source = RecordSourcePath(in.product, RecordFieldText(record, 20), folder, name);
        struct stat st;
        if (stat(source.c_str(), &st) != 0 && !in.uninstaller.empty() && !strcasecmp(name.c_str(), "uninstx.exe"))
            source = in.uninstaller;
        add(name, folder, source, ENTRY_FLAGS_INSTALL, behind);
    }
    if (errors->empty() && written) {
        uint64_t filesSize = (uint64_t)ftello(behind);
        covered += filesSize;
        int sum = (int)(crc & 0x7FFFFFFF);
        if (sum == 0) sum = 1;
        Source main = {0, 0, 0};
        std::string signed_ = WithSignature(script, (unsigned)covered, sum);
        main.bytes = &signed_;
        // The main script's entry is left out of the sum it carries.
        uint32_t mainCrc = 0;
        written = writer.Write(out, SETUP_FILE_MAIN_SCRIPT, "\\", &main, ENTRY_FLAGS_SETUP, now, &mainCrc, errors);
        uint64_t total = (uint64_t)ftello(out) + filesSize;
        if (written && total > 0xFFFFFFFFu)
            errors->push_back(in.output + ": " + std::to_string(total) +
                              " bytes, past the 4 GiB that entry offsets reach");
        else if (written)
            written = writer.Append(out, behind);
    }
    if (behind) fclose(behind);
    remove(files.c_str());
    if (out && fclose(out) != 0) written = false;
    if (!written && errors->empty()) errors->push_back(in.output + ": cannot be written");
    if (!errors->empty() || rename(temp.c_str(), in.output.c_str()) != 0) {
        remove(temp.c_str());
        if (errors->empty()) errors->push_back(in.output + ": cannot be written");
        return 1;
    }
    return 0;
}

static int CheckFile(const std::string &path, std::string *listing, std::vector<std::string> *errors,
                     bool decode) {
    std::string file;
    if (!ReadFile(path, &file)) {
        errors->push_back(path + ": cannot be read");
        return 1;
    }
    if (file.size() < PAYLOAD_FIRST_ENTRY) {
        errors->push_back(path + ": " + std::to_string(file.size()) + " bytes, shorter than the payload offset " +
                          std::to_string(PAYLOAD_FIRST_ENTRY));
        return 1;
    }
    std::string library;
    std::string slot = file.substr(PAYLOAD_LIBRARY_OFFSET, PAYLOAD_FIRST_ENTRY - PAYLOAD_LIBRARY_OFFSET);
    if (!SzddExpand(slot, &library) || library.size() != PAYLOAD_LIBRARY_SIZE)
        errors->push_back(path + ": support library slot does not expand to " +
                          std::to_string(PAYLOAD_LIBRARY_SIZE) + " bytes");
    std::vector<Entry> entries;
    WalkEntries(file, &entries, errors, path);
    static InflateState state;
    std::string script, fileScript;
    bool mainScript = false;
    for (const Entry &e : entries) {
        if (listing) {
            char line[700];
            snprintf(line, sizeof line, "%10zu %10u %10u %08x %s %s\n", e.offset, e.h.stored, e.h.expanded,
                     e.h.crc, e.h.folder, e.h.name);
            *listing += line;
        }
        if (!decode) continue;
        MemoryInput mi = {(const unsigned char *)file.data() + e.data, e.h.stored};
        // The check the support library makes when it unpacks the entry.
        int r = InflateEntry(&state, &e.h, ReadMemory, &mi, Discard, 0);
        if (r != ENTRY_DATA_OK)
            errors->push_back(path + ": entry " + e.h.name + ": damaged data, CRC-32 or size mismatch");
        if (!IsPlainEntryName(e.h.name) || !IsAcceptedFolderText(e.h.folder))
            errors->push_back(path + ": entry \"" + e.h.folder + e.h.name + "\" at offset " +
                              std::to_string(e.offset) + " leads out of its folder or is not a plain file name");
        if (!mainScript && strcmp(e.h.name, SETUP_FILE_MAIN_SCRIPT) == 0) {
            mainScript = true;
            if (r == ENTRY_DATA_OK) script = Expanded(file, e);
        }
        if (!mainScript && strcmp(e.h.name, SETUP_FILE_FILE_SCRIPT) == 0 && r == ENTRY_DATA_OK)
            fileScript = Expanded(file, e);
    }
    if (decode && !mainScript)
        errors->push_back(path + ": no main script entry " + SETUP_FILE_MAIN_SCRIPT + ": the setup cannot start");
    if (decode && mainScript) CheckRecords(path, entries, fileScript, errors);
    if (decode) {
        unsigned covered;
        int sum;
        SetupChecksum(file, &covered, &sum);
        size_t s = script.find("[SIG]");
        long want = 0, size = 0;
        if (s != std::string::npos) {
            size_t c = script.find("CheckSum=", s), z = script.find("Size=", s);
            if (c != std::string::npos) want = atol(script.c_str() + c + 9);
            if (z != std::string::npos) size = atol(script.c_str() + z + 5);
        }
        if (want != 0 && (want != sum || size != (long)covered))
            errors->push_back(path + ": checksum " + std::to_string(sum) + " over " + std::to_string(covered) +
                              " bytes, main script expects " + std::to_string(want) + " over " +
                              std::to_string(size));
    }
    return errors->empty() ? 0 : 1;
}

int ListSetupProgram(const std::string &path, std::string *listing, std::vector<std::string> *errors) {
    return CheckFile(path, listing, errors, false);
}

int VerifySetupProgram(const std::string &path, std::vector<std::string> *errors) {
    return CheckFile(path, 0, errors, true);
}
