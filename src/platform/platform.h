// The named operations the plug-in's logic needs from Windows. The logic
// never includes <windows.h>; it calls these. platform/win32 implements them
// for real, tests install fakes.
//
// Text is wide inside the plug-in. File names cross into Windows wide, so
// names outside the ANSI code page work; other text is converted to the ANSI
// code page where Windows or a file wants 8-bit text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vandrel::platform {

using WindowHandle = std::intptr_t;
using ProcAddress = std::intptr_t;
using ProcessHandle = std::intptr_t;

// Result of a file operation: 0 when it worked, else the system's error code
// and its message text.
struct OpResult {
  std::uint32_t code = 0;
  std::wstring message;
  bool ok() const { return code == 0; }
  // The system's reason, or "Error <code>." when it gave none.
  std::wstring Reason() const { return message.empty() ? L"Error " + std::to_wstring(code) + L"." : message; }
};

// What became of a file sent to the Recycle Bin.
struct InRecycleBin {
  bool destroyed = false;  // the shell reported success but removed the file for good
  std::wstring item;       // where the Recycle Bin keeps it; empty when not known
};

// Windows, hotkeys, Winamp's messages and memory.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Window procedure replacement (GWL_WNDPROC), in the window's own character
  // set: a Unicode window stays Unicode.
  virtual ProcAddress GetWindowProc(WindowHandle window) = 0;
  virtual void SetWindowProc(WindowHandle window, ProcAddress proc) = 0;
  virtual std::intptr_t CallWindowProc(ProcAddress proc, WindowHandle window, unsigned message,
                                       std::uintptr_t wParam, std::intptr_t lParam) = 0;

  // The address of a real window procedure that hands every message to the
  // handler installed with SetHookHandler (catching anything it throws).
  using HookHandler = std::intptr_t (*)(WindowHandle, unsigned, std::uintptr_t, std::intptr_t);
  virtual ProcAddress HookProcAddress(HookHandler handler) = 0;
  // Keeps the plug-in's module loaded for the rest of the process's life.
  virtual void KeepModuleLoaded() = 0;

  // Global atoms and hotkeys.
  virtual std::uint16_t GlobalAddAtom(const std::wstring& name) = 0;
  virtual void GlobalDeleteAtom(std::uint16_t atom) = 0;
  virtual OpResult RegisterHotKey(WindowHandle window, std::int32_t id, unsigned modifiers, unsigned vk) = 0;
  virtual void UnregisterHotKey(WindowHandle window, std::int32_t id) = 0;
  // Takes the hotkey messages with identifier `id` that wait in the window's
  // queue out of it (others stay).
  virtual void DiscardQueuedHotKeys(WindowHandle window, std::int32_t id) = 0;
  // Keys as another program's hotkeys see them: the virtual keys held down
  // now (mouse buttons left out); how long a held key waits for its next
  // repeat at most, in ms (the keyboard's delay before the first repeat, or
  // the interval between repeats when longer); the hotkey messages for
  // `modifiers` with one of `keys` that wait in this thread's queue, for any
  // of its windows, taken out of it (others stay).
  virtual std::vector<unsigned> HeldKeys() = 0;
  virtual unsigned KeyRepeatWait() = 0;
  virtual void DiscardQueuedKeyPresses(unsigned modifiers, const std::vector<unsigned>& keys) = 0;
  // Milliseconds since the system started (wraps round after 49 days).
  virtual std::uint32_t TickCount() = 0;

  // Talking to Winamp through the window it handed the plug-in.
  virtual std::intptr_t SendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) = 0;
  // True when `window` names a window that exists now.
  virtual bool IsWindow(WindowHandle window) = 0;
  // Puts the message in the window's queue and returns at once; false when
  // it could not be posted.
  virtual bool PostMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  virtual std::uint32_t GetWindowProcessId(WindowHandle window) = 0;
  virtual ProcessHandle OpenProcessForRead(std::uint32_t processId) = 0;  // 0 on failure
  // Reads up to `size` bytes at `address`; returns how many bytes arrived.
  virtual std::size_t ReadProcessMemory(ProcessHandle process, std::uintptr_t address, char* buffer,
                                        std::size_t size) = 0;
  virtual void CloseProcess(ProcessHandle process) = 0;
  // Reads wide characters at `address` in this process (the plug-in runs
  // inside Winamp) up to and including the first NUL, at most `maxChars`;
  // stops early where the memory cannot be read. Never faults.
  virtual std::wstring ReadOwnWideText(std::uintptr_t address, std::size_t maxChars) = 0;

  // Full path of the plug-in's own module (GetModuleFileNameA, 512 chars).
  virtual std::wstring OwnModuleFileName() = 0;
  // The NUL-terminated text at `address` in this process, as Winamp (which
  // the plug-in runs inside) hands out pointers to its own text: wchar_t text
  // when `wide`, else ANSI. Empty for address 0.
  virtual std::wstring TextInOwnProcess(std::uintptr_t address, bool wide) = 0;
};

