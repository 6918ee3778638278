#pragma once
// Temp file of the billboard picture shown last; empty until one is unpacked.
extern char g_billboardPath[127];
