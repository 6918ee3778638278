#include "install/file_record.h"

char g_fileRecord[FILE_RECORD_SIZE];

void RewindFileScript(HFILE script) {
    if (script && script != HFILE_ERROR) _llseek(script, 0, 0);
}

int ReadFileRecord(HFILE script, char *record) {
    if (!script || script == HFILE_ERROR) return RECORD_NONE;
    char line[FILE_RECORD_SIZE];
    LONG start = _llseek(script, 0, 1);
    UINT got = _lread(script, line, FILE_RECORD_READ);
    if (got == (UINT)HFILE_ERROR || got == 0) return RECORD_NONE;
    UINT end = 1;
    while (end < got && line[end] != '\r' && line[end] != '\n') end++;
    if (end >= got) {
        // The last line of the script may lack its line end.
        if (got < FILE_RECORD_READ && got > 1) {
            line[got] = 0;
            lstrcpynA(record, line, FILE_RECORD_SIZE);
            _llseek(script, start + (LONG)got, 0);
            return RECORD_READ;
        }
        if (got <= 1) return RECORD_NONE;
        _llseek(script, start, 0);
        return RECORD_TOO_LONG;
    }
    if (end == 1 && got > 0 && (line[0] == '\r' || line[0] == '\n')) return RECORD_NONE;
    if (end == 1) return RECORD_NONE;
    // Lines end with CR LF; a lone LF or CR is taken as a line end too, so a
    // script saved with other line ends does not lose the first character
    // of every following line.
    UINT next = end + 1;
    if (line[end] == '\r' && next < got && line[next] == '\n') next++;
    line[end] = 0;
    lstrcpynA(record, line, FILE_RECORD_SIZE);
    _llseek(script, start + (LONG)next, 0);
    return RECORD_READ;
}

// Start of field n (just behind its opening "|") and its length; -1 when
// the field is not closed by a further "|".
static int FindField(const char *record, int n, const char **start) {
    const char *p = record;
    int bars = 0;
    while (*p && bars < n) {
        if (*p == '|') bars++;
        p++;
    }
    if (bars < n) return -1;
    const char *q = p;
    while (*q && *q != '|') q++;
    if (*q != '|') return -1;
    *start = p;
    return (int)(q - p);
}

void RecordField(const char *record, int n, char *buffer, int size) {
    if (size <= 0) return;
    buffer[0] = 0;
    const char *start;
    int length = FindField(record, n, &start);
    if (length <= 0) return;
    if (length > size - 1) length = size - 1;
    for (int i = 0; i < length; i++) buffer[i] = start[i];
    buffer[length] = 0;
}

DWORD RecordNumber(const char *record, int n) {
    char text[50];
    RecordField(record, n, text, sizeof text);
    DWORD value = 0;
    for (int i = 0; text[i]; i++) value = value * 10u + (DWORD)(text[i] - '0');
    return value;
}

int RecordFieldCount(const char *record) {
    int bars = 0;
    for (const char *p = record; *p; p++)
        if (*p == '|') bars++;
    return bars > 0 ? bars - 1 : 0;
}
