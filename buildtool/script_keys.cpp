#include "buildtool/script_keys.h"
#include <ctype.h>
#include <string.h>

// section, key, kind, text size, value when absent, reader, meaning
const ScriptKey kScriptKeys[] = {
    // Start-up
    {"DLG", "Silent", 'i', 0, "0", "start-up", "non-zero: silent mode, as the -s switch"},
    {"DLG", "HW", 'i', 0, "0", "start-up", "non-zero: hidden mode, no background window (silent mode forces it)"},
    {"DLG", "TI", 's', 50, "", "start-up", "setup title: background window, wizard frame and message-box title"},
    {"DLG", "CA", 's', 127, "", "start-up", "question asked when the user cancels the wizard"},
    {"DLG", "FMOK", 'i', 0, "0", "start-up", "non-zero: the [STR FIRST] notice has OK only (else Yes/No, No ends)"},
    {"DLG", "NO", 'i', 0, "1", "start-up", "number of steps of the copy page's overall bar (0 counts as 1)"},
    {"DLG", "NRROF", 'i', 0, "0", "start-up", "non-zero: read-only files are not made writable before replacing"},
    {"DLG", "NRLF", 'i', 0, "0", "start-up", "non-zero: files in use are not scheduled for the next Windows start"},
    {"DLG", "SPD", 'i', 0, "0", "start-up", "non-zero: copy in the small separate window 13500, frame hidden"},
    {"DLG", "Rbt", 'i', 0, "0", "start-up", "non-zero: ask to restart Windows at the end"},
    {"DLG", "C25", 's', 255, "", "shutdown", "restart question (OK restarts Windows)"},
    {"DLG", "RUI", 'i', 0, "0", "start-up", "non-zero: %USERNAME% and %USERORG% start with the registered owner"},
    {"DLG", "DLL50", 'i', 0, "0", "start-up", "non-zero: ask the plug-in (code 1000) before the first actions"},
    {"DLG", "C53", 's', 255, "", "support library", "support library message 2"},
    {"DLG", "C54", 's', 255, "", "support library", "support library message 3"},
    {"DLG", "C55", 's', 255, "", "support library", "support library message 4"},
    {"DLG", "C56", 's', 255, "", "support library", "support library message 6"},
    {"DLG", "C57", 's', 255, "", "support library", "support library message 13"},
    {"DLG", "C58", 's', 255, "", "support library", "support library message 18"},
    // Start-up checks
    {"DLG", "C86", 's', 255, "", "start-up checks", "text of the small window shown while the program file is checked"},
    {"DLG", "C67", 's', 255, "", "start-up checks", "message when the program file is damaged"},
    {"DLG", "APR", 'i', 0, "0", "start-up checks", "non-zero: administrator rights required on the NT family"},
    {"DLG", "C70", 's', 255, "", "start-up checks", "message when administrator rights are missing"},
    // Background window
    {"DLG", "BG1", 'i', 0, "0", "background", "non-zero: solid backdrop instead of the blue gradient"},
    {"DLG", "BG2", 's', 9, "0", "background", "colour of the solid backdrop, decimal COLORREF"},
    {"DLG", "IX", 'i', 0, "2", "background", "left edge of the background picture (_PIC1.IMG); 2 and above: placement code"},
    {"DLG", "IY", 'i', 0, "2", "background", "top edge of the background picture"},
    {"DLG", "IT", 'i', 0, "0", "background", "non-zero: the picture's transparent colour is left out"},
    {"DLG", "ITC", 'i', 0, "0", "background", "transparent colour, decimal COLORREF"},
    {"DLG", "ITB", 'i', 0, "0", "background", "1: the picture is tiled over the window"},
    {"DLG", "IDF", 'i', 0, "0", "background", "non-zero: the background picture stays when billboards show"},
    {"DLG", "T1", 's', 100, "", "background", "first title line"},
    {"DLG", "TF1", 's', 40, "Arial", "background", "font face of T1"},
    {"DLG", "TS1", 'i', 0, "80", "background", "font height of T1 for a screen 768 pixels high"},
    {"DLG", "TX1", 'i', 0, "40", "background", "x of the shadow of T1"},
    {"DLG", "TY1", 'i', 0, "35", "background", "y of the shadow of T1"},
    {"DLG", "TX11", 'i', 0, "0", "background", "non-zero: draw the shadow of T1"},
    {"DLG", "T3", 's', 100, "", "background", "second title line"},
    {"DLG", "TF2", 's', 40, "Arial", "background", "font face of T3"},
    {"DLG", "TS2", 'i', 0, "80", "background", "font height of T3"},
    {"DLG", "TX3", 'i', 0, "40", "background", "x of the shadow of T3"},
    {"DLG", "TY3", 'i', 0, "35", "background", "y of the shadow of T3"},
    {"DLG", "TX33", 'i', 0, "0", "background", "non-zero: draw the shadow of T3"},
    {"DLG", "T2", 's', 100, "", "background", "footer line"},
    {"DLG", "TX2", 'i', 0, "37", "background", "x of the shadow of T2"},
    {"DLG", "TX22", 'i', 0, "0", "background", "non-zero: draw the shadow of T2"},
    // Wizard frame
    {"DLG", "DCM", 'i', 0, "0", "wizard frame", "non-zero: hide the engine's name under the pages"},
    {"DLG", "C5", 's', 255, "", "wizard frame", "caption of Next"},
    {"DLG", "C6", 's', 255, "", "wizard frame", "caption of Back"},
    {"DLG", "C2", 's', 255, "", "wizard frame", "caption of Cancel (also the browser's and the separate copy window's)"},
    {"DLG", "Z1", 'i', 0, "0", "wizard frame", "non-zero: welcome page on"},
    {"DLG", "Z3", 'i', 0, "0", "wizard frame", "non-zero: licence page on"},
    {"DLG", "Z2", 'i', 0, "0", "wizard frame", "non-zero: readme page on"},
    {"DLG", "Z10", 'i', 0, "0", "wizard frame", "non-zero: user information page on"},
    {"DLG", "Z7", 'i', 0, "0", "wizard frame", "non-zero: setup type page on"},
    {"DLG", "Z8", 'i', 0, "0", "wizard frame", "non-zero: components page on"},
    {"DLG", "Z5", 'i', 0, "0", "wizard frame", "non-zero: Clarion version page on"},
    {"DLG", "Z12", 'i', 0, "0", "wizard frame", "non-zero: destination folder page on"},
    {"DLG", "Z9", 'i', 0, "0", "wizard frame", "non-zero: program folder page on"},
    {"DLG", "Z11", 'i', 0, "0", "wizard frame", "non-zero: ready page on"},
    {"DLG", "DetectIUF", 'i', 0, "0", "wizard frame", "non-zero: detection page (files in use) before the copy"},
    {"DLG", "DLL100", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 3000 after the default folder is computed"},
    {"DLG", "DLL2000", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 2000 checks the user information"},
    {"DLG", "DLL300", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 4000 before the ready page"},
    {"DLG", "DLL350", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 5000 before the copy"},
    {"DLG", "DLL370", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 6000 after the copy"},
    {"DLG", "DLL400", 'i', 0, "0", "wizard frame", "non-zero: plug-in code 7000 when the finish page is left"},
    // Text pages
    {"DLG", "C9", 's', 255, "", "licence page", "heading"},
    {"DLG", "L1", 's', 255, "", "licence page", "subheading"},
    {"DLG", "L2", 's', 255, "", "licence page", "question under the licence text"},
    {"DLG", "C3", 's', 255, "", "licence page", "caption of Next on the licence page (I Agree)"},
    {"DLG", "C4", 's', 255, "", "licence page", "caption of Cancel on the licence page (I Disagree)"},
    {"DLG", "RTF2", 'i', 0, "0", "licence page", "non-zero: the [STR LIC] block is rich text"},
    {"DLG", "C8", 's', 255, "", "readme page", "heading"},
    {"DLG", "C78", 's', 255, "", "readme page", "subheading"},
    {"DLG", "RTF1", 'i', 0, "0", "readme page", "non-zero: the [STR REA] block is rich text"},
    {"DLG", "C36", 's', 255, "", "ready page", "heading"},
    {"DLG", "C75", 's', 255, "", "ready page", "subheading"},
    {"DLG", "C37", 's', 255, "", "ready page", "label above the list of choices"},
    {"DLG", "C38", 's', 255, "", "ready page", "list line: setup type"},
    {"DLG", "C39", 's', 255, "", "ready page", "list line: destination folder"},
    {"DLG", "C51", 's', 255, "", "ready page", "label of the disk space needed (also on the components page)"},
    {"DLG", "C44", 's', 255, "", "ready page", "list line: program folder"},
    {"DLG", "C40", 's', 255, "", "ready page", "list line: user information"},
    {"DLG", "C41", 's', 255, "", "ready page", "label of the user name"},
    {"DLG", "C42", 's', 255, "", "ready page", "label of the company"},
    {"DLG", "C43", 's', 255, "", "ready page", "label of the user ID"},
    {"DLG", "C19", 's', 255, "", "finish page", "caption of Finish"},
    {"DLG", "C23", 's', 255, "", "finish page", "caption of Close after a stopped setup"},
    {"DLG", "E2", 's', 255, "", "finish page", "text after a stopped or failed setup"},
    {"DLG", "E10", 's', 255, "", "finish page", "text after the detection page found files in use"},
    // Setup type and components
    {"DLG", "C30", 's', 255, "", "setup type page", "heading"},
    {"DLG", "ST", 's', 255, "", "setup type page", "subheading"},
    {"DLG", "C45", 's', 20, "", "setup type page", "type name used when the setup type page is off"},
    {"DLG", "C46", 's', 100, "", "setup type page", "type description used when the setup type page is off"},
    {"DLG", "C29", 's', 255, "", "components page", "heading"},
    {"DLG", "C79", 's', 255, "", "components page", "subheading"},
    // Folder pages
    {"DLG", "DF", 's', 80, "", "destination page", "default folder, or %RegDir% to take it from the registry or an INI file"},
    {"DLG", "R1", 's', 127, "", "destination page", "with %RegDir%: registry key (or INI file)"},
    {"DLG", "R2", 's', 127, "", "destination page", "with %RegDir%: value name (or INI section)"},
    {"DLG", "R3", 's', 127, "", "destination page", "with %RegDir%: INI key"},
    {"DLG", "PK", 'i', 0, "3", "destination page", "registry root code of R1"},
    {"DLG", "DFX", 's', 127, "", "destination page", "folder when the registry or INI look-up finds nothing"},
    {"DLG", "A0", 'i', 0, "0", "folder browser", "1: the drive list is kept disabled"},
    {"DLG", "A1", 'i', 0, "0", "folder browser", "1: the folder list is kept disabled"},
    {"DLG", "A2", 'i', 0, "0", "destination page", "1: no Browse button"},
    {"DLG", "C64", 's', 255, "", "destination page", "message when the disk has too little space (KB and drive)"},
    {"DLG", "C87", 's', 255, "", "destination page", "message when the chosen folder is too long (its limit, 126)"},
    {"DLG", "C88", 's', 255, "", "destination page", "message when the chosen folder is no whole path Windows accepts (the folder)"},
    {"DLG", "C12", 's', 255, "", "destination page", "heading"},
    {"DLG", "C66", 's', 255, "", "destination page", "subheading"},
    {"DLG", "C13", 's', 255, "", "destination page", "caption of the folder group box"},
    {"DLG", "C14", 's', 255, "", "destination page", "caption of Browse"},
    {"DLG", "C1", 's', 255, "", "folder browser", "caption of OK"},
    {"DLG", "C20", 's', 255, "", "folder browser", "label of the folder list"},
    {"DLG", "C21", 's', 255, "", "folder browser", "label of the drive list"},
    {"DLG", "C11", 's', 255, "", "Clarion page", "heading"},
    {"DLG", "C76", 's', 255, "", "Clarion page", "subheading"},
    {"DLG", "CV", 's', 255, "", "Clarion page", "text above the choices"},
    // Entry pages
    {"DLG", "C32", 's', 255, "", "user information page", "heading"},
    {"DLG", "CU", 's', 255, "", "user information page", "subheading"},
    {"DLG", "C33", 's', 255, "", "user information page", "label of the name"},
    {"DLG", "C34", 's', 255, "", "user information page", "label of the company"},
    {"DLG", "C35", 's', 20, "", "user information page", "label of the user ID; empty hides the field"},
    {"DLG", "U1", 'i', 0, "0", "user information page", "non-zero: the name may not be empty"},
    {"DLG", "U2", 'i', 0, "0", "user information page", "non-zero: the company may not be empty"},
    {"DLG", "U3", 'i', 0, "0", "user information page", "non-zero: the user ID may not be empty"},
    {"DLG", "SPMSG", 'i', 0, "0", "user information page", "1: no message when the plug-in refuses"},
    {"DLG", "C74", 's', 100, "", "user information page", "message when the plug-in refuses"},
    {"DLG", "C26", 's', 255, "", "program folder page", "heading"},
    {"DLG", "C77", 's', 255, "", "program folder page", "subheading"},
    {"DLG", "C27", 's', 255, "", "program folder page", "label of the group name"},
    {"DLG", "C28", 's', 255, "", "program folder page", "label of the list of existing groups"},
    {"DLG", "DG", 's', 127, "", "program folder page", "default program group"},
    // Install
    {"DLG", "LO", 's', 127, "", "copy page", "install log file, expanded; a name alone lies in the installation folder"},
    {"DLG", "BU", 'i', 0, "0", "copy page", "non-zero: replaced files are kept in _BACKUP_"},
    {"DLG", "OW", 'i', 0, "0", "copy page", "non-zero: existing files are written over without asking"},
    {"DLG", "P1", 's', 255, "", "copy page", "title while files are copied"},
    {"DLG", "P2", 's', 255, "", "copy page", "title while the system is changed"},
    {"DLG", "P3", 's', 255, "", "copy page", "title of the last step"},
    {"DLG", "C65", 's', 255, "", "copy page", "subtitle"},
    {"DLG", "C69", 's', 255, "", "detection page", "title"},
    {"DLG", "C80", 's', 255, "", "detection page", "subtitle"},
    {"DLG", "C59", 's', 255, "", "install log", "uninstaller's title (its log's \"L1\")"},
    {"DLG", "C60", 's', 255, "", "install log", "uninstaller's question before it removes (\"L2\")"},
    {"DLG", "C61", 's', 255, "", "install log", "uninstaller's line while it removes"},
    {"DLG", "C62", 's', 255, "", "install log", "uninstaller's line when all is removed"},
    {"DLG", "C63", 's', 255, "", "install log", "uninstaller's heading over what it kept"},
    {"DLG", "C71", 's', 255, "", "registrations", "message when a file does not register (%s: the file)"},
    {"DLG", "C72", 's', 255, "", "Clarion templates", "question before the templates are registered"},
    {"DLG", "C73", 's', 255, "", "Clarion templates", "caption of that question"},
    // Other sections
    {"SIG", "CheckSum", 'i', 0, "0", "start-up checks", "checksum of the program file (written by mksetup build)"},
    {"SIG", "Size", 'i', 0, "0", "start-up checks", "bytes the checksum covers (written by mksetup build)"},
    {"CFC", "WV%i", 'i', 0, "0", "start-up checks", "Windows version rule 1 to 5"},
    {"CFC", "WM%i", 's', 255, "", "start-up checks", "message of rule 1 to 5"},
    {"CFC", "WT%i", 's', 80, "", "start-up checks", "caption of rule 1 to 5"},
    {"CFC", "WP%i", 'i', 0, "0", "start-up checks", "2: rule 1 to 5 ends the setup"},
    {"CFC", "RES", 'i', 0, "0", "start-up checks", "least screen width in pixels"},
    {"CFC", "RE1", 's', 80, "", "start-up checks", "caption of the screen message"},
    {"CFC", "RE2", 's', 255, "", "start-up checks", "screen message"},
    {"CFC", "RE3", 'i', 0, "0", "start-up checks", "2: a narrow screen ends the setup"},
    {"CFC", "COL", 'i', 0, "0", "start-up checks", "least number of colours"},
    {"CFC", "CO1", 's', 80, "", "start-up checks", "caption of the colour message"},
    {"CFC", "CO2", 's', 255, "", "start-up checks", "colour message"},
    {"CFC", "CO3", 'i', 0, "0", "start-up checks", "2: too few colours end the setup"},
    {"VARIABLES", "#", 'i', 0, "0", "variables", "number of listed variables"},
    {"VARIABLES", "%i", 's', 255, "", "variables", "name of variable n, percent signs included"},
    {"VARIABLES", "%NAME%", 's', 255, "", "variables", "value of the variable %NAME%"},
    {"CMP", "Ndx", 'i', 0, "0", "components page", "number of components, the main one included"},
    {"CMP", "+%ia", 's', 2, "", "components page", "letter of component n (component 1 is A)"},
    {"CMP", "+%ib", 's', 50, "", "components page", "name of component n"},
    {"CMP", "+%ic", 'i', 0, "0", "components page", "non-zero: ticked by default"},
    {"CMP", "+%id", 'i', 0, "0", "components page", "size in KB; +1d is the main component's"},
    {"TYP", "Ndx", 'i', 0, "0", "setup type page", "number of setup types, 1 to 6"},
    {"TYP", "+%ia", 's', 100, "", "setup type page", "name of type n"},
    {"TYP", "+%ib", 's', 100, "", "setup type page", "description of type n"},
    {"TYP", "+%ic", 'i', 0, "0", "setup type page", "non-zero: the default type"},
    {"TYP", "+%id", 's', 20, "", "setup type page", "component letters type n installs; empty: the components page decides"},
    {"TYP", "+%if", 's', 20, "0", "setup type page", "space shown for type n, in KB"},
    {"CLA", "Ndx", 'i', 0, "0", "Clarion page", "number of WIN.INI sections to look at"},
    {"CLA", "+%i", 's', 80, "", "Clarion page", "WIN.INI section of a Clarion product"},
    {"CLA", "LS", 's', 80, "", "Clarion page", "caption of a last choice for none of them"},
    {"CLA", "APPEND", 's', 127, "", "Clarion page", "folder appended to the product's folder"},
    {"DIR", "Ndx", 'i', 0, "0", "folders", "number of folders to create"},
    {"DIR", "APPEND", 's', 127, "", "folder browser", "folder appended to a folder chosen in the browser"},
    {"DIR", "+%ia", 's', 127, "", "folders", "folder; a path starting with % is used as it is"},
    {"DIR", "+%iz", 's', 2, "", "folders", "component letter"},
    {"FLE", "Ndx", 'i', 0, "0", "copy page", "number of files (informational)"},
    {"FLE", "OPT", 'i', 0, "0", "copy page", "non-zero: skipped files are consumed without decoding"},
    {"GRP", "Ndx", 'i', 0, "0", "shortcuts", "number of shortcuts"},
    {"GRP", "+%ia", 'i', 0, "1", "shortcuts", "registry root 1 to 5 of the value naming the base folder"},
    {"GRP", "+%ib", 's', 127, "", "shortcuts", "registry key of that value"},
    {"GRP", "+%ic", 's', 80, "", "shortcuts", "registry value name (a shell folder)"},
    {"GRP", "+%id", 's', 127, "", "shortcuts", "sub-folder (the program group)"},
    {"GRP", "+%ie", 's', 127, "", "shortcuts", "target; a path starting with % is used as it is"},
    {"GRP", "+%if", 's', 127, "", "shortcuts", "shortcut file name"},
    {"GRP", "+%ih", 's', 127, "", "shortcuts", "working folder"},
    {"GRP", "+%ii", 's', 127, "", "shortcuts", "icon file"},
    {"GRP", "+%ij", 'i', 0, "0", "shortcuts", "icon index"},
    {"GRP", "+%ik", 's', 127, "", "shortcuts", "arguments"},
    {"GRP", "+%is", 'i', 0, "0", "shortcuts", "hot key: virtual-key code used with Ctrl+Shift"},
    {"GRP", "+%iz", 's', 2, "", "shortcuts", "component letter"},
    {"INI", "Ndx", 'i', 0, "0", "INI changes", "number of changes"},
    {"INI", "+%ia", 's', 255, "", "INI changes", "INI file"},
    {"INI", "+%ib", 's', 80, "", "INI changes", "section"},
    {"INI", "+%ic", 's', 80, "", "INI changes", "key"},
    {"INI", "+%id", 's', 127, "", "INI changes", "value"},
    {"INI", "+%iz", 's', 2, "", "INI changes", "component letter"},
    {"REG", "Ndx", 'i', 0, "0", "registry", "number of registry values"},
    {"REG", "+%ia", 'i', 0, "0", "registry", "root number"},
    {"REG", "+%ib", 's', 255, "", "registry", "key"},
    {"REG", "+%ic", 's', 255, "", "registry", "value name"},
    {"REG", "+%id", 's', 255, "", "registry", "value data"},
    {"REG", "+%ie", 's', 255, "", "registry", "further setting of the value"},
    {"REG", "+%ino", 's', 255, "", "registry", "further setting of the value"},
    {"REG", "+%iz", 's', 2, "", "registry", "component letter"},
    {"TPL", "Ndx", 'i', 0, "0", "Clarion templates", "number of templates; 0 switches the step off"},
    {"TPL", "E1", 's', 30, "", "Clarion templates", "text before a template that was not registered"},
    {"TPL", "+%ia", 's', 80, "", "Clarion templates", "template file, relative to the installation folder"},
    {"TPL", "+%iz", 's', 2, "", "Clarion templates", "component letter"},
    {"ODBC", "#", 'i', 0, "0", "ODBC", "number of items"},
    {"ODBC", "+%ia", 's', 127, "", "ODBC", "driver name or data-source description"},
    {"ODBC", "+%ib", 'i', 0, "0", "ODBC", "number of attribute lines"},
    {"ODBC", "+%ic", 'i', 0, "0", "ODBC", "0 driver, 1 data source, 2 data source with owner, 3 driver argument"},
    {"ODBC", "+%i_%i", 's', 255, "", "ODBC", "attribute line j of item i"},
    {"ODBC", "+%iz", 's', 2, "", "ODBC", "component letter"},
    {"RUN", "Ndx", 'i', 0, "0", "finish page", "number of programs"},
    {"RUN", "CB%i", 's', 50, "", "finish page", "text of check box 1 to 3; empty hides it"},
    {"RUN", "+%ia", 's', 127, "", "finish page", "program"},
    {"RUN", "+%ib", 's', 127, "", "finish page", "arguments"},
    {"RUN", "+%ic", 's', 127, "", "finish page", "working folder"},
    {"RUN", "+%icb", 'i', 0, "0", "finish page", "check box 1 to 3 that starts it; 0 none"},
    {"RUN", "+%ise", 'i', 0, "0", "finish page", "non-zero: start through the shell"},
    {"RUN", "+%iw", 'i', 0, "0", "finish page", "non-zero: wait until it ends"},
    {"RUN", "+%iz", 's', 2, "", "finish page", "component letter"},
    {"ACT", "Ndx", 'i', 0, "0", "actions", "number of actions"},
    {"ACT", "+%ia", 'i', 0, "0", "actions", "action type"},
    {"ACT", "+%it", 'i', 0, "0", "actions", "phase: 10, 30, 50, 60 (20 and 40 for pages)"},
    {"ACT", "+%iz", 's', 2, "", "actions", "component letter"},
    {"ACT", "+%ip%i", 's', 255, "", "actions", "parameter p1 to p9 (p9 holds flags or a mode)"},
    {"ACT", "+%ip17", 's', 127, "", "action pages", "heading of an action page"},
    {"ACT", "+%isg", 's', 20, "", "action pages", "text-block tag of an action page"},
    {"ACT", "+%iw", 's', 80, "", "actions", "file pattern of the copy and delete types"},
    {"BIL", "+%iPos", 'i', 0, "0", "billboards", "placement code of billboard n"},
    {"BIL", "+%iX", 'i', 0, "2", "billboards", "left edge when the code is below 2"},
    {"BIL", "+%iY", 'i', 0, "2", "billboards", "top edge when the code is below 2"},
    {"BIL", "+%iT", 'i', 0, "0", "billboards", "non-zero: transparent colour left out"},
    {"BIL", "+%iTB", 'i', 0, "0", "billboards", "1: tiled"},
    {"BIL", "+%iTC", 'i', 0, "0", "billboards", "transparent colour, decimal COLORREF"},
    {"UNINST", "Unique", 'i', 0, "0", "copy page", "non-zero: a numbered uninstaller name when one is there"},
    {"UNINST", "Register", 'i', 0, "0", "copy page",
     "non-zero: the product is listed in Add/Remove Programs; its uninstaller (uninstx.exe) removes the entry"},
    {"UNINST", "Name", 's', 64, "[DLG] TI", "copy page", "name in Add/Remove Programs and of its registry key (no \"\\\")"},
    {"UNINST", "Publisher", 's', 64, "", "copy page", "publisher shown in Add/Remove Programs"},
    {"UNINST", "Version", 's', 64, "", "copy page", "version shown in Add/Remove Programs"},
    {0, 0, 0, 0, 0, 0, 0},
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
        out += "\n#### [" + g.first + "] — " + g.second + "\n\n| Key | Type | Absent | Meaning |\n|---|---|---|---|\n";
        for (const ScriptKey *k = kScriptKeys; k->section; k++) {
            if (g.first != k->section || g.second != k->reader) continue;
            std::string type = k->kind == 'i' ? "integer" : "text, " + std::to_string(k->size - 1) + " characters";
            std::string absent = *k->fallback ? std::string("`") + k->fallback + "`" : "empty";
            out += std::string("| `") + Example(k->key) + "` | " + type + " | " + absent + " | " + k->meaning + " |\n";
        }
    }
    return out;
}
