// Registry values and win.ini entries: the placeholder, one value written
// and read back, and both loops run on a script against the real registry
// and the real win.ini.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include <string>

#include "engine/registry.h"
#include "engine/script.h"
#include "engine/setup_state.h"
#include "support.h"
#include "win32/dialogs.h"

namespace {

// The value as stored, with its type and size; empty type 0 when absent.
struct Stored {
    DWORD Type = 0, Size = 0;
    std::string Data;
};

Stored ReadValue(HKEY root, const char *subkey, const char *name)
{
    Stored stored;
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return stored;
    char data[1024];
    DWORD size = sizeof data, type = 0;
    if (RegQueryValueExA(key, name, 0, &type, (BYTE *)data, &size) == ERROR_SUCCESS) {
        stored.Type = type;
        stored.Size = size;
        stored.Data.assign(data, size && data[size - 1] == 0 ? size - 1 : size);
    }
    RegCloseKey(key);
    return stored;
}

bool KeyExists(HKEY root, const char *subkey)
{
    HKEY key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

struct Registry : ScriptAndLogTest {
    // A scratch install directory with a long name, so that its short form
    // differs.
    std::string LongInstallDir()
    {
        std::string dir = root + "\\Long Install Directory Name";
        CreateDirectoryA(dir.c_str(), 0);
        return dir;
    }
    static std::string ShortForm(const std::string &path)
    {
        char shortPath[MAX_PATH];
        GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
        return shortPath;
    }
};

TEST_F(Registry, WriteRegistryStringStoresTerminatedStrings)
{
    struct Case {
        const char *What;
        int Root;
        HKEY Key;
        const char *Subkey, *Name, *Data;
    } cases[] = {
        {"current user", 1, HKEY_CURRENT_USER, "Software\\SetupTest\\One", "Value", "text"},
        {"local machine, new keys", 2, HKEY_LOCAL_MACHINE, "Software\\SetupTest\\A\\B\\C", "Deep",
         "C:\\PROGRA~1\\bin"},
        {"empty data", 1, HKEY_CURRENT_USER, "Software\\SetupTest\\One", "Empty", ""},
        {"default value", 1, HKEY_CURRENT_USER, "Software\\SetupTest\\One", "", "default"},
        {"root key itself", 1, HKEY_CURRENT_USER, "", "SetupTestAtRoot", "at root"},
        {"percent kept", 1, HKEY_CURRENT_USER, "Software\\SetupTest\\One", "Pct", "%s%n%%"},
    };
    std::string expectedLog;
    for (const Case &c : cases) {
        EXPECT_TRUE(WriteRegistryString(c.Root, c.Subkey, c.Name, c.Data, log)) << c.What;
        Stored stored = ReadValue(c.Key, c.Subkey, c.Name);
        EXPECT_EQ((DWORD)REG_SZ, stored.Type) << c.What;
        EXPECT_EQ(strlen(c.Data) + 1, stored.Size) << c.What;
        EXPECT_EQ(c.Data, stored.Data) << c.What;
        expectedLog += std::string("RegDB Key: ") + c.Subkey + "\nRegDB Val: " + c.Data +
                       "\nRegDB Name: " + c.Name + "\nRegDB Root: " + std::to_string(c.Root) +
                       "\n";
    }
    for (int bad : {-1, 4, 9}) {
        EXPECT_FALSE(WriteRegistryString(bad, "Software\\SetupTest\\Bad", "V", "x", log)) << bad;
    }
    EXPECT_EQ(expectedLog, Log());
    // A null log is fine.
    EXPECT_TRUE(WriteRegistryString(1, "Software\\SetupTest\\One", "NoLog", "x", 0));
}

TEST_F(Registry, ShortInstallDirFallsBackToTheLongFormAndCuts)
{
    std::string dir = LongInstallDir();
    char dest[EditTextSize];
    ShortInstallDir(dest, sizeof dest, dir.c_str());
    EXPECT_EQ(ShortForm(dir), dest);
    EXPECT_NE(dir, dest);
    EXPECT_EQ(std::string::npos, std::string(dest).find(' '));

    // No such directory: the platform has no short form, the long one is used.
    std::string missing = root + "\\No Such Directory";
    ShortInstallDir(dest, sizeof dest, missing.c_str());
    EXPECT_EQ(missing, dest);

    std::string overlong = "C:\\" + std::string(252, 'a');
    memset(dest, 'M', sizeof dest);
    ShortInstallDir(dest, sizeof dest, overlong.c_str());
    EXPECT_EQ(overlong.substr(0, 249), dest);
    EXPECT_EQ('M', dest[250]);
}

TEST_F(Registry, EntriesFollowTheScriptWithTheShortInstallDir)
{
    std::string dir = LongInstallDir();
    std::string shortDir = ShortForm(dir);
    strcpy(InstallPath, dir.c_str());
    UseScript("[Register]\r\nNumberReg=13\r\n"
              "regKey1=2,Software\\SetupTest\\Entries\r\nregVal1=Path,#s\\bin\r\n"
              "regKey2=1,Software\\SetupTest\\Entries\r\nregVal2=NULL,NULL\r\n"
              "regKey3=1,NULL\r\nregVal3=SetupTestRootValue,Null\r\n"
              "regKey4=1,Software\\SetupTest\\Entries\r\nregVal4=Three,a,b,c\r\n"
              "regKey5=12Software\\SetupTest\\Digits\r\nregVal5=D,x\r\n"
              "regKey6=1,Software\\SetupTest\\Entries\r\nregVal6=Two,#s\\a;#s\\b;#S\\c\r\n"
              "regKey7=4,Software\\SetupTest\\Bad\r\nregVal7=X,y\r\n"
              "regKey8=x,Software\\SetupTest\\Bad\r\nregVal8=X,y\r\n"
              "regKey9=1\r\nregVal9=X,y\r\n"
              "regKey10=1,Software\\SetupTest\\NoComma\r\nregVal10=NoCommaHere\r\n"
              "regKey12=1,Software\\SetupTest\\Entries\r\nregVal12=Lower,null\r\n"
              "regKey13=1,Software\\SetupTest\\Entries\r\n");
    ::Setup.InstallLog = log;
    WriteRegistryEntries();
    ::Setup.InstallLog = 0;

    EXPECT_EQ(shortDir, ::Setup.EditText);
    Stored path = ReadValue(HKEY_LOCAL_MACHINE, "Software\\SetupTest\\Entries", "Path");
    EXPECT_EQ((DWORD)REG_SZ, path.Type);
    EXPECT_EQ(shortDir + "\\bin", path.Data);
    Stored byDefault = ReadValue(HKEY_CURRENT_USER, "Software\\SetupTest\\Entries", "");
    EXPECT_EQ((DWORD)REG_SZ, byDefault.Type);
    EXPECT_EQ(1u, byDefault.Size);
    EXPECT_EQ("Null", ReadValue(HKEY_CURRENT_USER, "", "SetupTestRootValue").Data);
    EXPECT_EQ("a,b,c", ReadValue(HKEY_CURRENT_USER, "Software\\SetupTest\\Entries", "Three").Data);
    EXPECT_EQ("x", ReadValue(HKEY_CURRENT_USER, "Software\\SetupTest\\Digits", "D").Data);
    EXPECT_EQ(shortDir + "\\a;" + shortDir + "\\b;#S\\c",
              ReadValue(HKEY_CURRENT_USER, "Software\\SetupTest\\Entries", "Two").Data);
    EXPECT_EQ("null", ReadValue(HKEY_CURRENT_USER, "Software\\SetupTest\\Entries", "Lower").Data);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\SetupTest\\Bad"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\SetupTest\\NoComma"));

