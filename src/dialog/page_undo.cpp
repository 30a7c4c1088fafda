// Undo, its shortcut, the notices and the journal: what is not a profile's
// but the plug-in's own, each change kept at once.
#include <algorithm>
#include <string>
#include <vector>

#include "dialog/frm_config.h"
#include "dialog/layout.h"
#include "dialog/messages.h"
#include "hotkey/hook.h"
#include "journal/journal.h"
#include "settings/ini_class.h"

namespace vandrel::dialog {

namespace {

// The journal's lines shown, newest last.
constexpr std::size_t kJournalLinesShown = 50;

std::wstring JournalPath() { return journal::PathBeside(settings::SettingsIni().FileName()); }

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// "2026-12-07 10:31:05  moved  Artist - Song.mp3 to D:\Keep\a".
std::wstring Shown(const journal::Line& line) {
  std::wstring text(line.time.begin(), line.time.end());
  std::replace(text.begin(), text.end(), L'T', L' ');
  text += L"  " + line.what + L"  " + FileName(line.path);
  if (!line.newPath.empty()) text += L" to " + line.newPath.substr(0, line.newPath.find_last_of(L'\\'));
  return text;
}

}  // namespace

namespace layout {

using platform::ControlKind;

// The right column holds the holding folder.
const std::vector<Placement>& UndoPage() {
  static const std::vector<Placement> page = {
      {&C::undoGroup, ControlKind::Group, &C::undoPage, 8, 8, 321, 137, L" Undo ", kVerdana, kBackground,
       false, 0},
      {&C::undoLast, ControlKind::Button, &C::undoGroup, 8, 20, 305, 25, L"Undo last", kVerdana, kPaleYellow,
       false, 60},
      {&C::undoKeyLabel, ControlKind::Label, &C::undoGroup, 8, 54, 305, 17, L"Undo shortcut:", kVerdana,
       kBackground, false, 0},
      {&C::chkUndoCtrl, ControlKind::CheckBox, &C::undoGroup, 8, 74, 60, 17, L"Ctrl", kVerdana, kBackground,
       false, 61},
      {&C::chkUndoAlt, ControlKind::CheckBox, &C::undoGroup, 72, 74, 60, 17, L"Alt", kVerdana, kBackground,
       false, 62},
      {&C::chkUndoShift, ControlKind::CheckBox, &C::undoGroup, 136, 74, 60, 17, L"Shift", kVerdana,
       kBackground, false, 63},
      {&C::chkUndoWin, ControlKind::CheckBox, &C::undoGroup, 200, 74, 60, 17, L"Win", kVerdana, kBackground,
       false, 64},
      {&C::cmbUndoKey, ControlKind::DropDown, &C::undoGroup, 8, 100, 145, 24, L"", kVerdana, kWhite, false,
       65},
      {&C::setUndoKey, ControlKind::Button, &C::undoGroup, 160, 100, 153, 25, L"Use for undo", kVerdana,
       std::nullopt, false, 66},
      {&C::noticeGroup, ControlKind::Group, &C::undoPage, 8, 152, 321, 49, L" Notices ", kVerdana,
       kBackground, false, 0},
      {&C::chkNotify, ControlKind::CheckBox, &C::noticeGroup, 8, 20, 305, 17, L"Show a notice on screen",
       kVerdana, kBackground, false, 67},
      {&C::journalGroup, ControlKind::Group, &C::undoPage, 8, 208, 321, 193, L" Journal (what was done) ",
       kVerdana, kBackground, false, 0},
      {&C::journalList, ControlKind::List, &C::journalGroup, 8, 20, 305, 129, L"", kVerdana, std::nullopt,
       false, 68},
      {&C::openJournal, ControlKind::Button, &C::journalGroup, 8, 156, 153, 25, L"Open in editor", kVerdana,
       std::nullopt, false, 69},
  };
  return page;
}

const std::vector<Placement>& UndoPageLater() {
  static const std::vector<Placement> page = {
      {&C::holdingGroup, ControlKind::Group, &C::undoPage, 337, 8, 246, 193, L" Holding folder ", kVerdana,
       kBackground, false, 0},
      {&C::holdingNote, ControlKind::Label, &C::holdingGroup, 8, 20, 230, 64,
       L"Where a song may go that the Recycle Bin cannot take (empty: nowhere). You are asked each time.",
       kVerdana, kBackground, false, 0},
      {&C::txtHoldingFolder, ControlKind::TextBox, &C::holdingGroup, 8, 90, 230, 25, L"", kVerdana,
       std::nullopt, false, 70},
      {&C::chooseHolding, ControlKind::Button, &C::holdingGroup, 8, 122, 230, 25, L"Choose...", kVerdana,
       std::nullopt, false, 71},
      {&C::setHolding, ControlKind::Button, &C::holdingGroup, 8, 154, 230, 25, L"Use as holding folder",
       kVerdana, kPaleYellow, false, 72},
  };
  return page;
}

}  // namespace layout

void FrmConfig::ShowUndoShortcut() {
  ShowModifiers(plugin_->UndoModifiers(), true);
  form_->Select(c_.cmbUndoKey, plugin_->UndoKey());
}

void FrmConfig::SetUndoKey_Click() {
  const std::int32_t key = std::max(form_->SelectedIndex(c_.cmbUndoKey), 0);
  const std::int32_t modifiers = CheckedModifiers(true);
  if (key != 0 && modifiers == 0) {
    ShowBox(L"Tick at least one of Ctrl, Alt, Shift and Win for the undo shortcut.",
            platform::Icon::Exclamation);
    return;
  }
  if (plugin_->SetUndoShortcut(key == 0 ? 0 : modifiers, key)) {
    ShowBox(key == 0 ? std::wstring(L"Undo has no shortcut now.")
                     : L"Undo's shortcut is now " + hotkey::LetterShortcutName(modifiers, key) + L".",
            platform::Icon::Information);
  }
  ShowUndoShortcut();
}

void FrmConfig::ShowJournal() {
  platform::Form& f = *form_;
  f.ClearItems(c_.journalList);
  std::string text;
  if (!platform::Files().ReadAllBytes(JournalPath(), text).ok()) return;  // none yet
  std::vector<std::wstring> shown;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (auto line = journal::Parse(text.substr(start, end - start))) shown.push_back(Shown(*line));
    start = end + 1;
  }
  const std::size_t from = shown.size() > kJournalLinesShown ? shown.size() - kJournalLinesShown : 0;
  for (std::size_t i = from; i < shown.size(); ++i) f.AddItem(c_.journalList, shown[i]);
  f.Select(c_.journalList, f.ItemCount(c_.journalList) - 1);  // the newest in sight
}

