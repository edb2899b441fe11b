// Small byte-string helpers used by the formatters and their callers.
#pragma once

#include <string>
#include <string_view>

namespace vantor {

// Only when s holds "." and no "e": drop trailing "0"s, then a trailing ".".
void StripTrailingZeros(std::string& s);
// Trailing blanks (never the first character), then leading blanks.
void TrimBlanks(std::string& s);
// A position beyond the end appends.
void InsertChar(std::string& s, std::size_t pos, char ch);
// A position beyond the end changes nothing.
void DeleteChar(std::string& s, std::size_t pos);
// Inserts text at pos; returns false (and leaves s alone) when pos lies
// beyond the end of s. A bad position is the caller's mistake: refusing it
// keeps the program, and whatever the user has not saved, alive.
bool InsertText(std::string& s, std::size_t pos, std::string_view text);
// Removes count characters at pos; nothing when pos is beyond the end; cuts
// s at pos when fewer than count characters follow.
void DeleteChars(std::string& s, std::size_t pos, std::size_t count);

// Code page 437 bytes (and 0xB5 micro from the formatter) to UTF-8, for
// terminals, file names in messages, and Qt.
std::string Cp437ToUtf8(std::string_view bytes);
// UTF-8 to code page 437 for the few characters the program uses (µ ° ß);
// anything else outside ASCII becomes "?".
std::string Utf8ToCp437(std::string_view text);

}  // namespace vantor
