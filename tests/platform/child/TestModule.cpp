// A module for the load and self-registration tests: registration succeeds,
// unregistration fails, and one export answers a known number.

extern "C" {
__attribute__((visibility("default"))) long DllRegisterServer() { return 0; }
__attribute__((visibility("default"))) long DllUnregisterServer() { return static_cast<long>(0x80004005u); }
__attribute__((visibility("default"))) int KsAnswer() { return 42; }
}
