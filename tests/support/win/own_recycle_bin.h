// A Recycle Bin of one test's or benchmark's own, as Wine keeps it: the
// Trash under $XDG_DATA_HOME, which a stand-in started meanwhile inherits.
#pragma once

#include <windows.h>

#include <string>

#include "support/win/temp_files.h"

namespace vandrel::testing {

// Holds `items` items as Wine makes them; `usable` false: a plain file
// where the Trash folder should be.
class OwnRecycleBin {
 public:
  explicit OwnRecycleBin(int items, bool usable = true) : data_("Z:\\tmp") {
    const std::string trash = data_.Path("Trash");
    if (!usable) WriteWholeFile(trash, "");
    if (usable) Fill(items);
    GetEnvironmentVariableA("XDG_DATA_HOME", saved_, sizeof saved_);
    std::string unix = data_.path().substr(2);
    for (char& c : unix) c = c == '\\' ? '/' : c;
    SetEnvironmentVariableA("XDG_DATA_HOME", unix.c_str());
  }
  ~OwnRecycleBin() { SetEnvironmentVariableA("XDG_DATA_HOME", saved_); }
  // Adds `items` items, "old N.mp3" deleted from /tmp.
  void Fill(int items) {
    for (int i = 0; i < items; ++i) {
      const std::string name = "old " + std::to_string(i) + ".mp3";
      data_.File("Trash\\files\\" + name, "old");
      data_.File("Trash\\info\\" + name + ".trashinfo",
                 "[Trash Info]\nPath=/tmp/" + name + "\nDeletionDate=2026-01-01T00:00:00\n");
    }
  }
  std::string Path(const std::string& name) const { return data_.Path("Trash\\" + name); }

 private:
  TempFolder data_;
  char saved_[MAX_PATH] = "";
};

}  // namespace vandrel::testing
