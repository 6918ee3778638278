// The payload entry walk, unpacking one entry into its target folder, and
// the program file's checksum.
#include "supportlib/library.h"
#include "supportlib/crc32.h"
#include "supportlib/entry_data.h"
#include "supportlib/inflate.h"
#include "supportlib/program_sum.h"
#include "payload/payload_layout.h"

// Decoder state (about 90 KiB), taken from the system when first needed so
// that it does not weigh on the library's image.
static InflateState *g_inflate;
static InflateState *Inflater() {
    if (!g_inflate) g_inflate = (InflateState *)VirtualAlloc(0, sizeof(InflateState), MEM_COMMIT, PAGE_READWRITE);
    return g_inflate;
}

static HANDLE OpenProgram(const char *path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
}

// Offsets up to the format's 4 GiB: with a high part given, the low part
// counts as unsigned (alone it is a signed 2 GiB distance).
static bool SeekTo(HANDLE file, DWORD offset) {
    LONG high = 0;
    return SetFilePointer(file, (LONG)offset, &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
           GetLastError() == NO_ERROR;
}

static bool ReadAt(void *file, uint32_t offset, void *buf, uint32_t len) {
    DWORD got = 0;
    if (!SeekTo((HANDLE)file, offset)) return false;
    return ReadFile((HANDLE)file, buf, len, &got, 0) && got == len;
}

// The program file during a walk: opened once, not for every entry, and
// read ahead in large blocks, so that a product of many small files costs
// neither an open nor a read per entry. UDF1 starts a new walk and closes
// it; the file does not change while the setup runs.
#define READ_AHEAD 65536
static struct {
    HANDLE file;  // 0 while closed
    DWORD size;
    char path[MAX_PATH];
    unsigned char *block;  // READ_AHEAD bytes, taken from the system on first use
    DWORD blockStart, blockLength;
} g_program;

static void CloseProgram() {
    if (g_program.file) CloseHandle(g_program.file);
    g_program.file = 0;
    g_program.blockLength = 0;
}

// Starts the entry walk at the first entry; the program file is opened
// again on the next read.
LIBRARY_ENTRY UDF1(int firstEntryOffset, int arg) {
    g_entryPosition = (DWORD)firstEntryOffset;
    g_entryPending = 0;
    CloseProgram();
    return 0;
}

static bool SamePath(const char *a, const char *b) {
    for (; *a == *b; a++, b++)
        if (!*a) return true;
    return false;
}

static bool WalkProgram(const char *path) {
    if (g_program.file && SamePath(path, g_program.path)) return true;
    CloseProgram();
    if (!g_program.block) g_program.block = (unsigned char *)VirtualAlloc(0, READ_AHEAD, MEM_COMMIT, PAGE_READWRITE);
    if (!g_program.block || lstrlenA(path) >= MAX_PATH) return false;
    HANDLE file = OpenProgram(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    g_program.file = file;
    CopyBounded(g_program.path, path, sizeof g_program.path);
    g_program.size = GetFileSize(g_program.file, 0);
    return true;
}

// len bytes at offset of the walked program file: from the block read
// ahead, or straight from the file for a piece larger than the block.
static bool ReadProgram(void *, uint32_t offset, void *buf, uint32_t len) {
    unsigned char *out = (unsigned char *)buf;
    while (len) {
        if (offset >= g_program.blockStart && offset - g_program.blockStart < g_program.blockLength) {
            DWORD at = offset - g_program.blockStart, n = g_program.blockLength - at;
            if (n > len) n = len;
            for (DWORD i = 0; i < n; i++) out[i] = g_program.block[at + i];
            out += n;
            offset += n;
            len -= n;
            continue;
        }
        if (len >= READ_AHEAD) return ReadAt(g_program.file, offset, out, len);
        DWORD got = 0;
        g_program.blockLength = 0;
        if (!SeekTo(g_program.file, offset) ||
            !ReadFile(g_program.file, g_program.block, READ_AHEAD, &got, 0) || got == 0)
            return false;
        g_program.blockStart = offset;
        g_program.blockLength = got;
    }
    return true;
}

static void Put32(char *p, DWORD v) {
    for (int i = 0; i < 4; i++) p[i] = (char)(v >> (8 * i));
}

// The skipping argument is accepted for both phases alike: every entry is
// returned in file order.
LIBRARY_ENTRY KWP_NEXTLOOP(const char *programPath, int skipping, char *record) {
    g_entryPending = 0;
    if (!record || !programPath || g_entryPosition == 0) return NEXTLOOP_END;
    if (!WalkProgram(programPath)) {
        ReportProblem("Error", "Error opening archive: ", programPath);
        return NEXTLOOP_END;
    }
    DWORD size = g_program.size;
    uint32_t data = 0;
    bool ok = g_entryPosition < size && ReadEntryAt(ReadProgram, 0, size, g_entryPosition, &g_entry, &data);
    if (!ok) {
        // Not the archive that failed to open: an entry header that is
        // damaged or claims more bytes than the file holds.
        if (g_entryPosition < size) {
            char where[40];
            wsprintfA(where, " (offset %lu)", (unsigned long)g_entryPosition);
            char subject[MAX_PATH + 40];
            CopyBounded(subject, programPath, MAX_PATH);
            AppendBounded(subject, where, sizeof subject);
            ReportProblem("Error", "Damaged entry header: ", subject);
        }
        g_entryPosition = 0;  // a damaged walk does not go on
        return NEXTLOOP_END;
    }
    ZeroMemory(record, ENTRY_RECORD_SIZE);
    Put32(record + 0, g_entryPosition);
    Put32(record + 4, data);
    Put32(record + 8, g_entry.stored);
    Put32(record + ENTRY_RECORD_EXPANDED, g_entry.expanded);
    Put32(record + 16, g_entry.crc);
    Put32(record + 20, g_entry.time | g_entry.date << 16);
    Put32(record + 24, g_entry.flags);
    CopyBounded(record + ENTRY_RECORD_NAME, g_entry.name, ENTRY_RECORD_TEXT_MAX);
    CopyBounded(record + ENTRY_RECORD_FOLDER, g_entry.folder, ENTRY_RECORD_TEXT_MAX);
    g_entryData = data;
    g_entryPosition = data + g_entry.stored;
    g_entryPending = 1;
    return NEXTLOOP_ENTRY;
}

struct UnpackInput {
    DWORD offset;
    DWORD left;
};

static int ReadStored(void *context, unsigned char *buf, int max) {
    UnpackInput *in = (UnpackInput *)context;
    DWORD want = in->left < (DWORD)max ? in->left : (DWORD)max;
    if (want == 0) return 0;
    if (!ReadProgram(0, in->offset, buf, want)) return -1;
    in->offset += want;
    in->left -= want;
    return (int)want;
}

// Keeps the window painting and answering while a large entry is written;
// a small one is done before the next look would be due. Without a
// progress window (start-up, silent setups) the caller's windows are still
// there: a look at the queue answers the messages other threads send to
// them (PeekMessage handles those before it looks), while posted messages
// and input wait for the caller's own loop.
#define PUMP_PERIOD 20
static DWORD g_lastPump;
static void PumpMessages() {
    if (GetTickCount() - g_lastPump < PUMP_PERIOD) return;
    MSG msg;
    if (!g_progressWindow) PeekMessageA(&msg, 0, 0, 0, PM_NOREMOVE);
    else
        while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    g_lastPump = GetTickCount();
}

// Opens a new file of a name of its own in folder for writing: the entry
// is written under it and takes the target's name only when complete.
static HANDLE CreateWorkFile(const char *folder, char *name) {
    static DWORD counter;
    if (!counter) counter = GetTickCount();
    for (int tries = 0; tries < 100; tries++) {
        wsprintfA(name, "%s\\VTU%04X.tmp", folder, (unsigned)(counter++ & 0xFFFF));
        HANDLE out = CreateFileA(name, GENERIC_WRITE, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
        if (out != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return out;
    }
    return INVALID_HANDLE_VALUE;
}

struct UnpackOutput {
    HANDLE file;
    DWORD done, step;  // bytes written; bytes per percent of the entry
    int percent;       // last percentage sent
};

// Writes a block and tells the progress window the share written ("CKWP1",
// lParam 0 to 100) once per percent step, not once per block.
static int WriteTarget(void *context, const unsigned char *buf, int len) {
    UnpackOutput *out = (UnpackOutput *)context;
    DWORD put = 0;
    if (!WriteFile(out->file, buf, (DWORD)len, &put, 0) || put != (DWORD)len) return 1;
    out->done += put;
    int percent = out->step ? (int)(out->done / out->step) : 100;
    if (percent > 100) percent = 100;
    if (g_progressWindow && percent != out->percent) {
        out->percent = percent;
        SendMessageA(g_progressWindow, g_progressMessage, 0, percent);
    }
    PumpMessages();
    return 0;
}

// The complete new file takes the target's name. The old file is kept until
// the new one is in place: replaced in one step where the system can, else
// moved aside and moved back when the new one cannot take its place.
static bool PutInPlace(const char *temp, const char *target, const char *folder) {
    if (MoveFileA(temp, target)) return true;  // a new file: nothing to keep
    SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    if (MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING)) return true;
    if (GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES) return MoveFileA(temp, target) != 0;
    char aside[MAX_PATH];
    if (!GetTempFileNameA(folder, "VTO", 0, aside)) return false;
    DeleteFileA(aside);
    if (!MoveFileA(target, aside)) return false;
    if (MoveFileA(temp, target)) {
        DeleteFileA(aside);
        return true;
    }
    MoveFileA(aside, target);
    return false;
}

// Results: 0 written (or consumed); 1 no such entry pending; 2 path refused;
// 3 folder not created; 4 replacing refused; 5 archive unreadable; 6 data
// damaged (deflate or CRC); 7 write failed.
LIBRARY_ENTRY KWP_UNPACK(const char *entryName, const char *folderText, const char *programPath,
                         const char *targetFolder, int options) {
    if (!g_entryPending || !entryName || lstrcmpA(entryName, g_entry.name) != 0) return 1;
    g_entryPending = 0;
    if (options & UNPACK_CONSUME_ONLY) return 0;

    const char *fileName = (options & UNPACK_RENAMED) && g_newName[0] ? g_newName : entryName;
    char folder[MAX_PATH], target[MAX_PATH + 2];
    CopyBounded(folder, targetFolder ? targetFolder : "", sizeof folder);
    if ((options & UNPACK_ADD_FOLDER) && folderText) {
        if (!IsContainedFolderText(folderText)) {
            ReportProblem("Error", "Output write failure: ", folderText);
            return 2;
        }
        if (lstrcmpA(folderText, "\\") != 0 && folderText[0]) {
            int len = lstrlenA(folder);
            if (len && folder[len - 1] != '\\' && folderText[0] != '\\') AppendBounded(folder, "\\", sizeof folder);
            if (len && folder[len - 1] == '\\' && folderText[0] == '\\') folderText++;
            AppendBounded(folder, folderText, sizeof folder);
        }
    }
    int len = lstrlenA(folder);
    while (len > 0 && folder[len - 1] == '\\') folder[--len] = 0;
    // The entry's own name is checked whatever the options say: a new name
    // given for it does not make a name that climbs out of its folder safe.
    if (!IsPlainEntryName(entryName) || !IsPlainEntryName(fileName)) {
        ReportProblem("Error", "Not a plain file name (folder part or device name): ",
                      IsPlainEntryName(entryName) ? fileName : entryName);
        return 2;
    }
    if (len == 0 || len + 1 + lstrlenA(fileName) >= MAX_PATH) {
        ReportProblem("Error", "Output write failure: ", fileName);
        return 2;
    }
    wsprintfA(target, "%s\\%s", folder, fileName);

    if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES) {
        char question[MAX_PATH + 20];
        wsprintfA(question, "Create Path: %s", folder);
        if (!(options & UNPACK_CREATE_FOLDER) && !AskYesNo(question)) return 3;
        if (!CreateFolders(folder)) {
            ReportProblem("Error", "Error creating directory: ", folder);
            return 3;
        }
    }
    if (!(options & UNPACK_REPLACE) && GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) {
        char question[MAX_PATH + 40];
        wsprintfA(question, "Are you sure you wish to replace %s", target);
        if (!AskYesNo(question)) return 4;
    }

    if (!Inflater()) {
        ReportProblem("Error", "Output write failure: ", target);
        return 7;
    }
    if (!WalkProgram(programPath ? programPath : "")) {
        ReportProblem("Error", "Error opening archive: ", programPath ? programPath : "");
        return 5;
    }
    UnpackInput in;
    in.offset = g_entryData;
    in.left = g_entry.stored;

    // Every file is written under a work name in its folder first; only a
    // complete, checked file takes the target's name. A run killed half way
    // leaves a work file, never a half file under the real name.
    char temp[MAX_PATH + 16];
    NoteWorkFolder(folder);
    HANDLE out = CreateWorkFile(folder, temp);
    if (out == INVALID_HANDLE_VALUE) {
        ReportProblem("Error", "Output write failure: ", target);
        return 7;
    }
    UnpackOutput written = {out, 0, g_entry.expanded / 100, -1};
    int r = InflateEntry(g_inflate, &g_entry, ReadStored, &in, WriteTarget, &written);
    FILETIME local, stamp;
    if (r == ENTRY_DATA_OK && DosDateTimeToFileTime((WORD)g_entry.date, (WORD)g_entry.time, &local) &&
        LocalFileTimeToFileTime(&local, &stamp))
        SetFileTime(out, 0, 0, &stamp);
    CloseHandle(out);
    int result = 0;
    if (r == ENTRY_DATA_WRITE_FAILED) {
        ReportProblem("Error", "Output write failure: ", target);
        result = 7;
    } else if (r != ENTRY_DATA_OK) {
        ReportProblem("Error", "CRC-32 failure: ", target);
        result = 6;
    } else if (!PutInPlace(temp, target, folder)) {
        ReportProblem("Error", "Output write failure: ", target);
        result = 7;
    }
    if (result) DeleteFileA(temp);
    return result;
}

// Checksum of the program file: CRC-32 of every byte except the main
// script's entry (which carries the expected figures), folded to a positive
// non-zero int. size is the number of bytes covered; a file of another size
// yields 0, which never matches a stored sum. Read a mebibyte at a time.
#define SUM_PIECE (1u << 20)
LIBRARY_ENTRY SFXSIG(const char *programPath, int size) {
    HANDLE file = OpenProgram(programPath ? programPath : "");
    if (file == INVALID_HANDLE_VALUE) return 0;
    unsigned char *buffer = (unsigned char *)VirtualAlloc(0, SUM_PIECE, MEM_COMMIT, PAGE_READWRITE);
    uint32_t covered = 0, crc = 0;
    if (buffer) crc = ProgramSum(ReadAt, file, GetFileSize(file, 0), buffer, SUM_PIECE, &covered);
    CloseHandle(file);
    if (buffer) VirtualFree(buffer, 0, MEM_RELEASE);
    if (!buffer || covered != (uint32_t)size) return 0;
    int sum = (int)(crc & 0x7FFFFFFF);
    return sum ? sum : 1;
}
