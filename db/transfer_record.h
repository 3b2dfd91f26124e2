// The transfer record: one row of O2008TRANSPROT per run that reaches the
// database.
#ifndef DATENSCHLEUSE_DB_TRANSFER_RECORD_H
#define DATENSCHLEUSE_DB_TRANSFER_RECORD_H

// Printed, always, when the row is lost: its insert or the commit after it
// failed; %d is the status of the failing step.
inline constexpr char kRecordNotWrittenLine[] = "Transferprotokoll nicht geschrieben, Fehler: %d\n";

// Returns the insert's status: 0 when the row was inserted.
int InsertTransferRecord(const char* userName, const char* transferType, const char* file,
                         const char* terminalName, const char* status);

#endif  // DATENSCHLEUSE_DB_TRANSFER_RECORD_H
