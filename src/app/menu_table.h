// The menu "VTWin" and its accelerator table as data: the window builds its
// menu bar and key bindings from these tables, and the tests read them.
#pragma once

#include <span>

namespace vantor::app {

// Command ids, grouped by hundreds per menu.
namespace cmd {
enum Id : int {
  New = 101, Open = 102, Save = 103, SaveAs = 104, Print = 105, Exit = 108,
  ExportPicture = 106, ExportSamples = 107,  // beside Print: the picture and the samples as files
  ExportNwb = 110,  // beside the exports: every run as one NWB file
  Revert = 109,  // beside Save as: the parameter file read again
  Cut = 201,  // bound to keys only; does nothing
  Copy = 202, Preferences = 204,
  Undo = 205, RedoChange = 206,  // beside Copy: parameter changes taken back and done again
  Begin = 301,
  Redo = 302,  // bound to keys only; does nothing
  Overlay = 303, Stop = 304,
  OverlayFile = 305,  // beside the table's Run items: a run of another file over the picture
  Family = 306,  // a run per value of the stimulus's family
  Comment = 401, Protocol = 402, Conductances = 403, SynapticCurrents = 404, Ions = 405,
  ResetParameters = 406,  // beside the dialogs: every value back to the built-in one
  Drugs = 407, WashOut = 408,  // blockers in the bath for the runs that follow
  GateCurves = 603,  // the gate table's steady states and time constants
  Report = 111,  // the runs of the picture as a PDF and HTML report
  Lessons = 902,  // a lesson's files opened and its page shown
  Stimulus = 409,  // the stimulus the next run is driven by
  ScreenScaling = 600, EditModel = 601, MiscParameters = 602,
  HelpIndex = 901, About = 999,
};
}  // namespace cmd

enum class MenuRule {
  Always,
  Idle,              // unless running or the gate table is not loaded
  PictureIdle,       // unless no picture or running
  OnlyRunning,
  ExtendedOnly,
};

struct MenuItem {
  int id;             // 0 for a separator
  const char* menu;   // the menu's title
  const char* text;   // "&Save\tCtrl+S": the key after the tab is a label
  MenuRule rule;
};

struct Accelerator {
  const char* keys;  // in QKeySequence's portable form
  int id;
};

// The state the enabling rules read.
struct MenuState {
  bool running = false;
  bool gateTableLoaded = false;
  bool noPicture = true;
  bool extendedMode = false;
};

std::span<const MenuItem> MenuItems();
std::span<const char* const> MenuTitles();  // left to right; Help last
std::span<const Accelerator> Accelerators();
// Keys bound beside the table above: the two the menu shows as labels only
// ("Shift+Ins", "Alt+X") and the desktop's standard keys for the same
// commands (New, Open, Save as, Quit, Undo, Redo).
std::span<const Accelerator> DesktopAccelerators();
// The key a menu text shows after its tab, or "" for none.
const char* ShownKey(const MenuItem& item);

bool RuleAllows(MenuRule rule, const MenuState& state);
// The item of `id`, or nullptr for ids without one (201, 302).
const MenuItem* FindMenuItem(int id);
// Whether the command may run now: its item's rule, and for the key-only
// ids nothing at all.
bool CommandEnabled(int id, const MenuState& state);

}  // namespace vantor::app
