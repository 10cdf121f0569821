// Removal from the install record: each entry is judged by record_rules.h
// from what stands there now.
#include "record_removal.h"

#include <windows.h>
#include <stdlib.h>
#include <string.h>

#include "core/record_rules.h"
#include "removal.h"
#include "remover_paths.h"
#include "report.h"
#include "uninstall.h"
#include "core/uninstall_text.h"
#include "core/crc32.h"
#include "core/group_text.h"
#include "core/text.h"
#include "win32/program_state.h"
#include "win32/system_dirs.h"
#include "win32/dde_client.h"
#include "win32/registry_read.h"
#include "win32/whole_file.h"
#include "registry_keys.h"

enum {
    ReadBlockSize = 32768,
    MaxKeyLevels = 32
};

// One entry at a time; each is too large for a small stack.
static RecordEntry Entry;

static void RecordPath(char *path, size_t capacity)
{
    JoinPath(path, capacity, InstallDir, InstallRecordName);
}

RecordLoad LoadRecord(RecordText *record)
{
    memset(record, 0, sizeof *record);
    char path[MAX_PATH];
    RecordPath(path, sizeof path);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return RecordNone;
    record->Text = ReadWholeFile(path, RecordFileLimit, &record->Length);
    unsigned long count = 0;
    RecordCheck check = record->Text ? CheckRecord(record->Text, record->Length, &count)
                                     : RecordDamaged;
    if (check == RecordIntact)
        record->Starts = (size_t *)malloc(sizeof(size_t) * (count ? count : 1));
    if (check != RecordIntact || !record->Starts) {
        ShowMessage(check == RecordTooNew ? RecordTooNewText : RecordDamagedText, MB_ICONSTOP);
        FreeRecord(record);
        return RecordRefused;
    }
    RecordCursor cursor;
    StartRecordCursor(&cursor, record->Text, record->Length);
    const char *line;
    size_t size, start;
    while (record->Count < count && NextRecordLine(&cursor, &line, &size, &start)) {
        record->Starts[record->Count++] = start;
        if (ParseRecordLine(line, size, &Entry) && Entry.Kind == RecordTitle)
            CopyText(Program.ProductTitle, sizeof Program.ProductTitle, Entry.Text);
    }
    return RecordUsable;
}

void FreeRecord(RecordText *record)
{
    free(record->Text);
    free(record->Starts);
    memset(record, 0, sizeof *record);
}

static void EntryAt(const RecordText *record, unsigned long index, RecordEntry *entry)
{
    RecordCursor cursor = {record->Text, record->Length, record->Starts[index]};
    const char *line;
    size_t size;
    if (!NextRecordLine(&cursor, &line, &size, 0) || !ParseRecordLine(line, size, entry))
        StartRecordEntry(entry, 0);
}

// ---- files

static bool IsLink(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// True when path, or a directory on it below base, is a junction or a
// symbolic link: what lies behind it is not what the installation made.
static bool ReachedThroughLink(const char *path, const char *base)
{
    size_t baseLength = strlen(base);
    char prefix[MAX_PATH];
    if (!CopyText(prefix, sizeof prefix, path)) return true;
    for (size_t i = baseLength + 1; prefix[i]; ++i) {
        if (prefix[i] != '\\') continue;
        prefix[i] = 0;
        bool link = IsLink(prefix);
        prefix[i] = '\\';
        if (link) return true;
    }
    return IsLink(path);
}

static bool ReadSizeAndCrc(const char *path, unsigned long *size, unsigned long *crc)
{
    static unsigned char block[ReadBlockSize];
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned long total = 0, sum = Crc32Start;
    DWORD got = 0;
    bool read;
    while ((read = ReadFile(file, block, sizeof block, &got, 0) != 0) && got > 0) {
        sum = UpdateCrc32(sum, block, got);
        total += got;
    }
    CloseHandle(file);
    *size = total;
    *crc = sum;
    return read;
}

// The Windows and system directories hold what other programs share, unless
// the install directory is one of them (or lies in one).
static bool IsShared(const char *path)
{
    if (PathIsAtOrInside(InstallDir, LongWindowsDir)) return false;
    char parent[MAX_PATH];
    DirectoryOf(path, parent, sizeof parent);
    return PathIsInside(path, LongSystemDir) || SamePath(parent, LongWindowsDir);
}

static void RemoveRecordedFile(const RecordEntry *entry, const char *longTemp)
{
    char path[MAX_PATH];
    LongForm(entry->Text, path, sizeof path);
    if (SamePath(path, OriginalPath)) return;  // taken away at the end
    FilePlace place = PlaceOutside;
    const char *base = 0;
    if (IsShared(path)) {
        place = PlaceShared;
    } else if (PathIsInside(path, InstallDir)) {
        place = PlaceInstall;
        base = InstallDir;
    } else if (longTemp[0] && PathIsInside(path, longTemp)) {
        place = PlaceTemp;
        base = longTemp;
    }
    FileFound found;
    memset(&found, 0, sizeof found);
    if (base) {
        found.ThroughLink = ReachedThroughLink(path, base);
        DWORD attributes = found.ThroughLink ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path);
        found.Exists = attributes != INVALID_FILE_ATTRIBUTES;
        found.IsDirectory = found.Exists && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        if (found.Exists && !found.IsDirectory && !entry->Flag)
            found.Read = ReadSizeAndCrc(path, &found.Size, &found.Crc);
    }
    FileFate fate = DecideFile(entry, place, &found);
    if (fate == FileGoneAlready) {
        NoteGone("File %s", entry->Text);
    } else if (fate != FileRemove) {
        NoteLeft("File %s: %s", entry->Text, FileFateReason(fate));
    } else if (DeleteFileA(path)) {
        NoteRemoved("File %s", entry->Text);
    } else {
        NoteLeft("File %s: could not be deleted (in use or read-only)", entry->Text);
    }
}

