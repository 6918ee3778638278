// One entry's stored data through the decoder: the expanded bytes go to a
// sink, and the result says whether they are the ones the header promises
// (its CRC-32 and expanded size). Plain C++ for the tools too.
#pragma once
#include "supportlib/entry_header.h"
#include "supportlib/inflate.h"

enum EntryDataResult {
    ENTRY_DATA_OK = 0,
    ENTRY_DATA_DAMAGED = 1,       // deflate stream broken, CRC-32 or size differs
    ENTRY_DATA_READ_FAILED = 2,   // the source failed
    ENTRY_DATA_WRITE_FAILED = 3   // the sink refused
};

// Decodes the stored data pulled from read. The sink never receives more
// than the header's expanded size: a stream that runs longer is damaged and
// stops there, so a broken entry cannot fill the target disk.
int InflateEntry(InflateState *state, const EntryHeader *h, InflateRead read, void *readContext,
                 InflateWrite write, void *writeContext);
