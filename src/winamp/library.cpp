#include "winamp/library.h"

#include "winamp/bridge.h"

namespace vandrel::winamp {

namespace {

std::intptr_t Command(platform::WindowHandle library, const void* data, std::intptr_t command) {
  return platform::Windows().SendMessage(library, kWmMlIpc, reinterpret_cast<std::uintptr_t>(data), command);
}

}  // namespace

platform::WindowHandle LibraryWindow(platform::WindowHandle winamp) {
  auto& windows = platform::Windows();
  const std::intptr_t message = windows.SendMessage(
      winamp, kWmUser, reinterpret_cast<std::uintptr_t>("LibraryGetWnd"), kIpcRegisterWinampIpcMessage);
  if (message == 0) return 0;
  const auto window = static_cast<platform::WindowHandle>(
      windows.SendMessage(winamp, kWmUser, static_cast<std::uintptr_t>(-1), message));
  return window == 0 || window == 1 || !windows.IsWindow(window) ? 0 : window;
}

std::optional<LibraryRecord> FindRecord(platform::WindowHandle library, const std::wstring& path) {
  MlQueryStructW query{path.c_str(), 1, {nullptr, 0, 0}};
  Command(library, &query, kMlIpcDbRunQueryFilenameW);
  std::optional<LibraryRecord> found;
  if (query.results.Size > 0 && query.results.Items != nullptr) {
    const ItemRecordW& item = query.results.Items[0];
    found = LibraryRecord{item.rating, item.playcount, item.lastplay};
  }
  Command(library, &query, kMlIpcDbFreeQueryResultsW);
  return found;
}

bool RemoveRecord(platform::WindowHandle library, const std::wstring& path) {
  return Command(library, path.c_str(), kMlIpcDbRemoveItemW) != kMlNotInLibrary;
}

bool PutRecord(platform::WindowHandle library, const std::wstring& path, const LibraryRecord& kept) {
  const LmdbFileAddInfoW add{path.c_str(), 1, -1};
  Command(library, &add, kMlIpcDbAddOrUpdateFileW);
  // The record as the library made it from the file, its own values sent
  // back with the three that came with the song.
  MlQueryStructW query{path.c_str(), 1, {nullptr, 0, 0}};
  Command(library, &query, kMlIpcDbRunQueryFilenameW);
  bool made = query.results.Size > 0 && query.results.Items != nullptr;
  if (made) {
    ItemRecordW item = query.results.Items[0];
    item.rating = kept.rating;
    item.playcount = kept.playcount;
    item.lastplay = kept.lastplay;
    made = Command(library, &item, kMlIpcDbUpdateItemW) != kMlNotInLibrary;
  }
  Command(library, &query, kMlIpcDbFreeQueryResultsW);
  return made;
}

void SyncLibrary(platform::WindowHandle library) { Command(library, nullptr, kMlIpcDbSyncDb); }

}  // namespace vandrel::winamp
