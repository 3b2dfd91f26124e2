// What the report shows, computed from the rows of the transfer log: the
// state of each terminal, the transfers per day, and the failures.
#ifndef DATENSCHLEUSE_TOOLS_REPORT_REPORT_MODEL_H
#define DATENSCHLEUSE_TOOLS_REPORT_REPORT_MODEL_H

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "db/transfer_log_reader.h"

// One transfer as shown: texts in UTF-8.
struct ReportTransfer {
  std::string time;  // "YYYY-MM-DD HH:MM:SS"
  std::string user, type, file, terminal, status;
  bool success = false;
};

// The transfer types a terminal's summary shows, in this order.
inline constexpr std::array<std::string_view, 3> kReportTypes = {"DNL", "DNLA", "UPL"};
// The longest period a report covers, in days.
inline constexpr int kReportDaysLimit = 3660;
// Index of no transfer.
inline constexpr int kNoTransfer = -1;

// Indexes into TransferReport::transfers.
struct TerminalSummary {
  std::string name;
  std::array<int, kReportTypes.size()> lastOfType{kNoTransfer, kNoTransfer, kNoTransfer};
  int last = kNoTransfer;
  int lastSuccess = kNoTransfer;
  int failuresInRow = 0;  // failures since the last success (all, when none)
  bool LastFailed() const { return failuresInRow > 0; }
};

struct DayCount {
  std::string day;  // "YYYY-MM-DD"
  int successes = 0;
  int failures = 0;
};

struct TransferReport {
  std::vector<ReportTransfer> transfers;  // oldest first
  // The terminals whose last transfer failed (most failures in a row first),
  // then the others, each group by name.
  std::vector<TerminalSummary> terminals;
  std::vector<DayCount> days;  // every day of the period, oldest first
  std::vector<int> failures;   // newest first
  int successCount = 0;
};

// A calendar day "YYYY-MM-DD" moved by delta days.
std::string AddDays(std::string_view day, int delta);

// Builds the report from the log's rows (oldest first) for the period that
// starts on firstDay and ends on lastDay, or on the day of the newest row
// when that is later (a server whose clock runs ahead).
TransferReport BuildTransferReport(const std::vector<TransferLogRow>& rows,
                                   const std::string& firstDay, const std::string& lastDay);

#endif  // DATENSCHLEUSE_TOOLS_REPORT_REPORT_MODEL_H
