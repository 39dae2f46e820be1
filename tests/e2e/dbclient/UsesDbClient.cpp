// Linked into a second DBA.dll: one call into the client's DLL makes it a
// static import, so the system must find dbclient.dll before the component
// can load at all.
extern "C" __declspec(dllimport) int DbClientVersion();

namespace {

[[maybe_unused]] const int kClientVersion = DbClientVersion();

}  // namespace
