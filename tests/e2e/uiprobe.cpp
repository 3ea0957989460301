// uiprobe.dll: loaded by uidriver into the program's process (a remote thread
// running LoadLibraryA) to read what only the owning process can read under
// Wine: the system menu. Wine keeps menus in the process that made them, so
// GetSystemMenu of another process's window fails there; on Windows the
// driver reads the menu directly and never loads this.
//
// uidriver puts the target window into a named shared block; the probe writes
// the menu there as text lines "id|text" and refuses to stay loaded, so the
// program is left as it was.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "uiprobe_shared.h"

namespace {

void DescribeSystemMenu(ProbeBlock* block) {
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(block->window));
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) {
    std::snprintf(block->text, sizeof block->text, "error|no system menu\n");
    block->status = kProbeFailed;
    return;
  }
  int count = GetMenuItemCount(menu);
  size_t used = 0;
  for (int i = 0; i < count && used < sizeof block->text; ++i) {
    char label[kProbeLabelChars] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), label, sizeof label, MF_BYPOSITION);
    int written = std::snprintf(block->text + used, sizeof block->text - used, "%u|%s\n",
                                GetMenuItemID(menu, i), label);
    if (written < 0) break;
    used += static_cast<size_t>(written);
  }
  block->count = static_cast<uint32_t>(count);
  block->status = kProbeDone;
}

void Probe() {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kProbeMappingName);
  if (!mapping) return;
  auto* block = static_cast<ProbeBlock*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeBlock)));
  if (block) {
    DescribeSystemMenu(block);
    UnmapViewOfFile(block);
  }
  CloseHandle(mapping);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  Probe();
  return FALSE;
}
