// The three file operations over the real file system and lz32.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include <functional>

#include "core/crc32.h"
#include "engine/fileops.h"
#include "win32/platform.h"
#include "support.h"

namespace {

std::string DataFile(const char *name)
{
    // TEST_DATA_DIR is a Linux path; Wine maps it below Z:.
    const char *dir = getenv("TEST_DATA_DIR");
    std::string path = std::string("Z:") + (dir ? dir : "") + "/" + name;
    for (char &c : path)
        if (c == '/') c = '\\';
    return path;
}

// An LZ-compressed file made by hand: header, then all literals, in groups of
// eight behind a flag byte of set bits.
std::string Compressed(const std::string &data)
{
    std::string out("SZDD\x88\xf0\x27\x33", 8);
    out += 'A';
    out += data.empty() ? '\0' : data.back();
    unsigned length = (unsigned)data.size();
    for (int i = 0; i < 4; ++i) out += (char)((length >> (8 * i)) & 0xFF);
    for (size_t i = 0; i < data.size(); i += 8) {
        out += '\xff';
        out += data.substr(i, 8);
    }
    return out;
}

std::string Pattern(size_t size)
{
    std::string data(size, 0);
    for (size_t i = 0; i < size; ++i) data[i] = (char)(i * 7 + i / 251);
    return data;
}

TEST(ExpandFile, ExpandsWhatMscompressMade)
{
    std::string dir = ScratchDir("expand_mscompress");
    std::string destination = dir + "\\multiblock.bin";
    EXPECT_EQ(FileWritten, ExpandFile(DataFile("multiblock.bi_").c_str(), destination.c_str()));
    std::string expected = ReadWholeFile(DataFile("multiblock.bin"));
    ASSERT_GT(expected.size(), 30000u);
    EXPECT_TRUE(ReadWholeFile(destination) == expected);
}

TEST(ExpandFile, HandBuiltEmptyAndTinyFiles)
{
    std::string dir = ScratchDir("expand_tiny");
    const std::string cases[] = {"", "x", "hi\n", "fifteen bytes!!", "exactly sixteen!", Pattern(40)};
    int n = 0;
    for (const std::string &data : cases) {
        SCOPED_TRACE("size " + std::to_string(data.size()));
        std::string source = dir + "\\t" + std::to_string(n) + ".tx_";
        std::string destination = dir + "\\t" + std::to_string(n++) + ".txt";
        WriteWholeFile(source, Compressed(data));
        EXPECT_EQ(FileWritten, ExpandFile(source.c_str(), destination.c_str()));
        ASSERT_TRUE(FileExists(destination));
        EXPECT_TRUE(ReadWholeFile(destination) == data);
    }
}

TEST(ExpandFile, UncompressedSourceIsCopiedUnchanged)
{
    std::string dir = ScratchDir("expand_plain");
    std::string source = dir + "\\plain.bin", destination = dir + "\\copy.bin";
    std::string data = Pattern(70000);
    WriteWholeFile(source, data);
    WriteWholeFile(destination, std::string(100000, 'o'));
    EXPECT_EQ(FileWritten, ExpandFile(source.c_str(), destination.c_str()));
    EXPECT_TRUE(ReadWholeFile(destination) == data);
}

// The caller logs only FileWritten (tests/unit/test_transfer.cpp).
TEST(ExpandFile, MissingSourceLeavesDestinationAlone)
{
    std::string dir = ScratchDir("expand_missing");
    std::string existing = dir + "\\installed.dll", absent = dir + "\\absent.dll";
    WriteWholeFile(existing, "installed content");
    EXPECT_EQ(FileNoSource, ExpandFile((dir + "\\nothing.dl_").c_str(), existing.c_str()));
    EXPECT_EQ(FileNoSource, ExpandFile((dir + "\\nothing.dl_").c_str(), absent.c_str()));
    EXPECT_EQ("installed content", ReadWholeFile(existing));
    EXPECT_FALSE(FileExists(absent));
}

unsigned long CrcOf(const std::string &data) { return UpdateCrc32(Crc32Start, data.data(), data.size()); }

// What each placement reports: whether a file stood there, and the size and
// CRC-32 of the bytes written, for both operations and sources of every size.
TEST(FilePlaced, ReportsWhatWasFoundAndWritten)
{
    std::string dir = ScratchDir("file_placed");
    std::string destination = dir + "\\placed.bin", source = dir + "\\source.bi_";
    struct {
        const char *name;
        std::string data;
        bool compressed, raw, standing;
    } cases[] = {
        {"empty, fresh, expanded", "", true, false, false},
        {"tiny, replacing, expanded", "x", true, false, true},
        {"multi-block, fresh, expanded", Pattern(70000), true, false, false},
        {"plain source, replacing, expanded", Pattern(CopyBlockSize), false, false, true},
        {"raw copy, fresh", Pattern(40000), false, true, false},
        {"raw copy, replacing", "abc", false, true, true},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(destination.c_str());
        if (c.standing) WriteWholeFile(destination, std::string(90000, 'o'));
        std::string written = c.compressed ? Compressed(c.data) : c.data;
        WriteWholeFile(source, written);
        FilePlaced placed = {!c.standing, 12345, 678};
        FileResult result = c.raw ? CopyRawFile(source.c_str(), destination.c_str(), &placed)
                                  : ExpandFile(source.c_str(), destination.c_str(), &placed);
        ASSERT_EQ(FileWritten, result);
        EXPECT_EQ(c.standing, placed.Replaced);
        EXPECT_EQ(c.data.size(), placed.Size);
        EXPECT_EQ(CrcOf(c.data), placed.Crc32);
        EXPECT_TRUE(ReadWholeFile(destination) == c.data);
    }
    // The mscompress sample: the CRC of what the file now holds.
    FilePlaced placed;
    std::string sample = dir + "\\multiblock.bin";
    ASSERT_EQ(FileWritten, ExpandFile(DataFile("multiblock.bi_").c_str(), sample.c_str(), &placed));
    EXPECT_FALSE(placed.Replaced);
    EXPECT_EQ(CrcOf(ReadWholeFile(DataFile("multiblock.bin"))), placed.Crc32);
}

TEST(CopyRawFile, CopiesWholeFilesOfAnySize)
{
    std::string dir = ScratchDir("copy_raw");
    for (size_t size : {(size_t)0, (size_t)1, (size_t)CopyBlockSize, (size_t)70000}) {
        SCOPED_TRACE("size " + std::to_string(size));
        std::string source = dir + "\\src.bin", destination = dir + "\\dst.bin";
        DeleteFileA(destination.c_str());
        std::string data = Pattern(size);
        WriteWholeFile(source, data);
        EXPECT_EQ(0, CopyRawFile(source.c_str(), destination.c_str()));
        ASSERT_TRUE(FileExists(destination));
        EXPECT_TRUE(ReadWholeFile(destination) == data);
    }
}

TEST(CopyRawFile, ReplacesALongerDestinationEntirely)
{
    std::string dir = ScratchDir("copy_over");
    std::string source = dir + "\\short.txt", destination = dir + "\\long.txt";
    WriteWholeFile(source, "new");
    WriteWholeFile(destination, std::string(50000, 'o'));
    EXPECT_EQ(0, CopyRawFile(source.c_str(), destination.c_str()));
    EXPECT_EQ("new", ReadWholeFile(destination));
}

TEST(CopyRawFile, FailuresOfEitherSide)
{
    std::string dir = ScratchDir("copy_fail");
    std::string source = dir + "\\src.txt";
    WriteWholeFile(source, "data");
    EXPECT_EQ(FileDenied, CopyRawFile(source.c_str(), (dir + "\\no\\such\\dst.txt").c_str()));
    // A missing source creates nothing.
    std::string destination = dir + "\\dst.txt";
    EXPECT_EQ(FileNoSource, CopyRawFile((dir + "\\missing.txt").c_str(), destination.c_str()));
    EXPECT_FALSE(FileExists(destination));
}

// The files of a directory whose names hold the temporary suffix.
int StagingLeftovers(const std::string &dir)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*.~*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// Every way a file operation can fail leaves the installed file as it was,
// no temporary file behind, and a result other than FileWritten (so no log
// line).
TEST(FileOperations, FailuresLeaveTheDestinationAsItWas)
{
    std::string dir = ScratchDir("whole_or_nothing");
    std::string installed = dir + "\\installed.dll";
    std::string whole = Compressed(Pattern(5000));
    std::string truncated = whole.substr(0, whole.size() / 2);
    std::string badMethod = whole;
    badMethod[8] = 'Q';  // an unknown compression method
    HANDLE held = INVALID_HANDLE_VALUE;
    struct {
        const char *name;
        std::string source;
        std::function<void()> prepare, release;
        FileResult expand, copy;
    } cases[] = {
        {"truncated source", truncated, [] {}, [] {}, FileDamaged, FileWritten},
        {"unknown method", badMethod, [] {}, [] {}, FileDamaged, FileWritten},
        {"read-only destination", whole,
         [&] { SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_READONLY); },
         [&] { SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_NORMAL); }, FileDenied,
         FileDenied},
        {"destination held open without sharing", whole,
         [&] {
             held = CreateFileA(installed.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
             ASSERT_NE(INVALID_HANDLE_VALUE, held);
         },
         [&] { CloseHandle(held); }, FileDenied, FileDenied},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string source = dir + "\\new.dl_";
        WriteWholeFile(source, c.source);
        WriteWholeFile(installed, "installed content");
        c.prepare();
        FileResult expanded = FileWritten, copied = FileWritten;
        expanded = ExpandFile(source.c_str(), installed.c_str());
        EXPECT_EQ(c.expand, expanded);
        if (c.copy != FileWritten) {
            copied = CopyRawFile(source.c_str(), installed.c_str());
            EXPECT_EQ(c.copy, copied);
        }
        c.release();
        EXPECT_EQ("installed content", ReadWholeFile(installed));
        EXPECT_EQ(0, StagingLeftovers(dir));
    }
    // Once released, the same destination is replaced.
    std::string source = dir + "\\new.dl_";
    WriteWholeFile(source, whole);
    EXPECT_EQ(FileWritten, ExpandFile(source.c_str(), installed.c_str()));
    EXPECT_TRUE(ReadWholeFile(installed) == Pattern(5000));
}

