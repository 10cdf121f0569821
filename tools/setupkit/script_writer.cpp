#include "script_writer.h"

#include <cinttypes>
#include <cstdio>
#include <map>

#include "core/entries.h"
#include "core/record_name.h"
#include "core/script_keys.h"
#include "check.h"
#include "error.h"
#include "posix.h"
#include "text_helpers.h"

namespace setupkit {

std::string Script::Text() const
{
    std::string text;
    for (const ScriptLine &line : Lines) text += line.Text + "\r\n";
    return text;
}

namespace {

// The installed program whose icon the list of installed programs shows:
// the type-3 file that DisplayIcon= names, else UNINST.EXE.
std::string DisplayIconFile(const Authoring &authoring)
{
    const AuthoredValue *icon = authoring.TitleValue("DisplayIcon");
    if (!icon) return "UNINST.EXE";
    for (const AuthoredFile &file : authoring.Files)
        if (file.Type == FileToInstall && SameName(file.Destination, icon->Value))
            return file.Destination;
    throw FileError(authoring.Name,
                    "DisplayIcon=" + icon->Value + " names no type-3 file's destination",
                    icon->Line);
}

}  // namespace

size_t AddUninstaller(Authoring &authoring, const std::string &uninstExe,
                      const CodePage &codePage)
{
    const AuthoredValue *title = authoring.TitleValue("DlgTitle");
    if (!title || title->Value.empty())
        throw FileError(authoring.Name, "--uninstaller needs a DlgTitle in [Title]");
    AuthoredFile file;
    file.Type = FileToInstall;
    file.ProductPath = uninstExe;
    file.Destination = "UNINST.EXE";
    authoring.Files.push_back(file);
    const std::string key =
        "2,Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + title->Value;
    auto add = [&](const std::string &name, const std::string &data) {
        authoring.Registry.push_back({{"regKey", key, title->Line},
                                      {"regVal", name + "," + data, title->Line}});
    };
    add("DisplayName", title->Value);
    // UNINST.EXE is told which record is this product's: products may
    // share the install directory, each with a record of its own. SETUP.EXE
    // names it from the title's bytes in the script's code page.
    char record[RecordNameSize];
    FormatProductFileName(codePage.EncodeLossy(title->Value).c_str(), RecordExtension, record,
                          sizeof record);
    add("UninstallString", std::string("#s\\UNINST.EXE ") + record);
    for (const char *optional : {"DisplayVersion", "Publisher"})
        if (const AuthoredValue *value = authoring.TitleValue(optional)) add(optional, value->Value);
    add("DisplayIcon", "#s\\" + DisplayIconFile(authoring));
    authoring.Items.push_back({"item", "UNINST.EXE,Uninstall " + title->Value, title->Line});
    return authoring.Files.size() - 1;
}

namespace {

// "size,crc" of one expanded file, as SETUP.EXE reads it.
std::string CheckPair(const DiskFile &part)
{
    char text[32];
    snprintf(text, sizeof text, "%" PRIu64 ",%08" PRIx32, part.ExpandedSize, part.ExpandedCrc);
    return text;
}

// Each entry's [Check<n>] value: the expanded size and CRC-32 of each
// source, of the staged type-4 file for type 5; none for a plain copy, for
// a file over 32 bits, or a type 5 whose source no earlier entry stages.
std::vector<std::string> CheckValues(const std::vector<PackEntry> &entries)
{
    std::vector<std::string> values;
    std::map<std::string, const DiskFile *> staged;  // by lower-case destination
    for (const PackEntry &entry : entries) {
        const FileEntryRule &rule = RuleOf(entry.File);
        std::vector<const DiskFile *> parts;
        for (const DiskFile &part : entry.Parts) parts.push_back(&part);
        if (!rule.Expands && !parts.empty()) staged[Lower(entry.File.Destination)] = parts[0];
        if (rule.SourceDir == InTempDir) {
            auto found = staged.find(Lower(entry.File.ProductPath));
            if (found != staged.end()) parts.push_back(found->second);
        }
        bool checked = rule.Expands && !parts.empty();
        std::string value;
        for (const DiskFile *part : parts) {
            checked = checked && part->ExpandedSize <= UINT32_MAX;
            value += (value.empty() ? "" : ",") + CheckPair(*part);
        }
        values.push_back(checked ? value : "");
    }
    return values;
}

}  // namespace

Script WriteScript(const Authoring &authoring, const std::vector<PackEntry> &entries,
                   int numberDisk, const SizeInst &sizeInst, const CodePage &codePage)
{
    Script script;
    auto line = [&](const std::string &text, int origin = 0) {
        script.Lines.push_back({text, origin});
    };
    // A section of numbered values: its count under countKey, then key<n>=value.
    auto numbered = [&](const char *section, const char *countKey, const char *key,
                        const std::vector<AuthoredValue> &values) {
        line("");
        line(std::string("[") + section + "]");
        line(std::string(countKey) + "=" + std::to_string(values.size()));
        int n = 0;
        for (const AuthoredValue &value : values)
            line(key + std::to_string(++n) + "=" + value.Value, value.Line);
    };

    line("; Written by setupkit pack from " + BaseName(authoring.Name) + ", in code page " +
         codePage.Description() + ".");
    line("[Title]");
    for (const char *key : {"DlgTitle", "InstalDir"})
        if (const AuthoredValue *value = authoring.TitleValue(key))
            line(std::string(key) + "=" + value->Value, value->Line);
    line("SizeInst=" + std::to_string(sizeInst.Kilobytes), sizeInst.Line);
    line("NumberDisk=" + std::to_string(numberDisk));

    if (!authoring.SubDirs.empty()) numbered("SubDir", "NumberDirs", "Dir", authoring.SubDirs);
    std::vector<std::string> checks = CheckValues(entries);
    for (int disk = 1; disk <= numberDisk; ++disk) {
        line("");
        line("[Disk" + std::to_string(disk) + "]");
        int count = 0;
        for (const PackEntry &entry : entries) count += entry.Disk == disk;
        line("NumberFiles=" + std::to_string(count));
        int n = 0;
        for (const PackEntry &entry : entries) {
            if (entry.Disk != disk) continue;
            // A staged source keeps its name; a disk file takes its name on the disk.
            std::string sources =
                RuleOf(entry.File).SourceDir == InTempDir ? entry.File.ProductPath : "";
            for (size_t part = 0; part < entry.Parts.size(); ++part)
                sources += (part ? "," : "") + entry.Parts[part].DiskName;
            line("file" + std::to_string(++n) + "=" + std::to_string(entry.File.Type) + "," +
                     sources + "," + entry.File.Destination,
                 entry.File.Line);
        }
        // What each file holds once expanded, under the key of its entry: a
        // repair leaves a file that already holds it alone.
        line("");
        line("[" CheckNamePrefix + std::to_string(disk) + "]");
        n = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].Disk != disk) continue;
            ++n;
            if (!checks[i].empty()) line("file" + std::to_string(n) + "=" + checks[i]);
        }
    }
    if (!authoring.Registry.empty()) {
        line("");
        line("[Register]");
        line("NumberReg=" + std::to_string(authoring.Registry.size()));
        int n = 0;
        for (const AuthoredRegistryEntry &entry : authoring.Registry) {
            ++n;
            line("regKey" + std::to_string(n) + "=" + entry.Key.Value, entry.Key.Line);
            line("regVal" + std::to_string(n) + "=" + entry.Value.Value, entry.Value.Line);
        }
    }
    if (!authoring.WinIni.empty()) numbered("WinIni", "NumberIni", "IniKey", authoring.WinIni);
    if (authoring.GroupTitle.Line || !authoring.Items.empty()) {
        line("");
        line("[WinGroup]");
        if (authoring.GroupTitle.Line)
            line("GroupTitle=" + authoring.GroupTitle.Value, authoring.GroupTitle.Line);
        line("NumberItem=" + std::to_string(authoring.Items.size()));
        int n = 0;
        for (const AuthoredValue &item : authoring.Items)
            line("item" + std::to_string(++n) + "=" + item.Value, item.Line);
    }
    return script;
}

