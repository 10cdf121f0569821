// The authoring file: a setup script without the parts that follow from the
// disk layout. No [Disk<n>] sections, no NumberDisk, NumberFiles, counts or
// numbered keys; instead one [Files] list of "type,product-path,destination"
// lines (type 6: "6,path-for-419,path-other,destination"; type 5:
// "5,staged-name,destination", the name a type-4 line put into the temporary
// directory). A line "newdisk" in [Files] makes the next file start a new
// disk. pack numbers everything and lays the files out on disks.
#pragma once

#include <string>
#include <vector>

#include "core/entries.h"

namespace setupkit {

// One key=value line (or a bare line in [SubDir]) with where it was written.
struct AuthoredValue {
    std::string Key;
    std::string Value;
    int Line = 0;
};

struct AuthoredFile {
    int Type = 0;                  // 1..6
    std::string ProductPath;       // type 5: the staged name in the temporary directory
    std::string OtherProductPath;  // type 6: the source for every locale but 419
    std::string Destination;
    bool NewDisk = false;  // a "newdisk" line before it: it starts the next disk
    int Line = 0;
};

struct AuthoredRegistryEntry {
    AuthoredValue Key;    // regKey: "root,subkey"
    AuthoredValue Value;  // regVal: "name,data"
};

struct Authoring {
    std::string Name;  // the file, for messages
    std::vector<AuthoredValue> Title;  // DlgTitle, InstalDir, SizeInst, DisplayVersion, Publisher, DisplayIcon
    std::vector<AuthoredValue> SubDirs;
    std::vector<AuthoredFile> Files;
    std::vector<AuthoredRegistryEntry> Registry;
    std::vector<AuthoredValue> WinIni;
    AuthoredValue GroupTitle;
    std::vector<AuthoredValue> Items;

    // The [Title] value of key (any case), or null when it is not given.
    const AuthoredValue *TitleValue(const std::string &key) const;
};

// Reads an authoring file's text, UTF-8 (a byte-order mark is dropped);
// throws an Error "name:line: message" for anything it does not understand,
// a byte that is not UTF-8 included.
Authoring ParseAuthoring(const std::string &text, const std::string &name);
Authoring ReadAuthoring(const std::string &path);

// The rule of an authored file's type; throws an Error for a type without one.
const FileEntryRule &RuleOf(const AuthoredFile &file);

// Case-insensitive comparison of ASCII names, as the profile functions do.
bool SameName(const std::string &a, const std::string &b);

}  // namespace setupkit
