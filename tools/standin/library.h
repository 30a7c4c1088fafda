// The stand-in's Media Library (gen_ml): a window of its own that answers
// the database commands (WM_ML_IPC, the command in lParam) from a small table
// of records, which a test fills from a file and reads back in the state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::standin {

inline constexpr UINT kWmMlIpc = WM_USER + 0x1000;
inline constexpr LPARAM kMlIpcDbRunQueryFilenameW = 0x1702;
inline constexpr LPARAM kMlIpcDbFreeQueryResultsW = 0x1705;
inline constexpr LPARAM kMlIpcDbUpdateItemW = 0x1706;
inline constexpr LPARAM kMlIpcDbRemoveItemW = 0x1708;
inline constexpr LPARAM kMlIpcDbAddOrUpdateFileW = 0x1711;
inline constexpr LPARAM kMlIpcDbSyncDb = 0x0709;

// The layouts of Winamp's SDK (gen_ml/ml.h), written out here on their own.
struct MlItemRecordW {
  wchar_t *filename, *title, *ext, *album, *artist, *comment, *genre, *albumartist;
  wchar_t *replaygain_album_gain, *replaygain_track_gain, *publisher, *composer;
  int year, track, tracks, length, rating, playcount;
  __time64_t lastplay, lastupd, filetime;
  int filesize, bitrate, type, disc, discs, bpm;
  void* extended_info;
  wchar_t* category;
};
static_assert(sizeof(void*) != 4 || sizeof(MlItemRecordW) == 128);
struct MlItemRecordListW {
  MlItemRecordW* Items;
  int Size;
  int Alloc;
};
struct MlQueryStructW {
  wchar_t* query;
  int max_results;
  MlItemRecordListW results;
};
struct MlFileAddInfoW {
  wchar_t* fileName;
  int meta_mode;
  int gues_mode;
};

class Library {
 public:
  // Reads the records from a UTF-8 file, one a line: path, rating, play
  // count, last play and date added, tab-separated. False when unreadable.
  bool Load(const std::string& path);
  // Answers one command as Winamp's library does, and logs it ("ML_IPC_DB_*
  // <file>"): a query for one exact name (compared case-blind) hands out a
  // copy that stays allocated until freed; the add reads a file that exists
  // and is not empty (else -1) and stamps the date added itself; the update
  // leaves texts given as NULL and numbers given as -1, but sets a play count
  // of -1 to 0; the remove and the update answer -2 for a file it lacks.
  LRESULT OnIpc(WPARAM data, LPARAM command, std::vector<std::string>& log);
  // "PATH\tRATING\tPLAYCOUNT\tLASTPLAY\tADDED" per record, the path in UTF-8.
  std::vector<std::string> Describe() const;
  // Query results handed out and not yet freed.
  int Unfreed() const { return unfreed_; }

 private:
  struct Record {
    std::wstring path;
    int rating = 0, playcount = 0;
    long long lastplay = 0, added = 0;
  };
  Record* Find(const wchar_t* path);

  std::vector<Record> records_;
  int unfreed_ = 0;
};

}  // namespace vandrel::standin
