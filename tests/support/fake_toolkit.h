// Forms held in memory, the test playing the user; the drive and folder controls look at a FakeFiles.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit.h"
#include "support/fakes.h"

namespace vandrel::testing {

struct FakeControl {
  std::wstring text;
  std::vector<std::wstring> items;
  int selected = -1;
  bool checked = false;
  std::wstring drive = L"c:", folder = L"C:\\", highlighted;  // drive selector, folder list
  int refreshes = 0;
};

class FakeForm : public platform::Form {
 public:
  FakeForm(FakeFiles& files, platform::FormEvents& events) : files_(files), events_(events) {}

  std::vector<FakeControl> controls;  // control n is controls[n - 1]
  platform::WindowHandle owner = 0;
  bool open = true;
  bool enabled = true;

  FakeControl& At(platform::ControlId id) { return controls.at(static_cast<std::size_t>(id - 1)); }
  std::wstring SelectedText(platform::ControlId id) { return ItemText(id, SelectedIndex(id)); }

  // The user.
  void Click(platform::ControlId id) { events_.OnClick(id); }
  void MouseUp(platform::ControlId id) { events_.OnMouseUp(id); }
  void Pick(platform::ControlId id, int index) { At(id).selected = index; }  // by keyboard: no event
  void Type(platform::ControlId id, const std::wstring& text) { At(id).text = text; }
  void Tick(platform::ControlId id, bool checked) { At(id).checked = checked; }
  void PickDrive(platform::ControlId id, const std::wstring& drive) {
    At(id).drive = drive;
    events_.OnDriveChanged(id);
  }
  void Highlight(platform::ControlId id, const std::wstring& path) { At(id).highlighted = Shown(path); }
  // A folder as the list shows it: "d:" is the root, no "\" at the end.
  static std::wstring Shown(std::wstring path) {
    if (path.size() == 2) path += L'\\';
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    if (!path.empty()) path[0] = static_cast<wchar_t>(std::towupper(path[0]));
    return path;
  }

  platform::ControlId AddControl(const platform::ControlSpec& spec) override {
    if (spec.kind == platform::ControlKind::Page) At(spec.parent).items.push_back(spec.caption);
    controls.emplace_back().text = spec.caption;
    if (spec.kind == platform::ControlKind::Tabs) controls.back().selected = 0;  // its first page
    return static_cast<platform::ControlId>(controls.size());
  }
  platform::WindowHandle Handle() override { return open ? 0x5150 : 0; }
  bool IsOpen() override { return open; }
  void RunModal(platform::WindowHandle modalOwner) override {
    owner = modalOwner;
    if (whileModal) whileModal(*this);
    Close();
  }
  void Show() override {}
  void Enable(bool on) override { enabled = on; }
  void Close() override {
    if (!open) return;
    open = false;
    events_.OnClosed();
  }
  std::wstring Text(platform::ControlId id) override { return At(id).text; }
  void SetText(platform::ControlId id, const std::wstring& text) override { At(id).text = text; }
  void AddItem(platform::ControlId id, const std::wstring& text) override { At(id).items.push_back(text); }
  void RemoveItem(platform::ControlId id, int index) override {
    FakeControl& c = At(id);
    c.items.erase(c.items.begin() + index);
    c.selected = c.selected == index ? -1 : c.selected - (c.selected > index);
  }
  void ClearItems(platform::ControlId id) override {
    At(id).items.clear();
    At(id).selected = -1;
  }
  int ItemCount(platform::ControlId id) override { return static_cast<int>(At(id).items.size()); }
  std::wstring ItemText(platform::ControlId id, int index) override {
    return index < 0 || index >= ItemCount(id) ? L"" : At(id).items[static_cast<std::size_t>(index)];
  }
  int SelectedIndex(platform::ControlId id) override { return At(id).selected; }
  bool Select(platform::ControlId id, int index) override {
    if (index < -1 || index >= ItemCount(id)) return false;
    At(id).selected = index;
    return true;
  }
  bool Checked(platform::ControlId id) override { return At(id).checked; }
  void SetChecked(platform::ControlId id, bool checked) override { At(id).checked = checked; }
  std::vector<std::wstring> Drives(platform::ControlId) override { return {L"c:", L"d:", L"e:"}; }
  bool SetDrive(platform::ControlId id, const std::wstring& path) override {
    if (!files_.Ready(FakeFiles::Key(path.substr(0, 2) + L"\\"))) return false;
    At(id).drive = FakeFiles::Key(path.substr(0, 2));
    return true;
  }
  std::wstring Drive(platform::ControlId id) override { return At(id).drive; }
  bool SetFolder(platform::ControlId id, const std::wstring& path) override {
    const std::wstring key = FakeFiles::Key(Shown(path));
    if (!files_.Ready(key) || !files_.IsFolder(key)) return false;
    At(id).folder = Shown(path);
    At(id).highlighted.clear();
    return true;
  }
  std::wstring FolderPath(platform::ControlId id) override { return At(id).folder; }
  std::wstring HighlightedPath(platform::ControlId id) override {
    return At(id).highlighted.empty() ? At(id).folder : At(id).highlighted;
  }
  void Refresh(platform::ControlId id) override { ++At(id).refreshes; }

  std::function<void(FakeForm&)> whileModal;  // plays the user while the form runs modally

 private:
  FakeFiles& files_;
  platform::FormEvents& events_;
};

class FakeToolkit : public platform::Toolkit {
 public:
  explicit FakeToolkit(FakeFiles& files) : files_(files) {}
  bool refuseWindows = false;
  std::function<void(FakeForm&)> whileModal;
  FakeForm* last = nullptr;      // the most recent form
  std::function<void()> onPump;  // plays the user between the run's entries

  std::unique_ptr<platform::Form> CreateForm(const platform::FormSpec& spec,
                                             platform::FormEvents& events) override {
    if (refuseWindows) return nullptr;
    auto form = std::make_unique<FakeForm>(files_, events);
    form->owner = spec.owner;
    form->whileModal = whileModal;
    last = form.get();
    return form;
  }
  std::uint64_t now = 0;
  std::uint64_t Milliseconds() override { return now += 1000; }  // a second per look
  void PumpMessages() override {
    if (onPump) onPump();
  }
  std::vector<std::wstring> notices;  // every notice shown; "" when one was taken off
  std::function<void()> undo;         // the newest notice's Undo, if it has one
  void ShowNotice(const std::wstring& text, platform::WindowHandle, unsigned,
                  std::function<void()> withUndo) override {
    notices.push_back(text);
    undo = std::move(withUndo);
  }
  void HideNotice() override { notices.push_back(L""); }
  std::wstring picked;  // what the folder picker answers
  std::wstring PickFolder(platform::WindowHandle, const std::wstring&) override { return picked; }

 private:
  FakeFiles& files_;
};

}  // namespace vandrel::testing
