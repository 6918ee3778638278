// Records of the setup's finishing steps, which only the uninstaller
// undoes: each goes to the unit of its family.
#include "uninstaller/undo_later.h"

void UndoLaterRecord(UndoRun *run, int i) {
    switch (run->records[i].kind) {
    case REC_SELFREG:
    case REC_SELFTLB: UndoSelfRegistration(run, i); return;
    case REC_SLINK: UndoShortcut(run, i); return;
    case REC_INIFILE: UndoIniChange(run, i); return;
    case REC_ODBC:
    case REC_ODBCDSN: UndoOdbc(run, i); return;
    }
}
