// Fakes of the platform operations for the logic's unit tests.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/wrapper.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "winamp/library.h"

namespace vandrel::testing {

// Lower case by the system's rules, for Latin-1.
inline std::wstring Lowered(std::wstring text) {
  for (wchar_t& c : text)
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = static_cast<wchar_t>(c + 32);
  return text;
}

struct ShownBox {
  std::wstring text, title;
  platform::Icon icon;
  platform::WindowHandle owner = 0;
};

// Latin-1 stands in for the ANSI code page.
class FakeUi : public platform::UserInterface {
 public:
  std::deque<platform::Answer> answers;  // for OK/Cancel boxes; OK when none is queued
  std::vector<ShownBox> shown;
  std::function<void()> onBox;  // runs while a box is up

  platform::Answer MessageBox(const std::wstring& text, const std::wstring& title, platform::Icon icon,
                              platform::Buttons buttons) override {
    shown.push_back({text, title, icon, BoxOwner()});
    if (onBox) onBox();
    if (buttons == platform::Buttons::Ok || answers.empty()) return platform::Answer::Ok;
    platform::Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::wstring Lower(const std::wstring& text) override { return Lowered(text); }
  std::wstring FromAnsi(const std::string& bytes) override {
    std::wstring out;
    for (unsigned char c : bytes) out += c;
    return out;
  }
  std::string ToAnsi(const std::wstring& text) override {
    std::string out;
    for (wchar_t c : text) out += c <= 0xFF ? static_cast<char>(c) : '?';
    return out;
  }
  std::vector<std::wstring> edited;  // files opened in the editor
  platform::OpResult OpenInEditor(const std::wstring& path) override {
    edited.push_back(path);
    return {};
  }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const ShownBox& box : shown) texts.push_back(box.text);
    return texts;
  }
};

// Winamp's window (its playlist held in "its memory"), hotkeys, atoms and window procedures.
class FakeWindows : public platform::WindowSystem {
 public:
  static constexpr platform::WindowHandle kWinamp = 0x1234;
  static constexpr platform::ProcAddress kWinampProc = 0x7000, kHookProc = 0x9000;
  static constexpr std::intptr_t kWinampResult = 4242;
  static constexpr std::uintptr_t kNames = 0x100000, kWideNames = 0x900000;
  std::vector<std::wstring> widePlaylist;  // what 214 hands out; none: a player before it
  std::intptr_t usesRecycleBin = 0;        // what 651 answers
  std::intptr_t version = 0x5066;          // what IPC_GETVERSION (0) answers
  // What 3026 (wide) and 290 (ANSI) copy into the answer's buffer, as far as
  // it holds, without a NUL; none: they answer 0. `commands` notes each query.
  std::map<std::intptr_t, std::wstring> tags;
  std::vector<std::wstring> tagsAsked;  // "file|metadata|room", as each query named them

  bool winampPresent = true;
  std::vector<std::string> playlist;
  std::int32_t position = 0;
  std::vector<std::uintptr_t> commands;  // WM_COMMAND ids, in order, and 1245, 104 for the playlist's changes
  static constexpr platform::WindowHandle kEditor = 0x5678;
  bool editorPresent = true;  // what IPC_GETWND names: the playlist editor, or none
  int openProcesses = 0;
  std::uint16_t nextAtom = 0xC0DE;  // the first name's atom; each further name's the next
  std::map<std::wstring, std::uint16_t> atoms;
  int atomsAdded = 0;
  std::vector<std::uint16_t> atomsDeleted;
  std::set<unsigned> takenKeys;                  // held by another program
  std::map<std::int32_t, unsigned> registered;   // id -> virtual key
  std::map<std::int32_t, unsigned> modifiersOf;  // id -> modifier bits
  unsigned registeredModifiers = 0;              // of the last registration
  // The id registered for `vk` with `modifiers` (MOD_NOREPEAT included), 0 for none.
  std::int32_t IdOf(unsigned vk, unsigned modifiers) const {
    for (const auto& [id, key] : registered)
      if (key == vk && modifiersOf.at(id) == modifiers) return id;
    return 0;
  }
  platform::ProcAddress proc = kWinampProc;  // Winamp's current window procedure
  HookHandler hook = nullptr;
  std::wstring moduleFileName = L"C:\\Plugins\\vandrel.dll";

