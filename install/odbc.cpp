// [ODBC] items: drivers and data sources through the ODBC setup library
// that the payload carries ("odbcdll.dll"). The engine builds the
// library's driver string piece by piece, then asks for the operation.
#include "install/install_log.h"
#include "install/later_steps.h"
#include "payload/binding.h"
#include "payload/payload_layout.h"
#include "script/settings.h"
#include "base/settings.h"
#include "base/text.h"

enum { ODBC_INSTALL_DRIVER = 0, ODBC_ADD_SOURCE = 1, ODBC_ADD_SOURCE_OWNED = 2, ODBC_DRIVER_ARGUMENT = 3 };

static int LibraryComplete() {
    return g_odbc.module && g_odbc.INSTALLODBC && g_odbc.ADDDRIVERARGUMENT && g_odbc.ADDDSN &&
           g_odbc.ADDTODRIVERSTRING && g_odbc.CLEARDRIVERSTRING;
}

static void InstallOdbcItem(int i) {
    char name[PATH_TEXT];
    ReadListField("ODBC", i, "a", name, sizeof name);
    int lines = ReadListFieldInt("ODBC", i, "b", 0);
    int operation = ReadListFieldInt("ODBC", i, "c", 0);
    g_odbc.CLEARDRIVERSTRING();
    if (operation == ODBC_INSTALL_DRIVER) g_odbc.ADDTODRIVERSTRING(name);
    char first[LONG_TEXT];
    first[0] = 0;
    for (int j = 1; j <= lines; j++) {
        char key[40], line[CONVERT_BUFFER_SIZE];
        wsprintfA(key, "+%i_%i", i, j);
        // One byte more than the line may hold shows a line that was cut.
        ReadSetting("ODBC", key, line, LONG_TEXT + 1);
        if (TextLength(line) >= LONG_TEXT) {
            // A cut attribute would set up something else than the script says.
            g_odbc.CLEARDRIVERSTRING();
            LogPassedOver("ODBC attribute line too long: ", name);
            return;
        }
        if (g_support.CONVERTMACRO) g_support.CONVERTMACRO(line, 3);
        line[LONG_TEXT - 1] = 0;
        if (j == 1) CopyText(first, line, sizeof first);
        g_odbc.ADDTODRIVERSTRING(line);
    }
    switch (operation) {
    case ODBC_INSTALL_DRIVER:
        if (g_odbc.INSTALLODBC(name) == 0) LogRecord("ODBC   :", name);
        break;
    case ODBC_ADD_SOURCE:
        g_odbc.ADDDSN(name, 0);
        break;
    case ODBC_ADD_SOURCE_OWNED:
        g_odbc.ADDDSN(name, g_ownerWindow);
        break;
    case ODBC_DRIVER_ARGUMENT:
        if (g_odbc.ADDDRIVERARGUMENT(name, g_ownerWindow) == 0) LogRecord("ODBCDSN:", first);
        break;
    }
}

void InstallOdbcEntries() {
    int count = ListCount("ODBC");
    if (count <= 0) return;
    if (!LibraryComplete()) {
        LogPassedOver("ODBC items passed over, no ODBC setup library: ", SETUP_FILE_ODBC);
        return;
    }
    for (int i = 1; i <= count; i++)
        if (ItemChosen("ODBC", i)) InstallOdbcItem(i);
}
