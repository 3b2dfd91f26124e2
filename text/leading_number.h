// The standard reading of a number at the start of a text, shared by the
// command line's delete flag, the code of a terminal's refusal, the declared
// length of an upload frame and the number field of the settings file.
#ifndef DATENSCHLEUSE_TEXT_LEADING_NUMBER_H
#define DATENSCHLEUSE_TEXT_LEADING_NUMBER_H

#include <string_view>

// Reads a number in the manner of atoi: leading white space (blank, tab to
// carriage return) skipped, an optional sign, then digits up to the first
// other character; 0 without digits. Values beyond the int range are held at
// its ends instead of overflowing.
int LeadingNumber(std::string_view text);

#endif  // DATENSCHLEUSE_TEXT_LEADING_NUMBER_H