  // Delivers a message through the window's current procedure.
  std::intptr_t Deliver(unsigned message, std::uintptr_t wParam, std::intptr_t lParam = 0) {
    return CallWindowProc(proc, kWinamp, message, wParam, lParam);
  }
  // Winamp's IPC numbers registered by name (Global Hotkeys' only while present); the posts.
  bool globalHotkeys = true;
  std::vector<std::string> ipcNames;
  struct Post {
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
  };
  std::vector<Post> posts;
  // The keys held, the clock, and the hotkeys taken out of the queue (modifiers, then keys).
  std::vector<unsigned> held;
  std::uint32_t tick = 1000;
  std::vector<std::vector<unsigned>> discarded;

  platform::ProcAddress GetWindowProc(platform::WindowHandle) override { return proc; }
  void SetWindowProc(platform::WindowHandle, platform::ProcAddress p) override { proc = p; }
  std::intptr_t CallWindowProc(platform::ProcAddress p, platform::WindowHandle w, unsigned message,
                               std::uintptr_t wParam, std::intptr_t lParam) override {
    if (p == kHookProc) return hook(w, message, wParam, lParam);
    return p == kWinampProc ? kWinampResult : 0;
  }
  platform::ProcAddress HookProcAddress(HookHandler handler) override {
    hook = handler;
    return kHookProc;
  }
  std::uint16_t GlobalAddAtom(const std::wstring& name) override {
    if (nextAtom == 0) return 0;
    ++atomsAdded;
    return atoms.emplace(name, static_cast<std::uint16_t>(nextAtom + atoms.size())).first->second;
  }
  void GlobalDeleteAtom(std::uint16_t atom) override { atomsDeleted.push_back(atom); }
  platform::OpResult RegisterHotKey(platform::WindowHandle, std::int32_t id, unsigned modifiers,
                                    unsigned vk) override {
    if (takenKeys.count(vk) || IdOf(vk, modifiers) != 0) return {1409, L"Hot key is already registered."};
    registered[id] = vk;
    modifiersOf[id] = modifiers;
    registeredModifiers = modifiers;
    return {};
  }
  void UnregisterHotKey(platform::WindowHandle, std::int32_t id) override { registered.erase(id); }
  void KeepModuleLoaded() override {}
  void DiscardQueuedHotKeys(platform::WindowHandle, std::int32_t) override {}
  std::vector<unsigned> HeldKeys() override { return held; }
  unsigned KeyRepeatWait() override { return 500; }
  void DiscardQueuedKeyPresses(unsigned modifiers, const std::vector<unsigned>& keys) override {
    discarded.push_back({modifiers});
    discarded.back().insert(discarded.back().end(), keys.begin(), keys.end());
  }
  std::uint32_t TickCount() override { return tick; }
  bool PostMessage(platform::WindowHandle w, unsigned message, std::uintptr_t wParam,
                   std::intptr_t lParam) override {
    if (w == kWinamp) posts.push_back({message, wParam, lParam});
    return w == kWinamp;
  }
  std::intptr_t SendMessage(platform::WindowHandle w, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam) override {
    const auto count = static_cast<std::int32_t>(playlist.size());
    if (w == kEditor && message == 0x4A) {  // an insert: the name and the place
      struct Data {
        std::uintptr_t command;
        std::uint32_t size;
        const void* data;
      };
      struct Insert {
        wchar_t file[260];
        int index;
      };
      const auto* insert = static_cast<const Insert*>(reinterpret_cast<const Data*>(lParam)->data);
      const std::wstring file = insert->file;
      playlist.insert(playlist.begin() + std::min(insert->index, count),
                      std::string(file.begin(), file.end()));
      if (insert->index <= position && count > 0) ++position;
      commands.push_back(114);
    }
    if (w == kEditor && message == 0x400 && wParam == 104 && lParam >= 0 && lParam < count) {
      commands.push_back(104);
      playlist.erase(playlist.begin() + lParam);
      if (lParam <= position && position > 0) --position;
    }
    if (w == kLibrary && message == 0x1400) return Library(wParam, lParam);
    if (w != kWinamp || !winampPresent) return 0;
    if (message == 0x400 && lParam == 260) return editorPresent && wParam == 1 ? kEditor : 0;
    if (message == 0x400 && lParam == 121) position = static_cast<std::int32_t>(wParam);
    if (message == 0x400 && lParam == 1245) {
      commands.push_back(1245);
      const std::wstring path = reinterpret_cast<const wchar_t*>(wParam);
      playlist[position] = std::string(path.begin(), path.end());
    }
    if (message == 0x111) commands.push_back(wParam);
    if (message == 0x400 && (lParam == 3026 || lParam == 290)) {
      commands.push_back(static_cast<std::uintptr_t>(lParam));
      return lParam == 3026 ? Tag(*reinterpret_cast<const TagQuery<wchar_t>*>(wParam), lParam)
                            : Tag(*reinterpret_cast<const TagQuery<char>*>(wParam), lParam);
    }
    if (message != 0x400) return 0;
    if (lParam == 65536) {
      const std::string name = reinterpret_cast<const char*>(wParam);
      if (name == "GenHotkeysAdd" && !globalHotkeys) return 0;
      ipcNames.push_back(name);
      return 65536 + static_cast<std::intptr_t>(ipcNames.size());
    }
    if (wParam == static_cast<std::uintptr_t>(-1) && lParam > 65536 &&
        ipcNames.at(static_cast<std::size_t>(lParam - 65537)) == "LibraryGetWnd")
      return libraryAnswer;
    if (lParam == 101) playlist.clear();
    if (lParam == 124) return count;
    if (lParam == 125) return position;
    if (lParam == 211 && static_cast<std::int32_t>(wParam) < count) return kNames + wParam * 0x1000;
    if (lParam == 214 && wParam < widePlaylist.size()) return kWideNames + wParam * 0x1000;
    return lParam == 651 ? usesRecycleBin : lParam == 0 ? version : 0;
  }
  template <typename Char>
  struct TagQuery {
    const Char *file, *metadata;
    Char* ret;
    std::size_t room;
  };
  template <typename Char>
  std::intptr_t Tag(const TagQuery<Char>& query, std::intptr_t code) {
    const std::basic_string<Char> file = query.file, metadata = query.metadata;  // ASCII in the tests
    tagsAsked.push_back(std::wstring(file.begin(), file.end()) + L"|" +
                        std::wstring(metadata.begin(), metadata.end()) + L"|" + std::to_wstring(query.room));
    const auto tag = tags.find(code);
    if (tag == tags.end()) return 0;
    std::copy_n(tag->second.begin(), std::min(tag->second.size(), query.room), query.ret);
    return 1;
  }
  bool IsWindow(platform::WindowHandle w) override { return w == kWinamp || w == kEditor || w == kLibrary; }
  // The Media Library: its window is what "LibraryGetWnd"'s number answers
  // with wParam -1. It holds `records` by path, adds none for the files in
  // `unaddable`, and notes each command (lParam) in `libraryCommands`.
  static constexpr platform::WindowHandle kLibrary = 0x6000;
  std::intptr_t libraryAnswer = 0;
  std::map<std::wstring, winamp::LibraryRecord> records;
  std::set<std::wstring> unaddable;
  std::vector<std::intptr_t> libraryCommands;
  winamp::ItemRecordW found{};
  std::intptr_t Library(std::uintptr_t data, std::intptr_t command) {
    libraryCommands.push_back(command);
    if (command == 0x1702 || command == 0x1705) {
      auto* query = reinterpret_cast<winamp::MlQueryStructW*>(data);
      const auto record = records.find(query->query);
      query->results = {nullptr, 0, 0};
      if (command == 0x1702 && record != records.end()) {
        found = {};
        found.filename = const_cast<wchar_t*>(record->first.c_str());
        found.rating = record->second.rating;
        found.playcount = record->second.playcount;
        found.lastplay = record->second.lastplay;
        query->results = {&found, 1, 1};
      }
    } else if (const auto* add = reinterpret_cast<const winamp::LmdbFileAddInfoW*>(data); command == 0x1711) {
      if (!unaddable.count(add->fileName)) records.try_emplace(add->fileName);
    } else if (command == 0x1706 || command == 0x1708) {
      const auto* item = reinterpret_cast<const winamp::ItemRecordW*>(data);
      const auto record =
          records.find(command == 0x1706 ? item->filename : reinterpret_cast<const wchar_t*>(data));
      if (record == records.end()) return -2;
      if (command == 0x1708) records.erase(record);
      if (command == 0x1706) record->second = {item->rating, item->playcount, item->lastplay};
    }
    return 1;
  }
  std::uint32_t GetWindowProcessId(platform::WindowHandle w) override {
    return w == kWinamp && winampPresent ? 777 : 0;
  }
  platform::ProcessHandle OpenProcessForRead(std::uint32_t id) override {
    openProcesses += id == 777;
    return id == 777 ? 0x55 : 0;
  }
  // Winamp's memory: the name, its NUL, then junk.
  std::size_t ReadProcessMemory(platform::ProcessHandle process, std::uintptr_t address, char* buffer,
                                std::size_t size) override {
    const std::size_t index = (address - kNames) / 0x1000;
    if (process != 0x55 || address < kNames || index >= playlist.size()) return 0;
    std::string memory = playlist[index] + '\0';
    memory.resize(std::max(size, memory.size()), 'x');
    memory.copy(buffer, size);
    return size;
  }
  void CloseProcess(platform::ProcessHandle process) override { openProcesses -= process == 0x55; }
  std::wstring ReadOwnWideText(std::uintptr_t address, std::size_t maxChars) override {
    const std::size_t index = (address - kWideNames) / 0x1000;
    if (address < kWideNames || index >= widePlaylist.size()) return L"";
    return (widePlaylist[index] + L'\0').substr(0, maxChars);
  }
  std::wstring OwnModuleFileName() override { return moduleFileName; }
  std::wstring TextInOwnProcess(std::uintptr_t, bool) override { return {}; }
};

