// uidriver: drives a running purvex.exe from a second process in the same
// Wine prefix, the way a person would, and prints what it sees as one
// "key=value" line per fact so that shell scenarios can check it with grep.
//
// Exit status: 0 the verb did what was asked, 1 the window/control/box was not
// there (or a wait timed out), 2 usage error.
//
// Texts are printed with carriage return and line feed spelled "\r" and "\n"
// so that every fact stays on one line; backslashes are printed as they are.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tool_common.h"
#include "uiprobe_shared.h"

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr double kDefaultBoxWaitSeconds = 5.0;
// A box is found as soon as its window exists; its text follows a moment later.
constexpr DWORD kBoxTextSettleMs = 2000;
constexpr int kTextBufferChars = 4096;
constexpr int kClassNameChars = 256;
constexpr int kKeyChars = 64;
constexpr int kDecimal = 10;
constexpr BYTE kVirtualKeyMask = 0xFF;
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr const char* kDialogClass = "#32770";
constexpr const char* kTabClass = "SysTabControl32";
// Gives the target's message loop time to take a posted key before the next.
constexpr DWORD kKeyGapMs = 50;

struct Options {
  std::string mainCaption = "Purvex";
  std::string boxCaption = "purvex";
  bool post = false;
  bool shift = false;
  bool inMain = false;
  std::string method = "input";
};

Options g_options;

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

void Print(const char* key, const std::string& value) {
  std::printf("%s=%s\n", key, Escape(value).c_str());
}

