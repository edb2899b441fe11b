// Small pieces the dialogs share: the "Bad Parameter" box, the texts it
// shows, the OK/Cancel button row and fitting a tall dialog on the screen.
#pragma once

#include <QList>
#include <QPushButton>
#include <QString>

#include <initializer_list>
#include <utility>
#include <vector>

class QBoxLayout;
class QRect;
class QDialog;
class QLineEdit;
class QScrollArea;
class QWidget;

namespace vantor {

class ParameterSet;

inline constexpr const char* kBadParameterCaption = "Bad Parameter";

// A field whose text does not begin with a number.
QString NotANumberMessage(const QString& fieldName);
QString NotANumberMessage(const ParameterSet& params, int index);
// A number beyond the single-precision range, in a field without limits.
QString TooLargeMessage(const QString& fieldName);

// The warning box over `parent`, then the focus on `field` with its whole
// text selected, so that the user types the value over the bad one.
void RefuseField(QWidget* parent, QLineEdit* field, const QString& text);

// A row of push buttons at the bottom of a dialog, in the given order, each
// named by its control number; the first one is the default (Enter).
QBoxLayout* ButtonRow(QDialog* dialog,
                      std::initializer_list<std::pair<QString, int>> buttons);
QBoxLayout* ButtonRow(QDialog* dialog, const std::vector<std::pair<QString, int>>& buttons);

// Puts `content` into `area` so that the dialog shows all of it when the
// screen is large enough and scrolls it otherwise. `reserved` is the height
// the rest of the dialog (buttons, margins, title bar) takes.
void FitOnScreen(QDialog* dialog, QScrollArea* area, QWidget* content, int reserved);
// The same for a given free area of a screen (logical pixels).
void FitInto(QScrollArea* area, QWidget* content, int reserved, const QRect& free);

// The frame of the table editors: `content` in a scroll area fitted to the
// screen, OK (1) and Cancel (2) below, and Tab going through `order` and
// then the two buttons (and `more` after them). Returns the scroll area.
QScrollArea* ScrollingEditorFrame(QDialog* dialog, QWidget* content, QList<QWidget*> order,
                                  std::initializer_list<std::pair<QString, int>> more = {});

}  // namespace vantor
