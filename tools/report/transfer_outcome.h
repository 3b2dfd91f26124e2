// How the report reads a row of the transfer log: whether it was a success,
// and its texts in UTF-8.
#ifndef DATENSCHLEUSE_TOOLS_REPORT_TRANSFER_OUTCOME_H
#define DATENSCHLEUSE_TOOLS_REPORT_TRANSFER_OUTCOME_H

#include <string>
#include <string_view>

// The result texts the tool writes after a completed transfer: a download
// (DNL, DNLA) ends with the terminal's "250 ..." reply to the download end,
// an upload (UPL) with "Datei "<server file>" erfolgreich gespeichert".
inline constexpr std::string_view kDownloadDoneCode = "250";
inline constexpr std::string_view kUploadDoneStart = "Datei \"";
inline constexpr std::string_view kUploadDoneEnd = "\" erfolgreich gespeichert";

// The rule above, in words, as the page prints it (UTF-8).
inline constexpr char kSuccessRuleText[] =
    "Eine Übertragung zählt als Erfolg, wenn ihr Ergebnistext der ist, den das Programm nach "
    "einer vollständigen Übertragung schreibt: bei DNL und DNLA die Antwort des Terminals, die "
    "mit \"250\" beginnt (\"250 ...\"), bei UPL \"Datei \"...\" erfolgreich gespeichert\". "
    "Jeder andere Ergebnistext (eine Ablehnung des Terminals, ein Socketfehler, ein Prüffehler, "
    "ein leerer Text) zählt als Fehler.";

// True when the row of transfer type type (the TrsTyp column) with result
// text status (TrsSta, UTF-8 or Windows-1252) records a success.
bool IsSuccessfulTransfer(std::string_view type, std::string_view status);

// A stored text as UTF-8: a text that is valid UTF-8 is taken as it is (rows
// written as UTF-8), any other is read as Windows-1252 (older rows). Control
// characters other than tab, line feed and carriage return become U+FFFD, so
// the page shows that something was there.
std::string TransferLogText(std::string_view stored);

#endif  // DATENSCHLEUSE_TOOLS_REPORT_TRANSFER_OUTCOME_H
