// A scripted terminal for in-process dialog tests: listens on 127.0.0.1 at a
// port of its own, accepts one connection, plays its steps and records every
// byte it receives until the client closes.
#ifndef DATENSCHLEUSE_TESTS_DIALOG_SCRIPTED_PEER_H
#define DATENSCHLEUSE_TESTS_DIALOG_SCRIPTED_PEER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct PeerStep {
  enum class Kind { kSend, kReadLine, kReadBytes, kPause, kClose };
  Kind kind;
  std::string bytes;      // kSend
  std::size_t count = 0;  // kReadBytes
  int milliseconds = 0;   // kPause
};

PeerStep Send(std::string bytes);
PeerStep ReadLine();                    // up to and including the next CR LF
PeerStep ReadBytes(std::size_t count);  // exactly count more bytes
PeerStep Pause(int milliseconds);       // neither reads nor sends
PeerStep Close();                       // closes at once, reading nothing more

// The usual exchange before a transfer command: greeting, USER, PASS.
std::vector<PeerStep> LoginSteps();

class ScriptedPeer {
 public:
  explicit ScriptedPeer(std::vector<PeerStep> steps);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::uint16_t Port() const { return port_; }
  // Waits until the peer is done; everything it received, byte for byte.
  std::string Transcript();
  // Whether a client connected at all.
  bool Connected();

 private:
  void Run();
  bool ReadMore();

  std::vector<PeerStep> steps_;
  int listener_ = -1;
  int connection_ = -1;
  std::uint16_t port_ = 0;
  std::string received_;
  bool connected_ = false;
  std::thread thread_;
};

#endif  // DATENSCHLEUSE_TESTS_DIALOG_SCRIPTED_PEER_H
