#include "app/dialogs/stimulus_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

#include "app/dialogs/dialog_support.h"
#include "app/dialogs/stimulus_preview.h"
#include "vantor/engine/stimulus_file.h"
#include "vantor/engine/stimulus_trace.h"

namespace vantor {
namespace {

// The fields of each kind by the stimulus file's names, in its order.
struct KindFields {
  const char* kind;
  std::vector<const char*> fields;
};
const std::array<KindFields, 7>& Kinds() {
  static const std::array<KindFields, 7> kinds = {{
      {"step", {"onset", "offset", "level"}},
      {"ramp", {"onset", "offset", "from", "to"}},
      {"train", {"onset", "count", "width", "interval", "amplitude"}},
      {"sine", {"onset", "offset", "amplitude", "frequency", "phase"}},
      {"chirp", {"onset", "offset", "amplitude", "f0", "f1", "sweep"}},
      {"noise", {"onset", "offset", "mean", "sd", "tau", "seed", "dt"}},
      {"waveform", {"file", "onset", "scale"}},
  }};
  return kinds;
}

// Every field once, as the table's columns after the kind.
const QStringList& Columns() {
  static const QStringList columns = {
      QStringLiteral("onset"), QStringLiteral("offset"),   QStringLiteral("level"),
      QStringLiteral("from"),  QStringLiteral("to"),       QStringLiteral("amplitude"),
      QStringLiteral("count"), QStringLiteral("width"),    QStringLiteral("interval"),
      QStringLiteral("frequency"), QStringLiteral("phase"), QStringLiteral("f0"),
      QStringLiteral("f1"),    QStringLiteral("sweep"),    QStringLiteral("mean"),
      QStringLiteral("sd"),    QStringLiteral("tau"),      QStringLiteral("seed"),
      QStringLiteral("dt"),    QStringLiteral("file"),     QStringLiteral("scale")};
  return columns;
}

const KindFields* KindNamed(const QString& name) {
  for (const KindFields& k : Kinds())
    if (name == QLatin1String(k.kind)) return &k;
  return nullptr;
}

// What a new row of a kind starts with.
QString Default(const QString& kind, const QString& field) {
  static const QHash<QString, QString> values = {
      {QStringLiteral("onset"), QStringLiteral("10")},   {QStringLiteral("offset"), QStringLiteral("60")},
      {QStringLiteral("level"), QStringLiteral("0.5")},  {QStringLiteral("from"), QStringLiteral("0")},
      {QStringLiteral("to"), QStringLiteral("1")},       {QStringLiteral("amplitude"), QStringLiteral("0.5")},
      {QStringLiteral("count"), QStringLiteral("5")},    {QStringLiteral("width"), QStringLiteral("2")},
      {QStringLiteral("interval"), QStringLiteral("10")}, {QStringLiteral("frequency"), QStringLiteral("10")},
      {QStringLiteral("phase"), QStringLiteral("0")},    {QStringLiteral("f0"), QStringLiteral("1")},
      {QStringLiteral("f1"), QStringLiteral("50")},      {QStringLiteral("sweep"), QStringLiteral("linear")},
      {QStringLiteral("mean"), QStringLiteral("0")},     {QStringLiteral("sd"), QStringLiteral("0.1")},
      {QStringLiteral("tau"), QStringLiteral("5")},      {QStringLiteral("seed"), QStringLiteral("1")},
      {QStringLiteral("dt"), QStringLiteral("0.1")},     {QStringLiteral("scale"), QStringLiteral("1")},
  };
  if (kind == QLatin1String("waveform") && field == QLatin1String("onset")) return QStringLiteral("0");
  return values.value(field);
}

// The words of a stimulus line: blanks separate them, quotes hold blanks.
QStringList Words(const QString& line) {
  QStringList words;
  QString word;
  bool quoted = false, any = false;
  for (const QChar c : line) {
    if (c == QLatin1Char('"')) {
      quoted = !quoted;
      any = true;
    } else if (!quoted && c.isSpace()) {
      if (any) words << word;
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words << word;
  return words;
}

QString Quoted(const QString& value) {
  return value.contains(QRegularExpression(QStringLiteral("[\\s#]"))) ? QLatin1Char('"') + value + QLatin1Char('"')
                                                                     : value;
}

constexpr double kPreviewPoints = 2e6;

constexpr int kFamilyNone = 0, kFamilyHolding = 1, kFamilyStep = 2, kFamilySegments = 3;

}  // namespace

StimulusDialog::StimulusDialog(const std::optional<Stimulus>& stimulus, const ParameterSet& params,
                               const QString& directory, QWidget* parent)
    : QDialog(parent), params_(params), directory_(directory), result_(stimulus) {
  setWindowTitle(tr("Stimulus"));
  auto* layout = new QVBoxLayout(this);

  auto* clamp = new QGroupBox(tr("Clamp"), this);
  auto* clampRow = new QHBoxLayout(clamp);
  current_ = new QRadioButton(tr("&Current clamp"), clamp);
  voltage_ = new QRadioButton(tr("&Voltage clamp"), clamp);
  auto* modes = new QButtonGroup(this);
  modes->addButton(current_);
  modes->addButton(voltage_);
  current_->setChecked(true);
  holding_ = new QLineEdit(QStringLiteral("0"), clamp);
  holding_->setObjectName(QStringLiteral("holding"));
  holdingUnit_ = new QLabel(clamp);
  series_ = new QLineEdit(QStringLiteral("0"), clamp);
  series_->setObjectName(QStringLiteral("series-resistance"));
  series_->setToolTip(tr("0 is an ideal clamp"));
  for (QLineEdit* e : {holding_, series_}) e->setMaximumWidth(90);
  clampRow->addWidget(current_);
  clampRow->addWidget(voltage_);
  clampRow->addSpacing(16);
  clampRow->addWidget(new QLabel(tr("&Holding level"), clamp));
  static_cast<QLabel*>(clampRow->itemAt(clampRow->count() - 1)->widget())->setBuddy(holding_);
  clampRow->addWidget(holding_);
  clampRow->addWidget(holdingUnit_);
  clampRow->addSpacing(16);
  auto* seriesLabel = new QLabel(tr("&Series resistance (MOhm)"), clamp);
  seriesLabel->setBuddy(series_);
  clampRow->addWidget(seriesLabel);
  clampRow->addWidget(series_);
  clampRow->addStretch(1);
  layout->addWidget(clamp);

  auto* segments = new QGroupBox(tr("Segments (added to the holding level; times in ms, "
                                    "frequencies in Hz)"),
                                 this);
  auto* segmentBox = new QVBoxLayout(segments);
  table_ = new QTableWidget(0, 1 + Columns().size(), segments);
  QStringList headers{tr("kind")};
  headers << Columns();
  table_->setHorizontalHeaderLabels(headers);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 10);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setMinimumHeight(150);
  segmentBox->addWidget(table_);
  auto* segmentButtons = new QHBoxLayout;
  auto* kindChoice = new QComboBox(segments);
  for (const KindFields& k : Kinds()) kindChoice->addItem(QString::fromLatin1(k.kind));
  auto* add = new QPushButton(tr("&Add segment"), segments);
  auto* remove = new QPushButton(tr("&Remove segment"), segments);
  add->setObjectName(QStringLiteral("add"));
  remove->setObjectName(QStringLiteral("remove"));
  for (QPushButton* b : {add, remove}) b->setAutoDefault(false);
  segmentButtons->addWidget(kindChoice);
  segmentButtons->addWidget(add);
  segmentButtons->addWidget(remove);
  segmentButtons->addStretch(1);
  segmentBox->addLayout(segmentButtons);
  layout->addWidget(segments, 1);
  connect(add, &QPushButton::clicked, this, [this, kindChoice] { AddSegment(kindChoice->currentText()); });
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = table_->currentRow() >= 0 ? table_->currentRow() : table_->rowCount() - 1;
    if (row >= 0) RemoveSegment(row);
  });

