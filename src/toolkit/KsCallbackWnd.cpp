#include "toolkit/KsCallbackWnd.h"

void KsCallbackWnd::AddCommandHandler(int commandId, std::function<void()> handler) {
  m_handlers.push_back(Handler{commandId, std::move(handler)});
}

bool KsCallbackWnd::OnCommand(int id, int, HWND) {
  for (auto& handler : m_handlers) {
    if (handler.commandId != id) continue;
    // A copy: the handler may delete this window and its list with it.
    std::function<void()> function = handler.function;
    function();
    return true;
  }
  return false;
}
