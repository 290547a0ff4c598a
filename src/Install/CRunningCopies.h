#pragma once
// Closing running copies of the product before the install replaces its
// files, and stopping the installed copy's background service. Uses the
// tools module's product information and message service; without product
// information there is no running copy to close.

// True when no copy of the product runs any more (or none ran); false when
// the user declined to close it or it is still running after the user was
// asked to close it by hand.
bool CloseRunningCopies();
// Asks the installed copy's "KsService.exe" to stop, without waiting on its
// outcome; nothing when no installed copy is known.
void StopProductService();