  auto* family = new QGroupBox(tr("Family (one run per value, drawn over one another)"), this);
  auto* familyRow = new QHBoxLayout(family);
  familyTarget_ = new QComboBox(family);
  familyValues_ = new QLineEdit(family);
  familyValues_->setObjectName(QStringLiteral("values"));
  familyValues_->setPlaceholderText(tr("-80:40:13 or -60,-40,-20"));
  auto* varies = new QLabel(tr("V&aries"), family);
  varies->setBuddy(familyTarget_);
  auto* over = new QLabel(tr("&over"), family);
  over->setBuddy(familyValues_);
  familyRow->addWidget(varies);
  familyRow->addWidget(familyTarget_);
  familyRow->addWidget(over);
  familyRow->addWidget(familyValues_, 1);
  layout->addWidget(family);

  preview_ = new StimulusPreview(this);
  previewNote_ = new QLabel(this);
  previewNote_->setWordWrap(true);
  layout->addWidget(preview_, 1);
  layout->addWidget(previewNote_);

  auto* buttons = ButtonRow(this, {{tr("OK"), 1}, {tr("Cancel"), 2}, {tr("C&lear"), 3}});
  layout->addLayout(buttons);
  connect(findChild<QPushButton*>(QStringLiteral("1")), &QPushButton::clicked, this, &QDialog::accept);
  connect(findChild<QPushButton*>(QStringLiteral("2")), &QPushButton::clicked, this, &QDialog::reject);
  connect(findChild<QPushButton*>(QStringLiteral("3")), &QPushButton::clicked, this, &StimulusDialog::Clear);

