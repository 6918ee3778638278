// The edit never touches the file in place: the new text is written into a
// temp file beside it, then the original moves to its numbered backup name
// and the temp file takes the original's name. Any failure on the way
// leaves the original where and as it was; a backup name already in use is
// never written over (MoveFileA refuses an existing target).
#include "actions/text_edit.h"
#include "install/file_checks.h"
#include "payload/paths.h"
#include "base/text.h"
#include <windows.h>

namespace {

struct Output {
    HANDLE file;
    int used;
    int failed;
    char buffer[2048];
};

void Flush(Output &out) {
    DWORD written = 0;
    if (out.used && !out.failed &&
        (!WriteFile(out.file, out.buffer, (DWORD)out.used, &written, 0) || written != (DWORD)out.used))
        out.failed = 1;
    out.used = 0;
}

void Put(Output &out, const char *data, DWORD length) {
    for (DWORD i = 0; i < length; i++) {
        if (out.used == (int)sizeof out.buffer) Flush(out);
        out.buffer[out.used++] = data[i];
    }
}

// Lines are counted texts: a line may hold NUL bytes and be of any length.
void PutLine(Output &out, const char *line, DWORD length, const char *tail, DWORD tailLength) {
    Put(out, line, length);
    Put(out, tail, tailLength);
    Put(out, "\r\n", 2);
}

int Contains(const char *line, DWORD length, const char *text, DWORD textLength) {
    if (textLength > length) return 0;
    for (DWORD i = 0; i + textLength <= length; i++) {
        DWORD k = 0;
        while (k < textLength && line[i + k] == text[k]) k++;
        if (k == textLength) return 1;
    }
    return 0;
}

// Writes the edited lines of data (size bytes) into out. A line ends at
// CR LF, a lone CR or a lone LF; a last line without an end is a line too.
void EditLines(Output &out, const char *data, DWORD size, const char *search, const char *text, int mode) {
    DWORD searchLength = (DWORD)TextLength(search), textLength = (DWORD)TextLength(text);
    int inserted = 0;
    DWORD i = 0;
    while (i < size) {
        DWORD start = i;
        while (i < size && data[i] != '\r' && data[i] != '\n') i++;
        DWORD length = i - start;
        if (i < size) i += data[i] == '\r' && i + 1 < size && data[i + 1] == '\n' ? 2 : 1;
        const char *line = data + start;
        if (mode == 1 && !inserted) {
            PutLine(out, text, textLength, "", 0);
            inserted = 1;
        }
        if (mode == 2) inserted = 1;
        if (inserted || !Contains(line, length, search, searchLength)) {
            PutLine(out, line, length, "", 0);
            continue;
        }
        switch (mode) {
        case 3: PutLine(out, line, length, text, textLength); break;
        case 5:
            PutLine(out, line, length, "", 0);
            PutLine(out, text, textLength, "", 0);
            break;
        case 6:
            PutLine(out, text, textLength, "", 0);
            PutLine(out, line, length, "", 0);
            break;
        }
    }
    if (mode == 2) PutLine(out, text, textLength, "", 0);
}

// The whole file in one heap block; 0 when it cannot be read completely.
char *ReadWholeFile(const char *path, DWORD *size) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD high = 0;
    *size = GetFileSize(file, &high);
    char *data = 0;
    if (*size != INVALID_FILE_SIZE && high == 0 && *size < 0x40000000u)
        data = (char *)HeapAlloc(GetProcessHeap(), 0, *size + 1);
    DWORD got = 0;
    if (data && (!ReadFile(file, data, *size, &got, 0) || got != *size)) {
        HeapFree(GetProcessHeap(), 0, data);
        data = 0;
    }
    CloseHandle(file);
    return data;
}

}  // namespace

int EditTextFile(char *file, const char *searchText, const char *lineText, int mode) {
    for (char *p = file; *p; p++)
        if (*p == '/') *p = '\\';
    DWORD attributes = GetFileAttributesA(file);
    Output out;
    out.used = out.failed = 0;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        out.file = CreateFileA(file, GENERIC_WRITE, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
        if (out.file == INVALID_HANDLE_VALUE) return 0;
        PutLine(out, lineText, (DWORD)TextLength(lineText), "", 0);
        Flush(out);
        CloseHandle(out.file);
        return 0;
    }
    char backup[MAX_PATH], folder[MAX_PATH], temp[MAX_PATH];
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    if (!NumberedBackupName(file, backup, sizeof backup)) return 0;
    DWORD size = 0;
    char *data = ReadWholeFile(file, &size);
    if (!data) return 0;
    DirectoryOfPath(file, folder, sizeof folder);
    if (!folder[0]) CopyText(folder, ".", sizeof folder);
    AddBackslash(folder, sizeof folder);  // "C:" alone would name the drive's current folder
    if (GetTempFileNameA(folder, "VTE", 0, temp)) {
        out.file = CreateFileA(temp, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
        if (out.file != INVALID_HANDLE_VALUE) {
            EditLines(out, data, size, searchText, lineText, mode);
            Flush(out);
            if (!CloseHandle(out.file)) out.failed = 1;
        } else {
            out.failed = 1;
        }
        if (out.failed || !MoveFileA(file, backup)) {
            DeleteFileA(temp);
        } else if (!MoveFileA(temp, file)) {
            MoveFileA(backup, file);
            DeleteFileA(temp);
        }
    }
    HeapFree(GetProcessHeap(), 0, data);
    return 0;
}
