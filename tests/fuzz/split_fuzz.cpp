// Randomized check of the INI class's splitting of the profile functions'
// list buffers: for every count from 1 to 32767, a buffer of arbitrary
// characters (NULs and "=" among them, densely around the count) is split by
// ReadSection and Enum_SectionNames and compared with a plain reading of the
// first `count` characters. Run under the sanitizers, any read past the count
// or the buffer shows up. Usage: split_fuzz [seed]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/ini_class.h"

namespace {

using vandrel::platform::ProfileApi;

// Hands out whatever buffer and count the test sets.
class ScriptedProfile : public ProfileApi {
 public:
  std::wstring buffer;
  std::size_t length = 0;  // how much of `buffer` is handed out
  std::uint32_t count = 0;

  std::uint32_t GetString(const std::wstring&, const std::wstring&, const std::wstring&, std::wstring& out,
                          std::uint32_t, const std::wstring&) override {
    out.assign(buffer, 0, length);
    return count;
  }
  std::uint32_t GetSection(const std::wstring&, std::wstring& out, std::uint32_t,
                           const std::wstring&) override {
    out.assign(buffer, 0, length);
    return count;
  }
  std::uint32_t GetSectionNames(std::wstring& out, std::uint32_t, const std::wstring&) override {
    out.assign(buffer, 0, length);
    return count;
  }
  bool WriteString(const std::wstring&, const std::wstring&, const std::wstring&,
                   const std::wstring&) override {
    return false;
  }
  bool WriteSection(const std::wstring&, const std::wstring&, const std::wstring&) override { return false; }
  std::uint32_t LastError() override { return 0; }
  std::wstring FormatMessage(std::uint32_t) override { return L""; }
};

// The items a buffer holds: the NUL-closed pieces of its first `count`
// characters; a piece with no NUL before `count` counts only when it is the
// only one.
std::vector<std::wstring> Items(const std::wstring& buffer, std::size_t length, std::uint32_t count) {
  std::vector<std::wstring> items;
  const std::size_t n = std::min<std::size_t>(count, length);
  std::size_t start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (buffer[i] != L'\0') continue;
    items.emplace_back(buffer, start, i - start);
    start = i + 1;
  }
  if (items.empty()) items.emplace_back(buffer, 0, n);
  return items;
}

wchar_t Pick(std::mt19937& random, bool dense) {
  const unsigned roll = random() % (dense ? 8 : 2000);
  if (roll == 0) return L'\0';
  if (roll == 1) return L'=';
  return static_cast<wchar_t>(1 + random() % 0xFFFE);
}

int failures = 0;

void Expect(bool ok, const char* what, std::uint32_t count) {
  if (ok) return;
  if (++failures <= 10) std::fprintf(stderr, "split_fuzz: %s (count %u)\n", what, count);
}

}  // namespace

// Freed buffers are reused at once: keeping them in quarantine only costs
// time here, as every round allocates buffers of up to 32767 characters.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=1"; }

int main(int argc, char** argv) {
  const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 20261206u;
  std::mt19937 random(seed);
  ScriptedProfile profile;
  vandrel::platform::Services services;
  services.profile = &profile;
  vandrel::platform::ScopedServices scoped(services);
  vandrel::settings::IniClass ini;
  ini.SetFileName(L"C:\\fuzz.ini");

  constexpr std::uint32_t kSize = 32767;
  constexpr std::size_t kWindow = 48;
  std::wstring sparse(kSize, L'x');
  for (wchar_t& c : sparse) c = Pick(random, false);
  std::wstring& buffer = profile.buffer;
  buffer = sparse;

  for (std::uint32_t count = 1; count <= kSize; ++count) {
    // A sparse buffer, dense around the count; every so often dense all over.
    const bool allDense = count % 499 == 0 || count < 200;
    const std::size_t lo = allDense ? 0 : (count > kWindow ? count - kWindow : 0);
    const std::size_t hi = std::min<std::size_t>(kSize, count + kWindow);
    for (std::size_t i = lo; i < hi; ++i) buffer[i] = Pick(random, true);
    // What lies far beyond the count never matters; sometimes the buffer is
    // even shorter than the count claims.
    profile.length = random() % 50 == 0 ? random() % (count + 1) : hi;
    profile.count = count;

    const std::vector<std::wstring> items = Items(buffer, profile.length, count);
    std::vector<std::wstring> keys, values, names;
    Expect(ini.ReadSection(L"s", keys, values), "ReadSection failed", count);
    Expect(keys.size() == items.size() && values.size() == items.size(), "entry count", count);
    for (std::size_t i = 0; i < keys.size() && i < items.size(); ++i) {
      const std::size_t eq = items[i].find(L'=');
      Expect(keys[i] == items[i].substr(0, eq), "key", count);
      Expect(values[i] == (eq == std::wstring::npos ? L"" : items[i].substr(eq + 1)), "value", count);
    }
    Expect(ini.Enum_SectionNames(names), "Enum_SectionNames failed", count);
    Expect(names == items, "names", count);
    if (count <= 600) {
      std::wstring value = L"unchanged";
      const bool read = ini.ReadValue(L"s", L"k", value);
      Expect(read && value.size() <= 254 && value.find(L'\0') == std::wstring::npos, "value", count);
    }
    buffer.replace(lo, hi - lo, sparse, lo, hi - lo);
  }
  if (failures != 0) {
    std::fprintf(stderr, "split_fuzz: %d failures (seed %u)\n", failures, seed);
    return 1;
  }
  std::printf("split_fuzz: %u counts, no fault (seed %u)\n", kSize, seed);
  return 0;
}
