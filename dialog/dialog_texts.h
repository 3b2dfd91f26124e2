// Every text the terminal dialog prints or leaves as the result line, in the
// program's Windows-1252. The messages are German, as operators know them;
// several have no line end, so the next output continues on the same line.
#ifndef DATENSCHLEUSE_DIALOG_DIALOG_TEXTS_H
#define DATENSCHLEUSE_DIALOG_DIALOG_TEXTS_H

// Always printed.
inline constexpr char kHostNotFoundText[] = "Terminalname nicht gefunden!";
inline constexpr char kWriteErrorFormat[] = "Write Error: %d";

// Verbose progress (/D).
inline constexpr char kReplyShownPrefix[] = "Terminalantwort: ";
inline constexpr char kCommandShownPrefix[] = "An Terminal gesendet: ";
inline constexpr char kOpenErrorFormat[] = "Open-Error: %d";
inline constexpr char kReadErrorFormat[] = "Read-Error: %d";
inline constexpr char kUploadErrorFormat[] = "Fehler beim Upload: %d";
inline constexpr char kDownloadErrorFormat[] = "Fehler beim Download: %d";
inline constexpr char kBytesSentFormat[] = "Bytes uebertragen: %lld \n";
inline constexpr char kListMissingText[] = "DNLLIST.TXT Datei auf Server nicht gefunden\n";
inline constexpr char kSourceMissingText[] = "Quelldatei auf Server nicht gefunden\n";
inline constexpr char kTargetNotCreatedText[] = "Zieldatei auf Server kann nicht erzeugt werden\n";

// Result lines.
inline constexpr char kHostUnknownFormat[] = "Terminalname unbekannt! Error: %d";
inline constexpr char kOpenFailedFormat[] = "Fehler Socket-Open! Error: %d";
inline constexpr char kReadFailedFormat[] = "Fehler Socket-Read! Error: %d";
inline constexpr char kWriteFailedFormat[] = "Fehler Socket-Write! Error: %d";
// Every allocation that fails ends the dialog with this one line.
inline constexpr char kOutOfMemoryText[] = "Nicht gen\xFCgend Speicher";
inline constexpr char kFrameMismatchText[] =
    "ERROR: L\xE4ngenangabe oder CRC stimmt nicht \xFC"
    "berein!";
// The stored upload: the prefix, the server file's name, the suffix.
inline constexpr char kStoredPrefix[] = "Datei \"";
inline constexpr char kStoredSuffix[] = "\" erfolgreich gespeichert";
// Stands for a reply whose text is empty; its two blanks take the place of the
// line end that every reply text loses.
inline constexpr char kNoAnswerReply[] = "999 keine Antwort  ";

#endif  // DATENSCHLEUSE_DIALOG_DIALOG_TEXTS_H