void PrintHex(const char* key, const void* handle) {
  std::printf("%s=0x%llx\n", key, static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
}

// Sending (not posting) across processes; bounded so that a hung program makes
// the check fail instead of hanging the suite.
LRESULT SendBounded(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

LRESULT SendBoundedW(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

std::string WindowText(HWND hwnd) {
  // A list in an edit control can be longer than any caption.
  const LRESULT length = SendBounded(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::vector<char> buffer(std::max<size_t>(kTextBufferChars, static_cast<size_t>(length) + 1), '\0');
  SendBounded(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  return std::string(buffer.data());
}

std::string ClassOf(HWND hwnd) {
  char name[kClassNameChars] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::string FromWide(const wchar_t* wide) {
  int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size - 1));
  return out;
}

// Waits until probe() gives a window or the time runs out.
HWND WaitFor(double seconds, const std::function<HWND()>& probe) {
  DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * kMsPerSecond);
  for (;;) {
    HWND found = probe();
    if (found) return found;
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) return nullptr;
    Sleep(kPollMs);
  }
}

bool WaitGone(double seconds, const std::function<HWND()>& probe) {
  DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * kMsPerSecond);
  for (;;) {
    if (!probe()) return true;
    if (static_cast<LONG>(GetTickCount() - deadline) >= 0) return false;
    Sleep(kPollMs);
  }
}

// FindWindowA compares captions without regard to case, and the main window
// "Purvex" and the message boxes "purvex" differ only in case: match exactly.
struct TopLevelQuery {
  std::string caption;
  bool dialogOnly = false;
  bool needsBoxText = false;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM lp) {
  auto* query = reinterpret_cast<TopLevelQuery*>(lp);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (query->dialogOnly && ClassOf(hwnd) != kDialogClass) return TRUE;
  char caption[kTextBufferChars] = {};
  GetWindowTextA(hwnd, caption, sizeof caption);
  if (query->caption != caption) return TRUE;
  if (query->needsBoxText && !GetDlgItem(hwnd, kMessageBoxTextId)) return TRUE;
  query->found = hwnd;
  return FALSE;
}

HWND FindTopLevel(const std::string& caption) {
  TopLevelQuery query;
  query.caption = caption;
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND FindMessageBox() {
  TopLevelQuery query;
  query.caption = g_options.boxCaption;
  query.dialogOnly = true;
  query.needsBoxText = true;
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND MainWindow() { return FindTopLevel(g_options.mainCaption); }

// The main window, or null once the miss is printed.
HWND FoundMainWindow() {
  HWND main = MainWindow();
  if (!main) Print("error", "main window not found");
  return main;
}

HWND Sheet(HWND main) { return main ? FindWindowExA(main, nullptr, kDialogClass, nullptr) : nullptr; }

HWND Page(HWND main) {
  HWND sheet = Sheet(main);
  if (!sheet) return nullptr;
  return reinterpret_cast<HWND>(SendBounded(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// Where control ids are looked up: the page by default, the main dialog with --main.
HWND ControlParent() {
  HWND main = FoundMainWindow();
  if (!main) return nullptr;
  if (g_options.inMain) return main;
  HWND page = Page(main);
  if (!page) Print("error", "page not found");
  return page;
}

HWND Control(HWND parent, int id) {
  HWND control = parent ? GetDlgItem(parent, id) : nullptr;
  if (parent && !control) Print("error", "control " + std::to_string(id) + " not found");
  return control;
}

void PrintState(HWND control) {
  Print("enabled", IsWindowEnabled(control) ? "1" : "0");
  Print("visible", IsWindowVisible(control) ? "1" : "0");
}

// Clicking a button that opens a modal box must not wait for the box to close.
void Click(HWND control) {
  if (g_options.post) {
    PostMessageA(control, BM_CLICK, 0, 0);
  } else {
    SendBounded(control, BM_CLICK, 0, 0);
  }
}

int ParseId(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 0)); }
double ParseSeconds(const char* text) { return std::strtod(text, nullptr); }

int CmdWaitWindow(const std::vector<std::string>& args) {
  if (args.size() < 2) return kExitUsage;
  std::string caption = args[0];
  HWND found = WaitFor(ParseSeconds(args[1].c_str()), [&] { return FindTopLevel(caption); });
  if (!found) {
    Print("window", "timeout");
    return kExitNotFound;
  }
  Print("window", caption);
  PrintHex("hwnd", found);
  return kExitOk;
}

int CmdWaitGone(const std::vector<std::string>& args) {
  if (args.size() < 2) return kExitUsage;
  std::string caption = args[0];
  if (!WaitGone(ParseSeconds(args[1].c_str()), [&] { return FindTopLevel(caption); })) {
    Print("gone", "0");
    return kExitNotFound;
  }
  Print("gone", "1");
  return kExitOk;
}

BOOL CALLBACK PrintTopLevel(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  char caption[kTextBufferChars] = {};
  GetWindowTextA(hwnd, caption, sizeof caption);
  Print("window", ClassOf(hwnd) + "|" + caption);
  return TRUE;
}

int CmdWindows() {
  EnumWindows(PrintTopLevel, 0);
  return kExitOk;
}

BOOL CALLBACK PrintChild(HWND hwnd, LPARAM) {
  char line[kKeyChars] = {};
  std::snprintf(line, sizeof line, "%d|", GetDlgCtrlID(hwnd));
  Print("control", line + ClassOf(hwnd) + "|" + (IsWindowVisible(hwnd) ? "visible" : "hidden") + "|" +
                       (IsWindowEnabled(hwnd) ? "enabled" : "disabled") + "|" + WindowText(hwnd));
  return TRUE;
}

int CmdControls() {
  HWND parent = ControlParent();
  if (!parent) return kExitNotFound;
  EnumChildWindows(parent, PrintChild, 0);
  return kExitOk;
}

// Runs act on the control whose id is args[0]: the verbs that read or press
// one control share how it is found and what its absence means.
int OnControl(const std::vector<std::string>& args, const std::function<void(HWND)>& act) {
  if (args.empty()) return kExitUsage;
  HWND control = Control(ControlParent(), ParseId(args[0].c_str()));
  if (!control) return kExitNotFound;
  act(control);
  return kExitOk;
}

int CmdText(const std::vector<std::string>& args) {
  return OnControl(args, [&](HWND control) {
    Print("text", WindowText(control));
  });
}

int CmdState(const std::vector<std::string>& args) {
  return OnControl(args, [&](HWND control) {
    PrintState(control);
    Print("checked", std::to_string(SendBounded(control, BM_GETCHECK, 0, 0)));
  });
}

int CmdClick(const std::vector<std::string>& args) {
  return OnControl(args, [&](HWND control) {
    Click(control);
    Print("clicked", args[0]);
  });
}

int CmdCombo(const std::vector<std::string>& args) {
  return OnControl(args, [&](HWND control) {
    LRESULT count = SendBounded(control, CB_GETCOUNT, 0, 0);
    Print("combo.count", std::to_string(count));
    Print("combo.sel", std::to_string(SendBounded(control, CB_GETCURSEL, 0, 0)));
    for (LRESULT i = 0; i < count; ++i) {
      // The A form of CB_GETLBTEXT returns one character across processes.
      std::vector<wchar_t> wide(kTextBufferChars, L'\0');
      SendBoundedW(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()));
      Print(("combo." + std::to_string(i)).c_str(), FromWide(wide.data()));
    }
  });
}

// Selects an entry as the user would: the selection, then the notification
// that the page reacts to.
int CmdComboSelect(const std::vector<std::string>& args) {
  if (args.size() < 2) return kExitUsage;
  HWND parent = ControlParent();
  int id = ParseId(args[0].c_str());
  HWND control = Control(parent, id);
  if (!control) return kExitNotFound;
  WPARAM index = static_cast<WPARAM>(std::strtol(args[1].c_str(), nullptr, 0));
  if (SendBounded(control, CB_SETCURSEL, index, 0) == CB_ERR) {
    Print("error", "no such entry");
    return kExitNotFound;
  }
  PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
  Print("selected", args[1]);
  return kExitOk;
}

int CmdProgress(const std::vector<std::string>& args) {
  return OnControl(args, [&](HWND control) {
    PrintState(control);
    Print("progress.pos", std::to_string(SendBounded(control, PBM_GETPOS, 0, 0)));
    Print("progress.min", std::to_string(SendBounded(control, PBM_GETRANGE, TRUE, 0)));
    Print("progress.max", std::to_string(SendBounded(control, PBM_GETRANGE, FALSE, 0)));
  });
}

int CmdPageCaption() {
  HWND page = Page(MainWindow());
  if (!page) {
    Print("error", "page not found");
    return kExitNotFound;
  }
  Print("text", WindowText(page));
  return kExitOk;
}

// TCM_GETITEMA fills a buffer that must live in the target process.
int CmdTabs() {
  HWND sheet = Sheet(MainWindow());
  HWND tab = sheet ? reinterpret_cast<HWND>(SendBounded(sheet, PSM_GETTABCONTROL, 0, 0)) : nullptr;
  if (!tab) tab = sheet ? FindWindowExA(sheet, nullptr, kTabClass, nullptr) : nullptr;
  if (!tab) {
    Print("error", "tab control not found");
    return kExitNotFound;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(tab, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) {
    Print("error", "cannot open the program's process");
    return kExitNotFound;
  }
  constexpr SIZE_T kRemoteText = 512;
  SIZE_T size = sizeof(TCITEMA) + kRemoteText;
  auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  int status = kExitNotFound;
  if (remote) {
    LRESULT count = SendBounded(tab, TCM_GETITEMCOUNT, 0, 0);
    Print("tab.count", std::to_string(count));
    for (LRESULT i = 0; i < count; ++i) {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = remote + sizeof(TCITEMA);
      item.cchTextMax = static_cast<int>(kRemoteText);
      char text[kRemoteText] = {};
      SIZE_T moved = 0;
      WriteProcessMemory(process, remote, &item, sizeof item, &moved);
      WriteProcessMemory(process, remote + sizeof(TCITEMA), text, sizeof text, &moved);
      SendBounded(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
      ReadProcessMemory(process, remote + sizeof(TCITEMA), text, sizeof text - 1, &moved);
      Print(("tab." + std::to_string(i)).c_str(), text);
    }
    Print("tab.sel", std::to_string(SendBounded(tab, TCM_GETCURSEL, 0, 0)));
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    status = kExitOk;
  }
  CloseHandle(process);
  return status;
}

void PrintMenuEntry(int index, unsigned id, const std::string& text) {
  char key[kKeyChars] = {};
  std::snprintf(key, sizeof key, "sysmenu.%d", index);
  Print(key, std::to_string(id) + "|" + text);
}

// Under Wine a menu lives in the process that made it, so the menu of another
// process's window is read by uiprobe.dll from inside that process.
bool ReadSystemMenuInProcess(HWND main) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string dll = self;
  dll = dll.substr(0, dll.find_last_of('\\') + 1) + kProbeDllName;

  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeBlock),
                                      kProbeMappingName);
  if (!mapping) return false;
  auto* block = static_cast<ProbeBlock*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeBlock)));
  bool ok = false;
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  if (block && process) {
    std::memset(block, 0, sizeof(ProbeBlock));
    block->window = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(main));
    void* remote = VirtualAllocEx(process, nullptr, dll.size() + 1, MEM_COMMIT, PAGE_READWRITE);
    SIZE_T moved = 0;
    if (remote && WriteProcessMemory(process, remote, dll.c_str(), dll.size() + 1, &moved)) {
      // kernel32 sits at the same address in every process of a session.
      auto loader = reinterpret_cast<LPTHREAD_START_ROUTINE>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
      HANDLE thread = CreateRemoteThread(process, nullptr, 0, loader, remote, 0, nullptr);
      if (thread) {
        WaitForSingleObject(thread, kSendTimeoutMs);
        CloseHandle(thread);
      }
      VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    if (block->status == kProbeDone) {
      ok = true;
      Print("sysmenu.count", std::to_string(block->count));
      std::string text(block->text, strnlen(block->text, sizeof block->text));
      int index = 0;
      size_t start = 0;
      while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        size_t bar = line.find('|');
        PrintMenuEntry(index++, static_cast<unsigned>(std::strtoul(line.c_str(), nullptr, kDecimal)),
                       bar == std::string::npos ? "" : line.substr(bar + 1));
        if (end == std::string::npos) break;
        start = end + 1;
      }
    }
  }
  if (process) CloseHandle(process);
  if (block) UnmapViewOfFile(block);
  CloseHandle(mapping);
  return ok;
}