// ---- registry values and win.ini entries

// The keys the installation created for this entry, deepest first, each
// only when it holds nothing: RegDeleteKeyA takes a whole tree on some
// systems, so emptiness is checked first on all.
static void RemoveCreatedKeys(const RecordEntry *entry)
{
    static char keys[MaxKeyLevels][RecordTextSize];
    int count = KeysToRemove(entry, keys, MaxKeyLevels);
    HKEY root = RegistryRoot[entry->Root];
    for (int i = 0; i < count; ++i) {
        HKEY key;
        if (RegOpenKeyExA(root, keys[i], 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) continue;
        bool empty = RegistryKeyIsEmpty(key);
        RegCloseKey(key);
        if (!empty || RegDeleteKeyA(root, keys[i]) != ERROR_SUCCESS) return;
        NoteRemoved("Registry key %s\\%s", RegistryRootNames[entry->Root], keys[i]);
    }
}

static void RemoveRecordedValue(const RecordEntry *entry)
{
    HKEY root = RegistryRoot[entry->Root];
    char shown[3 * RecordTextSize];
    FormatText(shown, sizeof shown, "%s%s%s \"%s\"", RegistryRootNames[entry->Root],
               entry->Text[0] ? "\\" : "", entry->Text, entry->Name[0] ? entry->Name : "(default)");
    HKEY key = 0;
    ValueNow now = ValueMissing;
    if (RegOpenKeyExA(root, entry->Text, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        char data[RecordTextSize + 1];
        DWORD type = 0, size = sizeof data - 1;
        LONG read = RegQueryValueExA(key, entry->Name, 0, &type, (BYTE *)data, &size);
        if (read == ERROR_SUCCESS && type == REG_SZ) {
            data[size < sizeof data ? size : sizeof data - 1] = 0;
            now = strcmp(data, entry->Value) == 0 ? ValueAsWritten : ValueChanged;
        } else if (read != ERROR_FILE_NOT_FOUND) {
            now = ValueChanged;
        }
    } else {
        key = 0;
    }
    switch (DecideValue(entry, now)) {
    case ValueRemove:
        if (RegDeleteValueA(key, entry->Name) == ERROR_SUCCESS)
            NoteRemoved("Registry value %s", shown);
        else
            NoteLeft("Registry value %s: could not be deleted", shown);
        break;
    case ValueRestore:
        if (RegSetValueExA(key, entry->Name, 0, entry->PriorType, entry->PriorData,
                           (DWORD)entry->PriorSize) == ERROR_SUCCESS)
            NoteRestored("Registry value %s: what it held before the installation", shown);
        else
            NoteLeft("Registry value %s: what it held before could not be put back", shown);
        break;
    case ValueGoneAlready: NoteGone("Registry value %s", shown); break;
    case ValueKeptChanged: NoteLeft("Registry value %s: changed since the installation", shown); break;
    case ValueKeptNotKept:
        NoteLeft("Registry value %s: what it held before was too large to keep", shown);
        break;
    }
    if (key) RegCloseKey(key);
    RemoveCreatedKeys(entry);
}

// A control character is no value of a profile: it marks a missing entry.
#define MissingEntryMark "\x01"

static void RemoveRecordedIni(const RecordEntry *entry)
{
    char current[RecordDataSize + 2], written[RecordTextSize];
    GetProfileStringA(entry->Text, entry->Name, MissingEntryMark, current, sizeof current);
    ProfileValueForm(entry->Value, written, sizeof written);
    ValueNow now = strcmp(current, MissingEntryMark) == 0 ? ValueMissing
                   : strcmp(current, written) == 0      ? ValueAsWritten
                                                        : ValueChanged;
    switch (DecideValue(entry, now)) {
    case ValueRemove: {
        WriteProfileStringA(entry->Text, entry->Name, 0);
        NoteRemoved("win.ini [%s] %s", entry->Text, entry->Name);
        // A section left without entries goes too.
        char keys[8];
        if (GetProfileStringA(entry->Text, 0, "", keys, sizeof keys) == 0)
            WriteProfileStringA(entry->Text, 0, 0);
        break;
    }
    case ValueRestore:
        WriteProfileStringA(entry->Text, entry->Name, (const char *)entry->PriorData);
        NoteRestored("win.ini [%s] %s: what it held before the installation", entry->Text,
                     entry->Name);
        break;
    case ValueGoneAlready: NoteGone("win.ini [%s] %s", entry->Text, entry->Name); break;
    case ValueKeptChanged:
        NoteLeft("win.ini [%s] %s: changed since the installation", entry->Text, entry->Name);
        break;
    case ValueKeptNotKept:
        NoteLeft("win.ini [%s] %s: what it held before was too large to keep", entry->Text,
                 entry->Name);
        break;
    }
}

// ---- program groups

#define UnsendableReason "its name holds a double quote or a control character, which " \
    "the shell's commands cannot carry"

static bool SameName(const char *a, const char *b) { return lstrcmpiA(a, b) == 0; }

// One conversation with the shell over the command text; false when it
// could not be held. *answer receives the shell's answer.
static bool SendGroupCommands(const char *text, DdeAnswer *answer)
{
    *answer = DdeNoAnswer;
    HGLOBAL commands = GlobalAlloc(GMEM_DDESHARE, GroupCommandTextSize);
    char *block = commands ? (char *)GlobalLock(commands) : 0;
    if (block) {
        CopyText(block, GroupCommandTextSize, text);
        GlobalUnlock(commands);
    }
    bool held = block && Program.CurrentDialog;
    if (held) HoldDdeConversation(Program.CurrentDialog, commands, answer);
    if (commands) GlobalFree(commands);
    Program.DdeWaiting = 0;
    return held;
}

// True when the group's folder under the user's Programs folder holds
// nothing; false also when it cannot be found.
static bool GroupFolderIsEmpty(const char *group)
{
    char programs[MAX_PATH], pattern[MAX_PATH];
    if (!ReadRegistryString(1, ShellFoldersKey, ProgramsValue, programs, sizeof programs) ||
        !programs[0] ||
        !FormatText(pattern, sizeof pattern, "%s\\%s\\*", programs, group))
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool empty = true;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0) empty = false;
    } while (empty && FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

static const char *AnswerReason(DdeAnswer answer)
{
    return !Program.DdePartner      ? "no shell answered"
           : answer == DdeRefused ? "the shell did not carry out all of it"
                                  : "the shell did not answer";
}

// One group: its added items, then the group itself when the installation
// created it and nothing else is left in it.
static void RemoveRecordedGroup(const RecordText *record, const RecordEntry *group,
                                char (*items)[RecordTextSize], const char **names, char *text)
{
    int count = 0;
    for (unsigned long i = 0; i < record->Count && count < MaxIcons; ++i) {
        EntryAt(record, i, &Entry);
        if (Entry.Kind != RecordItem || !SameName(Entry.Text, group->Text)) continue;
        if (Entry.Flag) {
            NoteLeft("Program item \"%s\" in \"%s\": it stood there before the installation",
                     Entry.Name, group->Text);
            continue;
        }
        if (!IsSendableGroupName(group->Text) || !IsSendableGroupName(Entry.Name)) {
            NoteLeft("Program item \"%s\" in \"%s\": " UnsendableReason, Entry.Name, group->Text);
            continue;
        }
        CopyText(items[count], RecordTextSize, Entry.Name);
        names[count] = items[count];
        ++count;
    }
    if (!IsSendableGroupName(group->Text)) {
        NoteLeft("Program group \"%s\": " UnsendableReason, group->Text);
        return;
    }
    DdeAnswer answer = DdeDone;
    text[0] = 0;
    if (count > 0) {
        if (!AppendGroupRemoval(text, GroupCommandTextSize, group->Text, false, names, count)) {
            NoteLeft("Program group \"%s\": too many items to name to the shell", group->Text);
            return;
        }
        SendGroupCommands(text, &answer);
        for (int i = 0; i < count; ++i) {
            if (answer == DdeDone)
                NoteRemoved("Program item \"%s\" in \"%s\"", names[i], group->Text);
            else
                NoteLeft("Program item \"%s\" in \"%s\": %s", names[i], group->Text,
                         AnswerReason(answer));
        }
    }
    if (group->Flag) {
        NoteLeft("Program group \"%s\": it existed before the installation", group->Text);
        return;
    }
    if (!GroupFolderIsEmpty(group->Text)) {
        NoteLeft("Program group \"%s\": it holds items the installation did not add, or is "
                 "no longer there",
                 group->Text);
        return;
    }
    text[0] = 0;
    AppendGroupRemoval(text, GroupCommandTextSize, group->Text, true, 0, 0);
    SendGroupCommands(text, &answer);
    if (answer == DdeDone)
        NoteRemoved("Program group \"%s\"", group->Text);
    else
        NoteLeft("Program group \"%s\": %s", group->Text, AnswerReason(answer));
}

static void RemoveRecordedGroups(const RecordText *record)
{
    static RecordEntry group;
    char (*items)[RecordTextSize] = (char (*)[RecordTextSize])malloc(sizeof *items * MaxIcons);
    const char **names = (const char **)malloc(sizeof *names * MaxIcons);
    char *text = (char *)malloc(GroupCommandTextSize);
    bool shown = false;
    for (unsigned long i = 0; items && names && text && i < record->Count; ++i) {
        EntryAt(record, i, &group);
        if (group.Kind != RecordGroup) continue;
        if (!shown) ShowStatus("Removing the program group...");
        shown = true;
        RemoveRecordedGroup(record, &group, items, names, text);
    }
    free(text);
    free(names);
    free(items);
}

// ---- directories

struct MadeDir {
    unsigned long Index;
    int Depth;
};

static int CompareDepth(const void *a, const void *b)
{
    const MadeDir *left = (const MadeDir *)a, *right = (const MadeDir *)b;
    if (left->Depth != right->Depth) return right->Depth - left->Depth;
    return left->Index < right->Index ? 1 : left->Index > right->Index ? -1 : 0;
}

static void RemoveRecordedDirectory(const RecordEntry *entry)
{
    char path[MAX_PATH];
    LongForm(entry->Text, path, sizeof path);
    if (!PathIsAtOrInside(path, InstallDir)) {
        NoteLeft("Directory %s: outside the install directory", entry->Text);
        return;
    }
    if (!SamePath(path, InstallDir) && ReachedThroughLink(path, InstallDir)) {
        NoteLeft("Directory %s: reached through a junction or symbolic link, or is one",
                 entry->Text);
        return;
    }
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        NoteGone("Directory %s", entry->Text);
        return;
    }
    if (RemoveDirectoryA(path))
        NoteRemoved("Directory %s", entry->Text);
    else
        NoteLeft("Directory %s: not empty (it holds files that the setup did not install)",
                 entry->Text);
}

static void RemoveRecordedDirectories(const RecordText *record)
{
    MadeDir *dirs = (MadeDir *)malloc(sizeof(MadeDir) * (record->Count ? record->Count : 1));
    if (!dirs) return;
    unsigned long count = 0;
    for (unsigned long i = 0; i < record->Count; ++i) {
        EntryAt(record, i, &Entry);
        if (Entry.Kind != RecordDir || !Entry.Flag) continue;
        dirs[count].Index = i;
        dirs[count].Depth = PathDepth(Entry.Text);
        ++count;
    }
    qsort(dirs, count, sizeof *dirs, CompareDepth);
    for (unsigned long i = 0; i < count; ++i) {
        EntryAt(record, dirs[i].Index, &Entry);
        RemoveRecordedDirectory(&Entry);
        StepProgress();
    }
    free(dirs);
}

void RemoveByRecord(const RecordText *record)
{
    char longTemp[MAX_PATH];
    LongForm(TempDir, longTemp, sizeof longTemp);
    RemoveRecordedGroups(record);
    ShowStatus("Removing settings and files...");
    for (unsigned long i = record->Count; i-- > 0;) {
        EntryAt(record, i, &Entry);
        switch (Entry.Kind) {
        case RecordIni: RemoveRecordedIni(&Entry); break;
        case RecordReg: RemoveRecordedValue(&Entry); break;
        case RecordFile: RemoveRecordedFile(&Entry, longTemp); break;
        default: continue;
        }
        StepProgress();
    }
    RemoveOwnFiles();
    ShowStatus("Removing directories...");
    RemoveRecordedDirectories(record);
}
