#include "supportlib/program_sum.h"
#include "payload/payload_layout.h"
#include "supportlib/crc32.h"

static bool IsMainScript(const char *name) {
    const char *main = SETUP_FILE_MAIN_SCRIPT;
    while (*name && *name == *main) name++, main++;
    return *name == *main;
}

uint32_t ProgramSum(EntryReadAt read, void *context, uint32_t fileSize, unsigned char *buffer, uint32_t bufferSize,
                    uint32_t *covered) {
    uint32_t skipFrom = fileSize, skipTo = fileSize, offset = PAYLOAD_FIRST_ENTRY, data;
    EntryHeader h;
    while (ReadEntryAt(read, context, fileSize, offset, &h, &data)) {
        if (IsMainScript(h.name)) {
            skipFrom = offset;
            skipTo = data + h.stored;
            break;
        }
        offset = data + h.stored;
    }
    uint32_t crc = 0;
    *covered = 0;
    for (uint32_t pos = 0; pos < fileSize;) {
        if (pos == skipFrom) {
            pos = skipTo;
            continue;
        }
        uint32_t n = (pos < skipFrom ? skipFrom : fileSize) - pos;
        if (n > bufferSize) n = bufferSize;
        if (!read(context, pos, buffer, n)) break;
        crc = Crc32Update(crc, buffer, n);
        *covered += n;
        pos += n;
    }
    return crc;
}
