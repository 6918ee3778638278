// Seed inputs for the fuzz targets, taken from a setup program the build
// tool wrote: its payload (whole, cut, entry by entry) for the entry walk,
// and the stored deflate streams of its entries, plus the same data packed
// as stored, fixed and dynamic blocks, for the decoder.
// Usage: make_seeds SETUP WALK-FOLDER INFLATE-FOLDER
#include "buildtool/memory_streams.h"
#include "payload/payload_layout.h"
#include "supportlib/entry_data.h"
#include "supportlib/entry_header.h"
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

int Append(void *c, const unsigned char *buf, int len) {
    ((std::string *)c)->append((const char *)buf, (size_t)len);
    return 0;
}

bool Write(const std::string &folder, const std::string &name, const std::string &bytes) {
    FILE *f = fopen((folder + "/" + name).c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: make_seeds SETUP WALK-FOLDER INFLATE-FOLDER\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "make_seeds: %s cannot be read\n", argv[1]);
        return 1;
    }
    std::string file;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) file.append(buf, n);
    fclose(f);

    static InflateState state;
    std::vector<uint32_t> starts;
    uint32_t position = PAYLOAD_FIRST_ENTRY;
    int streams = 0;
    bool ok = true;
    while (position < file.size()) {
        EntryHeader h;
        uint32_t data;
        if (!ReadEntryAt(ReadStringAt, &file, (uint32_t)file.size(), position, &h, &data)) {
            fprintf(stderr, "make_seeds: %s: damaged entry at %u\n", argv[1], position);
            return 1;
        }
        starts.push_back(position);
        std::string packed = file.substr(data, h.stored), expanded;
        MemoryInput m = {(const unsigned char *)packed.data(), packed.size()};
        if (InflateEntry(&state, &h, ReadMemory, &m, Append, &expanded) != ENTRY_DATA_OK) {
            fprintf(stderr, "make_seeds: %s: entry %s does not unpack\n", argv[1], h.name);
            return 1;
        }
        std::string tag = std::to_string(starts.size());
        ok &= Write(argv[3], "entry-" + tag, packed);
        const int kinds[][2] = {{0, Z_DEFAULT_STRATEGY}, {1, Z_FIXED}, {6, Z_HUFFMAN_ONLY}, {4, Z_RLE}};
        for (int k = 0; k < 4; k++)
            ok &= Write(argv[3], "entry-" + tag + "-" + std::to_string(k), RawDeflate(expanded, kinds[k][0], kinds[k][1]));
        ok &= Write(argv[2], "entry-" + tag, file.substr(position, data + h.stored - position));
        streams += 5;
        position = data + h.stored;
    }
    ok &= Write(argv[3], "empty", RawDeflate("", 9, Z_DEFAULT_STRATEGY));
    std::string payload = file.substr(PAYLOAD_FIRST_ENTRY);
    ok &= Write(argv[2], "payload", payload);
    // The head of the payload up to the main script, and one cut inside the
    // last entry.
    if (starts.size() > 3) ok &= Write(argv[2], "head", payload.substr(0, starts[3] - PAYLOAD_FIRST_ENTRY));
    ok &= Write(argv[2], "cut", payload.substr(0, payload.size() - 3));
    if (!ok || starts.empty()) {
        fprintf(stderr, "make_seeds: seeds not written\n");
        return 1;
    }
    printf("make_seeds: %zu entries, %d deflate streams\n", starts.size(), streams + 1);
    return 0;
}
