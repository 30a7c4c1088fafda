#include "winamp/bridge.h"

#include <algorithm>
#include <array>

#include "platform/error.h"
#include "platform/platform.h"

namespace vandrel::winamp {

namespace {

constexpr std::size_t kNameBufferSize = 256;
// A wide name has at most 259 characters, then its NUL.
constexpr std::size_t kWideNameChars = 260;

}  // namespace

std::string TrimAtNul(const std::string& text) {
  std::size_t nul = text.find('\0');
  if (nul == std::wstring::npos) throw Error(errors::kInvalidArgument, L"Invalid procedure call or argument");
  return text.substr(0, nul);
}

std::wstring GetPlaylistFileName(platform::WindowHandle window, std::intptr_t position) {
  auto& windows = platform::Windows();
  auto wide = static_cast<std::uintptr_t>(
      windows.SendMessage(window, kWmUser, static_cast<std::uintptr_t>(position), kIpcGetPlaylistFileW));
  if (wide != 0) {
    std::wstring name = windows.ReadOwnWideText(wide, kWideNameChars);
    std::size_t nul = name.find(L'\0');
    return nul == std::wstring::npos ? std::wstring() : name.substr(0, nul);
  }

  auto address = static_cast<std::uintptr_t>(
      windows.SendMessage(window, kWmUser, static_cast<std::uintptr_t>(position), kIpcGetPlaylistFile));
  std::uint32_t processId = windows.GetWindowProcessId(window);
  platform::ProcessHandle process = windows.OpenProcessForRead(processId);

  char nameBuffer[kNameBufferSize];
  for (char& c : nameBuffer) c = ' ';
  std::size_t got = windows.ReadProcessMemory(process, address, nameBuffer, kNameBufferSize);
  if (got > kNameBufferSize) got = kNameBufferSize;
  if (process != 0) windows.CloseProcess(process);

  // Without a NUL among the 256 bytes (a name of 256 bytes or more, or
  // nothing read) there is no name.
  try {
    return platform::Ui().FromAnsi(TrimAtNul(std::string(nameBuffer, kNameBufferSize)));
  } catch (const Error&) {
    return std::wstring();
  }
}

bool UsesRecycleBin(platform::WindowHandle window) {
  auto& windows = platform::Windows();
  if (windows.SendMessage(window, kWmUser, 0, kIpcGetVersion) < kRecycleBinVersion) return false;
  // Anything but an outright 0 keeps the file recoverable.
  return windows.SendMessage(window, kWmUser, 0, kIpcUsesRecycleBin) != 0;
}

std::int32_t GetPlaylistLength(platform::WindowHandle window) {
  return static_cast<std::int32_t>(platform::Windows().SendMessage(window, kWmUser, 0, kIpcGetListLength));
}

void ClearPlaylist(platform::WindowHandle window) {
  auto& windows = platform::Windows();
  std::intptr_t position = windows.SendMessage(window, kWmUser, 0, kIpcGetListPos);
  windows.SendMessage(window, kWmUser, static_cast<std::uintptr_t>(position), kIpcDelete);
}

void ChangeCurrentFile(platform::WindowHandle window, const std::wstring& path) {
  // The name is read in Winamp's process, which is ours, before the call returns.
  platform::Windows().SendMessage(window, kWmUser, reinterpret_cast<std::uintptr_t>(path.c_str()),
                                  kIpcChangeCurrentFileW);
}

void SetPlaylistPosition(platform::WindowHandle window, std::int32_t index) {
  platform::Windows().SendMessage(window, kWmUser, static_cast<std::uintptr_t>(index), kIpcSetPlaylistPos);
}

std::int32_t GetPlaylistPosition(platform::WindowHandle window) {
  return static_cast<std::int32_t>(platform::Windows().SendMessage(window, kWmUser, 0, kIpcGetListPos));
}

namespace {

platform::WindowHandle PlaylistEditor(platform::WindowHandle window) {
  return static_cast<platform::WindowHandle>(
      platform::Windows().SendMessage(window, kWmUser, kIpcGetWndPlaylistEditor, kIpcGetWnd));
}

// The layouts Winamp's editor reads: COPYDATASTRUCT, and what it points at.
struct CopyData {
  std::uintptr_t dwData;
  std::uint32_t cbData;
  const void* lpData;
};
struct InsertFileName {
  wchar_t file[260];
  int index;
};

}  // namespace

bool RemovePlaylistEntry(platform::WindowHandle window, std::int32_t index) {
  const platform::WindowHandle editor = PlaylistEditor(window);
  if (editor == 0) return false;
  platform::Windows().SendMessage(editor, kWmUser, kIpcPeDeleteIndex, index);
  return true;
}

bool InsertPlaylistEntry(platform::WindowHandle window, const std::wstring& path, std::int32_t index) {
  const platform::WindowHandle editor = PlaylistEditor(window);
  if (editor == 0 || path.size() >= 260) return false;
  InsertFileName insert{};
  path.copy(insert.file, path.size());
  insert.index = index;
  const CopyData data{kIpcPeInsertFileNameW, sizeof insert, &insert};
  platform::Windows().SendMessage(editor, kWmCopyData, static_cast<std::uintptr_t>(window),
                                  reinterpret_cast<std::intptr_t>(&data));
  return true;
}

namespace {

// What IPC_GET_EXTENDED_FILE_INFO(W) reads and fills: Winamp copies at most
// `retlen` characters into `ret`.
template <typename Char>
struct ExtendedFileInfo {
  const Char* filename;
  const Char* metadata;
  Char* ret;
  std::size_t retlen;
};

// Asks for the tag `metadata` of `file` in one character set: the answer up
// to its first NUL, or nothing when no input plug-in answered. The buffer
// ends with a NUL whatever the player wrote into it.
template <typename Char>
bool AskTag(platform::WindowHandle window, std::intptr_t message, const std::basic_string<Char>& file,
            const Char* metadata, std::basic_string<Char>& answer) {
  std::array<Char, kTagChars> buffer{};
  ExtendedFileInfo<Char> query{file.c_str(), metadata, buffer.data(), buffer.size()};
  // Winamp's process is ours: it reads and writes through these pointers
  // before the call returns.
  if (platform::Windows().SendMessage(window, kWmUser, reinterpret_cast<std::uintptr_t>(&query), message) ==
      0)
    return false;
  buffer.back() = Char();
  answer = buffer.data();
  return true;
}

}  // namespace

std::wstring GetArtistTag(platform::WindowHandle window, const std::wstring& path) {
  std::wstring tag;
  if (AskTag<wchar_t>(window, kIpcGetExtendedFileInfoW, path, L"artist", tag)) return tag;
  auto& ui = platform::Ui();
  const std::string ansiPath = ui.ToAnsi(path);
  std::string ansiTag;
  // A name with characters the code page lacks would name another file.
  if (ui.FromAnsi(ansiPath) != path ||
      !AskTag<char>(window, kIpcGetExtendedFileInfo, ansiPath, "artist", ansiTag))
    return {};
  return ui.FromAnsi(ansiTag);
}

bool GlobalHotkeys::Open(platform::WindowHandle window, const std::string& ownName) {
  auto& windows = platform::Windows();
  auto registered = [&](const char* name) {
    return windows.SendMessage(window, kWmUser, reinterpret_cast<std::uintptr_t>(name),
                               kIpcRegisterWinampIpcMessage);
  };
  add_ = registered("GenHotkeysAdd");
  own_ = add_ == 0 ? 0 : registered(ownName.c_str());
  if (own_ == 0) add_ = 0;
  return add_ != 0;
}

bool GlobalHotkeys::Has(const std::string& id) const {
  auto lower = [](std::string text) {
    for (char& c : text)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
  };
  return std::any_of(posted_.begin(), posted_.end(),
                     [&](const std::unique_ptr<Posted>& posted) { return lower(posted->id) == lower(id); });
}

void GlobalHotkeys::Post(platform::WindowHandle window, const std::wstring& name, const std::string& id,
                         std::uintptr_t number) {
  if (add_ == 0) return;
  auto posted = std::make_unique<Posted>(Posted{name, id, {}});
  posted->entry = {reinterpret_cast<const char*>(posted->name.c_str()),
                   kHotkeyUnicodeName,
                   kWmUser,
                   number,
                   own_,
                   posted->id.c_str(),
                   0,
                   {}};
  const HotkeyEntry& entry = posted_.emplace_back(std::move(posted))->entry;
  platform::Windows().PostMessage(window, kWmUser, reinterpret_cast<std::uintptr_t>(&entry), add_);
}

std::wstring GetIniDirectory(platform::WindowHandle window) {
  auto& windows = platform::Windows();
  auto address = static_cast<std::uintptr_t>(windows.SendMessage(window, kWmUser, 0, kIpcGetIniDirectoryW));
  if (address != 0) return windows.TextInOwnProcess(address, true);
  address = static_cast<std::uintptr_t>(windows.SendMessage(window, kWmUser, 0, kIpcGetIniDirectory));
  return windows.TextInOwnProcess(address, false);
}

}  // namespace vandrel::winamp
