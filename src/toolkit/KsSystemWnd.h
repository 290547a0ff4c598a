#pragma once
// A native window this toolkit creates: its window procedure turns messages
// into event operations (Dispatch, the one place messages are unpacked). The
// object must outlive its native window or be deleted first; deleting it
// destroys the native window without calling back into the object.

#include "toolkit/KsMessageWnd.h"

class KsSystemWnd : public KsMessageWnd {
 public:
  // Message 0x8898 answers the address of the window object owning a handle.
  static constexpr UINT kQueryObjectMessage = 0x8898;
  // The toolkit's own posted command.
  static constexpr UINT kPostedCommandMessage = 0x83E8;

  KsSystemWnd() = default;
  ~KsSystemWnd() override;

  // Creates the native window; false when it already exists or creation fails.
  // rect is in the parent's client coordinates (screen for top-level windows).
  bool Create(KsWnd* parent, const KsChar* className, const KsChar* title, DWORD style, DWORD exStyle,
              const RECT& rect);
  // Takes over an existing native window by subclassing it (state 6): its
  // messages reach the event operations first and its own procedure after.
  // Deleting the object gives the window its procedure back and leaves it alive.
  bool Adopt(HWND handle);
  // Where pages and popups build their controls; false fails the creation.
  virtual bool CreateContent() { return true; }
  bool WasVisibleAtCreate() const { return m_visibleAtCreate; }

  bool OnCreate() override;
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;

  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT KS_SYS_CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  bool m_painting = false;
  bool m_suppressPainting = false;

 private:
  LRESULT DispatchEvent(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCursorMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintMessage();
  void ForgetHandle();

  bool m_visibleAtCreate = false;
  ks::sys::WNDPROC m_adoptedProcedure = nullptr;  // the adopted window's own procedure
};