  connect(voltage_, &QRadioButton::toggled, this, [this] {
    UpdateClampFields();
    UpdatePreview();
  });
  for (QLineEdit* e : {holding_, series_, familyValues_})
    connect(e, &QLineEdit::textChanged, this, &StimulusDialog::UpdatePreview);
  connect(familyTarget_, &QComboBox::currentIndexChanged, this, &StimulusDialog::UpdatePreview);

  UpdateFamilyTargets();
  if (stimulus) Fill(*stimulus);
  UpdateClampFields();
  UpdatePreview();
  resize(980, 640);
}

void StimulusDialog::UpdateClampFields() {
  const bool voltage = voltage_->isChecked();
  series_->setEnabled(voltage);
  holdingUnit_->setText(voltage ? tr("mV") : tr("nA (added to the base current)"));
}

void StimulusDialog::UpdateFamilyTargets() {
  const int wanted = familyTarget_->currentIndex();
  const bool was = filling_;
  filling_ = true;
  familyTarget_->clear();
  familyTarget_->addItem(tr("nothing (no family)"));
  familyTarget_->addItem(tr("the holding level"));
  familyTarget_->addItem(tr("the parameters' step (current clamp)"));
  for (int r = 0; r < table_->rowCount(); ++r) familyTarget_->addItem(tr("the level of segment %1").arg(r + 1));
  familyTarget_->setCurrentIndex(wanted >= 0 && wanted < familyTarget_->count() ? wanted : 0);
  filling_ = was;
}

int StimulusDialog::AddSegment(const QString& kind) {
  const int row = table_->rowCount();
  table_->insertRow(row);
  auto* choice = new QComboBox(table_);
  for (const KindFields& k : Kinds()) choice->addItem(QString::fromLatin1(k.kind));
  choice->setCurrentText(kind);
  table_->setCellWidget(row, 0, choice);
  connect(choice, &QComboBox::currentTextChanged, this, [this, choice](const QString& text) {
    for (int r = 0; r < table_->rowCount(); ++r)
      if (table_->cellWidget(r, 0) == choice) SetKind(r, text);
    UpdatePreview();
  });
  SetKind(row, kind);
  UpdateFamilyTargets();
  UpdatePreview();
  return row;
}

