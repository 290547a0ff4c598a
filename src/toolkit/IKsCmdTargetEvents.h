#pragma once
// What a command target hands its owner: commands posted to it and its timers,
// on the target's owner thread.

#include "toolkit/KsCmdRecord.h"

class IKsCmdTargetEvents {
 public:
  virtual void OnCmdTargetCommand(const KsCmdRecord& record) = 0;
  virtual void OnCmdTargetTimer(unsigned id) = 0;

 protected:
  ~IKsCmdTargetEvents() = default;
};
