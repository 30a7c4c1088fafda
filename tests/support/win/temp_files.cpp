#include "support/win/temp_files.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <iterator>

namespace vandrel::testing {

namespace {

std::string Environment(const char* name) {
  char value[1024] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : "";
}

std::string Parent(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

std::string ScratchDrive() { return Environment("VANDREL_SCRATCH_DRIVE"); }
std::string MissingDrive() { return Environment("VANDREL_MISSING_DRIVE"); }

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
  return static_cast<bool>(out.flush());
}

bool MakeFolders(const std::string& path) {
  if (path.empty() || FolderExists(path)) return true;
  if (path.size() == 2 && path[1] == ':') return true;  // a drive root
  const std::string parent = Parent(path);
  if (!parent.empty() && !MakeFolders(parent)) return false;
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") RemoveTree(path + "\\" + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

TempFolder::TempFolder(const std::string& parent) {
  static std::atomic<int> counter{0};
  std::string base = parent;
  if (base.empty()) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temp, temp);
    base = temp;
  }
  if (!base.empty() && base.back() == '\\') base.pop_back();
  for (int attempt = 0; attempt < 100 && !ok_; ++attempt) {
    path_ = base + "\\vandrel-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    ok_ = MakeFolders(base) && CreateDirectoryA(path_.c_str(), nullptr);
  }
}

TempFolder::~TempFolder() {
  if (ok_) RemoveTree(path_);
}

std::string TempFolder::Path(const std::string& name) const { return path_ + "\\" + name; }

std::string TempFolder::File(const std::string& name, const std::string& contents) {
  const std::string path = Path(name);
  if (!MakeFolders(Parent(path)) || !WriteWholeFile(path, contents)) return "";
  return path;
}

std::string TempFolder::Folder(const std::string& name) {
  const std::string path = Path(name);
  return MakeFolders(path) ? path : "";
}

}  // namespace vandrel::testing
