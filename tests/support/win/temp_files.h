// Scratch folders and files, and the drives scripts/with-wine.sh names in the
// environment: VANDREL_SCRATCH_DRIVE "D:" on another file system than C:,
// VANDREL_SCRATCH_UNIX its Unix folder, VANDREL_MISSING_DRIVE "E:" not ready.
#pragma once

#include <string>

namespace vandrel::testing {

// "D:" / "E:" (no '\'), or "" when the run has no such drive: skip then.
std::string ScratchDrive();
std::string MissingDrive();

// A folder of its own for one test, removed with everything in it when the
// object goes; under the Windows temp folder unless `parent` is given.
class TempFolder {
 public:
  explicit TempFolder(const std::string& parent = "");
  TempFolder(const TempFolder&) = delete;
  ~TempFolder();

  const std::string& path() const { return path_; }  // no trailing '\'
  bool ok() const { return ok_; }
  std::string Path(const std::string& name) const { return path_ + "\\" + name; }
  // Creates file `name` (and its folders) holding `contents`; its full path, "" on failure.
  std::string File(const std::string& name, const std::string& contents = "test data");
  // Creates sub-folder `name` (and its parents); its full path, "" on failure.
  std::string Folder(const std::string& name);

 private:
  std::string path_;
  bool ok_ = false;
};

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
std::string ReadWholeFile(const std::string& path);  // "" when unreadable
bool WriteWholeFile(const std::string& path, const std::string& contents);

}  // namespace vandrel::testing
