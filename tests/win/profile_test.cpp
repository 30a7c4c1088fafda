// The settings store against the real profile functions (Wine): the INI
// access class's results and failure texts, the file it writes, and the
// in-memory profile functions checked against the real ones call by call.
#include "platform/win32/win32.h"  // <windows.h> without the A/W name macros

#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win32/win32_services.h"
#include "settings/ini_class.h"
#include "settings/profile.h"
#include "support/fake_profile.h"
#include "support/win/temp_files.h"

namespace vandrel {
namespace {

using settings::IniClass;
using ::testing::ElementsAre;
namespace win32 = platform::win32;

std::wstring W(const std::string& text) { return win32::Win32Ui().FromAnsi(text); }

platform::Services Win32Services() {
  platform::Services s;
  s.ui = &win32::Win32Ui();
  s.files = &win32::Win32Files();
  s.profile = &win32::Win32Profile();
  return s;
}

class ProfileWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.ok());
    path_ = folder_.Path("vandrel.ini");
    ini_.SetFileName(W(path_));
  }
  std::string Text() const { return testing::ReadWholeFile(path_); }
  void Write(const std::string& text) { ASSERT_TRUE(testing::WriteWholeFile(path_, text)); }

  platform::ScopedServices services_{Win32Services()};
  testing::TempFolder folder_;
  std::string path_;
  IniClass ini_;
};

TEST_F(ProfileWineTest, TwoSavesWriteTheSampleFile) {
  const std::vector<std::wstring> keys = {L"Key", L"moveToFolder", L"savingPlace", L"sortingOption",
                                          L"createArtistFolder"};
  ASSERT_TRUE(ini_.WriteSection(L"rockmix", keys, {L"11", L"1", L"D:\\Music\\Sorted", L"1", L"0"}));
  ASSERT_TRUE(ini_.WriteValue(L"iniConfig", L"LastUsed", L"rockmix"));
  ASSERT_TRUE(ini_.WriteSection(L"trash", keys, {L"20", L"0", L"C:\\", L"0", L"0"}));
  ASSERT_TRUE(ini_.WriteValue(L"iniConfig", L"LastUsed", L"trash"));
  EXPECT_EQ(Text(),
            "[rockmix]\r\nKey=11\r\nmoveToFolder=1\r\nsavingPlace=D:\\Music\\Sorted\r\nsortingOption=1\r\n"
            "createArtistFolder=0\r\n[iniConfig]\r\nLastUsed=trash\r\n[trash]\r\nKey=20\r\nmoveToFolder=0\r\n"
            "savingPlace=C:\\\r\nsortingOption=0\r\ncreateArtistFolder=0\r\n");
  std::vector<std::wstring> names, readKeys, values;
  ASSERT_TRUE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"rockmix", L"iniConfig", L"trash"));
  ASSERT_TRUE(ini_.ReadSection(L"RockMix", readKeys, values));
  EXPECT_EQ(readKeys, keys);
  EXPECT_THAT(values, ElementsAre(L"11", L"1", L"D:\\Music\\Sorted", L"1", L"0"));
}

TEST_F(ProfileWineTest, ReadValueFailuresKeepTheValue) {
  std::wstring value = L"before";
  EXPECT_FALSE(ini_.ReadValue(L"S", L"k", value));  // no file yet
  const std::wstring notFound = win32::Win32Profile().FormatMessage(2);
  EXPECT_FALSE(notFound.empty());
  EXPECT_EQ(ini_.LastErrorDescription(), notFound);

  Write("[S]\r\nempty=\r\nlong=" + std::string(300, 'x') + "\r\n");
  for (const wchar_t* key : {L"empty", L"missing"}) {
    EXPECT_FALSE(ini_.ReadValue(L"S", key, value)) << key;
    EXPECT_EQ(ini_.LastErrorDescription(), L"An unknown error has occured") << key;
  }
  EXPECT_FALSE(ini_.ReadValue(L"nosection", L"long", value));
  EXPECT_EQ(value, L"before");

  ASSERT_TRUE(ini_.ReadValue(L"s", L"LONG", value));
  EXPECT_EQ(value, std::wstring(254, L'x'));
  EXPECT_EQ(ini_.LastErrorDescription(), L"An unknown error has occured");  // kept after a success
}

