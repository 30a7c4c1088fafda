// A toolkit whose forms live in memory: controls keep their specs and state,
// the test plays the user (clicks, picks, typing), and the drive selector and
// folder list look at a fake file system for drives and folders.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit.h"
#include "support/fake_files.h"

namespace vandrel::testing {

class FakeToolkit;

struct FakeControl {
  platform::ControlSpec spec;
  std::wstring text;
  std::vector<std::wstring> items;
  int selected = -1;
  bool checked = false;
  std::wstring drive;        // drive selector: "c:"
  std::wstring folder;       // folder list: the current folder
  std::wstring highlighted;  // folder list: empty means the current folder
  int refreshes = 0;
};

struct FormPlacement {
  platform::WindowHandle insertAfter;
  int x, y, width, height;
  unsigned flags;
};

class FakeForm : public platform::Form {
 public:
  FakeForm(FakeToolkit& toolkit, const platform::FormSpec& spec, platform::FormEvents& events);
  ~FakeForm() override;

  platform::FormSpec spec;
  std::vector<FakeControl> controls;  // control n is controls[n - 1]
  std::vector<FormPlacement> placements;
  platform::WindowHandle modalOwner = 0;
  bool open = true;

  FakeControl& At(platform::ControlId control);

  // --- The user ------------------------------------------------------------
  void Click(platform::ControlId control);
  void MouseUp(platform::ControlId control);
  // Picks an entry with the keyboard: no mouse event.
  void Pick(platform::ControlId control, int index);
  void Type(platform::ControlId control, const std::wstring& text);
  void Tick(platform::ControlId control, bool checked);
  // Picks a drive in a drive selector (ready or not) and reports the change.
  void PickDrive(platform::ControlId control, const std::wstring& drive);
  // Highlights an entry of a folder list (a sub-folder or a folder above).
  void Highlight(platform::ControlId control, const std::wstring& path);
  // The close box.
  void CloseBox();

  // --- platform::Form --------------------------------------------------------
  platform::ControlId AddControl(const platform::ControlSpec& spec) override;
  platform::WindowHandle Handle() override { return open ? 0x5150 : 0; }
  bool IsOpen() override { return open; }
  bool SetPosition(platform::WindowHandle insertAfter, int x, int y, int width, int height,
                   unsigned flags) override;
  void RunModal(platform::WindowHandle owner) override;
  void Close() override;
  std::wstring Text(platform::ControlId control) override;
  void SetText(platform::ControlId control, const std::wstring& text) override;
  void AddItem(platform::ControlId control, const std::wstring& text) override;
  void RemoveItem(platform::ControlId control, int index) override;
  void ClearItems(platform::ControlId control) override;
  int ItemCount(platform::ControlId control) override;
  std::wstring ItemText(platform::ControlId control, int index) override;
  int SelectedIndex(platform::ControlId control) override;
  bool Select(platform::ControlId control, int index) override;
  bool Checked(platform::ControlId control) override;
  void SetChecked(platform::ControlId control, bool checked) override;
  std::vector<std::wstring> Drives(platform::ControlId control) override;
  bool SetDrive(platform::ControlId control, const std::wstring& path) override;
  std::wstring Drive(platform::ControlId control) override;
  bool SetFolder(platform::ControlId control, const std::wstring& path) override;
  std::wstring FolderPath(platform::ControlId control) override;
  std::wstring HighlightedPath(platform::ControlId control) override;
  void Refresh(platform::ControlId control) override;

 private:
  FakeToolkit& toolkit_;
  platform::FormEvents& events_;
  FakeControl dead_;  // what operations on a missing control touch
};

class FakeToolkit : public platform::Toolkit {
 public:
  // Drives and folders come from `files`; the drive selector lists `drives`.
  explicit FakeToolkit(FakeFileSystem& files) : files(files) {}

  FakeFileSystem& files;
  std::vector<std::wstring> drives{L"c:"};
  // The process's current drive and folder, where pickers start.
  std::wstring currentFolder = L"C:\\";
  // When set, the window cannot be made.
  bool refuseWindows = false;
  // Plays the user while a form runs modally; the form closes afterwards if
  // the script left it open.
  std::function<void(FakeForm&)> whileModal;

  FakeForm* last = nullptr;  // the most recent form, while it exists

  std::unique_ptr<platform::Form> CreateForm(const platform::FormSpec& spec,
                                             platform::FormEvents& events) override;
};

}  // namespace vandrel::testing
