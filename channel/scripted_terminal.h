// The scripted socket layer (socket_layer_scripted.cpp, target
// ds_channel_scripted): a terminal without a network, for in-process dialog
// tests and the fuzz targets. The terminal's bytes come from a script of
// pieces, each piece due once the tool has sent a given number of command
// lines (CR LF), and everything the tool sends is kept. A wait for a piece
// that is not due yet runs out at once, as the channel's time-out would;
// after the last piece the terminal has closed the connection. It implements
// channel/socket_layer.h, so the channel's own logic runs unchanged above it.
#ifndef DATENSCHLEUSE_CHANNEL_SCRIPTED_TERMINAL_H
#define DATENSCHLEUSE_CHANNEL_SCRIPTED_TERMINAL_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct ScriptedPiece {
  std::size_t commandsBefore = 0;  // command lines the tool must have sent first
  std::string bytes;
};

struct ScriptedTerminal {
  std::vector<ScriptedPiece> pieces;
  std::size_t next = 0;          // the piece to deliver next
  std::size_t offset = 0;        // bytes of it already delivered
  std::string sent;              // everything the tool has sent
  std::size_t commandsSent = 0;  // CR LF pairs in sent
  int opened = 0;                // sockets created
  int closed = 0;                // sockets released
  int layerStarts = 0;           // calls of SocketLayerStart
};

// The terminal the layer plays; reset it before each dialog.
ScriptedTerminal& TheScriptedTerminal();

#endif  // DATENSCHLEUSE_CHANNEL_SCRIPTED_TERMINAL_H
