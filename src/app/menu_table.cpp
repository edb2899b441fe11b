#include "app/menu_table.h"

#include <cstring>

namespace vantor::app {
namespace {

using R = MenuRule;

constexpr MenuItem kItems[] = {
    {cmd::New, "&File", "&New", R::Always},
    {cmd::Open, "&File", "&Open...", R::Idle},
    {cmd::Save, "&File", "&Save\tCtrl+S", R::Always},
    {cmd::SaveAs, "&File", "Save &as...", R::Always},
    {cmd::Revert, "&File", "Re&vert to Saved", R::Idle},
    {0, "&File", nullptr, R::Always},
    {cmd::Print, "&File", "&Print...\tCtrl+P", R::Always},
    {cmd::ExportPicture, "&File", "&Export Picture...", R::PictureIdle},
    {cmd::ExportSamples, "&File", "Export Sa&mples...", R::PictureIdle},
    {cmd::ExportNwb, "&File", "Export &NWB...", R::PictureIdle},
    {cmd::Report, "&File", "Re&port...", R::PictureIdle},
    {0, "&File", nullptr, R::Always},
    {cmd::Exit, "&File", "E&xit\tAlt+X", R::Always},
    {cmd::Copy, "&Edit", "&Copy\tShift+Ins", R::PictureIdle},
    {cmd::Undo, "&Edit", "&Undo Parameter Change", R::Always},
    {cmd::RedoChange, "&Edit", "&Redo Parameter Change", R::Always},
    {0, "&Edit", nullptr, R::Always},
    {cmd::Preferences, "&Edit", "Pre&ferences\tCtrl+G", R::Always},
    {cmd::Begin, "&Run", "&Begin\tCtrl+B", R::Idle},
    {cmd::Overlay, "&Run", "Overla&y\tCtrl+Y", R::PictureIdle},
    {cmd::Stop, "&Run", "&Stop\tCtrl+K", R::OnlyRunning},
    {cmd::OverlayFile, "&Run", "Overlay &File...", R::PictureIdle},
    {cmd::Family, "&Run", "F&amily", R::Idle},
    {cmd::Comment, "&Parameters", "&Text Comment...\tCtrl+T", R::Always},
    {cmd::Protocol, "&Parameters", "&Protocol...\tCtrl+E", R::Always},
    {cmd::Conductances, "&Parameters", "&Conductances...\tCtrl+F", R::Always},
    {cmd::SynapticCurrents, "&Parameters", "&Synaptic Currents...\tCtrl+H", R::Always},
    {cmd::Ions, "&Parameters", "&Ions...\tCtrl+D", R::Always},
    {cmd::Stimulus, "&Parameters", "Sti&mulus...", R::Always},
    {0, "&Parameters", nullptr, R::Always},
    {cmd::ResetParameters, "&Parameters", "&Reset to Built-in Values", R::Always},
    {0, "&Parameters", nullptr, R::Always},
    {cmd::Drugs, "&Parameters", "&Drugs...", R::Always},
    {cmd::WashOut, "&Parameters", "&Wash Out Drugs", R::Always},
    {cmd::ScreenScaling, "&Other", "&Screen Scaling", R::ExtendedOnly},
    {cmd::EditModel, "&Other", "&Edit Model", R::ExtendedOnly},
    {cmd::MiscParameters, "&Other", "&Misc. Parameters", R::ExtendedOnly},
    {cmd::GateCurves, "&Other", "&Gate Curves", R::Idle},
    {cmd::HelpIndex, "&Help", "&Index\tF1", R::Always},
    {cmd::Lessons, "&Help", "&Lessons...", R::Idle},
    {cmd::About, "&Help", "&About...", R::Always},
};

constexpr const char* kTitles[] = {"&File", "&Edit", "&Run", "&Parameters", "&Other", "&Help"};

// Ctrl letters, F1, Delete and Insert as the table binds them; the "Shift+Ins"
// and "Alt+X" of the menu texts are labels only.
constexpr Accelerator kAccelerators[] = {
    {"Ctrl+S", cmd::Save},      {"F1", cmd::HelpIndex},     {"Ctrl+X", cmd::Cut},
    {"Shift+Del", cmd::Cut},    {"Ctrl+C", cmd::Copy},      {"Ctrl+Ins", cmd::Copy},
    {"Ctrl+P", cmd::Print},     {"Ctrl+G", cmd::Preferences}, {"Ctrl+B", cmd::Begin},
    {"Ctrl+R", cmd::Redo},      {"Ctrl+Y", cmd::Overlay},   {"Ctrl+T", cmd::Comment},
    {"Ctrl+E", cmd::Protocol},  {"Ctrl+F", cmd::Conductances}, {"Ctrl+H", cmd::SynapticCurrents},
    {"Ctrl+D", cmd::Ions},      {"Ctrl+K", cmd::Stop},
};

constexpr Accelerator kDesktopAccelerators[] = {
    {"Shift+Ins", cmd::Copy}, {"Alt+X", cmd::Exit},       {"Ctrl+N", cmd::New},
    {"Ctrl+O", cmd::Open},    {"Ctrl+Shift+S", cmd::SaveAs}, {"Ctrl+Q", cmd::Exit},
    {"Ctrl+Z", cmd::Undo},    {"Ctrl+Shift+Z", cmd::RedoChange},
};

}  // namespace

std::span<const Accelerator> DesktopAccelerators() { return kDesktopAccelerators; }

const char* ShownKey(const MenuItem& item) {
  if (item.text == nullptr) return "";
  const char* tab = std::strchr(item.text, '\t');
  return tab == nullptr ? "" : tab + 1;
}

std::span<const MenuItem> MenuItems() { return kItems; }
std::span<const char* const> MenuTitles() { return kTitles; }
std::span<const Accelerator> Accelerators() { return kAccelerators; }

bool RuleAllows(MenuRule rule, const MenuState& s) {
  switch (rule) {
    case MenuRule::Always: return true;
    case MenuRule::Idle: return !s.running && s.gateTableLoaded;
    case MenuRule::PictureIdle: return !s.noPicture && !s.running;
    case MenuRule::OnlyRunning: return s.running;
    case MenuRule::ExtendedOnly: return s.extendedMode;
  }
  return false;
}

const MenuItem* FindMenuItem(int id) {
  if (id == 0) return nullptr;
  for (const MenuItem& item : kItems)
    if (item.id == id) return &item;
  return nullptr;
}

bool CommandEnabled(int id, const MenuState& state) {
  const MenuItem* item = FindMenuItem(id);
  return item != nullptr && RuleAllows(item->rule, state);
}

}  // namespace vantor::app
