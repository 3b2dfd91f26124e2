#include "tools/report/report_options.h"

#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"
#include "tools/report/report_model.h"

namespace {

// A whole decimal number from 1 to kReportDaysLimit.
bool ParseDays(const std::string& text, int& days) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < 1 || value > kReportDaysLimit) return false;
  days = static_cast<int>(value);
  return true;
}

}  // namespace

ReportVerdict ParseReportOptions(int argc, char** argv, ReportOptions& options,
                                 std::string& error) {
  if (argc == 2 && std::string(argv[1]) == "--version") return ReportVerdict::kVersion;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option != "--days" && option != "--terminal" && option != "--out") {
      error = "Unbekannte Angabe: " + option;
      return ReportVerdict::kRefused;
    }
    std::string value;
    if (i + 1 >= argc || !ArgumentToInternal(argv[++i], value)) {
      error = option + " braucht einen Wert (in Windows-1252 darstellbar).";
      return ReportVerdict::kRefused;
    }
    if (option == "--days" && !ParseDays(value, options.days)) {
      error = "--days erwartet eine Zahl von 1 bis " + std::to_string(kReportDaysLimit) + ".";
      return ReportVerdict::kRefused;
    }
    if (option == "--terminal") options.terminal = value;
    if (option == "--out") options.outPath = value;
  }
  if (options.outPath.empty()) {
    error = "--out DATEI.html fehlt.";
    return ReportVerdict::kRefused;
  }
  return ReportVerdict::kRun;
}

const char* ReportUsageText() {
  return "Aufruf: datenschleuse-report [--days N] [--terminal NAME] --out DATEI.html\n"
         "        datenschleuse-report --version\n"
         "Liest das \xDC"
         "bertragungsprotokoll O2008TRANSPROT mit den Einstellungen aus\n"
         "..\\..\\Files\\Korvaline.Ini und schreibt einen HTML-Bericht der letzten N Tage\n"
         "(Vorgabe 7, h\xF6"
         "chstens 3660), f\xFC"
         "r ein Terminal oder alle.\n";
}
