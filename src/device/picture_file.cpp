#include "device/picture_file.h"

#include <QBuffer>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>

#include "device/painter_device.h"

namespace vantor {
namespace {

constexpr int kScreenDpi = 96;

void Paint(QPainter& painter, int width, int height, uint32_t background,
           const std::function<void(Device&)>& draw) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.fillRect(QRect(0, 0, width, height), ColourFromRef(background));
  PainterDevice device(painter, width, height);
  draw(device);
  device.Flush();
}

QByteArray RenderPng(int width, int height, uint32_t background,
                     const std::function<void(Device&)>& draw, const QString& description) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  {
    QPainter painter(&image);
    Paint(painter, width, height, background, draw);
  }
  if (!description.isEmpty()) {
    image.setText(QStringLiteral("Software"), QStringLiteral("Vantor"));
    image.setText(QStringLiteral("Description"), description);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return {};
  return bytes;
}

QByteArray RenderSvg(int width, int height, uint32_t background,
                     const std::function<void(Device&)>& draw, const QString& description) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(width, height));
  svg.setViewBox(QRect(0, 0, width, height));
  svg.setResolution(kScreenDpi);
  svg.setTitle("Vantor picture");
  if (!description.isEmpty()) svg.setDescription(description);
  QPainter painter;
  if (!painter.begin(&svg)) return {};
  Paint(painter, width, height, background, draw);
  painter.end();
  return bytes;
}

// The PDF's metadata: title, creator and, as the subject, the description.
QByteArray PdfMetadata(const QString& description) {
  const QString xmp = QStringLiteral(
      "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>"
      "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
      "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
      "<rdf:Description rdf:about='' xmlns:dc='http://purl.org/dc/elements/1.1/' "
      "xmlns:xmp='http://ns.adobe.com/xap/1.0/'>"
      "<dc:title><rdf:Alt><rdf:li xml:lang='x-default'>Vantor picture</rdf:li></rdf:Alt></dc:title>"
      "<dc:description><rdf:Alt><rdf:li xml:lang='x-default'>%1</rdf:li></rdf:Alt></dc:description>"
      "<xmp:CreatorTool>Vantor</xmp:CreatorTool>"
      "</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end='w'?>")
                          .arg(description.toHtmlEscaped());
  return xmp.toUtf8();
}

QByteArray RenderPdf(int width, int height, uint32_t background,
                     const std::function<void(Device&)>& draw, const QString& description) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kScreenDpi);
    pdf.setCreator("Vantor");
    if (!description.isEmpty()) {
      pdf.setTitle(QStringLiteral("Vantor picture"));
      pdf.setDocumentXmpMetadata(PdfMetadata(description));
    }
    // One page exactly the size of the picture, without margins.
    const QPageSize page(QSizeF(width * 72.0 / kScreenDpi, height * 72.0 / kScreenDpi),
                         QPageSize::Point, QString(), QPageSize::ExactMatch);
    pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&pdf)) return {};
    Paint(painter, width, height, background, draw);
    painter.end();
  }
  return bytes;
}

}  // namespace

std::optional<PictureFormat> PictureFormatForPath(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "png") return PictureFormat::Png;
  if (ext == "svg") return PictureFormat::Svg;
  if (ext == "pdf") return PictureFormat::Pdf;
  return std::nullopt;
}

QByteArray RenderPicture(PictureFormat format, int width, int height, uint32_t background,
                         const std::function<void(Device&)>& draw, const std::string& description) {
  if (width < 1 || height < 1) return {};
  const QString text = QString::fromStdString(description);
  switch (format) {
    case PictureFormat::Png: return RenderPng(width, height, background, draw, text);
    case PictureFormat::Svg: return RenderSvg(width, height, background, draw, text);
    case PictureFormat::Pdf: return RenderPdf(width, height, background, draw, text);
  }
  return {};
}

void DrawScratch(int width, int height, const std::function<void(Device&)>& draw) {
  // Nothing of the image is kept: one pixel takes the drawing of a surface of
  // the whole size (text is measured alike at any image size).
  QImage image(1, 1, QImage::Format_RGB32);
  QPainter painter(&image);
  Paint(painter, width < 1 ? 1 : width, height < 1 ? 1 : height, 0xFFFFFF, draw);
}

bool SavePicture(PictureFormat format, const std::string& path, int width, int height,
                 uint32_t background, const std::function<void(Device&)>& draw,
                 std::string& error) {
  const QByteArray bytes = RenderPicture(format, width, height, background, draw);
  if (bytes.isEmpty()) {
    error = "the picture could not be made";
    return false;
  }
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) {
    error = file.errorString().toStdString();
    return false;
  }
  if (file.write(bytes) != bytes.size() || !file.commit()) {
    error = file.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace vantor
