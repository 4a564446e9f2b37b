#pragma once
// Forms, the application object with its message loop and exception handler, and the screen's
// list of open forms.
#include "classlib/Controls.h"

#include <vector>

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderIcons = unsigned;
enum : TBorderIcons { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
enum : TModalResult {
  mrNone = 0,
  mrOk = IDOK,
  mrCancel = IDCANCEL,
  mrAbort = IDABORT,
  mrRetry = IDRETRY,
  mrIgnore = IDIGNORE,
  mrYes = IDYES,
  mrNo = IDNO,
};

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TCustomControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }
  // Layered-window opacity, 0..255.
  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool v);
  BYTE AlphaBlendValue() const { return alphaBlendValue_; }
  void SetAlphaBlendValue(BYTE v);

  // Shows the form and brings it to the front.
  void Show();
  // Asks OnCloseQuery, then runs OnClose and carries out its action: hide (the default), free
  // (after the current message's handlers have returned), minimise, or nothing. Closing the
  // main form ends the application.
  void Close();
  // Closes as Close does, except that a form closing to be freed is freed before this returns
  // instead of by a posted message: for closing many forms in one pass, where a trip through
  // the queue per form costs more the more windows remain. The caller holds the form only in a
  // list that forgets freed components (TComponentList); a loop running on the form's behalf
  // further up the stack (TFormLoopGuard) still puts the freeing off until it returns.
  void CloseAtOnce();
  bool CloseQuery();
  // Frees the form once the messages already queued for it have been handled.
  void Release();
  // Shows the form with the thread's other visible windows disabled, its first control in tab
  // order focused unless it has an active control, and runs a message loop until ModalResult is
  // set, the form closes or the application ends.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  bool Modal() const { return modal_; }
  // Released: it goes once the queued messages are handled (or, while a nested loop runs on
  // its behalf, once the last such loop has returned).
  bool Releasing() const { return releasing_; }
  bool Active() const { return active_; }

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  // Told by a control of the form that it got the focus: the form's controls hear of it
  // (CM_FOCUSCHANGED, lParam the control), then the exit and enter events follow.
  void FocusControlChanged(TWinControl* control);
  // Told by a control of the form that it is going away (freed, or taken off the form); the
  // active control is forgotten when it is that control or lies on it.
  void ControlDestroyed(TControl* control);

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  void VisibleChanged() override;
  void BeforeDestruction() override;
  bool FreeDeferred() override;
  void Paint() override;
  // The window class name of the form's windows.
  void SetWindowClassName(const String& name) { windowClassName_ = name; }
  // Runs OnCreate; a form calls it at the end of its construction.
  void DoCreate();
  virtual void DoClose(TCloseAction& action);
  virtual void DoShow();
  virtual void DoHide();

 private:
  void ApplyPosition();
  void ApplyStayOnTop();
  // Where a window goes to be at the top of its z-order band: the topmost band for a
  // stay-on-top form, the others' otherwise.
  HWND TopOfBand() const;
  void ShowAtTopOfBand();
  void ApplyAlpha();
  void WMActivate(TMessage& m);
  void WMClose(TMessage& m);
  void WMSysCommand(TMessage& m);
  void WMGetMinMaxInfo(TMessage& m);
  void CMRelease(TMessage& m);
  void CloseForm(bool freeAtOnce);
  // Tab and Shift+Tab move the focus through the form's tab order, the arrows among the focused
  // control's neighbours on its parent (those with TabStop); the other keys are offered to the
  // controls.
  void CMDialogKey(TMessage& m);
  // The focus moves from the keyboard: from now on the system's controls draw their focus cue.
  void ShowFocusCues();
  // Closing at the end of a modal loop: false when OnCloseQuery or OnClose refused.
  bool CloseModal(TCloseAction& action);
  friend class TFormLoopGuard;
  void LoopEntered() { ++loopGuards_; }
  void LoopLeft();

  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TFormStyle formStyle_ = TFormStyle::fsNormal;
  TPosition position_ = TPosition::poDesigned;
  bool keyPreview_ = false;
  bool alphaBlend_ = false;
  BYTE alphaBlendValue_ = 255;
  bool positioned_ = false;
  bool modal_ = false;
  bool active_ = false;
  bool releasing_ = false;
  // Nested loops running on the form's behalf, and whether it was freed while one ran.
  int loopGuards_ = 0;
  bool freeAfterLoops_ = false;
  TModalResult modalResult_ = mrNone;
  TWinControl* activeControl_ = nullptr;
  String windowClassName_ = L"QuillnoteForm";
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};

// Held by code that runs a nested message loop on behalf of a form or of a component that a form
// owns: a modal box or dialog, a menu, the system's move loop. Such a loop dispatches whatever
// comes, so the form may be closed and freed inside it (Hide All, Exit, the end of the session,
// a timer). While a guard is held, freeing the form only hides it; it is freed by a posted
// release once the last guard has gone, after the code that ran the loop has returned. That code
// asks Gone() after the loop and touches nothing more of the form when it answers true.
class TFormLoopGuard {
 public:
  // The form is the component itself or the nearest form among its owners; none guards nothing.
  explicit TFormLoopGuard(TComponent* Component);
  ~TFormLoopGuard();
  TFormLoopGuard(const TFormLoopGuard&) = delete;
  TFormLoopGuard& operator=(const TFormLoopGuard&) = delete;
  TCustomForm* Form() const { return form_; }
  // The form was closed to go (released or freed) before or while the loop ran.
  bool Gone() const;

