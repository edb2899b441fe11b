// Colour and CGM preferences: eight colour buttons on a private copy of the
// colours, the CGM switch, and Save, which writes VANTORW.INI into the
// current directory.
#pragma once

#include <QDialog>
#include <QPushButton>

#include <array>
#include <cstdint>

class QCheckBox;

namespace vantor {

class Messages;
struct Preferences;

// A button that shows its colour: filled, with a black frame.
class ColourButton : public QPushButton {
 public:
  ColourButton(const QString& name, QWidget* parent);
  void SetColour(uint32_t colourRef);
  uint32_t Colour() const { return colour_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  uint32_t colour_ = 0;
};

class PreferencesDialog : public QDialog {
 public:
  // Save's write problems go to `messages`.
  PreferencesDialog(Preferences& preferences, Messages& messages, QWidget* parent);

  ColourButton* Button(int i) const { return buttons_[i]; }  // 0 .. 7
  QCheckBox* CgmBox() const { return cgm_; }
  uint32_t PrivateColour(int i) const { return colours_[i]; }

  void accept() override;
  // Stores the private copy and writes the preference file; stays open.
  void Save();

 private:
  void ChooseColour(int i);
  void Store();

  Preferences& preferences_;
  Messages& messages_;
  std::array<uint32_t, 8> colours_{};
  std::array<ColourButton*, 8> buttons_{};
  QCheckBox* cgm_ = nullptr;
};

void RunPreferencesDialog(Preferences& preferences, Messages& messages, QWidget* parent);

// Extended mode after the Preferences command: on when the background is the
// extended-mode colour, off when it was that colour and no longer is, off
// without a gate table, otherwise as it was.
bool ExtendedModeAfterPreferences(bool extendedMode, uint32_t backgroundBefore,
                                  uint32_t backgroundAfter, bool gateTableLoaded);

}  // namespace vantor
