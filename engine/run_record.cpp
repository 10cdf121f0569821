#include "run_record.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/crc32.h"
#include "core/record_name.h"
#include "core/text.h"
#include "fileops.h"
#include "win32/record_digest.h"
#include "win32/whole_file.h"

static FILE *RunFile;
// One entry and one line at a time: each is too large for the stack of a
// message handler's caller.
static RecordEntry Entry, Earlier;
static char Line[RecordLineSize];
// The product's own names: its record and this run's file.
static const char *RunTitle;
static char RecordName[RecordNameSize], RunName[RecordNameSize];

bool RunRecordOpen() { return RunFile != 0; }

void RecordEntryOfRun(const RecordEntry *entry)
{
    if (!RunFile || !FormatRecordLine(entry, Line, sizeof Line)) return;
    // Each entry reaches the file at once, so that a crash keeps it.
    fputs(Line, RunFile);
    fflush(RunFile);
}

void OpenRunRecord(const char *tempDir, const char *productTitle)
{
    char path[MAX_PATH];
    RunFile = 0;
    RunTitle = productTitle;
    if (!FormatProductFileName(productTitle, RecordExtension, RecordName, sizeof RecordName) ||
        !FormatProductFileName(productTitle, RunExtension, RunName, sizeof RunName) ||
        !JoinPath(path, sizeof path, tempDir, RunName))
        return;
    // A run that crashed left its file: this run's entries follow its own,
    // and the merge takes them all. A line cut by the crash is ended first.
    bool leftover = FileIsPresent(path);
    RunFile = fopen(path, "ab");
    if (!RunFile) return;
    if (leftover)
        fputs("\r\n", RunFile);
    else if (FormatRecordHeader(Line, sizeof Line))
        fputs(Line, RunFile);
    StartRecordEntry(&Entry, RecordTitle);
    CopyText(Entry.Text, sizeof Entry.Text, productTitle);
    RecordEntryOfRun(&Entry);
}

void RecordTextsOfRun(RecordEntry *entry, const char *text, const char *name, const char *value)
{
    if (CopyText(entry->Text, sizeof entry->Text, text) &&
        CopyText(entry->Name, sizeof entry->Name, name) &&
        CopyText(entry->Value, sizeof entry->Value, value))
        RecordEntryOfRun(entry);
}

void RecordRunDirectory(const char *path, bool made)
{
    if (!RunFile) return;
    StartRecordEntry(&Entry, RecordDir);
    Entry.Flag = made;
    RecordTextsOfRun(&Entry, path);
}

void RecordRunFile(const char *path, bool replaced, unsigned long size, unsigned long crc)
{
    if (!RunFile) return;
    StartRecordEntry(&Entry, RecordFile);
    Entry.Flag = replaced;
    Entry.Size = size;
    Entry.Crc = crc;
    RecordTextsOfRun(&Entry, path);
}

// ---- the merge at cleanup

// The merged record's lines: each points into the earlier record's text or,
// when a later run changed or added it, to a copy of its own.
struct MergedLine {
    const char *Text;
    size_t Size;
    bool Owned;
};

struct MergedLines {
    MergedLine *Lines;
    unsigned long Count;
    unsigned long Capacity;
    unsigned long *Slots;  // open addressing by subject hash: line index + 1, 0 empty
    unsigned long SlotCount;
};

static void FreeMerged(MergedLines *merged)
{
    for (unsigned long i = 0; i < merged->Count; ++i)
        if (merged->Lines[i].Owned) free((void *)merged->Lines[i].Text);
    free(merged->Lines);
    free(merged->Slots);
}

static bool StartMerged(MergedLines *merged, unsigned long capacity)
{
    memset(merged, 0, sizeof *merged);
    merged->Capacity = capacity ? capacity : 1;
    merged->SlotCount = 1;
    while (merged->SlotCount < 2 * merged->Capacity) merged->SlotCount *= 2;
    merged->Lines = (MergedLine *)calloc(merged->Capacity, sizeof *merged->Lines);
    merged->Slots = (unsigned long *)calloc(merged->SlotCount, sizeof *merged->Slots);
    return merged->Lines && merged->Slots;
}

// The slot of entry's subject: the one holding a line about it, or the
// empty one where it goes.
static unsigned long *SlotOf(MergedLines *merged, const RecordEntry *entry)
{
    unsigned long mask = merged->SlotCount - 1;
    for (unsigned long slot = RecordSubjectHash(entry) & mask;; slot = (slot + 1) & mask) {
        unsigned long held = merged->Slots[slot];
        if (!held) return &merged->Slots[slot];
        const MergedLine &kept = merged->Lines[held - 1];
        if (ParseRecordLine(kept.Text, kept.Size, &Earlier) && SameRecordSubject(&Earlier, entry))
            return &merged->Slots[slot];
    }
}

// Adds entry (a later run's) to the merged lines: a line of its own when
// owned, else line itself. An entry about a subject already there is merged
// into that line. False when out of memory.
static bool MergeEntry(MergedLines *merged, const RecordEntry *entry, const char *line,
                       size_t size, bool owned)
{
    unsigned long *slot = SlotOf(merged, entry);
    MergedLine *kept;
    if (*slot) {
        kept = &merged->Lines[*slot - 1];
        MergeRecordEntry(&Earlier, entry);
        entry = &Earlier;
        owned = true;
    } else {
        if (merged->Count == merged->Capacity) return false;
        kept = &merged->Lines[merged->Count];
    }
    if (owned) {
        // One that cannot be written keeps the earlier line, or is left out.
        if (!FormatRecordLine(entry, Line, sizeof Line)) return true;
        size = strlen(Line) - 2;  // without its line end
        char *copy = (char *)malloc(size + 1);
        if (!copy) return false;
        memcpy(copy, Line, size + 1);
        if (kept->Owned) free((void *)kept->Text);
        line = copy;
    }
    kept->Text = line;
    kept->Size = size;
    kept->Owned = owned;
    if (!*slot) *slot = ++merged->Count;
    return true;
}

