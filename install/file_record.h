// The file script: one record per line, fields between "|", numbered from 1.
#pragma once
#include <windows.h>

#define FILE_RECORD_READ 400
#define FILE_RECORD_SIZE (FILE_RECORD_READ + 1)

// The record read last; it stays when no further record can be read.
extern char g_fileRecord[FILE_RECORD_SIZE];

enum FileRecordResult {
    RECORD_READ = 1,      // g_fileRecord holds the next record
    RECORD_NONE = 0,      // end of the script (or an empty line)
    RECORD_TOO_LONG = -1  // a line without its end inside the 400 bytes
};

void RewindFileScript(HFILE script);
// Reads the next record into record (FILE_RECORD_SIZE bytes).
int ReadFileRecord(HFILE script, char *record);
// Field n as text (cut to size); empty when the record has no such field.
void RecordField(const char *record, int n, char *buffer, int size);
// Field n as a number: unsigned decimal digits without validation.
DWORD RecordNumber(const char *record, int n);
// Number of complete fields (each one closed by "|").
int RecordFieldCount(const char *record);
