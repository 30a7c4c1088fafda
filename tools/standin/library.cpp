#include "library.h"

#include <ctime>
#include <fstream>
#include <sstream>

namespace vandrel::standin {

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// A file the library would read: there, and not empty.
bool Readable(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetFileAttributesExW(path, GetFileExInfoStandard, &data) &&
         !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0);
}

}  // namespace

bool Library::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::istringstream fields(line);
    std::string file, rating, playcount, lastplay, added;
    std::getline(fields, file, '\t');
    std::getline(fields, rating, '\t');
    std::getline(fields, playcount, '\t');
    std::getline(fields, lastplay, '\t');
    std::getline(fields, added, '\t');
    records_.push_back({FromUtf8(file), std::atoi(rating.c_str()), std::atoi(playcount.c_str()),
                        std::atoll(lastplay.c_str()), std::atoll(added.c_str())});
  }
  return true;
}

Library::Record* Library::Find(const wchar_t* path) {
  if (path == nullptr) return nullptr;
  for (Record& record : records_)
    if (CompareStringOrdinal(record.path.c_str(), -1, path, -1, TRUE) == CSTR_EQUAL) return &record;
  return nullptr;
}

LRESULT Library::OnIpc(WPARAM data, LPARAM command, std::vector<std::string>& log) {
  switch (command) {
    case kMlIpcDbRunQueryFilenameW: {
      auto* query = reinterpret_cast<MlQueryStructW*>(data);
      log.push_back("ML_IPC_DB_RUNQUERY_FILENAMEW " + Utf8(query->query));
      const Record* found = Find(query->query);
      if (found == nullptr) return 1;
      auto* item = new MlItemRecordW{};
      item->filename = _wcsdup(found->path.c_str());
      item->year = item->track = item->length = -1;
      item->rating = found->rating;
      item->playcount = found->playcount;
      item->lastplay = found->lastplay;
      query->results = {item, 1, 1};
      ++unfreed_;
      return 1;
    }
    case kMlIpcDbFreeQueryResultsW: {
      auto* query = reinterpret_cast<MlQueryStructW*>(data);
      log.push_back("ML_IPC_DB_FREEQUERYRESULTSW");
      if (query->results.Items != nullptr) {
        free(query->results.Items->filename);
        delete query->results.Items;
        --unfreed_;
      }
      query->results = {nullptr, 0, 0};
      return 1;
    }
    case kMlIpcDbAddOrUpdateFileW: {
      const auto* add = reinterpret_cast<const MlFileAddInfoW*>(data);
      log.push_back("ML_IPC_DB_ADDORUPDATEFILEW " + Utf8(add->fileName));
      if (!Readable(add->fileName)) return -1;
      if (Find(add->fileName) == nullptr)
        records_.push_back({add->fileName, 0, 0, 0, static_cast<long long>(std::time(nullptr))});
      return 1;
    }
    case kMlIpcDbUpdateItemW: {
      const auto* item = reinterpret_cast<const MlItemRecordW*>(data);
      log.push_back("ML_IPC_DB_UPDATEITEMW " + Utf8(item->filename));
      Record* record = Find(item->filename);
      if (record == nullptr) return -2;
      if (item->rating != -1) record->rating = item->rating;
      record->playcount = item->playcount == -1 ? 0 : item->playcount;
      if (item->lastplay != -1) record->lastplay = item->lastplay;
      return 1;
    }
    case kMlIpcDbRemoveItemW: {
      const auto* path = reinterpret_cast<const wchar_t*>(data);
      log.push_back("ML_IPC_DB_REMOVEITEMW " + Utf8(path));
      const Record* record = Find(path);
      if (record == nullptr) return -2;
      records_.erase(records_.begin() + (record - records_.data()));
      return 1;
    }
    case kMlIpcDbSyncDb:
      log.push_back("ML_IPC_DB_SYNCDB");
      return 1;
    default:
      log.push_back("ML_IPC " + std::to_string(static_cast<long long>(command)));
      return 0;
  }
}

std::vector<std::string> Library::Describe() const {
  std::vector<std::string> lines;
  for (const Record& record : records_)
    lines.push_back(Utf8(record.path) + "\t" + std::to_string(record.rating) + "\t" +
                    std::to_string(record.playcount) + "\t" + std::to_string(record.lastplay) + "\t" +
                    std::to_string(record.added));
  return lines;
}

}  // namespace vandrel::standin