int CmdSysMenu() {
  HWND main = FoundMainWindow();
  if (!main) return kExitNotFound;
  HMENU menu = GetSystemMenu(main, FALSE);
  if (!menu) {
    if (ReadSystemMenuInProcess(main)) return kExitOk;
    Print("error", "no system menu");
    return kExitNotFound;
  }
  int count = GetMenuItemCount(menu);
  Print("sysmenu.count", std::to_string(count));
  for (int i = 0; i < count; ++i) {
    char text[kTextBufferChars] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    PrintMenuEntry(i, GetMenuItemID(menu, i), text);
  }
  return kExitOk;
}

int CmdSysCommand(const std::vector<std::string>& args) {
  if (args.empty()) return kExitUsage;
  HWND main = FoundMainWindow();
  if (!main) return kExitNotFound;
  // Posted: About runs a modal box inside the handler.
  PostMessageA(main, WM_SYSCOMMAND, static_cast<WPARAM>(ParseId(args[0].c_str())), 0);
  Print("syscommand", args[0]);
  return kExitOk;
}

WORD VirtualKey(const std::string& name) {
  if (name.size() > 1 && (name[0] == 'F' || name[0] == 'f')) {
    int number = std::atoi(name.c_str() + 1);
    constexpr int kMaxFunctionKey = 24;
    if (number >= 1 && number <= kMaxFunctionKey) return static_cast<WORD>(VK_F1 + number - 1);
  }
  if (name == "ESC" || name == "Escape") return VK_ESCAPE;
  if (name == "ENTER" || name == "Return") return VK_RETURN;
  if (name == "TAB" || name == "Tab") return VK_TAB;
  if (name.size() == 1) return static_cast<WORD>(VkKeyScanA(name[0]) & kVirtualKeyMask);
  return 0;
}