TEST_F(ProfileWineTest, ReadSectionAndSectionNames) {
  std::vector<std::wstring> names{L"kept"};
  EXPECT_FALSE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"kept"));

  Write("[B]\r\nKey=3\r\na=b=c\r\nlonely\r\n[A]\r\n");
  std::vector<std::wstring> keys{L"k"}, values{L"v"};
  ASSERT_TRUE(ini_.ReadSection(L"b", keys, values));
  EXPECT_THAT(keys, ElementsAre(L"Key", L"a", L"lonely"));
  EXPECT_THAT(values, ElementsAre(L"3", L"b=c", L""));

  keys = {L"k"};
  values = {L"v"};
  EXPECT_FALSE(ini_.ReadSection(L"A", keys, values));
  EXPECT_EQ(ini_.LastErrorDescription(), L"An unknown error has occured");
  EXPECT_THAT(keys, ElementsAre(L"k"));
  EXPECT_THAT(values, ElementsAre(L"v"));

  ASSERT_TRUE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"B", L"A"));
}

TEST_F(ProfileWineTest, UnequalListsAndDeletedSections) {
  EXPECT_FALSE(ini_.WriteSection(L"p", {L"1", L"2", L"3", L"4", L"5"}, {L"a", L"b", L"c", L"d"}));
  EXPECT_EQ(ini_.LastErrorDescription(), L"Key array and Value array must be of the same size");
  EXPECT_FALSE(testing::FileExists(path_));

  Write("[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
  ASSERT_TRUE(ini_.DeleteSection(L"a"));
  EXPECT_EQ(Text(), "[a]\r\n[b]\r\ny=2\r\n");
  std::vector<std::wstring> names, keys, values;
  ASSERT_TRUE(ini_.Enum_SectionNames(names));
  EXPECT_THAT(names, ElementsAre(L"a", L"b"));
  EXPECT_FALSE(ini_.ReadSection(L"a", keys, values));
}

TEST_F(ProfileWineTest, EmptyFileNameTouchesNoFile) {
  // A relative or empty name would land in the current folder (or win.ini):
  // make that the test's folder and check it stays empty.
  char saved[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryA(folder_.path().c_str()));
  IniClass blank;
  std::wstring value = L"v";
  std::vector<std::wstring> keys{L"k"}, values{L"v"};
  const std::vector<bool> results = {blank.WriteValue(L"s", L"k", L"v"),
                                     blank.WriteSection(L"s", {L"k"}, {L"v"}),
                                     blank.DeleteSection(L"s"),
                                     blank.ReadValue(L"s", L"k", value),
                                     blank.ReadSection(L"s", keys, values),
                                     blank.Enum_SectionNames(keys)};
  SetCurrentDirectoryA(saved);
  EXPECT_THAT(results, ::testing::Each(false));
  EXPECT_EQ(blank.LastErrorDescription(), L"No filename specified");
  EXPECT_EQ(value, L"v");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder_.path() + "\\*.*").c_str(), &found);
  int entries = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") ++entries;
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  EXPECT_EQ(entries, 0);
}

TEST_F(ProfileWineTest, RefusedWriteGivesTheSystemText) {
  Write("[s]\r\nk=1\r\n");
  HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const bool written = ini_.WriteValue(L"s", L"k", L"2");
  CloseHandle(held);
  EXPECT_FALSE(written);
  EXPECT_EQ(ini_.LastErrorDescription(), win32::Win32Profile().FormatMessage(32));
  EXPECT_EQ(Text(), "[s]\r\nk=1\r\n");
}

class HeaderRemovalWineTest : public ProfileWineTest {
 protected:
  void SetUp() override {
    ProfileWineTest::SetUp();
    settings::SettingsIni().SetFileName(W(path_));
  }
  void TearDown() override { settings::SettingsIni().SetFileName(L""); }
};

TEST_F(HeaderRemovalWineTest, RemovesOnlyWholeHeaderLines) {
  Write("[abc]\r\n[keep]\r\nsavingPlace=D:\\Music\\[abc]\r\n[abc]\r\nx=1\r\n[ABC]\r\n");
  platform::OpResult result = settings::RemoveSectionHeader(L"[abc]\r\n");
  EXPECT_TRUE(result.ok()) << result.code;
  EXPECT_EQ(Text(), "[keep]\r\nsavingPlace=D:\\Music\\[abc]\r\nx=1\r\n[ABC]\r\n");
}

