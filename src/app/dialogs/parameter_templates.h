// The six parameter dialogs as data: which parameter each field edits, the
// fixed label beside it, where the separators and the second column stand,
// and which picture and help topic belong to the dialog.
#pragma once

#include <vector>

namespace vantor {

// Command numbers of the dialogs (menu ids).
namespace command {
inline constexpr int Comment = 401;
inline constexpr int Protocol = 402;
inline constexpr int Conductances = 403;
inline constexpr int SynapticCurrents = 404;
inline constexpr int Ions = 405;
inline constexpr int MiscParameters = 602;
}  // namespace command

struct TemplateEntry {
  enum Kind { Field, Separator, NextColumn };
  Kind kind = Field;
  int index = -1;             // the parameter a field edits
  const char* label = "";     // UTF-8
};

struct ParameterTemplate {
  const char* name;   // "PROTOCOL" ...
  const char* title;  // "Protocol" ...
  int groupRow;
  std::vector<TemplateEntry> entries;  // top to bottom, left column first
};

// The template of group row 0 .. 5.
const ParameterTemplate& TemplateForGroup(int row);
// The group row a command opens: 404 gives row 4 in extended mode, else 2.
// -1 for a command that opens no parameter dialog.
int GroupRowForCommand(int command, bool extendedMode);
// The picture of a command: 920 plus its offset from 402, at most 3, with
// 602 counting as 407.
int PictureForCommand(int command);
// The picture of a group row, as its command shows it.
int PictureForGroup(int row);
// Help topic (context number) of a group row: 80 + 2 x row.
inline int HelpTopicForGroup(int row) { return 80 + 2 * row; }
// What a field's fixed label leaves unsaid or says wrongly, shown beside the
// field: a short text (a unit, a range) and a tooltip. Empty texts for a
// field that needs none.
struct FieldNote {
  const char* shown = "";    // UTF-8
  const char* tooltip = "";  // UTF-8
};
FieldNote NoteForField(int index);
// The parameters a template shows, in display order.
std::vector<int> DisplayOrder(const ParameterTemplate& t);

}  // namespace vantor
