// The uninstaller's report: what was removed, what was put back as it stood
// before the installation, what was left in place and why, and what was
// already gone. Written whole to uninstall.log in the
// temporary directory and shown, cut to fit, in the final message.
#pragma once

#include <windows.h>
#include <stddef.h>

// One line in a part of the report.
void NoteRemoved(const char *format, ...) __attribute__((format(printf, 1, 2)));
void NoteLeft(const char *format, ...) __attribute__((format(printf, 1, 2)));
void NoteRestored(const char *format, ...) __attribute__((format(printf, 1, 2)));
void NoteGone(const char *format, ...) __attribute__((format(printf, 1, 2)));

// The line for a registry value or win.ini entry that DecideValue judged
// (core/record_rules.h ValueFate), shown as the report names it; done tells
// whether its removal or the putting back was carried out.
void NoteValue(int fate, bool done, const char *shown);

// The summary line and the parts that have entries, cut to capacity.
void WriteReport(char *text, size_t capacity);
// Writes the report to uninstall.log and shows it.
void ShowReport();

// A message box with the uninstaller's caption over the background window.
void ShowMessage(const char *text, UINT icon);
// A message box of the given type with the uninstaller's caption over owner;
// the button chosen.
int AskUser(HWND owner, const char *text, UINT type);
