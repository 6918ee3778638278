// Layout of a setup program file: the engine image, then the SZDD-compressed
// support library, then the payload entries. Shared by the engine, the
// support library and the build tool, so it holds only plain constants.
#pragma once

// End of the engine image and start of the SZDD support library.
#define PAYLOAD_LIBRARY_OFFSET 102912u
// Size of the expanded support library; the start-up always writes exactly
// this many bytes, so the library's DLL is padded up to it.
#define PAYLOAD_LIBRARY_SIZE 46080u
// File offset of the first payload entry (handed to UDF1).
#define PAYLOAD_FIRST_ENTRY 129001u
// Second argument of UDF1.
#define PAYLOAD_UDF1_ARG 1404u

// SZDD header: "SZDD" 88 F0 27 33, mode 'A', missing last name character,
// expanded size (4 bytes, little-endian).
#define SZDD_HEADER_SIZE 14u

// Payload entry header, little-endian fields.
#define ENTRY_SIGNATURE "FL\x03\x04"
#define ENTRY_HEADER_SIZE 40u
#define ENTRY_OFF_VERSION 4u
#define ENTRY_OFF_FLAGS 6u
#define ENTRY_OFF_METHOD 8u
#define ENTRY_OFF_TIME 10u
#define ENTRY_OFF_DATE 12u
#define ENTRY_OFF_CRC 14u
#define ENTRY_OFF_STORED 18u
#define ENTRY_OFF_EXPANDED 22u
#define ENTRY_OFF_NAMELEN 36u
#define ENTRY_OFF_EXTRALEN 38u
#define ENTRY_VERSION 10u
#define ENTRY_FLAGS_SETUP 0u
#define ENTRY_FLAGS_INSTALL 32u
#define ENTRY_METHOD_DEFLATE 2u

// Entry record filled by KWP_NEXTLOOP: 36 bytes owned by the library, then
// the entry name and the destination folder text.
#define ENTRY_RECORD_SIZE 548u
#define ENTRY_RECORD_EXPANDED 12u  // the library's copy of the expanded size
#define ENTRY_RECORD_NAME 36u
#define ENTRY_RECORD_FOLDER 292u
#define ENTRY_RECORD_TEXT_MAX 256u

// Option word of KWP_UNPACK.
#define UNPACK_STARTUP 0x20u
#define UNPACK_ADD_FOLDER 0x2u
#define UNPACK_CREATE_FOLDER 0x8u
#define UNPACK_CONSUME_ONLY 0x10u
#define UNPACK_REPLACE 0x20u
#define UNPACK_RENAMED 0x20000u

// Setup files at the head of the payload.
#define SETUP_FILE_MAIN_SCRIPT "_SFX.DLG"
#define SETUP_FILE_TEXT_BLOCKS "_DLG.SCR"
#define SETUP_FILE_FILE_SCRIPT "_FILE1.SCR"
#define SETUP_FILE_PICTURE0 "_PIC0.IMG"
#define SETUP_FILE_PICTURE1 "_PIC1.IMG"
#define SETUP_FILE_PICTURE2 "_PIC2.IMG"
#define SETUP_FILE_ODBC "odbcdll.dll"
#define SETUP_FILE_PLUGIN "vtdllx.dll"
