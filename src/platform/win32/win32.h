// <windows.h> for the Win32 side of the platform. Windows maps several of its
// function names to their A/W variants with macros; the platform's operations
// share some of those names, so the macros are taken back here and the Win32
// functions are always called by their explicit A/W names.
#pragma once

#include <windows.h>

#undef SendMessage
#undef PostMessage
#undef MessageBox
#undef FormatMessage
#undef CallWindowProc
#undef GlobalAddAtom
#undef MoveFile
#undef SetFileAttributes
#undef RegisterHotKey
#undef FindWindow