// Gives path the time of last writing that model has.
void CopyWriteTime(const std::string &model, const std::string &path)
{
    FILETIME written;
    HANDLE from = CreateFileA(model.c_str(), GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, from);
    ASSERT_TRUE(GetFileTime(from, 0, 0, &written));
    CloseHandle(from);
    HANDLE to = CreateFileA(path.c_str(), GENERIC_WRITE, 0, 0, OPEN_EXISTING, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, to);
    ASSERT_TRUE(SetFileTime(to, 0, 0, &written));
    CloseHandle(to);
}

// A standing file is judged from its name (the source itself is found only
// where size and time agree) and replaced by renaming the staged file through
// its handle or, as before Windows Vista, closed and moved: both ways give
// one result per case, the old file kept on failure and nothing left behind.
TEST(FileOperations, ReplacingAgreesOnEitherWayOfRenaming)
{
    std::string dir = ScratchDir("replacing");
    std::string installed = dir + "\\installed.dll", source = dir + "\\new.dl_";
    std::string packed = Compressed(Pattern(5000));
    HANDLE held = INVALID_HANDLE_VALUE;
    struct {
        const char *name;
        std::function<void()> prepare, release;
        bool sourceItself;
        FileResult result;
    } cases[] = {
        {"over a file", [] {}, [] {}, false, FileWritten},
        {"held open without sharing",
         [&] { held = CreateFileA(installed.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0); },
         [&] { CloseHandle(held); }, false, FileDenied},
        {"read-only", [&] { SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_READONLY); },
         [&] { SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_NORMAL); }, false, FileDenied},
        {"another file of the source's size and time",
         [&] {
             WriteWholeFile(installed, std::string(packed.size(), 'o'));
             CopyWriteTime(source, installed);
         },
         [] {}, false, FileWritten},
        {"the source itself", [] {}, [] {}, true, FileSkipped},
        {"the source itself, read-only",
         [&] { SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY); },
         [&] { SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL); }, true, FileSkipped},
    };
    std::string stagingDir = dir + "\\~STAGING.TMP";
    for (int way = 0; way < 4; ++way) {
        bool throughHandle = way & 1, inDirectory = way & 2;
        UseRenameThroughHandle(throughHandle);
        if (inDirectory) BeginStagingDirectories();
        for (auto &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (throughHandle ? ", through the handle" : ", moved") +
                         (inDirectory ? ", staged in a directory" : ", staged beside"));
            WriteWholeFile(source, packed);
            WriteWholeFile(installed, "installed content");
            std::string before = ReadWholeFile(installed);
            c.prepare();
            // The source itself is named in another spelling.
            std::string target = c.sourceItself ? dir + "\\.\\NEW.DL_" : installed;
            FilePlaced placed;
            EXPECT_EQ(c.result, ExpandFile(source.c_str(), target.c_str(), &placed));
            EXPECT_TRUE(placed.Replaced);
            c.release();
            if (c.result == FileWritten) {
                EXPECT_TRUE(ReadWholeFile(installed) == Pattern(5000));
            } else {
                EXPECT_EQ(before, ReadWholeFile(installed));
            }
            EXPECT_TRUE(packed == ReadWholeFile(source));
            EXPECT_EQ(0, StagingLeftovers(dir));
            EXPECT_EQ(0, StagingLeftovers(stagingDir));
        }
        if (inDirectory) {
            EXPECT_TRUE(FileExists(stagingDir));
            EndStagingDirectories();
        }
        EXPECT_FALSE(FileExists(stagingDir));
    }
    UseRenameThroughHandle(true);
}

