// The stimulus in the window: the dialog drives the next run and refuses a
// bad field by name, the companion file is written on save and read on
// open, and Run > Family ends a voltage-clamp family with its curves.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPrinter>
#include <QTimer>

#include "app/dialogs/modal_helpers.h"
#include "app/dialogs/stimulus_dialog.h"
#include "app/dialogs/stimulus_preview.h"
#include "app/iv_window.h"
#include "app/menu_table.h"
#include "app/print_copy.h"
#include "app/run_list_panel.h"
#include "app_test_support.h"
#include "vantor/engine/stimulus_file.h"
#include "vantor/render/run_record.h"

#include <QTreeWidget>

using namespace vantor;
using namespace vantor::app;
using namespace vantor::testing;

namespace {

// A voltage clamp at -70 mV with one step, relative, over the parameters' step times.
Stimulus ClampStep(const ParameterSet& p, double level) {
  Stimulus s;
  s.mode = ClampMode::Voltage;
  s.holding = -70;
  Segment step;
  step.onset = p.Value(param::StepOnset);
  step.offset = p.Value(param::StepOffset);
  step.level = level;
  s.segments.push_back(step);
  return s;
}

}  // namespace

class StimulusTest : public QObject {
  Q_OBJECT

  QTemporaryDir work_;

 private slots:
  void initTestCase() { UseScratchWorkingDirectory(work_); }
  void cleanup() { QCOMPARE(RecordFiles(), QStringList()); }

