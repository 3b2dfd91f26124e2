// One connection's dialog from the terminal's side: greeting, login, and the
// download, upload and delete commands, each answered or refused.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_SESSION_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_SESSION_H

#include "tools/terminal/terminal_log.h"
#include "tools/terminal/terminal_options.h"
#include "tools/terminal/terminal_socket.h"

// How long the terminal waits for a client's next command or data bytes.
constexpr int kClientWaitMs = 120000;

// Runs the dialog until the client leaves or a fault ends it; the socket is
// released on return.
void ServeConnection(TerminalSocket socket, const TerminalOptions& options, TerminalLog& log);

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_SESSION_H