void AddKey(std::vector<INPUT>& inputs, WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  inputs.push_back(input);
}

// The key goes in through the system's input queue (SendInput), so that the
// target's thread sees the real key state (Shift) and the system generates the
// F1 help message itself; "post" puts key messages straight into the focused
// window's queue for comparison.
int CmdKey(const std::vector<std::string>& args) {
  if (args.empty()) return kExitUsage;
  WORD vk = VirtualKey(args[0]);
  if (!vk) {
    Print("error", "unknown key " + args[0]);
    return kExitUsage;
  }
  HWND main = FoundMainWindow();
  if (!main) return kExitNotFound;
  SetForegroundWindow(main);
  Sleep(kKeyGapMs);
  if (g_options.method == "post") {
    HWND target = main;
    DWORD thread = GetWindowThreadProcessId(main, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus) target = info.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    Sleep(kKeyGapMs);
    PostMessageA(target, WM_KEYUP, vk, 1);
  } else {
    std::vector<INPUT> inputs;
    if (g_options.shift) AddKey(inputs, VK_SHIFT, false);
    AddKey(inputs, vk, false);
    AddKey(inputs, vk, true);
    if (g_options.shift) AddKey(inputs, VK_SHIFT, true);
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Print("inputs", std::to_string(sent));
  }
  Print("key", args[0] + (g_options.shift ? "+shift" : ""));
  return kExitOk;
}

