#pragma once
// Gives any thread a way to hand work and timer requests to the thread that
// created the target. Records queue under a lock and run on the owner thread
// when its message loop takes the message the posting sent; a command that
// deletes the target stops the processing at once. Records posted to a target
// that is not alive are dropped.

#include "toolkit/KsCmdRecord.h"
#include "toolkit/KsDeleteProbeHost.h"

#include "foundation/KsString.h"
#include "platform/SysWindow.h"

#include <functional>
#include <mutex>
#include <vector>

class IKsCmdTargetEvents;

class KsCmdTarget : public KsDeleteProbeHost {
 public:
  static constexpr ks::sys::UINT kProcessQueueMessage = 0x87D0;
  static constexpr const char16_t* kClassPrefix = u"Kestrune Command Target Window Class - ";

  enum class FilterAnswer { Skip, CarryOut, Drop };
  using Filter = std::function<FilterAnswer(const KsCmdRecord&)>;

  // events (optional) receives commands and timers unless a subclass overrides OnCommand and OnTimer.
  explicit KsCmdTarget(IKsCmdTargetEvents* events = nullptr);
  ~KsCmdTarget() override;

  // Makes the hidden window on the calling thread, which becomes the owner.
  bool Create();
  bool IsAlive();
  void PostCommand(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d);
  void PostRecord(const KsCmdRecord& record);
  // Carries the command out at once on the calling thread.
  void SendCommand(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d);
  void CarryOut(const KsCmdRecord& record);
  // Without a filter only the owner thread takes records.
  void ProcessQueue(const Filter& filter = nullptr);
  void SetTimer(unsigned id, unsigned milliseconds);
  void KillTimer(unsigned id);
  void Destroy();
  virtual void OnCommand(const KsCmdRecord& record);
  virtual void OnTimer(unsigned id);
  // Carries out the timer requests queued so far, on the calling thread.
  void PumpPendingTimers();

  // The application's main thread: timer calls made on it act at once. 0 (the
  // default) counts each target's owner thread as the main thread.
  static void SetMainThreadId(ks::sys::DWORD thread);
  ks::sys::HWND GetWindow() const { return m_window; }
  ks::sys::DWORD GetOwnerThread() const { return m_ownerThread; }

 private:
  static ks::sys::LRESULT KS_SYS_CALLBACK WindowProcedure(ks::sys::HWND window, ks::sys::UINT message,
                                                            ks::sys::WPARAM wParam, ks::sys::LPARAM lParam);
  bool OnMainThread() const;

  IKsCmdTargetEvents* m_events;
  ks::sys::HWND m_window = nullptr;
  KsString m_className;
  ks::sys::DWORD m_ownerThread = 0;
  std::mutex m_lock;  // guards m_queue; never held while a command runs
  std::vector<KsCmdRecord> m_queue;
};