void StimulusDialog::SetKind(int row, const QString& kind) {
  const KindFields* k = KindNamed(kind);
  if (k == nullptr) return;
  for (int c = 0; c < Columns().size(); ++c) {
    const QString& name = Columns()[c];
    const bool used = std::any_of(k->fields.begin(), k->fields.end(),
                                  [&](const char* f) { return name == QLatin1String(f); });
    // A field both kinds have keeps its value.
    QString keep;
    if (auto* old = qobject_cast<QLineEdit*>(table_->cellWidget(row, c + 1))) keep = old->text();
    table_->removeCellWidget(row, c + 1);
    if (!used) {
      auto* blank = new QTableWidgetItem;
      blank->setFlags(Qt::NoItemFlags);
      blank->setBackground(palette().window());
      table_->setItem(row, c + 1, blank);
      continue;
    }
    table_->setItem(row, c + 1, nullptr);
    auto* field = new QLineEdit(keep.isEmpty() ? Default(kind, name) : keep, table_);
    field->setFrame(false);
    field->setObjectName(name);
    connect(field, &QLineEdit::textChanged, this, &StimulusDialog::UpdatePreview);
    table_->setCellWidget(row, c + 1, field);
  }
}

void StimulusDialog::RemoveSegment(int row) {
  if (row < 0 || row >= table_->rowCount()) return;
  // A family on a later segment follows it up; one on this segment goes.
  const int target = familyTarget_->currentIndex();
  table_->removeRow(row);
  UpdateFamilyTargets();
  if (target == kFamilySegments + row) familyTarget_->setCurrentIndex(kFamilyNone);
  else if (target > kFamilySegments + row) familyTarget_->setCurrentIndex(target - 1);
  UpdatePreview();
}

QLineEdit* StimulusDialog::SegmentField(int row, const QString& name) const {
  const int c = Columns().indexOf(name);
  if (row < 0 || row >= table_->rowCount() || c < 0) return nullptr;
  return qobject_cast<QLineEdit*>(table_->cellWidget(row, c + 1));
}

void StimulusDialog::Clear() {
  filling_ = true;
  current_->setChecked(true);
  holding_->setText(QStringLiteral("0"));
  series_->setText(QStringLiteral("0"));
  table_->setRowCount(0);
  UpdateFamilyTargets();
  familyTarget_->setCurrentIndex(kFamilyNone);
  familyValues_->clear();
  filling_ = false;
  UpdateClampFields();
  UpdatePreview();
}

void StimulusDialog::Fill(const Stimulus& stimulus) {
  // The form from the file's own text, so that both always agree.
  filling_ = true;
  const QStringList lines = QString::fromStdString(StimulusText(stimulus)).split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    const QStringList words = Words(line);
    if (words.isEmpty()) continue;
    const QString& head = words[0];
    if (head == QLatin1String("clamp")) {
      (words.value(1) == QLatin1String("voltage") ? voltage_ : current_)->setChecked(true);
    } else if (head == QLatin1String("holding")) {
      holding_->setText(words.value(1));
    } else if (head == QLatin1String("series-resistance")) {
      series_->setText(words.value(1));
    } else if (head == QLatin1String("family")) {
      for (const QString& w : words.mid(1)) {
        const QString key = w.section(QLatin1Char('='), 0, 0), value = w.section(QLatin1Char('='), 1);
        if (key == QLatin1String("values")) familyValues_->setText(value);
        if (key != QLatin1String("target")) continue;
        UpdateFamilyTargets();
        familyTarget_->setCurrentIndex(value == QLatin1String("holding") ? kFamilyHolding
                                       : value == QLatin1String("step")  ? kFamilyStep
                                                                         : kFamilySegments + value.toInt() - 1);
      }
    } else if (KindNamed(head) != nullptr) {
      const int row = AddSegment(head);
      for (const QString& w : words.mid(1))
        if (QLineEdit* field = SegmentField(row, w.section(QLatin1Char('='), 0, 0)))
          field->setText(w.section(QLatin1Char('='), 1));
    }
  }
  filling_ = false;
}

