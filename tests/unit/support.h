// Shared helpers of the unit tests: scratch files under the Wine prefix's
// temporary directory, and whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>
#include <stdio.h>

#include <windows.h>

#include <functional>
#include <string>

// A fresh, empty directory for one test (removed and made again).
std::string ScratchDir(const char *name);
std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &content);
bool FileExists(const std::string &path);

// A fixture with a fresh scratch directory named after the test suite, a log
// stream in it, and a script file that Setup.ScriptPath names.
struct ScriptAndLogTest : ::testing::Test {
    std::string root, logPath;
    FILE *log = 0;
    void SetUp() override;
    void TearDown() override;
    // Closes the log and returns what it holds, as bytes on disk.
    std::string Log();
    void UseScript(const std::string &text);
};

// Runs a modal page through RunPage while a thread timer plays the user:
// actions run once on the page when it is up; a page still open after about
// two seconds is ended and the test fails. Returns PageResult.
LONG RunPageAsUser(int templateId, DLGPROC handler, std::function<void(HWND)> actions);
bool PageOpen(HWND page);