enum class Icon { Information, Question, Exclamation, Critical };
enum class Buttons { Ok, OkCancel, YesNoCancel };  // Yes is the default button
enum class Answer { Ok, Cancel, Yes, No };

// Modal message boxes and the system's text rules.
class UserInterface {
 public:
  virtual ~UserInterface() = default;
  // A box is owned by the window set here (0: none), so it stays in front of
  // that window whichever program is active.
  virtual Answer MessageBox(const std::wstring& text, const std::wstring& title, Icon icon,
                            Buttons buttons) = 0;
  void SetBoxOwner(WindowHandle owner) { boxOwner_ = owner; }
  WindowHandle BoxOwner() const { return boxOwner_; }
  // Lower-cases by the system's rules (so "Ä" becomes "ä").
  virtual std::wstring Lower(const std::wstring& text) = 0;
  // 8-bit text in the system's ANSI code page, as Windows, Winamp's memory and
  // the settings file hold it. Embedded NULs are kept.
  virtual std::wstring FromAnsi(const std::string& bytes) = 0;
  virtual std::string ToAnsi(const std::wstring& text) = 0;
  // Opens the text file `path` in the user's editor for it, returning at once.
  virtual OpResult OpenInEditor(const std::wstring& path) = 0;

 private:
  WindowHandle boxOwner_ = 0;
};

// A file kept open for adding bytes at its end; closed with its owner. What
// Append has written is the system's at once: a process killed after it
// loses none of it.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // `size` receives the file's size afterwards.
  virtual OpResult Append(const std::string& bytes, std::uint64_t& size) = 0;
};