QString StimulusDialog::Text(std::vector<QLineEdit*>& lineFields) const {
  // One line per field group; lineFields[i] is the field of line i + 1
  // (null where the line has several).
  QString text = QStringLiteral("vantor-stimulus 1\n");
  lineFields = {nullptr};
  const bool voltage = voltage_->isChecked();
  text += voltage ? QStringLiteral("clamp voltage\n") : QStringLiteral("clamp current\n");
  lineFields.push_back(nullptr);
  auto single = [](const QString& s) { return s.trimmed().isEmpty() ? QStringLiteral("\"\"") : Quoted(s.trimmed()); };
  text += QStringLiteral("holding ") + single(holding_->text()) + QLatin1Char('\n');
  lineFields.push_back(holding_);
  if (voltage) {
    text += QStringLiteral("series-resistance ") + single(series_->text()) + QLatin1Char('\n');
    lineFields.push_back(series_);
  }
  for (int r = 0; r < table_->rowCount(); ++r) {
    const QString kind = static_cast<QComboBox*>(table_->cellWidget(r, 0))->currentText();
    QString line = kind;
    for (const char* f : KindNamed(kind)->fields) {
      const QString value = SegmentField(r, QString::fromLatin1(f))->text().trimmed();
      if (value.isEmpty()) continue;  // optional fields may be left empty
      line += QLatin1Char(' ') + QString::fromLatin1(f) + QLatin1Char('=') + Quoted(value);
    }
    text += line + QLatin1Char('\n');
    lineFields.push_back(nullptr);
  }
  const int target = familyTarget_->currentIndex();
  if (target > kFamilyNone) {
    text += QStringLiteral("family target=");
    text += target == kFamilyHolding ? QStringLiteral("holding")
            : target == kFamilyStep  ? QStringLiteral("step")
                                     : QString::number(target - kFamilySegments + 1);
    QString values = familyValues_->text().simplified().remove(QLatin1Char(' '));
    text += QStringLiteral(" values=") + (values.isEmpty() ? QStringLiteral("\"\"") : Quoted(values)) +
            QLatin1Char('\n');
    lineFields.push_back(familyValues_);
  }
  return text;
}

