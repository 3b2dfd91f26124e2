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

// Opens a regular file (never a directory) with an fopen mode. Files are
// always opened untranslated; text-mode reading and writing go through
// ReadTextLine and WriteTextData so that every platform behaves alike.
std::FILE* OpenFile(std::string_view path, const char* mode);

// Reads one line like fgets (at most size - 1 bytes, stopping after a line
// feed) from a file opened by OpenFile, turning CR LF into LF. Returns false
// at end of file or on a read error with nothing read.
bool ReadTextLine(std::FILE* file, char* buffer, int size);

// Writes data with every line feed written as CR LF. Returns false when the
// write failed.
bool WriteTextData(std::FILE* file, const char* data, std::size_t length);

// Creates a new, empty file beside targetPath (same directory) for writing
// untranslated bytes and stores its path in tempPath. Returns null when it
// cannot be created.
std::FILE* CreateFileBeside(std::string_view targetPath, std::string& tempPath);

// Flushes a file's buffers and asks the system to put its data on disk, then
// closes it. Returns false when any of these steps failed (the file is closed
// in every case).
bool FlushAndCloseFile(std::FILE* file);

// Replaces targetPath by tempPath in one step. Returns false on failure, when
// the target is left as it was.
bool ReplaceFileWith(std::string_view tempPath, std::string_view targetPath);

// Removes a file named by a native path, such as CreateFileBeside gives;
// returns false when it could not be removed.
bool RemoveNativeFile(std::string_view nativePath);

// Local calendar time of a moment.
bool LocalTimeOf(std::time_t moment, std::tm& local);

#endif  // DATENSCHLEUSE_PLATFORM_PLATFORM_H
