// Puts the window into the state one of the README's screenshots shows and
// keeps it there for a while, so that a screen grabber (under Xvfb) can take
// it: vantor_doc_screens explore|zoom|every|model [seconds]; or prints
// four overlaid runs: vantor_doc_screens print FILE.pdf.
#include <QApplication>
#include <QDockWidget>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/dialogs/model_editor.h"
#include "app/explorer_panel.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/print_copy.h"
#include <QPrinter>

using namespace vantor;
using namespace vantor::app;

namespace {

// Prints to the PDF file named, without a dialog.
class PdfChooser : public UserPrompts, public PrinterChooser {
 public:
  explicit PdfChooser(QString pdf) : pdf_(std::move(pdf)) {}
  void Warn(const QString&, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
  SaveAnswer AskSave(const QString&) override { return SaveAnswer::No; }
  QString OpenFileName(const QString&) override { return {}; }
  QString SaveFileName(const QString&) override { return {}; }
  bool Choose(QPrinter& printer, QWidget*) override {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf_);
    return true;
  }

 private:
  QString pdf_;
};

class NoPrompts : public UserPrompts {
 public:
  void Warn(const QString&, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
  SaveAnswer AskSave(const QString&) override { return SaveAnswer::No; }
  QString OpenFileName(const QString&) override { return {}; }
  QString SaveFileName(const QString&) override { return {}; }
};

void Raise(MainWindow& w, const char* dock) {
  if (auto* d = w.findChild<QDockWidget*>(QString::fromLatin1(dock))) d->raise();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("explore");
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 6;
  if (mode == "print") {
    // The printed pages of four overlaid runs, into the PDF file named.
    MainWindow p(std::make_unique<PdfChooser>(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("vantor.pdf")));
    p.Start(QStringLiteral(VANTOR_SOURCE_DIR "/data/"), QString());
    p.show();
    p.CommandBegin();
    for (float current : {1.0f, 3.0f, 4.0f}) {
      p.Parameters().SetValue(param::InjectedCurrent, current);
      p.CommandOverlay();
    }
    return p.PrintPicture() ? 0 : 1;
  }
  MainWindow w(std::make_unique<NoPrompts>());
  w.Start(QStringLiteral(VANTOR_SOURCE_DIR "/data/"), mode == "model" ? QStringLiteral("deepsetup") : QString());
  w.move(0, 0);
  w.show();
  QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
  QTimer mover;
  if (mode == "explore") {
    w.CommandBegin();
    w.Parameters().SetValue(param::InjectedCurrent, 3);
    w.CommandOverlay();
    Raise(w, "ExploreDock");
    // gK swept to and fro, a step every 40 ms.
    QSlider* slider = w.Explorer()->Slider(param::gK);
    const int base = slider->value();
    int step = base, dir = 2;
    QObject::connect(&mover, &QTimer::timeout, [&] {
      step += dir;
      if (step <= std::max(0, base - 60) || step >= std::min(ExplorerPanel::kSteps, base + 60)) dir = -dir;
      slider->setValue(step);
    });
    mover.start(40);
  } else if (mode == "zoom") {
    w.CommandBegin();
    w.Parameters().SetValue(param::InjectedCurrent, 3);
    w.CommandOverlay();
    w.ZoomTo(18, 34);
    w.SetCursorTime(24);
  } else if (mode == "every") {
    for (int r = 1; r < kTraceCount; ++r) w.Parameters().Trace(r).plot = 1;
    w.CommandBegin();
  } else if (mode == "model") {
    // The editor as the Other menu opens it, with two cells it refuses.
    QTimer::singleShot(600, &w, [] {
      auto* editor = dynamic_cast<ModelEditor*>(QApplication::activeModalWidget());
      if (editor == nullptr) return;
      editor->Field(2, 4)->setText(QStringLiteral("1e400"));
      editor->Field(5, 1)->setText(QStringLiteral("abc"));
      editor->Field(3, 1)->setFocus();
      editor->accept();
    });
    QTimer::singleShot(300, &w, [&w] { w.Dispatch(cmd::EditModel); });
  }
  return app.exec();
}
