// The printed listing of the parameters: a table with a row per parameter
// (its name and unit) and a column per run shown, after the picture's page,
// headed by the parameter file's name. Values that differ from the first
// run's are set in bold.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

#include "vantor/params/parameter_set.h"
#include "vantor/render/picture.h"

class QPagedPaintDevice;
class QPainter;

namespace vantor::app {

struct ParameterListing {
  QStringList runs;                      // column headings, "Run 1" or the run's name
  QStringList names, units;              // a row per parameter
  std::vector<QStringList> values;       // [row][run]
  std::vector<std::vector<bool>> differs;  // from the first run's value
};

// The runs shown, oldest first; the first 29 parameters, or all 54 with
// `extended` (the plot choice left out, as on the picture's own listing).
ParameterListing ListParameters(const ReplayState& replay, const ParameterSet& params, bool extended);

// Draws the listing on pages of `device` from the next page on; `page` is
// the paint rectangle. False when a new page could not be begun.
bool PrintListing(QPainter& painter, QPagedPaintDevice& device, QRect page, const QString& fileName,
                  const QString& comment, const ParameterListing& listing);

}  // namespace vantor::app
