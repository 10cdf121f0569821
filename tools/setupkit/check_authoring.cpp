#include "tools/setupkit/check_authoring.h"

#include <algorithm>

#include "core/entries.h"
#include "core/script_keys.h"
#include "tools/setupkit/authoring.h"
#include "tools/setupkit/derive_subdirs.h"
#include "tools/setupkit/error.h"
#include "tools/setupkit/expand_files.h"
#include "tools/setupkit/layout.h"
#include "tools/setupkit/posix.h"
#include "tools/setupkit/product_path.h"
#include "tools/setupkit/script_writer.h"
#include "tools/setupkit/text_helpers.h"
#include "tools/setupkit/warnings.h"

namespace setupkit {

namespace {

bool NamesOneFile(const AuthoredFile &file)
{
    return RuleOf(file).SourceDir != InSourceDir || !NamesManyFiles(file.ProductPath);
}

class AuthoringChecker {
public:
    AuthoringChecker(const std::string &name, const std::string &productDir,
                     const CodePage &codePage)
        : name_(name), productDir_(productDir), codePage_(codePage)
    {
    }

    std::vector<Diagnostic> Run(const std::string &text)
    {
        try {
            authoring_ = ParseAuthoring(text, name_);
        } catch (const LocatedError &error) {
            Report(error);
            return std::move(found_);
        }
        if (!productDir_.empty()) ExpandAndFind();
        try {
            DeriveSubDirs(authoring_, codePage_);
        } catch (const LocatedError &error) {
            Report(error);
        }
        for (const Diagnostic &warning : AuthoringWarnings(authoring_)) found_.push_back(warning);
        CheckAsScript();
        std::stable_sort(found_.begin(), found_.end(),
                         [](const Diagnostic &a, const Diagnostic &b) { return a.Line < b.Line; });
        return std::move(found_);
    }

private:
    void Report(const LocatedError &error)
    {
        found_.push_back({std::max(error.Line, 1), true, error.Message});
    }

    // Folders and patterns become their files; each file must be one pack reads.
    void ExpandAndFind()
    {
        const std::string realDir = RealFolder(productDir_);
        std::vector<AuthoredFile> expanded;
        for (const AuthoredFile &line : authoring_.Files) {
            try {
                for (AuthoredFile &file : ExpandFileLine(line, realDir, name_)) {
                    if (FindSources(file, realDir)) expanded.push_back(std::move(file));
                }
            } catch (const LocatedError &error) {
                Report(error);
            }
        }
        authoring_.Files = std::move(expanded);
    }

    bool FindSources(const AuthoredFile &file, const std::string &realDir)
    {
        if (RuleOf(file).SourceDir != InSourceDir) return true;
        for (const std::string *path : {&file.ProductPath, &file.OtherProductPath}) {
            if (path->empty()) continue;
            std::string relative = *path;
            std::replace(relative.begin(), relative.end(), '\\', '/');
            std::string problem =
                !ProductPathStaysInside(relative)
                    ? "product path '" + *path + "' leaves the product folder"
                    : ResolveProductFile(realDir, realDir + "/" + relative).Problem;
            if (!problem.empty()) {
                found_.push_back({file.Line, true, problem});
                return false;
            }
        }
        return true;
    }

    // The script pack would write, judged by check as pack judges it; what
    // is found is placed at the authoring line its script line came from.
    void CheckAsScript()
    {
        std::vector<PackEntry> entries;
        for (const AuthoredFile &file : authoring_.Files) {
            if (!NamesOneFile(file)) continue;
            PackEntry entry;
            entry.File = file;
            entry.Disk = 1;
            if (RuleOf(file).SourceDir == InSourceDir)
                for (const std::string *path : {&file.ProductPath, &file.OtherProductPath}) {
                    if (path->empty()) continue;
                    DiskFile part;
                    part.PlainName = PlainDiskName(*path, DiskNameRule::Fat);
                    part.Compressed = RuleOf(file).Expands;
                    entry.Parts.push_back(part);
                }
            entries.push_back(entry);
        }
        NameDiskFiles(entries, DiskNameRule::Fat);
        // As pack spreads them on a disc; floppies hold fewer still.
        int disks = SpreadOverSections(entries, MaxNumberFiles);
        SizeInst sizeInst;
        if (const AuthoredValue *given = authoring_.TitleValue("SizeInst"))
            sizeInst = {std::stoull(given->Value), given->Line};
        Script script = WriteScript(authoring_, entries, disks, sizeInst, codePage_);
        for (const Diagnostic &unwritable : EncodeScript(script, codePage_)) found_.push_back(unwritable);
        for (const Diagnostic &finding : CheckScript(script.Text(), "", codePage_)) {
            int origin = finding.Line <= (int)script.Lines.size()
                             ? script.Lines[finding.Line - 1].Origin
                             : 0;
            // A finding on a line pack makes itself is not the author's.
            if (origin) found_.push_back({origin, finding.IsError, finding.Message});
        }
    }

    const std::string &name_;
    const std::string &productDir_;
    const CodePage &codePage_;
    Authoring authoring_;
    std::vector<Diagnostic> found_;
};

}  // namespace

bool LooksLikeAuthoring(const std::string &text)
{
    size_t pos = text.compare(0, 3, Utf8Bom) == 0 ? 3 : 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        if (SameName(Trim(text.substr(pos, end - pos)), "[Files]")) return true;
        pos = end + 1;
    }
    return false;
}

std::vector<Diagnostic> CheckAuthoring(const std::string &text, const std::string &name,
                                       const std::string &productDir, const CodePage &codePage)
{
    return AuthoringChecker(name, productDir, codePage).Run(text);
}

}  // namespace setupkit
