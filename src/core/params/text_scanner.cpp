#include "params/text_scanner.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>

namespace vantor {
namespace {

// Enough significant digits to round any decimal text to the nearest float
// (half-way cases of floats need a little over a hundred); the rest only
// tell whether the text lies above a half-way point.
constexpr std::size_t kKeptDigits = 800;
// Decimal exponents are counted up to here; far beyond any float.
constexpr int64_t kExponentCap = 1'000'000'000'000;
constexpr std::size_t kChunk = 64 * 1024;

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Turns kept significant digits and the position of the decimal point
// (value = 0.DIGITS x 10^point) into a float.
bool DigitsToFloat(std::string digits, bool sticky, int64_t point, bool negative, float& out) {
  const float zero = negative ? -0.0f : 0.0f;
  if (digits.empty()) {
    out = zero;
    return true;
  }
  // Floats lie between about 1.4e-45 and 3.4e38.
  if (point > 60) return false;
  if (point < -60) {
    out = zero;
    return true;
  }
  if (sticky) digits.push_back('1');
  std::string text = "0." + digits + "e" + std::to_string(point);
  float value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (point > 0) return false;
    out = zero;
    return true;
  }
  if (result.ec != std::errc() || !std::isfinite(value)) return false;
  out = negative ? -value : value;
  return true;
}

}  // namespace

TextScanner::~TextScanner() {
  if (file_ != nullptr) std::fclose(file_);
}

bool TextScanner::Open(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  return file_ != nullptr;
}

void TextScanner::OpenText(std::string text) {
  buffer_.assign(text.begin(), text.end());
  position_ = 0;
  newlines_ = 0;
  exhausted_ = true;
}

bool TextScanner::Fill(std::size_t needed) {
  while (buffer_.size() - position_ < needed) {
    if (exhausted_ || file_ == nullptr) return false;
    if (position_ > 0) {
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(position_));
      position_ = 0;
    }
    std::size_t chunk = kChunk;
    if (consumed_ + chunk > kMaxInputBytes) chunk = kMaxInputBytes - consumed_;
    if (chunk == 0) {
      exhausted_ = true;
      return false;
    }
    const std::size_t old = buffer_.size();
    buffer_.resize(old + chunk);
    const std::size_t got = std::fread(buffer_.data() + old, 1, chunk, file_);
    buffer_.resize(old + got);
    consumed_ += got;
    if (got == 0) {
      exhausted_ = true;
      return false;
    }
  }
  return true;
}

int TextScanner::Peek(std::size_t ahead) {
  if (buffer_.size() - position_ <= ahead && !Fill(ahead + 1)) return EOF;
  return buffer_[position_ + ahead];
}

int TextScanner::Get() {
  const int c = Peek();
  if (c != EOF) ++position_;
  if (c == '\n') ++newlines_;
  return c;
}

void TextScanner::SkipSpace() {
  while (IsSpace(Peek())) Get();
}

bool TextScanner::OnlySpaceLeft() {
  SkipSpace();
  return AtEnd();
}

bool TextScanner::ReadLine(std::string& out, std::size_t keep) {
  out.clear();
  if (AtEnd()) return false;
  std::size_t length = 0;
  int last = EOF;
  bool cut = false;  // a NUL byte ends the text as a C string would
  for (int c = Get(); c != EOF && c != '\n'; c = Get()) {
    if (c == 0) cut = true;
    if (!cut && out.size() <= keep) out.push_back(static_cast<char>(c));
    ++length;
    last = c;
  }
  if (last == '\r') --length;  // a line written with "\r\n"
  if (out.size() > length) out.resize(length);
  if (out.size() > keep) out.resize(keep);
  return true;
}

void TextScanner::SkipLine() {
  for (int c = Get(); c != EOF && c != '\n'; c = Get()) {
  }
}

bool TextScanner::ReadToken(std::string& out, std::size_t keep, std::size_t* length) {
  out.clear();
  SkipSpace();
  if (AtEnd()) return false;
  std::size_t count = 0;
  bool cut = false;
  for (int c = Peek(); c != EOF && !IsSpace(c); c = Peek()) {
    ++position_;
    ++count;
    if (c == 0) cut = true;
    if (!cut && out.size() < keep) out.push_back(static_cast<char>(c));
  }
  if (length != nullptr) *length = count;
  return true;
}

bool TextScanner::ReadFloat(float& out) {
  SkipSpace();
  bool negative = false;
  if (Peek() == '+' || Peek() == '-') negative = Get() == '-';

  std::string digits;
  bool sticky = false;  // a nonzero digit beyond those kept
  bool anyDigit = false;
  int64_t point = 0;
  auto keep = [&](int c) {
    if (digits.size() < kKeptDigits)
      digits.push_back(static_cast<char>(c));
    else if (c != '0')
      sticky = true;
  };
  while (IsDigit(Peek())) {
    const int c = Get();
    anyDigit = true;
    if (digits.empty() && c == '0') continue;
    keep(c);
    if (point < kExponentCap) ++point;
  }
  if (Peek() == '.') {
    Get();
    while (IsDigit(Peek())) {
      const int c = Get();
      anyDigit = true;
      if (digits.empty() && c == '0') {
        if (point > -kExponentCap) --point;
        continue;
      }
      keep(c);
    }
  }
  if (!anyDigit) return false;

  // An "e" belongs to the number only when digits follow it.
  const int e = Peek();
  if (e == 'e' || e == 'E') {
    const int s = Peek(1);
    const bool signedExponent = s == '+' || s == '-';
    if (IsDigit(Peek(signedExponent ? 2 : 1))) {
      Get();
      const bool negativeExponent = signedExponent && Get() == '-';
      int64_t exponent = 0;
      while (IsDigit(Peek())) {
        const int c = Get();
        if (exponent < kExponentCap) exponent = exponent * 10 + (c - '0');
      }
      point += negativeExponent ? -exponent : exponent;
    }
  }
  return DigitsToFloat(std::move(digits), sticky, point, negative, out);
}

bool TextScanner::ReadInt32(int32_t& out) {
  SkipSpace();
  bool negative = false;
  if (Peek() == '+' || Peek() == '-') negative = Get() == '-';
  if (!IsDigit(Peek())) return false;
  int64_t value = 0;
  bool tooLarge = false;
  while (IsDigit(Peek())) {
    value = value * 10 + (Get() - '0');
    if (value > int64_t{1} << 32) {
      tooLarge = true;
      value = int64_t{1} << 32;
    }
  }
  if (negative) value = -value;
  if (tooLarge || value < std::numeric_limits<int32_t>::min() ||
      value > std::numeric_limits<int32_t>::max())
    return false;
  out = static_cast<int32_t>(value);
  return true;
}

}  // namespace vantor
