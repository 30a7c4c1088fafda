// How vandrel.dll's COM methods turn failures into HRESULTs and IErrorInfo,
// and how it reads the error of a call it made itself.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "platform/error.h"

namespace vandrel::com {

// The HRESULT that reports an error number: a failure code whatever the number.
HRESULT HresultFor(std::int32_t number);

// Publishes the thread's error object; an empty source publishes none.
void SetErrorInfoText(REFIID iid, const std::wstring& source, const std::wstring& description);

HRESULT ReportError(REFIID iid, const vandrel::Error& error);
HRESULT ReportException(REFIID iid, const std::exception& error);
HRESULT ReportOutOfMemory(REFIID iid);
HRESULT ReportUnknownException(REFIID iid);

// The description of a failed call on `object` through `iid`: its IErrorInfo
// when the object supports one, else the system's text for the number.
std::wstring FailureDescription(IUnknown* object, REFIID iid, HRESULT hr);

// Runs `body` and reports whatever it throws; nothing escapes.
template <class Body>
HRESULT Guarded(REFIID iid, Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (const vandrel::Error& error) {
    return ReportError(iid, error);
  } catch (const std::bad_alloc&) {
    return ReportOutOfMemory(iid);
  } catch (const std::exception& error) {
    return ReportException(iid, error);
  } catch (...) {
    return ReportUnknownException(iid);
  }
}

}  // namespace vandrel::com
