// The script writer of setupkit pack: setup.inf from the authoring data and
// the disk layout, each line remembering the authoring line it came from so
// that check's findings can be reported there.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "authoring.h"
#include "check.h"
#include "codepage.h"
#include "layout.h"

namespace setupkit {

struct ScriptLine {
    std::string Text;
    int Origin = 0;  // the authoring line it came from; 0: none
};

struct Script {
    std::vector<ScriptLine> Lines;

    std::string Text() const;  // the lines, each ended by CR LF
};

// What --uninstaller adds to the authoring data: UNINST.EXE (from
// uninstExe) for the install directory, the Uninstall registry key under the
// DlgTitle, and a group item. The record that UninstallString names is
// named from the title in codePage, as SETUP.EXE names it from the script.
// Returns the index of its file entry; throws an Error when there is no
// DlgTitle to name it by.
size_t AddUninstaller(Authoring &authoring, const std::string &uninstExe,
                      const CodePage &codePage = CodePage());

// setup.inf for the authoring data with its entries laid out on numberDisk
// disks, its lines in UTF-8 as the authoring data is; its first line names
// codePage, which EncodeScript converts them into.
Script WriteScript(const Authoring &authoring, const std::vector<PackEntry> &entries,
                   int numberDisk, const SizeInst &sizeInst, const CodePage &codePage = CodePage());

// Converts the script's lines into codePage. Each line that cannot be is
// reported at the authoring line it came from, naming the character (a line
// pack made itself takes '_' for it); it is then left with '_' too.
std::vector<Diagnostic> EncodeScript(Script &script, const CodePage &codePage);

// EncodeScript, throwing an Error that lists every line that cannot be
// converted, each as "authoringPath:line: message".
void EncodeScriptOrThrow(Script &script, const CodePage &codePage, const std::string &authoringPath);

// Judges the written script (in codePage) as SETUP.EXE will read it, the
// disks in disksDir. Each finding is placed at the authoring line its
// script line came from, else at scriptName's own line. Throws an Error
// listing the errors; returns the warnings.
std::vector<std::string> CheckWrittenScript(const Script &script, const std::string &disksDir,
                                            const std::string &authoringPath,
                                            const std::string &scriptName,
                                            const CodePage &codePage = CodePage());

}  // namespace setupkit
