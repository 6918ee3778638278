#include "buildtool/script_keys.h"
#include <ctype.h>
#include <string.h>

// section, key, kind, text size, value when absent, reader, meaning,
// expanded ('y' variables are expanded, 'n' used as written, 'p' a path:
// expanded when it starts with "%", else below the installation folder; 0
// for a number), example value
const ScriptKey kScriptKeys[] = {
    // Start-up
    {"DLG", "Silent", 'i', 0, "0", "start-up", "non-zero: silent mode, as the -s switch", 0, "1"},
    {"DLG", "HW", 'i', 0, "0", "start-up", "non-zero: hidden mode, no background window (silent mode forces it)", 0, "1"},
    {"DLG", "TI", 's', 50, "", "start-up", "setup title: background window, wizard frame and message-box title", 'n', "Sample Product Setup"},
    {"DLG", "CA", 's', 127, "", "start-up", "question asked when the user cancels the wizard", 'n', "Do you really want to cancel the setup of Sample Product?"},
    {"DLG", "FMOK", 'i', 0, "0", "start-up", "non-zero: the [STR FIRST] notice has OK only (else Yes/No, No ends)", 0, "1"},
    {"DLG", "NO", 'i', 0, "1", "start-up", "number of steps of the copy page's overall bar (0 counts as 1)", 0, "4"},
    {"DLG", "NRROF", 'i', 0, "0", "start-up", "non-zero: read-only files are not made writable before replacing", 0, "1"},
    {"DLG", "NRLF", 'i', 0, "0", "start-up", "non-zero: files in use are not scheduled for the next Windows start", 0, "1"},
    {"DLG", "SPD", 'i', 0, "0", "start-up", "non-zero: copy in the small separate window 13500, frame hidden", 0, "1"},
    {"DLG", "Rbt", 'i', 0, "0", "start-up", "non-zero: ask to restart Windows at the end", 0, "1"},
    {"DLG", "C25", 's', 255, "", "shutdown", "restart question (OK restarts Windows)", 'n', "Sample Product is ready once Windows restarts. Restart now?"},
    {"DLG", "srb", 'i', 0, "0", "shutdown", "non-zero: a silent setup that needs a restart logs the user off instead of asking", 0, "1"},
    {"DLG", "RUI", 'i', 0, "0", "start-up", "non-zero: %USERNAME% and %USERORG% start with the registered owner", 0, "1"},
    {"DLG", "DLL50", 'i', 0, "0", "start-up", "non-zero: ask the plug-in (code 1000) before the first actions", 0, "1"},
    {"DLG", "C53", 's', 255, "", "support library", "support library message 2", 'n', "The setup file cannot be read."},
    {"DLG", "C54", 's', 255, "", "support library", "support library message 3", 'n', "There is not enough memory."},
    {"DLG", "C55", 's', 255, "", "support library", "support library message 4", 'n', "A file could not be written."},
    {"DLG", "C56", 's', 255, "", "support library", "support library message 6", 'n', "The disk is full."},
    {"DLG", "C57", 's', 255, "", "support library", "support library message 13", 'n', "A file could not be unpacked."},
    {"DLG", "C58", 's', 255, "", "support library", "support library message 18", 'n', "The registry could not be changed."},
    // Start-up checks
    {"DLG", "C86", 's', 255, "", "start-up checks", "text of the small window shown while the program file is checked", 'n', "Checking the setup file..."},
    {"DLG", "C67", 's', 255, "", "start-up checks", "message when the program file is damaged", 'n', "The setup file is damaged. Please get a new copy of it."},
    {"DLG", "APR", 'i', 0, "0", "start-up checks", "non-zero: administrator rights required on the NT family", 0, "1"},
    {"DLG", "C70", 's', 255, "", "start-up checks", "message when administrator rights are missing", 'n', "You need administrator rights to install this product."},
    // Background window
    {"DLG", "BG1", 'i', 0, "0", "background", "non-zero: solid backdrop instead of the blue gradient", 0, "1"},
    {"DLG", "BG2", 's', 9, "0", "background", "colour of the solid backdrop, decimal COLORREF", 'n', "8421376"},
    {"DLG", "IX", 'i', 0, "2", "background", "left edge of the background picture (_PIC1.IMG); 2 and above: placement code", 0, "40"},
    {"DLG", "IY", 'i', 0, "2", "background", "top edge of the background picture", 0, "500"},
    {"DLG", "IT", 'i', 0, "0", "background", "non-zero: the picture's transparent colour is left out", 0, "1"},
    {"DLG", "ITC", 'i', 0, "0", "background", "transparent colour, decimal COLORREF", 0, "16711935"},
    {"DLG", "ITB", 'i', 0, "0", "background", "1: the picture is tiled over the window", 0, "1"},
    {"DLG", "IDF", 'i', 0, "0", "background", "non-zero: the background picture stays when billboards show", 0, "1"},
    {"DLG", "T1", 's', 100, "", "background", "first title line", 'n', "Sample Product"},
    {"DLG", "TF1", 's', 40, "Arial", "background", "font face of T1", 'n', "Arial Black"},
    {"DLG", "TS1", 'i', 0, "80", "background", "font height of T1 for a screen 768 pixels high", 0, "64"},
    {"DLG", "TX1", 'i', 0, "40", "background", "x of the shadow of T1", 0, "40"},
    {"DLG", "TY1", 'i', 0, "35", "background", "y of the shadow of T1", 0, "35"},
    {"DLG", "TX11", 'i', 0, "0", "background", "non-zero: draw the shadow of T1", 0, "1"},
    {"DLG", "T3", 's', 100, "", "background", "second title line", 'n', "for Windows"},
    {"DLG", "TF2", 's', 40, "Arial", "background", "font face of T3", 'n', "Times New Roman"},
    {"DLG", "TS2", 'i', 0, "80", "background", "font height of T3", 0, "48"},
    {"DLG", "TX3", 'i', 0, "40", "background", "x of the shadow of T3", 0, "40"},
    {"DLG", "TY3", 'i', 0, "35", "background", "y of the shadow of T3", 0, "35"},
    {"DLG", "TX33", 'i', 0, "0", "background", "non-zero: draw the shadow of T3", 0, "1"},
    {"DLG", "T2", 's', 100, "", "background", "footer line", 'n', "Version 1.0"},
    {"DLG", "TX2", 'i', 0, "37", "background", "x of the shadow of T2", 0, "37"},
    {"DLG", "TX22", 'i', 0, "0", "background", "non-zero: draw the shadow of T2", 0, "1"},
    // Wizard frame
    {"DLG", "DCM", 'i', 0, "0", "wizard frame", "non-zero: hide the engine's name under the pages", 0, "1"},
    {"DLG", "C5", 's', 255, "", "wizard frame", "caption of Next", 'n', "&Next >"},
    {"DLG", "C6", 's', 255, "", "wizard frame", "caption of Back", 'n', "< &Back"},
    {"DLG", "C2", 's', 255, "", "wizard frame", "caption of Cancel (also the browser's and the separate copy window's)", 'n', "Cancel"},
    {"DLG", "Z1", 'i', 0, "0", "wizard frame", "non-zero: welcome page on", 0, "1"},
    {"DLG", "Z3", 'i', 0, "0", "wizard frame", "non-zero: licence page on", 0, "1"},
    {"DLG", "Z2", 'i', 0, "0", "wizard frame", "non-zero: readme page on", 0, "1"},
    {"DLG", "Z10", 'i', 0, "0", "wizard frame", "non-zero: user information page on", 0, "1"},
    {"DLG", "Z7", 'i', 0, "0", "wizard frame", "non-zero: setup type page on", 0, "1"},
    {"DLG", "Z8", 'i', 0, "0", "wizard frame", "non-zero: components page on", 0, "1"},
    {"DLG", "Z5", 'i', 0, "0", "wizard frame", "non-zero: Clarion version page on", 0, "1"},
    {"DLG", "Z12", 'i', 0, "0", "wizard frame", "non-zero: destination folder page on", 0, "1"},
    {"DLG", "Z9", 'i', 0, "0", "wizard frame", "non-zero: program folder page on", 0, "1"},
    {"DLG", "Z11", 'i', 0, "0", "wizard frame", "non-zero: ready page on", 0, "1"},
    {"DLG", "DetectIUF", 'i', 0, "0", "wizard frame", "non-zero: detection page (files in use) before the copy", 0, "1"},
    {"DLG", "DLL100", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 3000 after the default folder is computed", 0, "1"},
    {"DLG", "DLL2000", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 2000 checks the user information", 0, "1"},
    {"DLG", "DLL300", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 4000 before the ready page", 0, "1"},
    {"DLG", "DLL350", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 5000 before the copy", 0, "1"},
    {"DLG", "DLL370", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 6000 after the copy", 0, "1"},
    {"DLG", "DLL400", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 7000 when the finish page is left", 0, "1"},
    // Text pages
    {"DLG", "C9", 's', 255, "", "licence page", "heading", 'y', "Licence Agreement"},
    {"DLG", "L1", 's', 255, "", "licence page", "subheading", 'y', "Please read the licence agreement of Sample Product."},
    {"DLG", "L2", 's', 255, "", "licence page", "question under the licence text", 'y', "Do you accept all the terms of the licence agreement? If you choose I Disagree, the setup ends."},
    {"DLG", "C3", 's', 255, "", "licence page", "caption of Next on the licence page (I Agree)", 'n', "I &Agree"},
    {"DLG", "C4", 's', 255, "", "licence page", "caption of Cancel on the licence page (I Disagree)", 'n', "I &Disagree"},
    {"DLG", "RTF2", 'i', 0, "0", "licence page", "non-zero: the [STR LIC] block is rich text", 0, "1"},
    {"DLG", "C8", 's', 255, "", "readme page", "heading", 'y', "Read Me"},
    {"DLG", "C78", 's', 255, "", "readme page", "subheading", 'y', "Please read the following notes before you install Sample Product."},
    {"DLG", "RTF1", 'i', 0, "0", "readme page", "non-zero: the [STR REA] block is rich text", 0, "1"},
    {"DLG", "C36", 's', 255, "", "ready page", "heading", 'y', "Ready to Install"},
    {"DLG", "C75", 's', 255, "", "ready page", "subheading", 'y', "Setup has everything it needs to install Sample Product."},
    {"DLG", "C37", 's', 255, "", "ready page", "label above the list of choices", 'n', "Current settings:"},
    {"DLG", "C38", 's', 255, "", "ready page", "list line: setup type", 'n', "Setup type:"},
    {"DLG", "C39", 's', 255, "", "ready page", "list line: destination folder", 'n', "Destination folder:"},
    {"DLG", "C51", 's', 255, "", "ready page", "label of the disk space needed (also on the components page)", 'n', "Disk space required:"},
    {"DLG", "C44", 's', 255, "", "ready page", "list line: program folder", 'n', "Program folder:"},
    {"DLG", "C40", 's', 255, "", "ready page", "list line: user information", 'n', "User information:"},
    {"DLG", "C41", 's', 255, "", "ready page", "label of the user name", 'n', "Name:"},
    {"DLG", "C42", 's', 255, "", "ready page", "label of the company", 'n', "Company:"},
    {"DLG", "C43", 's', 255, "", "ready page", "label of the user ID", 'n', "User ID:"},
    {"DLG", "C19", 's', 255, "", "finish page", "caption of Finish", 'n', "&Finish"},
    {"DLG", "C23", 's', 255, "", "finish page", "caption of Close after a stopped setup", 'n', "&Close"},
    {"DLG", "E2", 's', 255, "", "finish page", "text after a stopped or failed setup", 'n', "The setup was stopped before Sample Suite was installed."},
    {"DLG", "E10", 's', 255, "", "finish page", "text after the detection page found files in use", 'n', "A file that must be replaced is in use. Close all programs and run the setup again."},
    // Setup type and components
    {"DLG", "C30", 's', 255, "", "setup type page", "heading", 'y', "Setup Type"},
    {"DLG", "ST", 's', 255, "", "setup type page", "subheading", 'y', "Choose how Sample Suite is installed."},
    {"DLG", "C45", 's', 20, "", "setup type page", "type name used when the setup type page is off", 'n', "Typical"},
    {"DLG", "C46", 's', 100, "", "setup type page", "type description used when the setup type page is off", 'n', "Program, licence and notes"},
    {"DLG", "C29", 's', 255, "", "components page", "heading", 'y', "Components"},
    {"DLG", "C79", 's', 255, "", "components page", "subheading", 'y', "Choose the parts of Sample Suite to install."},
    // Folder pages
    {"DLG", "DF", 's', 80, "", "destination page", "default folder, used as written (never expanded), or %RegDir% to take it from the registry or an INI file", 'n', "C:\\Sample Product"},
    {"DLG", "R1", 's', 127, "", "destination page", "with %RegDir%: registry key (or INI file)", 'n', "Software\\Microsoft\\Windows\\CurrentVersion"},
    {"DLG", "R2", 's', 127, "", "destination page", "with %RegDir%: value name (or INI section)", 'n', "ProgramFilesDir"},
    {"DLG", "R3", 's', 127, "", "destination page", "with %RegDir%: INI key", 'y', "Folder"},
    {"DLG", "PK", 'i', 0, "3", "destination page", "registry root of R1, 1 to 5 as in [REG]", 0, "3"},
    {"DLG", "DFX", 's', 127, "", "destination page", "folder when the registry or INI look-up finds nothing", 'n', "C:\\Program Files\\Sample Product"},
    {"DLG", "A0", 'i', 0, "0", "folder browser", "1: the drive list is kept disabled", 0, "1"},
    {"DLG", "A1", 'i', 0, "0", "folder browser", "1: the folder list is kept disabled", 0, "1"},
    {"DLG", "A2", 'i', 0, "0", "destination page", "1: no Browse button", 0, "1"},
    {"DLG", "C64", 's', 255, "", "destination page", "message when the disk has too little space (KB and drive)", 'n', "%u KB more are needed on drive %s."},
    {"DLG", "C87", 's', 255, "", "destination page", "message when the chosen folder is too long (its limit, 126)", 'n', "A folder can have at most %u characters."},
    {"DLG", "C88", 's', 255, "", "destination page", "message when the chosen folder is no whole path Windows accepts (the folder)", 'n', "%s is not a folder Windows can create."},
    {"DLG", "C12", 's', 255, "", "destination page", "heading", 'y', "Destination Folder"},
    {"DLG", "C66", 's', 255, "", "destination page", "subheading", 'n', "Sample Product will be installed into this folder."},
    {"DLG", "C13", 's', 255, "", "destination page", "caption of the folder group box", 'n', "Destination folder"},
    {"DLG", "C14", 's', 255, "", "destination page", "caption of Browse", 'n', "&Browse..."},
    {"DLG", "C1", 's', 255, "", "folder browser", "caption of OK", 'n', "OK"},
    {"DLG", "C20", 's', 255, "", "folder browser", "label of the folder list", 'n', "Folders:"},
    {"DLG", "C21", 's', 255, "", "folder browser", "label of the drive list", 'n', "Drives:"},
    {"DLG", "C11", 's', 255, "", "Clarion page", "heading", 'y', "Clarion Version"},
    {"DLG", "C76", 's', 255, "", "Clarion page", "subheading", 'y', "Choose the Clarion environment for Chosen Product."},
    {"DLG", "CV", 's', 255, "", "Clarion page", "text above the choices", 'y', "Chosen Product adds templates to one of these environments."},
    // Entry pages
    {"DLG", "C32", 's', 255, "", "user information page", "heading", 'y', "User Information"},
    {"DLG", "CU", 's', 255, "", "user information page", "subheading", 'y', "Please enter your name and the name of your company."},
    {"DLG", "C33", 's', 255, "", "user information page", "label of the name", 'n', "Name:"},
    {"DLG", "C34", 's', 255, "", "user information page", "label of the company", 'n', "Company:"},
    {"DLG", "C35", 's', 20, "", "user information page", "label of the user ID; empty hides the field", 'n', "User ID"},
    {"DLG", "U1", 'i', 0, "0", "user information page", "non-zero: the name may not be empty", 0, "1"},
    {"DLG", "U2", 'i', 0, "0", "user information page", "non-zero: the company may not be empty", 0, "1"},
    {"DLG", "U3", 'i', 0, "0", "user information page", "non-zero: the user ID may not be empty", 0, "1"},
    {"DLG", "SPMSG", 'i', 0, "0", "user information page", "1: no message when the plug-in refuses", 0, "1"},
    {"DLG", "C74", 's', 100, "", "user information page", "message when the plug-in refuses", 'n', "The registration service did not accept these entries."},
    {"DLG", "C26", 's', 255, "", "program folder page", "heading", 'n', "Program Folder"},
    {"DLG", "C77", 's', 255, "", "program folder page", "subheading", 'y', "Choose the program group for the shortcuts of Sample Suite."},
    {"DLG", "C27", 's', 255, "", "program folder page", "label of the group name", 'n', "Program group:"},
    {"DLG", "C28", 's', 255, "", "program folder page", "label of the list of existing groups", 'n', "Existing groups:"},
    {"DLG", "DG", 's', 127, "", "program folder page", "default program group", 'n', "Sample Suite"},
    // Install
    {"DLG", "LO", 's', 127, "", "copy page", "install log file, expanded; a name alone lies in the installation folder", 'y', "%INSTDIR%\\install.log"},
    {"DLG", "BU", 'i', 0, "0", "copy page", "non-zero: replaced files are kept in _BACKUP_", 0, "1"},
    {"DLG", "OW", 'i', 0, "0", "copy page", "non-zero: existing files are written over without asking", 0, "1"},
    {"DLG", "P1", 's', 255, "", "copy page", "title while files are copied", 'n', "Copying files"},
    {"DLG", "P2", 's', 255, "", "copy page", "title while the system is changed", 'n', "Updating the system"},
    {"DLG", "P3", 's', 255, "", "copy page", "title of the last step", 'n', "Finishing"},
    {"DLG", "C65", 's', 255, "", "copy page", "subtitle", 'y', "Please wait while Sample Product is installed."},
    {"DLG", "C69", 's', 255, "", "detection page", "title", 'y', "Checking files"},
    {"DLG", "C80", 's', 255, "", "detection page", "subtitle", 'y', "Setup looks for files in use that it would replace."},
    {"DLG", "C59", 's', 255, "", "install log", "uninstaller's title (its log's \"L1\")", 'n', "Remove Sample Product"},
    {"DLG", "C60", 's', 255, "", "install log", "uninstaller's question before it removes (\"L2\")", 'n', "Remove Sample Product and all of its components?"},
    {"DLG", "C61", 's', 255, "", "install log", "uninstaller's line while it removes", 'n', "Removing Sample Product..."},
    {"DLG", "C62", 's', 255, "", "install log", "uninstaller's line when all is removed", 'n', "Sample Product has been removed."},
    {"DLG", "C63", 's', 255, "", "install log", "uninstaller's heading over what it kept", 'n', "These items were kept:"},
    {"DLG", "C71", 's', 255, "", "registrations", "message when a file does not register (%s: the file)", 'n', "%s could not be registered."},
    {"DLG", "C72", 's', 255, "", "Clarion templates", "question before the templates are registered", 'n', "Register the product's templates with the development environment?"},
    {"DLG", "C73", 's', 255, "", "Clarion templates", "caption of that question", 'n', "Templates"},
    // Other sections
    {"SIG", "CheckSum", 'i', 0, "0", "start-up checks", "checksum of the program file (written by mksetup build)", 0, "123456789"},
    {"SIG", "Size", 'i', 0, "0", "start-up checks", "bytes the checksum covers (written by mksetup build)", 0, "150000"},
    {"CFC", "WV%i", 'i', 0, "0", "start-up checks", "Windows version rule 1 to 5", 0, "1"},
    {"CFC", "WM%i", 's', 255, "", "start-up checks", "message of rule 1 to 5", 'n', "This product needs Windows 98 or later."},
    {"CFC", "WT%i", 's', 80, "", "start-up checks", "caption of rule 1 to 5", 'n', "Windows version"},
    {"CFC", "WP%i", 'i', 0, "0", "start-up checks", "2: rule 1 to 5 ends the setup", 0, "2"},
    {"CFC", "RES", 'i', 0, "0", "start-up checks", "least screen width in pixels", 0, "800"},
    {"CFC", "RE1", 's', 80, "", "start-up checks", "caption of the screen message", 'n', "Screen"},
    {"CFC", "RE2", 's', 255, "", "start-up checks", "screen message", 'n', "This product needs a screen 800 pixels wide."},
    {"CFC", "RE3", 'i', 0, "0", "start-up checks", "2: a narrow screen ends the setup", 0, "0"},
    {"CFC", "COL", 'i', 0, "0", "start-up checks", "least number of colours", 0, "256"},
    {"CFC", "CO1", 's', 80, "", "start-up checks", "caption of the colour message", 'n', "Colours"},
    {"CFC", "CO2", 's', 255, "", "start-up checks", "colour message", 'n', "This product needs 256 colours."},
    {"CFC", "CO3", 'i', 0, "0", "start-up checks", "2: too few colours end the setup", 0, "0"},
    {"VARIABLES", "#", 'i', 0, "0", "variables", "number of listed variables", 0, "1"},
    {"VARIABLES", "%i", 's', 255, "", "variables", "name of variable n, percent signs included", 'n', "%DATA%"},
    {"VARIABLES", "%NAME%", 's', 255, "", "variables", "value of the variable %NAME%", 'n', "%INSTDIR%\\data"},
    {"CMP", "Ndx", 'i', 0, "0", "components page", "number of components, the main one included", 0, "3"},
    {"CMP", "+%ia", 's', 2, "", "components page", "letter of component n (component 1 is A)", 'n', "A"},
    {"CMP", "+%ib", 's', 50, "", "components page", "name of component n", 'n', "Program"},
    {"CMP", "+%ic", 'i', 0, "0", "components page", "non-zero: ticked by default", 0, "1"},
    {"CMP", "+%id", 'i', 0, "0", "components page", "size in KB; +1d is the main component's", 0, "12"},
    {"TYP", "Ndx", 'i', 0, "0", "setup type page", "number of setup types, 1 to 6", 0, "3"},
    {"TYP", "+%ia", 's', 100, "", "setup type page", "name of type n", 'n', "Typical"},
    {"TYP", "+%ib", 's', 100, "", "setup type page", "description of type n", 'n', "The program and its help, for most users."},
    {"TYP", "+%ic", 'i', 0, "0", "setup type page", "non-zero: the default type", 0, "1"},
    {"TYP", "+%id", 's', 20, "", "setup type page", "component letters type n installs; empty: the components page decides", 'n', "AB"},
    {"TYP", "+%if", 's', 20, "0", "setup type page", "space shown for type n, in KB", 'n', "24"},
    {"CLA", "Ndx", 'i', 0, "0", "Clarion page", "number of WIN.INI sections to look at", 0, "2"},
    {"CLA", "+%i", 's', 80, "", "Clarion page", "WIN.INI section of a Clarion product", 'n', "Clarion 5"},
    {"CLA", "LS", 's', 80, "", "Clarion page", "caption of a last choice for none of them", 'n', "None of these"},
    {"CLA", "APPEND", 'i', 0, "0", "Clarion page", "non-zero: the part of [DLG] DFX after its first \":\" is appended to the chosen product's folder", 0, "1"},
    {"DIR", "Ndx", 'i', 0, "0", "folders", "number of folders to create", 0, "3"},
    {"DIR", "APPEND", 'i', 0, "0", "folder browser", "non-zero: the default folder's last part is appended to a folder chosen in the browser", 0, "1"},
    {"DIR", "+%ia", 's', 127, "", "folders", "folder; a path starting with % is used as it is", 'p', "data\\logs"},
    {"DIR", "+%iz", 's', 2, "", "folders", "component letter", 'n', "B"},
    {"FLE", "Ndx", 'i', 0, "0", "copy page", "number of files (informational)", 0, "1"},
    {"FLE", "OPT", 'i', 0, "0", "copy page", "non-zero: skipped files are consumed without decoding", 0, "1"},
    {"GRP", "Ndx", 'i', 0, "0", "shortcuts", "number of shortcuts", 0, "2"},
    {"GRP", "+%ia", 'i', 0, "1", "shortcuts", "registry root of the value naming the base folder, 1 to 5 as in [REG] (3 reads as 2 on Windows 95)", 0, "2"},
    {"GRP", "+%ib", 's', 127, "", "shortcuts", "registry key of that value", 'n', "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"},
    {"GRP", "+%ic", 's', 80, "", "shortcuts", "registry value name (a shell folder)", 'n', "Programs"},
    {"GRP", "+%id", 's', 127, "", "shortcuts", "sub-folder (the program group); the program folder page's choice replaces it", 'y', "Guide Product"},
    {"GRP", "+%ie", 's', 127, "", "shortcuts", "target; a path starting with % is used as it is", 'y', "bin\\guide.exe"},
    {"GRP", "+%if", 's', 127, "", "shortcuts", "shortcut file name", 'y', "Guide Product.lnk"},
    {"GRP", "+%ih", 's', 127, "", "shortcuts", "working folder", 'y', "%INSTDIR%\\bin"},
    {"GRP", "+%ii", 's', 127, "", "shortcuts", "icon file", 'y', "%INSTDIR%\\bin\\tool.txt"},
    {"GRP", "+%ij", 'i', 0, "0", "shortcuts", "icon index", 0, "0"},
    {"GRP", "+%ik", 's', 127, "", "shortcuts", "arguments", 'y', "--start here"},
    {"GRP", "+%is", 'i', 0, "0", "shortcuts", "hot key: virtual-key code used with Ctrl+Shift", 0, "70"},
    {"GRP", "+%iz", 's', 2, "", "shortcuts", "component letter", 'n', "B"},
    {"INI", "Ndx", 'i', 0, "0", "INI changes", "number of changes", 0, "2"},
    {"INI", "+%ia", 's', 255, "", "INI changes", "INI file", 'y', "guide.ini"},
    {"INI", "+%ib", 's', 80, "", "INI changes", "section", 'y', "Settings"},
    {"INI", "+%ic", 's', 80, "", "INI changes", "key", 'y', "Folder"},
    {"INI", "+%id", 's', 127, "", "INI changes", "value", 'y', "%INSTDIR%"},
    {"INI", "+%iz", 's', 2, "", "INI changes", "component letter", 'n', "B"},
    {"REG", "Ndx", 'i', 0, "0", "registry", "number of registry values", 0, "2"},
    {"REG", "+%ia", 'i', 0, "0", "registry", "root: 1 HKEY_CLASSES_ROOT, 2 HKEY_CURRENT_USER, 3 HKEY_LOCAL_MACHINE, 4 HKEY_USERS, 5 HKEY_CURRENT_CONFIG", 0, "2"},
    {"REG", "+%ib", 's', 255, "", "registry", "key", 'y', "Software\\Guide Product"},
    {"REG", "+%ic", 's', 255, "", "registry", "value name", 'y', "Folder"},
    {"REG", "+%id", 's', 255, "", "registry", "value data", 'y', "%INSTDIR%"},
    {"REG", "+%ie", 'i', 0, "0", "registry", "kind of value: 0 text (REG_SZ), 1 number (REG_DWORD, the data's digits), 2 text Windows expands (REG_EXPAND_SZ)", 0, "1"},
    {"REG", "+%iz", 's', 2, "", "registry", "component letter", 'n', "B"},
    {"TPL", "Ndx", 'i', 0, "0", "Clarion templates", "number of templates; 0 switches the step off", 0, "2"},
    {"TPL", "E1", 's', 30, "", "Clarion templates", "text before a template that was not registered", 'n', "Not registered: "},
    {"TPL", "+%ia", 's', 80, "", "Clarion templates", "template file, relative to the installation folder", 'n', "\\tpl\\one.tpw"},
    {"TPL", "+%iz", 's', 2, "", "Clarion templates", "component letter", 'n', "B"},
    {"ODBC", "#", 'i', 0, "0", "ODBC", "number of items", 0, "3"},
    {"ODBC", "+%ia", 's', 127, "", "ODBC", "driver name or data-source description", 'n', "E2E Driver"},
    {"ODBC", "+%ib", 'i', 0, "0", "ODBC", "number of attribute lines", 0, "2"},
    {"ODBC", "+%ic", 'i', 0, "0", "ODBC", "0 driver, 1 data source, 2 data source with owner, 3 driver argument", 0, "0"},
    {"ODBC", "+%i_%i", 's', 255, "", "ODBC", "attribute line j of item i", 'y', "Driver=%INSTDIR%\\bin\\e2edrv.dll"},
    {"ODBC", "+%iz", 's', 2, "", "ODBC", "component letter", 'n', "B"},
    {"RUN", "Ndx", 'i', 0, "0", "finish page", "number of programs", 0, "5"},
    {"RUN", "CB%i", 's', 50, "", "finish page", "text of check box 1 to 3; empty hides it", 'n', "Start one"},
    {"RUN", "+%ia", 's', 127, "", "finish page", "program", 'y', "%INSTDIR%\\run1.exe"},
    {"RUN", "+%ib", 's', 127, "", "finish page", "arguments", 'y', "-x %INSTDIR%"},
    {"RUN", "+%ic", 's', 127, "", "finish page", "working folder", 'y', "%INSTDIR%\\made"},
    {"RUN", "+%icb", 'i', 0, "0", "finish page", "check box 1 to 3 that starts it; 0 none", 0, "1"},
    {"RUN", "+%ise", 'i', 0, "0", "finish page", "non-zero: start through the shell", 0, "1"},
    {"RUN", "+%iw", 'i', 0, "0", "finish page", "non-zero: wait until it ends", 0, "1"},
    {"RUN", "+%iz", 's', 2, "", "finish page", "component letter", 'n', "B"},
    {"ACT", "Ndx", 'i', 0, "0", "actions", "number of actions", 0, "2"},
    {"ACT", "+%ia", 'i', 0, "0", "actions", "action type", 0, "1800"},
    {"ACT", "+%it", 'i', 0, "0", "actions", "phase: 10, 30, 50, 60 (20 and 40 for pages)", 0, "20"},
    {"ACT", "+%iz", 's', 2, "", "actions", "component letter", 'n', "B"},
    {"ACT", "+%ip%i", 's', 255, "", "actions", "parameter p1 to p9 (p9 holds flags or a mode)", 'y', "%INSTDIR%\\old.cfg"},
    {"ACT", "+%ip17", 's', 127, "", "action pages", "heading of an action page", 'n', "Before you go on"},
    {"ACT", "+%isg", 's', 20, "", "action pages", "text-block tag of an action page", 'n', "INF1"},
    {"ACT", "+%iw", 's', 80, "", "actions", "file pattern of the copy and delete types", 'n', "*.cfg"},
    {"BIL", "+%iPos", 'i', 0, "0", "billboards", "placement code of billboard n", 0, "6"},
    {"BIL", "+%iX", 'i', 0, "2", "billboards", "left edge when the code is below 2", 0, "60"},
    {"BIL", "+%iY", 'i', 0, "2", "billboards", "top edge when the code is below 2", 0, "300"},
    {"BIL", "+%iT", 'i', 0, "0", "billboards", "non-zero: transparent colour left out", 0, "1"},
    {"BIL", "+%iTB", 'i', 0, "0", "billboards", "1: tiled", 0, "1"},
    {"BIL", "+%iTC", 'i', 0, "0", "billboards", "transparent colour, decimal COLORREF", 0, "65280"},
    {"UNINST", "Unique", 'i', 0, "0", "copy page", "non-zero: a numbered uninstaller name when one is there", 0, "1"},
    {"UNINST", "Register", 'i', 0, "0", "copy page",
     "non-zero: the product is listed in Add/Remove Programs; its uninstaller (uninstx.exe) removes the entry", 0, "1"},
    {"UNINST", "Name", 's', 64, "[DLG] TI", "copy page", "name in Add/Remove Programs and of its registry key (no \"\\\")",
     'n', "Sample Product"},
    {"UNINST", "Publisher", 's', 64, "", "copy page", "publisher shown in Add/Remove Programs", 'n', "Sample Company"},
    {"UNINST", "Version", 's', 64, "", "copy page", "version shown in Add/Remove Programs", 'n', "1.0"},
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
};

namespace {

bool SameText(const std::string &a, const char *b) { return strcasecmp(a.c_str(), b) == 0; }

// Matches a key against a catalogue pattern: "%i" stands for a decimal
// number, "%NAME%" for any variable name, the rest compares without case.
bool MatchPattern(const char *pattern, const char *key) {
    if (!strcmp(pattern, "%NAME%")) {
        size_t n = strlen(key);
        return n >= 3 && key[0] == '%' && key[n - 1] == '%';
    }
    while (*pattern) {
        if (pattern[0] == '%' && pattern[1] == 'i') {
            if (!isdigit((unsigned char)*key)) return false;
            while (isdigit((unsigned char)*key)) key++;
            pattern += 2;
            continue;
        }
        if (tolower((unsigned char)*pattern) != tolower((unsigned char)*key)) return false;
        pattern++, key++;
    }
    return *key == 0;
}

int Distance(const std::string &a, const std::string &b) {
    std::vector<int> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++) row[j] = (int)j;
    for (size_t i = 1; i <= a.size(); i++) {
        int diag = row[0];
        row[0] = (int)i;
        for (size_t j = 1; j <= b.size(); j++) {
            int up = row[j];
            int same = tolower((unsigned char)a[i - 1]) == tolower((unsigned char)b[j - 1]);
            int best = diag + !same;
            if (up + 1 < best) best = up + 1;
            if (row[j - 1] + 1 < best) best = row[j - 1] + 1;
            row[j] = best;
            diag = up;
        }
    }
    return row[b.size()];
}

// A catalogue pattern as an author writes it ("+%ia" for item 1: "+1a").
std::string Example(const char *pattern) {
    std::string out;
    for (const char *p = pattern; *p; p++) {
        if (p[0] == '%' && p[1] == 'i') {
            out += '1';
            p++;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace

const char *ListCountKey(const std::string &section) {
    static const char *lists[] = {"ACT", "CMP", "TYP", "GRP", "INI", "DIR", "RUN", "CLA", "TPL", "REG", 0};
    if (SameText(section, "VARIABLES") || SameText(section, "ODBC")) return "#";
    for (int i = 0; lists[i]; i++)
        if (SameText(section, lists[i])) return "Ndx";
    return 0;
}

const ScriptKey *FindScriptKey(const std::string &section, const std::string &key) {
    for (const ScriptKey *k = kScriptKeys; k->section; k++)
        if (SameText(section, k->section) && MatchPattern(k->key, key.c_str())) return k;
    return 0;
}

bool KnownSection(const std::string &section) {
    for (const ScriptKey *k = kScriptKeys; k->section; k++)
        if (SameText(section, k->section)) return true;
    return false;
}

std::string NearestScriptKey(const std::string &section, const std::string &key) {
    std::string best;
    int bestDistance = 3;
    for (const ScriptKey *k = kScriptKeys; k->section; k++) {
        if (!SameText(section, k->section)) continue;
        std::string example = Example(k->key);
        // Item keys compare with the item number of the unknown key.
        int item = ItemNumberOfKey(key);
        if (item > 0 && k->key[0] == '+') {
            example = "+" + std::to_string(item) + example.substr(2);
        }
        int d = Distance(key, example);
        if (d < bestDistance) bestDistance = d, best = example;
    }
    return best;
}

int ItemNumberOfKey(const std::string &key) {
    if (key.size() < 2 || key[0] != '+' || !isdigit((unsigned char)key[1])) return 0;
    long n = 0;
    for (size_t i = 1; i < key.size() && isdigit((unsigned char)key[i]) && n < 1000000; i++) n = n * 10 + (key[i] - '0');
    return (int)n;
}

bool EngineVariable(const std::string &name) {
    static const char *names[] = {"%UNINSTNAME%", "%INSTDIR%", "%ROOTDRV%", "%SOURCEDRV%", "%DESKTOPDIR%",
                                  "%PERSONALDIR%", "%USERNAME%", "%USERORG%", "%USERID%", "%PROGRAMFILESDIR%",
                                  "%COMMONFILESDIR%", "%WINDIR%", "%SYSDIR%", "%SYS32DIR%", "%FONTSDIR%",
                                  "%INSTDATE%", "%CLARIONIDX%", "%CLARIONID%", "%BINVAR_1%", "%BINVAR_2%",
                                  "%BINVAR_3%", "%BILLBOARD%", "%RegDir%", 0};
    for (int i = 0; names[i]; i++)
        if (SameText(name, names[i])) return true;
    return false;
}

bool KnownActionType(int type) {
    static const int types[] = {100, 200, 300, 400, 500, 600, 700, 800, 1100, 1200, 1300, 1400, 1500,
                                1600, 1700, 1800, 1900, 2000, 2200, 2300, 2400, 2500, 0};
    for (int i = 0; types[i]; i++)
        if (types[i] == type) return true;
    return false;
}

bool ActionTypeIsPage(int type) { return type >= 1500 && type <= 1900 && type % 100 == 0; }

std::string KeyTablesMarkdown() {
    // One table a section and reader, in the order they first appear.
    std::vector<std::pair<std::string, std::string>> groups;
    for (const ScriptKey *k = kScriptKeys; k->section; k++) {
        std::pair<std::string, std::string> g(k->section, k->reader);
        bool seen = false;
        for (const auto &o : groups) seen = seen || o == g;
        if (!seen) groups.push_back(g);
    }
    std::string out;
    for (const auto &g : groups) {
        out += "\n#### [" + g.first + "] — " + g.second +
               "\n\n| Key | Type | Absent | Expanded | Example | Meaning |\n|---|---|---|---|---|---|\n";
        for (const ScriptKey *k = kScriptKeys; k->section; k++) {
            if (g.first != k->section || g.second != k->reader) continue;
            std::string type = k->kind == 'i' ? "integer" : "text, " + std::to_string(k->size - 1) + " characters";
            std::string absent = *k->fallback ? std::string("`") + k->fallback + "`" : "empty";
            const char *expanded = k->expanded == 'y' ? "yes" : k->expanded == 'p' ? "as a path" : k->expanded ? "no" : "—";
            std::string example = std::string(k->example);
            for (size_t at = 0; (at = example.find('|', at)) != std::string::npos; at += 2) example.insert(at, "\\");
            out += std::string("| `") + Example(k->key) + "` | " + type + " | " + absent + " | " + expanded + " | `" +
                   Example(k->key) + "=" + example + "` | " + k->meaning + " |\n";
        }
    }
    return out;
}
