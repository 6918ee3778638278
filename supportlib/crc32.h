// CRC-32 (IEEE 802.3, reflected, as used by zip and PNG).
#pragma once
#include <stddef.h>
#include <stdint.h>

// Continues crc (0 for a new sum) over len bytes.
uint32_t Crc32Update(uint32_t crc, const void *data, size_t len);
