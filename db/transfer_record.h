// The transfer record: one row of O2008TRANSPROT per run that reaches the
// database.
#ifndef DATENSCHLEUSE_DB_TRANSFER_RECORD_H
#define DATENSCHLEUSE_DB_TRANSFER_RECORD_H

// Returns the insert's status: 0 when the row was inserted.
int InsertTransferRecord(const char* userName, const char* transferType, const char* file,
                         const char* terminalName, const char* status);

#endif  // DATENSCHLEUSE_DB_TRANSFER_RECORD_H
