// Windows detection, the initial variables of the start-up and the small
// system queries other units use.
#pragma once
#include <windows.h>
#include "wizard/choices.h"

// The system's keys below HKEY_LOCAL_MACHINE that several units read.
extern const char g_windowsKey[];    // "SOFTWARE\Microsoft\Windows\CurrentVersion"
extern const char g_windowsNtKey[];  // the same with "Windows NT"
extern char g_registeredOwner[80];
extern char g_registeredOrganisation[80];
// Three 50-byte text fields of the initialised data ("%BINVAR_1%".."3").
extern char g_binaryVariables[3][50];

// 1 when a version was read; sets the platform and Windows family codes.
int DetectWindowsFamily();
// Family code for the version data (0 for a version this engine does not
// know); sets *servicePack for Windows 2000 only.
int ClassifyWindowsVersion(const OSVERSIONINFOEXA &version, int *servicePack);
// Defines the initial variables and calls INITMAK.
void InitVariables();
// Replaces listed values "%%n" by the path of shell special folder n.
void ResolveFolderVariables();
// 1 when buffer (MAX_PATH bytes) holds the path of the shell folder.
int GetSpecialFolderPath(char *buffer, int folderId);
// Free KB of the drive of the path's first three characters; at most INT_MAX.
int GetFreeDiskSpaceKB(const char *path);
// KB of a byte count, saturated at INT_MAX (drives beyond 2 TB free).
int FreeBytesToKB(unsigned long long bytes);
// KB from the cluster figures of GetDiskFreeSpaceA, saturated at INT_MAX.
int ClusterSpaceToKB(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters);
// Sum of (character - '0') times its power of ten, for every character.
int ParseDecimal(const char *text);
