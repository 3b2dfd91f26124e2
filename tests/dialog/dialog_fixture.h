// Shared helpers of the dialog tests: runs built the way the driver builds
// them, and one dialog over the channel on the scripted terminal
// (played_terminal.h) with the console captured.
#ifndef DATENSCHLEUSE_TESTS_DIALOG_DIALOG_FIXTURE_H
#define DATENSCHLEUSE_TESTS_DIALOG_DIALOG_FIXTURE_H

#include <cstdint>
#include <string>
#include <string_view>

#include "dialog/dialog_engine.h"
#include "session/transfer_run.h"

inline constexpr char kTestLogin[] = "VOVIDUV01022024103000";

// The time-out of the test dialogs, on the scripted terminal's clock.
constexpr int kTestTimeoutSeconds = 2;

// A run of the given type with the three login entries, aimed at 127.0.0.1.
TransferRun LoginRun(const std::string& type, int verbose = 0);

// A DNL run for a server file, with its BEGIN and END entries.
TransferRun DownloadRun(const std::string& sourceFile, const std::string& terminalFile,
                        int verbose = 0);

// An UPL run storing into targetFile, with the delete entry when asked.
TransferRun UploadRun(const std::string& terminalFile, const std::string& targetFile,
                      bool withDelete, int verbose = 0);

// The command lines a peer receives for the login.
std::string LoginLines();

// The CRC-16 of data as the tool writes it ("%04x"), or as an upload trailer
// carries it when upper is set.
std::string DataCrcText(std::string_view data, bool upper = false);

// What a dialog reported, and what the console showed meanwhile.
struct DialogTrial : DialogOutcome {
  std::string console;  // as the console shows it (UTF-8)
};

// Creates a channel, runs the dialog for the run against the played
// terminal, destroys the channel.
DialogTrial RunDialog(TransferRun& run, std::size_t uploadMemoryLimit = SIZE_MAX);

// The dialog's request for a run, as the driver makes it.

// A Windows-1252 text as the console shows it.
std::string Shown(std::string_view text);

#endif  // DATENSCHLEUSE_TESTS_DIALOG_DIALOG_FIXTURE_H
