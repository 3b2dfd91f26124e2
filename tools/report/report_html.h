// The report as one self-contained HTML page: inline CSS and SVG, no script,
// nothing fetched (its content security policy forbids any fetch), so it
// opens from a file share on a machine without network.
#ifndef DATENSCHLEUSE_TOOLS_REPORT_REPORT_HTML_H
#define DATENSCHLEUSE_TOOLS_REPORT_REPORT_HTML_H

#include <string>
#include <string_view>

#include "tools/report/report_model.h"

// What the page says about itself; texts in UTF-8.
struct ReportHeading {
  std::string firstDay, lastDay;  // the period asked for
  int days = 0;
  std::string terminal;  // empty: all terminals
  std::string source;    // the database name of the settings
  std::string createdAt;
};

// Failures listed at most; the page says how many more there were.
inline constexpr int kFailuresShownLimit = 1000;

// Text escaped for HTML content and attribute values.
std::string HtmlEscape(std::string_view text);

// The complete page, UTF-8.
std::string RenderReportHtml(const TransferReport& report, const ReportHeading& heading);

#endif  // DATENSCHLEUSE_TOOLS_REPORT_REPORT_HTML_H