// Files and folders by case-blind path, a run of "\" as one; a drive is there when its root is a folder.
class FakeFiles : public platform::FileSystem {
 public:
  std::set<std::wstring> folders{L"c:\\"};
  std::map<std::wstring, std::string> files;         // contents
  std::set<wchar_t> notReady;                        // lower-case drive letters
  std::map<std::wstring, std::uint32_t> failing;     // log entry -> the code that change fails with
  std::map<std::wstring, std::uint32_t> attributes;  // by key; read-only (1) refuses a delete
  unsigned slept = 0, releaseAfter = 0;     // a held file (32, 33) is let go once this much was slept
  std::map<std::wstring, int> timeNumbers;  // path -> the time query's number
  std::vector<std::wstring> log;            // every change, e.g. L"MoveFile c:\\a.mp3 d:\\a.mp3"
  wchar_t currentDrive = L'c';
  struct BinItem {
    std::wstring from;  // the key it was deleted from
    std::string contents;
    std::wstring item;  // where the Recycle Bin keeps it
  };
  std::vector<BinItem> bin;  // the Recycle Bin, oldest first
  bool noBin = false;        // the drive has no Recycle Bin that takes files
  bool binDestroys = false;  // a recycled file is gone for good, as where the bin cannot be written
  int recycled = 0;          // items the Recycle Bin has made, for their names

