#pragma once
// KsProcess: the one runner for every program the installer starts, and the
// three ways of registering a COM server file. Plain functions without state;
// they block the calling thread. Nothing here shows a message: failures are
// logged and answered with false, and the caller decides what to say.

#include "foundation/KsString.h"

class KsStringArray;

// Starts file (a program, a document or a web address) with the parameters
// joined by single blanks. With wait, waits for the program's end; a program
// that outlives timeLimitMs (below 1: no limit) is terminated. With
// pumpMessages the wait dispatches the thread's window messages every 10 ms.
// True when the program started and, when waiting, ended by itself; also true
// when the file went to an already running program (no process to wait for).
// The arguments of a command line: what follows the program's name (quoted or
// not) and the blanks after it.
KsString KsCommandLineArguments(const KsChar* commandLine);

bool RunProgram(const KsString& file, const KsStringArray& parameters, bool show, bool wait, bool pumpMessages,
                int timeLimitMs);
// RunProgram waiting, with parameters as the only parameter text.
bool RunProgramAndWait(const KsString& file, bool show, const KsString& parameters, bool pumpMessages,
                       int timeLimitMs);

// Runs the product's package installer (in the program folder of the product
// paths, or by its bare name while that is empty) with arguments, shown,
// waiting without limit.
bool RunPackageInstallerCommand(const KsString& arguments);
// "/RegDLL name" or "/UnRegDLL name" through the package installer.
bool RunPackageInstaller(const KsString& name, bool registerIt);

// Runs the system's RegSvr32 silently on path (quoted); nativeTool asks for
// the 64-bit tool from a 32-bit process on 64-bit Windows. What RegSvr32
// reports is not read: always true.
bool RegisterWithRegSvr32(const KsString& path, bool registerIt, bool nativeTool);
// Loads path and calls its DllRegisterServer with the file's folder as the
// working folder, restoring the working folder afterwards in every outcome.
// False when the file does not load, lacks the entry, fails or throws.
bool RegisterInProcess(const KsString& path);
// True when path contains ".dll", ".ocx" or ".ax" anywhere (case-sensitive):
// a test of the text, not of the extension alone.
bool IsRegistrableFile(const KsString& path);
