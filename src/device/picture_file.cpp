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
                     const std::function<void(Device&)>& draw) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return {};
  {
    QPainter painter(&image);
    Paint(painter, width, height, background, draw);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return {};
  return bytes;
}

QByteArray RenderSvg(int width, int height, uint32_t background,
                     const std::function<void(Device&)>& draw) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(width, height));
  svg.setViewBox(QRect(0, 0, width, height));
  svg.setResolution(kScreenDpi);
  svg.setTitle("Vantor picture");
  QPainter painter;
  if (!painter.begin(&svg)) return {};
  Paint(painter, width, height, background, draw);
  painter.end();
  return bytes;
}

QByteArray RenderPdf(int width, int height, uint32_t background,
                     const std::function<void(Device&)>& draw) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setResolution(kScreenDpi);
    pdf.setCreator("Vantor");
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
                         const std::function<void(Device&)>& draw) {
  if (width < 1 || height < 1) return {};
  switch (format) {
    case PictureFormat::Png: return RenderPng(width, height, background, draw);
    case PictureFormat::Svg: return RenderSvg(width, height, background, draw);
    case PictureFormat::Pdf: return RenderPdf(width, height, background, draw);
  }
  return {};
}

void DrawScratch(int width, int height, const std::function<void(Device&)>& draw) {
  QImage image(width < 1 ? 1 : width, height < 1 ? 1 : height, QImage::Format_RGB32);
  QPainter painter(&image);
  Paint(painter, image.width(), image.height(), 0xFFFFFF, draw);
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
