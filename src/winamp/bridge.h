// Reaching Winamp's playlist through its main window and its memory. The
// window is always the one Winamp handed the plug-in (the wrapper's
// WinAmpWindowHandle): another program may own a window of Winamp's class.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace vandrel::winamp {

inline constexpr unsigned kWmUser = 0x400;
inline constexpr unsigned kWmCommand = 0x111;
inline constexpr std::intptr_t kIpcGetListPos = 125;
inline constexpr std::intptr_t kIpcGetPlaylistFile = 211;
inline constexpr std::intptr_t kIpcGetPlaylistFileW = 214;
inline constexpr std::intptr_t kIpcUsesRecycleBin = 651;
inline constexpr std::intptr_t kIpcGetListLength = 124;
inline constexpr std::intptr_t kIpcDelete = 101;
inline constexpr std::intptr_t kIpcGetIniDirectory = 335;
inline constexpr std::intptr_t kIpcGetIniDirectoryW = 1335;
inline constexpr std::intptr_t kIpcSetPlaylistPos = 121;
inline constexpr std::intptr_t kIpcGetWnd = 260;
inline constexpr std::uintptr_t kIpcGetWndPlaylistEditor = 1;
inline constexpr std::intptr_t kIpcChangeCurrentFileW = 1245;
// A file's tag through the input plug-in that claims it; wParam points at an
// ExtendedFileInfo (bridge.cpp) of wide or of ANSI text.
inline constexpr std::intptr_t kIpcGetExtendedFileInfo = 290;
inline constexpr std::intptr_t kIpcGetExtendedFileInfoW = 3026;
// The longest tag asked for, in characters, its NUL included.
inline constexpr std::size_t kTagChars = 1024;
// Commands to the playlist editor's window: WM_USER, the command in wParam.
inline constexpr std::uintptr_t kIpcPeGetCurIndex = 100;
inline constexpr std::uintptr_t kIpcPeGetIndexTotal = 101;
inline constexpr std::uintptr_t kIpcPeDeleteIndex = 104;
inline constexpr std::uintptr_t kIpcPeInsertFileNameW = 114;  // as WM_COPYDATA's dwData
inline constexpr unsigned kWmCopyData = 0x004A;
inline constexpr std::uintptr_t kCmdStop = 40047;
inline constexpr std::uintptr_t kCmdNextTrack = 40048;
inline constexpr std::uintptr_t kCmdPlay = 40045;
inline constexpr std::uintptr_t kCmdStartOfPlaylist = 40154;

// The name of the entry at `index` (from 0) as Winamp stores it, whatever its
// characters (message 214, a wide name in Winamp's process, which is ours);
// from Winamp before 5.13, which answers 214 with 0, the ANSI name of message
// 211. Empty when there is none or it is too long.
std::wstring GetPlaylistFileName(platform::WindowHandle winamp, std::intptr_t index);
// Winamp's own preference for the files it deletes: true when they go to the
// Recycle Bin.
bool UsesRecycleBin(platform::WindowHandle winamp);
std::int32_t GetPlaylistLength(platform::WindowHandle winamp);
void ClearPlaylist(platform::WindowHandle winamp);
// Points Winamp's current entry at `path` (the file moved there).
void ChangeCurrentFile(platform::WindowHandle winamp, const std::wstring& path);
// Makes the entry at `index` the current one, without playing it.
void SetPlaylistPosition(platform::WindowHandle winamp, std::int32_t index);
std::int32_t GetPlaylistPosition(platform::WindowHandle winamp);
// Takes the entry at `index` out of the playlist through the playlist
// editor; false when Winamp names no editor window.
bool RemovePlaylistEntry(platform::WindowHandle winamp, std::int32_t index);
// Puts `path` into the playlist at `index` through the playlist editor (the
// current entry stays current); false when Winamp names no editor window.
bool InsertPlaylistEntry(platform::WindowHandle winamp, const std::wstring& path, std::int32_t index);
// The "artist" tag of the file `path` as Winamp reads it: the wide answer,
// else (a player that answers it with 0) the ANSI one; the text before the
// first NUL, at most kTagChars - 1 characters. Empty when no input plug-in
// answered, and without asking in ANSI for a name the code page cannot hold.
std::wstring GetArtistTag(platform::WindowHandle winamp, const std::wstring& path);
// Winamp's own settings folder as its main window `window` names it: the
// wide answer, else the ANSI one (older players); empty when it names none.
std::wstring GetIniDirectory(platform::WindowHandle window);

// The bytes before the first NUL; throws vandrel::Error when there is none.
std::string TrimAtNul(const std::string& text);

}  // namespace vandrel::winamp
