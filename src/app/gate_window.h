// The gate curves window: each chosen gate's steady state and time constant
// against V-m (the calcium gates against [Ca]i) from the gate table at the
// temperature of the parameters, drawn as the command line's gates chart.
// It draws from the window's table and parameters whenever it paints, and
// from the Model Editor's typed values while that is open; it prints,
// copies and exports through the main picture's paths.
#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "vantor/params/gate_table.h"
#include "vantor/params/parameter_set.h"
#include "vantor/render/gate_chart.h"

class QListWidget;

namespace vantor::app {

class UserPrompts;

class GateCurvesWindow : public QWidget {
 public:
  // `gates` and `params` are read at every redraw and must outlive the window.
  GateCurvesWindow(const GateTable& gates, const ParameterSet& params, UserPrompts& prompts, QWidget* parent);

  // The chart as it would be drawn now.
  GateChart Chart() const;
  // Draws the table as typed (the Model Editor's fields) until Follow().
  void Preview(const GateTable& typed);
  // Back to the window's own table, redrawn.
  void Follow();
  // The gate rows 1 .. 13 ticked in the list.
  std::vector<int> ChosenRows() const;
  void Choose(const std::vector<int>& rows);
  QListWidget* GateList() const { return list_; }

  bool Print();
  void Copy();
  // The chart at the chart's size on screen into `path` (.png, .svg, .pdf);
  // false with the reason.
  bool Export(const QString& path, QString& error);
  void ExportAsked();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void DrawOn(Device& device) const;

  const GateTable& gates_;
  const ParameterSet& params_;
  UserPrompts& prompts_;
  std::optional<GateTable> typed_;
  QListWidget* list_ = nullptr;
  QWidget* chart_ = nullptr;
};

}  // namespace vantor::app