  void aStimulusTypedInTheDialogDrivesTheNextRun() {
    TestWindow w;
    const float onset = w->Parameters().Value(param::StepOnset);
    const float offset = w->Parameters().Value(param::StepOffset);
    WhenModal("vantor::StimulusDialog", [&](QWidget* widget) {
      auto* d = static_cast<StimulusDialog*>(widget);
      d->VoltageClamp()->setChecked(true);
      d->Holding()->setText(QStringLiteral("-65"));
      const int row = d->AddSegment(QStringLiteral("step"));
      d->SegmentField(row, QStringLiteral("onset"))->setText(QString::number(onset));
      d->SegmentField(row, QStringLiteral("offset"))->setText(QString::number(offset));
      d->SegmentField(row, QStringLiteral("level"))->setText(QStringLiteral("25"));
      // The picture follows the form: one trace reaching -40 mV.
      QCOMPARE(d->Preview()->Traces().size(), std::size_t{1});
      const auto& levels = d->Preview()->Traces()[0].levels;
      QCOMPARE(*std::max_element(levels.begin(), levels.end()), -40.0);
      QCOMPARE(*std::min_element(levels.begin(), levels.end()), -65.0);
      d->accept();
    });
    w->Dispatch(cmd::Stimulus);
    QVERIFY(w->CurrentStimulus().has_value());
    QVERIFY(w->Unsaved());
    w->Dispatch(cmd::Begin);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Completed);
    // The ideal clamp holds V-m at the command: -65 mV, then -40 in the step.
    const auto samples = ReadRunRecord(w->RunRecords().current.recordName);
    QVERIFY(samples && samples->size() > 10);
    int inStep = 0, before = 0;
    for (const RunSample& s : *samples) {
      const float t = s[slot::Time];
      if (t > onset + 0.5f && t < offset - 0.5f) {
        QVERIFY(std::fabs(s[slot::V] + 40.0f) < 1e-3f);
        ++inStep;
      } else if (t > 0.5f && t < onset - 0.5f) {
        QVERIFY(std::fabs(s[slot::V] + 65.0f) < 1e-3f);
        ++before;
      }
    }
    QVERIFY(inStep > 0 && before > 0);
  }

  void aBadFieldIsRefusedWithItsName() {
    EnsureApp();
    ParameterSet params;
    StimulusDialog d(std::nullopt, params, work_.path(), nullptr);
    const int row = d.AddSegment(QStringLiteral("train"));
    d.SegmentField(row, QStringLiteral("width"))->setText(QStringLiteral("-1"));
    QString message;
    QLineEdit* field = nullptr;
    QVERIFY(!d.Read(message, field));
    QCOMPARE(message, QStringLiteral("Segment 1 (train), field width: must be more than 0 ms."));
    QCOMPARE(field, d.SegmentField(row, QStringLiteral("width")));
    QVERIFY(d.PreviewNote()->text().startsWith(QStringLiteral("Not drawn: Segment 1")));
    // OK shows the box and keeps the dialog open.
    QString caption, text;
    d.SegmentField(row, QStringLiteral("width"))->setText(QStringLiteral("2"));
    d.Holding()->setText(QStringLiteral("abc"));
    CaptureMessageBox(&caption, &text);
    d.accept();
    QCOMPARE(caption, QStringLiteral("Bad Parameter"));
    QCOMPARE(text, QStringLiteral("Holding level: not a number: abc."));
    QVERIFY(d.result() != QDialog::Accepted);
    // A family on a segment that is not there is named as the family's.
    d.Holding()->setText(QStringLiteral("0"));
    d.FamilyTarget()->setCurrentIndex(3);  // segment 1
    d.FamilyValues()->setText(QStringLiteral("1:2:x"));
    QVERIFY(!d.Read(message, field));
    QVERIFY2(message.startsWith(QStringLiteral("Family, field values:")), qPrintable(message));
    QCOMPARE(field, d.FamilyValues());
    // The parameters' step drives current clamp only.
    d.VoltageClamp()->setChecked(true);
    d.FamilyTarget()->setCurrentIndex(2);
    d.FamilyValues()->setText(QStringLiteral("1,2"));
    QVERIFY(!d.Read(message, field));
    QVERIFY2(message.startsWith(QStringLiteral("Family, field target: step")), qPrintable(message));
    // Another kind keeps the fields both have and shows only its own.
    auto* kind = static_cast<QComboBox*>(d.Segments()->cellWidget(row, 0));
    d.SegmentField(row, QStringLiteral("onset"))->setText(QStringLiteral("7"));
    kind->setCurrentText(QStringLiteral("step"));
    QCOMPARE(d.SegmentField(row, QStringLiteral("onset"))->text(), QStringLiteral("7"));
    QVERIFY(d.SegmentField(row, QStringLiteral("width")) == nullptr);
    QVERIFY(d.SegmentField(row, QStringLiteral("level")) != nullptr);
    // A waveform file that is not there is named by the segment's file field.
    d.FamilyTarget()->setCurrentIndex(0);
    const int wave = d.AddSegment(QStringLiteral("waveform"));
    d.SegmentField(wave, QStringLiteral("file"))->setText(QStringLiteral("no such wave.txt"));
    QVERIFY(!d.Read(message, field));
    QVERIFY2(message.startsWith(QStringLiteral("Segment 2 (waveform), field file: ")), qPrintable(message));
    QCOMPARE(field, d.SegmentField(wave, QStringLiteral("file")));
  }

  void aWaveformKeepsItsFileWhenSavedElsewhere() {
    QFile wave(work_.filePath(QStringLiteral("wave.txt")));
    QVERIFY(wave.open(QIODevice::WriteOnly));
    wave.write("0 0\n5 1\n10 0\n");
    wave.close();
    QVERIFY(QDir(work_.path()).mkpath(QStringLiteral("elsewhere")));
    const QString path = work_.filePath(QStringLiteral("elsewhere/played.vt4"));
    {
      TestWindow w;  // untitled: a name without a folder is the working folder's
      EnsureApp();
      StimulusDialog d(std::nullopt, w->Parameters(), QDir::currentPath(), nullptr);
      d.SegmentField(d.AddSegment(QStringLiteral("waveform")), QStringLiteral("file"))->setText(QStringLiteral("wave.txt"));
      d.accept();
      QVERIFY(d.Result().has_value());
      w->SetStimulus(d.Result());
      w.prompts->saveNames = {path};
      QVERIFY(w->CommandSaveAs());
    }
    TestWindow w;
    w->OpenPath(path);
    QVERIFY(w.log->warnings.isEmpty());
    QVERIFY(w->CurrentStimulus().has_value());
    QCOMPARE(w->CurrentStimulus()->segments.at(0).times.size(), std::size_t{3});
  }

  void saveWritesTheCompanionAndOpenReadsIt() {
    const QString path = work_.filePath(QStringLiteral("clamped.vt4"));
    const QString companion = work_.filePath(QStringLiteral("clamped.vtp"));
    Stimulus stimulus;
    {
      TestWindow w;
      stimulus = ClampStep(w->Parameters(), 30);
      stimulus.family = Family{1, {10, 20}, std::nullopt, 0};
      w->SetStimulus(stimulus);
      w.prompts->saveNames = {path};
      QVERIFY(w->CommandSaveAs());
      QVERIFY(QFile::exists(companion));
    }
    {
      TestWindow w;
      w->OpenPath(path);
      QVERIFY(w->CurrentStimulus().has_value());
      QVERIFY(*w->CurrentStimulus() == stimulus);
      // The dialog shows it as read and OK leaves it unchanged.
      StimulusDialog d(w->CurrentStimulus(), w->Parameters(), work_.path(), nullptr);
      QVERIFY(d.VoltageClamp()->isChecked());
      QCOMPARE(d.Segments()->rowCount(), 1);
      QCOMPARE(d.Preview()->Traces().size(), std::size_t{2});
      d.accept();
      QVERIFY(d.Result() && *d.Result() == stimulus);
      // Cleared and saved: the companion stays (it is the user's), said once.
      w->SetStimulus(std::nullopt);
      QVERIFY(w->CommandSave());
      QVERIFY(QFile::exists(companion));
      QCOMPARE(w.log->warnings.size(), 1);
      QVERIFY(w.log->warnings[0].contains(QStringLiteral("was left as it is")));
    }
    // A companion written by hand and not changed stays as it was written.
    const QByteArray byHand = "vantor-stimulus 1\n# mine\nclamp voltage\nholding -60\n";
    {
      QFile file(companion);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(byHand);
    }
    {
      TestWindow w;
      w->OpenPath(path);
      QCOMPARE(w->CurrentStimulus()->holding, -60.0);
      QVERIFY(w->CommandSave());
      QFile file(companion);
      QVERIFY(file.open(QIODevice::ReadOnly));
      QCOMPARE(file.readAll(), byHand);
    }
    // A file saved without a stimulus writes none.
    TestWindow w;
    w.prompts->saveNames = {work_.filePath(QStringLiteral("plain.vt4"))};
    QVERIFY(w->CommandSaveAs());
    QVERIFY(!QFile::exists(work_.filePath(QStringLiteral("plain.vtp"))));
    // A companion that cannot be read is said, and the file opens without it.
    QFile bad(work_.filePath(QStringLiteral("plain.vtp")));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("vantor-stimulus 1\nstep onset=1\n");
    bad.close();
    w->OpenPath(work_.filePath(QStringLiteral("plain.vt4")));
    QVERIFY(!w->CurrentStimulus());
    QVERIFY(w.log->warnings.last().contains(QStringLiteral("line 2, field offset: is missing")));
  }

  void aVoltageClampFamilyOpensTheCurvesWithOnePointPerLevel() {
    TestWindow w;
    Stimulus s = ClampStep(w->Parameters(), 0);
    Family f;
    f.target = 1;
    f.range = Family::Range{10, 110, 6};
    for (int i = 0; i < 6; ++i) f.values.push_back(10 + 20 * i);
    s.family = f;
    w->SetStimulus(s);
    w->Dispatch(cmd::Family);
    QCOMPARE(w->RunsStarted(), 6);
    QCOMPARE(static_cast<int>(w->RunRecords().overlays.size()), 5);
    // Each run is named by its level in the run list.
    QCOMPARE(w->RunList()->List()->topLevelItemCount(), 6);
    QVERIFY(w->RunList()->List()->topLevelItem(5)->text(0).contains(QStringLiteral("110")));
    IvWindow* curves = w->CurvesWindow();
    QVERIFY(curves != nullptr);
    const IvChart& chart = curves->Chart();
    QCOMPARE(chart.levels, (std::vector<double>{-60, -40, -20, 0, 20, 40}));
    QCOMPARE(chart.peaks.size(), std::size_t{6});
    QCOMPARE(chart.steadies.size(), std::size_t{6});
    // Inward (sodium) peaks near -20 mV, next to none at -60 mV; outward
    // (potassium) above 0 mV.
    QVERIFY(chart.peaks[2] < -10 * std::fabs(chart.peaks[0]));
    QVERIFY(chart.peaks[4] > 0 && chart.peaks[5] > 0);
    QVERIFY(curves->TableText().count(QLatin1Char('\n')) == 8);
    // Copied as a picture with its table; printed as one page.
    curves->Copy();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    QVERIFY(copied->hasImage() && copied->hasFormat(QStringLiteral("image/svg+xml")));
    QVERIFY(copied->text().startsWith(QStringLiteral("level (mV)\tpeak (nA)")));
    struct Pdf : PrinterChooser {
      QString path;
      bool Choose(QPrinter& printer, QWidget*) override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
      }
    } pdf;
    pdf.path = work_.filePath(QStringLiteral("curves.pdf"));
    QVERIFY(curves->Print(pdf));
    QVERIFY(QFileInfo(pdf.path).size() > 1000);
  }

  void stopOrClosingEndsAFamilyWithoutCurves() {
    TestWindow w;
    w->Parameters().SetValue(param::TrialDuration, 100000);
    Stimulus s = ClampStep(w->Parameters(), 50);
    s.family = Family{Family::kHolding, {-80, -70, -60}, std::nullopt, 0};
    w->SetStimulus(s);
    QTimer::singleShot(0, w.window.get(), [&] { w->Dispatch(cmd::Stop); });
    w->Dispatch(cmd::Family);
    QCOMPARE(w->RunsStarted(), 1);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::Stopped);
    QVERIFY(w->CurvesWindow() == nullptr);
    QVERIFY(!w->Running());
    // Closing the window ends the family as well (its changes are not saved).
    w.prompts->saveAnswers = {SaveAnswer::No};
    QTimer::singleShot(0, w.window.get(), [&] { w->close(); });
    w->Dispatch(cmd::Family);
    QCOMPARE(w->RunsStarted(), 2);
    QCOMPARE(w->LastRunResult().outcome, RunOutcome::WindowClosed);
    QVERIFY(w->CurvesWindow() == nullptr);
  }
};

QTEST_MAIN(StimulusTest)
#include "test_stimulus.moc"