  static std::wstring Key(const std::wstring& path) {
    std::wstring key;
    for (wchar_t c : Lowered(path))
      if (c != L'\\' || key.empty() || key.back() != L'\\') key += c;
    if (key.size() > 3 && key.back() == L'\\') key.pop_back();
    return key;
  }
  static std::wstring Parent(const std::wstring& key) {
    const std::size_t cut = key.rfind(L'\\');
    return cut == std::wstring::npos ? L"" : key.substr(0, cut == 2 ? 3 : cut);
  }
  void AddFolder(const std::wstring& path) {
    std::wstring k = Key(path);
    for (; k.size() > 3; k = Parent(k)) folders.insert(k);
    if (k.size() == 3) folders.insert(k);
  }
  void AddFile(const std::wstring& path, const std::string& contents = "x") {
    AddFolder(Parent(Key(path)));
    files[Key(path)] = contents;
  }
  bool IsFolder(const std::wstring& path) const { return folders.count(Key(path)) != 0; }
  bool IsFile(const std::wstring& path) const { return files.count(Key(path)) != 0; }
  bool Ready(const std::wstring& key) const {
    return key.size() >= 3 && key[1] == L':' && folders.count(key.substr(0, 3)) && !notReady.count(key[0]);
  }

  int FileModifiedTime(const std::wstring& path) override {
    const std::wstring k = Key(path);
    if (timeNumbers.count(k)) return timeNumbers[k];
    if (k.empty()) return 53;
    if (!Ready(k)) return 68;
    if (IsFile(k) || IsFolder(k)) return 0;
    return IsFolder(Parent(k)) ? 53 : 76;
  }
  platform::OpResult ChangeDrive(const std::wstring& path) override {
    if (!Ready(Key(path.substr(0, 1) + L":\\"))) return Fail(21);
    currentDrive = Key(path)[0];
    return {};
  }
  platform::OpResult MakeFolder(const std::wstring& path) override {
    const std::wstring k = Key(path);
    if (auto r = Check(L"MakeFolder " + k); !r.ok()) return r;
    if (IsFile(k) || IsFolder(k)) return Fail(183);
    if (!Ready(k) || !IsFolder(Parent(k))) return Fail(3);
    folders.insert(k);
    return {};
  }
  platform::OpResult FileAttributes(const std::wstring& path, std::uint32_t& value) override {
    if (!IsFile(path)) return Fail(2);
    value = attributes[Key(path)];
    return {};
  }
  platform::OpResult SetFileAttributes(const std::wstring& path, std::uint32_t value) override {
    auto r = Check(L"SetFileAttributes " + Key(path) + L" " + std::to_wstring(value));
    if (r.ok()) attributes[Key(path)] = value;
    return r;
  }
  platform::OpResult RecycleBinTakes(const std::wstring&) override {
    return noBin ? Fail(50) : platform::OpResult{};
  }
  platform::OpResult RecycleFile(const std::wstring& path, platform::InRecycleBin& done) override {
    auto r = Check(L"RecycleFile " + Key(path));
    done = {binDestroys, binDestroys ? L"" : L"c:\\$recycle.bin\\$r" + std::to_wstring(++recycled)};
    if (r.ok() && !binDestroys) bin.push_back({Key(path), files[Key(path)], done.item});
    if (r.ok()) files.erase(Key(path));
    return r;
  }
  platform::OpResult RestoreRecycledItem(const std::wstring& item, const std::wstring& path) override {
    return Restore(L"RestoreRecycledItem " + item, path, [&](auto& b) { return b.item == item; });
  }
  platform::OpResult RestoreRecycled(const std::wstring& path) override {
    return Restore(L"RestoreRecycled " + Key(path), path, [&](auto& b) { return b.from == Key(path); });
  }
  void Sleep(unsigned ms) override {
    slept += ms;
    if (releaseAfter != 0 && slept >= releaseAfter)
      std::erase_if(failing, [](const auto& f) { return f.second == 32 || f.second == 33; });
  }
  platform::OpResult RemoveFile(const std::wstring& path) override {
    auto r = Check(L"RemoveFile " + Key(path));
    if (attributes[Key(path)] & 1) return Fail(5);  // read-only refuses before anything else
    return !r.ok() || files.erase(Key(path)) ? r : Fail(2);
  }
  platform::OpResult MoveFile(const std::wstring& from, const std::wstring& to) override {
    const std::wstring f = Key(from), t = Key(to);
    if (auto r = Check(L"MoveFile " + f + L" " + t); !r.ok()) return r;
    if (!IsFile(f)) return Fail(2);
    if (IsFile(t) || IsFolder(t)) return Fail(183);
    if (!Ready(t) || !IsFolder(Parent(t))) return Fail(3);
    files[t] = files[f];
    files.erase(f);
    return {};
  }
  std::string now = "2026-12-07T11:27:03";
  platform::OpResult RemoveFolder(const std::wstring& path) override {
    const std::wstring k = Key(path);
    if (!IsFolder(k)) return Fail(2);
    for (const auto& [file, bytes] : files)
      if (Parent(file) == k) return Fail(145);
    for (const std::wstring& folder : folders)
      if (Parent(folder) == k && folder != k) return Fail(145);
    folders.erase(k);
    return {};
  }
  platform::OpResult FilesStartingWith(const std::wstring& folder, const std::wstring& prefix,
                                       std::vector<std::wstring>& names) override {
    names.clear();
    for (const auto& [key, bytes] : files)
      if (Parent(key) == Key(folder) &&
          key.compare(Parent(key).size() + 1, prefix.size(), Lowered(prefix)) == 0)
        names.push_back(key.substr(Parent(key).size() + 1));
    return {};
  }
  // Fails while "CanWriteIn <folder>" is failing.
  platform::OpResult CanWriteIn(const std::wstring& folder) override {
    if (!IsFolder(folder)) return Fail(3);
    return Check(L"CanWriteIn " + Key(folder));
  }
  // Each write fails while "Append <path>" is failing.
  struct Appending : platform::AppendFile {
    Appending(FakeFiles& files, std::wstring key) : files(files), key(std::move(key)) {}
    platform::OpResult Append(const std::string& bytes, std::uint64_t& size) override {
      if (auto r = files.Check(L"Append " + key); !r.ok()) return r;
      size = (files.files[key] += bytes).size();
      return {};
    }
    FakeFiles& files;
    std::wstring key;
  };
  std::unique_ptr<platform::AppendFile> OpenForAppend(const std::wstring& path,
                                                      platform::OpResult& result) override {
    result = IsFolder(path) || !IsFolder(Parent(Key(path))) ? Fail(3) : platform::OpResult{};
    if (!result.ok()) return nullptr;
    files[Key(path)];
    return std::make_unique<Appending>(*this, Key(path));
  }
  std::string LocalTime() override { return now; }
  platform::OpResult ReadAllBytes(const std::wstring& path, std::string& bytes) override {
    if (!IsFile(path)) return Fail(2);
    bytes = files[Key(path)];
    return {};
  }
  platform::OpResult ReplaceAllBytes(const std::wstring& path, const std::string& bytes) override {
    auto r = Check(L"ReplaceAllBytes " + Key(path));
    if (r.ok()) files[Key(path)] = bytes;
    return r;
  }

