#pragma once
// The simulated machine's per-thread COM state, shared by CoInitializeEx and the
// shell links' OleInitialize.

namespace ks::sim {

// True while COM is started on the calling thread, in either apartment.
bool IsComStartedOnThread();

}  // namespace ks::sim
