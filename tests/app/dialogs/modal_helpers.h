// Answering modal dialogs from a test: a timer waits until a modal widget of
// the wanted class is up, then acts on it. Gives up after a few seconds, so
// a dialog nobody answers fails the test instead of hanging it.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace vantor::testing {

inline void WhenModal(const char* className, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, clock, className, act] {
    QWidget* w = QApplication::activeModalWidget();
    if (w != nullptr && w->inherits(className)) {
      timer->stop();
      timer->deleteLater();
      act(w);
      return;
    }
    if (clock->elapsed() > 5000) {
      timer->stop();
      timer->deleteLater();
      if (w != nullptr) w->close();  // unblock whatever is waiting
    }
  });
  timer->start();
}

// The next message box: its caption and text go to the two strings, then OK.
inline void CaptureMessageBox(QString* caption, QString* text) {
  WhenModal("QMessageBox", [caption, text](QWidget* w) {
    auto* box = static_cast<QMessageBox*>(w);
    if (caption != nullptr) *caption = box->windowTitle();
    if (text != nullptr) *text = box->text();
    box->accept();
  });
}

// A push button of a dialog by its control number.
inline QPushButton* Button(QWidget* dialog, int id) {
  return dialog->findChild<QPushButton*>(QString::number(id));
}

inline void EnsureApp() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "vantor-dialog-tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

}  // namespace vantor::testing
