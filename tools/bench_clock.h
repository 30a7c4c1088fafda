// What the benchmarks share: the performance counter in milliseconds, the
// median of a series, and the shell's own delete into the Recycle Bin.
#pragma once

#include <windows.h>
// After <windows.h>.
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

inline double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The file into the Recycle Bin, done bare as the plug-in asks the shell to.
inline void ShellRecycle(const std::string& file) {
  std::wstring from(file.begin(), file.end());
  from.push_back(L'\0');  // the list of names ends with a second NUL
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  SHFileOperationW(&operation);
}
