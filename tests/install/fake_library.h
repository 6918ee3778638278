// An in-process support library for the install tests: serves payload
// entries from memory and writes them the way the real library does (target
// folder, the entry's folder text with option 0x2, the new name with
// 0x20000, nothing with 0x10); log records go through the real library's
// LOGINFO.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace fake {

struct Entry {
    std::string name;
    std::string folder;   // destination folder text
    std::string bytes;
    bool fail = false;    // write half of the bytes, then report failure
    bool lie = false;     // report success without writing anything
};

struct UnpackCall {
    std::string name;
    int options;
};

extern std::vector<Entry> entries;
extern std::vector<UnpackCall> calls;
extern std::vector<std::string> writeRegCalls;
extern int nextIndex;
extern int endAnswer;       // KWP_NEXTLOOP's result once no entry is left
extern int maxNextLoopDepth;  // > 1: a tick ran inside another one
extern bool pumpDuringUnpack;

// Points g_support at the fake entries and clears the record (the entries
// themselves come with each run's scripts).
void Install();

}  // namespace fake
