// What the wizard's pages choose, kept for the later pages, the install
// engine and the plug-in accessors. Lives from start-up to exit.
#pragma once

// Setup type and components.
extern char g_componentLetters[20];      // "A" plus one letter per chosen component; "" undecided
extern int g_chosenTypeButton;           // 602..607, 0 before any choice
extern char g_setupTypeName[20];
extern char g_setupTypeDescription[100];
extern char g_spaceText[20];             // "<n> KB"
extern unsigned g_requiredSpace;         // KB; 0 until the components page counted it

// Folders.
extern char g_installFolder[127];        // no trailing backslash
extern char g_folderLastPart[127];       // its last part
extern char g_folderWithoutDrive[127];   // its part after "X:"
extern int g_defaultFolderComputed;
extern int g_clarionFolderChosen;        // a Clarion product gave the folder
extern int g_clarionVersion;             // 0, 2, 4, 8, 16 or 32
extern char g_clarionProgram[127];       // the chosen environment's program, "%s%s.exe"

// Entry pages.
extern char g_userName[80];
extern char g_userCompany[80];
extern char g_userId[30];
extern char g_programGroup[127];

// Finish page: 1, 2, 4 for its ticked check boxes.
extern int g_finishMask;
