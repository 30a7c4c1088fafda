// An in-memory file system that answers as Windows does: drives that are
// present, not ready or missing; folders; files with attributes and contents;
// files held open by another program; and a record of every call, in order.
//
// Paths are Windows paths. Names compare without regard to case, a run of
// "\" counts as one, and a path without a drive letter lies on the current
// drive (C: at first).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vandrel::testing {

enum class DriveState { Present, NotReady };

// File attributes as Windows numbers them.
inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kSystem = 0x4;
inline constexpr std::uint32_t kArchive = 0x20;

// Windows error codes the fake answers with.
inline constexpr std::uint32_t kErrFileNotFound = 2;
inline constexpr std::uint32_t kErrPathNotFound = 3;
inline constexpr std::uint32_t kErrAccessDenied = 5;
inline constexpr std::uint32_t kErrInvalidDrive = 15;
inline constexpr std::uint32_t kErrNotSameDevice = 17;
inline constexpr std::uint32_t kErrNotReady = 21;
inline constexpr std::uint32_t kErrSharingViolation = 32;
inline constexpr std::uint32_t kErrBadName = 123;
inline constexpr std::uint32_t kErrAlreadyExists = 183;

// The system's text for a code, as the fake reports it.
std::wstring SystemText(std::uint32_t code);

class FakeFileSystem : public platform::FileSystem {
 public:
  enum class Op {
    FileModifiedTime,
    ChangeDrive,
    MakeFolder,
    FileAttributes,
    SetFileAttributes,
    RemoveFile,
    RecycleFile,
    MoveFile,
    ReadAllBytes,
    ReplaceAllBytes
  };

  struct Call {
    Op op;
    std::wstring path;
    std::wstring to;       // MoveFile only
    std::uint32_t result;  // 0 when it worked (for the time query: its number)
  };

  // Starts with drive C: present and empty.
  FakeFileSystem();

  // --- Setting the scene -------------------------------------------------
  void AddDrive(wchar_t letter, DriveState state = DriveState::Present);
  void SetDriveState(wchar_t letter, DriveState state);
  // Creates the folder and every missing folder above it.
  void AddFolder(const std::wstring& path);
  // Creates the file (and the folders above it), replacing any file there.
  void AddFile(const std::wstring& path, const std::string& contents = "",
               std::uint32_t attributes = kArchive);
  // Another program holds the file open without sharing: deleting, moving,
  // reading and rewriting it fail with 32, as on Windows. Attribute changes
  // and the time query still work.
  void SetInUse(const std::wstring& path, bool inUse = true);
  // Makes every later call of `op` on `path` (the source, for MoveFile) fail
  // with `code` and the system's text for it, touching nothing. For the time
  // query, `code` is the number it reports.
  void FailOperation(Op op, const std::wstring& path, std::uint32_t code);
  // When not 0, every ReplaceAllBytes fails with this code and the file keeps
  // its old contents.
  std::uint32_t replaceFailure = 0;

  // --- Looking at the result ---------------------------------------------
  bool Exists(const std::wstring& path) const;
  bool IsFile(const std::wstring& path) const;
  bool IsFolder(const std::wstring& path) const;
  std::string Contents(const std::wstring& path) const;      // empty when absent
  std::uint32_t Attributes(const std::wstring& path) const;  // 0 when absent
  wchar_t CurrentDrive() const { return currentDrive_; }
  // Every file and folder, as created (display case), in key order.
  std::vector<std::wstring> Listing() const;
  // Folders created through MakeFolder, in order, as the caller spelled them.
  std::vector<std::wstring> FoldersMade() const;
  // Files moved into the Recycle Bin, in order, as the caller spelled them.
  std::vector<std::wstring> recycled;
  // Milliseconds waited through Sleep, in all.
  unsigned slept = 0;

  // Every call, in order.
  std::vector<Call> calls;
  // The calls that change something (or would have, had they worked).
  std::vector<Call> Changes() const;
  // The calls as text, e.g. L"MoveFile C:\\a.mp3 -> D:\\a.mp3".
  std::vector<std::wstring> CallLog() const;
  static const wchar_t* OpName(Op op);

  // --- platform::FileSystem -----------------------------------------------
  int FileModifiedTime(const std::wstring& path) override;
  platform::OpResult ChangeDrive(const std::wstring& path) override;
  platform::OpResult MakeFolder(const std::wstring& path) override;
  platform::OpResult FileAttributes(const std::wstring& path, std::uint32_t& attributes) override;
  platform::OpResult SetFileAttributes(const std::wstring& path, std::uint32_t attributes) override;
  platform::OpResult RemoveFile(const std::wstring& path) override;
  platform::OpResult RecycleFile(const std::wstring& path) override;
  void Sleep(unsigned milliseconds) override { slept += milliseconds; }
  platform::OpResult MoveFile(const std::wstring& from, const std::wstring& to) override;
  platform::OpResult ReadAllBytes(const std::wstring& path, std::string& bytes) override;
  platform::OpResult ReplaceAllBytes(const std::wstring& path, const std::string& bytes) override;

 private:
  struct Entry {
    std::wstring path;  // as created
    bool folder = false;
    std::uint32_t attributes = 0;
    std::string contents;
  };

  // A path made absolute with runs of "\" collapsed; `ok` is false for a
  // network path or one without a usable drive letter.
  struct Resolved {
    bool ok = false;
    bool network = false;
    bool badName = false;
    wchar_t drive = 0;       // upper case
    std::wstring display;    // e.g. C:\Music\a.mp3 (root: C:\)
    std::wstring key;        // lower case
    std::wstring parentKey;  // empty for a root
  };

  int TimeQuery(const std::wstring& path) const;
  platform::OpResult DoChangeDrive(const std::wstring& path);
  platform::OpResult DoMakeFolder(const std::wstring& path);
  platform::OpResult DoAttributes(const std::wstring& path, const std::uint32_t* set,
                                  std::uint32_t& attributes);
  platform::OpResult DoRemoveFile(const std::wstring& path, bool recycle);
  platform::OpResult DoMoveFile(const std::wstring& from, const std::wstring& to);
  platform::OpResult DoReadAllBytes(const std::wstring& path, std::string& bytes);
  platform::OpResult DoReplaceAllBytes(const std::wstring& path, const std::string& bytes);
  platform::OpResult Record(Op op, const std::wstring& path, const std::wstring& to,
                            platform::OpResult result);

  Resolved Resolve(const std::wstring& path) const;
  // 0 when the drive is there and the parent folder exists; else the code.
  std::uint32_t CheckParent(const Resolved& r) const;
  std::uint32_t CheckDrive(wchar_t drive) const;
  const Entry* Find(const std::wstring& key) const;
  bool IsFolderKey(const std::wstring& key) const;
  bool Failing(Op op, const Resolved& r, std::uint32_t& code) const;
  static platform::OpResult Fail(std::uint32_t code);
  static std::wstring Lower(const std::wstring& text);

  std::map<wchar_t, DriveState> drives_;
  std::map<std::wstring, Entry> entries_;  // by key; roots are implicit
  std::set<std::wstring> inUse_;
  std::map<std::pair<Op, std::wstring>, std::uint32_t> failures_;
  wchar_t currentDrive_ = L'C';
};

}  // namespace vandrel::testing
