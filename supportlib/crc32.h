// CRC-32 (IEEE 802.3, reflected, as used by zip and PNG).
#pragma once
#include <stddef.h>
#include <stdint.h>

// Continues crc (0 for a new sum) over len bytes: by carry-less multiply
// where the processor and system allow it, else by tables.
uint32_t Crc32Update(uint32_t crc, const void *data, size_t len);
// The same by tables alone (what processors without the multiply run).
uint32_t Crc32UpdateTables(uint32_t crc, const void *data, size_t len);
