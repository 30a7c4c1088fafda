#include "support/win/temp_files.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vandrel::testing {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Parent(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// Removes a file or a folder tree, read-only ones too. Best effort.
void RemoveTree(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!FolderExists(path)) DeleteFileA(path.c_str());
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    if (found.cFileName[0] != '.') RemoveTree(path + "\\" + found.cFileName);
  FindClose(search);
  RemoveDirectoryA(path.c_str());
}

// Makes every missing folder of `path`.
bool MakeFolders(const std::string& path) {
  if (path.empty() || FolderExists(path) || (path.size() == 2 && path[1] == ':')) return true;
  if (path.find('\\') != std::string::npos && !MakeFolders(Parent(path))) return false;
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
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
  return std::string(std::istreambuf_iterator<char>(in), {});
}
bool WriteWholeFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  return static_cast<bool>(out << contents);
}

TempFolder::TempFolder(const std::string& parent) {
  static int counter = 0;
  char temp[MAX_PATH + 1] = {};
  std::string base = parent.empty() ? (GetTempPathA(sizeof temp, temp), temp) : parent;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  for (int attempt = 0; attempt < 100 && !ok_; ++attempt) {
    path_ = base + "\\vandrel-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    ok_ = MakeFolders(base) && CreateDirectoryA(path_.c_str(), nullptr);
  }
}

TempFolder::~TempFolder() {
  if (ok_) RemoveTree(path_);
}
std::string TempFolder::File(const std::string& name, const std::string& contents) {
  return MakeFolders(Parent(Path(name))) && WriteWholeFile(Path(name), contents) ? Path(name) : "";
}

std::string TempFolder::Folder(const std::string& name) { return MakeFolders(Path(name)) ? Path(name) : ""; }

}  // namespace vandrel::testing