int CmdClose() {
  HWND main = FoundMainWindow();
  if (!main) return kExitNotFound;
  PostMessageA(main, WM_CLOSE, 0, 0);
  Print("closed", "1");
  return kExitOk;
}

// What Windows sends once the session really ends (Wine's wineboot never
// does for a program that refused the query).
int CmdEndSession() {
  HWND main = FoundMainWindow();
  if (!main) return kExitNotFound;
  PostMessageA(main, WM_ENDSESSION, TRUE, 0);
  Print("ended", "1");
  return kExitOk;
}

double OptionalSeconds(const std::vector<std::string>& args, size_t index, double fallback) {
  return args.size() > index ? ParseSeconds(args[index].c_str()) : fallback;
}

// The text of a message box that may still be filling in; empty only when it
// stays empty for the settle time.
std::string SettledBoxText(HWND box) {
  DWORD deadline = GetTickCount() + kBoxTextSettleMs;
  for (;;) {
    std::string text = WindowText(GetDlgItem(box, kMessageBoxTextId));
    if (!text.empty() || !IsWindow(box) || static_cast<LONG>(GetTickCount() - deadline) >= 0) return text;
    Sleep(kPollMs);
  }
}

int CmdBoxText(const std::vector<std::string>& args) {
  HWND box = WaitFor(OptionalSeconds(args, 0, kDefaultBoxWaitSeconds), FindMessageBox);
  if (!box) {
    Print("box", "none");
    return kExitNotFound;
  }
  Print("box", "1");
  Print("box.text", SettledBoxText(box));
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    HWND button = GetDlgItem(box, id);
    if (button && IsWindowVisible(button)) Print(("box.button." + std::to_string(id)).c_str(), WindowText(button));
  }
  return kExitOk;
}

// Answering may end a handler that opens the next box at once, so the click is posted.
int CmdBoxAnswer(const std::vector<std::string>& args) {
  if (args.empty()) return kExitUsage;
  int id = ParseId(args[0].c_str());
  HWND box = WaitFor(OptionalSeconds(args, 1, kDefaultBoxWaitSeconds), FindMessageBox);
  if (!box) {
    Print("box", "none");
    return kExitNotFound;
  }
  HWND button = GetDlgItem(box, id);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  Print("box.answered", args[0]);
  return kExitOk;
}

int CmdBoxNone(const std::vector<std::string>& args) {
  HWND box = WaitFor(OptionalSeconds(args, 0, kDefaultBoxWaitSeconds), FindMessageBox);
  if (box) {
    Print("box", "1");
    Print("box.text", WindowText(GetDlgItem(box, kMessageBoxTextId)));
    return kExitNotFound;
  }
  Print("box", "none");
  return kExitOk;
}

