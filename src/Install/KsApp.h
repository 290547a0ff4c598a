#pragma once
// KsApp: the application object at the root of the program's class chain.
// One instance lives for the process (Instance()); its virtual operations are
// the entries Windows calls (program or library) and the steps between them:
// start-up, message loop and shut-down. The base does nothing of its own but
// keep the entry bookkeeping; KsExecutableApp and KsGraphicalApp add the rest.

#include "foundation/KsStringArray.h"
#include "platform/SysTypes.h"
#include "platform/SysWindow.h"

class KsApp {
 public:
  enum ComMode : int { kNoCom = 0, kCom = 1, kOle = 2 };

  KsApp();
  KsApp(const KsApp&) = delete;
  KsApp& operator=(const KsApp&) = delete;
  virtual ~KsApp();

  // The process's application object, or null.
  static KsApp* Instance() noexcept;

  // Entry of a library: reason 1 attaches (the first attach starts up and
  // shuts down again when start-up fails), reason 0 detaches.
  virtual bool LibraryEntry(int reason, ks::sys::HINSTANCE instance);
  // Entry of a program: start-up, then the message loop when start-up
  // succeeded, and shut-down in every case. Answers the exit code.
  virtual int ProgramEntry(ks::sys::HINSTANCE instance, ks::sys::HINSTANCE previous, int showCommand);
  // As above with the program's own module and a normal show command.
  virtual int ProgramEntry();
  virtual bool StartUp() { return true; }
  virtual void ShutDown() {}
  virtual void RunMessageLoop() {}
  virtual bool FirstHook() { return true; }
  virtual bool SecondHook() { return true; }
  virtual bool LoadProductInfo() { return false; }
  virtual bool StartCom() { return false; }
  virtual void EndCom() {}

  ks::sys::HINSTANCE GetInstance() const noexcept { return m_instance; }
  int GetShowCommand() const noexcept { return m_showCommand; }
  KsStringArray& Arguments() noexcept { return m_arguments; }
  int GetExitCode() const noexcept { return m_exitCode; }
  int GetComMode() const noexcept { return m_comMode; }
  // Window classes the program registered; unregistered at shut-down.
  void AddWindowClass(const KsString& name) { m_windowClasses.Add(name); }

 protected:
  ks::sys::HINSTANCE m_instance = nullptr;
  int m_showCommand = 0;
  KsStringArray m_arguments;
  int m_exitCode = 0;
  KsStringArray m_windowClasses;
  int m_attachCount = 0;
  int m_comMode = kNoCom;
  ks::sys::MSG m_message{};
};
