#include "player.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <thread>

#include "standin_protocol.h"

namespace vandrel::standin {

bool FileHold::Hold(const std::wstring& path, const std::string& shown) {
  Release();
  path_ = shown;
  handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace

void FileHold::ReleaseAfter(DWORD delay_ms) {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  OwnedHandle handle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  path_.clear();
  std::thread([held = std::move(handle), delay_ms] { Sleep(delay_ms); }).detach();
}

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

namespace {

std::wstring Decode(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

}  // namespace

std::wstring FromAnsi(const std::string& text) { return Decode(CP_ACP, text); }

namespace {

bool IsAbsolute(const std::wstring& entry) {
  if (entry.size() >= 2 && entry[1] == L':') return true;
  return !entry.empty() && (entry[0] == L'\\' || entry[0] == L'/');
}

}  // namespace

bool ReadM3u(const std::string& path, std::vector<std::wstring>* entries) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string bom = "\xEF\xBB\xBF";
  const bool utf8 = bytes.rfind(bom, 0) == 0 || (path.size() > 5 && path.substr(path.size() - 5) == ".m3u8");
  if (bytes.rfind(bom, 0) == 0) bytes.erase(0, bom.size());
  const std::wstring text = Decode(utf8 ? CP_UTF8 : CP_ACP, bytes);
  std::wstring folder;
  const std::wstring widePath = FromAnsi(path);
  const auto slash = widePath.find_last_of(L"\\/");
  if (slash != std::wstring::npos) folder = widePath.substr(0, slash + 1);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.pop_back();
    if (line.empty() || line[0] == L'#') continue;
    entries->push_back(IsAbsolute(line) ? line : folder + line);
  }
  return true;
}

void Player::Append(const std::wstring& entry) { entries_.push_back(MakeEntry(entry)); }

std::unique_ptr<Player::Entry> Player::MakeEntry(const std::wstring& entry) {
  auto item = std::make_unique<Entry>();
  item->name = entry;
  item->ansi = ToAnsi(entry);
  const size_t room = std::max<size_t>(item->ansi.size() + 1, 512);
  item->buffer = std::make_unique<char[]>(room);  // zero-filled
  std::memcpy(item->buffer.get(), item->ansi.data(), item->ansi.size());
  const size_t wideRoom = std::max<size_t>(entry.size() + 1, 512);
  item->wide = std::make_unique<wchar_t[]>(wideRoom);  // zero-filled
  std::memcpy(item->wide.get(), entry.data(), entry.size() * sizeof(wchar_t));
  return item;
}

LRESULT Player::OnEditor(WPARAM command, LPARAM value) {
  const std::string arg = std::to_string(static_cast<long long>(value));
  switch (command) {
    case kIpcPeGetCurIndex:
      log_.push_back("PE_GETCURINDEX");
      return position_;
    case kIpcPeGetIndexTotal:
      log_.push_back("PE_GETINDEXTOTAL");
      return size();
    case kIpcPeDeleteIndex:
      log_.push_back("PE_DELETEINDEX " + arg);
      if (value < 0 || value >= size()) return 0;
      entries_.erase(entries_.begin() + value);
      if (value <= position_ && position_ > 0) --position_;
      return 0;
    default:
      log_.push_back("PE " + std::to_string(static_cast<long long>(command)) + " " + arg);
      return 0;
  }
}

void Player::Insert(const std::wstring& file, int index) {
  if (index < 0 || index > size()) index = size();
  log_.push_back("PE_INSERTFILENAMEW " + std::to_string(index) + " " + ToAnsi(file));
  if (index <= position_ && !entries_.empty()) ++position_;
  entries_.insert(entries_.begin() + index, MakeEntry(file));
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
    case kIpcGetPlaylistFileW: {
      log_.push_back("IPC_GETPLAYLISTFILEW " + arg);
      const auto index = static_cast<long long>(wparam);
      if (index < 0 || index >= size()) return 0;
      return reinterpret_cast<LRESULT>(entries_[index]->wide.get());
    }
    case kIpcGetVersion:
      return kWinampVersion;
    case kIpcUsesRecycleBin:
      log_.push_back("IPC_USES_RECYCLEBIN");
      return recycle_bin_;
    case kIpcGetShuffle:
      log_.push_back("IPC_GET_SHUFFLE");
      return shuffle_ ? 1 : 0;
    case kIpcGetWnd:
      log_.push_back("IPC_GETWND " + arg);
      return wparam == 1 ? reinterpret_cast<LRESULT>(editor_) : 0;
    case kIpcSetPlaylistPos:
      log_.push_back("IPC_SETPLAYLISTPOS " + arg);
      if (static_cast<long long>(wparam) < size()) position_ = static_cast<int>(wparam);
      return 0;
    case kIpcChangeCurrentFileW: {
      const std::wstring file = reinterpret_cast<const wchar_t*>(wparam);
      log_.push_back("IPC_CHANGECURRENTFILEW " + ToAnsi(file));
      if (!entries_.empty()) entries_[position_] = MakeEntry(file);
      return 0;
    }
    case kIpcGetExtendedFileInfoW:
    case kIpcGetExtendedFileInfo: {
      std::string file;
      const LRESULT answer = tags_.Answer(wparam, code == kIpcGetExtendedFileInfoW, &file);
      log_.push_back((code == kIpcGetExtendedFileInfoW ? "IPC_GET_EXTENDED_FILE_INFOW "
                                                       : "IPC_GET_EXTENDED_FILE_INFO ") +
                     file);
      return answer;
    }
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
  hold_.Hold(entries_[position_]->name, entries_[position_]->ansi);
}

void Player::Stop() {
  if (release_delay_ms_ > 0) {
    hold_.ReleaseAfter(release_delay_ms_);
  } else {
    hold_.Release();
  }
  playback_ = Playback::kStopped;
}

// Like Winamp's Next button: on to the following entry, from the last one
// back to the first, or with shuffle on to any entry; a playing (or paused)
// player plays the new entry, a stopped one only moves.
void Player::Next() {
  if (entries_.empty()) return;
  if (shuffle_ && size() > 1) {
    // Another entry than the current one, as Winamp's shuffled order gives.
    const int other = std::uniform_int_distribution<int>(0, size() - 2)(random_);
    SetPosition(other >= position_ ? other + 1 : other);
    return;
  }
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