// The file system as the disposal action and the settings file use it.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Existence test through the file's last-modified time: 0 when the file or
  // folder is there, 53 when nothing of that name is there, 76 when a folder
  // on the way is missing, 68 when the drive is not available, other numbers
  // for other failures.
  virtual int FileModifiedTime(const std::wstring& path) = 0;
  // Makes the drive named by the path's first character current.
  virtual OpResult ChangeDrive(const std::wstring& path) = 0;
  // Creates one folder whose parent exists.
  virtual OpResult MakeFolder(const std::wstring& path) = 0;
  // The file's attributes, as Windows numbers them (read-only is 1).
  virtual OpResult FileAttributes(const std::wstring& path, std::uint32_t& attributes) = 0;
  // Sets them; 0 means none.
  virtual OpResult SetFileAttributes(const std::wstring& path, std::uint32_t attributes) = 0;
  virtual OpResult RemoveFile(const std::wstring& path) = 0;
  // Whether the Recycle Bin of the file's drive takes the file: fails, with
  // the reason, where the drive has none, it is turned off or cannot be
  // written, or the file is bigger than it holds. What it knows of a drive is
  // found once a session; the file's own size is read each time. Never looks
  // at the items the Recycle Bin holds.
  virtual OpResult RecycleBinTakes(const std::wstring& path) = 0;
  // Moves the file into the Recycle Bin: silent, no confirmation, no box of
  // its own on failure. `done` tells, at the cost of this one file, where
  // the Recycle Bin keeps it (a file in its own folder), or that the shell
  // reported success but destroyed the file instead.
  virtual OpResult RecycleFile(const std::wstring& path, InRecycleBin& done) = 0;
  // Puts the Recycle Bin's `item` back at `path` (never over a file there)
  // and takes its record out of the Recycle Bin.
  virtual OpResult RestoreRecycledItem(const std::wstring& item, const std::wstring& path) = 0;
  // Where the item is not known: the newest of the Recycle Bin's items
  // deleted from `path`, found by looking through them, put back with the
  // Recycle Bin's own Restore command, as Explorer does; fails when the file
  // is not back.
  virtual OpResult RestoreRecycled(const std::wstring& path) = 0;
  // Moves a file, across volumes too (copy and delete); never replaces an
  // existing destination; a failed copy leaves the source where it was.
  virtual OpResult MoveFile(const std::wstring& from, const std::wstring& to) = 0;
  // Whole-file text access for the settings file (8-bit bytes as stored).
  virtual OpResult ReadAllBytes(const std::wstring& path, std::string& bytes) = 0;
  // Writes the bytes beside the file and replaces the file in one step.
  virtual OpResult ReplaceAllBytes(const std::wstring& path, const std::string& bytes) = 0;
  // Removes a folder; fails when it is not empty.
  virtual OpResult RemoveFolder(const std::wstring& path) = 0;
  // The names (without folder) of the files, not folders, in `folder` whose
  // names begin with `prefix`, whatever the case (the system's own match,
  // which may take in names whose short form matches: look again above).
  virtual OpResult FilesStartingWith(const std::wstring& folder, const std::wstring& prefix,
                                     std::vector<std::wstring>& names) = 0;
  // Whether a file can be made in the folder: one is made and gone again at
  // once. Fails, with the reason, where the folder is missing or cannot be
  // written.
  virtual OpResult CanWriteIn(const std::wstring& folder) = 0;
  // Opens the file for AppendFile::Append, created when missing; null, with
  // `result` telling why, when it cannot be opened.
  virtual std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path, OpResult& result) = 0;
  // The local time, to the second, as ISO 8601: "2026-12-07T11:27:03".
  virtual std::string LocalTime() = 0;
  // Waits (Sleep): the retry of a file another program still holds.
  virtual void Sleep(unsigned milliseconds) = 0;
};

// The private-profile functions, as Windows offers them. Buffers come back as
// wide text of the given size, NULs included, exactly as Windows fills them.
class ProfileApi {
 public:
  virtual ~ProfileApi() = default;
  virtual std::uint32_t GetString(const std::wstring& section, const std::wstring& key,
                                  const std::wstring& defaultValue, std::wstring& buffer, std::uint32_t size,
                                  const std::wstring& file) = 0;
  virtual std::uint32_t GetSection(const std::wstring& section, std::wstring& buffer, std::uint32_t size,
                                   const std::wstring& file) = 0;
  virtual std::uint32_t GetSectionNames(std::wstring& buffer, std::uint32_t size,
                                        const std::wstring& file) = 0;
  virtual bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                           const std::wstring& file) = 0;
  // `entries` is key=value pairs, each closed by NUL, the list by a further NUL.
  virtual bool WriteSection(const std::wstring& section, const std::wstring& entries,
                            const std::wstring& file) = 0;
  virtual std::uint32_t LastError() = 0;
  // FormatMessageA(0x1200, ...) into 255 chars; empty when the system has none.
  virtual std::wstring FormatMessage(std::uint32_t code) = 0;
};

class Toolkit;  // windows and controls: platform/toolkit.h

// The set of services in force. The DLL installs the Win32 ones at load;
// tests install fakes.
struct Services {
  WindowSystem* windows = nullptr;
  UserInterface* ui = nullptr;
  FileSystem* files = nullptr;
  ProfileApi* profile = nullptr;
  Toolkit* toolkit = nullptr;
};

Services& Current();

// Installs a set of services for a scope and restores the previous set.
class ScopedServices {
 public:
  explicit ScopedServices(const Services& services) : saved_(Current()) { Current() = services; }
  ~ScopedServices() { Current() = saved_; }
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  Services saved_;
};

inline WindowSystem& Windows() { return *Current().windows; }
inline UserInterface& Ui() { return *Current().ui; }
inline FileSystem& Files() { return *Current().files; }
inline ProfileApi& Profile() { return *Current().profile; }

}  // namespace vandrel::platform