    std::string expected =
        "RegDB Key: Software\\SetupTest\\Entries\nRegDB Val: " + shortDir +
        "\\bin\nRegDB Name: Path\nRegDB Root: 2\n"
        "RegDB Key: Software\\SetupTest\\Entries\nRegDB Val: \nRegDB Name: \nRegDB Root: 1\n"
        "RegDB Key: \nRegDB Val: Null\nRegDB Name: SetupTestRootValue\nRegDB Root: 1\n"
        "RegDB Key: Software\\SetupTest\\Entries\nRegDB Val: a,b,c\nRegDB Name: Three\nRegDB Root: 1\n"
        "RegDB Key: Software\\SetupTest\\Digits\nRegDB Val: x\nRegDB Name: D\nRegDB Root: 1\n"
        "RegDB Key: Software\\SetupTest\\Entries\nRegDB Val: " + shortDir + "\\a;" + shortDir +
        "\\b;#S\\c\nRegDB Name: Two\nRegDB Root: 1\n"
        "RegDB Key: Software\\SetupTest\\Entries\nRegDB Val: null\nRegDB Name: Lower\nRegDB Root: 1\n";
    EXPECT_EQ(expected, Log());
}

TEST_F(Registry, NoEntriesStillShowStatusComputeShortFormAndStep)
{
    InitCommonControls();
    ::Setup.Instance = GetModuleHandleA(0);
    std::string dir = LongInstallDir();
    strcpy(InstallPath, dir.c_str());
    strcpy(::Setup.EditText, "Copy file : last");
    ::Setup.CurrentDialog = CreateDialogParamA(::Setup.Instance, MAKEINTRESOURCEA(5), 0,
                                               DlgViewSetup, 0);
    ASSERT_TRUE(::Setup.CurrentDialog != 0);
    ::Setup.ProgressBar = GetDlgItem(::Setup.CurrentDialog, 12);
    SendMessageA(::Setup.ProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 10));
    SendMessageA(::Setup.ProgressBar, PBM_SETSTEP, 1, 0);

    for (const char *script : {"[Register]\r\nNumberReg=0\r\n", "[Register]\r\nNumberReg=-3\r\n"
                                                                "regKey1=1,Software\\SetupTest\\Neg\r\n"
                                                                "regVal1=V,x\r\n"}) {
        SendMessageA(::Setup.ProgressBar, PBM_SETPOS, 0, 0);
        UseScript(script);
        WriteRegistryEntries();
        char status[64] = "";
        GetDlgItemTextA(::Setup.CurrentDialog, 11, status, sizeof status);
        EXPECT_STREQ("Register data base...", status) << script;
        EXPECT_EQ(ShortForm(dir), ::Setup.EditText) << script;
        EXPECT_EQ(1, SendMessageA(::Setup.ProgressBar, PBM_GETPOS, 0, 0)) << script;
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\SetupTest\\Neg"));
    // And without a dialog or bar the entries are written all the same.
    ::Setup.ProgressBar = 0;
    DestroyWindow(::Setup.CurrentDialog);
    ::Setup.CurrentDialog = 0;
    UseScript("[Register]\r\nNumberReg=2\r\n"
              "regKey1=1,Software\\SetupTest\\NoDialog\r\nregVal1=Dir,#s\\bin\r\n"
              "regKey2=1,Software\\SetupTest\\NoDialog\r\nregVal2=Plain,text\r\n");
    ::Setup.InstallLog = log;
    WriteRegistryEntries();
    ::Setup.InstallLog = 0;
    std::string shortDir = ShortForm(dir);
    EXPECT_EQ(shortDir, ::Setup.EditText);
    struct { const char *name; std::string data; } written[] = {
        {"Dir", shortDir + "\\bin"}, {"Plain", "text"}};
    for (auto &w : written) {
        Stored stored = ReadValue(HKEY_CURRENT_USER, "Software\\SetupTest\\NoDialog", w.name);
        EXPECT_EQ((DWORD)REG_SZ, stored.Type) << w.name;
        EXPECT_EQ(w.data, stored.Data) << w.name;
    }
    EXPECT_EQ("RegDB Key: Software\\SetupTest\\NoDialog\nRegDB Val: " + shortDir +
                  "\\bin\nRegDB Name: Dir\nRegDB Root: 1\n"
                  "RegDB Key: Software\\SetupTest\\NoDialog\nRegDB Val: text\nRegDB Name: Plain\n"
                  "RegDB Root: 1\n",
              Log());
}

