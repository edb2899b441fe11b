// The teaching layer of the window: the Ions dialog's reversal potentials
// follow the typing, a drug shows in the run list and changes only its
// targets, the gate curves follow the Model Editor and the temperature, the
// report holds every run's measures, and every lesson opens and runs.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>

#include <cmath>
#include <set>

#include "app/dialogs/drugs_dialog.h"
#include "app/dialogs/field_text.h"
#include "app/dialogs/ion_potentials_panel.h"
#include "app/dialogs/model_editor.h"
#include "app/dialogs/parameter_dialog.h"
#include "app/gate_window.h"
#include "app/help_window.h"
#include "app/lessons.h"
#include "app/main_window.h"
#include "app/measures_panel.h"
#include "app/menu_table.h"
#include "app/run_list_panel.h"
#include "app_test_support.h"
#include "dialogs/modal_helpers.h"
#include "device/lab_report.h"
#include "vantor/analysis/measured_run.h"
#include "vantor/engine/stimulus_file.h"
#include "vantor/render/run_legend.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

namespace {

// RT/F in mV at `celsius`, from the constants themselves.
double RtOverF(double celsius) { return 1000.0 * 8.314462618 * (273.15 + celsius) / 96485.33212; }

double Shown(const IonPotentialsPanel* panel, const char* name) {
  return panel->Shown(QString::fromLatin1(name)).section(QLatin1Char(' '), 0, 0).toDouble();
}

// The parameter indices in which two runs differ.
std::set<int> Differing(const RecordedRun& a, const RecordedRun& b) {
  std::set<int> out;
  for (int k = 0; k < kParameterCount; ++k)
    if (a.parameters[static_cast<std::size_t>(k)] != b.parameters[static_cast<std::size_t>(k)]) out.insert(k);
  return out;
}

bool SameCurves(const GateChart& a, const GateChart& b) {
  if (a.curves.size() != b.curves.size()) return false;
  for (std::size_t i = 0; i < a.curves.size(); ++i)
    if (a.curves[i].inf != b.curves[i].inf || a.curves[i].tau != b.curves[i].tau) return false;
  return true;
}

}  // namespace

class TeachingTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }

  void ionsDialogFollowsTheTyping() {
    ParameterSet params;
    params.SetValue(param::Temperature, 6.3f);
    bool unsaved = false;
    ParameterDialog dialog(params, 3, unsaved, {}, nullptr);
    auto* panel = dialog.findChild<IonPotentialsPanel*>();
    QVERIFY(panel != nullptr);
    const double rtf = RtOverF(6.3);
    const double ki = params.Value(param::KIn), nao = params.Value(param::NaOut), nai = params.Value(param::NaIn);
    const double pk = params.Value(param::pKleak), pna = params.Value(param::pNaleak);
    QVERIFY(std::abs(Shown(panel, "E_Na") - rtf * std::log(nao / nai)) < 0.05);
    // [K]o typed: E_K and the GHK rest follow at once, before OK.
    dialog.Field(param::KOut)->setText(QStringLiteral("10"));
    QVERIFY2(std::abs(Shown(panel, "E_K") - rtf * std::log(10 / ki)) < 0.05, qPrintable(panel->Shown("E_K")));
    QVERIFY(std::abs(Shown(panel, "Rest") - rtf * std::log((pk * 10 + pna * nao) / (pk * ki + pna * nai))) < 0.05);
    QCOMPARE(params.Value(param::KOut), ParameterSet().Value(param::KOut));  // nothing stored yet
    // A field that is no number keeps its stored value, and the panel says so.
    const QString eNa = panel->Shown("E_Na");
    dialog.Field(param::NaOut)->setText(QStringLiteral("1x"));
    QCOMPARE(panel->Shown("E_Na"), eNa);
    QVERIFY(panel->findChildren<QLabel*>().last()->text().contains(dialog.Field(param::NaOut)->accessibleName()));
    // No concentration at all: the floor a run applies, never an infinity.
    dialog.Field(param::KOut)->setText(QStringLiteral("0"));
    QVERIFY(std::isfinite(Shown(panel, "E_K")) && !panel->Shown("E_K").contains(QStringLiteral("inf")));
  }

  void drugsDialogRefusesADoseItCannotTake() {
    DrugsDialog dialog({}, nullptr);
    dialog.Box(QStringLiteral("TTX"))->setChecked(true);
    dialog.Concentration(QStringLiteral("TTX"))->setText(QStringLiteral("lots"));
    QString caption, text;
    CaptureMessageBox(&caption, &text);
    dialog.accept();
    QVERIFY2(text.contains(QStringLiteral("lots")), qPrintable(text));
    QVERIFY(dialog.Doses().empty() && dialog.result() != QDialog::Accepted);
    dialog.Concentration(QStringLiteral("TTX"))->setText(QStringLiteral("300 nM"));
    dialog.accept();
    QCOMPARE(dialog.Doses().size(), std::size_t{1});
    QCOMPARE(dialog.Doses().front().molar, 300e-9);
  }

  void drugShowsInTheRunListAndChangesOnlyItsTargets() {
    TestWindow w;
    const float gNa = w->Parameters().Value(param::gNa);
    w->Dispatch(cmd::Begin);
    QVERIFY(w->MeasuresOfLastRun()->ValueText("spikes").toInt() > 0);
    DrugDose ttx;
    QVERIFY(ParseDrugDose("TTX=1uM", ttx).empty());
    w->SetDrugs({ttx});
    w->Dispatch(cmd::Overlay);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Completed);
    const std::vector<const RecordedRun*> runs = PictureRuns(w->RunRecords());
    QCOMPARE(runs.size(), std::size_t{2});
    const std::set<int> changed = Differing(*runs[0], *runs[1]);
    QVERIFY(changed.count(param::gNa) == 1);
    for (int k : changed) QVERIFY2(k == param::gNa || k == param::gNap, ParameterSet::ShortName(k));
    QCOMPARE(w->MeasuresOfLastRun()->ValueText("spikes"), QStringLiteral("0"));
    QCOMPARE(w->Parameters().Value(param::gNa), gNa);  // the user's value stays
    QVERIFY(w->RunList()->List()->topLevelItem(1)->text(0).startsWith(QStringLiteral("TTX 1")));
    QVERIFY(!w->RunList()->List()->topLevelItem(0)->text(0).contains(QStringLiteral("TTX")));
    // Washed out, the next run has the control values exactly.
    w->Dispatch(cmd::WashOut);
    w->Dispatch(cmd::Overlay);
    const std::vector<const RecordedRun*> after = PictureRuns(w->RunRecords());
    QCOMPARE(after.size(), std::size_t{3});
    QVERIFY(Differing(*after[0], *after[2]).empty());
    QVERIFY(!w->RunList()->List()->topLevelItem(2)->text(0).contains(QStringLiteral("TTX")));
  }

  void gateCurvesFollowTheModelEditorAndTheTemperature() {
    TestWindow w;
    w->Dispatch(cmd::GateCurves);
    GateCurvesWindow* gates = w->GateCurves();
    QVERIFY(gates != nullptr && gates->isVisible());
    gates->Choose({1, 2, 3});
    const GateChart before = gates->Chart();
    QCOMPARE(before.curves.size(), std::size_t{3});
    {
      ModelEditor editor(w->Gates(), w.window.get());
      w->OfferGateCurves(editor);
      QVERIFY(editor.findChild<QPushButton*>(QStringLiteral("gatecurves")) != nullptr);
      // A coefficient of mNa's rates typed anew: the chart shows it before OK.
      int column = 0;
      while (column < 7 && w->Gates().Coefficient(1, column) == 0) ++column;
      editor.Field(1, column)->setText(FieldText(2 * w->Gates().Coefficient(1, column) + 1));
      QVERIFY(!SameCurves(gates->Chart(), before));
      // A value no rate formula can use still draws.
      editor.Field(1, column)->setText(QStringLiteral("1e30"));
      QImage image(400, 300, QImage::Format_RGB32);
      gates->render(&image);
      editor.done(QDialog::Rejected);  // closed unapplied (its discard prompt is tested with the editor)
    }
    w->FollowGateTable();  // as the command does when the editor closes
    QVERIFY(SameCurves(gates->Chart(), before));  // Cancel: the table as it was
    // A colder cell: the same gates, slower.
    w->Parameters().SetValue(param::Temperature, 6.3f);
    w->FollowGateTable();
    const GateChart cold = gates->Chart();
    QCOMPARE(cold.celsius, 6.3f);
    const std::size_t mid = cold.curves[2].tau.size() / 2;
    QVERIFY(cold.curves[2].tau[mid] > 2 * before.curves[2].tau[mid]);
    for (std::size_t i = 0; i < cold.curves[2].inf.size(); ++i)
      QVERIFY(std::abs(cold.curves[2].inf[i] - before.curves[2].inf[i]) < 1e-6);
    // Exported as the main picture is: a PNG at the asked size.
    const QString png = QDir(work_.path()).filePath(QStringLiteral("gates.png"));
    QString error;
    QVERIFY2(gates->Export(png, error), qPrintable(error));
    QVERIFY(!QImage(png).isNull());
    gates->Choose({});  // no gate ticked: an empty chart, still drawn
    QVERIFY(gates->Chart().curves.empty());
    QVERIFY2(gates->Export(png, error), qPrintable(error));
  }

  void reportHoldsEveryRunsMeasures() {
    TestWindow w;
    w->Dispatch(cmd::Begin);
    w->Parameters().SetValue(param::InjectedCurrent, 3 * w->Parameters().Value(param::InjectedCurrent));
    w->Dispatch(cmd::Overlay);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Completed);
    const QString pdf = QDir(work_.path()).filePath(QStringLiteral("report.pdf"));
    const QString html = QDir(work_.path()).filePath(QStringLiteral("report.html"));
    QString error;
    QVERIFY2(w->WriteReport(pdf, html, error), qPrintable(error));
    QFile page(html), document(pdf);
    QVERIFY(page.open(QIODevice::ReadOnly) && document.open(QIODevice::ReadOnly));
    const std::string text = page.readAll().toStdString();
    QVERIFY(document.read(5) == "%PDF-");
    // Each run measured afresh from its parameters, as the command line would.
    const std::vector<const RecordedRun*> runs = PictureRuns(w->RunRecords());
    std::set<std::string> spikes;
    for (const RecordedRun* run : runs) {
      ParameterSet params = w->PictureParameters();
      for (int k = 0; k < kParameterCount; ++k) params.SetValue(k, run->parameters[static_cast<std::size_t>(k)]);
      const MeasuredRun measured = MeasureTrial(params, w->Gates());
      for (const MeasureInfo& info : MeasureTable()) {
        const std::string cell = std::string("<td>") + info.label + "</td><td>" +
                                 ReportMeasureText(measured.measures, info) + "</td>";
        QVERIFY2(text.find(cell) != std::string::npos, cell.c_str());
      }
      spikes.insert(ReportMeasureText(measured.measures, MeasureTable().front()));
    }
    QCOMPARE(spikes.size(), std::size_t{2});  // two different runs, not one twice
    QVERIFY(text.find("<td>step</td>") != std::string::npos);  // the parameter that differs
    // A folder that is not there: the reason, and no report.
    const QString missing = QDir(work_.path()).filePath(QStringLiteral("no/such/report.pdf"));
    QVERIFY(!w->WriteReport(missing, missing + ".html", error));
    QVERIFY2(error.contains(QStringLiteral("report.pdf")), qPrintable(error));
  }

  void everyLessonOpensWithItsPageAndRuns() {
    const QString folder = LessonsDirectory(QStringLiteral(VANTOR_BIN_DIR));
    QVERIFY(!folder.isEmpty());
    QFile help(QStringLiteral(VANTOR_SOURCE_DIR "/data/vantorw.html"));
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(help.readAll());
    TestWindow w;
    for (const Lesson& lesson : Lessons()) {
      const QString path = QDir(folder).filePath(QString::fromLatin1(lesson.file));
      QVERIFY2(w->OpenLesson(path), lesson.file);
      QVERIFY(page.contains(QStringLiteral("name=\"topic%1\"").arg(lesson.helpTopic)));
      HelpWindow* shown = w->findChild<HelpWindow*>();
      QVERIFY(shown == nullptr || shown->Browser()->source().fragment() == HelpAnchor(lesson.helpTopic));
      // The lesson's stimulus comes with it; a family runs one run per value,
      // each named after it.
      std::size_t expected = 1;
      QString named;
      const std::string companion = CompanionStimulusPath(QFile::encodeName(path).toStdString());
      if (QFileInfo::exists(QString::fromStdString(companion))) {
        const StimulusRead read = ReadStimulusFile(companion);
        QVERIFY(read.stimulus);
        QVERIFY2(w->CurrentStimulus() && *w->CurrentStimulus() == *read.stimulus, lesson.file);
        if (read.stimulus->family) {
          expected = read.stimulus->family->values.size();
          named = QStringLiteral("segment %1 ").arg(read.stimulus->family->target);
        }
      } else {
        QVERIFY2(!w->CurrentStimulus(), lesson.file);
      }
      w->Dispatch(expected > 1 ? cmd::Family : cmd::Begin);
      QVERIFY2(w->LastRunResult().outcome == RunOutcome::Completed, lesson.file);
      QCOMPARE(PictureRuns(w->RunRecords()).size(), expected);
      if (expected > 1) QVERIFY(w->RunList()->List()->topLevelItem(1)->text(0).startsWith(named));
    }
  }
};

QTEST_MAIN(TeachingTest)
#include "test_teaching.moc"
