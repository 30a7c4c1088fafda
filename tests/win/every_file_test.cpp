// The platform with names outside the ANSI code page under Wine: the Recycle
// Bin, the folder list and the text box. Deleting such a file is proved end to
// end (tests/e2e/every_file_test.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/toolkit.h"
#include "platform/win32/win32_services.h"

namespace vandrel {
namespace {

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
    platform::win32::InstallServices(nullptr);
    ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8)) << "the ANSI code page must lack these names";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"vandrel_" + kName + L"_" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  }
  void TearDown() override {
    RemoveDirectoryW((folder + L"\\" + kName).c_str());
    RemoveDirectoryW(folder.c_str());
  }
  std::wstring File(const std::wstring& name) {
    std::wstring path = folder + L"\\" + name;
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return path;
  }
  std::wstring folder;
};

TEST_F(EveryFileWin, RecycleBinReceivesTheFileSilentlyUnlessItIsHeld) {
  wchar_t xdg[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"XDG_DATA_HOME", xdg, MAX_PATH) == 0) GTEST_SKIP() << "no XDG_DATA_HOME";
  std::wstring trash = L"Z:" + std::wstring(xdg) + L"/Trash/files/";
  for (wchar_t& c : trash) c = c == L'/' ? L'\\' : c;
  const std::wstring name = kName + L" " + std::to_wstring(GetTickCount()) + L".mp3", song = File(name);
  platform::InRecycleBin done;
  EXPECT_TRUE(platform::Files().RecycleFile(song, done).ok());
  EXPECT_EQ(done.item.substr(done.item.size() - name.size()), name);
  EXPECT_EQ(GetFileAttributesW(song.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW((trash + name).c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW((trash + name).c_str());

  File(name);
  HANDLE held = CreateFileW(song.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_FALSE(platform::Files().RecycleFile(song, done).ok());
  CloseHandle(held);
  EXPECT_NE(GetFileAttributesW(song.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(song.c_str());
  EXPECT_EQ(platform::win32::ShellOperationResult(0, true).code, 1223u) << "one the shell gave up on";
}

TEST_F(EveryFileWin, FolderListAndTextBoxShowSuchNamesWhole) {
  Quiet events;
  auto form = platform::Widgets().CreateForm({L"every file", 300, 300, {224, 224, 224}}, events);
  ASSERT_NE(form, nullptr);
  platform::ControlSpec spec;
  spec.kind = ControlKind::FolderList;
  spec.width = spec.height = 200;
  const platform::ControlId dir = form->AddControl(spec);
  spec.kind = ControlKind::TextBox;
  spec.height = 20;
  const platform::ControlId text = form->AddControl(spec);
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\" + kName).c_str(), nullptr));
  // Named in lower case, as drives are listed, it comes back as the system writes it.
  ASSERT_TRUE(form->SetFolder(dir, std::wstring(1, folder[0] | 0x20) + folder.substr(1)));
  EXPECT_EQ(form->FolderPath(dir), folder);
  const int last = form->ItemCount(dir) - 1;
  ASSERT_GE(last, 0);
  const std::wstring item = form->ItemText(dir, last);
  EXPECT_EQ(item.substr(item.find_first_not_of(L' ')), kName);
  ASSERT_TRUE(form->Select(dir, last));
  EXPECT_EQ(form->HighlightedPath(dir), folder + L"\\" + kName);
  ASSERT_TRUE(form->SetFolder(dir, form->HighlightedPath(dir)));
  EXPECT_EQ(form->FolderPath(dir), folder + L"\\" + kName);
  form->SetText(text, kName);
  EXPECT_EQ(form->Text(text), kName);
}

}  // namespace
}  // namespace vandrel
