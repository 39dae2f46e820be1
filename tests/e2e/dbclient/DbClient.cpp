// A database client's DLL, as a site's component depends on one: the suite
// puts it only in a folder on PATH, never beside the component.
extern "C" __declspec(dllexport) int DbClientVersion() {
  return 1;
}
