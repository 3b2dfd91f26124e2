// The operating-system layer, the bottom of the program. Every difference
// between the POSIX and the Windows build lives in platform/ (these
// functions, file_facts.h, odbc.h) or in a socket layer (the channel's
// channel/socket_layer_*.cpp, the simulator's
// tools/terminal/terminal_socket_*.cpp); no other file tests the platform or
// includes an operating-system header (scripts/check-layers.sh holds it so).
//
// Texts inside the program are Windows-1252 bytes. On POSIX the command line
// and the console speak UTF-8 and file names are UTF-8, so this layer converts
// at those boundaries; on Windows the bytes are used as they are.
#ifndef DATENSCHLEUSE_PLATFORM_PLATFORM_H
#define DATENSCHLEUSE_PLATFORM_PLATFORM_H

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

// Prepares the process: a peer that closes its end must never kill it with
// SIGPIPE. Call once, first thing in main.
void PlatformInit();

// Converts one command-line argument to the program's Windows-1252 text.
// Returns false when the argument has no Windows-1252 form (on POSIX: it is
// not valid UTF-8 or names a character outside the code page).
bool ArgumentToInternal(const char* argument, std::string& internal);

// Converts a Windows-1252 text to the console's encoding (UTF-8 on POSIX).
std::string InternalToConsole(std::string_view text);

// Writes a Windows-1252 text to standard output, converted for the console.
void ConsoleWrite(std::string_view text);

// printf-style formatting of a Windows-1252 text onto standard output.
void ConsolePrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// True for a character that separates directories in a path: the backslash
// everywhere, and on POSIX the slash as well.
bool IsDirectorySeparator(char c);

// The path in the form the operating system opens: on POSIX every backslash
// becomes a slash and the text is converted to UTF-8.
std::string NativePath(std::string_view path);

// Opens a file with an fopen mode. Opened for reading ("r" modes) it must be
// a regular file: a directory, a FIFO or a device gives null (errno EISDIR or
// EINVAL) without waiting on it, so that whatever is read ends. Opened for
// writing it must not be a directory. Files are always opened untranslated;
// text-mode reading and writing go through ReadTextLine and WriteTextData so
// that every platform behaves alike.
std::FILE* OpenFile(std::string_view path, const char* mode);

// Reads one line like fgets (at most size - 1 bytes, stopping after a line
// feed) from a file opened by OpenFile, turning CR LF into LF. Returns false
// at end of file or on a read error with nothing read.
bool ReadTextLine(std::FILE* file, char* buffer, int size);

// Writes data with every line feed written as CR LF. Returns false when the
// write failed.
bool WriteTextData(std::FILE* file, const char* data, std::size_t length);

// A new file being written beside the file it is to replace. The one way
// this system replaces a file: CreateFileBeside, writes to file, then
// CommitFileBeside (or DiscardFileBeside).
struct FileBeside {
  std::FILE* file = nullptr;
  std::string tempPath;    // native path of the new file
  std::string targetPath;  // native path of the file it replaces, links followed
};

// Creates a new, empty file for writing untranslated bytes, named
// ".<name>.part-<random>" in the directory of the target. A target that is a
// symbolic link is followed to its final target, as a plain write would be:
// that file is replaced and the link stays. When the target exists, the new
// file gets its permission bits and, where the process may set them, its
// owner and group; otherwise the rights a plainly created file gets. Returns
// false (beside empty) when the new file cannot be created.
bool CreateFileBeside(std::string_view targetPath, FileBeside& beside);

// Puts the new file in the target's place so that it survives a power cut:
// flushes it, has the system write it to disk and closes it, renames it over
// the target and syncs the directory that holds the new name (Windows: a
// replacement written through, the replaced file's attributes and security
// kept). True only when every step succeeded. A failure up to the rename
// removes the new file and leaves the target as it was; the directory is
// opened before the rename, so only an I/O error of the sync itself comes
// after it. Either way a caller must treat false as "not stored".
bool CommitFileBeside(FileBeside& beside);

// Closes and removes the new file; the target stays as it was.
void DiscardFileBeside(FileBeside& beside);

// Removes the ".<name>.part-*" files beside targetPath (links followed as by
// CreateFileBeside) that were last written more than maxAgeSeconds ago: what
// runs ended before their commit left behind. Younger ones may belong to a
// run still writing and are kept. Failures are ignored.
void RemoveStaleFilesBeside(std::string_view targetPath, long maxAgeSeconds);

// Removes a file named by a native path, such as NativePath gives;
// returns false when it could not be removed.
bool RemoveNativeFile(std::string_view nativePath);

// Local calendar time of a moment.
bool LocalTimeOf(std::time_t moment, std::tm& local);

#endif  // DATENSCHLEUSE_PLATFORM_PLATFORM_H