FILETIME WriteTimeOf(const std::string &path)
{
    FILETIME written = {0, 0};
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, 0, OPEN_EXISTING, 0, 0);
    GetFileTime(file, 0, 0, &written);
    CloseHandle(file);
    return written;
}

// With the script's size and CRC-32, a standing file that holds them is
// read and left alone, read-only too and whatever became of the source;
// anything else is replaced whole as without them. The destination is read
// before the source is opened when the last destination had a file
// standing, after it otherwise: both give one result per case.
TEST(FileChecks, AFileInPlaceIsLeftAndAnyOtherReplaced)
{
    std::string dir = ScratchDir("file_checks");
    std::string installed = dir + "\\checked.bin", source = dir + "\\checked.bi_";
    std::string primer = dir + "\\primer.bin", data = Pattern(70000);
    std::string otherCrc = data, otherSize = data + "x";
    otherCrc[40000] ^= 1;
    FileCheck check = {(unsigned long)data.size(), CrcOf(data)};
    HANDLE held = INVALID_HANDLE_VALUE;
    struct {
        const char *name;
        const std::string *standing;  // null: nothing there
        const FileCheck *check;
        std::function<void()> prepare, release;
        bool sourcePresent;
        FileResult result;
    } cases[] = {
        {"same size and CRC", &data, &check, [] {}, [] {}, true, FileInPlace},
        {"same size, other CRC", &otherCrc, &check, [] {}, [] {}, true, FileWritten},
        {"other size", &otherSize, &check, [] {}, [] {}, true, FileWritten},
        {"no size in the script", &data, 0, [] {}, [] {}, true, FileWritten},
        // Held by a program that lets others write it (and, on the NT family,
        // rename it), not read: not taken as in place, but replaced, which
        // the hold refuses: the file stays as it was.
        {"a read error on the standing file", &data, &check,
         [&] {
             DWORD share = FILE_SHARE_WRITE | (IsWindows95Family() ? 0 : FILE_SHARE_DELETE);
             held = CreateFileA(installed.c_str(), GENERIC_WRITE, share, 0, OPEN_EXISTING, 0, 0);
         },
         [&] { CloseHandle(held); }, true, FileDenied},
        {"read-only, same content", &data, &check,
         [&] { SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_READONLY); },
         [&] { SetFileAttributesA(installed.c_str(), FILE_ATTRIBUTE_NORMAL); }, true, FileInPlace},
        {"source missing, same content", &data, &check, [] {}, [] {}, false, FileInPlace},
        {"source missing, other content", &otherCrc, &check, [] {}, [] {}, false, FileNoSource},
        {"nothing standing", 0, &check, [] {}, [] {}, true, FileWritten},
    };
    for (int destinationFirst = 0; destinationFirst < 2; ++destinationFirst) {
        for (auto &c : cases) {
            SCOPED_TRACE(std::string(c.name) + (destinationFirst ? ", destination read first"
                                                                 : ", source opened first"));
            // What the last destination was sets the order.
            WriteWholeFile(source, Compressed("primer"));
            DeleteFileA(primer.c_str());
            if (destinationFirst) WriteWholeFile(primer, "standing");
            ASSERT_EQ(FileWritten, ExpandFile(source.c_str(), primer.c_str()));

            WriteWholeFile(source, Compressed(data));
            if (!c.sourcePresent) DeleteFileA(source.c_str());
            DeleteFileA(installed.c_str());
            FILETIME before = {0, 0};
            if (c.standing) {
                WriteWholeFile(installed, *c.standing);
                CopyWriteTime(primer, installed);
                before = WriteTimeOf(installed);
            }
            c.prepare();
            FilePlaced placed = {false, 0, 0};
            FileResult result = ExpandFile(source.c_str(), installed.c_str(), &placed, c.check);
            c.release();
            EXPECT_EQ(c.result, result);
            FILETIME after = WriteTimeOf(installed);
            bool untouched = CompareFileTime(&before, &after) == 0;
            if (c.result != FileWritten) {
                EXPECT_TRUE(untouched);
                EXPECT_TRUE(ReadWholeFile(installed) == *c.standing);
            } else {
                EXPECT_FALSE(untouched);
                EXPECT_TRUE(ReadWholeFile(installed) == data);
            }
            if (c.result == FileInPlace || c.result == FileWritten) {
                EXPECT_EQ(c.standing != 0, placed.Replaced);
                EXPECT_EQ(data.size(), placed.Size);
                EXPECT_EQ(CrcOf(data), placed.Crc32);
            }
            EXPECT_EQ(0, StagingLeftovers(dir));
        }
    }
}

