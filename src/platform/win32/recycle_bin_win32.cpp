// The Recycle Bin as Explorer shows it: the shell's Recycle Bin folder, its
// items' original places and its own Restore command.
#include <string>

#include "platform/win32/win32.h"
// After <windows.h>, which they need.
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "platform/win32/com_ptr.h"
#include "platform/win32/win32_services.h"

namespace vandrel::platform::win32 {

namespace {

// An item list the shell allocated.
class ItemList {
 public:
  ItemList() = default;
  ~ItemList() { CoTaskMemFree(p_); }
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;
  LPITEMIDLIST* put() { return &p_; }
  LPITEMIDLIST get() const { return p_; }
  LPITEMIDLIST release() {
    LPITEMIDLIST p = p_;
    p_ = nullptr;
    return p;
  }
  void reset(LPITEMIDLIST p) {
    CoTaskMemFree(p_);
    p_ = p;
  }

 private:
  LPITEMIDLIST p_ = nullptr;
};

class PopupMenu {
 public:
  PopupMenu() : menu_(CreatePopupMenu()) {}
  ~PopupMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

OpResult Failed(DWORD code, const std::wstring& text) { return {code, text}; }

OpResult FromHresult(HRESULT hr) {
  const DWORD code = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
  wchar_t text[256] = L"";
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(hr),
                 0, text, 256, nullptr);
  std::wstring message = text;
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
  if (message.empty()) message = L"The Recycle Bin could not be read.";
  return {code == 0 ? 1u : code, message};
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring TrimmedSeparator(std::wstring folder) {
  while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  return folder;
}

// The item's own column: 0 its name, 1 the folder it was deleted from.
std::wstring Column(IShellFolder2* bin, LPCITEMIDLIST item, UINT column) {
  SHELLDETAILS details = {};
  wchar_t text[MAX_PATH * 2] = L"";
  if (FAILED(bin->GetDetailsOf(item, column, &details))) return {};
  if (FAILED(StrRetToBufW(&details.str, item, text, MAX_PATH * 2))) return {};
  return text;
}

// The Recycle Bin's own properties of an item (where it came from, when it
// was deleted), where the shell offers them.
constexpr GUID kDisplaced = {0x9B174B33, 0x40FF, 0x11D2, {0xA2, 0x7E, 0x00, 0xC0, 0x4F, 0xC3, 0x08, 0x71}};
constexpr DWORD kDisplacedFrom = 2;
constexpr DWORD kDisplacedDate = 3;

bool Detail(IShellFolder2* bin, LPCITEMIDLIST item, DWORD property, VARIANT& value) {
  SHCOLUMNID id = {kDisplaced, property};
  VariantInit(&value);
  return SUCCEEDED(bin->GetDetailsEx(item, &id, &value));
}

std::wstring OriginalFolder(IShellFolder2* bin, LPCITEMIDLIST item) {
  VARIANT value;
  if (Detail(bin, item, kDisplacedFrom, value)) {
    std::wstring folder = value.vt == VT_BSTR && value.bstrVal ? value.bstrVal : L"";
    VariantClear(&value);
    if (!folder.empty()) return folder;
  }
  return Column(bin, item, 1);
}

double DeletedAt(IShellFolder2* bin, LPCITEMIDLIST item) {
  VARIANT value;
  if (!Detail(bin, item, kDisplacedDate, value)) return 0;
  const double at = value.vt == VT_DATE ? value.date : 0;
  VariantClear(&value);
  return at;
}

// True when the item was deleted from `path`. Its name may be shown without
// its extension, as Explorer hides known ones.
bool CameFrom(IShellFolder2* bin, LPCITEMIDLIST item, const std::wstring& folder, const std::wstring& name) {
  if (!SameText(TrimmedSeparator(OriginalFolder(bin, item)), folder)) return false;
  const std::wstring shown = Column(bin, item, 0);
  const std::size_t dot = name.find_last_of(L'.');
  return SameText(shown, name) ||
         (dot != std::wstring::npos && dot > 0 && SameText(shown, name.substr(0, dot)));
}

class RecycleBin {
 public:
  // Opens the Recycle Bin of the drive that holds `path`.
  OpResult Open(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/");
    if (path.size() < 3 || path[1] != L':' || cut == std::wstring::npos) {
      return Failed(ERROR_INVALID_NAME, L"The path names no drive.");
    }
    folder_ = TrimmedSeparator(path.substr(0, cut + 1));
    name_ = path.substr(cut + 1);
    HRESULT hr;
    Com<IShellFolder> desktop;
    if (FAILED(hr = SHGetDesktopFolder(desktop.put()))) return FromHresult(hr);
    ItemList binList;
    if (FAILED(hr = SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, binList.put())))
      return FromHresult(hr);
    if (FAILED(hr = desktop->BindToObject(binList.get(), nullptr, IID_IShellFolder2, bin_.put_void()))) {
      return FromHresult(hr);
    }
    return {};
  }

