#include "standin/com/Census.h"

#include <windows.h>

#include <vector>

#include "standin/com/Module.h"

namespace standin::com_server {
namespace {

// The bytes of the heap's blocks in use. A heap that cannot be locked is
// walked all the same: the program has one thread that allocates, and it is
// the one asking.
unsigned long long BytesInUse(HANDLE heap) {
  const bool locked = HeapLock(heap) != FALSE;
  unsigned long long total = 0;
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
  }
  if (locked) HeapUnlock(heap);
  return total;
}

}  // namespace

std::string Census() {
  const HANDLE processHeap = GetProcessHeap();
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 8);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  unsigned long long process = 0;
  unsigned long long others = 0;
  for (const HANDLE heap : heaps) {
    (heap == processHeap ? process : others) += BytesInUse(heap);
  }
  return "objects=" + std::to_string(LiveObjects()) + " heap=" + std::to_string(process) +
         " other-heaps=" + std::to_string(others);
}

}  // namespace standin::com_server
