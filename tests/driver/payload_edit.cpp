#include "payload_edit.h"
#include <stdint.h>
#include <zlib.h>
#include "payload/payload_layout.h"

namespace driver {

namespace {

uint32_t Get(const std::string &s, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; i++) v |= (uint32_t)(uint8_t)s[at + i] << (8 * i);
    return v;
}

void Put(std::string &s, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) s[at + i] = (char)(v >> (8 * i));
}

// Offset of the entry header whose name is `name`, behind the setup files'
// entries; npos when there is none.
size_t EntryAt(const std::string &program, const std::string &name) {
    for (size_t at = PAYLOAD_FIRST_ENTRY; at + ENTRY_HEADER_SIZE <= program.size();) {
        size_t nameLength = Get(program, at + ENTRY_OFF_NAMELEN, 2), extra = Get(program, at + ENTRY_OFF_NAMELEN + 2, 2);
        if (program.compare(at + ENTRY_HEADER_SIZE, nameLength, name) == 0 && nameLength == name.size()) return at;
        at += ENTRY_HEADER_SIZE + nameLength + extra + Get(program, at + ENTRY_OFF_STORED, 4);
    }
    return std::string::npos;
}

// Bytes from the entry's header to the end of its stored data.
size_t EntryLength(const std::string &program, size_t at) {
    return ENTRY_HEADER_SIZE + Get(program, at + ENTRY_OFF_NAMELEN, 2) + Get(program, at + ENTRY_OFF_NAMELEN + 2, 2) +
           Get(program, at + ENTRY_OFF_STORED, 4);
}

}  // namespace

std::string WithEntry(const std::string &program, const std::string &name, const std::string &newName,
                      const std::string &data) {
    size_t at = EntryAt(program, name);
    if (at == std::string::npos || data.size() > 0xFFFF) return program;
    size_t nameLength = Get(program, at + ENTRY_OFF_NAMELEN, 2), extra = Get(program, at + ENTRY_OFF_NAMELEN + 2, 2);
    std::string head = program.substr(at, ENTRY_HEADER_SIZE), packed(5, '\x01');
    Put(packed, 1, (uint32_t)data.size() | (~(uint32_t)data.size() & 0xFFFF) << 16, 4);
    packed += data;
    Put(head, ENTRY_OFF_CRC, crc32(0, (const Bytef *)data.data(), (uInt)data.size()), 4);
    Put(head, ENTRY_OFF_STORED, (uint32_t)packed.size(), 4);
    Put(head, ENTRY_OFF_EXPANDED, (uint32_t)data.size(), 4);
    Put(head, ENTRY_OFF_NAMELEN, (uint32_t)newName.size(), 2);
    return program.substr(0, at) + head + newName + program.substr(at + ENTRY_HEADER_SIZE + nameLength, extra) +
           packed + program.substr(at + EntryLength(program, at));
}

std::string Signed(const std::string &program, const std::string &script) {
    size_t at = EntryAt(program, "_SFX.DLG");
    if (at == std::string::npos) return program;
    std::string rest = program.substr(0, at) + program.substr(at + EntryLength(program, at));
    uint32_t sum = crc32(0, (const Bytef *)rest.data(), (uInt)rest.size()) & 0x7FFFFFFF;
    return WithEntry(program, "_SFX.DLG", "_SFX.DLG",
                     script + "\r\n[SIG]\r\nCheckSum=" + std::to_string(sum ? sum : 1) +
                         "\r\nSize=" + std::to_string(rest.size()) + "\r\n");
}

}  // namespace driver