 private:
  TCustomForm* form_;
};

// The open forms, most recently activated first.
class TScreen : public TComponent {
 public:
  using TComponent::TComponent;
  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int index) const { return forms_.at(static_cast<size_t>(index)); }
  // A copy of the list, for loops that close or free forms.
  std::vector<TCustomForm*> FormsSnapshot() const { return forms_; }
  TCustomForm* ActiveForm() const { return activeForm_; }
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  RECT WorkAreaRect() const;

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  void FormActivated(TCustomForm* form, bool active);

  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
};

// The small window that shows a control's hint beside the cursor.
class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* AOwner);
  // Shows the text with its top left corner at a screen point.
  void ActivateHint(POINT at, const String& text);
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
};

using TExceptionEvent = TEvent<void(TObject* Sender, const Exception& E)>;
// A main-window hook: sees each message of the application window first; true handles it.
using TWindowHook = TEvent<bool(TMessage& Message)>;

// The application window is bound to the application object (WindowBinding.h).
class TApplication : public TComponent, private TWindowTarget {
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  // The hidden application window: the owner of the forms' windows.
  HWND Handle() const { return handle_; }
  // Runs the initialisation steps that units added with AddInitProc, once.
  void Initialize();
  bool Initialized() const { return initialized_; }
  static void AddInitProc(void (*proc)());

  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool v) { showMainForm_ = v; }
  const String& Title() const { return title_; }
  void SetTitle(const String& title);
  TCustomForm* MainForm() const { return mainForm_; }

  // Creates a form owned by the application; the first form created becomes the main form.
  template <class T>
  void CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    if (!mainForm_) {
      // The main form's window exists from the start, shown or not.
      form->HandleNeeded();
      mainForm_ = form;
    }
  }

  // The message loop: shows the main form when asked to, and runs until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  // Handles one message, waiting for one when there is none.
  void HandleMessage();

  // Shows the exception being handled (call from a catch block) or hands it to OnException.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  TExceptionEvent OnException;

  bool Active() const { return active_; }
  void BringToFront();
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  // Told by the forms when the program as a whole gains or loses the activation.
  void ActivateChanged(bool active);

  int ModalLevel() const { return modalLevel_; }

  // Hooks on the application window. It relays every key press of the loop as
  // CM_APPKEYDOWN (wParam the key code, lParam the key data) and each form's keyboard menu
  // command as CM_APPSYSCOMMAND (wParam the command type, lParam the key): a hook that takes
  // one answers non-zero, and the key or command goes no further.
  void HookMainWindow(const TWindowHook& hook);
  void UnhookMainWindow(const TWindowHook& hook);

  // Help through the help seam, with the application's help file.
  const String& HelpFile() const { return helpFile_; }
  void SetHelpFile(const String& file) { helpFile_ = file; }
  bool HelpCommand(UINT command, ULONG_PTR data);
  bool HelpContext(ULONG_PTR context) { return HelpCommand(HELP_CONTEXT, context); }

  // Hints: shown HintPause ms after the mouse came to rest on a control whose ShowHint
  // applies, hidden after HintHidePause ms, on a mouse button or when the mouse leaves.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool HintShortCuts() const { return hintShortCuts_; }
  void SetHintShortCuts(bool v) { hintShortCuts_ = v; }
  UINT HintPause() const { return hintPause_; }
  void SetHintPause(UINT ms) { hintPause_ = ms; }
  UINT HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(UINT ms) { hintHidePause_ = ms; }
  // The long hint of what the mouse or a menu selection is on, for a status line.
  const String& Hint() const { return hint_; }
  void SetHint(const String& hint) { hint_ = hint; }
  // The mouse is over this control now (nullptr: over none of ours).
  void HintMouseMove(TControl* control);
  void CancelHint();
  // The hint window while a hint shows, else nullptr.
  THintWindow* HintWindow() const { return hintShowing_ ? hintWindow_ : nullptr; }
  void ControlDestroyed(TControl* control);

 private:
  void HintTimerExpired();
  void HideHint();
  friend class TCustomForm;
  bool ProcessMessage(MSG& msg);
  void HandleExceptionObject(const Exception* e, const char* foreign);
  static void BoundaryHandler(const Exception* e, const char* foreign) noexcept;
  void WndProc(TMessage& m);
  void WindowBound(HWND wnd) noexcept override { handle_ = wnd; }
  void WindowMessage(TMessage& m) override { WndProc(m); }
  void WindowUnbound(HWND wnd) noexcept override;
  void FormDestroyed(TCustomForm* form);

  HWND handle_ = nullptr;
  bool showMainForm_ = true;
  bool initialized_ = false;
  bool terminated_ = false;
  bool active_ = false;
  int modalLevel_ = 0;
  String title_;
  TCustomForm* mainForm_ = nullptr;
  bool showHint_ = true;
  bool hintShortCuts_ = true;
  bool hintShowing_ = false;
  UINT hintPause_ = 500;
  UINT hintHidePause_ = 2500;
  TControl* hintControl_ = nullptr;
  std::vector<TWindowHook> hooks_;
  String helpFile_;
  String hint_;
  RECT hintCursorRect_{};  // screen coordinates
  THintWindow* hintWindow_ = nullptr;
};

extern TApplication* Application;
extern TScreen* Screen;

// Creates and frees the application and screen objects: the first and last steps of a
// program's start-up and shutdown.
void InitializeClassLibrary();
void FinalizeClassLibrary();
