// The explorer: a slider for each parameter the user picks, over that
// parameter's limits, reporting every step. The conductances and the step
// current have sliders to begin with.
#pragma once

#include <QWidget>

#include <map>
#include <vector>

class QComboBox;
class QLabel;
class QSlider;
class QVBoxLayout;

namespace vantor {
class ParameterSet;
}

namespace vantor::app {

class ExplorerPanel : public QWidget {
  Q_OBJECT

 public:
  // Steps of a slider from the minimum to the maximum of its parameter.
  static constexpr int kSteps = 1000;

  explicit ExplorerPanel(const ParameterSet& params, QWidget* parent = nullptr);

  // Shows `params`' values on the sliders (and takes their limits), without
  // reporting a change.
  void ShowValues(const ParameterSet& params);
  // A slider for parameter k (nothing when it has one); it is greyed while
  // the limits leave nothing to slide over. False for no parameter.
  bool AddSlider(int k);
  void RemoveSlider(int k);
  std::vector<int> Parameters() const;
  QSlider* Slider(int k) const;
  QLabel* ValueLabel(int k) const;
  QComboBox* Picker() const { return picker_; }
  // The value of step `step` of parameter k's slider, and back.
  float ValueAt(int k, int step) const;
  int StepOf(int k, float value) const;

 signals:
  void ValueChanged(int k, float value);
  // Before the first step of a drag, or before a step by key or wheel: the
  // values as they stand are worth taking back to.
  void ChangeStarting();

 private:
  struct Row {
    QWidget* box = nullptr;
    QSlider* slider = nullptr;
    QLabel* value = nullptr;
  };
  void FillPicker();
  bool Slides(int k) const;
  std::vector<int> Offered() const;  // the picker's parameters
  void ShowValue(int k, float value);

  const ParameterSet& params_;
  QVBoxLayout* rows_ = nullptr;
  QComboBox* picker_ = nullptr;
  std::map<int, Row> sliders_;
  bool showing_ = false;
  std::vector<int> offered_;
};

}  // namespace vantor::app
