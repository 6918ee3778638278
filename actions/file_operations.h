// The file work behind the copy, delete, folder-tree and search actions.
// Paths are at most ACTION_PATH bytes with the NUL; a path that would not
// fit is left alone rather than cut (a cut path names some other file).
#pragma once
#include <windows.h>

#define ACTION_PATH 256

// The action status window ("UPD") while the action runner runs, else 0.
extern HWND g_actionStatus;

enum { MATCH_COPY = 100, MATCH_DELETE = 300 };
enum { TREE_SUBFOLDERS = 16, TREE_CREATE = 32, TREE_ALL_ENTRIES = 64 };
enum { ACTION_LOG = 1, ACTION_RESET_READ_ONLY = 2 };

// Copies in 2048-byte blocks, moving bar 105 of the copy page; items 561
// and 562 of page show the source and the description. 1 when the whole
// file was copied; 0 when the source cannot be read, the target cannot be
// created (the source itself included) or a write falls short.
int CopyFileWithProgress(const char *source, const char *target, HWND page, const char *description);
// Copies (MATCH_COPY, into target) or deletes (MATCH_DELETE, in target) the
// plain files of folder that match pattern; a pattern is one name pattern,
// never a path. Folders are neither touched nor entered.
void ProcessMatchingFiles(int mode, const char *folder, const char *target, const char *pattern, int flags);
// Copies the tree below source into targetRoot, repeating the source path
// below its drive. Links and junctions are not followed. Always 0.
int CopyFolderTree(const char *source, const char *targetRoot, int options);
// 1 and the folder in resultFolder (ACTION_PATH) when fileName is found
// below startFolder (subfolders first with TREE_SUBFOLDERS).
int FindFileInTree(const char *startFolder, const char *fileName, int options, char *resultFolder);
// Clears the read-only attribute of an existing file, keeping the others.
void ResetReadOnly(const char *path);
