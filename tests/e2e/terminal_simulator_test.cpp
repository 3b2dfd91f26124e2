// The terminal simulator's own checks, seen from a plain client: what it
// refuses and why, so that the end-to-end tests can rely on its verdicts.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include "crypto/crc16.h"
#include "tests/e2e/terminal_rig.h"
#include "tests/support/process.h"

namespace {

constexpr char kLogin[] = "VOVIDUV01012024120000";

// A blocking client connection that reads one reply at a time: everything
// up to and with the next CR LF.
class PlainClient {
 public:
  explicit PlainClient(const std::string& address) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(5010);
    ::inet_pton(AF_INET, address.c_str(), &peer.sin_addr);
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~PlainClient() {
    if (fd_ >= 0) ::close(fd_);
  }
  PlainClient(const PlainClient&) = delete;
  PlainClient& operator=(const PlainClient&) = delete;

  bool connected() const { return fd_ >= 0; }

  void Send(std::string_view bytes) {
    ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
  }

  // The next reply without its CR LF; empty when none comes within 5 s.
  std::string Reply() {
    std::size_t end = 0;
    while ((end = pending_.find("\r\n")) == std::string::npos) {
      pollfd entry{fd_, POLLIN, 0};
      char buffer[4096];
      if (::poll(&entry, 1, 5000) != 1) return std::string();
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) return std::string();
      pending_.append(buffer, static_cast<std::size_t>(n));
    }
    std::string reply = pending_.substr(0, end);
    pending_.erase(0, end + 2);
    return reply;
  }

  // Sends a command line and returns the reply to it.
  std::string Ask(std::string_view command) {
    Send(std::string(command) + "\r\n");
    return Reply();
  }

  void LogIn() {
    EXPECT_EQ(Ask(std::string("USER ") + kLogin).substr(0, 3), "331");
    EXPECT_EQ(Ask(std::string("PASS ") + kLogin).substr(0, 3), "230");
  }

 private:
  int fd_ = -1;
  std::string pending_;
};

std::string CrcOf(std::string_view bytes) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", Crc16Block(bytes.data(), bytes.size(), 0));
  return text;
}

// "VERB crc length argument" for a terminal file name, as the tool builds it.
std::string FileCommand(std::string_view verb, std::string_view name) {
  const std::string argument = "TYP=1 \"" + std::string(name) + "\" /d:77";
  return std::string(verb) + " " + CrcOf(argument) + " " + std::to_string(argument.size()) + " " +
         argument;
}

struct Exchange {
  const char* name;
  bool logIn;  // log in before the command
  std::string command;
  std::string reply;
};

const std::string kDigest(32, 'A');

const Exchange kExchanges[] = {
    {"ShortLoginText", false, "USER VOVIDUV0101202412000", "530 Kennung ungueltig"},
    {"LoginWithoutFixedWord", false, "USER XOVIDUV01012024120000", "530 Kennung ungueltig"},
    {"PasswordBeforeUser", false, std::string("PASS ") + kLogin, "503 zuerst USER, dann PASS"},
    {"TransferBeforeLogin", false, FileCommand("DELETEFILE", "a.dta"), "530 nicht angemeldet"},
    {"DownloadIntoAnotherDirectory", true, "DOWNLOADFILE BEGIN TYP=1 \"../a.dta\" 3 /C:" + kDigest,
     "501 Dateiname nicht zulaessig: \"../a.dta\""},
    {"DownloadWithoutDigest", true, "DOWNLOADFILE BEGIN TYP=1 \"a.dta\" 3 /C:abc",
     "501 erwartet: DOWNLOADFILE BEGIN TYP=1 \"Name\" Groesse /C:Pruefsumme"},
    {"DownloadSizeWithLeadingZero", true, "DOWNLOADFILE BEGIN TYP=1 \"a.dta\" 03 /C:" + kDigest,
     "501 erwartet: DOWNLOADFILE BEGIN TYP=1 \"Name\" Groesse /C:Pruefsumme"},
    {"EndWithoutBegin", true, "DOWNLOADFILE END 0000",
     "503 kein DOWNLOADFILE BEGIN vorausgegangen"},
    {"UploadCommandCrcWrong", true, "UPLOADFILE 0000 19 TYP=1 \"a.dta\" /d:77",
     "552 CRC des Befehls stimmt nicht: gesendet 0000, berechnet " +
         CrcOf("TYP=1 \"a.dta\" /d:77")},
    {"UploadCommandLengthWrong", true, "UPLOADFILE 0000 18 TYP=1 \"a.dta\" /d:77",
     "554 Laengenangabe des Befehls stimmt nicht: angegeben 18, gezaehlt 19"},
    {"UploadFromAnotherDirectory", true, FileCommand("UPLOADFILE", "..\\a.dta"),
     "501 Dateiname nicht zulaessig: \"..\\a.dta\""},
    {"UploadOfAMissingFile", true, FileCommand("UPLOADFILE", "fehlt.dta"),
     "550 Datei \"fehlt.dta\" nicht gefunden"},
    {"DeleteOfAMissingFile", true, FileCommand("DELETEFILE", "fehlt.dta"),
     "550 Datei \"fehlt.dta\" nicht gefunden"},
    {"UnknownCommand", true, "QUIT", "500 unbekannter Befehl"},
};

