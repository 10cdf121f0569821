// The uninstaller's two ways, by install.log and by the install record, read
// a registry value and a win.ini entry through one step each: for every state
// of the value both ways give the same line of the report. The uninstaller's
// sources are compiled in here, as the unit tests link the engine only.
#include <gtest/gtest.h>
#include <windows.h>
#include <string.h>

#include <functional>
#include <string>

#include "uninstall/report.cpp"
#include "uninstall/registry_keys.cpp"
#include "uninstall/remove_registry.cpp"
#include "uninstall/remove_ini.cpp"

namespace {

#define TestKey "Software\\SetupRemovalSteps"
#define TestSection "SetupRemovalSteps"
#define WrittenData "data"

enum Part { PartRemoved, PartLeft, PartGone };

void ClearReport()
{
    Removed[0] = Restored[0] = Left[0] = Gone[0] = 0;
    RemovedCount = RestoredCount = LeftCount = GoneCount = 0;
}

std::string PartText(Part part)
{
    return part == PartRemoved ? Removed : part == PartLeft ? Left : Gone;
}

// Both ways over one logged or recorded value; each must leave the one line.
void ExpectBothWays(const std::function<void()> &prepare, const LogRecord &logged,
                    const RecordEntry &recorded, Part part, const std::string &line)
{
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "by install.log" : "by the install record");
        prepare();
        ClearReport();
        if (logged.Kind == LogRecordRegistry)
            way == 0 ? RemoveRegistryValue(&logged) : RemoveRecordedValue(&recorded);
        else
            way == 0 ? RemoveIniEntry(&logged) : RemoveRecordedIni(&recorded);
        EXPECT_EQ("  " + line + "\n", PartText(part));
        EXPECT_EQ(1, RemovedCount + LeftCount + GoneCount + RestoredCount);
    }
}

TEST(RemovalSteps, ARegistryValueIsReportedAlikeByBothWays)
{
    const std::string longData(2 * RecordTextSize, 'x');
    const DWORD number = 1;
    struct {
        const char *name;
        bool keyThere;
        DWORD type;  // 0: no value
        const char *data;
        const char *valueName;
        Part part;
        const char *reason;
    } cases[] = {
        {"as written", true, REG_SZ, WrittenData, "V", PartRemoved, ""},
        {"the default value as written", true, REG_SZ, WrittenData, "", PartRemoved, ""},
        {"changed", true, REG_SZ, "other", "V", PartLeft, ": changed since the installation"},
        {"longer than any written value", true, REG_SZ, longData.c_str(), "V", PartLeft,
         ": changed since the installation"},
        {"of another type", true, REG_DWORD, 0, "V", PartLeft, ": changed since the installation"},
        {"missing", true, 0, 0, "V", PartGone, ""},
        {"its key missing", false, 0, 0, "V", PartGone, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto prepare = [&] {
            RegDeleteKeyA(HKEY_CURRENT_USER, TestKey);
            if (!c.keyThere) return;
            HKEY key;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, TestKey, &key));
            // Another value keeps the key, which the log's way would take too.
            RegSetValueExA(key, "Other", 0, REG_SZ, (const BYTE *)"1", 2);
            if (c.type == REG_SZ)
                RegSetValueExA(key, c.valueName, 0, REG_SZ, (const BYTE *)c.data,
                               (DWORD)strlen(c.data) + 1);
            else if (c.type == REG_DWORD)
                RegSetValueExA(key, c.valueName, 0, REG_DWORD, (const BYTE *)&number, sizeof number);
            RegCloseKey(key);
        };
        LogRecord logged = {};
        logged.Kind = LogRecordRegistry;
        logged.Root = 1;
        strcpy(logged.Text, TestKey);
        strcpy(logged.Name, c.valueName);
        strcpy(logged.Value, WrittenData);
        static RecordEntry recorded;
        StartRecordEntry(&recorded, RecordReg);
        recorded.Root = 1;
        strcpy(recorded.Text, TestKey);
        strcpy(recorded.Name, c.valueName);
        strcpy(recorded.Value, WrittenData);
        std::string shown = std::string("Registry value HKEY_CURRENT_USER\\" TestKey " \"") +
                            (c.valueName[0] ? c.valueName : "(default)") + "\"";
        ExpectBothWays(prepare, logged, recorded, c.part, shown + c.reason);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, TestKey);
}

TEST(RemovalSteps, AWinIniEntryIsReportedAlikeByBothWays)
{
    const std::string longData(3 * RecordTextSize, 'x');
    struct {
        const char *name;
        const char *current;  // 0: no entry
        const char *written;
        Part part;
        const char *reason;
    } cases[] = {
        {"as written", WrittenData, WrittenData, PartRemoved, ""},
        {"as written, in quotes and blanks", WrittenData, " \"" WrittenData "\" ", PartRemoved, ""},
        {"changed", "other", WrittenData, PartLeft, ": changed since the installation"},
        {"longer than any written value", longData.c_str(), WrittenData, PartLeft,
         ": changed since the installation"},
        {"missing", 0, WrittenData, PartGone, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto prepare = [&] {
            WriteProfileStringA(TestSection, 0, 0);
            if (c.current) WriteProfileStringA(TestSection, "N", c.current);
        };
        LogRecord logged = {};
        logged.Kind = LogRecordIni;
        strcpy(logged.Text, "C:\\windows\\win.ini");
        strcpy(logged.Section, TestSection);
        strcpy(logged.Name, "N");
        strcpy(logged.Value, c.written);
        static RecordEntry recorded;
        StartRecordEntry(&recorded, RecordIni);
        strcpy(recorded.Text, TestSection);
        strcpy(recorded.Name, "N");
        strcpy(recorded.Value, c.written);
        ExpectBothWays(prepare, logged, recorded, c.part,
                       std::string("win.ini [" TestSection "] N") + c.reason);
    }
    WriteProfileStringA(TestSection, 0, 0);
}

}  // namespace
