// Byte-string helpers and the code page 437 conversion used where texts
// leave the program (terminals, Qt, messages).
#include "vantor/text/text_helpers.h"

#include <cstdint>

namespace vantor {

void StripTrailingZeros(std::string& s) {
  if (s.find('.') == std::string::npos || s.find('e') != std::string::npos) return;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
}

void TrimBlanks(std::string& s) {
  while (s.size() > 1 && s.back() == ' ') s.pop_back();
  std::size_t first = 0;
  while (first < s.size() && s[first] == ' ') ++first;
  s.erase(0, first);
}

void InsertChar(std::string& s, std::size_t pos, char ch) {
  if (pos > s.size()) pos = s.size();
  s.insert(s.begin() + static_cast<std::ptrdiff_t>(pos), ch);
}

void DeleteChar(std::string& s, std::size_t pos) {
  if (pos < s.size()) s.erase(pos, 1);
}

bool InsertText(std::string& s, std::size_t pos, std::string_view text) {
  if (pos > s.size()) return false;
  s.insert(pos, text);
  return true;
}

void DeleteChars(std::string& s, std::size_t pos, std::size_t count) {
  if (pos >= s.size()) return;
  s.erase(pos, count);  // erase already cuts at pos when fewer follow
}

namespace {

// Unicode code points of code page 437 bytes 0x80 .. 0xFF.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr unsigned char kFormatterMicro = 0xB5;  // FormatEngineering's display micro
constexpr unsigned char kOemMicro = 0xE6;
constexpr char32_t kMicroSign = 0x00B5;
constexpr char32_t kGreekMu = 0x03BC;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i]; advances i. Malformed input yields
// U+FFFD and consumes one byte, so garbage never stalls or overruns.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(text[i]);
  int extra = 0;
  char32_t cp = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    cp = b0 & 0x07;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + static_cast<std::size_t>(extra) >= text.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += static_cast<std::size_t>(extra) + 1;
  // An overlong form of a plain ASCII byte is not let through as that byte.
  return cp < 0x80 ? 0xFFFD : cp;
}

}  // namespace

std::string Cp437ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else if (b == kFormatterMicro) {
      AppendUtf8(out, kMicroSign);
    } else {
      AppendUtf8(out, kCp437High[b - 0x80]);
    }
  }
  return out;
}

std::string Utf8ToCp437(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    if (cp == kMicroSign || cp == kGreekMu) {
      out += static_cast<char>(kOemMicro);
      continue;
    }
    char mapped = '?';
    for (int k = 0; k < 128; ++k) {
      if (kCp437High[k] == cp) {
        mapped = static_cast<char>(0x80 + k);
        break;
      }
    }
    out += mapped;
  }
  return out;
}

}  // namespace vantor
