#include "tools/report/report_model.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "tools/report/transfer_outcome.h"

namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
long DaysFromCivil(long year, long month, long day) {
  year -= month <= 2;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yearOfEra = year - era * 400;
  const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::string CivilFromDays(long days) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long dayOfEra = days - era * 146097;
  const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long shifted = (5 * dayOfYear + 2) / 153;
  const long day = dayOfYear - (153 * shifted + 2) / 5 + 1;
  const long month = shifted < 10 ? shifted + 3 : shifted - 9;
  const long year = yearOfEra + era * 400 + (month <= 2);
  char text[64];
  std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
  return text;
}

int TypeIndex(std::string_view type) {
  for (std::size_t i = 0; i < kReportTypes.size(); ++i) {
    if (kReportTypes[i] == type) return static_cast<int>(i);
  }
  return kNoTransfer;
}

void CountTransfer(TerminalSummary& summary, const ReportTransfer& transfer, int index) {
  const int type = TypeIndex(transfer.type);
  if (type != kNoTransfer) summary.lastOfType[static_cast<std::size_t>(type)] = index;
  summary.last = index;
  if (transfer.success) {
    summary.lastSuccess = index;
    summary.failuresInRow = 0;
  } else {
    ++summary.failuresInRow;
  }
}

bool TerminalOrder(const TerminalSummary& a, const TerminalSummary& b) {
  if (a.LastFailed() != b.LastFailed()) return a.LastFailed();
  if (a.failuresInRow != b.failuresInRow) return a.failuresInRow > b.failuresInRow;
  return a.name < b.name;
}

}  // namespace

std::string AddDays(std::string_view day, int delta) {
  long year = 0, month = 0, date = 0;
  if (std::sscanf(std::string(day).c_str(), "%ld-%ld-%ld", &year, &month, &date) != 3) {
    return std::string(day);
  }
  return CivilFromDays(DaysFromCivil(year, month, date) + delta);
}

TransferReport BuildTransferReport(const std::vector<TransferLogRow>& rows,
                                   const std::string& firstDay, const std::string& lastDay) {
  TransferReport report;
  std::map<std::string, TerminalSummary> terminals;
  std::map<std::string, DayCount> days;
  for (const TransferLogRow& row : rows) {
    ReportTransfer transfer{row.trsDat,
                            TransferLogText(row.trsUsr),
                            TransferLogText(row.trsTyp),
                            TransferLogText(row.trsFile),
                            TransferLogText(row.trsTrm),
                            TransferLogText(row.trsSta),
                            IsSuccessfulTransfer(row.trsTyp, row.trsSta)};
    const int index = static_cast<int>(report.transfers.size());
    TerminalSummary& summary = terminals[transfer.terminal];
    summary.name = transfer.terminal;
    CountTransfer(summary, transfer, index);
    DayCount& day = days[transfer.time.substr(0, 10)];
    (transfer.success ? day.successes : day.failures) += 1;
    if (transfer.success) ++report.successCount;
    report.transfers.push_back(std::move(transfer));
  }
  std::string end = lastDay;
  if (!days.empty() && days.rbegin()->first > end) end = days.rbegin()->first;
  // The count bounds the walk should a day text not parse.
  std::string day = firstDay;
  for (int count = 0; day <= end && count < kReportDaysLimit; day = AddDays(day, 1), ++count) {
    DayCount shown = days[day];
    shown.day = day;
    report.days.push_back(shown);
  }
  for (auto& entry : terminals) report.terminals.push_back(std::move(entry.second));
  std::stable_sort(report.terminals.begin(), report.terminals.end(), TerminalOrder);
  for (int i = static_cast<int>(report.transfers.size()) - 1; i >= 0; --i) {
    if (!report.transfers[static_cast<std::size_t>(i)].success) report.failures.push_back(i);
  }
  return report;
}
