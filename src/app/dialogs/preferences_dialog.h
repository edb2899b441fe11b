// Colour and CGM preferences: eight colour buttons on a private copy of the
// colours, each with what it colours, a warning when a colour can hardly be
// seen on the background, the CGM switch, and Save, which writes the
// preference file where it is told (the program: the user's settings).
#pragma once

#include <QDialog>
#include <QPushButton>

#include <array>
#include <cstdint>

class QCheckBox;
class QLabel;

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
  // Save writes `saveFile` (by default VANTORW.INI in the current
  // directory); a failure goes to `messages` with the file and the reason.
  PreferencesDialog(Preferences& preferences, Messages& messages, QWidget* parent,
                    const QString& saveFile = QStringLiteral("VANTORW.INI"));

  ColourButton* Button(int i) const { return buttons_[i]; }  // 0 .. 7
  QCheckBox* CgmBox() const { return cgm_; }
  uint32_t PrivateColour(int i) const { return colours_[i]; }
  // What each colour is used for, and the contrast warning (empty when all
  // the picture's colours stand out from the background).
  QLabel* Use(int i) const { return uses_[i]; }
  QLabel* ContrastWarning() const { return warning_; }
  // Where the last Save wrote, shown below the buttons.
  QLabel* SaveNote() const { return saved_; }

  void accept() override;
  // Stores the private copy and writes the preference file; stays open.
  void Save();

 private:
  void ChooseColour(int i);
  void Store();
  void UpdateWarning();

  Preferences& preferences_;
  Messages& messages_;
  std::array<uint32_t, 8> colours_{};
  std::array<ColourButton*, 8> buttons_{};
  QCheckBox* cgm_ = nullptr;
  std::array<QLabel*, 8> uses_{};
  QLabel* warning_ = nullptr;
  QLabel* saved_ = nullptr;
  QString saveFile_;
};

// The contrast of two colours (0x00BBGGRR) as the ratio of their relative
// luminances, 1 (the same) to 21 (black on white).
double ContrastRatio(uint32_t a, uint32_t b);
// Below this the axis and the first run's traces (every single-run picture)
// are hard to see on the background: the usual least contrast of lines and
// shapes on screen. The colours of later runs are warned about only below
// kLeastOverlayContrast, where they all but vanish.
inline constexpr double kLeastContrast = 3.0;
inline constexpr double kLeastOverlayContrast = 1.5;

void RunPreferencesDialog(Preferences& preferences, Messages& messages, QWidget* parent,
                          const QString& saveFile);

// Extended mode after the Preferences command: on when the background is the
// extended-mode colour, off when it was that colour and no longer is, off
// without a gate table, otherwise as it was.
bool ExtendedModeAfterPreferences(bool extendedMode, uint32_t backgroundBefore,
                                  uint32_t backgroundAfter, bool gateTableLoaded);

}  // namespace vantor
