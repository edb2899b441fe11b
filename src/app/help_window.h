// The help viewer: the shipped HTML help page in a browser window of its own,
// opened at its index or at a topic by context number.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vantor::app {

// The anchor of a context number ("topic80") or of the index ("index").
QString HelpAnchor(int context);
inline constexpr int kHelpIndex = 0;

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  // `helpFile` is the HTML page; a missing file shows a short note instead.
  HelpWindow(const QString& helpFile, QWidget* parent = nullptr);
  // Shows the window at a context number's topic, or the index for kHelpIndex.
  void ShowTopic(int context);
  QTextBrowser* Browser() const { return browser_; }
  bool HelpFileFound() const { return found_; }

 private:
  QTextBrowser* browser_;
  bool found_ = false;
};

}  // namespace vantor::app
