// ASCII letter case, the same on every platform and in every locale: the
// command line's type and switch, the file digest's name, the upload
// trailer's CRC digits.
#ifndef DATENSCHLEUSE_TEXT_ASCII_CASE_H
#define DATENSCHLEUSE_TEXT_ASCII_CASE_H

#include <string>

// ASCII-only case conversion in place; every other byte, the umlauts of
// Windows-1252 included, stays as it is. Both return the text they were given.
char* ToUpperInPlace(char* text);
char* ToLowerInPlace(char* text);
std::string& ToUpperInPlace(std::string& text);
std::string& ToLowerInPlace(std::string& text);

#endif  // DATENSCHLEUSE_TEXT_ASCII_CASE_H