static unsigned long CountLines(const char *text, size_t length)
{
    unsigned long count = 0;
    for (size_t i = 0; i < length; ++i) count += text[i] == '\n';
    return count;
}

// Writes the merged record to path; false (and the file deleted) on any
// write error.
static Sha256 Digest;
static bool WriteFailed;

// Writes size bytes to file, into the CRC and the digest.
static unsigned long WriteCounted(FILE *file, unsigned long crc, const char *text, size_t size)
{
    if (fwrite(text, 1, size, file) != size) WriteFailed = true;
    UpdateSha256(&Digest, text, size);
    return UpdateCrc32(crc, text, size);
}

// Writes the merged record to path, its digest into hex; false (and the
// file deleted) on any write error.
static bool WriteMerged(const MergedLines *merged, const char *path, char *hex)
{
    FILE *file = fopen(path, "wb");
    if (!file) return false;
    StartSha256(&Digest);
    WriteFailed = false;
    unsigned long crc = Crc32Start;
    bool written = FormatRecordHeader(Line, sizeof Line);
    if (written) crc = WriteCounted(file, crc, Line, strlen(Line));
    for (unsigned long i = 0; written && i < merged->Count; ++i) {
        crc = WriteCounted(file, crc, merged->Lines[i].Text, merged->Lines[i].Size);
        crc = WriteCounted(file, crc, "\r\n", 2);
    }
    written = written && FormatRecordEnd(merged->Count, crc, Line, sizeof Line);
    if (written) WriteCounted(file, crc, Line, strlen(Line));
    FinishSha256Hex(&Digest, hex);
    written = written && !WriteFailed && fflush(file) == 0;
    if (fclose(file) != 0) written = false;
    if (!written) DeleteFileA(path);
    return written;
}

void CloseRunRecord(const char *tempDir, const char *installPath)
{
    if (!RunFile) return;
    fclose(RunFile);
    RunFile = 0;
    char runPath[MAX_PATH], recordPath[MAX_PATH], mergedPath[MAX_PATH];
    if (!JoinPath(runPath, sizeof runPath, tempDir, RunName) ||
        !JoinPath(recordPath, sizeof recordPath, installPath, RecordName) ||
        !FormatText(mergedPath, sizeof mergedPath, "%s\\~%s", installPath, RecordName))
        return;
    // No install directory: the run's record stays in the temporary
    // directory, as the log does.
    if (!DirectoryIsPresent(installPath)) return;

    size_t earlierLength = 0, runLength = 0;
    char *earlier = 0, earlierDigest[Sha256HexSize] = "";
    if (GetFileAttributesA(recordPath) != INVALID_FILE_ATTRIBUTES) {
        earlier = ReadWholeFile(recordPath, RecordFileLimit, &earlierLength);
        // A record that cannot be read or does not check out is left as it
        // is: the uninstaller refuses it rather than forget what it held.
        unsigned long count;
        if (!earlier || CheckRecord(earlier, earlierLength, &count) != RecordIntact) {
            free(earlier);
            return;
        }
        // One that its product's digests do not vouch for was not written
        // by it: nothing of it is taken over, it is replaced.
        if (VouchRecord(earlier, earlierLength, RunTitle) <= RecordVouchNone) {
            free(earlier);
            earlier = 0;
            earlierLength = 0;
        } else {
            RecordDigest(earlier, earlierLength, earlierDigest);
        }
    }
    char *run = ReadWholeFile(runPath, RecordFileLimit, &runLength);
    if (!run) {
        free(earlier);
        return;
    }
    MergedLines merged;
    bool ok = StartMerged(&merged, CountLines(earlier, earlierLength) + CountLines(run, runLength));
    // The earlier record's lines first, as they stand; then the run's file,
    // which has no end line: every complete line that reads as an entry
    // counts (a line cut by a crash does not).
    const char *texts[2] = {earlier, run};
    size_t lengths[2] = {earlierLength, runLength};
    for (int fromRun = 0; fromRun < 2; ++fromRun) {
        if (!texts[fromRun]) continue;
        RecordCursor cursor;
        const char *line;
        size_t size;
        StartRecordCursor(&cursor, texts[fromRun], lengths[fromRun]);
        while (ok && NextRecordLine(&cursor, &line, &size, 0))
            if (ParseRecordLine(line, size, &Entry))
                ok = MergeEntry(&merged, &Entry, line, size, fromRun);
            else if (!fromRun)
                ok = false;
    }

    char hex[Sha256HexSize];
    if (ok && WriteMerged(&merged, mergedPath, hex)) {
        if (MoveReplacing(mergedPath, recordPath)) {
            StoreRecordDigest(hex, earlierDigest[0] ? earlierDigest : 0, RunTitle);
            DeleteFileA(runPath);
        } else {
            DeleteFileA(mergedPath);
        }
    }
    FreeMerged(&merged);
    free(run);
    free(earlier);
}
