#include "tools/terminal/terminal_files.h"

#include "platform/platform.h"

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7F) return false;
  }
  return true;
}

std::string TerminalFilePath(const std::string& directory, std::string_view name) {
  std::string path = directory;
  if (!path.empty() && !IsDirectorySeparator(path.back())) path += '/';
  path.append(name);
  return path;
}

bool BeginIncomingFile(IncomingFile& incoming, const std::string& path) {
  incoming = IncomingFile{};
  return CreateFileBeside(path, incoming.beside);
}

void WriteIncomingFile(IncomingFile& incoming, const char* data, std::size_t length) {
  if (incoming.beside.file == nullptr || incoming.failed || length == 0) return;
  if (std::fwrite(data, 1, length, incoming.beside.file) != length) incoming.failed = true;
}

bool CommitIncomingFile(IncomingFile& incoming) {
  if (incoming.failed) {
    DiscardIncomingFile(incoming);
    return false;
  }
  return CommitFileBeside(incoming.beside);
}

void DiscardIncomingFile(IncomingFile& incoming) {
  DiscardFileBeside(incoming.beside);
}

bool ReadTerminalFile(const std::string& path, std::string& contents) {
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return false;
  contents.clear();
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

bool DeleteTerminalFile(const std::string& path) {
  return RemoveNativeFile(NativePath(path));
}
