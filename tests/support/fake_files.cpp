#include "support/fake_files.h"

#include <algorithm>

namespace vandrel::testing {

namespace {

constexpr std::uint32_t kFolderAttribute = 0x10;

// The numbers the file-time query reports.
constexpr int kFileNotFound = 53;
constexpr int kDeviceUnavailable = 68;
constexpr int kPathNotFound = 76;
constexpr int kBadFileName = 52;

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

wchar_t UpperLetter(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::wstring SystemText(std::uint32_t code) {
  switch (code) {
    case 2:
      return L"The system cannot find the file specified.";
    case 3:
      return L"The system cannot find the path specified.";
    case 5:
      return L"Access is denied.";
    case 15:
      return L"The system cannot find the drive specified.";
    case 17:
      return L"The system cannot move the file to a different disk drive.";
    case 19:
      return L"The media is write protected.";
    case 21:
      return L"The device is not ready.";
    case 32:
      return L"The process cannot access the file because it is being used by another process.";
    case 53:
      return L"The network path was not found.";
    case 112:
      return L"There is not enough space on the disk.";
    case 123:
      return L"The filename, directory name, or volume label syntax is incorrect.";
    case 183:
      return L"Cannot create a file when that file already exists.";
    default:
      return L"Error " + std::to_wstring(code) + L".";
  }
}

FakeFileSystem::FakeFileSystem() { drives_[L'C'] = DriveState::Present; }

std::wstring FakeFileSystem::Lower(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out) {
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = static_cast<wchar_t>(c + 32);
  }
  return out;
}

const wchar_t* FakeFileSystem::OpName(Op op) {
  switch (op) {
    case Op::FileModifiedTime:
      return L"FileModifiedTime";
    case Op::ChangeDrive:
      return L"ChangeDrive";
    case Op::MakeFolder:
      return L"MakeFolder";
    case Op::FileAttributes:
      return L"FileAttributes";
    case Op::SetFileAttributes:
      return L"SetFileAttributes";
    case Op::RemoveFile:
      return L"RemoveFile";
    case Op::RecycleFile:
      return L"RecycleFile";
    case Op::MoveFile:
      return L"MoveFile";
    case Op::ReadAllBytes:
      return L"ReadAllBytes";
    case Op::ReplaceAllBytes:
      return L"ReplaceAllBytes";
  }
  return L"?";
}

// --- Paths --------------------------------------------------------------

FakeFileSystem::Resolved FakeFileSystem::Resolve(const std::wstring& path) const {
  Resolved r;
  std::wstring p = path;
  std::replace(p.begin(), p.end(), L'/', L'\\');
  if (p.empty()) return r;
  if (StartsWith(p, L"\\\\")) {
    r.network = true;
    return r;
  }
  std::wstring rest;
  if (p.size() >= 2 && p[1] == L':') {
    if (!IsLetter(p[0])) {
      r.badName = true;
      return r;
    }
    r.drive = UpperLetter(p[0]);
    rest = p.substr(2);
  } else {
    r.drive = currentDrive_;
    rest = p;
  }
  if (rest.empty() || rest[0] != L'\\') rest.insert(rest.begin(), L'\\');

  // Collapse runs of separators; drop a trailing one.
  std::wstring collapsed;
  for (wchar_t c : rest) {
    if (c == L'\\' && !collapsed.empty() && collapsed.back() == L'\\') continue;
    collapsed.push_back(c);
  }
  if (collapsed.size() > 1 && collapsed.back() == L'\\') collapsed.pop_back();
  for (wchar_t c : collapsed) {
    if (c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*' || c == L':' || c < 32) {
      r.badName = true;
    }
  }
  r.display = std::wstring(1, r.drive) + L":" + collapsed;
  r.key = Lower(r.display);
  if (collapsed.size() > 1) {
    std::size_t cut = r.display.rfind(L'\\');
    r.parentKey = Lower(cut == 2 ? r.display.substr(0, 3) : r.display.substr(0, cut));
  }
  r.ok = !r.badName;
  return r;
}

std::uint32_t FakeFileSystem::CheckDrive(wchar_t drive) const {
  auto it = drives_.find(drive);
  if (it == drives_.end()) return kErrPathNotFound;
  if (it->second == DriveState::NotReady) return kErrNotReady;
  return 0;
}

bool FakeFileSystem::IsFolderKey(const std::wstring& key) const {
  if (key.size() == 3 && key[1] == L':') return CheckDrive(UpperLetter(key[0])) == 0;
  const Entry* e = Find(key);
  return e != nullptr && e->folder;
}

std::uint32_t FakeFileSystem::CheckParent(const Resolved& r) const {
  if (std::uint32_t code = CheckDrive(r.drive)) return code;
  if (!r.parentKey.empty() && !IsFolderKey(r.parentKey)) return kErrPathNotFound;
  return 0;
}

const FakeFileSystem::Entry* FakeFileSystem::Find(const std::wstring& key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::Failing(Op op, const Resolved& r, std::uint32_t& code) const {
  auto it = failures_.find({op, r.key});
  if (it == failures_.end()) return false;
  code = it->second;
  return true;
}

platform::OpResult FakeFileSystem::Fail(std::uint32_t code) { return {code, SystemText(code)}; }

// --- Setting the scene ----------------------------------------------------

void FakeFileSystem::AddDrive(wchar_t letter, DriveState state) { drives_[UpperLetter(letter)] = state; }

void FakeFileSystem::SetDriveState(wchar_t letter, DriveState state) { drives_[UpperLetter(letter)] = state; }

void FakeFileSystem::AddFolder(const std::wstring& path) {
  Resolved r = Resolve(path);
  if (!r.ok) return;
  if (drives_.find(r.drive) == drives_.end()) drives_[r.drive] = DriveState::Present;
  if (r.parentKey.empty()) return;
  std::size_t cut = r.display.rfind(L'\\');
  if (cut > 2) AddFolder(r.display.substr(0, cut));
  Entry& e = entries_[r.key];
  e.path = r.display;
  e.folder = true;
  e.attributes = kFolderAttribute;
  e.contents.clear();
}

void FakeFileSystem::AddFile(const std::wstring& path, const std::string& contents,
                             std::uint32_t attributes) {
  Resolved r = Resolve(path);
  if (!r.ok || r.parentKey.empty()) return;
  std::size_t cut = r.display.rfind(L'\\');
  AddFolder(cut == 2 ? r.display.substr(0, 3) : r.display.substr(0, cut));
  Entry& e = entries_[r.key];
  e.path = r.display;
  e.folder = false;
  e.attributes = attributes;
  e.contents = contents;
}

void FakeFileSystem::SetInUse(const std::wstring& path, bool inUse) {
  std::wstring key = Resolve(path).key;
  if (inUse) {
    inUse_.insert(key);
  } else {
    inUse_.erase(key);
  }
}

void FakeFileSystem::FailOperation(Op op, const std::wstring& path, std::uint32_t code) {
  failures_[{op, Resolve(path).key}] = code;
}

// --- Looking at the result ------------------------------------------------

bool FakeFileSystem::Exists(const std::wstring& path) const {
  Resolved r = Resolve(path);
  return r.ok && (IsFolderKey(r.key) || Find(r.key) != nullptr);
}

bool FakeFileSystem::IsFile(const std::wstring& path) const {
  Resolved r = Resolve(path);
  const Entry* e = r.ok ? Find(r.key) : nullptr;
  return e != nullptr && !e->folder;
}

bool FakeFileSystem::IsFolder(const std::wstring& path) const {
  Resolved r = Resolve(path);
  return r.ok && IsFolderKey(r.key);
}

std::string FakeFileSystem::Contents(const std::wstring& path) const {
  Resolved r = Resolve(path);
  const Entry* e = r.ok ? Find(r.key) : nullptr;
  return e != nullptr ? e->contents : std::string();
}

std::uint32_t FakeFileSystem::Attributes(const std::wstring& path) const {
  Resolved r = Resolve(path);
  const Entry* e = r.ok ? Find(r.key) : nullptr;
  return e != nullptr ? e->attributes : 0;
}

std::vector<std::wstring> FakeFileSystem::Listing() const {
  std::vector<std::wstring> out;
  for (const auto& [key, e] : entries_) out.push_back(e.path);
  return out;
}

std::vector<std::wstring> FakeFileSystem::FoldersMade() const {
  std::vector<std::wstring> out;
  for (const Call& c : calls) {
    if (c.op == Op::MakeFolder && c.result == 0) out.push_back(c.path);
  }
  return out;
}

std::vector<FakeFileSystem::Call> FakeFileSystem::Changes() const {
  std::vector<Call> out;
  for (const Call& c : calls) {
    if (c.op != Op::FileModifiedTime && c.op != Op::ReadAllBytes && c.op != Op::ChangeDrive &&
        c.op != Op::FileAttributes)
      out.push_back(c);
  }
  return out;
}

std::vector<std::wstring> FakeFileSystem::CallLog() const {
  std::vector<std::wstring> out;
  for (const Call& c : calls) {
    std::wstring line = std::wstring(OpName(c.op)) + L" " + c.path;
    if (c.op == Op::MoveFile) line += L" -> " + c.to;
    out.push_back(line);
  }
  return out;
}

// --- platform::FileSystem ----------------------------------------------------

int FakeFileSystem::FileModifiedTime(const std::wstring& path) {
  int number = TimeQuery(path);
  calls.push_back({Op::FileModifiedTime, path, {}, static_cast<std::uint32_t>(number)});
  return number;
}

int FakeFileSystem::TimeQuery(const std::wstring& path) const {
  if (path.empty()) return kFileNotFound;
  Resolved r = Resolve(path);
  if (r.network) return kDeviceUnavailable;
  if (r.badName) return kBadFileName;
  auto failure = failures_.find({Op::FileModifiedTime, r.key});
  if (failure != failures_.end()) return static_cast<int>(failure->second);
  if (CheckDrive(r.drive) != 0) return kDeviceUnavailable;
  if (r.parentKey.empty()) return 0;
  if (!IsFolderKey(r.parentKey)) return kPathNotFound;
  return Find(r.key) != nullptr ? 0 : kFileNotFound;
}

platform::OpResult FakeFileSystem::ChangeDrive(const std::wstring& path) {
  return Record(Op::ChangeDrive, path, {}, DoChangeDrive(path));
}

platform::OpResult FakeFileSystem::DoChangeDrive(const std::wstring& path) {
  if (path.empty() || !IsLetter(path[0])) return Fail(kErrInvalidDrive);
  wchar_t drive = UpperLetter(path[0]);
  auto it = drives_.find(drive);
  if (it == drives_.end()) return Fail(kErrInvalidDrive);
  if (it->second == DriveState::NotReady) return Fail(kErrNotReady);
  currentDrive_ = drive;
  return {};
}

platform::OpResult FakeFileSystem::DoMakeFolder(const std::wstring& path) {
  Resolved r = Resolve(path);
  if (path.empty()) return Fail(kErrPathNotFound);
  if (r.network) return Fail(53);
  if (r.badName) return Fail(kErrBadName);
  std::uint32_t code = 0;
  if (Failing(Op::MakeFolder, r, code)) return Fail(code);
  if ((code = CheckParent(r))) return Fail(code);
  if (r.parentKey.empty() || Find(r.key) != nullptr) return Fail(kErrAlreadyExists);
  Entry& e = entries_[r.key];
  e.path = r.display;
  e.folder = true;
  e.attributes = kFolderAttribute;
  return {};
}

// Reads the attributes, or with `set` replaces them (a folder stays one).
platform::OpResult FakeFileSystem::DoAttributes(const std::wstring& path, const std::uint32_t* set,
                                                std::uint32_t& attributes) {
  Resolved r = Resolve(path);
  if (!r.ok) return Fail(r.badName ? kErrBadName : r.network ? 53 : kErrPathNotFound);
  std::uint32_t code = 0;
  if (Failing(set ? Op::SetFileAttributes : Op::FileAttributes, r, code)) return Fail(code);
  if ((code = CheckParent(r))) return Fail(code);
  auto it = entries_.find(r.key);
  if (it == entries_.end()) return r.parentKey.empty() ? Fail(kErrAccessDenied) : Fail(kErrFileNotFound);
  if (set) it->second.attributes = *set | (it->second.folder ? kFolderAttribute : 0);
  attributes = it->second.attributes;
  return {};
}

// A delete, or a move into the Recycle Bin, which read-only does not stop.
platform::OpResult FakeFileSystem::DoRemoveFile(const std::wstring& path, bool recycle) {
  Resolved r = Resolve(path);
  if (!r.ok) return Fail(r.badName ? kErrBadName : r.network ? 53 : kErrPathNotFound);
  std::uint32_t code = 0;
  if (Failing(recycle ? Op::RecycleFile : Op::RemoveFile, r, code)) return Fail(code);
  if ((code = CheckParent(r))) return Fail(code);
  auto it = entries_.find(r.key);
  if (it == entries_.end()) return r.parentKey.empty() ? Fail(kErrAccessDenied) : Fail(kErrFileNotFound);
  if (it->second.folder || (!recycle && (it->second.attributes & kReadOnly))) return Fail(kErrAccessDenied);
  if (inUse_.count(r.key)) return Fail(kErrSharingViolation);
  entries_.erase(it);
  if (recycle) recycled.push_back(path);
  return {};
}

platform::OpResult FakeFileSystem::DoMoveFile(const std::wstring& from, const std::wstring& to) {
  Resolved src = Resolve(from);
  Resolved dst = Resolve(to);
  if (!src.ok) return Fail(src.badName ? kErrBadName : src.network ? 53 : kErrPathNotFound);
  std::uint32_t code = 0;
  if (Failing(Op::MoveFile, src, code)) return Fail(code);
  if ((code = CheckParent(src))) return Fail(code);
  auto it = entries_.find(src.key);
  if (it == entries_.end()) return Fail(kErrFileNotFound);
  if (to.empty()) return Fail(kErrPathNotFound);
  if (!dst.ok) return Fail(dst.badName ? kErrBadName : dst.network ? 53 : kErrPathNotFound);
  if (inUse_.count(src.key)) return Fail(kErrSharingViolation);
  if ((code = CheckParent(dst))) return Fail(code);
  if (dst.parentKey.empty()) return Fail(kErrAccessDenied);
  if (dst.key != src.key && Find(dst.key) != nullptr) return Fail(kErrAlreadyExists);

  if (it->second.folder) {
    if (dst.drive != src.drive) return Fail(kErrNotSameDevice);
    if (StartsWith(dst.key, src.key + L"\\")) return Fail(kErrAccessDenied);
    std::map<std::wstring, Entry> moved;
    for (auto e = entries_.begin(); e != entries_.end();) {
      if (e->first == src.key || StartsWith(e->first, src.key + L"\\")) {
        Entry entry = e->second;
        entry.path = dst.display + entry.path.substr(src.display.size());
        moved[Lower(entry.path)] = entry;
        e = entries_.erase(e);
      } else {
        ++e;
      }
    }
    entries_.insert(moved.begin(), moved.end());
    return {};
  }
  Entry entry = it->second;
  entry.path = dst.display;
  entries_.erase(it);
  entries_[dst.key] = entry;
  return {};
}

platform::OpResult FakeFileSystem::DoReadAllBytes(const std::wstring& path, std::string& bytes) {
  Resolved r = Resolve(path);
  if (!r.ok) return Fail(r.badName ? kErrBadName : r.network ? 53 : kErrPathNotFound);
  std::uint32_t code = 0;
  if (Failing(Op::ReadAllBytes, r, code)) return Fail(code);
  if ((code = CheckParent(r))) return Fail(code);
  const Entry* e = Find(r.key);
  if (e == nullptr) return r.parentKey.empty() ? Fail(kErrAccessDenied) : Fail(kErrFileNotFound);
  if (e->folder) return Fail(kErrAccessDenied);
  if (inUse_.count(r.key)) return Fail(kErrSharingViolation);
  bytes = e->contents;
  return {};
}

platform::OpResult FakeFileSystem::DoReplaceAllBytes(const std::wstring& path, const std::string& bytes) {
  Resolved r = Resolve(path);
  if (!r.ok) return Fail(r.badName ? kErrBadName : r.network ? 53 : kErrPathNotFound);
  std::uint32_t code = 0;
  if (Failing(Op::ReplaceAllBytes, r, code)) return Fail(code);
  if ((code = CheckParent(r))) return Fail(code);
  if (r.parentKey.empty()) return Fail(kErrAccessDenied);
  const Entry* e = Find(r.key);
  if (e != nullptr && e->folder) return Fail(kErrAccessDenied);
  if (e != nullptr && (e->attributes & kReadOnly)) return Fail(kErrAccessDenied);
  if (inUse_.count(r.key)) return Fail(kErrSharingViolation);
  if (replaceFailure != 0) return Fail(replaceFailure);
  Entry& entry = entries_[r.key];
  if (e == nullptr) {
    entry.path = r.display;
    entry.attributes = kArchive;
  }
  entry.contents = bytes;
  return {};
}

platform::OpResult FakeFileSystem::Record(Op op, const std::wstring& path, const std::wstring& to,
                                          platform::OpResult result) {
  calls.push_back({op, path, to, result.code});
  return result;
}

platform::OpResult FakeFileSystem::MakeFolder(const std::wstring& path) {
  return Record(Op::MakeFolder, path, {}, DoMakeFolder(path));
}

platform::OpResult FakeFileSystem::FileAttributes(const std::wstring& path, std::uint32_t& attributes) {
  return Record(Op::FileAttributes, path, {}, DoAttributes(path, nullptr, attributes));
}

platform::OpResult FakeFileSystem::SetFileAttributes(const std::wstring& path, std::uint32_t attributes) {
  std::uint32_t now = 0;
  return Record(Op::SetFileAttributes, path, {}, DoAttributes(path, &attributes, now));
}

platform::OpResult FakeFileSystem::RemoveFile(const std::wstring& path) {
  return Record(Op::RemoveFile, path, {}, DoRemoveFile(path, false));
}

platform::OpResult FakeFileSystem::RecycleFile(const std::wstring& path) {
  return Record(Op::RecycleFile, path, {}, DoRemoveFile(path, true));
}

platform::OpResult FakeFileSystem::MoveFile(const std::wstring& from, const std::wstring& to) {
  return Record(Op::MoveFile, from, to, DoMoveFile(from, to));
}

platform::OpResult FakeFileSystem::ReadAllBytes(const std::wstring& path, std::string& bytes) {
  return Record(Op::ReadAllBytes, path, {}, DoReadAllBytes(path, bytes));
}

platform::OpResult FakeFileSystem::ReplaceAllBytes(const std::wstring& path, const std::string& bytes) {
  return Record(Op::ReplaceAllBytes, path, {}, DoReplaceAllBytes(path, bytes));
}

}  // namespace vandrel::testing
