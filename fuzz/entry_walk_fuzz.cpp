// Arbitrary bytes as the payload of a setup program, behind the engine image
// and the support library: the entry walk the library makes for
// KWP_NEXTLOOP, and for every entry the decode and check of KWP_UNPACK, over
// memory instead of the program file.
#include "buildtool/memory_streams.h"
#include "fuzz/chunked_input.h"
#include "payload/payload_layout.h"
#include "supportlib/entry_data.h"
#include "supportlib/entry_header.h"
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

namespace {

struct Target {
    uLong crc;  // zlib's CRC code, not the library's
    uint64_t size;
};
int WriteTarget(void *c, const unsigned char *buf, int len) {
    Target *t = (Target *)c;
    t->crc = crc32(t->crc, buf, (uInt)len);
    t->size += (unsigned)len;
    return 0;
}

// A text that keeps a file inside the target folder: no drive, no root, no
// step up. A folder text is appended to the target folder: it may start
// with one backslash (the join then adds none of its own) and hold
// backslashes between its parts; a second one at its start would name a
// server.
bool StaysInside(const char *text, bool folder) {
    if (folder && text[0] == '\\') text++;
    if (strchr(text, ':') || text[0] == '/' || text[0] == '\\') return false;
    if (!folder && strpbrk(text, "\\/")) return false;
    for (const char *part = text; *part;) {
        size_t len = strcspn(part, "\\/");
        if ((len == 2 && part[0] == '.' && part[1] == '.') || (len == 1 && part[0] == '.')) return false;
        part += len;
        if (*part) part++;
    }
    return true;
}

void Fail(const char *what, uint32_t offset) {
    fprintf(stderr, "entry at %u: %s\n", offset, what);
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > (1u << 24)) return 0;
    static InflateState *state = (InflateState *)malloc(sizeof(InflateState));
    // The program file: zero bytes up to the first entry, then the input.
    static std::string file;
    file.assign(PAYLOAD_FIRST_ENTRY, '\0');
    file.append((const char *)data, size);
    uint32_t position = PAYLOAD_FIRST_ENTRY, end = (uint32_t)file.size();
    int index = 0;
    while (position < end) {
        EntryHeader h;
        uint32_t stored;
        if (!ReadEntryAt(ReadStringAt, &file, end, position, &h, &stored)) break;
        if (stored < position + ENTRY_HEADER_SIZE || stored > end || h.stored > end - stored)
            Fail("stored data outside the file", position);
        if (strlen(h.name) != h.nameLength || strlen(h.folder) != h.extraLength)
            Fail("texts do not match their lengths", position);
        // The path checks KWP_UNPACK makes before it writes anything.
        if (IsPlainEntryName(h.name) && !StaysInside(h.name, false)) Fail("name leaves the target", position);
        if (IsContainedFolderText(h.folder) && !StaysInside(h.folder, true))
            Fail("folder text leaves the target", position);

        ChunkedInput in = {(const uint8_t *)file.data() + stored, h.stored, index % 2 ? INFLATE_INPUT : 1 + index % 37};
        Target out = {crc32(0, 0, 0), 0};
        int r = InflateEntry(state, &h, ReadChunked, &in, WriteTarget, &out);
        if (out.size > h.expanded) Fail("more bytes written than the header allows", position);
        if (r == ENTRY_DATA_OK && (out.size != h.expanded || out.crc != h.crc))
            Fail("accepted data that does not match the header", position);
        if (r != ENTRY_DATA_OK && r != ENTRY_DATA_DAMAGED) Fail("memory source or sink reported failing", position);

        uint32_t next = stored + h.stored;
        if (next <= position) Fail("walk does not advance", position);
        position = next;
        index++;
    }
    return 0;
}
