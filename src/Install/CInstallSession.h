#pragma once
// CInstallSession: the one record of shared install state (options from the
// command line and Install.xml, the user's choices, folders, and what the
// install steps find). One process-wide instance, built with its defaults
// before the program entry and used from the main thread only, so it has no
// lock. Nothing here reports a failure: bad input leaves the defaults.

#include "foundation/KsString.h"
#include "foundation/KsStringArray.h"

class CInstallSession {
 public:
  // The process-wide record.
  static CInstallSession& Get();

  // Back to the defaults (a test's fresh start).
  void Reset();

  // Adds setupFolder + "Support\\" to SupportFolders, sets LibraryFolder and
  // reads Install.xml from setupFolder (or, when it is missing there, from
  // setupFolder + "..\\"). setupFolder ends in a backslash.
  void BuildSession(const KsString& setupFolder);
  // Applies the "/"-separated options of the argument text (the command line
  // without the program name).
  void ReadCommandLine(const KsString& arguments);
  // Reads the settings of an Install.xml file; false when it is missing,
  // malformed, of another root or older than version 1.0 (defaults stay).
  bool ReadInstallXml(const KsString& path);

  KsString GetDestinationFolder() const { return DestinationFolder; }
  KsString GetUninstallKeyName() const { return UninstallKeyName; }
  KsString GetDistributorID() const { return DistributorID; }
  // Stores path with exactly one trailing backslash (empty stays empty).
  void SetDestinationFolder(const KsString& path);

  // The first support folder's name that exists (mustExist) or simply the
  // first support folder + name; empty when there is none.
  KsString FindSupportFile(const KsString& name, bool mustExist) const;
  // Clears packages, then appends the full paths of every ".svp" file in each
  // support folder and its subfolders, folder by folder.
  void ListPackages(KsStringArray& packages) const;
  // Makes DestinationFolder the working program folder of the product paths.
  void SetProgramFolderToDestination() const;
  // True when downgrades are forbidden, this version is installed already and
  // the installed main program's version is at least the new one's.
  bool IsSameOrNewerInstalled() const;
  // The message the install engine shows before it gives up.
  static void ShowInstallError();

  // The setup folder BuildSession was given (trailing backslash).
  KsString SetupFolder;

  bool Silent = false;
  bool Upgrade = false;
  bool AutoInstall = false;
  bool Portable = false;
  bool AutoInstallFromWelcome = false;
  bool SameVersionInstalled = false;
  bool AllowDowngrade = true;
  bool NoAssociations = false;
  bool NoDependencies = false;
  bool NoUpgrade = false;
  bool NoRun = false;
  bool NoDriver = false;
  bool RestartNeeded = false;
  KsString DestinationFolder;
  KsString UninstallKeyName;
  KsStringArray SupportFolders;
  KsString LibraryFolder;
  KsString BundledMediaFolder;
  KsString DistributorID;
  KsStringArray DelayedOperations;
  KsStringArray PreviousInstallFolders;
  KsStringArray RegisterAfterRestart;
  bool ShellExtensionReplaced = true;
};
