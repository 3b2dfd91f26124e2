// The digest text that announces a download: MD5 of the file's lower-cased
// name immediately followed by its bytes, read once through one buffer.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "crypto/md5.h"
#include "platform/platform.h"
#include "text/ascii_case.h"

namespace {

constexpr std::size_t kReadBufferSize = 10240;

// Program-wide digest text; callers copy it before the next call.
char digestText[33];

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The last path component: after a drive prefix "X:" and after the last
// backslash or slash, whichever platform the path came from.
std::string_view FileNameOf(std::string_view path) {
  if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') path.remove_prefix(2);
  const std::size_t separator = path.find_last_of("\\/");
  if (separator != std::string_view::npos) path.remove_prefix(separator + 1);
  return path;
}

// Feeds the name and then the whole file. The name shares the first block
// with the start of the contents; a name that fills the buffer by itself is
// fed alone, which gives the same digest. A read error ends the file.
void DigestNameAndFile(MD5Context& context, const std::string& name, std::FILE* file) {
  std::array<std::uint8_t, kReadBufferSize> buffer;
  std::size_t filled = 0;
  if (name.size() < buffer.size()) {
    std::memcpy(buffer.data(), name.data(), name.size());
    filled = name.size();
  } else {
    MD5Update(context, name.data(), name.size());
  }
  filled += std::fread(buffer.data() + filled, 1, buffer.size() - filled, file);
  if (filled > 0) MD5Update(context, buffer.data(), filled);
  while (std::ferror(file) == 0) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
    if (got == 0) break;
    MD5Update(context, buffer.data(), got);
  }
}

}  // namespace

const char* MD5FileDigest(std::string_view path) {
  std::string name(FileNameOf(path));
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return digestText;
  // Unbuffered: each read goes straight into the one 10240-byte buffer.
  std::setvbuf(file, nullptr, _IONBF, 0);
  ToLowerInPlace(name);  // ASCII only: the digest never depends on a locale
  MD5Context context;
  MD5Init(context);
  DigestNameAndFile(context, name, file);
  std::fclose(file);
  std::uint8_t digest[16];
  MD5Final(digest, context);
  std::memset(digestText, 0, sizeof digestText);
  HexText(digest, 16, digestText);
  ToUpperInPlace(digestText);
  return digestText;
}