TEST_F(HeaderRemovalWineTest, FileHeldByAnotherHandleStaysWhole) {
  const std::string text = "[abc]\r\nk=1\r\n";
  Write(text);
  for (DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const platform::OpResult result = settings::RemoveSectionHeader(L"[abc]\r\n");
    CloseHandle(held);
    EXPECT_FALSE(result.ok()) << "sharing " << sharing;
    if (sharing == 0) {
      EXPECT_EQ(result.code, 32u);
    }
    EXPECT_FALSE(result.message.empty()) << "sharing " << sharing;
    EXPECT_EQ(Text(), text) << "sharing " << sharing;
    EXPECT_THAT(settings::HeaderNotRemovedMessage(L"abc", result),
                ::testing::HasSubstr(result.message.substr(0, 5)));
  }
  // Nothing was left beside the file.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder_.path() + "\\*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

// The in-memory profile functions must answer as the real ones do. Both run
// the same calls on the same starting text; results, buffers and file texts
// are compared after every step.
class FakeAgreesTest : public ProfileWineTest {
 protected:
  std::wstring File() const { return W(path_); }
  void Start(const std::string& text) {
    Write(text);
    fake_.SetText(File(), W(text));
  }
  void ExpectSameFile(const char* step) { EXPECT_EQ(W(Text()), fake_.Text(File())) << step; }
  // Compares the counted part and the NUL after it.
  static void ExpectSameBuffer(std::uint32_t realCount, const std::wstring& real, std::uint32_t fakeCount,
                               const std::wstring& fake, const std::string& step) {
    ASSERT_EQ(realCount, fakeCount) << step;
    const std::size_t n = std::min<std::size_t>(realCount + 1, std::min(real.size(), fake.size()));
    EXPECT_EQ(real.substr(0, n), fake.substr(0, n)) << step;
  }

  platform::ProfileApi& real_ = win32::Win32Profile();
  testing::FakeProfile fake_;
};

TEST_F(FakeAgreesTest, Writes) {
  Start("[Alpha]\r\nKey=1\r\nb = 2\r\n[beta]\r\nx=y\r\n");
  struct Step {
    const char* name;
    std::function<bool(platform::ProfileApi&, const std::wstring&)> call;
  };
  const std::vector<Step> steps = {
      {"existing key, other case", [](auto& p, auto& f) { return p.WriteString(L"ALPHA", L"KEY", L"5", f); }},
      {"new key", [](auto& p, auto& f) { return p.WriteString(L"alpha", L"new", L"v w", f); }},
      {"new section, empty value", [](auto& p, auto& f) { return p.WriteString(L"Gamma", L"k", L"", f); }},
      {"replace section",
       [](auto& p, auto& f) { return p.WriteSection(L"BETA", std::wstring(L"p=1\0q=a=b\0\0", 12), f); }},
      {"empty section", [](auto& p, auto& f) { return p.WriteSection(L"alpha", std::wstring(1, L'\0'), f); }},
      {"new section by list",
       [](auto& p, auto& f) { return p.WriteSection(L"delta", std::wstring(L"z=9\0\0", 5), f); }},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(step.call(real_, File()), step.call(fake_, File())) << step.name;
    ExpectSameFile(step.name);
  }
}

TEST_F(FakeAgreesTest, MessageTexts) {
  for (std::uint32_t code : {2u, 3u, 5u, 32u, 0x20000123u}) {
    EXPECT_EQ(real_.FormatMessage(code), fake_.FormatMessage(code)) << code;
  }
}

TEST_F(FakeAgreesTest, ReadsIntoEveryBufferSize) {
  Start("[one]\r\nk=value\r\nempty=\r\nab=c=d\r\n[two]\r\n[three]\r\nx=1\r\n");
  for (std::uint32_t size = 2; size <= 24; ++size) {
    const std::string at = " size " + std::to_string(size);
    std::wstring r, f;
    std::uint32_t rn = real_.GetString(L"ONE", L"k", L"", r, size, File());
    std::uint32_t fn = fake_.GetString(L"ONE", L"k", L"", f, size, File());
    ExpectSameBuffer(rn, r, fn, f, "value" + at);
    rn = real_.GetSection(L"one", r, size, File());
    fn = fake_.GetSection(L"one", f, size, File());
    ExpectSameBuffer(rn, r, fn, f, "section" + at);
    rn = real_.GetSectionNames(r, size, File());
    fn = fake_.GetSectionNames(f, size, File());
    ExpectSameBuffer(rn, r, fn, f, "names" + at);
  }
  const std::wstring missing = File() + L".none";
  for (const std::wstring& section : {std::wstring(L"two"), std::wstring(L"none")}) {
    std::wstring r, f;
    EXPECT_EQ(real_.GetSection(section, r, 100, File()), 0u);
    EXPECT_EQ(fake_.GetSection(section, f, 100, File()), 0u);
    EXPECT_EQ(real_.LastError(), fake_.LastError());
  }
  std::wstring r, f;
  EXPECT_EQ(real_.GetString(L"one", L"empty", L"", r, 100, File()), 0u);
  EXPECT_EQ(fake_.GetString(L"one", L"empty", L"", f, 100, File()), 0u);
  EXPECT_EQ(real_.LastError(), fake_.LastError());
  EXPECT_EQ(real_.GetSectionNames(r, 100, missing), 0u);
  EXPECT_EQ(fake_.GetSectionNames(f, 100, missing), 0u);
  EXPECT_EQ(real_.LastError(), fake_.LastError());
}

}  // namespace
}  // namespace vandrel