// Staging directories are made on first use, at most 16, taken over from a
// run that crashed, and removed at the end; where none can be had the file
// is staged beside as before.
TEST(StagingDirectories, MadeOnUseTakenOverAndRemoved)
{
    std::string dir = ScratchDir("staging_dirs");
    std::string source = dir + "\\new.bin";
    WriteWholeFile(source, "new");
    const int directories = 18;
    struct {
        const char *name;
        std::function<void(const std::string &)> prepare;
        bool staged;  // a staging directory there during the transfer
    } cases[] = {
        {"nothing there", [](const std::string &) {}, true},
        {"left by a crash, with a staged file",
         [](const std::string &d) {
             CreateDirectoryA((d + "\\~STAGING.TMP").c_str(), 0);
             WriteWholeFile(d + "\\~STAGING.TMP\\f.txt.~00", "partial");
         },
         true},
        {"a file of that name", [](const std::string &d) { WriteWholeFile(d + "\\~STAGING.TMP", "x"); },
         false},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        BeginStagingDirectories();
        int used = 0;
        for (int i = 0; i < directories; ++i) {
            std::string d = dir + "\\d" + std::to_string(i);
            RemoveDirectoryA((d + "\\~STAGING.TMP").c_str());
            CreateDirectoryA(d.c_str(), 0);
            DeleteFileA((d + "\\~STAGING.TMP").c_str());
            WriteWholeFile(d + "\\f.txt", "old");
            if (i == 0) c.prepare(d);
            EXPECT_EQ(FileWritten, CopyRawFile(source.c_str(), (d + "\\f.txt").c_str())) << i;
            EXPECT_EQ("new", ReadWholeFile(d + "\\f.txt")) << i;
            // Once 16 are made, the directories after stage beside the file.
            bool expected = used < 16 && (i > 0 || c.staged);
            used += expected;
            DWORD attributes = GetFileAttributesA((d + "\\~STAGING.TMP").c_str());
            bool staged = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            EXPECT_EQ(expected, staged) << i;
            EXPECT_EQ(0, StagingLeftovers(d)) << i;
            if (staged) {
                EXPECT_EQ(0, StagingLeftovers(d + "\\~STAGING.TMP")) << i;
            }
        }
        EndStagingDirectories();
        for (int i = 0; i < directories; ++i) {
            std::string d = dir + "\\d" + std::to_string(i);
            bool fileLeft = i == 0 && !c.staged;
            EXPECT_EQ(fileLeft, FileExists(d + "\\~STAGING.TMP")) << i;
            if (fileLeft) DeleteFileA((d + "\\~STAGING.TMP").c_str());
        }
    }
    // Outside the transfer nothing is made.
    std::string d = dir + "\\d0";
    EXPECT_EQ(FileWritten, CopyRawFile(source.c_str(), (d + "\\f.txt").c_str()));
    EXPECT_FALSE(FileExists(d + "\\~STAGING.TMP"));
    // What a crash left is removed when its directory is entered again.
    CreateDirectoryA((d + "\\~STAGING.TMP").c_str(), 0);
    WriteWholeFile(d + "\\~STAGING.TMP\\f.txt.~00", "partial");
    EXPECT_TRUE(RemoveStagingLeftovers(d.c_str()));
    EXPECT_FALSE(FileExists(d + "\\~STAGING.TMP"));
    EXPECT_FALSE(RemoveStagingLeftovers(d.c_str()));
    // A directory of that name holding anything but staged files is someone
    // else's: only staged files go, the rest and the directory stay.
    CreateDirectoryA((d + "\\~STAGING.TMP").c_str(), 0);
    WriteWholeFile(d + "\\~STAGING.TMP\\f.txt.~07", "partial");
    WriteWholeFile(d + "\\~STAGING.TMP\\notes.~7", "mine");
    EXPECT_FALSE(RemoveStagingLeftovers(d.c_str()));
    EXPECT_FALSE(FileExists(d + "\\~STAGING.TMP\\f.txt.~07"));
    EXPECT_EQ("mine", ReadWholeFile(d + "\\~STAGING.TMP\\notes.~7"));
    BeginStagingDirectories();
    EXPECT_EQ(FileWritten, CopyRawFile(source.c_str(), (d + "\\f.txt").c_str()));
    EndStagingDirectories();
    EXPECT_EQ("mine", ReadWholeFile(d + "\\~STAGING.TMP\\notes.~7"));
}