 private:
  template <typename Match>
  platform::OpResult Restore(const std::wstring& what, const std::wstring& path, Match match) {
    auto r = Check(what);
    auto it = std::find_if(bin.rbegin(), bin.rend(), match);
    if (!r.ok() || it == bin.rend()) return r.ok() ? Fail(2) : r;
    files[Key(path)] = it->contents;
    bin.erase(std::next(it).base());
    return r;
  }
  static platform::OpResult Fail(std::uint32_t code) {
    return {code, L"System error " + std::to_wstring(code)};
  }
  platform::OpResult Check(const std::wstring& entry) {
    log.push_back(entry);
    return failing.count(entry) ? Fail(failing[entry]) : platform::OpResult{};
  }
};

// The profile functions over FakeFiles texts: names match case-blind, new ones go at the end.
class FakeProfile : public platform::ProfileApi {
 public:
  explicit FakeProfile(FakeFiles& files) : files_(files) {}
  std::uint32_t writeFailure = 0;  // every write fails with this code

  std::wstring Text(const std::wstring& path) const {
    auto it = files_.files.find(FakeFiles::Key(path));
    return FakeUi().FromAnsi(it == files_.files.end() ? "" : it->second);
  }
  void SetText(const std::wstring& path, const std::wstring& text) {
    files_.AddFile(path, FakeUi().ToAnsi(text));
  }

