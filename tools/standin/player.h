// The stand-in's playlist and playback: what Winamp's messages read and change.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace vandrel::standin {

// Owns a file handle; closes it when replaced or destroyed.
class FileHold {
 public:
  FileHold() = default;
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;
  ~FileHold() { Release(); }

  // Opens `path` for reading, shared for reading only, so nobody can delete,
  // rename or write it while it is held. False when it cannot be opened.
  bool Hold(const std::string& path);
  void Release();
  const std::string& path() const { return path_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string path_;
};

enum class Playback { kStopped, kPlaying, kPaused };

// Reads an .m3u playlist: one entry per line; blank lines and lines starting
// with '#' are skipped; an entry that is neither absolute (drive letter,
// leading '\' or '/') is taken relative to the playlist's folder.
bool ReadM3u(const std::string& path, std::vector<std::string>* entries);

class Player {
 public:
  void Append(const std::string& entry);
  // The settings folder that IPC 1335 (wide) and 335 (ANSI) name, as pointers
  // into this process; both answer 0 while it is empty, as a player that
  // names none.
  void SetIniDirectory(const std::string& folder);

  // Winamp's messages; each is written to the command log.
  LRESULT OnIpc(WPARAM wparam, LPARAM code);
  void OnCommand(unsigned id);

  // The test channel's operations; not logged.
  void Play();
  void Stop();
  void SetPosition(int position);
  void ClearLog() { log_.clear(); }

  int position() const { return position_; }
  Playback playback() const { return playback_; }
  const std::string& held() const { return hold_.path(); }
  int size() const { return static_cast<int>(entries_.size()); }
  const std::string& entry(int index) const { return entries_[index]->name; }
  const std::vector<std::string>& log() const { return log_; }

 private:
  struct Entry {
    std::string name;
    // The name as Winamp hands it out: NUL-terminated, at a fixed address,
    // with room for any 256-byte read that starts there.
    std::unique_ptr<char[]> buffer;
  };

  void Next();
  void ClearPlaylist();

  std::vector<std::unique_ptr<Entry>> entries_;
  int position_ = 0;
  Playback playback_ = Playback::kStopped;
  FileHold hold_;
  std::vector<std::string> log_;
  std::string iniDirectory_;
  std::wstring iniDirectoryW_;
};

}  // namespace vandrel::standin
