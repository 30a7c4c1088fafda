// The Win32 implementations of the platform's operations. Each returns one
// process-wide object; InstallServices puts them all in force.
#pragma once

#include <functional>

#include "platform/platform.h"

namespace vandrel::platform::win32 {

WindowSystem& Win32Windows();
UserInterface& Win32Ui();
FileSystem& Win32Files();
ProfileApi& Win32Profile();
Toolkit& Win32Toolkit();
// A form's control n is its window's child item kToolkitItemBase + n
// (GetDlgItem), clear of IDOK and IDCANCEL.
inline constexpr int kToolkitItemBase = 100;

// The result of a Win32 call that reported `ok`: on failure the last error
// code and the system's text for it.
OpResult ResultOf(bool ok);
// A failure with the system's code and its text.
OpResult ResultOfCode(std::uint32_t code);
// Windows's rule for a drive's Recycle Bin (RecycleBinTakes off Wine): the
// drive's type (GetDriveType), whether its Recycle Bin is turned off, its
// size limit (0: none known) and the file's size.
OpResult DriveBinTakes(const std::wstring& drive, unsigned type, bool off, std::uint64_t capacityMb,
                       std::uint64_t size);

// A move across volumes, as FileSystem::MoveFile makes it: a copy (never over
// an existing file), then the source deleted; when that fails, the copy goes
// again and the failure is reported.
OpResult CopyThenDelete(const std::wstring& from, const std::wstring& to);
// What SHFileOperationW's result and its "aborted" flag mean for
// FileSystem::RecycleFile.
OpResult ShellOperationResult(int code, bool aborted);
// The Recycle Bin (FileSystem's RecycleBinTakes, RecycleFile,
// RestoreRecycledItem and RestoreRecycled).
OpResult RecycleBinTakes(const std::wstring& path);
OpResult RecycleIntoBin(const std::wstring& path, InRecycleBin& done);
OpResult RestoreRecycledItem(const std::wstring& item, const std::wstring& path);
// RestoreRecycled: under Wine among the Trash's records of the file's name
// alone; elsewhere a look through the Recycle Bin (RestoreRecycled).
OpResult RestoreRecycledFrom(const std::wstring& path);
OpResult RestoreRecycled(const std::wstring& path);

// The notice window (Toolkit::ShowNotice), of the window class kNoticeClass.
inline constexpr wchar_t kNoticeClass[] = L"VandrelNotice";
void ShowNotice(const std::wstring& text, WindowHandle winamp, unsigned milliseconds,
                std::function<void()> undo);
void HideNotice();

// The module whose file name OwnModuleFileName reports (null: the program).
void SetOwnModule(void* module);

// Installs every Win32 service into platform::Current(). `module` is the
// plug-in's own module handle (for its file name).
void InstallServices(void* module);

}  // namespace vandrel::platform::win32
