#pragma once
// Event callbacks: handlers registered by command identifier, called when that
// command arrives. A handler may delete the window.

#include "toolkit/KsCompositeWnd.h"

#include <functional>
#include <vector>

class KsCallbackWnd : public KsCompositeWnd {
 public:
  void AddCommandHandler(int commandId, std::function<void()> handler);
  bool OnCommand(int id, int code, HWND control) override;

 private:
  struct Handler {
    int commandId;
    std::function<void()> function;
  };
  std::vector<Handler> m_handlers;
};
