// The report's reading of a row: success or failure, its texts, the period.
#include <gtest/gtest.h>

#include "tools/report/report_html.h"
#include "tools/report/report_model.h"
#include "tools/report/transfer_outcome.h"

namespace {

TEST(TransferOutcome, OnlyTheResultTextsOfACompletedTransferAreSuccesses) {
  const struct {
    const char* type;
    const char* status;
    bool success;
  } cases[] = {
      {"DNL",
       "250 Datei \"Leser.dta\" \xC3\xBC"
       "bernommen (6 Bytes)",
       true},
      {"DNLA",
       "250 Datei \"IDSTAMM.DTA\" \xFC"
       "bernommen",
       true},
      {"UPL", "Datei \"C:\\...\\Bewegungsdaten.dta\" erfolgreich gespeichert", true},
      {"DNL", "550 Datei gesperrt", false},
      {"DNL", "Fehler Socket-Open! Error: 10053", false},
      {"DNL", "", false},
      {"DNL", " 250 leading blank", false},
      {"UPL", "250 Datei geloescht", false},  // an upload ends with the stored file
      {"UPL", "Datei \"\" erfolgreich gespeichert", true},
      {"UPL", "Datei \" erfolgreich gespeichert", false},
      {"UPL",
       "ERROR: L\xE4ngenangabe oder CRC stimmt nicht \xFC"
       "berein!",
       false},
      {"DNL", "Datei \"x\" erfolgreich gespeichert", false},
      {"XYZ", "250 ok", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSuccessfulTransfer(c.type, c.status), c.success) << c.type << " " << c.status;
  }
}

TEST(TransferOutcome, TextsAreUtf8WhenValidAndWindows1252Otherwise) {
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"M\xC3\xBCller \xE2\x82\xAC", "M\xC3\xBCller \xE2\x82\xAC"},  // UTF-8
      {"M\xFCller \x80", "M\xC3\xBCller \xE2\x82\xAC"},              // Windows-1252
      {"\xC3\xBC and \xFC", "\xC3\x83\xC2\xBC and \xC3\xBC"},        // mixed: all 1252
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                              // overlong: 1252
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},              // surrogate: 1252
      {"a\x01"
       "b\tc",
       "a\xEF\xBF\xBD"
       "b\tc"},  // control shown
  };
  for (const auto& c : cases) EXPECT_EQ(TransferLogText(c.stored), c.shown) << c.stored;
}

TEST(ReportModel, ThePeriodReachesTheNewestRowAndDaysCrossMonthsAndYears) {
  EXPECT_EQ(AddDays("2026-12-31", 1), "2027-01-01");
  EXPECT_EQ(AddDays("2024-03-01", -1), "2024-02-29");
  EXPECT_EQ(AddDays("2026-12-11", -6), "2026-12-05");
  // A server whose clock runs ahead dated a row tomorrow: the chart shows it.
  const std::vector<TransferLogRow> rows = {
      {"2026-12-10 08:00:00", "u", "DNL", "f", "T1", "250 ok"},
      {"2026-12-12 01:00:00", "u", "DNL", "f", "T1", "550 nein"}};
  const TransferReport report = BuildTransferReport(rows, "2026-12-09", "2026-12-11");
  ASSERT_EQ(report.days.size(), 4u);
  EXPECT_EQ(report.days.back().day, "2026-12-12");
  EXPECT_EQ(report.days.back().failures, 1);
  EXPECT_EQ(report.days[1].successes, 1);
}

TEST(ReportHtml, EveryMarkupCharacterIsEscaped) {
  EXPECT_EQ(HtmlEscape("<script>a&b</script>\"'"),
            "&lt;script&gt;a&amp;b&lt;/script&gt;&quot;&#39;");
}

}  // namespace
