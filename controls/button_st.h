#pragma once
// An owner-drawn push button that tracks hover, shows a tooltip from the
// string table and can act as a check box. It subclasses an existing button
// (a dialog template's control); the parent forwards the notifications that
// concern the button through ReflectFromParent.
#include <windows.h>

#include <string>

#include "controls/button_state.h"

class CButtonST {
 public:
  static constexpr int kMaxTipWidth = 400;
  static constexpr UINT_PTR kToolId = 1;
  static constexpr int kFocusInset = 3;

  CButtonST();
  virtual ~CButtonST();
  CButtonST(const CButtonST&) = delete;
  CButtonST& operator=(const CButtonST&) = delete;

  bool SubclassDlgItem(HWND parent, int id);
  bool Subclass(HWND button);
  HWND Handle() const { return hwnd_; }

  // Loads the text; an empty text leaves the tooltip as it is.
  void SetTooltipText(UINT stringId, bool activate);
  bool GetCheck() const { return isChecked_; }
  void SetCheck(bool checked);
  void SetFlat(bool flat);
  void SetDefaultColours();

  // For the parent's dialog procedure: WM_DRAWITEM, WM_CTLCOLORBTN and the
  // click notification of a subclassed button. True when the message is
  // answered (*result holds the answer); a click is never answered here, so
  // the parent still handles it.
  static bool ReflectFromParent(UINT message, WPARAM wParam, LPARAM lParam,
                                LRESULT* result);

 protected:
  struct Colours {
    COLORREF backIn, foreIn, backOut, foreOut, backFocus, foreFocus;
  };

  virtual void DrawItem(const DRAWITEMSTRUCT& item);
  // Drawing steps; the background step may shrink the rectangle it fills.
  virtual void OnDrawBackground(HDC dc, RECT& rect);
  virtual void OnDrawBorder(HDC dc, const RECT& rect);
  virtual void OnDrawText(HDC dc, const RECT& rect);

  button_state::PaintState PaintStateNow() const;
  // Of the three colours given, the one of the set the paint state asks for.
  COLORREF ColourNow(COLORREF in, COLORREF focus, COLORREF out) const;
  COLORREF BackColour() const;
  COLORREF ForeColour() const;

  HWND hwnd_ = nullptr;
  bool flat_ = true;
  bool hover_ = false;
  bool pressed_ = false;
  bool focused_ = false;
  bool disabled_ = false;
  bool isDefault_ = false;
  bool checkBoxMode_ = false;
  bool isChecked_ = false;
  bool drawPressedBorder_ = true;
  bool flatFocus_ = true;
  bool alwaysTrack_ = true;
  POINT pressedOffset_{1, 1};
  Colours colours_{};

 private:
  static constexpr UINT_PTR kSubclassId = 0x5354;  // "ST"
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR refData);
  static CButtonST* FromHandle(HWND hwnd);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
  LRESULT OnEnable(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCheck(WPARAM wParam);
  LRESULT OnGetDlgCode();
  void OnClicked();
  void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);
  void EnsureTooltip();
  void CancelHover();
  void Redraw();
  void Detach();

  HWND tooltip_ = nullptr;
};