// One simulator serves every exchange, one connection each (CTest runs each
// test as a process of its own, so the table stays in one test).
TEST(TerminalRefusal, AnswersWithAReplyThatNamesTheFault) {
  TerminalRig rig;
  ASSERT_TRUE(rig.StartTerminal({"--connections", "0"}));
  for (const Exchange& c : kExchanges) {
    SCOPED_TRACE(c.name);
    PlainClient client(rig.address);
    ASSERT_TRUE(client.connected());
    EXPECT_EQ(client.Reply(), "200 datenschleuse-terminal bereit");
    if (c.logIn) client.LogIn();
    EXPECT_EQ(client.Ask(c.command), c.reply);
  }
}

// A download's END must carry the data's CRC in the tool's lower-case form,
// and the announcement the digest of name and data; only then is it stored.
TEST(TerminalDownload, StoresOnlyWhatCrcAndDigestConfirm) {
  TerminalRig rig;
  ASSERT_TRUE(rig.StartTerminal({"--connections", "0"}));
  const std::string data = "abc";  // CRC 9738; "a.txt" + data: 9B436087F6C4C10F94C72EABF7D516BD
  const std::string announce = "DOWNLOADFILE BEGIN TYP=1 \"A.TXT\" 3 /C:";
  const struct {
    std::string digest;
    std::string crc;
    std::string reply;
  } cases[] = {
      {"9B436087F6C4C10F94C72EABF7D516BD", "0000",
       "552 CRC stimmt nicht: gesendet 0000, berechnet 9738"},
      {std::string(32, '0'), "9738",
       "553 MD5-Pruefsumme stimmt nicht: angekuendigt " + std::string(32, '0') +
           ", berechnet 9B436087F6C4C10F94C72EABF7D516BD"},
      {"9B436087F6C4C10F94C72EABF7D516BD", "9738",
       "250 Datei \"A.TXT\" \xFC"
       "bernommen (3 Bytes)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    EXPECT_FALSE(FileExists(rig.TerminalFile("A.TXT")));
    PlainClient client(rig.address);
    ASSERT_TRUE(client.connected());
    client.Reply();
    client.LogIn();
    EXPECT_EQ(client.Ask(announce + c.digest), "200 bereit fuer 3 Bytes");
    EXPECT_EQ(client.Ask(data + "DOWNLOADFILE END " + c.crc), c.reply);
  }
  EXPECT_EQ(ReadFileBytes(rig.TerminalFile("A.TXT")), data);
}

TEST(TerminalCommandLine, LinesMustEndWithCrLf) {
  TerminalRig rig;
  ASSERT_TRUE(rig.StartTerminal());
  PlainClient client(rig.address);
  ASSERT_TRUE(client.connected());
  client.Reply();
  client.Send(std::string("USER ") + kLogin + "\n");
  EXPECT_EQ(client.Reply(), "500 Befehlszeile endet nicht mit CR LF");
}

// Connections are served one after the other, as many as asked for; the
// log then goes to its own file, and only the ready line to the output.
TEST(TerminalCommandLine, ServesTheGivenNumberOfConnections) {
  TerminalRig rig;
  const std::string log = rig.root.File("own.log");
  ASSERT_TRUE(rig.StartTerminal({"--connections", "2", "--log", log}));
  for (int i = 0; i < 2; ++i) {
    PlainClient client(rig.address);
    ASSERT_TRUE(client.connected());
    EXPECT_EQ(client.Reply(), "200 datenschleuse-terminal bereit");
  }
  EXPECT_EQ(WaitProcess(rig.simulator, 10000), 0);
  EXPECT_EQ(rig.Transcript(), "");
  const std::string own = ReadFileBytes(log);
  EXPECT_NE(own.find("#1 > 200 datenschleuse-terminal bereit\n#1 closed by the client\n"
                     "#2 connection from 127.0.0.1\n"),
            std::string::npos)
      << own;
}

TEST(TerminalCommandLine, RefusesWhatItCannotDo) {
  TerminalRig rig;
  ASSERT_TRUE(rig.StartTerminal());
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string message;
  } cases[] = {
      {{"--fault", "end=crc-lower"}, 2, "crc-lower applies to the upload step only"},
      {{"--fault", "pass=split"}, 2, "split needs a number: split:N"},
      {{"--fault", "login=close"}, 2, "unknown step: login"},
      {{"--refuse", "greeting=421 busy"}, 2, "the greeting is set with --greeting"},
      {{"--dir", rig.root.File("none")}, 2, "not a directory"},
      {{"--listen", rig.address}, 1, "bind: "},  // the rig's own simulator holds it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const ProcessResult run = RunProcess(DS_TERMINAL_PROGRAM, c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
  }
  const ProcessResult help = RunProcess(DS_TERMINAL_PROGRAM, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("reset-after"), std::string::npos);
}

}  // namespace
