// The terminal's reading of the commands it receives and the texts it sends
// back: download announcements, upload and delete commands with their own
// checksum, the login text and the upload frame.
//
// Checks compare with the exact texts the tool writes ("%04x" lower-case CRC
// digits in commands, 32 upper-case digest digits), so that a client which
// deviates from them is refused instead of passing unnoticed.
#ifndef DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_COMMANDS_H
#define DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_COMMANDS_H

#include <cstdint>
#include <string>
#include <string_view>

#include "crypto/md5.h"

// Each Parse function returns an empty text when the command is accepted,
// otherwise the complete refusal reply (without CR LF).

struct DownloadAnnouncement {
  std::string name;
  std::int64_t size = 0;
  std::string digest;
};

// "DOWNLOADFILE BEGIN TYP=1 \"name\" size /C:DIGEST"
std::string ParseDownloadBegin(std::string_view line, DownloadAnnouncement& announcement);

// "DOWNLOADFILE END xxxx": the four CRC characters go to crcText.
std::string ParseDownloadEnd(std::string_view line, std::string& crcText);

// "VERB crc length TYP=1 \"name\" /d:N" for VERB UPLOADFILE or DELETEFILE:
// the CRC and length must describe the argument text after them.
std::string ParseFileCommand(std::string_view line, std::string_view verb, std::string& name);

// FixedWord followed by 14 digits.
bool IsLoginText(std::string_view text);

// The digest that announces a file: MD5 of the ASCII-lower-cased name
// immediately followed by the file's bytes, as 32 upper-case hex digits.
void StartNameDigest(MD5Context& context, std::string_view name);
std::string FinishDigestText(MD5Context& context);

// How the upload frame may be spoiled on request.
struct FrameFaults {
  bool crcLower = false;
  bool crcWrong = false;
  bool lengthWrong = false;
  int declared = -1;       // from 0: the declared length instead of the data's
  bool noBegin = false;    // the first line without "BEGIN "
  bool noLineEnd = false;  // no CR LF after the first line
};

// "200 BEGIN <length>\r\n" + data + "250 END " + upper-case CRC + "\r\n".
constexpr std::size_t kUploadTrailerLength = 14;  // "250 END ", the CRC, CR LF
std::string BuildUploadFrame(std::string_view data, const FrameFaults& faults);

#endif  // DATENSCHLEUSE_TOOLS_TERMINAL_TERMINAL_COMMANDS_H
