// A socket layer without a network, for fuzzing the whole dialog: the
// terminal's bytes come from a script of pieces, each piece due once the
// tool has sent a given number of command lines (CR LF), and everything the
// tool sends is kept. A wait for a piece that is not due yet runs out at
// once, as the channel's time-out would; after the last piece the terminal
// has closed the connection. Same interface as channel/socket_layer.h, so
// the channel's own logic runs unchanged above it.
#ifndef DATENSCHLEUSE_FUZZ_SCRIPTED_SOCKET_LAYER_H
#define DATENSCHLEUSE_FUZZ_SCRIPTED_SOCKET_LAYER_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct ScriptedPiece {
  std::size_t commandsBefore = 0;  // command lines the tool must have sent first
  std::string bytes;
};

struct ScriptedPeer {
  std::vector<ScriptedPiece> pieces;
  std::size_t next = 0;          // the piece to deliver next
  std::size_t offset = 0;        // bytes of it already delivered
  std::string sent;              // everything the tool has sent
  std::size_t commandsSent = 0;  // CR LF pairs in sent
  int opened = 0;                // sockets created
  int closed = 0;                // sockets released
};

// The peer the layer plays; reset it before each dialog.
ScriptedPeer& TheScriptedPeer();

#endif  // DATENSCHLEUSE_FUZZ_SCRIPTED_SOCKET_LAYER_H
