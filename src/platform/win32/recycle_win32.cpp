// Sending one file into the Recycle Bin, and knowing at the cost of that one
// file whether the Recycle Bin takes it and where it went; putting such an
// item back. Nothing here counts or walks the Recycle Bin's items.
//
// Windows tells it through IFileOperation: the item the Recycle Bin made, or
// none when the file was destroyed. Wine keeps its Recycle Bin in the
// freedesktop.org Trash of the user's Unix home (Trash\files holds the files,
// Trash\info a NAME.trashinfo record for each) and offers no IFileOperation:
// there the record of the one file is looked for by its name.
#include <cctype>
#include <cstdint>
#include <cwctype>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/win32/win32.h"
// After <windows.h>, which they need.
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_services.h"

namespace vandrel::platform::win32 {

namespace {

OpResult Failed(DWORD code, const std::wstring& text) { return {code, text}; }

// A file or search handle, closed with its owner.
class Handle {
 public:
  explicit Handle(HANDLE handle, bool search = false) : handle_(handle), search_(search) {}
  ~Handle() {
    if (valid()) search_ ? FindClose(handle_) : CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
  bool search_;
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring Variable(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2] = L"";
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return length > 0 && length < MAX_PATH * 2 ? value : L"";
}

bool UnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

// Wine's Trash, found as Wine finds it, and whether files can go there:
// looked at once a session, as Wine itself does.
struct Trash {
  std::wstring files, info;
  OpResult usable;
};

// A Unix folder as Windows programs name it (Z:\home\...), as Wine's own
// wine_get_dos_file_name gives it; else through Wine's \\?\unix prefix.
std::wstring UnixFolder(std::wstring unix) {
  using DosName = WCHAR*(CDECL*)(LPCSTR);
  const auto dosName = reinterpret_cast<DosName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  char bytes[MAX_PATH * 4] = "";
  if (dosName &&
      WideCharToMultiByte(CP_UTF8, 0, unix.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr) > 0) {
    if (WCHAR* dos = dosName(bytes)) {
      std::wstring name = dos;
      HeapFree(GetProcessHeap(), 0, dos);
      return name;
    }
  }
  for (wchar_t& c : unix) c = c == L'/' ? L'\\' : c;
  return L"\\\\?\\unix" + unix;
}

Trash FindTrash() {
  Trash trash;
  std::wstring root;
  for (const wchar_t* name : {L"WINE_HOST_XDG_DATA_HOME", L"XDG_DATA_HOME"}) {
    const std::wstring data = Variable(name);
    if (root.empty() && !data.empty() && data[0] == L'/') root = UnixFolder(data + L"/Trash");
  }
  if (root.empty()) {
    std::wstring home = Variable(L"WINEHOMEDIR");  // \??\unix/home/user
    if (home.compare(0, 4, L"\\??\\") == 0) {
      home[1] = L'\\';
      for (wchar_t& c : home) c = c == L'/' ? L'\\' : c;
      root = home + L"\\.local\\share\\Trash";
    } else if (const std::wstring unixHome = Variable(L"HOME"); !unixHome.empty() && unixHome[0] == L'/') {
      root = UnixFolder(unixHome + L"/.local/share/Trash");
    }
  }
  if (root.empty()) {
    trash.usable = Failed(ERROR_PATH_NOT_FOUND, L"There is no Recycle Bin: no home folder is known.");
    return trash;
  }
  trash.files = root + L"\\files";
  trash.info = root + L"\\info";
  SHCreateDirectoryExW(nullptr, root.c_str(), nullptr);
  CreateDirectoryW(trash.files.c_str(), nullptr);
  CreateDirectoryW(trash.info.c_str(), nullptr);
  // A record that can be made and removed: the Trash takes files.
  const std::wstring probe = trash.info + L"\\vandrel-probe-" + std::to_wstring(GetCurrentProcessId());
  const Handle written(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  const DWORD code = written.valid() ? ERROR_CANNOT_MAKE : GetLastError();
  if (!IsFolder(trash.files) || !written.valid()) {
    trash.usable = Failed(code != 0 ? code : ERROR_CANNOT_MAKE,
                          L"The Recycle Bin's folder\r\n" + root + L"\r\ncannot be written.");
  }
  return trash;
}

const Trash& WineTrash() {
  static const Trash trash = FindTrash();
  return trash;
}

// The records of the Trash named after `name`, beyond the plain NAME.trashinfo
// (Wine adds "-" and eight hex digits when that one is taken).
std::set<std::wstring> RecordsNamed(const Trash& trash, const std::wstring& name) {
  std::set<std::wstring> records;
  WIN32_FIND_DATAW found;
  const Handle search(FindFirstFileW((trash.info + L"\\" + name + L"-*.trashinfo").c_str(), &found), true);
  for (bool more = search.valid(); more; more = FindNextFileW(search.get(), &found) != FALSE)
    records.insert(found.cFileName);
  return records;
}

// The Trash's item deleted from `path` most lately, found among the records
// named after the file (NAME.trashinfo, NAME-xxxxxxxx.trashinfo) by the
// original place each names; empty when there is none.
// The original place a Trash record names: its Path= line, the bytes
// outside plain ASCII as %XX.
std::string OriginalPlace(const std::string& record) {
  std::string from;
  for (std::size_t line = 0; line < record.size();) {
    std::size_t end = record.find('\n', line);
    if (end == std::string::npos) end = record.size();
    for (std::size_t i = line + 5; record.compare(line, 5, "Path=") == 0 && i < end; ++i) {
      const auto hex = [&](std::size_t at) { return std::isxdigit(static_cast<unsigned char>(record[at])); };
      if (record[i] == '%' && i + 2 < end && hex(i + 1) && hex(i + 2)) {
        from += static_cast<char>(std::stoi(record.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        from += record[i];
      }
    }
    line = end + 1;
  }
  return from;
}

std::wstring TrashItemFrom(const Trash& trash, const std::wstring& path) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(path.c_str()) : nullptr;
  if (!name) return {};
  const std::string original = name;
  HeapFree(GetProcessHeap(), 0, name);
  std::set<std::wstring> records = RecordsNamed(trash, NameOf(path));
  records.insert(NameOf(path) + L".trashinfo");
  std::wstring newest;
  std::uint64_t newestAt = 0;
  for (const std::wstring& record : records) {
    Handle file(CreateFileW((trash.info + L"\\" + record).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) continue;
    std::string text(4096, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) read = 0;
    text.resize(read);
    // When it was written: the moment of the delete, finer than its DeletionDate.
    FILETIME written = {};
    GetFileTime(file.get(), nullptr, nullptr, &written);
    const std::uint64_t at =
        (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    constexpr std::size_t kSuffix = sizeof ".trashinfo" - 1;
    const std::wstring item = trash.files + L"\\" + record.substr(0, record.size() - kSuffix);
    if (OriginalPlace(text) == original && (newest.empty() || at >= newestAt) && Exists(item)) {
      newest = item;
      newestAt = at;
    }
  }
  return newest;
}

// A file as the Trash keeps it: its size and last write, which a move into
// the Trash keeps (a rename, or a copy across file systems).
struct Stamp {
  bool there = false;
  std::uint64_t size = 0, written = 0;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return {true, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
          (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
              data.ftLastWriteTime.dwLowDateTime};
}

// Notes the song before the delete and finds afterwards the Trash's item
// that is the song: files\NAME with its record, or where Wine found that
// taken, files\NAME-xxxxxxxx. Only names that exist are looked up in the
// common case: under Wine a name that is not there costs a read of the
// whole folder, which may hold thousands of items.
class TrashLook {
 public:
  TrashLook(const Trash& trash, const std::wstring& path)
      : trash_(trash), name_(NameOf(path)), song_(StampOf(path)) {}
  InRecycleBin After() const {
    InRecycleBin done;
    if (Ours(name_)) {
      done.item = trash_.files + L"\\" + name_;
      return done;
    }
    constexpr std::size_t kSuffix = sizeof ".trashinfo" - 1;
    for (const std::wstring& record : RecordsNamed(trash_, name_)) {
      const std::wstring stem = record.substr(0, record.size() - kSuffix);
      if (Ours(stem)) done.item = trash_.files + L"\\" + stem;
    }
    done.destroyed = done.item.empty();
    return done;
  }

 private:
  bool Ours(const std::wstring& name) const {
    return song_.there && StampOf(trash_.files + L"\\" + name) == song_ &&
           Exists(trash_.info + L"\\" + name + L".trashinfo");
  }
  const Trash& trash_;
  std::wstring name_;
  Stamp song_;
};

// Tells what became of the item IFileOperation deleted.
class DeleteSink : public IFileOperationProgressSink {
 public:
  bool told = false;
  HRESULT result = S_OK;
  bool created = false;
  std::wstring item;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
      *out = static_cast<IFileOperationProgressSink*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // It lives on the stack for one operation.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT hr,
                                           IShellItem* newlyCreated) override {
    told = true;
    result = hr;
    created = newlyCreated != nullptr;
    PWSTR path = nullptr;
    if (newlyCreated && SUCCEEDED(newlyCreated->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
      item = path;
      CoTaskMemFree(path);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                         IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                         IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD, IShellItem*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                        IShellItem*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};

OpResult FromHresult(HRESULT hr) {
  const DWORD code = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
  return ResultOfCode(code == 0 ? ERROR_GEN_FAILURE : code);
}

// The delete through IFileOperation, which names the item it made in the
// Recycle Bin. False when this Windows offers no IFileOperation (nothing was
// done then).
bool RecycleWithFileOperation(const std::wstring& path, OpResult& result, InRecycleBin& done) {
  ComApartment apartment;
  Com<IFileOperation> operation;
  Com<IShellItem> item;
  if (FAILED(CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_IFileOperation,
                              operation.put_void())) ||
      FAILED(operation->SetOperationFlags(FOF_ALLOWUNDO | FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI |
                                          FOFX_RECYCLEONDELETE | FOF_WANTNUKEWARNING)) ||
      FAILED(SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem, item.put_void()))) {
    return false;
  }
  DeleteSink sink;
  DWORD cookie = 0;
  if (FAILED(operation->Advise(&sink, &cookie))) return false;
  HRESULT hr = operation->DeleteItem(item.get(), nullptr);
  if (SUCCEEDED(hr)) hr = operation->PerformOperations();
  operation->Unadvise(cookie);
  if (hr == E_NOTIMPL || (SUCCEEDED(hr) && !sink.told)) return false;
  BOOL aborted = FALSE;
  if (SUCCEEDED(hr) && SUCCEEDED(operation->GetAnyOperationsAborted(&aborted)) && aborted) {
    result = ResultOfCode(ERROR_CANCELLED);
  } else if (FAILED(hr) || FAILED(sink.result)) {
    result = FromHresult(FAILED(hr) ? hr : sink.result);
  } else {
    result = {};
    done.destroyed = !sink.created;
    done.item = sink.item;
  }
  return true;
}

// What Windows's settings say of a drive's Recycle Bin.
struct DriveBin {
  UINT type = DRIVE_FIXED;
  bool off = false;              // NukeOnDelete: files are removed at once
  std::uint64_t capacityMb = 0;  // MaxCapacity; 0: not known
};

DriveBin ReadDriveBin(const std::wstring& root) {
  DriveBin bin;
  bin.type = GetDriveTypeW(root.c_str());
  wchar_t volume[64] = L"";
  if (!GetVolumeNameForVolumeMountPointW(root.c_str(), volume, 64)) return bin;
  const std::wstring name = volume;
  const std::size_t open = name.find(L'{'), close = name.find(L'}');
  if (open == std::wstring::npos || close == std::wstring::npos) return bin;
  const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket\\Volume\\" +
                           name.substr(open, close - open + 1);
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"NukeOnDelete", RRF_RT_REG_DWORD, nullptr, &value,
                   &size) == ERROR_SUCCESS)
    bin.off = value != 0;
  size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"MaxCapacity", RRF_RT_REG_DWORD, nullptr, &value,
                   &size) == ERROR_SUCCESS)
    bin.capacityMb = value;
  return bin;
}

}  // namespace

OpResult DriveBinTakes(const std::wstring& drive, unsigned type, bool off, std::uint64_t capacityMb,
                       std::uint64_t size) {
  const wchar_t* kind = type == DRIVE_REMOVABLE ? L"a removable drive"
                        : type == DRIVE_REMOTE  ? L"a network drive"
                        : type == DRIVE_CDROM   ? L"a CD or DVD drive"
                        : type == DRIVE_RAMDISK ? L"a RAM disk"
                        : type != DRIVE_FIXED   ? L"a drive Windows does not know"
                                                : nullptr;
  if (kind)
    return Failed(ERROR_NOT_SUPPORTED, L"The drive " + drive + L" has no Recycle Bin (" + kind + L").");
  if (off) {
    return Failed(ERROR_NOT_SUPPORTED, L"The Recycle Bin of drive " + drive +
                                           L" is turned off: files deleted there are removed at once.");
  }
  if (capacityMb > 0 && size > capacityMb * 1024 * 1024) {
    return Failed(ERROR_FILE_TOO_LARGE, L"The file is bigger than the Recycle Bin of drive " + drive +
                                            L" holds (" + std::to_wstring(capacityMb) + L" MB).");
  }
  return {};
}

OpResult RecycleBinTakes(const std::wstring& path) {
  if (path.size() < 3 || path[1] != L':') return Failed(ERROR_INVALID_NAME, L"The path names no drive.");
  if (UnderWine()) return WineTrash().usable;
  // A drive's settings, once a session.
  static std::map<wchar_t, DriveBin> drives;
  const wchar_t letter = static_cast<wchar_t>(std::towupper(path[0]));
  auto known = drives.find(letter);
  if (known == drives.end()) known = drives.emplace(letter, ReadDriveBin(path.substr(0, 2) + L"\\")).first;
  const DriveBin& bin = known->second;
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  std::uint64_t size = 0;
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return DriveBinTakes(path.substr(0, 2), bin.type, bin.off, bin.capacityMb, size);
}

OpResult RecycleIntoBin(const std::wstring& path, InRecycleBin& done) {
  done = {};
  OpResult result;
  if (!UnderWine() && RecycleWithFileOperation(path, result, done)) return result;
  std::optional<TrashLook> trash;
  if (UnderWine() && WineTrash().usable.ok()) trash.emplace(WineTrash(), path);
  std::wstring from = path;
  from.push_back(L'\0');  // the list of names ends with a second NUL
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  const int code = SHFileOperationW(&operation);
  result = ShellOperationResult(code, operation.fAnyOperationsAborted != FALSE);
  if (!result.ok()) return result;
  if (Exists(path)) {
    return Failed(ERROR_GEN_FAILURE,
                  L"The shell reported the file moved into the Recycle Bin, but it is still there.");
  }
  // Where the Wine Trash cannot be written, the shell removes the file for good.
  if (UnderWine()) done = trash ? trash->After() : InRecycleBin{true, L""};
  return {};
}

OpResult RestoreRecycledFrom(const std::wstring& path) {
  if (!UnderWine() || !WineTrash().usable.ok()) return RestoreRecycled(path);
  const std::wstring item = TrashItemFrom(WineTrash(), path);
  if (item.empty()) return Failed(ERROR_FILE_NOT_FOUND, L"The Recycle Bin holds no file deleted from there.");
  return RestoreRecycledItem(item, path);
}

OpResult RestoreRecycledItem(const std::wstring& item, const std::wstring& path) {
  if (!Exists(item)) return Failed(ERROR_FILE_NOT_FOUND, L"The Recycle Bin no longer holds the file.");
  if (OpResult moved = Win32Files().MoveFile(item, path); !moved.ok()) return moved;
  // Its record: $Ixxxxxx.ext beside Windows's $Rxxxxxx.ext, or the Trash's
  // info\NAME.trashinfo for files\NAME.
  const std::wstring name = NameOf(item), folder = FolderOf(item);
  std::wstring record;
  if (name.size() > 2 && name[0] == L'$' && (name[1] == L'R' || name[1] == L'r')) {
    record = folder + L"\\$I" + name.substr(2);
  } else if (CompareStringOrdinal(NameOf(folder).c_str(), -1, L"files", -1, TRUE) == CSTR_EQUAL) {
    record = FolderOf(folder) + L"\\info\\" + name + L".trashinfo";
  }
  if (!record.empty()) DeleteFileW(record.c_str());
  return {};
}

}  // namespace vandrel::platform::win32
