// vandrel.dll's module-wide bookkeeping: its handle, and the count of live
// COM objects and server locks that DllCanUnloadNow reports.
#pragma once

#include <windows.h>

namespace vandrel::com {

HMODULE ThisModule();

void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);

// True while an object, a lock or the hook on Winamp's window keeps the DLL in use.
bool ModuleInUse();

}  // namespace vandrel::com