  std::uint32_t GetString(const std::wstring& section, const std::wstring& key, const std::wstring&,
                          std::wstring& buffer, std::uint32_t size, const std::wstring& file) override {
    Ini ini = Load(file);
    std::wstring value;
    for (const std::wstring& line : Section(ini, section))
      if (Lowered(line.substr(0, line.find(L'='))) == Lowered(key)) value = line.substr(line.find(L'=') + 1);
    return Out(value.substr(0, size - 1), buffer, size);
  }
  std::uint32_t GetSection(const std::wstring& section, std::wstring& buffer, std::uint32_t size,
                           const std::wstring& file) override {
    Ini ini = Load(file);
    std::wstring list;
    for (const std::wstring& line : Section(ini, section)) list += line + L'\0';
    return Out(list, buffer, size);
  }
  std::uint32_t GetSectionNames(std::wstring& buffer, std::uint32_t size, const std::wstring& file) override {
    std::wstring list;
    for (const auto& s : Load(file)) list += s.first + L'\0';
    return Out(list, buffer, size);
  }
  bool WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                   const std::wstring& file) override {
    return Write(file, section, [&](std::vector<std::wstring>& lines) {
      for (std::wstring& line : lines)
        if (Lowered(line.substr(0, line.find(L'='))) == Lowered(key)) return void(line = key + L"=" + value);
      lines.push_back(key + L"=" + value);
    });
  }
  bool WriteSection(const std::wstring& section, const std::wstring& entries,
                    const std::wstring& file) override {
    return Write(file, section, [&](std::vector<std::wstring>& lines) {
      lines.clear();
      for (std::size_t at = 0; at < entries.size() && entries[at] != L'\0'; at = entries.find(L'\0', at) + 1)
        lines.push_back(entries.substr(at, entries.find(L'\0', at) - at));
    });
  }
  std::uint32_t LastError() override { return lastError_; }
  std::wstring FormatMessage(std::uint32_t code) override { return code == 5 ? L"Access denied.\r\n" : L""; }

 private:
  using Ini = std::vector<std::pair<std::wstring, std::vector<std::wstring>>>;

  Ini Load(const std::wstring& file) {
    Ini ini;
    lastError_ = files_.IsFile(file) ? 0 : 2;
    std::wstring text = Text(file);
    for (std::size_t at = 0, end; at < text.size(); at = end + 2) {
      end = std::min(text.find(L"\r\n", at), text.size());
      std::wstring line = text.substr(at, end - at);
      if (line.starts_with(L'[') && line.ends_with(L']'))
        ini.push_back({line.substr(1, line.size() - 2), {}});
      else if (!line.empty() && !ini.empty())
        ini.back().second.push_back(line);
    }
    return ini;
  }
  // The section's lines; a missing one is added (empty) to this copy.
  static std::vector<std::wstring>& Section(Ini& ini, const std::wstring& name) {
    for (auto& s : ini)
      if (Lowered(s.first) == Lowered(name)) return s.second;
    return ini.emplace_back(name, std::vector<std::wstring>{}).second;
  }
  bool Write(const std::wstring& file, const std::wstring& section,
             const std::function<void(std::vector<std::wstring>&)>& change) {
    Ini ini = Load(file);
    if ((lastError_ = writeFailure) != 0) return false;
    change(Section(ini, section));
    std::wstring text;
    for (const auto& [name, lines] : ini) {
      text += L"[" + name + L"]\r\n";
      for (const std::wstring& line : lines) text += line + L"\r\n";
    }
    SetText(file, text);
    return true;
  }
  static std::uint32_t Out(const std::wstring& text, std::wstring& buffer, std::uint32_t size) {
    buffer = text + std::wstring(size > text.size() ? size - text.size() : 1, L'\0');
    return static_cast<std::uint32_t>(text.size());
  }

  FakeFiles& files_;
  std::uint32_t lastError_ = 0;
};

// A wrapper object that keeps what it is given.
class FakeWrapper : public core::Wrapper {
 public:
  std::vector<std::wstring> descriptions;  // every write, in order

  std::wstring PluginDescription() override { return descriptions.empty() ? L"" : descriptions.back(); }
  void SetPluginDescription(const std::wstring& text) override { descriptions.push_back(text); }
  platform::WindowHandle WinAmpWindowHandle() override { return FakeWindows::kWinamp; }
  std::int32_t WrapperVersion() override { return (2 << 16) | 5; }
  std::wstring WrapperDescription() override { return L"Test wrapper"; }
  std::intptr_t WrapperDllHandle() override { return 0x10000000; }
};

}  // namespace vandrel::testing
