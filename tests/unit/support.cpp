#include "support.h"

#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "engine/setup_state.h"
#include "win32/dialogs.h"

static void RemoveTree(const std::string &dir)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

std::string ScratchDir(const char *name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string root = std::string(temp) + "unit";
    CreateDirectoryA(root.c_str(), 0);
    std::string dir = root + "\\" + name;
    RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), 0);
    return dir;
}

std::string ReadWholeFile(const std::string &path)
{
    std::string content;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return content;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
    fclose(file);
    return content;
}

void WriteWholeFile(const std::string &path, const std::string &content)
{
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return;
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ScriptAndLogTest::SetUp()
{
    ResetSetupState();
    root = ScratchDir(::testing::UnitTest::GetInstance()->current_test_suite()->name());
    logPath = root + "\\install.log";
    log = fopen(logPath.c_str(), "wb");
}

void ScriptAndLogTest::TearDown()
{
    if (log) fclose(log);
    if (::Setup.CurrentDialog) DestroyWindow(::Setup.CurrentDialog);
}

std::string ScriptAndLogTest::Log()
{
    if (log) fclose(log);
    log = 0;
    return ReadWholeFile(logPath);
}

void ScriptAndLogTest::UseScript(const std::string &text)
{
    std::string path = root + "\\setup.inf";
    WriteWholeFile(path, text);
    WritePrivateProfileStringA(0, 0, 0, path.c_str());  // drop the platform's cache
    strcpy(::Setup.ScriptPath, path.c_str());
}

bool PageOpen(HWND page) { return ::Setup.CurrentDialog == page && IsWindow(page); }

static std::function<void(HWND)> UserActions;
static bool ActionsDone;
static int Ticks;

static void CALLBACK PlayUser(HWND, UINT, UINT_PTR, DWORD)
{
    HWND page = ::Setup.CurrentDialog;
    if (!page) return;
    if (!ActionsDone) {
        ActionsDone = true;
        UserActions(page);
    }
    if (PageOpen(page) && ++Ticks > 40) {  // bounded: a page left open is ended
        ADD_FAILURE() << "the page did not close";
        EndDialog(page, 0);
        ::Setup.CurrentDialog = 0;
    }
}

LONG RunPageAsUser(int templateId, DLGPROC handler, std::function<void(HWND)> actions)
{
    ::Setup.Instance = GetModuleHandleA(0);
    UserActions = actions;
    ActionsDone = false;
    Ticks = 0;
    UINT_PTR timer = SetTimer(0, 0, 50, PlayUser);
    LONG result = RunPage(templateId, handler);
    KillTimer(0, timer);
    EXPECT_TRUE(ActionsDone) << "the page never came up";
    return result;
}
