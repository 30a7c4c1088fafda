#include "player.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "standin_protocol.h"

namespace vandrel::standin {

bool FileHold::Hold(const std::string& path) {
  Release();
  path_ = path;
  handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    path_.clear();
    return false;
  }
  return true;
}

void FileHold::Release() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  path_.clear();
}

namespace {

bool IsAbsolute(const std::string& entry) {
  if (entry.size() >= 2 && entry[1] == ':') return true;
  return !entry.empty() && (entry[0] == '\\' || entry[0] == '/');
}

}  // namespace

bool ReadM3u(const std::string& path, std::vector<std::string>* entries) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string folder;
  const auto slash = path.find_last_of("\\/");
  if (slash != std::string::npos) folder = path.substr(0, slash + 1);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    entries->push_back(IsAbsolute(line) ? line : folder + line);
  }
  return true;
}

void Player::Append(const std::string& entry) {
  auto item = std::make_unique<Entry>();
  item->name = entry;
  const size_t room = std::max<size_t>(entry.size() + 1, 512);
  item->buffer = std::make_unique<char[]>(room);  // zero-filled
  std::memcpy(item->buffer.get(), entry.data(), entry.size());
  entries_.push_back(std::move(item));
}

void Player::SetIniDirectory(const std::string& folder) {
  iniDirectory_ = folder;
  iniDirectoryW_.assign(folder.size(), L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, folder.data(), static_cast<int>(folder.size()),
                                    iniDirectoryW_.data(), static_cast<int>(iniDirectoryW_.size()));
  iniDirectoryW_.resize(static_cast<size_t>(n > 0 ? n : 0));
}

LRESULT Player::OnIpc(WPARAM wparam, LPARAM code) {
  const std::string arg = std::to_string(static_cast<long long>(wparam));
  switch (code) {
    case kIpcGetListPos:
      log_.push_back("IPC_GETLISTPOS");
      return position_;
    case kIpcGetListLength:
      log_.push_back("IPC_GETLISTLENGTH");
      return size();
    case kIpcGetPlaylistFile: {
      log_.push_back("IPC_GETPLAYLISTFILE " + arg);
      // Winamp answers NULL for an index outside the list.
      const auto index = static_cast<long long>(wparam);
      if (index < 0 || index >= size()) return 0;
      return reinterpret_cast<LRESULT>(entries_[index]->buffer.get());
    }
    case kIpcGetIniDirectoryW:
      log_.push_back("IPC_GETINIDIRECTORYW");
      return iniDirectory_.empty() ? 0 : reinterpret_cast<LRESULT>(iniDirectoryW_.c_str());
    case kIpcGetIniDirectory:
      log_.push_back("IPC_GETINIDIRECTORY");
      return iniDirectory_.empty() ? 0 : reinterpret_cast<LRESULT>(iniDirectory_.c_str());
    case kIpcDelete:
      log_.push_back("IPC_DELETE " + arg);
      ClearPlaylist();
      return 0;
    default:
      log_.push_back("IPC " + std::to_string(static_cast<long long>(code)) + " " + arg);
      return 0;
  }
}

void Player::OnCommand(unsigned id) {
  switch (id) {
    case kCommandPlay:
      log_.push_back("Play");
      Play();
      break;
    case kCommandPause:
      log_.push_back("Pause");
      if (playback_ == Playback::kPlaying) {
        playback_ = Playback::kPaused;
      } else if (playback_ == Playback::kPaused) {
        playback_ = Playback::kPlaying;
      }
      break;
    case kCommandStop:
      log_.push_back("Stop");
      Stop();
      break;
    case kCommandNext:
      log_.push_back("Next");
      Next();
      break;
    case kCommandStartOfPlaylist:
      log_.push_back("StartOfPlaylist");
      SetPosition(0);
      break;
    default:
      log_.push_back("Command " + std::to_string(id));
      break;
  }
}

// Play (re)starts the entry at the current position. A file that cannot be
// opened still counts as playing, with nothing held, as Winamp shows an
// error in its title and carries on. An empty playlist stays stopped.
void Player::Play() {
  hold_.Release();
  if (entries_.empty()) {
    playback_ = Playback::kStopped;
    return;
  }
  playback_ = Playback::kPlaying;
  hold_.Hold(entries_[position_]->name);
}

void Player::Stop() {
  hold_.Release();
  playback_ = Playback::kStopped;
}

// Like Winamp's Next button: on to the following entry, from the last one
// back to the first; a playing (or paused) player plays the new entry, a
// stopped one only moves.
void Player::Next() {
  if (entries_.empty()) return;
  SetPosition((position_ + 1) % size());
}

void Player::SetPosition(int position) {
  if (position < 0 || position >= size()) position = 0;
  position_ = position;
  if (playback_ != Playback::kStopped) Play();
}

void Player::ClearPlaylist() {
  Stop();
  entries_.clear();
  position_ = 0;
}

}  // namespace vandrel::standin