std::vector<Diagnostic> EncodeScript(Script &script, const CodePage &codePage)
{
    std::vector<Diagnostic> unwritable;
    for (ScriptLine &line : script.Lines) {
        std::string encoded, problem;
        if (codePage.Encode(line.Text, &encoded, &problem)) {
            line.Text = encoded;
            continue;
        }
        if (line.Origin) unwritable.push_back({line.Origin, true, problem});
        line.Text = codePage.EncodeLossy(line.Text);
    }
    return unwritable;
}

void EncodeScriptOrThrow(Script &script, const CodePage &codePage, const std::string &authoringPath)
{
    std::string errors;
    bool unheld = false;
    for (const Diagnostic &problem : EncodeScript(script, codePage)) {
        errors += (errors.empty() ? "" : "\n") + FormatDiagnostic(authoringPath, problem);
        unheld |= problem.Message.find(" is not in code page ") != std::string::npos;
    }
    if (unheld) errors += "\nthe script is written in code page " + codePage.Description() +
                          "; give the one of the product's language with --codepage";
    if (!errors.empty()) throw Error(errors);
}

std::vector<std::string> CheckWrittenScript(const Script &script, const std::string &disksDir,
                                            const std::string &authoringPath,
                                            const std::string &scriptName, const CodePage &codePage)
{
    std::vector<std::string> warnings;
    std::string errors;
    for (const Diagnostic &diagnostic : CheckScript(script.Text(), disksDir, codePage)) {
        int origin = diagnostic.Line <= (int)script.Lines.size()
                         ? script.Lines[diagnostic.Line - 1].Origin
                         : 0;
        std::string where =
            origin ? FormatDiagnostic(authoringPath, {origin, diagnostic.IsError, diagnostic.Message})
                   : FormatDiagnostic(scriptName, diagnostic);
        if (diagnostic.IsError)
            errors += (errors.empty() ? "" : "\n") + where;
        else
            warnings.push_back(where);
    }
    if (!errors.empty()) throw Error("the script does not pass check:\n" + errors);
    return warnings;
}

}  // namespace setupkit
