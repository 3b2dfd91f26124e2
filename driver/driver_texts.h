// Every text the driver prints or records, in the program's Windows-1252
// (the banner and usage text stand in usage.cpp).
#ifndef DATENSCHLEUSE_DRIVER_DRIVER_TEXTS_H
#define DATENSCHLEUSE_DRIVER_DRIVER_TEXTS_H

// Command-line faults.
inline constexpr char kArgumentNotCp1252Format[] =
    "Argument %d ist keine Windows-1252-Zeichenfolge !!!\n";
inline constexpr char kTerminalFileNameTooLongText[] = "Dateiname im Terminal zu lang !!!\n";
inline constexpr char kSourceDirectoryTooLongText[] = "Quellverzeichnis zu lang !!!\n";
inline constexpr char kTerminalNameTooLongText[] = "Terminalname zu lang !!!\n";  // verbose
inline constexpr char kBadDeleteFlagText[] = "falsches L\xF6schFlag !!!\n";       // verbose

// Progress of the run (verbose).
inline constexpr char kTransferStartFormat[] = "Start Transfer - %s\n\r";
inline constexpr char kScriptDecidedText[] = "Befehlsfolge festlegen.\n\r";
inline constexpr char kTransferEndFormat[] = "Ende Transfer - %s";

// The result line when the channel cannot be created.
inline constexpr char kSocketNotCreatedFormat[] =
    "Socket konnte nicht erzeugt werden! Socketerror: %d";

// Values of the transfer record.
inline constexpr char kAllFilesText[] = "Alle Dta-Dateien";  // after the download-all's directory
inline constexpr char kUnknownUserFolder[] = "unknown";      // a path without a separator

#endif  // DATENSCHLEUSE_DRIVER_DRIVER_TEXTS_H
