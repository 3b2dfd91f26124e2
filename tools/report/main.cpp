// datenschleuse-report: a page on the transfer log for operators. Reads the
// rows of O2008TRANSPROT of the last days through the settings file and the
// back ends the tool itself uses, and writes one self-contained HTML file.
//
// Exit codes: 0 the page is written, 1 the transfer log cannot be read, 2
// usage, 3 the page cannot be written (an older page stays as it was).
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "db/sql_hlp.h"
#include "db/transfer_log_reader.h"
#include "platform/cp1252.h"
#include "platform/platform.h"
#include "tools/report/report_html.h"
#include "tools/report/report_model.h"
#include "tools/report/report_options.h"

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitLogUnreadable = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNotWritten = 3;

// Writes a Windows-1252 message to standard error, converted for the console.
void ErrorWrite(std::string_view text) {
  std::fputs(InternalToConsole(text).c_str(), stderr);
}

std::string Utf8Of(std::string_view text) {
  std::string utf8;
  Cp1252ToUtf8(text, utf8);
  return utf8;
}

// The local time now, in a strftime format.
std::string LocalNow(const char* format) {
  std::tm local{};
  char text[32] = {};
  if (LocalTimeOf(std::time(nullptr), local)) std::strftime(text, sizeof text, format, &local);
  return text;
}

// Writes the page beside path and then puts it in its place, so a reader
// never sees half a page and a failure leaves the old one.
bool WritePage(const std::string& path, const std::string& page) {
  FileBeside beside;
  if (!CreateFileBeside(path, beside)) return false;
  if (std::fwrite(page.data(), 1, page.size(), beside.file) == page.size()) {
    return CommitFileBeside(beside);
  }
  DiscardFileBeside(beside);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  PlatformInit();
  ReportOptions options;
  std::string error;
  const ReportVerdict verdict = ParseReportOptions(argc, argv, options, error);
  if (verdict == ReportVerdict::kVersion) {
    std::fputs("datenschleuse-report " DS_VERSION_TEXT "\n", stdout);
    return kExitWritten;
  }
  if (verdict == ReportVerdict::kRefused) {
    ErrorWrite("datenschleuse-report: " + error + "\n" + ReportUsageText());
    return kExitUsage;
  }

  const std::string today = LocalNow("%Y-%m-%d");
  const std::string firstDay = AddDays(today, 1 - options.days);
  const TransferLogSource source = ReadTransferLogSource(kSettingsPath);
  const TransferLogQuery query{firstDay + " 00:00:00", Utf8Of(options.terminal)};
  std::vector<TransferLogRow> rows;
  std::string message;
  const int status = ReadTransferLog(source, query, rows, message);
  if (status != 0) {
    ErrorWrite(
        "datenschleuse-report: Das \xDC"
        "bertragungsprotokoll kann nicht gelesen werden (Datenbank \"" +
        source.databaseName + "\", Fehler: " + std::to_string(status) + ").\n");
    std::fprintf(stderr, "%s\n", message.c_str());
    return kExitLogUnreadable;
  }

  const TransferReport report = BuildTransferReport(rows, firstDay, today);
  // The period as shown: up to a later day of the server's clock, if any.
  const ReportHeading heading{firstDay,
                              report.days.empty() ? today : report.days.back().day,
                              static_cast<int>(report.days.size()),
                              query.terminal,
                              Utf8Of(source.databaseName),
                              LocalNow("%Y-%m-%d %H:%M")};
  if (!WritePage(options.outPath, RenderReportHtml(report, heading))) {
    ErrorWrite("datenschleuse-report: Die Datei " + options.outPath +
               " kann nicht geschrieben werden.\n");
    return kExitNotWritten;
  }
  ConsolePrintf(
      "Bericht geschrieben: %s (%lu \xDC"
      "bertragungen, %lu fehlgeschlagen)\n",
      options.outPath.c_str(), static_cast<unsigned long>(report.transfers.size()),
      static_cast<unsigned long>(report.failures.size()));
  return kExitWritten;
}