std::optional<Stimulus> StimulusDialog::Read(QString& message, QLineEdit*& field) const {
  std::vector<QLineEdit*> lineFields;
  const QString text = Text(lineFields);
  field = nullptr;
  // A quote would end the file's value early.
  for (int r = 0; r < table_->rowCount(); ++r)
    for (int c = 1; c <= Columns().size(); ++c)
      if (auto* e = qobject_cast<QLineEdit*>(table_->cellWidget(r, c));
          e != nullptr && e->text().contains(QLatin1Char('"'))) {
        field = e;
        message = tr("Segment %1, field %2: a quote cannot be written.").arg(r + 1).arg(Columns()[c - 1]);
        return std::nullopt;
      }
  const StimulusRead read =
      ParseStimulus(text.toStdString(), "stimulus", QFile::encodeName(directory_).toStdString());
  if (read.stimulus) return read.stimulus;
  // "stimulus, line N, field F: why": back to the form's row and field.
  static const QRegularExpression where(QStringLiteral("^stimulus, line (\\d+)(?:, field ([\\w-]+))?: (.*)$"),
                                        QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch m = where.match(QString::fromStdString(read.error));
  if (!m.hasMatch()) {
    message = QString::fromStdString(read.error);
    return std::nullopt;
  }
  const int line = m.captured(1).toInt();
  const QString name = m.captured(2), why = m.captured(3);
  const int firstSegmentLine = voltage_->isChecked() ? 5 : 4;
  const int row = line - firstSegmentLine;
  if (row >= 0 && row < table_->rowCount()) {
    const QString kind = static_cast<QComboBox*>(table_->cellWidget(row, 0))->currentText();
    field = SegmentField(row, name);
    message = name.isEmpty() ? tr("Segment %1 (%2): %3.").arg(row + 1).arg(kind, why)
                             : tr("Segment %1 (%2), field %3: %4.").arg(row + 1).arg(kind, name, why);
    return std::nullopt;
  }
  if (line >= 1 && line <= static_cast<int>(lineFields.size())) field = lineFields[line - 1];
  const QString label = field == holding_         ? tr("Holding level")
                        : field == series_        ? tr("Series resistance")
                        : field == familyValues_  ? tr("Family")
                                                  : tr("Stimulus");
  message = name.isEmpty() || field == holding_ || field == series_
                ? tr("%1: %2.").arg(label, why)
                : tr("%1, field %2: %3.").arg(label, name, why);
  return std::nullopt;
}

void StimulusDialog::UpdatePreview() {
  if (filling_) return;
  QString message;
  QLineEdit* field = nullptr;
  const std::optional<Stimulus> read = Read(message, field);
  if (!read) {
    previewNote_->setText(tr("Not drawn: %1").arg(message));
    preview_->Show({}, params_.Value(param::TrialDuration), QString());
    return;
  }
  // Noise on a fine grid or a long waveform is laid out anew for every
  // picture: beyond a few million points the picture waits for OK.
  for (std::size_t i = 0; i < read->segments.size(); ++i) {
    const Segment& s = read->segments[i];
    const double points = s.kind == SegmentKind::Noise ? (s.offset - s.onset) / s.dt
                                                       : static_cast<double>(s.times.size());
    if (points > kPreviewPoints) {
      previewNote_->setText(tr("Not drawn as you type: segment %1 has more than %2 million points.")
                                .arg(i + 1)
                                .arg(kPreviewPoints / 1e6));
      preview_->Show({}, params_.Value(param::TrialDuration), QString());
      return;
    }
  }
  std::vector<StimulusTrace> traces;
  const std::vector<FamilyMember> members = ExpandFamily(*read);
  for (const FamilyMember& m : members) traces.push_back(SampleStimulus(m.stimulus, params_, m.parameterStep));
  const bool voltage = read->mode == ClampMode::Voltage;
  previewNote_->setText(
      (voltage ? tr("The command potential over the trial") : tr("The injected current over the trial, the "
                                                                 "parameters' base current and step included")) +
      (members.size() > 1 ? tr("; %1 family members.").arg(members.size()) : QStringLiteral(".")));
  preview_->Show(std::move(traces), params_.Value(param::TrialDuration), voltage ? tr("mV") : tr("nA"));
}

void StimulusDialog::accept() {
  QString message;
  QLineEdit* field = nullptr;
  std::optional<Stimulus> read = Read(message, field);
  if (!read) {
    if (field != nullptr) {
      RefuseField(this, field, message);
    } else {
      QMessageBox::warning(this, QString::fromLatin1(kBadParameterCaption), message);
    }
    return;
  }
  const bool plain = read->mode == ClampMode::Current && read->holding == 0 && read->segments.empty() &&
                     !read->family;
  if (plain) result_.reset();
  else result_ = std::move(read);
  QDialog::accept();
}

bool RunStimulusDialog(std::optional<Stimulus>& stimulus, const ParameterSet& params,
                       const QString& directory, QWidget* parent) {
  StimulusDialog dialog(stimulus, params, directory, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  const bool changed = dialog.Result().has_value() != stimulus.has_value() ||
                       (stimulus && !(*dialog.Result() == *stimulus));
  stimulus = dialog.Result();
  return changed;
}

}  // namespace vantor
