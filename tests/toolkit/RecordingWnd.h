#pragma once
// A native window for dispatch tests: records the events it receives and lets
// a test decide the answers that matter.

#include "toolkit/KsControlsWnd.h"

#include <functional>
#include <string>
#include <vector>

class RecordingWnd : public KsControlsWnd {
 public:
  static constexpr const char16_t* kClass = u"KsRecordingWnd";

  // A WS_POPUP window at rect (screen), owned by owner when given.
  bool CreatePopup(const RECT& rect, KsWnd* owner = nullptr, DWORD extraStyle = 0) {
    return Create(owner, kClass, u"Recording", ks::sys::WS_POPUP | extraStyle, 0, rect);
  }

  bool CreateContent() override {
    log.push_back("CreateContent");
    return createContentAnswer;
  }
  bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (message != filteredMessage) return false;
    *result = 77;
    return true;
  }
  bool OnTimer(ks::sys::UINT_PTR id) override {
    log.push_back("OnTimer " + std::to_string(id));
    return true;
  }
  bool OnCommand(int id, int code, HWND) override {
    log.push_back("OnCommand " + std::to_string(id) + " " + std::to_string(code));
    return true;
  }
  bool OnCommandNotification(int id, HWND) override {
    log.push_back("OnCommandNotification " + std::to_string(id));
    return true;
  }
  bool CommandFilter(WPARAM wParam, LPARAM) override { return filterCommands; }
  bool IsAlive(bool wholeChain) override { return !pretendDead && KsControlsWnd::IsAlive(wholeChain); }
  bool OnPaint(ks::sys::HDC, const RECT&) override {
    log.push_back("OnPaint");
    if (onPaint) onPaint();
    return true;
  }
  void GetMinTrackSize(int* width, int* height) override {
    *width = minTrackWidth;
    *height = minTrackHeight;
  }
  bool OnLeftDown(POINT point, WPARAM keys) override {
    log.push_back("OnLeftDown " + std::to_string(point.x) + "," + std::to_string(point.y));
    if (onLeftDown) {
      auto callback = onLeftDown;  // a copy: the call may delete this window and the member with it
      callback();
      return true;
    }
    return KsControlsWnd::OnLeftDown(point, keys);
  }
  bool OnNcDestroy() override {
    log.push_back("OnNcDestroy");
    return false;
  }

  std::vector<std::string> log;
  bool createContentAnswer = true;
  UINT filteredMessage = 0;
  bool filterCommands = false;
  bool pretendDead = false;
  int minTrackWidth = -1;
  int minTrackHeight = -1;
  std::function<void()> onPaint;
  std::function<void()> onLeftDown;
};
