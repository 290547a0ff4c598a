#pragma once
// The system's embedded web-browser control: whether its COM object can be
// made in this process. On Windows that is CoCreateInstance of the control's
// class as an in-process server (the object is released at once); the
// simulated machine answers from its WebBrowserControl fact.

#include "platform/SysTypes.h"

namespace ks::sys {

constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);

// S_OK when the control's object was created, else the creation's HRESULT.
HRESULT CreateWebBrowserControl();

}  // namespace ks::sys
