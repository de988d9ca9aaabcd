#pragma once
// What the download engine needs of the window that hosts it. The Win32 main dialog implements
// it on a real window, the silent hosts on a hidden window or a headless event loop, and the
// unit tests on a recorder.
// The main window's controls the engine enables and disables are named by their resource ids
// (IDC_MAIN_...), the one list of them.
#include "res/resource.h"

#include <cstdint>
#include <string>

class MainDialogView {
  public:
    virtual ~MainDialogView() = default;

    // Arms the window timer `id` (SetTimer semantics: re-arming an id replaces it). The engine
    // kills each timer in its own tick, so every timer behaves as one-shot.
    virtual void setTimer(int32_t id, uint32_t intervalMs) = 0;
    virtual void killTimer(int32_t id) = 0;

    // Invalidates the whole window and repaints it at once (the bar shows `progress`).
    virtual void repaintWindow() = 0;
    // Invalidates the bar's frame (8, 200)-(278, 210) with erasing and repaints at once.
    virtual void repaintProgressBar() = 0;

    virtual void enableControl(int32_t controlId, bool enabled) = 0;
    // Shows the help line (control 1004).
    virtual void showHelpText(const std::string& text) = 0;
    // Shows the completion notice modally; the armed clean-up tick may arrive while it is open.
    virtual void showCompletionDialog() = 0;
    // Posts the close request (WM_CLOSE); the window ends once the current handler returns.
    virtual void closeWindow() = 0;

    // On while packets are paced by short timers, off otherwise. Hosts whose timers are coarse
    // (Windows rounds window timers up to the system tick) ask for finer timing while on.
    virtual void setFineTimerResolution(bool on) { (void)on; }
};
