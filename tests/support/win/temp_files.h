// Scratch folders and files for tests, and the extra drives.
//
// Drives: scripts/with-wine.sh gives every run two extra drives in its Wine
// prefix and names them in the environment (Wine passes the Unix environment
// to Windows programs):
//   VANDREL_SCRATCH_DRIVE  "D:"  a symlink dosdevices/d: -> a fresh folder in
//                          /dev/shm, i.e. another file system than C:, so a
//                          move from C: to D: is a copy plus a delete.
//   VANDREL_SCRATCH_UNIX   that folder's Unix path.
//   VANDREL_MISSING_DRIVE  "E:"  a symlink to a folder that does not exist:
//                          a drive that is not ready.
// Both are removed again when the run ends. A test that needs them calls
// ScratchDrive() / MissingDrive() and skips when they are empty.
#pragma once

#include <string>

namespace vandrel::testing {

// "D:" (no '\') or "" when the run has no scratch drive.
std::string ScratchDrive();
// "E:" or "" when the run has no such drive.
std::string MissingDrive();

// A folder of its own for one test, removed with everything in it when the
// object goes. By default under the Windows temp folder; `parent` puts it
// elsewhere (e.g. ScratchDrive() + "\\").
class TempFolder {
 public:
  explicit TempFolder(const std::string& parent = "");
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  // The folder's path, without a trailing '\'.
  const std::string& path() const { return path_; }
  bool ok() const { return ok_; }
  // path() + "\\" + name.
  std::string Path(const std::string& name) const;
  // Creates (or overwrites) file `name` (sub-folders created) holding
  // `contents`; returns its full path, or "" on failure.
  std::string File(const std::string& name, const std::string& contents = "test data");
  // Creates sub-folder `name` (and its parents); returns its full path.
  std::string Folder(const std::string& name);

 private:
  std::string path_;
  bool ok_ = false;
};

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The whole contents of a file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& contents);
// Creates every missing folder of `path`.
bool MakeFolders(const std::string& path);
// Removes a file or a folder tree, clearing attributes first. Best effort.
void RemoveTree(const std::string& path);

}  // namespace vandrel::testing
