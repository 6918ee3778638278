// Payload entry headers and the names they carry: parsing and the checks
// that keep an entry inside its target folder. Plain C++ for the tools too.
#pragma once
#include <stdint.h>
#include "payload/entry_names.h"

struct EntryHeader {
    unsigned version, flags, method, time, date;
    uint32_t crc, stored, expanded;
    unsigned nameLength, extraLength;
    char name[256];
    char folder[256];
};

// Reads the fixed header from bytes (at least ENTRY_HEADER_SIZE); returns
// false on a bad signature, method or a name/folder text too long for the
// entry record.
bool ParseEntryHeader(const unsigned char *bytes, EntryHeader *h);
// Takes the name and folder text that follow the header (nameLength +
// extraLength bytes); false when they hold a NUL.
bool ParseEntryTexts(const unsigned char *bytes, EntryHeader *h);
// Reads len bytes at offset of the program file into buf; false unless all
// of them were read.
typedef bool (*EntryReadAt)(void *context, uint32_t offset, void *buf, uint32_t len);
// Reads the entry at offset of a program file of fileSize bytes (header,
// name and folder text); data receives the offset of its stored bytes, and
// the next entry starts at data + stored. False when the header is damaged
// or the texts or the stored data run past the end of the file.
bool ReadEntryAt(EntryReadAt read, void *context, uint32_t fileSize, uint32_t offset, EntryHeader *h,
                 uint32_t *data);