// With no file at the destination the new file is written under its own
// name; every failure removes it again, so the destination stays absent.
TEST(FileOperations, FailuresLeaveANewDestinationAbsent)
{
    std::string dir = ScratchDir("new_whole_or_nothing");
    std::string whole = Compressed(Pattern(70000));
    std::string badMethod = whole;
    badMethod[8] = 'Q';
    struct {
        const char *name;
        std::string source, destination;
        FileResult expand;
    } cases[] = {
        {"truncated source", whole.substr(0, whole.size() / 2), dir + "\\new.bin", FileDamaged},
        {"cut header", whole.substr(0, 11), dir + "\\new.bin", FileDamaged},
        {"unknown method", badMethod, dir + "\\new.bin", FileDamaged},
        {"missing directory", whole, dir + "\\no\\new.bin", FileDenied},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string source = dir + "\\new.bi_";
        WriteWholeFile(source, c.source);
        FilePlaced placed;
        EXPECT_EQ(c.expand, ExpandFile(source.c_str(), c.destination.c_str(), &placed));
        EXPECT_FALSE(placed.Replaced);
        EXPECT_FALSE(FileExists(c.destination));
        EXPECT_EQ(0, StagingLeftovers(dir));
    }
}

// The source opened tells its length (the expanded one) before anything is
// written, for the transfer's drawing before a long file.
unsigned long ReportedBytes;
int Reports;
void RecordSource(unsigned long bytes)
{
    ReportedBytes = bytes;
    ++Reports;
}

