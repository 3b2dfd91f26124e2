#include "tools/report/report_html.h"

#include <algorithm>
#include <cstdio>

#include "tools/report/transfer_outcome.h"

namespace {

constexpr char kStyle[] =
    "body{font-family:sans-serif;margin:1.5em;color:#222;background:#fff}"
    "h1{font-size:1.5em;margin:0 0 .3em}h2{font-size:1.2em;margin:1.5em 0 .5em}"
    "p.meta{color:#555;margin:.2em 0}"
    "table{border-collapse:collapse;width:100%;font-size:.9em}"
    "th,td{border:1px solid #ccc;padding:.3em .5em;text-align:left;vertical-align:top}"
    "th{background:#eee}td.status{white-space:pre-wrap;word-break:break-word}"
    "tr.failed td.name{border-left:6px solid #c62828}tr.ok td.name{border-left:6px solid #2e7d32}"
    "span.bad{color:#c62828;font-weight:bold}span.good{color:#2e7d32}"
    "span.time{color:#555;display:block;font-size:.9em}td.count{text-align:right}"
    "p.empty{font-size:1.2em;padding:1em;background:#fff8e1;border:1px solid #ffcc80}"
    "p.rule{color:#555;font-size:.9em;max-width:60em}"
    "svg text{font-family:sans-serif;font-size:11px;fill:#333}";

std::string Number(long value) {
  return std::to_string(value);
}

// The date "YYYY-MM-DD" as "DD.MM.".
std::string ShortDay(const std::string& day) {
  return day.size() == 10 ? day.substr(8, 2) + "." + day.substr(5, 2) + "." : day;
}

// One transfer's time and result text in a cell.
std::string TransferCell(const TransferReport& report, int index) {
  if (index == kNoTransfer) return "<td>–</td>";
  const ReportTransfer& t = report.transfers[static_cast<std::size_t>(index)];
  return std::string("<td class=\"status\"><span class=\"time\">") + HtmlEscape(t.time) +
         "</span><span class=\"" + (t.success ? "good" : "bad") + "\">" + HtmlEscape(t.status) +
         "</span></td>";
}

std::string TerminalTable(const TransferReport& report) {
  std::string html =
      "<section id=\"terminals\"><h2>Terminals</h2><table><thead><tr><th>Terminal</th>";
  for (std::string_view type : kReportTypes) {
    html += "<th>Letzte " + std::string(type) + "</th>";
  }
  html += "<th>Letzter Erfolg</th><th>Fehler in Folge</th></tr></thead><tbody>";
  for (const TerminalSummary& summary : report.terminals) {
    html += std::string("<tr class=\"terminal ") + (summary.LastFailed() ? "failed" : "ok") +
            "\" data-terminal=\"" + HtmlEscape(summary.name) + "\" data-failures-in-row=\"" +
            Number(summary.failuresInRow) + "\"><td class=\"name\">" + HtmlEscape(summary.name) +
            "</td>";
    for (int index : summary.lastOfType) html += TransferCell(report, index);
    html +=
        summary.lastSuccess == kNoTransfer
            ? "<td>keiner im Zeitraum</td>"
            : "<td>" +
                  HtmlEscape(report.transfers[static_cast<std::size_t>(summary.lastSuccess)].time) +
                  "</td>";
    html += "<td class=\"count\">" + Number(summary.failuresInRow) + "</td></tr>";
  }
  return html + "</tbody></table></section>";
}

// A stacked bar per day: successes at the bottom, failures on top.
std::string DayChart(const TransferReport& report) {
  const int days = static_cast<int>(report.days.size());
  int highest = 1;
  for (const DayCount& d : report.days) highest = std::max(highest, d.successes + d.failures);
  const double left = 40, top = 10, plotWidth = 760, plotHeight = 200;
  const double slot = plotWidth / std::max(days, 1);
  const double bar = std::max(1.0, slot * 0.7);
  const int labelEvery = std::max(1, static_cast<int>(36.0 / slot) + 1);
  char buffer[512];
  std::string svg =
      "<section id=\"chart\"><h2>Übertragungen pro Tag</h2>"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"820\" height=\"260\" "
      "viewBox=\"0 0 820 260\" role=\"img\" aria-label=\"Übertragungen pro Tag\">";
  for (int tick : {0, highest / 2, highest}) {
    const double y = top + plotHeight - plotHeight * tick / highest;
    std::snprintf(buffer, sizeof buffer,
                  "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#ddd\"/>"
                  "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%d</text>",
                  left, y, left + plotWidth, y, left - 4, y + 4, tick);
    svg += buffer;
  }
  for (int i = 0; i < days; ++i) {
    const DayCount& d = report.days[static_cast<std::size_t>(i)];
    const double x = left + slot * i + (slot - bar) / 2;
    const double okHeight = plotHeight * d.successes / highest;
    const double badHeight = plotHeight * d.failures / highest;
    std::snprintf(buffer, sizeof buffer,
                  "<g class=\"day\" data-day=\"%s\" data-successes=\"%d\" data-failures=\"%d\">"
                  "<title>%s: %d erfolgreich, %d fehlgeschlagen</title>"
                  "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#2e7d32\"/>"
                  "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#c62828\"/>",
                  d.day.c_str(), d.successes, d.failures, d.day.c_str(), d.successes, d.failures, x,
                  top + plotHeight - okHeight, bar, okHeight, x,
                  top + plotHeight - okHeight - badHeight, bar, badHeight);
    svg += buffer;
    if (i % labelEvery == 0) {
      std::snprintf(buffer, sizeof buffer,
                    "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%s</text>", x + bar / 2,
                    top + plotHeight + 16, ShortDay(d.day).c_str());
      svg += buffer;
    }
    svg += "</g>";
  }
  std::snprintf(buffer, sizeof buffer,
                "<rect x=\"%.1f\" y=\"240\" width=\"12\" height=\"12\" fill=\"#2e7d32\"/>"
                "<text x=\"%.1f\" y=\"250\">erfolgreich</text>"
                "<rect x=\"%.1f\" y=\"240\" width=\"12\" height=\"12\" fill=\"#c62828\"/>"
                "<text x=\"%.1f\" y=\"250\">fehlgeschlagen</text>",
                left, left + 16, left + 110, left + 126);
  return svg + buffer + "</svg></section>";
}

std::string FailureTable(const TransferReport& report) {
  std::string html = "<section id=\"failures\"><h2>Fehlgeschlagene Übertragungen (" +
                     Number(static_cast<long>(report.failures.size())) + ")</h2>";
  if (report.failures.empty()) return html + "<p>Keine im Zeitraum.</p></section>";
  html +=
      "<table><thead><tr><th>Zeit</th><th>Terminal</th><th>Typ</th><th>Datei</th>"
      "<th>Benutzer</th><th>Ergebnis</th></tr></thead><tbody>";
  const std::size_t shown =
      std::min(report.failures.size(), static_cast<std::size_t>(kFailuresShownLimit));
  for (std::size_t i = 0; i < shown; ++i) {
    const ReportTransfer& t = report.transfers[static_cast<std::size_t>(report.failures[i])];
    html += "<tr class=\"failure\"><td>" + HtmlEscape(t.time) + "</td><td>" +
            HtmlEscape(t.terminal) + "</td><td>" + HtmlEscape(t.type) + "</td><td>" +
            HtmlEscape(t.file) + "</td><td>" + HtmlEscape(t.user) + "</td><td class=\"status\">" +
            HtmlEscape(t.status) + "</td></tr>";
  }
  html += "</tbody></table>";
  if (shown < report.failures.size()) {
    html += "<p>… und " + Number(static_cast<long>(report.failures.size() - shown)) +
            " ältere, hier nicht gezeigt.</p>";
  }
  return html + "</section>";
}

std::string Heading(const TransferReport& report, const ReportHeading& heading) {
  const long total = static_cast<long>(report.transfers.size());
  return "<h1>Übertragungsprotokoll</h1><p class=\"meta\">Zeitraum: " +
         HtmlEscape(heading.firstDay) + " bis " + HtmlEscape(heading.lastDay) + " (" +
         Number(heading.days) + (heading.days == 1 ? " Tag" : " Tage") +
         "), Terminal: " + (heading.terminal.empty() ? "alle" : HtmlEscape(heading.terminal)) +
         "</p><p class=\"meta\">Quelle: " + HtmlEscape(heading.source) +
         ", erstellt: " + HtmlEscape(heading.createdAt) +
         "</p><p class=\"meta\" id=\"totals\">Übertragungen: <span id=\"total\">" + Number(total) +
         "</span>, erfolgreich: <span id=\"successes\">" + Number(report.successCount) +
         "</span>, fehlgeschlagen: <span id=\"failed\">" + Number(total - report.successCount) +
         "</span></p>";
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string RenderReportHtml(const TransferReport& report, const ReportHeading& heading) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"utf-8\">"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'\">"
      "<meta name=\"viewport\" content=\"width=device-width\">"
      "<title>Übertragungsprotokoll</title><style>";
  html += kStyle;
  html += "</style></head><body>";
  html += Heading(report, heading);
  if (report.transfers.empty()) {
    html += "<p class=\"empty\" id=\"empty\">Keine Übertragungen im Zeitraum";
    html += heading.terminal.empty() ? "" : " für dieses Terminal";
    html += ".</p>";
  } else {
    html += TerminalTable(report) + DayChart(report) + FailureTable(report);
  }
  html += "<p class=\"rule\" id=\"rule\">";
  html += HtmlEscape(kSuccessRuleText);
  html += "</p></body></html>\n";
  return html;
}
