// The platform's floor for the peer benchmark (bench/peer_bench.sh): writes
// the files of one plain blob with CreateFile and WriteFile, making their
// folders as it goes; no decompression, no checks, no log. The blob holds,
// for each file, its path below the target folder (16-bit length, then the
// text, folders separated by "\"), its size (32 bits) and its bytes.
//   floor_writer BLOB FOLDER
#include <windows.h>

#define FOLDER_SLOTS 65536

static unsigned Get(const unsigned char *p, int n) {
    unsigned v = 0;
    for (int i = n - 1; i >= 0; i--) v = v << 8 | p[i];
    return v;
}

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    HANDLE blob = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    if (blob == INVALID_HANDLE_VALUE) return 1;
    DWORD size = GetFileSize(blob, 0);
    HANDLE map = CreateFileMappingA(blob, 0, PAGE_READONLY, 0, 0, 0);
    const unsigned char *p = map ? (const unsigned char *)MapViewOfFile(map, FILE_MAP_READ, 0, 0, 0) : 0;
    if (!p) return 1;
    char path[MAX_PATH * 2];
    static unsigned long long made[FOLDER_SLOTS];
    int base = lstrlenA(argv[2]);
    lstrcpyA(path, argv[2]);
    CreateDirectoryA(path, 0);
    path[base++] = '\\';
    for (DWORD at = 0; at + 6 <= size;) {
        unsigned length = Get(p + at, 2);
        CopyMemory(path + base, p + at + 2, length);
        path[base + length] = 0;
        DWORD bytes = Get(p + at + 2 + length, 4);
        at += 6 + length;
        // Each folder below the target made once (known by a hash of its
        // path), however the files of the folders are interleaved.
        int slash = base + (int)length;
        while (slash > base && path[slash] != '\\') slash--;
        if (slash > base) {
            unsigned long long hash = 14695981039346656037ull;
            for (int i = 0; i < slash; i++) hash = (hash ^ (unsigned char)path[i]) * 1099511628211ull;
            unsigned slot = (unsigned)hash & (FOLDER_SLOTS - 1);
            while (made[slot] && made[slot] != hash) slot = (slot + 1) & (FOLDER_SLOTS - 1);
            if (!made[slot]) {
                made[slot] = hash;
                for (int i = base; i <= slash; i++)
                    if (path[i] == '\\') {
                        path[i] = 0;
                        CreateDirectoryA(path, 0);
                        path[i] = '\\';
                    }
            }
        }
        HANDLE out = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
        DWORD written = 0;
        if (out == INVALID_HANDLE_VALUE || !WriteFile(out, p + at, bytes, &written, 0) || written != bytes) return 1;
        CloseHandle(out);
        at += bytes;
    }
    return 0;
}
