// Placeholder until the transfer record lands.
#include "db/transfer_record.h"

int InsertTransferRecord(const char*, const char*, const char*, const char*, const char*) {
  return -1;
}
