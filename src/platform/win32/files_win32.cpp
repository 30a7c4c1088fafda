// The file system through the wide Win32 file functions, so names outside the
// ANSI code page work.
#include <memory>
#include <string>

#include "platform/win32/win32.h"
// After <windows.h>, which it needs.
#include <shellapi.h>
#include <cstdio>

#include "platform/win32/win32_services.h"

namespace vandrel::platform::win32 {

namespace {

// The numbers the file-time query reports.
constexpr int kBadFileName = 52;
constexpr int kFileNotFound = 53;
constexpr int kDeviceUnavailable = 68;
constexpr int kPathFileAccessError = 75;
constexpr int kPathNotFound = 76;

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  // Closes now; false when closing failed.
  bool Close() {
    bool ok = !valid() || CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The system's text for an error code, without the line break it ends with.
std::wstring SystemText(DWORD code) {
  char buffer[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                           buffer, sizeof buffer, nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (text.empty()) return L"System error " + std::to_wstring(code) + L".";
  return Win32Ui().FromAnsi(text);
}

OpResult Result(BOOL ok) {
  if (ok) return {};
  DWORD code = GetLastError();
  if (code == 0) code = ERROR_GEN_FAILURE;
  return {code, SystemText(code)};
}

OpResult Failure(DWORD code) { return {code, SystemText(code)}; }

bool Present(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != 0;
}

// For a path that begins with a drive letter: false when that drive's root
// cannot be reached (no such drive, or nothing behind it).
bool DriveMissing(const std::wstring& path) {
  if (path.size() < 2 || path[1] != L':') return false;
  wchar_t letter = path[0];
  if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z'))) return false;
  return !Present(std::wstring(1, letter) + L":\\");
}

// What the file-time query reports for a failed attribute query. Windows
// says "no such drive" and "drive not ready" outright; Wine says "file not
// found" or "path not found" for both, so those two are checked against the
// drive's root before they count as a missing file or folder.
int TimeQueryNumber(DWORD code, const std::wstring& path) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
      return DriveMissing(path) ? kDeviceUnavailable : kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
      return DriveMissing(path) ? kDeviceUnavailable : kPathNotFound;
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_UNRECOGNIZED_VOLUME:
    case ERROR_NO_MEDIA_IN_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_DEV_TYPE:
    case ERROR_REM_NOT_LIST:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_NO_NETWORK:
    case ERROR_NO_NET_OR_BAD_PATH:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_NOT_CONNECTED:
      return kDeviceUnavailable;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return kBadFileName;
    default:
      return kPathFileAccessError;
  }
}

// Deletes the source of a copied file. A read-only source may go (its copy
// keeps the attribute); on failure its attributes are as they were.
bool DeleteSource(const std::wstring& source) {
  if (DeleteFileW(source.c_str())) return true;
  DWORD code = GetLastError();
  DWORD attributes = GetFileAttributesW(source.c_str());
  if (code == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      SetFileAttributesW(source.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
    if (DeleteFileW(source.c_str())) return true;
    code = GetLastError();
    SetFileAttributesW(source.c_str(), attributes);
  }
  SetLastError(code);
  return false;
}

OpResult WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr)) {
      return Result(FALSE);
    }
    if (wrote == 0) return Failure(ERROR_WRITE_FAULT);
    done += wrote;
  }
  return {};
}

// The file, open for adding at its end, closed with its owner.
class OpenAppendFile : public AppendFile {
 public:
  explicit OpenAppendFile(HANDLE handle) : file_(handle) {}
  bool valid() const { return file_.valid(); }
  OpResult Append(const std::string& bytes, std::uint64_t& size) override {
    if (OpResult written = WriteAll(file_.get(), bytes); !written.ok()) return written;
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file_.get(), &length)) return Result(FALSE);
    size = static_cast<std::uint64_t>(length.QuadPart);
    return {};
  }

 private:
  FileHandle file_;
};

class Win32FileSystem final : public FileSystem {
 public:
  int FileModifiedTime(const std::wstring& path) override {
    if (path.empty()) return kFileNotFound;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    DWORD code = GetLastError();
    if (code == ERROR_SHARING_VIOLATION) {
      // A few system files refuse even the attribute query; the folder
      // listing still knows them.
      WIN32_FIND_DATAW found;
      FindHandle find(FindFirstFileW(path.c_str(), &found));
      if (find.valid()) return 0;
    }
    return TimeQueryNumber(code, path);
  }

  OpResult ChangeDrive(const std::wstring& path) override {
    if (path.empty()) return Failure(ERROR_INVALID_DRIVE);
    std::wstring root = path.substr(0, 1) + L":\\";
    return Result(SetCurrentDirectoryW(root.c_str()));
  }

  OpResult MakeFolder(const std::wstring& path) override {
    return Result(CreateDirectoryW(path.c_str(), nullptr));
  }

  OpResult FileAttributes(const std::wstring& path, std::uint32_t& attributes) override {
    DWORD got = GetFileAttributesW(path.c_str());
    if (got == INVALID_FILE_ATTRIBUTES) return Result(FALSE);
    attributes = got;
    return {};
  }

  OpResult SetFileAttributes(const std::wstring& path, std::uint32_t attributes) override {
    return Result(SetFileAttributesW(path.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes));
  }

