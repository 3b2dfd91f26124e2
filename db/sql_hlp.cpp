// Placeholder until the database session lands.
#include "db/sql_hlp.h"

#include "platform/platform.h"

int OpenDatabase() {
  ConsolePrintf("Datenbankverbindung fehlgeschlagen, Fehler: %d\n", -12154);
  return -12154;
}
int DbConnect(const char*, const char*, const char*, const char*) { return -12154; }
int DbCommit() { return 0; }