int CmdBoxGone(const std::vector<std::string>& args) {
  if (!WaitGone(OptionalSeconds(args, 0, kDefaultBoxWaitSeconds), FindMessageBox)) {
    Print("box", "1");
    return kExitNotFound;
  }
  Print("box", "none");
  return kExitOk;
}

// Control args[1] of any top-level window captioned exactly args[0], e.g. the
// About box; null, with the exit status in *status, when either is missing.
HWND DialogControl(const std::vector<std::string>& args, HWND* dialog, int* status) {
  if (args.size() < 2) {
    *status = kExitUsage;
    return nullptr;
  }
  *dialog = FindTopLevel(args[0]);
  if (!*dialog) Print("error", "window not found");
  HWND control = *dialog ? Control(*dialog, ParseId(args[1].c_str())) : nullptr;
  *status = control ? kExitOk : kExitNotFound;
  return control;
}

int CmdDialogText(const std::vector<std::string>& args) {
  HWND dialog = nullptr;
  int status = kExitOk;
  HWND control = DialogControl(args, &dialog, &status);
  if (!control) return status;
  Print("text", WindowText(control));
  return kExitOk;
}

int CmdDialogClick(const std::vector<std::string>& args) {
  HWND dialog = nullptr;
  int status = kExitOk;
  HWND control = DialogControl(args, &dialog, &status);
  if (!control) return status;
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED), reinterpret_cast<LPARAM>(control));
  Print("clicked", args[1]);
  return kExitOk;
}

// The clipboard's Unicode text in the ANSI code page, as the program's
// controls give theirs.
int CmdClipboard() {
  if (!OpenClipboard(nullptr)) {
    Print("error", "OpenClipboard failed " + std::to_string(GetLastError()));
    return kExitNotFound;
  }
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* wide = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (wide == nullptr) {
    CloseClipboard();
    Print("clipboard", "none");
    return kExitNotFound;
  }
  const std::string text = FromWide(wide);
  GlobalUnlock(data);
  CloseClipboard();
  Print("clipboard", "1");
  Print("clipboard.text", text);
  return kExitOk;
}

int CmdRect(const std::vector<std::string>& args) {
  HWND window = args.empty() ? MainWindow() : FindTopLevel(args[0]);
  if (!window) {
    Print("error", "window not found");
    return kExitNotFound;
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  char value[kKeyChars] = {};
  std::snprintf(value, sizeof value, "%ld,%ld,%ld,%ld", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
  Print("rect", value);
  return kExitOk;
}

// Handles of one process in the system's handle table, or -1 when the table
// cannot be read. Wine 8's GetProcessHandleCount always reports 0 for
// another process; its system handle table is real.
long SystemTableHandleCount(DWORD processId, std::string* types = nullptr) {
  // SYSTEM_HANDLE_INFORMATION of ntdll, which MinGW does not declare.
  struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
  };
  struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
  };
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  constexpr ULONG kFirstTableBytes = 1 << 16;
  constexpr int kMaxGrowths = 12;
  using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto query = ntdll ? reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")))
                     : nullptr;
  if (!query) return -1;
  std::vector<BYTE> buffer(kFirstTableBytes);
  for (int growth = 0; growth < kMaxGrowths; ++growth) {
    ULONG needed = 0;
    LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == kStatusInfoLengthMismatch) {
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
      continue;
    }
    if (status < 0) return -1;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    long count = 0;
    constexpr int kObjectTypes = 256;
    std::vector<int> perType(kObjectTypes, 0);
    for (ULONG i = 0; i < table->count; ++i) {
      if (table->entries[i].ownerPid != processId) continue;
      ++count;
      ++perType[table->entries[i].objectType];
    }
    if (types) {
      for (int type = 0; type < kObjectTypes; ++type) {
        if (perType[type] == 0) continue;
        if (!types->empty()) *types += ',';
        *types += std::to_string(type) + ":" + std::to_string(perType[type]);
      }
    }
    return count;
  }
  return -1;
}

