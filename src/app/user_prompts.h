// Everything the shell asks the user or tells them through a modal box or a
// file dialog. The window uses QtPrompts; tests give it a scripted one.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include "vantor/params/messages.h"

class QWidget;

namespace vantor::app {

enum class SaveAnswer { Yes, No, Cancel };

// The sides an exported picture may have, as the command line's --size.
constexpr int kLeastPictureSide = 100;
constexpr int kGreatestPictureSide = 20000;

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;
  // A modal warning box with an OK button.
  virtual void Warn(const QString& caption, const QString& text) = 0;
  // The save prompt: caption "VTWin", Yes, No and Cancel.
  virtual SaveAnswer AskSave(const QString& text) = 0;
  // The open-file dialog starting in `directory`; empty when cancelled.
  virtual QString OpenFileName(const QString& directory) = 0;
  // The save-file dialog proposing `proposed`; empty when cancelled.
  virtual QString SaveFileName(const QString& proposed) = 0;
  // A save-file dialog for an export with its own `filters` (the first
  // chosen); empty when cancelled, as it is for prompts that offer none.
  virtual QString ExportFileName(const QString& /*proposed*/, const QStringList& /*filters*/) {
    return {};
  }
  // The size of an exported picture in pixels, proposing the picture's size
  // on screen; an invalid size when cancelled. Prompts that ask nothing take
  // the proposal.
  virtual QSize PictureSize(QSize proposed) { return proposed; }
};

// The filter list of the parameter files, in the dialogs' order.
QStringList ParameterFileFilters();
// The filter of ParameterFileFilters() an open dialog on `directory` starts
// with: the first one that shows every parameter file there, so that a
// folder of version 4 files does not look empty.
QString OpenFilterFor(const QString& directory);
// A name chosen in the save dialog without an extension gets the default one.
QString WithDefaultExtension(const QString& path);

class QtPrompts : public UserPrompts {
 public:
  explicit QtPrompts(QWidget* owner) : owner_(owner) {}
  void Warn(const QString& caption, const QString& text) override;
  SaveAnswer AskSave(const QString& text) override;
  QString OpenFileName(const QString& directory) override;
  QString SaveFileName(const QString& proposed) override;
  QString ExportFileName(const QString& proposed, const QStringList& filters) override;
  QSize PictureSize(QSize proposed) override;

 private:
  QWidget* owner_;
};

// The file readers' messages (code page 437 bytes) as boxes of `prompts`.
class PromptMessages : public Messages {
 public:
  explicit PromptMessages(UserPrompts& prompts) : prompts_(prompts) {}
  void Warn(std::string_view caption, std::string_view text) override;

 private:
  UserPrompts& prompts_;
};

}  // namespace vantor::app
