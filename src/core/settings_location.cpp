#include "core/settings_location.h"

#include "core/vandrel.h"
#include "platform/platform.h"

namespace vandrel::core {

namespace {

// The file-time query's answers used here.
constexpr int kPresent = 0;
constexpr int kFileNotFound = 53;

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
  if (folder.ends_with(L'\\') || folder.ends_with(L'/')) return folder + name;
  return folder + L"\\" + name;
}

bool CanWrite(const std::wstring& folder) {
  platform::FileSystem& files = platform::Files();
  const std::wstring probe = Join(folder, kWriteTestName);
  if (!files.ReplaceAllBytes(probe, std::string()).ok()) return false;
  files.RemoveFile(probe);
  return true;
}

// Copies the file whole: the copy is written beside its place and put there
// in one step, so a failure leaves no part of it behind.
void CopySettings(const std::wstring& from, const std::wstring& to) {
  platform::FileSystem& files = platform::Files();
  std::string bytes;
  platform::OpResult result = files.ReadAllBytes(from, bytes);
  if (result.ok()) result = files.ReplaceAllBytes(to, bytes);
  if (result.ok()) return;
  platform::Ui().MessageBox(L"The settings in " + from + L" could not be copied to " + to +
                                L", where they are kept from now on:\r\n\r\n" + result.message,
                            L"Vandrel", platform::Icon::Exclamation, platform::Buttons::Ok);
}

}  // namespace

std::wstring ChooseSettingsFile(const std::wstring& modulePath, const std::wstring& winampFolder) {
  const std::wstring beside = SettingsPathForModule(modulePath);
  if (winampFolder.empty()) return beside;
  const std::size_t cut = beside.find_last_of(L"\\/");
  if (cut == std::wstring::npos || CanWrite(beside.substr(0, cut + 1))) return beside;

  platform::FileSystem& files = platform::Files();
  const std::wstring plugins = Join(winampFolder, L"Plugins");
  if (files.FileModifiedTime(plugins) != kPresent && !files.MakeFolder(plugins).ok()) return beside;
  const std::wstring settings = Join(plugins, beside.substr(cut + 1));
  if (files.FileModifiedTime(settings) == kFileNotFound && files.FileModifiedTime(beside) == kPresent) {
    CopySettings(beside, settings);
  }
  return settings;
}

}  // namespace vandrel::core
