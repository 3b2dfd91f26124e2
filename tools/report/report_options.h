// The report's command line:
//   datenschleuse-report [--days N] [--terminal NAME] --out FILE.html
//   datenschleuse-report --version
#ifndef DATENSCHLEUSE_TOOLS_REPORT_REPORT_OPTIONS_H
#define DATENSCHLEUSE_TOOLS_REPORT_REPORT_OPTIONS_H

#include <string>

inline constexpr int kDefaultReportDays = 7;

struct ReportOptions {
  int days = kDefaultReportDays;
  std::string terminal;  // Windows-1252, as the tool takes its arguments; empty: all
  std::string outPath;   // Windows-1252 program path
};

enum class ReportVerdict { kRun, kVersion, kRefused };

// Reads argv; a refusal leaves its reason (Windows-1252) in error.
ReportVerdict ParseReportOptions(int argc, char** argv, ReportOptions& options, std::string& error);

// The usage text (Windows-1252).
const char* ReportUsageText();

#endif  // DATENSCHLEUSE_TOOLS_REPORT_REPORT_OPTIONS_H
