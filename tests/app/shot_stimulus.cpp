#include <QApplication>
#include <QProcess>
#include <QTimer>
#include "app/dialogs/stimulus_dialog.h"
#include "app/iv_window.h"
#include "app/menu_table.h"
#include "app/main_window.h"
using namespace vantor;
static void Settle(int ms) { QEventLoop l; QTimer::singleShot(ms, &l, &QEventLoop::quit); l.exec(); }
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app::MainWindow w;
  w.Start(QStringLiteral(VANTOR_BIN_DIR), QString());
  w.show();
  Settle(300);
  w.Parameters().SetValue(param::gK, 0);
  w.Parameters().SetValue(param::Model, 4);
  Stimulus s;
  s.mode = ClampMode::Voltage; s.holding = -80;
  Segment st; st.onset = w.Parameters().Value(param::StepOnset); st.offset = w.Parameters().Value(param::StepOffset); st.level = 0;
  s.segments.push_back(st);
  Family f; f.target = 1; f.range = Family::Range{20, 120, 11};
  for (int i = 0; i < 11; ++i) f.values.push_back(20 + 10 * i);
  s.family = f;
  w.SetStimulus(s);
  {
    StimulusDialog d(s, w.Parameters(), QDir::currentPath(), &w);
    d.resize(1180, 640); d.move(20, 20); d.show();
    Settle(800);
    QProcess::execute("import", {"-window", "root", argv[1]});
  }
  w.Dispatch(app::cmd::Family);
  auto* c = w.CurvesWindow();
  c->resize(1100, 600); c->move(20, 20); c->raise();
  Settle(800);
  QProcess::execute("import", {"-window", "root", argv[2]});
  return 0;
}
