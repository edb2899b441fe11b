// The help viewer: the shipped HTML help page in a browser window of its own,
// opened at its index or at a topic by context number, with Back and
// Forward, a find field, and Escape or Ctrl+W to close it.
#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QTextBrowser;
class QToolButton;

namespace vantor::app {

// The anchor of a context number ("topic80") or of the index ("index").
QString HelpAnchor(int context);
inline constexpr int kHelpIndex = 0;
// The Model Editor's page.
inline constexpr int kModelEditorTopic = 92;

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // `helpFile` is the HTML page; a missing file shows a short note instead.
  HelpWindow(const QString& helpFile, QWidget* parent = nullptr);
  // Shows the window at a context number's topic, or the index for kHelpIndex.
  void ShowTopic(int context);
  QTextBrowser* Browser() const { return browser_; }
  QLineEdit* FindField() const { return find_; }
  QToolButton* BackButton() const { return back_; }
  bool HelpFileFound() const { return found_; }
  // Finds the find field's text after the cursor (before it when
  // `backwards`), starting again at the other end; false when the page does
  // not hold it, which the field shows.
  bool FindNext(bool backwards = false);

 private:
  QTextBrowser* browser_;
  QLineEdit* find_;
  QToolButton* back_;
  QToolButton* forward_;
  bool found_ = false;
};

}  // namespace vantor::app
