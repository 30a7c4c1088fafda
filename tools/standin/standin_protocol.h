// How tests and the demo talk to the stand-in Winamp.
//
// The stand-in registers the window message named kControlMessage. A sender
// puts one Control value in wParam and an argument in lParam:
//
//   kQueryState   (send)  answers the address, in the stand-in's memory, of a
//                         StateBlock: a 32-bit byte count followed by the state
//                         text. The block stays valid until the next query.
//   kPlay/kStop   (send)  start or stop playback at the current position.
//   kSetPosition  (send)  lParam is the new position; plays it when playing.
//   kClearLog     (send)  forgets the commands received so far.
//   kSetRecycleBin (send) lParam is what IPC_USES_RECYCLEBIN answers from now
//                         on (0 at start).
//   kSetReleaseDelay (send) from now on Stop lets go of the playing file
//                         lParam milliseconds later, from another thread, as
//                         some input plug-ins do (0, at start: at once).
//   kSetShuffle   (send)  lParam 1 turns shuffle on (IPC_GET_SHUFFLE answers
//                         1 and Next jumps to a random entry), 0 off (at start).
//   kBusy         (post)  the player's thread is busy for lParam milliseconds,
//                         as Winamp is while it opens a file: input that
//                         arrives meanwhile waits in the queue.
//   kOpenConfig   (post)  calls config() of plug-in number lParam; config()
//                         usually runs a modal dialog, so never send this.
//   kSendHotkey   (post)  the Global Hotkeys entry number lParam (from 0, in
//                         the order posted) is pressed: its message is sent to
//                         its window, or to the main window when it names none.
//   kUninstall    (post)  Winamp's Uninstall button for plug-in number lParam:
//                         its winampUninstallPlugin(), which may show a box.
//   kShutdown     (post)  closes the player as the user would: every plug-in's
//                         quit(), then (from a fresh message) FreeLibrary of
//                         each, a probe message sent through the main
//                         window's procedure chain, and the process exits.
//
// None of these is written to the command log: the log holds only what
// arrived through Winamp's own messages.
//
// The state text has one item per line, a keyword, a space, and the value:
//   ready 0|1            1 once the plug-ins are loaded and initialised
//   position N
//   playback stopped|playing|paused
//   held PATH            the file held open (empty when none)
//   entry PATH           one line per playlist entry, in order, in the ANSI
//                        code page ('?' for what it lacks)
//   command NAME         one line per command received, in order
//   plugin FILE|DESC     one line per loaded plug-in, its live description
//   failed FILE|REASON   a gen_*.dll that was not loaded
//   uninstalled FILE|N   a plug-in's winampUninstallPlugin() answered N
//   hooked 0|1           1 while a plug-in's procedure is in front of the
//                        window's own
//   unicode 0|1          1 while the main window is a Unicode window whose
//                        title (it holds Chinese characters) reads back whole
//   hotkey ID\tFLAGS\tMSG\tWPARAM\tLPARAM\tWND\tNAME
//                        one line per entry posted to the Global Hotkeys
//                        plug-in, in order, numbers in decimal, NAME in UTF-8
//   handling 0|1         1 while a WM_HOTKEY (or kSendHotkey) taken by the message loop is
//                        still being handled (a query can be answered from
//                        inside the handler, whenever it looks at the queue)
//   record PATH\tRATING\tPLAYCOUNT\tLASTPLAY\tADDED
//                        one line per Media Library record, PATH in UTF-8
//   mlunfreed N          library query results handed out and not yet freed
//   timing H P F O D     performance-counter readings: the message loop
//                        taking the last WM_HOTKEY, the last Play arriving,
//                        the counter's frequency, the ticks the player
//                        spent handling messages in between, and the last
//                        WM_HOTKEY's handler returning
//
// Command names: Play, Pause, Stop, Next, StartOfPlaylist, Command <id> for
// other WM_COMMAND ids; IPC_GETLISTPOS, IPC_GETLISTLENGTH,
// IPC_GETPLAYLISTFILE <wParam>, IPC_GETPLAYLISTFILEW <wParam>,
// IPC_USES_RECYCLEBIN, IPC_GET_SHUFFLE, IPC_DELETE <wParam>, IPC_GETINIDIRECTORYW,
// IPC_GETINIDIRECTORY, IPC_GET_EXTENDED_FILE_INFOW <file>, IPC_GET_EXTENDED_FILE_INFO
// <file>, IPC <code> <wParam> for other WM_USER codes. The Global Hotkeys
// plug-in's part is not logged: IPC_REGISTER_WINAMP_IPCMESSAGE (65536) hands out
// a number per name, "GenHotkeysAdd" the first, and what is posted under that
// number is shown as "hotkey" lines.
//
// With /library= (library.h) the stand-in has a Media Library: its window
// (what "LibraryGetWnd"'s number answers with wParam -1; without the option
// the answer is 1), its records read from that file, and its commands logged
// as "ML_IPC_DB_<command> <file>".
//
// Tags come from the file named by /tags= (tags.h): the artist of each file
// listed there; other files and other metadata names are answered with 0.
//
// Playlist entries come from an .m3u (UTF-8 when .m3u8 or with UTF-8's
// byte-order mark) or the command line; names outside the ANSI code page
// are held whole and handed out whole by IPC_GETPLAYLISTFILEW.
//
// Exit codes: 0 after a clean shutdown; 1 when the window could not be made;
// 2 when, after every plug-in's quit() and FreeLibrary, a message sent to the
// main window no longer reached the stand-in's own procedure (a plug-in that
// left a procedure pointing into an unloaded DLL crashes the stand-in
// instead, and the exit code is the exception's).
#pragma once

