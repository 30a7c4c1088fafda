// vandrel.dll's entry point and the COM server entry points that create objects.
#include "com/module.h"
#include "platform/win32/win32.h"

#include <atomic>

#include "com/class_factory.h"
#include "com/interfaces.h"
#include "hotkey/hook.h"
#include "platform/win32/win32_services.h"

namespace vandrel::com {
namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

}  // namespace

HMODULE ThisModule() { return g_module; }

void ObjectCreated() { ++g_objects; }
void ObjectDestroyed() { --g_objects; }

void LockServer(bool lock) {
  if (lock) {
    ++g_locks;
  } else {
    --g_locks;
  }
}

bool ModuleInUse() {
  // A window still hooked would call into this DLL after it was gone.
  return g_objects > 0 || g_locks > 0 || hotkey::PrevWndProc() != 0;
}

}  // namespace vandrel::com

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  try {
    vandrel::com::g_module = instance;
    vandrel::platform::win32::InstallServices(instance);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_Vandrel)) return CLASS_E_CLASSNOTAVAILABLE;
  return vandrel::com::ClassFactory::Create(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  try {
    return vandrel::com::ModuleInUse() ? S_FALSE : S_OK;
  } catch (...) {
    return S_FALSE;
  }
}
