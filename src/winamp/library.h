// Winamp's Media Library (gen_ml): its window, and the database commands
// that keep a song's record with the song's file. Every command goes to the
// library's own window as WM_ML_IPC, the command in lParam; the library runs
// inside Winamp's process, which is ours, and reads and writes through the
// pointers it is handed before the call returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace vandrel::winamp {

inline constexpr unsigned kWmMlIpc = 0x400 + 0x1000;
inline constexpr std::intptr_t kMlIpcDbRunQueryFilenameW = 0x1702;
inline constexpr std::intptr_t kMlIpcDbFreeQueryResultsW = 0x1705;
inline constexpr std::intptr_t kMlIpcDbUpdateItemW = 0x1706;
inline constexpr std::intptr_t kMlIpcDbRemoveItemW = 0x1708;
inline constexpr std::intptr_t kMlIpcDbAddOrUpdateFileW = 0x1711;
inline constexpr std::intptr_t kMlIpcDbSyncDb = 0x0709;
// What the remove and update commands answer for a file the library lacks.
inline constexpr std::intptr_t kMlNotInLibrary = -2;

// A record as the library hands it out and takes it (itemRecordW).
struct ItemRecordW {
  wchar_t *filename, *title, *ext, *album, *artist, *comment, *genre, *albumartist;
  wchar_t *replaygain_album_gain, *replaygain_track_gain, *publisher, *composer;
  int year, track, tracks, length;
  int rating;                                // 1 to 5, 0 for none
  int playcount;                             // an update given -1 sets it to 0
  std::int64_t lastplay, lastupd, filetime;  // time_t, 64 bits on both architectures
  int filesize, bitrate, type, disc, discs, bpm;
  void* extended_info;
  wchar_t* category;
};
static_assert(sizeof(void*) != 4 || sizeof(ItemRecordW) == 128, "itemRecordW is 128 bytes on x86");
static_assert(sizeof(void*) != 8 || sizeof(ItemRecordW) == 184);
static_assert(offsetof(ItemRecordW, rating) == 12 * sizeof(void*) + 16);
static_assert(offsetof(ItemRecordW, lastplay) == 12 * sizeof(void*) + 24);
static_assert(offsetof(ItemRecordW, extended_info) == (sizeof(void*) == 4 ? 120 : 168));

struct ItemRecordListW {
  ItemRecordW* Items;
  int Size;
  int Alloc;
};
static_assert(sizeof(ItemRecordListW) == sizeof(void*) + 8);

// ML_IPC_DB_RUNQUERY_FILENAMEW's question; the library fills `results`,
// which ML_IPC_DB_FREEQUERYRESULTSW gives back.
struct MlQueryStructW {
  const wchar_t* query;
  int max_results;  // 0: no limit
  ItemRecordListW results;
};
static_assert(sizeof(MlQueryStructW) == (sizeof(void*) == 4 ? 20 : 32));
static_assert(offsetof(MlQueryStructW, results) == (sizeof(void*) == 4 ? 8 : 16));

// ML_IPC_DB_ADDORUPDATEFILEW's file: the library reads the tags itself.
struct LmdbFileAddInfoW {
  const wchar_t* fileName;
  int meta_mode;  // 1: read the file's metadata
  int gues_mode;  // -1: as the user set it
};
static_assert(sizeof(LmdbFileAddInfoW) == (sizeof(void*) == 4 ? 12 : 16));

// What a record holds that the library cannot read from the file again.
struct LibraryRecord {
  int rating = 0;
  int playcount = 0;
  std::int64_t lastplay = 0;
  friend bool operator==(const LibraryRecord&, const LibraryRecord&) = default;
};

// The library's window in the Winamp of `winamp`: the number Winamp
// registered for "LibraryGetWnd", asked with wParam -1 (which also loads the
// library's database). 0 when there is none: a Winamp without the library
// answers 0 or 1, and only a real window is taken.
platform::WindowHandle LibraryWindow(platform::WindowHandle winamp);

// The record of `path` (the library's query for that exact name); none when
// the library holds no record of it.
std::optional<LibraryRecord> FindRecord(platform::WindowHandle library, const std::wstring& path);
// Takes the record of `path` out; false when there was none.
bool RemoveRecord(platform::WindowHandle library, const std::wstring& path);
// Adds (or updates) the record of the file `path`, which the library reads
// from the file, then gives it `kept`'s rating, play count and last play;
// false when the library holds no record of it afterwards (it adds none for
// a missing or empty file).
bool PutRecord(platform::WindowHandle library, const std::wstring& path, const LibraryRecord& kept);
// Writes the library's changes to its database.
void SyncLibrary(platform::WindowHandle library);

}  // namespace vandrel::winamp