// The main window's process: its kernel handle count and, where the system
// reports them, its GDI and USER object counts, to compare before and after
// an operation.
int CmdHandles() {
  HWND main = MainWindow();
  if (!main) {
    Print("error", "window not found");
    return kExitNotFound;
  }
  DWORD processId = 0;
  GetWindowThreadProcessId(main, &processId);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
  if (!process) {
    Print("error", "OpenProcess failed " + std::to_string(GetLastError()));
    return kExitNotFound;
  }
  Print("pid", std::to_string(processId));
  DWORD count = 0;
  if (GetProcessHandleCount(process, &count)) {
    Print("handles", std::to_string(count));
  } else {
    Print("handles.error", std::to_string(GetLastError()));
  }
  std::string types;
  Print("handles.table", std::to_string(SystemTableHandleCount(processId, &types)));
  Print("handles.types", types);
  Print("gdi", std::to_string(GetGuiResources(process, GR_GDIOBJECTS)));
  Print("user", std::to_string(GetGuiResources(process, GR_USEROBJECTS)));
  CloseHandle(process);
  return kExitOk;
}

void Usage() {
  std::fprintf(stderr,
               "usage: uidriver [--main CAPTION] [--box CAPTION] VERB [ARGS] [--post] [--shift] [--in-main]\n"
               "  wait-window CAPTION SECONDS | wait-gone CAPTION SECONDS | windows | rect [CAPTION]\n"
               "  controls | page-text ID | state ID | click ID [--post] | combo ID | combo-select ID INDEX\n"
               "  progress ID | page-caption | tabs | sysmenu | syscommand ID | key NAME [--shift] [--method post]\n"
               "  box-text [SECONDS] | box-answer ID [SECONDS] | box-none [SECONDS] | box-gone [SECONDS]\n"
               "  dialog-text CAPTION ID | dialog-click CAPTION ID | handles | clipboard | close | end-session\n");
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--main" && hasValue) {
      g_options.mainCaption = argv[++i];
    } else if (arg == "--box" && hasValue) {
      g_options.boxCaption = argv[++i];
    } else if (arg == "--method" && hasValue) {
      g_options.method = argv[++i];
    } else if (arg == "--post") {
      g_options.post = true;
    } else if (arg == "--shift") {
      g_options.shift = true;
    } else if (arg == "--in-main") {
      g_options.inMain = true;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty()) {
    Usage();
    return kExitUsage;
  }
  std::string verb = positional.front();
  std::vector<std::string> args(positional.begin() + 1, positional.end());
  int status = kExitUsage;
  if (verb == "wait-window") status = CmdWaitWindow(args);
  else if (verb == "wait-gone") status = CmdWaitGone(args);
  else if (verb == "windows") status = CmdWindows();
  else if (verb == "rect") status = CmdRect(args);
  else if (verb == "controls") status = CmdControls();
  else if (verb == "page-text" || verb == "text") status = CmdText(args);
  else if (verb == "state") status = CmdState(args);
  else if (verb == "click") status = CmdClick(args);
  else if (verb == "combo") status = CmdCombo(args);
  else if (verb == "combo-select") status = CmdComboSelect(args);
  else if (verb == "progress") status = CmdProgress(args);
  else if (verb == "page-caption") status = CmdPageCaption();
  else if (verb == "tabs") status = CmdTabs();
  else if (verb == "sysmenu") status = CmdSysMenu();
  else if (verb == "syscommand") status = CmdSysCommand(args);
  else if (verb == "key") status = CmdKey(args);
  else if (verb == "close") status = CmdClose();
  else if (verb == "end-session") status = CmdEndSession();
  else if (verb == "box-text") status = CmdBoxText(args);
  else if (verb == "box-answer") status = CmdBoxAnswer(args);
  else if (verb == "box-none") status = CmdBoxNone(args);
  else if (verb == "box-gone") status = CmdBoxGone(args);
  else if (verb == "dialog-text") status = CmdDialogText(args);
  else if (verb == "dialog-click") status = CmdDialogClick(args);
  else if (verb == "handles") status = CmdHandles();
  else if (verb == "clipboard") status = CmdClipboard();
  if (status == kExitUsage) Usage();
  return status;
}
