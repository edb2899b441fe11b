// A byte scanner for the program's small text files (gate table, parameter
// files, list files). It reads the way a formatted scan does (white space
// between tokens is free; numbers are plain decimal with an optional
// exponent) but never keeps more of a token or a line than its caller asks
// for, so a 10 MB line or binary garbage costs neither time nor memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vantor {

class TextScanner {
 public:
  TextScanner() = default;
  ~TextScanner();
  TextScanner(const TextScanner&) = delete;
  TextScanner& operator=(const TextScanner&) = delete;

  // Opens a file for reading; false when it cannot be opened or is a
  // directory.
  bool Open(const std::string& path);
  // Scans text held in memory.
  void OpenText(std::string text);

  // The next byte (0 .. 255) `ahead` bytes on, or EOF.
  int Peek(std::size_t ahead = 0);
  int Get();
  // The number of the line the next byte is on, from 1.
  std::size_t Line() const { return newlines_ + 1; }
  bool AtEnd() { return Peek() == EOF; }

  void SkipSpace();
  // True when only white space is left.
  bool OnlySpaceLeft();

  // The rest of the current line. Keeps at most `keep` bytes of it (and
  // nothing from a NUL byte on), consumes the whole line with its line end,
  // and drops the line end ("\n" or "\r\n"). False at the end of the input
  // when nothing at all is left to read.
  bool ReadLine(std::string& out, std::size_t keep);
  void SkipLine();

  // Skips white space, then reads one token of non-blank bytes. Keeps at
  // most `keep` bytes (nothing from a NUL byte on) but always consumes the
  // whole token; `length`, when given, receives its full length. False at
  // the end of the input.
  bool ReadToken(std::string& out, std::size_t keep, std::size_t* length = nullptr);

  // Skips white space, then reads a decimal number: optional sign, digits
  // with an optional point, optional exponent ("e" or "E", optional sign,
  // digits). No "inf", "nan" or hexadecimal forms. A number too large for a
  // float fails; one too small to represent becomes zero. False leaves the
  // scanner just after what was looked at; callers stop reading then.
  bool ReadFloat(float& out);
  // Skips white space, then reads an optional sign and decimal digits; fails
  // when there are no digits or the value leaves the 32-bit range.
  bool ReadInt32(int32_t& out);

  // Files are small; reading stops here so that an endless source cannot
  // keep a reader busy forever.
  static constexpr std::size_t kMaxInputBytes = std::size_t{64} << 20;

 private:
  bool Fill(std::size_t needed);

  std::FILE* file_ = nullptr;
  std::vector<unsigned char> buffer_;
  std::size_t position_ = 0;  // next unread byte in buffer_
  std::size_t consumed_ = 0;  // bytes taken from the file so far
  bool exhausted_ = false;
  std::size_t newlines_ = 0;  // line ends consumed so far
};

}  // namespace vantor
