// The stand-in's playlist and playback: what Winamp's messages read and change.
#pragma once

#include <windows.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tags.h"

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
  // `shown` is the path as the state text gives it.
  bool Hold(const std::wstring& path, const std::string& shown);
  void Release();
  // Lets go `delay_ms` after now, from a thread of its own, as some input
  // plug-ins do after Stop; the hold is empty at once.
  void ReleaseAfter(DWORD delay_ms);
  const std::string& path() const { return path_; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string path_;
};

enum class Playback { kStopped, kPlaying, kPaused };

// Reads an .m3u playlist: one entry per line; blank lines and lines starting
// with '#' are skipped; an entry that is neither absolute (drive letter,
// leading '\' or '/') is taken relative to the playlist's folder. The text is
// UTF-8 when the file is an .m3u8 or begins with UTF-8's byte-order mark, else
// in the ANSI code page.
bool ReadM3u(const std::string& path, std::vector<std::wstring>* entries);

// Text in the ANSI code page, '?' for what it lacks, and back.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

class Player {
 public:
  void Append(const std::wstring& entry);
  // The settings folder that IPC 1335 (wide) and 335 (ANSI) name, as pointers
  // into this process; both answer 0 while it is empty, as a player that
  // names none.
  void SetIniDirectory(const std::string& folder);
  // The tags IPC 3026 (wide) and 290 (ANSI) answer from; none at first.
  bool LoadTags(const std::string& path) { return tags_.Load(path); }

  // Winamp's messages; each is written to the command log.
  LRESULT OnIpc(WPARAM wparam, LPARAM code);
  void OnCommand(unsigned id);
  // The playlist editor's: a command and its value, or an insert. Deleting
  // or inserting at or before the current entry keeps it current; playback
  // goes on.
  LRESULT OnEditor(WPARAM command, LPARAM value);
  void Insert(const std::wstring& file, int index);
  void SetEditorWindow(HWND editor) { editor_ = editor; }

  // The test channel's operations; not logged.
  void Play();
  void Stop();
  void SetPosition(int position);
  void ClearLog() { log_.clear(); }
  // What IPC_USES_RECYCLEBIN answers (0 at first).
  void SetRecycleBin(LRESULT answer) { recycle_bin_ = answer; }
  // From now on, Stop lets go of the playing file this long after (0: at once).
  void SetReleaseDelay(DWORD delay_ms) { release_delay_ms_ = delay_ms; }
  // Shuffle on: Next jumps to an entry picked at random, as Winamp's does.
  void SetShuffle(bool on) { shuffle_ = on; }

  int position() const { return position_; }
  Playback playback() const { return playback_; }
  const std::string& held() const { return hold_.path(); }
  int size() const { return static_cast<int>(entries_.size()); }
  // The entry's name in the ANSI code page ('?' for what it lacks).
  const std::string& entry(int index) const { return entries_[index]->ansi; }
  const std::vector<std::string>& log() const { return log_; }
  std::vector<std::string>& log() { return log_; }  // the library's commands go here too

 private:
  struct Entry {
    std::wstring name;
    std::string ansi;
    // The name as Winamp hands it out, in each character set: NUL-terminated,
    // at a fixed address, with room for any 256-byte (ANSI) or 260-character
    // (wide) read that starts there.
    std::unique_ptr<char[]> buffer;
    std::unique_ptr<wchar_t[]> wide;
  };

  void Next();
  void ClearPlaylist();
  static std::unique_ptr<Entry> MakeEntry(const std::wstring& name);

  std::vector<std::unique_ptr<Entry>> entries_;
  int position_ = 0;
  Playback playback_ = Playback::kStopped;
  FileHold hold_;
  std::vector<std::string> log_;
  std::string iniDirectory_;
  std::wstring iniDirectoryW_;
  LRESULT recycle_bin_ = 0;
  DWORD release_delay_ms_ = 0;
  bool shuffle_ = false;
  HWND editor_ = nullptr;
  TagTable tags_;
  std::minstd_rand random_{std::random_device{}()};
};

}  // namespace vandrel::standin
