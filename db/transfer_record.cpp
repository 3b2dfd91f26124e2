// The transfer record module: the insert of one O2008TRANSPROT row.
#include "db/transfer_record.h"

#include <cstring>

#include "db/sql_runtime.h"

namespace {

constexpr char kInsertStatement[] =
    "insert into O2008TRANSPROT (TrsDat,TrsUsr,TrsTyp,TrsFile,TrsTrm,TrsSta) "
    "values (SYSDATE,:b0,:b1,:b2,:b3,:b4)";

// The host buffers of :b0 to :b4; a longer value is cut at its buffer.
char userBuffer[51];
char typeBuffer[51];
char fileBuffer[256];
char terminalBuffer[256];
char statusBuffer[2001];

template <std::size_t kRoom>
std::string_view CopyCut(const char* text, char (&buffer)[kRoom]) {
  std::memset(buffer, 0, kRoom);
  const std::size_t length = std::strlen(text);
  std::memcpy(buffer, text, length < kRoom ? length : kRoom - 1);
  return buffer;
}

}  // namespace

int InsertTransferRecord(const char* userName, const char* transferType, const char* file,
                         const char* terminalName, const char* status) {
  const SqlTexts values = {CopyCut(userName, userBuffer), CopyCut(transferType, typeBuffer),
                           CopyCut(file, fileBuffer), CopyCut(terminalName, terminalBuffer),
                           CopyCut(status, statusBuffer)};
  return SqlInsert(kInsertStatement, values);
}
