// The dialogs' number parser and the code page 437 conversions of the
// fields, with Qt Core (QString and QRegularExpression), as the dialogs run
// them. The input is taken as UTF-8, as typed text reaches a field.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <QString>

#include "app/dialogs/field_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  if (const std::optional<float> v = vantor::ScanFieldNumber(text)) (void)vantor::FieldText(*v);
  (void)vantor::ToCp437(text);
  (void)vantor::FromCp437(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
