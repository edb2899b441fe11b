#include "app/help_window.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vantor::app {

QString HelpAnchor(int context) {
  return context == kHelpIndex ? QStringLiteral("index") : QStringLiteral("topic%1").arg(context);
}

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  setWindowTitle(tr("Vantor Help"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  browser_->setOpenExternalLinks(true);
  resize(720, 640);
  found_ = QFileInfo(helpFile).isFile();
  if (found_)
    browser_->setSource(QUrl::fromLocalFile(helpFile));
  else
    browser_->setHtml(tr("<p>The help file %1 is missing.</p>").arg(helpFile.toHtmlEscaped()));
}

void HelpWindow::ShowTopic(int context) {
  if (found_) browser_->scrollToAnchor(HelpAnchor(context));
  show();
  raise();
  activateWindow();
}

}  // namespace vantor::app
