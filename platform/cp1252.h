// Windows-1252 <-> UTF-8 conversion, used by the POSIX side of the platform
// layer at the command line, the console and file names.
#ifndef DATENSCHLEUSE_PLATFORM_CP1252_H
#define DATENSCHLEUSE_PLATFORM_CP1252_H

#include <string>
#include <string_view>

// Appends the UTF-8 form of a Windows-1252 text. The five bytes that the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control
// characters of the same number, so no byte is ever lost.
void Cp1252ToUtf8(std::string_view text, std::string& utf8);

// Converts a UTF-8 text to Windows-1252. Returns false when the text is not
// valid UTF-8 or holds a character the code page cannot express.
bool Utf8ToCp1252(std::string_view utf8, std::string& text);

#endif  // DATENSCHLEUSE_PLATFORM_CP1252_H