  // The newest of the items deleted from the path.
  OpResult Find(ItemList& newest) {
    Com<IEnumIDList> items;
    HRESULT hr =
        bin_->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.put());
    if (FAILED(hr) || !items) return FromHresult(FAILED(hr) ? hr : E_FAIL);
    double newestAt = -1;
    for (;;) {
      ItemList item;
      ULONG fetched = 0;
      if (items->Next(1, item.put(), &fetched) != S_OK || fetched != 1) break;
      if (!CameFrom(bin_.operator->(), item.get(), folder_, name_)) continue;
      // Without deletion dates, the one listed last.
      const double at = DeletedAt(bin_.operator->(), item.get());
      if (at >= newestAt) {
        newestAt = at;
        newest.reset(item.release());
      }
    }
    return {};
  }

  // Runs the item's Restore command: the verb "undelete" where the shell
  // names its verbs, else the command shown as "Restore".
  OpResult Restore(LPCITEMIDLIST item) {
    Com<IContextMenu> menu;
    HRESULT hr = bin_->GetUIObjectOf(nullptr, 1, &item, IID_IContextMenu, nullptr, menu.put_void());
    if (FAILED(hr)) return FromHresult(hr);
    PopupMenu popup;
    constexpr UINT kFirst = 1;
    if (!popup.get() || FAILED(hr = menu->QueryContextMenu(popup.get(), 0, kFirst, 0x7FFF, CMF_NORMAL))) {
      return FromHresult(FAILED(hr) ? hr : E_OUTOFMEMORY);
    }
    int chosen = -1, shownAsRestore = -1;
    for (int i = 0; i < GetMenuItemCount(popup.get()) && chosen < 0; ++i) {
      const UINT id = GetMenuItemID(popup.get(), i);
      if (id == static_cast<UINT>(-1) || id < kFirst) continue;
      wchar_t verb[64] = L"";
      if (SUCCEEDED(
              menu->GetCommandString(id - kFirst, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(verb), 64)) &&
          SameText(verb, L"undelete")) {
        chosen = static_cast<int>(id - kFirst);
      }
      wchar_t text[64] = L"";
      GetMenuStringW(popup.get(), static_cast<UINT>(i), text, 64, MF_BYPOSITION);
      std::wstring shown;
      for (const wchar_t* c = text; *c; ++c)
        if (*c != L'&') shown += *c;
      if (SameText(shown, L"Restore")) shownAsRestore = static_cast<int>(id - kFirst);
    }
    if (chosen < 0) chosen = shownAsRestore;
    if (chosen < 0)
      return Failed(ERROR_NOT_SUPPORTED, L"The Recycle Bin offers no Restore command for the file.");
    CMINVOKECOMMANDINFO command = {};
    command.cbSize = sizeof command;
    command.fMask = CMIC_MASK_FLAG_NO_UI;
    command.lpVerb = MAKEINTRESOURCEA(chosen);
    command.nShow = SW_SHOWNORMAL;
    if (FAILED(hr = menu->InvokeCommand(&command))) return FromHresult(hr);
    return {};
  }

 private:
  ComApartment apartment_;
  Com<IShellFolder2> bin_;
  std::wstring folder_, name_;
};

}  // namespace

OpResult RestoreRecycled(const std::wstring& path) {
  RecycleBin bin;
  OpResult result = bin.Open(path);
  ItemList newest;
  if (result.ok()) result = bin.Find(newest);
  if (!result.ok()) return result;
  if (!newest.get()) {
    return Failed(ERROR_FILE_NOT_FOUND, L"The Recycle Bin holds no file deleted from there.");
  }
  result = bin.Restore(newest.get());
  if (!result.ok()) return result;
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return Failed(ERROR_FILE_NOT_FOUND, L"The Recycle Bin's Restore command did not put the file back.");
  }
  return {};
}

}  // namespace vandrel::platform::win32
