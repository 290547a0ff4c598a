#pragma once
// The process-wide table from native handles to the toolkit objects that own
// them, kept by native windows from creation to WM_NCDESTROY.

#include "platform/SysWindow.h"

class KsWnd;

class KsWndTable {
 public:
  static void Add(ks::sys::HWND handle, KsWnd* window);
  static void Remove(ks::sys::HWND handle);
  static KsWnd* Find(ks::sys::HWND handle);
};
