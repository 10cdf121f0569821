// Resource numbers of SETUP.EXE and UNINST.EXE: the icon, the dialog
// templates and their control IDs. Read by the resource scripts, the
// programs and the tests alike, so only #defines (windres reads no enums).
#ifndef SETUP_RESOURCE_H
#define SETUP_RESOURCE_H

#include <windows.h>

// The window class's icon.
#define MainIconId 1

// Dialog templates: three modal pages and two modeless status dialogs.
#define WelcomePageTemplate 2
#define DirectoryPageTemplate 3
#define GroupPageTemplate 4
#define ProgressDialogTemplate 5
#define WaitDialogTemplate 6

// Control IDs, the same in every template. The dialog manager sends the
// buttons' IDs for Enter and Esc.
#define IdNext IDOK
#define IdCancel IDCANCEL
#define IdMainText 11  // welcome text, directory or group edit box, status line
#define IdProgressBar 12
#define IdList 13
#define IdRequiredSpace 14
#define IdPageText 15
#define IdAvailableSpace 16
// A fixed label, never addressed; the template stores it as 0xFFFF.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
