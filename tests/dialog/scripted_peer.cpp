#include "tests/dialog/scripted_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {
constexpr int kWaitMilliseconds = 8000;  // a peer never waits longer for a client
}

PeerStep Send(std::string bytes) {
  return {PeerStep::Kind::kSend, std::move(bytes), 0, 0};
}
PeerStep ReadLine() {
  return {PeerStep::Kind::kReadLine, {}, 0, 0};
}
PeerStep ReadBytes(std::size_t count) {
  return {PeerStep::Kind::kReadBytes, {}, count, 0};
}
PeerStep Pause(int milliseconds) {
  return {PeerStep::Kind::kPause, {}, 0, milliseconds};
}
PeerStep Close() {
  return {PeerStep::Kind::kClose, {}, 0, 0};
}

std::vector<PeerStep> LoginSteps() {
  return {Send("200 Terminal bereit\r\n"), ReadLine(), Send("331 Passwort\r\n"), ReadLine(),
          Send("230 angemeldet\r\n")};
}

ScriptedPeer::ScriptedPeer(std::vector<PeerStep> steps) : steps_(std::move(steps)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener_, 1) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    std::abort();
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

ScriptedPeer::~ScriptedPeer() {
  if (thread_.joinable()) thread_.join();
  if (connection_ >= 0) ::close(connection_);
  ::close(listener_);
}

std::string ScriptedPeer::Transcript() {
  if (thread_.joinable()) thread_.join();
  return received_;
}

bool ScriptedPeer::Connected() {
  if (thread_.joinable()) thread_.join();
  return connected_;
}

// Appends what has arrived; false when the client closed or nothing came in
// time.
bool ScriptedPeer::ReadMore() {
  pollfd ready{connection_, POLLIN, 0};
  if (::poll(&ready, 1, kWaitMilliseconds) <= 0) return false;
  char buffer[65536];
  const ssize_t n = ::recv(connection_, buffer, sizeof buffer, 0);
  if (n <= 0) return false;
  received_.append(buffer, static_cast<std::size_t>(n));
  return true;
}

void ScriptedPeer::Run() {
  pollfd ready{listener_, POLLIN, 0};
  if (::poll(&ready, 1, kWaitMilliseconds) <= 0) return;
  connection_ = ::accept(listener_, nullptr, nullptr);
  if (connection_ < 0) return;
  connected_ = true;
  std::size_t consumed = 0;
  for (const PeerStep& step : steps_) {
    switch (step.kind) {
      case PeerStep::Kind::kSend:
        if (::send(connection_, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(step.bytes.size())) {
          return;
        }
        break;
      case PeerStep::Kind::kReadLine:
        while (received_.find("\r\n", consumed) == std::string::npos) {
          if (!ReadMore()) return;
        }
        consumed = received_.find("\r\n", consumed) + 2;
        break;
      case PeerStep::Kind::kReadBytes:
        while (received_.size() < consumed + step.count) {
          if (!ReadMore()) return;
        }
        consumed += step.count;
        break;
      case PeerStep::Kind::kPause:
        std::this_thread::sleep_for(std::chrono::milliseconds(step.milliseconds));
        break;
      case PeerStep::Kind::kClose:
        ::close(connection_);
        connection_ = -1;
        return;
    }
  }
  while (ReadMore()) {
  }
}
