// The platform with names outside the ANSI code page under Wine: the file
// functions, the folder list and text box, reading a wide name in our own
// memory, and the Recycle Bin.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/toolkit.h"
#include "platform/win32/win32_services.h"

namespace vandrel {
namespace {

namespace win32 = platform::win32;
using platform::ControlKind;

// Greek and Japanese: outside the ANSI code page of a Western Windows.
const std::wstring kName = L"\u03A9 \u97F3\u697D";

struct Quiet : platform::FormEvents {
  void OnClick(platform::ControlId) override {}
  void OnMouseUp(platform::ControlId) override {}
  void OnDriveChanged(platform::ControlId) override {}
  void OnClosed() override {}
};

class EveryFileWin : public ::testing::Test {
 protected:
  void SetUp() override {
    win32::InstallServices(nullptr);
    ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8)) << "the ANSI code page must lack these names";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"vandrel_" + kName + L"_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  }
  void TearDown() override {
    DeleteFileW((folder + L"\\" + kName + L".mp3").c_str());
    RemoveDirectoryW((folder + L"\\" + kName).c_str());
    RemoveDirectoryW(folder.c_str());
  }
  std::wstring File(const std::wstring& name) {
    std::wstring path = folder + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(file);
    return path;
  }
  std::wstring folder;
};

TEST_F(EveryFileWin, FileOperationsTakeTheNameWhole) {
  auto& files = platform::Files();
  std::wstring song = File(kName + L".mp3");
  EXPECT_EQ(files.FileModifiedTime(song), 0);
  EXPECT_EQ(files.FileModifiedTime(folder + L"\\?" + L".mp3"), 52) << "the '?' form is no name";
  EXPECT_TRUE(files.SetFileAttributes(song, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN).ok());
  std::uint32_t attributes = 0;
  EXPECT_TRUE(files.FileAttributes(song, attributes).ok());
  EXPECT_EQ(attributes & ~FILE_ATTRIBUTE_ARCHIVE,
            static_cast<std::uint32_t>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(files.SetFileAttributes(song, 0).ok());
  EXPECT_TRUE(files.MakeFolder(folder + L"\\" + kName).ok());
  std::wstring moved = folder + L"\\" + kName + L"\\" + kName + L".mp3";
  EXPECT_TRUE(files.MoveFile(song, moved).ok());
  EXPECT_TRUE(files.RemoveFile(moved).ok());
  EXPECT_EQ(files.FileModifiedTime(moved), 53);
}

TEST_F(EveryFileWin, RecycleBinReceivesTheFileSilently) {
  wchar_t xdg[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"XDG_DATA_HOME", xdg, MAX_PATH) == 0) GTEST_SKIP() << "no XDG_DATA_HOME";
  std::wstring trash = L"Z:" + std::wstring(xdg) + L"/Trash/files/";
  for (wchar_t& c : trash) c = c == L'/' ? L'\\' : c;
  std::wstring name = kName + L" " + std::to_wstring(GetTickCount()) + L".mp3";
  std::wstring song = File(name);
  EXPECT_TRUE(platform::Files().RecycleFile(song).ok());
  EXPECT_EQ(GetFileAttributesW(song.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW((trash + name).c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW((trash + name).c_str());

  // Held by another program: reported, the file left where it is.
  song = File(name);
  HANDLE held = CreateFileW(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  platform::OpResult result = platform::Files().RecycleFile(song);
  CloseHandle(held);
  EXPECT_FALSE(result.ok());
  EXPECT_NE(GetFileAttributesW(song.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(song.c_str());
}

TEST_F(EveryFileWin, FolderListAndTextBoxShowSuchNamesWhole) {
  Quiet events;
  platform::FormSpec spec{L"every file", 300, 300, {224, 224, 224}};
  auto form = platform::Widgets().CreateForm(spec, events);
  ASSERT_NE(form, nullptr);
  platform::ControlSpec list;
  list.kind = ControlKind::FolderList;
  list.width = 200;
  list.height = 200;
  platform::ControlId dir = form->AddControl(list);
  platform::ControlSpec box;
  box.kind = ControlKind::TextBox;
  box.width = 200;
  box.height = 20;
  platform::ControlId text = form->AddControl(box);

  ASSERT_TRUE(CreateDirectoryW((folder + L"\\" + kName).c_str(), nullptr));
  ASSERT_TRUE(form->SetFolder(dir, folder));
  EXPECT_EQ(form->FolderPath(dir), folder);
  int count = form->ItemCount(dir);
  ASSERT_GT(count, 0);
  EXPECT_EQ(form->ItemText(dir, count - 1).substr(form->ItemText(dir, count - 1).find_first_not_of(L' ')),
            kName);
  ASSERT_TRUE(form->Select(dir, count - 1));
  EXPECT_EQ(form->HighlightedPath(dir), folder + L"\\" + kName);
  ASSERT_TRUE(form->SetFolder(dir, form->HighlightedPath(dir)));
  EXPECT_EQ(form->FolderPath(dir), folder + L"\\" + kName);

  form->SetText(text, kName);
  EXPECT_EQ(form->Text(text), kName);
}

}  // namespace
}  // namespace vandrel
