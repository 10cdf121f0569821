// The windows that SETUP.EXE and UNINST.EXE both run under: the start-up of
// the background window's class, the title font and the common controls,
// the progress dialog, and the teardown (CloseProgramWindows, then
// DeleteTitleFont).
#pragma once

#include <windows.h>

// Sets Instance and DdeWaiting, registers the background window's class (ending the process
// when it cannot), makes the title font and readies the common controls. The
// background window itself is made later by CreateBackgroundWindow.
void StartProgramWindows(HINSTANCE instance);

// Creates the progress dialog (modeless, owned by the
// background window, procedure DlgViewSetup, EditText as its first status
// line) as CurrentDialog, with its bar as ProgressBar (none without the
// dialog) ranged from 0 to upper.
void OpenProgressDialog(unsigned long upper);

// The bar's range: PBM_SETRANGE while upper fits 16 bits, PBM_SETRANGE32
// above, so that the bar never wraps.
void SetProgressRange(unsigned long upper);

// Destroys CurrentDialog, if any; no current dialog or bar afterwards.
void CloseCurrentDialog();

// Destroys the current dialog and the background window.
void CloseProgramWindows();

// Frees the title font; the last step of the teardown, once the windows that
// paint with it are gone and the 3D controls are unregistered.
void DeleteTitleFont();
