#pragma once
// Window-side boundary of the logic: message boxes, the string table and the
// controls of a dialog page. Win32 implements these over HWNDs; the host
// tests over a simulated page.
#include <cstdint>
#include <string>

enum class BoxOwner { None, MainDialog, Page, PreviewDialog };

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  // MessageBoxA: the button the user pressed (kIdOk, kIdCancel, ...).
  virtual int Show(BoxOwner owner, const std::string& text,
                   const std::string& caption, uint32_t style) = 0;
};

class IStringTable {
 public:
  virtual ~IStringTable() = default;
  // LoadStringA: the empty string for a missing id.
  virtual std::string Load(uint32_t id) = 0;
};

// The controls of one dialog (the printer page), addressed by control id.
// Every call may come from the worker thread; Win32 turns each into a window
// message that the user-interface thread handles.
class IWindowControls {
 public:
  virtual ~IWindowControls() = default;
  virtual bool Exists(int id) = 0;
  virtual void SetCheck(int id, bool checked) = 0;
  virtual bool IsChecked(int id) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual bool IsEnabled(int id) = 0;
  virtual void Show(int id, int showCommand) = 0;
  virtual bool IsVisible(int id) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  virtual std::string GetText(int id) = 0;
  virtual void SetTooltip(int id, uint32_t stringId) = 0;
  // Combo box / list box (1013 combo, 1005 list).
  virtual void ResetContent(int id) = 0;
  virtual void AddString(int id, const std::string& text) = 0;  // sorted combo sorts
  virtual void SetCurSel(int id, int index) = 0;
  virtual std::string GetSelectedText(int id) = 0;  // empty when none
  virtual int GetCount(int id) = 0;
  // Progress bar.
  virtual void SetProgressRange(int id, int low, int high) = 0;
  virtual void SetProgressPos(int id, int pos) = 0;
  virtual void SetProgressStep(int id, int step) = 0;
  virtual void StepProgress(int id) = 0;
  virtual int GetProgressPos(int id) = 0;
  // The page window itself: SendMessageA (waits) and PostMessageA.
  virtual void SendToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual void PostToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  // UpdateData(FALSE): refresh the controls from the members (a no-op for
  // controls that hold their own state).
  virtual void RefreshFromMembers() = 0;
};

// The declarations of all of IWindowControls inside a class that implements
// it, for the page window and the simulated page alike.
#define PURVEX_WINDOW_CONTROLS_OVERRIDES                                          \
  bool Exists(int id) override;                                                  \
  void SetCheck(int id, bool checked) override;                                  \
  bool IsChecked(int id) override;                                               \
  void Enable(int id, bool enabled) override;                                    \
  bool IsEnabled(int id) override;                                               \
  void Show(int id, int showCommand) override;                                   \
  bool IsVisible(int id) override;                                               \
  void SetText(int id, const std::string& text) override;                        \
  std::string GetText(int id) override;                                          \
  void SetTooltip(int id, uint32_t stringId) override;                           \
  void ResetContent(int id) override;                                            \
  void AddString(int id, const std::string& text) override;                      \
  void SetCurSel(int id, int index) override;                                    \
  std::string GetSelectedText(int id) override;                                  \
  int GetCount(int id) override;                                                 \
  void SetProgressRange(int id, int low, int high) override;                     \
  void SetProgressPos(int id, int pos) override;                                 \
  void SetProgressStep(int id, int step) override;                               \
  void StepProgress(int id) override;                                            \
  int GetProgressPos(int id) override;                                           \
  void SendToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) override; \
  void PostToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) override; \
  void RefreshFromMembers() override