TEST_F(Registry, WinIniEntriesGetTheLongInstallDir)
{
    std::string dir = LongInstallDir();
    strcpy(InstallPath, dir.c_str());
    GetWindowsDirectoryA(WindowsDir, sizeof WindowsDir);
    WriteProfileStringA("SetupTest Sect", "Empty", "old value");
    UseScript("[WinIni]\r\nNumberIni=6\r\n"
              "IniKey1=SetupTest Sect,Dir,#s\\bin\r\n"
              "IniKey2=SetupTest,with,commas,Key2,v\r\n"
              "IniKey3=SetupTest Sect,Empty,\r\n"
              "IniKey4=OnlyOne,comma\r\n"
              "IniKey5=SetupTest Sect,Pct,100% #S\\x NULL\r\n");
    ::Setup.InstallLog = log;
    WriteWinIniEntries();
    ::Setup.InstallLog = 0;

    char value[256];
    GetProfileStringA("SetupTest Sect", "Dir", "missing", value, sizeof value);
    EXPECT_EQ(dir + "\\bin", value);
    GetProfileStringA("SetupTest,with,commas", "Key2", "missing", value, sizeof value);
    EXPECT_STREQ("v", value);
    GetProfileStringA("SetupTest Sect", "Empty", "missing", value, sizeof value);
    EXPECT_STREQ("", value);
    GetProfileStringA("SetupTest Sect", "Pct", "missing", value, sizeof value);
    EXPECT_STREQ("100% #S\\x NULL", value);
    GetProfileStringA("OnlyOne", "comma", "missing", value, sizeof value);
    EXPECT_STREQ("missing", value);

    std::string file = std::string("INI File: ") + WindowsDir + "\\win.ini\n";
    std::string expected = file + "INI Sect: SetupTest Sect\nINI Item: Dir\nINI Val: " + dir +
                           "\\bin\n" + file +
                           "INI Sect: SetupTest,with,commas\nINI Item: Key2\nINI Val: v\n" + file +
                           "INI Sect: SetupTest Sect\nINI Item: Empty\nINI Val: \n" + file +
                           "INI Sect: SetupTest Sect\nINI Item: Pct\nINI Val: 100% #S\\x NULL\n";
    EXPECT_EQ(expected, Log());
}

}  // namespace
