// The simulator's readable log: one line per event, each written and flushed
// at once so that a test or an operator sees it as it happens.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_LOG_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_LOG_H

#include <cstdio>
#include <string>
#include <string_view>

struct TerminalLog {
  std::FILE* file = stdout;
  int connection = 0;  // number of the connection in hand; 0 outside one
};

// Directs the log to a file (appended) instead of standard output.
bool OpenTerminalLog(TerminalLog& log, const std::string& path);

// Writes one line of Windows-1252 text, prefixed "#N " inside a connection.
void LogLine(TerminalLog& log, std::string_view text);

// The text as a log shows it: a final CR LF dropped, control bytes (NUL, CR,
// LF inside the text...) as \xNN, and anything past limit bytes replaced by
// " ... (N bytes)".
std::string Printable(std::string_view bytes, std::size_t limit = 200);

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_LOG_H
