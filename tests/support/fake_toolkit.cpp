#include "support/fake_toolkit.h"

#include <cwctype>

namespace vandrel::testing {

namespace {

std::wstring LowerAscii(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// "d:" means the drive's current folder (its root here); a trailing "\" is
// dropped except after a drive.
std::wstring Normalized(std::wstring path) {
  if (path.size() == 2 && path[1] == L':') path += L'\\';
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  if (path.size() >= 1) path[0] = static_cast<wchar_t>(std::towupper(path[0]));
  return path;
}

}  // namespace

FakeForm::FakeForm(FakeToolkit& toolkit, const platform::FormSpec& spec, platform::FormEvents& events)
    : spec(spec), toolkit_(toolkit), events_(events) {}

FakeForm::~FakeForm() {
  if (toolkit_.last == this) toolkit_.last = nullptr;
}

FakeControl& FakeForm::At(platform::ControlId control) {
  if (control < 1 || control > static_cast<int>(controls.size())) {
    dead_ = FakeControl();
    return dead_;
  }
  return controls[static_cast<std::size_t>(control - 1)];
}

void FakeForm::Click(platform::ControlId control) {
  FakeControl& c = At(control);
  if (c.spec.kind == platform::ControlKind::CheckBox) c.checked = !c.checked;
  if (c.spec.kind == platform::ControlKind::Button) events_.OnClick(control);
}

void FakeForm::MouseUp(platform::ControlId control) { events_.OnMouseUp(control); }

void FakeForm::Pick(platform::ControlId control, int index) { At(control).selected = index; }

void FakeForm::Type(platform::ControlId control, const std::wstring& text) { At(control).text = text; }

void FakeForm::Tick(platform::ControlId control, bool checked) { At(control).checked = checked; }

void FakeForm::PickDrive(platform::ControlId control, const std::wstring& drive) {
  At(control).drive = LowerAscii(drive.substr(0, 2));
  events_.OnDriveChanged(control);
}

void FakeForm::Highlight(platform::ControlId control, const std::wstring& path) {
  At(control).highlighted = Normalized(path);
}

void FakeForm::CloseBox() { Close(); }

platform::ControlId FakeForm::AddControl(const platform::ControlSpec& s) {
  if (!open) return 0;
  FakeControl c;
  c.spec = s;
  if (s.kind != platform::ControlKind::TextBox) c.text = s.caption;
  if (s.kind == platform::ControlKind::DriveSelector)
    c.drive = LowerAscii(toolkit_.currentFolder.substr(0, 2));
  if (s.kind == platform::ControlKind::FolderList) c.folder = Normalized(toolkit_.currentFolder);
  controls.push_back(c);
  return static_cast<platform::ControlId>(controls.size());
}

bool FakeForm::SetPosition(platform::WindowHandle insertAfter, int x, int y, int width, int height,
                           unsigned flags) {
  placements.push_back({insertAfter, x, y, width, height, flags});
  return open;
}

void FakeForm::RunModal(platform::WindowHandle owner) {
  modalOwner = owner;
  if (toolkit_.whileModal && open) toolkit_.whileModal(*this);
  Close();
}

void FakeForm::Close() {
  if (!open) return;
  open = false;
  events_.OnClosed();
}

std::wstring FakeForm::Text(platform::ControlId control) { return At(control).text; }

void FakeForm::SetText(platform::ControlId control, const std::wstring& text) { At(control).text = text; }

void FakeForm::AddItem(platform::ControlId control, const std::wstring& text) {
  At(control).items.push_back(text);
}

void FakeForm::RemoveItem(platform::ControlId control, int index) {
  FakeControl& c = At(control);
  if (index < 0 || index >= static_cast<int>(c.items.size())) return;
  c.items.erase(c.items.begin() + index);
  if (c.selected == index) {
    c.selected = -1;
  } else if (c.selected > index) {
    --c.selected;
  }
}

void FakeForm::ClearItems(platform::ControlId control) {
  At(control).items.clear();
  At(control).selected = -1;
}

int FakeForm::ItemCount(platform::ControlId control) { return static_cast<int>(At(control).items.size()); }

std::wstring FakeForm::ItemText(platform::ControlId control, int index) {
  FakeControl& c = At(control);
  if (index < 0 || index >= static_cast<int>(c.items.size())) return std::wstring();
  return c.items[static_cast<std::size_t>(index)];
}

int FakeForm::SelectedIndex(platform::ControlId control) { return At(control).selected; }

bool FakeForm::Select(platform::ControlId control, int index) {
  FakeControl& c = At(control);
  if (index < -1 || index >= static_cast<int>(c.items.size())) return false;
  c.selected = index;
  return true;
}

bool FakeForm::Checked(platform::ControlId control) { return At(control).checked; }

void FakeForm::SetChecked(platform::ControlId control, bool checked) { At(control).checked = checked; }

std::vector<std::wstring> FakeForm::Drives(platform::ControlId) { return toolkit_.drives; }

bool FakeForm::SetDrive(platform::ControlId control, const std::wstring& path) {
  if (path.size() < 2 || path[1] != L':') return false;
  std::wstring drive = LowerAscii(path.substr(0, 2));
  bool listed = false;
  for (const std::wstring& d : toolkit_.drives) listed = listed || d == drive;
  if (!listed || !toolkit_.files.IsFolder(drive + L"\\")) return false;
  At(control).drive = drive;
  return true;
}

std::wstring FakeForm::Drive(platform::ControlId control) { return At(control).drive; }

bool FakeForm::SetFolder(platform::ControlId control, const std::wstring& path) {
  if (path.size() < 2 || path[1] != L':') return false;
  std::wstring folder = Normalized(path);
  if (!toolkit_.files.IsFolder(folder)) return false;
  FakeControl& c = At(control);
  c.folder = folder;
  c.highlighted.clear();
  return true;
}

std::wstring FakeForm::FolderPath(platform::ControlId control) { return At(control).folder; }

std::wstring FakeForm::HighlightedPath(platform::ControlId control) {
  FakeControl& c = At(control);
  return c.highlighted.empty() ? c.folder : c.highlighted;
}

void FakeForm::Refresh(platform::ControlId control) { ++At(control).refreshes; }

std::unique_ptr<platform::Form> FakeToolkit::CreateForm(const platform::FormSpec& spec,
                                                        platform::FormEvents& events) {
  if (refuseWindows) return nullptr;
  auto form = std::make_unique<FakeForm>(*this, spec, events);
  last = form.get();
  return form;
}

}  // namespace vandrel::testing
