#include "script/text_blocks.h"
#include "payload/binding.h"
#include "base/settings.h"
#include "base/text.h"

HFILE g_blockOutputFile;

static HFILE s_file;
static char *s_memory;
static int s_length;
static WORD s_blockState;      // 0 outside, 1 inside the wanted block, 2 end seen
static WORD s_paragraphStart;  // 1 at the start of a paragraph
static int s_lineCount;

int LoadTextBlockFile(const char *path) {
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR) return 0;
    LONG size = _llseek(file, 0, 2);
    _llseek(file, 0, 0);
    if (size <= 0) return _lclose(file), 0;
    char *memory = (char *)LocalAlloc(LMEM_FIXED, size + 1);
    if (!memory) return _lclose(file), 0;
    UINT length = _lread(file, memory, size);
    if (length == 0 || length == (UINT)HFILE_ERROR) {
        _lclose(file);
        LocalFree(memory);
        return 0;
    }
    s_file = file;
    s_memory = memory;
    s_length = (int)length;
    return 1;
}

void FreeTextBlockFile() {
    if (s_file) _lclose(s_file);
    if (s_memory) LocalFree(s_memory);
    s_file = 0;
    s_memory = 0;
    s_length = 0;
}

// Markers are compared over their own length, ignoring case.
static int BeginsWith(const char *line, const char *marker) {
    int length = TextLength(marker);
    if (TextLength(line) < length) return 0;
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, line, length, marker, length) == CSTR_EQUAL;
}

static void DeliverText(HWND dialog, int itemId) {
    if (itemId) {
        if (g_textBuffer[0]) g_support.CONVERTMACRO(g_textBuffer, 5);
        SetDlgItemTextA(dialog, itemId, g_textBuffer);
        return;
    }
    if (g_blockOutputFile) {
        _lwrite(g_blockOutputFile, g_textBuffer, TextLength(g_textBuffer));
        _lclose(g_blockOutputFile);
        g_blockOutputFile = 0;
    }
}

static int ScanTextBlockLine(const char *line, const char *startMarker, const char *endMarker, HWND dialog,
                             int itemId, int paragraphStyle, int skipCount) {
    if (BeginsWith(line, startMarker)) {
        s_blockState = 1;
        g_textBuffer[0] = 0;
        return 0;
    }
    if (BeginsWith(line, endMarker)) s_blockState = 2;
    if (s_blockState == 1) {
        s_lineCount++;
        if (s_lineCount > skipCount) {
            // AppendText cuts at the end of the text buffer.
            if (!line[0]) {
                AppendText(g_textBuffer, paragraphStyle ? "\n\n" : "\r\n\r\n", TEXT_BUFFER_SIZE);
                s_paragraphStart = 1;
            } else {
                if (!s_paragraphStart) AppendText(g_textBuffer, "\r\n", TEXT_BUFFER_SIZE);
                AppendText(g_textBuffer, line, TEXT_BUFFER_SIZE);
                s_paragraphStart = 0;
            }
        }
    }
    if (s_blockState == 2) {
        DeliverText(dialog, itemId);
        s_blockState = 0;
        return 1;
    }
    return 0;
}

int ExtractTextBlockFrom(const char *memory, int length, const char *startMarker, const char *endMarker,
                         HWND dialog, int itemId, int paragraphStyle, int skipCount) {
    s_paragraphStart = 1;
    s_lineCount = 0;
    int result = 0;
    static char line[TEXT_LINE_SIZE];
    int pos = 0;
    while (memory && g_textBuffer && pos < length && result != 1) {
        int used = 0;
        // A longer line is cut at the line buffer; the rest of it is skipped.
        while (pos < length && memory[pos] != '\r' && memory[pos] != '\n') {
            if (used < TEXT_LINE_SIZE - 1) line[used++] = memory[pos];
            pos++;
        }
        line[used] = 0;
        pos += 2;  // past the CR LF pair
        result = ScanTextBlockLine(line, startMarker, endMarker, dialog, itemId, paragraphStyle, skipCount);
    }
    // The block was not found: the caller's output file must not stay open.
    if (result != 1 && itemId == 0 && g_blockOutputFile) {
        _lclose(g_blockOutputFile);
        g_blockOutputFile = 0;
    }
    s_blockState = 0;
    return result;
}

int ExtractTextBlock(const char *startMarker, const char *endMarker, HWND dialog, int itemId,
                     int paragraphStyle, int skipCount) {
    return ExtractTextBlockFrom(s_memory, s_length, startMarker, endMarker, dialog, itemId, paragraphStyle,
                                skipCount);
}
