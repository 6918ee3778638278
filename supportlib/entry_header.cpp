#include "supportlib/entry_header.h"
#include "payload/payload_layout.h"
#include <string.h>

static unsigned Get16(const unsigned char *p) { return p[0] | p[1] << 8; }
static uint32_t Get32(const unsigned char *p) {
    return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24;
}

bool ParseEntryHeader(const unsigned char *b, EntryHeader *h) {
    if (memcmp(b, ENTRY_SIGNATURE, 4) != 0) return false;
    h->version = Get16(b + ENTRY_OFF_VERSION);
    h->flags = Get16(b + ENTRY_OFF_FLAGS);
    h->method = Get16(b + ENTRY_OFF_METHOD);
    h->time = Get16(b + ENTRY_OFF_TIME);
    h->date = Get16(b + ENTRY_OFF_DATE);
    h->crc = Get32(b + ENTRY_OFF_CRC);
    h->stored = Get32(b + ENTRY_OFF_STORED);
    h->expanded = Get32(b + ENTRY_OFF_EXPANDED);
    h->nameLength = Get16(b + ENTRY_OFF_NAMELEN);
    h->extraLength = Get16(b + ENTRY_OFF_EXTRALEN);
    h->name[0] = h->folder[0] = 0;
    if (h->method != ENTRY_METHOD_DEFLATE) return false;
    return h->nameLength > 0 && h->nameLength < ENTRY_RECORD_TEXT_MAX &&
           h->extraLength < ENTRY_RECORD_TEXT_MAX;
}

bool ParseEntryTexts(const unsigned char *b, EntryHeader *h) {
    if (memchr(b, 0, h->nameLength + h->extraLength)) return false;
    memcpy(h->name, b, h->nameLength);
    h->name[h->nameLength] = 0;
    memcpy(h->folder, b + h->nameLength, h->extraLength);
    h->folder[h->extraLength] = 0;
    return true;
}

bool ReadEntryAt(EntryReadAt read, void *context, uint32_t fileSize, uint32_t offset, EntryHeader *h,
                 uint32_t *data) {
    unsigned char header[ENTRY_HEADER_SIZE + 2 * ENTRY_RECORD_TEXT_MAX];
    if (offset > fileSize || fileSize - offset < ENTRY_HEADER_SIZE) return false;
    if (!read(context, offset, header, ENTRY_HEADER_SIZE) || !ParseEntryHeader(header, h)) return false;
    uint32_t texts = h->nameLength + h->extraLength;
    if (fileSize - offset - ENTRY_HEADER_SIZE < texts) return false;
    if (!read(context, offset + ENTRY_HEADER_SIZE, header + ENTRY_HEADER_SIZE, texts)) return false;
    if (!ParseEntryTexts(header + ENTRY_HEADER_SIZE, h)) return false;
    *data = offset + ENTRY_HEADER_SIZE + texts;
    return h->stored <= fileSize - *data;
}