void FrmConfig::ChooseHolding_Click() {
  const std::wstring chosen = platform::Widgets().PickFolder(
      form_->Handle(), L"The holding folder: where songs may go that the Recycle Bin cannot take");
  if (chosen.empty()) return;
  form_->SetText(c_.txtHoldingFolder, chosen);
  SetHolding_Click();
}

void FrmConfig::SetHolding_Click() {
  std::wstring folder = form_->Text(c_.txtHoldingFolder);
  folder.erase(0, folder.find_first_not_of(L' '));
  folder.erase(folder.find_last_not_of(L' ') + 1);
  if (folder.empty()) {
    plugin_->SetholdingFolder(L"");
    ShowBox(L"No holding folder: a song the Recycle Bin cannot take is deleted for good or kept, as you say.",
            platform::Icon::Information);
    return;
  }
  const bool onDrive = folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/');
  const platform::OpResult writable = onDrive ? platform::Files().CanWriteIn(folder)
                                              : platform::OpResult{123, L"It is not a folder on a drive."};
  if (!writable.ok()) {
    ShowBox(L"The holding folder\r\n" + folder + L"\r\ncannot take files:\r\n\r\n" + writable.Reason() +
                L"\r\n\r\nThe holding folder stays as it was.",
            platform::Icon::Exclamation);
    form_->SetText(c_.txtHoldingFolder, plugin_->holdingFolder());
    return;
  }
  plugin_->SetholdingFolder(folder);
  ShowBox(L"A song the Recycle Bin cannot take may now go to\r\n" + folder, platform::Icon::Information);
}

void FrmConfig::OpenJournal_Click() {
  const std::wstring path = JournalPath();
  const platform::OpResult opened = platform::Ui().OpenInEditor(path);
  if (!opened.ok()) {
    ShowBox(L"The journal " + path + L" could not be opened:\r\n\r\n" + opened.Reason(),
            platform::Icon::Exclamation);
  }
}

}  // namespace vandrel::dialog
