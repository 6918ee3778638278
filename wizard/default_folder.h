// The installation folder's default, computed once: from [DLG] "DF", or from
// a registry value or INI entry when "DF" starts with "%RegDir%".
#pragma once

extern int g_defaultFolderComputed;
extern int g_clarionFolderChosen;     // the Clarion page set the folder
extern char g_folderLastPart[127];     // the folder's last part
extern char g_folderWithoutDrive[127]; // the folder without "X:"

void ComputeDefaultFolder();
// The two parts above from g_installFolder; %INSTDIR% and %ROOTDRV% set.
void SplitInstallFolder();