TEST(FileOperations, SourceLengthIsReportedOnceOpened)
{
    std::string dir = ScratchDir("source_hook");
    std::string packed = dir + "\\p.bi_", plain = dir + "\\plain.bin", out = dir + "\\out";
    WriteWholeFile(packed, Compressed(Pattern(300000)));
    WriteWholeFile(plain, Pattern(5000));
    SetSourceOpenedHook(RecordSource);
    struct {
        const char *name;
        std::function<FileResult()> run;
        unsigned long bytes;
        int reports;
    } cases[] = {
        {"expansion", [&] { return ExpandFile(packed.c_str(), out.c_str()); }, 300000, 1},
        {"plain source", [&] { return ExpandFile(plain.c_str(), out.c_str()); }, 5000, 1},
        {"raw copy", [&] { return CopyRawFile(packed.c_str(), out.c_str()); },
         (unsigned long)Compressed(Pattern(300000)).size(), 1},
        {"missing source", [&] { return CopyRawFile((dir + "\\none").c_str(), out.c_str()); }, 0, 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        ReportedBytes = 0;
        Reports = 0;
        c.run();
        EXPECT_EQ(c.reports, Reports);
        EXPECT_EQ(c.bytes, ReportedBytes);
    }
    SetSourceOpenedHook(0);
}

TEST(SetAside, NamesAndRecovery)
{
    struct { const char *name, *original; } names[] = {
        {"a.txt.~o00", "a.txt"}, {"b.~o99", "b"}, {"a.txt.~00", 0}, {"a.~ox1", 0},
        {"a.~o1", 0}, {".~o12", 0}, {"a.~O12", 0},
    };
    for (auto &n : names) {
        char original[MAX_PATH] = "unchanged";
        EXPECT_EQ(n.original != 0, SetAsideTarget(n.name, original, sizeof original)) << n.name;
        if (n.original) {
            EXPECT_STREQ(n.original, original) << n.name;
        }
    }
    char small[4];
    EXPECT_FALSE(SetAsideTarget("long.~o01", small, sizeof small));

    // What a crash between the two renames leaves in the staging directory,
    // and what recovery makes of it: the old file back when its name is
    // free, dropped when the new file is in place; a staged file deleted.
    // Set-aside names outside it are someone else's and stay, as does a
    // file of another form in it (and so the directory).
    struct Leftover {
        const char *path, *content;
        bool staysAfter;
    } leftovers[] = {
        {"~STAGING.TMP\\missing.dll.~o00", "old missing", false},
        {"~STAGING.TMP\\present.dll.~o01", "old present", false},
        {"~STAGING.TMP\\present.dll.~03", "staged", false},
        {"present.dll", "new present", true},
        {"stranger.txt.~o01", "a stranger's", true},
        {"stranger.txt", "in place", true},
        {"~STAGING.TMP\\other.~ox1", "other", true},
    };
    std::string dir = ScratchDir("set_aside");
    CreateDirectoryA((dir + "\\~STAGING.TMP").c_str(), 0);
    for (auto &l : leftovers) WriteWholeFile(dir + "\\" + l.path, l.content);
    EXPECT_FALSE(RemoveStagingLeftovers(dir.c_str())) << "a foreign file keeps the directory";
    EXPECT_EQ("old missing", ReadWholeFile(dir + "\\missing.dll"));
    for (auto &l : leftovers) {
        EXPECT_EQ(l.staysAfter, FileExists(dir + "\\" + l.path)) << l.path;
        if (l.staysAfter) EXPECT_EQ(l.content, ReadWholeFile(dir + "\\" + l.path)) << l.path;
    }
    DeleteFileA((dir + "\\~STAGING.TMP\\other.~ox1").c_str());
    EXPECT_TRUE(RemoveStagingLeftovers(dir.c_str()));
    EXPECT_FALSE(RemoveStagingLeftovers(dir.c_str())) << "nothing left to remove";
}

// On either family: replaces, makes anew, keeps a set-aside name taken (in
// the staging directory, and any such name beside the file, which is someone
// else's), and leaves the old file when the new one cannot be put in place.
TEST(MoveReplacing, ReplacesWholeOnEitherFamily)
{
    std::string dir = ScratchDir("move_replacing");
    std::string from = dir + "\\from", to = dir + "\\to", staging = dir + "\\~STAGING.TMP";
    std::string taken = staging + "\\to.~o00", beside = to + ".~o00";
    struct {
        const char *name;
        bool standing, asideTaken, fromMissing;
        bool moved;
        const char *content;
    } cases[] = {
        {"over a file", true, false, false, true, "new"},
        {"nothing there", false, false, false, true, "new"},
        {"first set-aside name taken", true, true, false, true, "new"},
        {"nothing to move", true, false, true, false, "old"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(to.c_str());
        DeleteFileA(taken.c_str());
        RemoveDirectoryA(staging.c_str());
        WriteWholeFile(beside, "a stranger's");
        if (c.standing) WriteWholeFile(to, "old");
        if (c.asideTaken) {
            CreateDirectoryA(staging.c_str(), 0);
            WriteWholeFile(taken, "someone's");
        }
        if (c.fromMissing) DeleteFileA(from.c_str());
        else WriteWholeFile(from, "new");
        EXPECT_EQ(c.moved, MoveReplacing(from.c_str(), to.c_str()));
        EXPECT_EQ(c.content, ReadWholeFile(to));
        EXPECT_EQ("a stranger's", ReadWholeFile(beside));
        EXPECT_EQ(c.asideTaken, FileExists(taken));
        if (c.asideTaken) {
            EXPECT_EQ("someone's", ReadWholeFile(taken));
        }
        EXPECT_FALSE(FileExists(staging + "\\to.~o01"));
        EXPECT_EQ(c.asideTaken, FileExists(staging)) << "a staging directory made for it is removed";
    }
}

TEST(FileOperations, SameFileIsNeverWritten)
{
    std::string dir = ScratchDir("same_file");
    CreateDirectoryA((dir + "\\sub").c_str(), 0);
    std::string file = dir + "\\sub\\a.txt", otherSpelling = dir + "\\SUB\\..\\sub\\A.TXT";
    WriteWholeFile(file, "content");
    EXPECT_TRUE(IsSameFile(file.c_str(), otherSpelling.c_str()));
    EXPECT_FALSE(IsSameFile(file.c_str(), (dir + "\\sub\\b.txt").c_str()));
    EXPECT_EQ(FileSkipped, ExpandFile(file.c_str(), otherSpelling.c_str()));
    EXPECT_EQ(FileSkipped, CopyRawFile(otherSpelling.c_str(), file.c_str()));
    EXPECT_EQ("content", ReadWholeFile(file));
}

// The caller logs a directory when created says this call made it, and each
// level that made names (tests/unit/test_transfer.cpp). A call that fails
// leaves no level of its own behind.
std::string MadeLevels;
void NoteMadeLevel(const char *level) { MadeLevels += std::string(level) + "|"; }

TEST(MakeDirectory, CreatesEveryMissingLevelAndEntersIt)
{
    std::string dir = ScratchDir("make_dir");
    std::string fresh = dir + "\\fresh", missingParents = dir + "\\no\\mid\\child";
    WriteWholeFile(dir + "\\file", "");
    struct {
        const char *name;
        std::string path;
        bool entered, created;
        std::string made;
    } cases[] = {
        {"new", fresh, true, true, fresh + "|"},
        {"existing", fresh, true, false, ""},
        {"missing parents", missingParents, true, true,
         dir + "\\no|" + dir + "\\no\\mid|" + missingParents + "|"},
        {"a file in the way", dir + "\\file\\child", false, false, ""},
        {"an invalid name below new levels", dir + "\\gone\\again\\a<b", false, false, ""},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        bool created = !c.created;
        MadeLevels.clear();
        EXPECT_EQ(c.entered, MakeDirectory(c.path.c_str(), &created, NoteMadeLevel));
        EXPECT_EQ(c.created, created);
        EXPECT_EQ(c.made, MadeLevels);
        EXPECT_EQ(c.entered, FileExists(c.path));
    }
    EXPECT_FALSE(FileExists(dir + "\\gone"));
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STRCASEEQ(missingParents.c_str(), current);
    EXPECT_TRUE(MakeDirectory(dir.c_str()));  // whether it was made need not be asked
}

// OpenFile and the LZ library's open stop at 128 characters; the operations
// must work the same on both sides of that length.
TEST(FileOperations, PathsOfAnyLengthThatFitTheBuffers)
{
    std::string dir = ScratchDir("path_lengths");
    for (size_t padding : {(size_t)1, (size_t)60, (size_t)120, (size_t)180}) {
        std::string sub = dir + "\\" + std::string(padding, 'd');
        SCOPED_TRACE("path length " + std::to_string(sub.size() + 9));
        ASSERT_TRUE(CreateDirectoryA(sub.c_str(), 0));
        std::string packed = sub + "\\pack.tx_", plain = sub + "\\plain.txt";
        std::string expanded = sub + "\\unpacked", copied = sub + "\\copied.tx_";
        std::string data = Pattern(40000);
        WriteWholeFile(packed, Compressed(data));
        WriteWholeFile(plain, "plain data");

        EXPECT_EQ(FileWritten, ExpandFile(packed.c_str(), expanded.c_str()));
        EXPECT_TRUE(ReadWholeFile(expanded) == data);
        EXPECT_EQ(FileWritten, ExpandFile(plain.c_str(), expanded.c_str()));
        EXPECT_EQ("plain data", ReadWholeFile(expanded));

        EXPECT_EQ(0, CopyRawFile(packed.c_str(), copied.c_str()));
        EXPECT_TRUE(ReadWholeFile(copied) == Compressed(data));

        EXPECT_TRUE(FileIsPresent(copied.c_str()));
        DeleteFileAt(copied.c_str());
        EXPECT_FALSE(FileExists(copied));
        EXPECT_FALSE(FileIsPresent(copied.c_str()));
        EXPECT_FALSE(FileIsPresent(sub.c_str()));  // a directory is no file
    }
}

}  // namespace
