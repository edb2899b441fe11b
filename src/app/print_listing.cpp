#include "app/print_listing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

#include "app/dialogs/field_text.h"
#include "vantor/params/parameter_names.h"
#include "vantor/render/run_legend.h"

namespace vantor::app {

ParameterListing ListParameters(const ReplayState& replay, const ParameterSet& params, bool extended) {
  ParameterListing listing;
  std::vector<std::vector<float>> columns;
  const std::vector<const RecordedRun*> runs = PictureRuns(replay);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const RecordedRun& run = *runs[i];
    if (run.hidden) continue;  // prints follow the runs shown
    listing.runs << (run.label.empty() ? QStringLiteral("Run %1").arg(i + 1) : FromCp437(run.label));
    std::vector<float> values(params.Values().begin(), params.Values().end());
    if (run.parameters.size() == values.size()) values = run.parameters;
    columns.push_back(values);
  }
  const int count = extended ? kParameterCount : kVersion3Count;
  for (int k = 0; k < count; ++k) {
    if (k == param::PlotChoice) continue;
    listing.names << FromCp437(params.MessageLabel(k)).trimmed();
    listing.units << QString::fromStdString(ParameterUnit(k));
    QStringList row;
    std::vector<bool> differs;
    for (const std::vector<float>& column : columns) {
      row << FieldText(column[static_cast<std::size_t>(k)]);
      differs.push_back(column[static_cast<std::size_t>(k)] != columns.front()[static_cast<std::size_t>(k)]);
    }
    listing.values.push_back(row);
    listing.differs.push_back(differs);
  }
  return listing;
}

bool PrintListing(QPainter& painter, QPagedPaintDevice& device, QRect page, const QString& fileName,
                  const QString& comment, const ParameterListing& listing) {
  const int rows = static_cast<int>(listing.names.size());
  // Every row of a block and its headings on one page.
  QFont font(QStringLiteral("Sans"));
  font.setPixelSize(std::max(6, page.height() / 90));
  QFont bold = font;
  bold.setBold(true);
  QFont heading = font;
  heading.setPixelSize(font.pixelSize() * 13 / 10);
  heading.setBold(true);
  const QFontMetrics m(font), mb(bold);
  const int line = m.height() * 11 / 10;
  int nameWidth = 0, unitWidth = mb.horizontalAdvance(QStringLiteral("Unit"));
  for (const QString& n : listing.names) nameWidth = std::max(nameWidth, m.horizontalAdvance(n));
  for (const QString& u : listing.units) unitWidth = std::max(unitWidth, m.horizontalAdvance(u));
  int valueWidth = mb.horizontalAdvance(QStringLiteral("-0.000123456"));
  for (const QString& r : listing.runs) valueWidth = std::max(valueWidth, mb.horizontalAdvance(r));
  const int gap = m.horizontalAdvance(QStringLiteral("  "));
  nameWidth += gap;
  unitWidth += gap;
  valueWidth += gap;
  const int perBlock =
      std::max(1, (page.width() - nameWidth - unitWidth) / std::max(1, valueWidth));
  const int runCount = static_cast<int>(listing.runs.size());
  const QColor ink(0, 0, 0), faint(120, 120, 120);

  for (int first = 0; first < std::max(1, runCount); first += perBlock) {
    if (!device.newPage()) return false;
    int y = page.top() + line;
    painter.setPen(ink);
    painter.setFont(heading);
    painter.drawText(page.left(), y, QStringLiteral("Parameters of %1").arg(fileName));
    y += line * 3 / 2;
    painter.setFont(font);
    if (!comment.isEmpty()) {
      painter.drawText(page.left(), y, comment);
      y += line;
    }
    if (runCount > 1) {
      painter.setPen(faint);
      painter.drawText(page.left(), y, QStringLiteral("Values in bold differ from the first run's."));
      painter.setPen(ink);
      y += line;
    }
    y += line / 2;
    const int last = std::min(runCount, first + perBlock);
    painter.setFont(bold);
    painter.drawText(page.left(), y, QStringLiteral("Parameter"));
    painter.drawText(page.left() + nameWidth, y, QStringLiteral("Unit"));
    for (int r = first; r < last; ++r) {
      const int right = page.left() + nameWidth + unitWidth + (r - first + 1) * valueWidth - gap;
      painter.drawText(right - painter.fontMetrics().horizontalAdvance(listing.runs[r]), y, listing.runs[r]);
    }
    y += line / 3;
    painter.drawLine(page.left(), y, page.left() + nameWidth + unitWidth + (last - first) * valueWidth, y);
    y += line;
    for (int k = 0; k < rows; ++k) {
      if (y > page.bottom()) {
        if (!device.newPage()) return false;
        y = page.top() + line;
      }
      painter.setFont(font);
      painter.drawText(page.left(), y, listing.names[k]);
      painter.drawText(page.left() + nameWidth, y, listing.units[k]);
      for (int r = first; r < last; ++r) {
        painter.setFont(listing.differs[static_cast<std::size_t>(k)][static_cast<std::size_t>(r)] ? bold : font);
        const QString& v = listing.values[static_cast<std::size_t>(k)][r];
        const int right = page.left() + nameWidth + unitWidth + (r - first + 1) * valueWidth - gap;
        painter.drawText(right - painter.fontMetrics().horizontalAdvance(v), y, v);
      }
      y += line;
    }
  }
  return true;
}

}  // namespace vantor::app
