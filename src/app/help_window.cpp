#include "app/help_window.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>

namespace vantor::app {

QString HelpAnchor(int context) {
  return context == kHelpIndex ? QStringLiteral("index") : QStringLiteral("topic%1").arg(context);
}

HelpWindow::HelpWindow(const QString& helpFile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      browser_(new QTextBrowser(this)),
      find_(new QLineEdit(this)),
      back_(new QToolButton(this)),
      forward_(new QToolButton(this)) {
  setWindowTitle(tr("Vantor Help"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(4, 4, 4, 4);
  back_->setText(tr("Back"));
  back_->setToolTip(tr("Back (Alt+Left)"));
  back_->setShortcut(QKeySequence::Back);
  forward_->setText(tr("Forward"));
  forward_->setToolTip(tr("Forward (Alt+Right)"));
  forward_->setShortcut(QKeySequence::Forward);
  back_->setEnabled(false);
  forward_->setEnabled(false);
  auto* findLabel = new QLabel(tr("&Find:"), this);
  findLabel->setBuddy(find_);
  find_->setPlaceholderText(tr("word in the help (Enter for the next one)"));
  find_->setClearButtonEnabled(true);
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addSpacing(12);
  bar->addWidget(findLabel);
  bar->addWidget(find_, 1);
  layout->addLayout(bar);
  layout->addWidget(browser_, 1);

  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(find_, &QLineEdit::returnPressed, this, [this] { FindNext(); });
  connect(find_, &QLineEdit::textEdited, this, [this] {
    // Typing looks again from the top of the page.
    browser_->moveCursor(QTextCursor::Start);
    FindNext();
  });
  auto* findKey = new QShortcut(QKeySequence::Find, this);
  connect(findKey, &QShortcut::activated, this, [this] {
    find_->setFocus();
    find_->selectAll();
  });
  auto* nextKey = new QShortcut(QKeySequence::FindNext, this);
  connect(nextKey, &QShortcut::activated, this, [this] { FindNext(); });
  auto* previousKey = new QShortcut(QKeySequence::FindPrevious, this);
  connect(previousKey, &QShortcut::activated, this, [this] { FindNext(true); });
  for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close),
                                  QKeySequence(QStringLiteral("Ctrl+W"))}) {
    auto* close = new QShortcut(key, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
  }

  browser_->setOpenExternalLinks(true);
  resize(720, 640);
  found_ = QFileInfo(helpFile).isFile();
  if (found_)
    browser_->setSource(QUrl::fromLocalFile(helpFile));
  else
    browser_->setHtml(tr("<p>The help file %1 is missing.</p>").arg(helpFile.toHtmlEscaped()));
}

bool HelpWindow::FindNext(bool backwards) {
  const QString text = find_->text();
  find_->setStyleSheet(QString());
  if (text.isEmpty()) return false;
  const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (browser_->find(text, flags)) return true;
  // Round the end of the page once.
  browser_->moveCursor(backwards ? QTextCursor::End : QTextCursor::Start);
  if (browser_->find(text, flags)) return true;
  find_->setStyleSheet(QStringLiteral("QLineEdit { background: #f6c6c6; }"));
  return false;
}

void HelpWindow::ShowTopic(int context) {
  // Through the browser's history, so that Back returns to the topic before.
  if (found_) {
    QUrl topic = browser_->source();
    topic.setFragment(HelpAnchor(context));
    if (topic != browser_->source()) browser_->setSource(topic);
    browser_->scrollToAnchor(HelpAnchor(context));
  }
  show();
  raise();
  activateWindow();
}

}  // namespace vantor::app
