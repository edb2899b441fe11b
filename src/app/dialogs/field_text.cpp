#include "app/dialogs/field_text.h"

#include <QRegularExpression>

#include <charconv>
#include <cfloat>
#include <cmath>

#include "vantor/text/number_format.h"
#include "vantor/text/text_helpers.h"

namespace vantor {

QString FieldText(float value) {
  return QString::fromStdString(FormatNumber(value, 6, 9, AutoTrimmed)).trimmed();
}

std::optional<float> ScanFieldNumber(const QString& text) {
  // Plain decimal only: no "inf", "nan" or hexadecimal forms, no grouping.
  // A decimal comma is read as a point; anything but blanks after the
  // number makes the whole text no number, so "2nA" or "0x10" are refused
  // instead of read as 2 and 0.
  static const QRegularExpression number(
      QStringLiteral("^\\s*([+-]?(?:\\d+[.,]?\\d*|[.,]\\d+)(?:[eE][+-]?\\d+)?)\\s*$"));
  const QRegularExpressionMatch m = number.match(text);
  if (!m.hasMatch()) return std::nullopt;
  std::string digits = m.captured(1).toStdString();
  for (char& c : digits)
    if (c == ',') c = '.';
  const bool negative = digits[0] == '-';
  if (digits[0] == '+') digits.erase(0, 1);  // from_chars takes no plus sign
  double d = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), d);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Beyond the double range: still a number, and one the range check
    // refuses by name; below it, as good as zero.
    const std::size_t e = digits.find_first_of("eE");
    const bool tiny = e != std::string::npos && digits[e + 1] == '-';
    if (tiny) return negative ? -0.0f : 0.0f;
    return negative ? -INFINITY : INFINITY;
  }
  if (std::fabs(d) > FLT_MAX) return negative ? -INFINITY : INFINITY;
  return static_cast<float>(d);
}

QString FromCp437(std::string_view bytes) { return QString::fromStdString(Cp437ToUtf8(bytes)); }

std::string ToCp437(const QString& text) { return Utf8ToCp437(text.toStdString()); }

}  // namespace vantor