#include <cstdint>

namespace vandrel::standin {

inline constexpr char kWindowClass[] = "Winamp v1.x";
inline constexpr wchar_t kWindowClassW[] = L"Winamp v1.x";
inline constexpr char kControlMessage[] = "VandrelStandinControl";

enum Control : std::uintptr_t {
  kQueryState = 1,
  kPlay = 2,
  kStop = 3,
  kSetPosition = 4,
  kClearLog = 5,
  kOpenConfig = 6,
  kShutdown = 7,
  kFinish = 8,  // internal: the second half of kShutdown
  kProbe = 9,   // internal: answered 1 by the stand-in's own procedure
  kSetRecycleBin = 10,
  kSetReleaseDelay = 11,
  kSetShuffle = 12,
  kBusy = 13,
  kSendHotkey = 14,
  kUninstall = 15,
};

// The main window's title, outside every ANSI code page.
inline constexpr wchar_t kWindowTitle[] = L"Winamp stand-in \u4E2D\u6587";

struct StateBlock {
  std::uint32_t size;  // bytes of text that follow
  // char text[size];
};

inline constexpr int kExitClean = 0;
inline constexpr int kExitNoWindow = 1;
inline constexpr int kExitHookLeft = 2;

// Winamp's message numbers the stand-in answers.
inline constexpr unsigned kIpcDelete = 101;
inline constexpr unsigned kIpcGetListLength = 124;
inline constexpr unsigned kIpcGetListPos = 125;
inline constexpr unsigned kIpcGetPlaylistFile = 211;
inline constexpr unsigned kIpcGetIniDirectory = 335;
inline constexpr unsigned kIpcGetIniDirectoryW = 1335;
inline constexpr unsigned kIpcGetPlaylistFileW = 214;
inline constexpr unsigned kIpcGetShuffle = 250;
inline constexpr unsigned kIpcUsesRecycleBin = 651;
inline constexpr unsigned kIpcGetVersion = 0;
inline constexpr LRESULT kWinampVersion = 0x5066;  // what IPC_GETVERSION answers: Winamp 5.66
inline constexpr unsigned kIpcSetPlaylistPos = 121;
inline constexpr unsigned kIpcGetWnd = 260;  // wParam 1: the playlist editor
inline constexpr unsigned kIpcChangeCurrentFileW = 1245;
inline constexpr unsigned kIpcRegisterWinampIpcMessage = 65536;
// The playlist editor's window: class "Winamp PE", WM_USER with the command
// in wParam and its value in lParam; an insert comes as WM_COPYDATA.
inline constexpr unsigned kIpcPeGetCurIndex = 100;
inline constexpr unsigned kIpcPeGetIndexTotal = 101;
inline constexpr unsigned kIpcPeDeleteIndex = 104;
inline constexpr unsigned kIpcPeInsertFileNameW = 114;
struct PeInsertFileNameW {
  wchar_t file[MAX_PATH];
  int index;
};
inline constexpr unsigned kCommandPlay = 40045;
inline constexpr unsigned kCommandPause = 40046;
inline constexpr unsigned kCommandStop = 40047;
inline constexpr unsigned kCommandNext = 40048;
inline constexpr unsigned kCommandStartOfPlaylist = 40154;

}  // namespace vandrel::standin
