// The checksum of a setup program: CRC-32 of every byte except the main
// script's entry (which carries the expected figures), read in large
// pieces. Plain C++ for the tools too.
#pragma once
#include "supportlib/entry_header.h"

// Sums the program file of fileSize bytes through read, in pieces of up to
// bufferSize bytes; covered receives the number of bytes summed (short of
// the expected count when a read fails).
uint32_t ProgramSum(EntryReadAt read, void *context, uint32_t fileSize, unsigned char *buffer, uint32_t bufferSize,
                    uint32_t *covered);
