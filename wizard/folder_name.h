// Whether a folder the user gave is one Windows can create and the engine
// can hold.
#pragma once

// 1 when the folder is a whole path the engine may install into: a drive
// and its root ("C:\") or a network path ("\\server\share"), then one or
// more names that are not empty, hold none of the characters Windows
// refuses, are no device names and do not end in a blank or a dot.
int IsUsableFolder(const char *folder);
