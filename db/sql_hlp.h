// The database session: reads the credentials from the settings file,
// connects, switches to the application schema, and commits at the end.
#ifndef DATENSCHLEUSE_DB_SQL_HLP_H
#define DATENSCHLEUSE_DB_SQL_HLP_H

// The settings file, relative to the working directory of the process.
inline constexpr char kSettingsPath[] = "..\\..\\Files\\Korvaline.Ini";

// Printed, always, when the session cannot be opened; %d is the status of the
// failing step.
inline constexpr char kDatabaseConnectFailedLine[] =
    "Datenbankverbindung fehlgeschlagen, Fehler: %d\n";

// 0 when the session is open and switched to the schema; otherwise the status
// of the failing step, after kDatabaseConnectFailedLine has been printed.
int OpenDatabase();

// 0, or the status of the connect or of the schema switch.
int DbConnect(const char* userName, const char* password, const char* databaseName,
              const char* schemaName);

// 1 when the commit succeeded, else 0.
int DbCommit();

#endif  // DATENSCHLEUSE_DB_SQL_HLP_H
