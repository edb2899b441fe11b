#include "app/user_prompts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>

#include <algorithm>

#include "device/painter_device.h"
#include "vantor/params/parameter_file.h"

namespace vantor::app {

QStringList ParameterFileFilters() {
  QStringList filters;
  for (const ParameterFileType& type : kParameterFileTypes) {
    // "*.vts;*.VTS" in the patterns; Qt separates them with blanks.
    QString pattern = QString::fromLatin1(type.pattern).replace(';', ' ');
    QString description = QString::fromLatin1(type.description);
    const int open = description.indexOf('(');
    if (open > 0) description = description.left(open).trimmed();
    filters << QStringLiteral("%1 (%2)").arg(description, pattern);
  }
  return filters;
}

QString OpenFilterFor(const QString& directory) {
  const QStringList filters = ParameterFileFilters();
  QStringList patterns;  // one pattern list per filter, as QDir takes it
  for (const ParameterFileType& type : kParameterFileTypes)
    patterns << QString::fromLatin1(type.pattern);
  const QDir folder(directory);
  const QStringList all = folder.entryList(patterns.last().split(';'), QDir::Files);
  for (qsizetype i = 0; i < filters.size() && i < patterns.size(); ++i)
    if (folder.entryList(patterns[i].split(';'), QDir::Files).size() == all.size()) return filters[i];
  return filters.last();
}

QString WithDefaultExtension(const QString& path) {
  if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
  return path + "." + QString::fromLatin1(kDefaultParameterExtension);
}

void QtPrompts::Warn(const QString& caption, const QString& text) {
  QMessageBox::warning(owner_, caption, text);
}

SaveAnswer QtPrompts::AskSave(const QString& text) {
  const auto answer = QMessageBox::question(
      owner_, QString::fromLatin1(kShellCaption.data(), kShellCaption.size()), text,
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Yes) return SaveAnswer::Yes;
  if (answer == QMessageBox::No) return SaveAnswer::No;
  return SaveAnswer::Cancel;
}

QString QtPrompts::OpenFileName(const QString& directory) {
  QFileDialog dialog(owner_, QString(), directory);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilters(ParameterFileFilters());
  dialog.selectNameFilter(OpenFilterFor(directory));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString QtPrompts::SaveFileName(const QString& proposed) {
  QFileDialog dialog(owner_, QString(), proposed);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(ParameterFileFilters());
  dialog.setDefaultSuffix(QString::fromLatin1(kDefaultParameterExtension));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return WithDefaultExtension(dialog.selectedFiles().first());
}

QString QtPrompts::ExportFileName(const QString& proposed, const QStringList& filters) {
  QFileDialog dialog(owner_, QString(), proposed);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  // The filter picks the format: a name without an extension gets its own.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    const int star = filter.indexOf(QStringLiteral("*."));
    if (star >= 0) dialog.setDefaultSuffix(filter.mid(star + 2).section(QLatin1Char(')'), 0, 0).section(QLatin1Char(' '), 0, 0));
  });
  if (!filters.isEmpty()) emit dialog.filterSelected(filters.first());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QSize QtPrompts::PictureSize(QSize proposed) {
  QDialog dialog(owner_);
  dialog.setWindowTitle(QObject::tr("Export Picture"));
  auto* width = new QSpinBox(&dialog);
  auto* height = new QSpinBox(&dialog);
  // The command line's --size takes the same range.
  for (QSpinBox* box : {width, height}) {
    box->setRange(kLeastPictureSide, kGreatestPictureSide);
    box->setSuffix(QObject::tr(" px"));
  }
  width->setValue(std::clamp(proposed.width(), kLeastPictureSide, kGreatestPictureSide));
  height->setValue(std::clamp(proposed.height(), kLeastPictureSide, kGreatestPictureSide));
  auto* form = new QFormLayout(&dialog);
  form->addRow(new QLabel(QObject::tr("The picture's size in pixels, as the command line's --size takes it "
                                      "(the window shows %1 by %2):")
                              .arg(proposed.width())
                              .arg(proposed.height())));
  form->addRow(QObject::tr("&Width:"), width);
  form->addRow(QObject::tr("&Height:"), height);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return {};
  return QSize(width->value(), height->value());
}

void PromptMessages::Warn(std::string_view caption, std::string_view text) {
  prompts_.Warn(PictureText(caption), PictureText(text));
}

}  // namespace vantor::app