  OpResult RemoveFile(const std::wstring& path) override { return Result(DeleteFileW(path.c_str())); }

  OpResult RecycleBinTakes(const std::wstring& path) override { return win32::RecycleBinTakes(path); }
  OpResult RecycleFile(const std::wstring& path, InRecycleBin& done) override {
    return RecycleIntoBin(path, done);
  }
  OpResult RestoreRecycledItem(const std::wstring& item, const std::wstring& path) override {
    return win32::RestoreRecycledItem(item, path);
  }
  OpResult RestoreRecycled(const std::wstring& path) override { return RestoreRecycledFrom(path); }

  void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }

  // A rename when both paths are on one volume; across volumes a copy and a
  // delete (CopyThenDelete).
  OpResult MoveFile(const std::wstring& from, const std::wstring& to) override {
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) return {};
    DWORD code = GetLastError();
    if (code != ERROR_NOT_SAME_DEVICE) return Failure(code);
    return CopyThenDelete(from, to);
  }

  OpResult ReadAllBytes(const std::wstring& path, std::string& bytes) override {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Result(FALSE);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return Result(FALSE);
    if (size.QuadPart > 0x7FFFFFFF) return Failure(ERROR_FILE_TOO_LARGE);
    std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < data.size()) {
      DWORD got = 0;
      if (!ReadFile(file.get(), data.data() + done, static_cast<DWORD>(data.size() - done), &got, nullptr)) {
        return Result(FALSE);
      }
      if (got == 0) break;
      done += got;
    }
    data.resize(done);
    bytes = std::move(data);
    return {};
  }

  // Writes a temporary file beside the target, flushes it and puts it in the
  // target's place in one step; on any failure the target is as it was and
  // the temporary file is gone.
  OpResult RemoveFolder(const std::wstring& path) override { return Result(RemoveDirectoryW(path.c_str())); }
  OpResult FilesStartingWith(const std::wstring& folder, const std::wstring& prefix,
                             std::vector<std::wstring>& names) override {
    names.clear();
    WIN32_FIND_DATAW found{};
    FindHandle find(FindFirstFileW((folder + L"\\" + prefix + L"*").c_str(), &found));
    if (!find.valid()) return GetLastError() == ERROR_FILE_NOT_FOUND ? OpResult{} : Result(FALSE);
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (FindNextFileW(find.get(), &found));
    return {};
  }
  OpResult CanWriteIn(const std::wstring& folder) override {
    std::wstring probe = folder;
    if (!probe.empty() && probe.back() != L'\\' && probe.back() != L'/') probe += L'\\';
    probe += L"vandrel-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    FileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file.valid() ? OpResult{} : Result(FALSE);
  }
  std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path, OpResult& result) override {
    auto file =
        std::make_unique<OpenAppendFile>(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    result = file->valid() ? OpResult{} : Result(FALSE);
    return file->valid() ? std::move(file) : nullptr;
  }
  std::string LocalTime() override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond);
    return text;
  }
  OpResult ReplaceAllBytes(const std::wstring& path, const std::string& bytes) override {
    std::size_t cut = path.find_last_of(L"\\/");
    std::wstring folder = cut == std::wstring::npos ? L"." : path.substr(0, cut + 1);
    wchar_t temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), L"vdl", 0, temp)) return Result(FALSE);

    OpResult result = WriteTemp(temp, bytes);
    if (result.ok()) {
      result = Result(MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    }
    if (!result.ok()) DeleteFileW(temp);
    return result;
  }

 private:
  static OpResult WriteTemp(const wchar_t* temp, const std::string& bytes) {
    FileHandle file(
        CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Result(FALSE);
    if (OpResult written = WriteAll(file.get(), bytes); !written.ok()) return written;
    if (!FlushFileBuffers(file.get())) return Result(FALSE);
    if (!file.Close()) return Result(FALSE);
    return {};
  }
};

}  // namespace

// The file copied and the source deleted, rather than by MoveFileEx's copy
// option: that one reports success when the source cannot be deleted after
// the copy, leaving the file in both places. Here the copy is taken back
// instead and the failure reported, so the file is where it was. An existing
// destination is never replaced.
OpResult CopyThenDelete(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) {
    DWORD code = GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
      // The destination did not exist before: whatever part of it was
      // written goes.
      SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(to.c_str());
    }
    return Failure(code);
  }
  if (!DeleteSource(from)) {
    DWORD code = GetLastError();
    SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(to.c_str());
    return Failure(code);
  }
  return {};
}

// The shell's own numbers come back as the code; most of them are the
// system's error codes (32 when another program holds the file). An
// operation the shell gave up on (the user said no to one of its questions)
// did not happen.
OpResult ShellOperationResult(int code, bool aborted) {
  if (code != 0) return Failure(static_cast<DWORD>(code));
  if (aborted) return Failure(ERROR_CANCELLED);
  return {};
}

FileSystem& Win32Files() {
  static Win32FileSystem files;
  return files;
}

OpResult ResultOf(bool ok) { return Result(ok ? TRUE : FALSE); }

OpResult ResultOfCode(std::uint32_t code) { return Failure(code); }

}  // namespace vandrel::platform::win32
