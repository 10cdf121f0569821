// setupkit compress and setupkit expand: many files at once on all cores,
// each written whole under a temporary name and renamed into place.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "commands.h"
#include "error.h"
#include "fileio.h"
#include "lz.h"

namespace fs = std::filesystem;

namespace setupkit {

namespace {

const char CompressHelp[] =
    "usage: setupkit compress IN... [-o OUT] [-j N]\n"
    "LZ-compresses each file into the format SETUP.EXE and the platform's LZ\n"
    "library expand, checking every result by expanding it again.\n"
    "  -o OUT  with one input the output file (or a directory to put it in),\n"
    "          with several a directory (made when missing); without -o each\n"
    "          output goes beside its input\n"
    "  -j N    files compressed at once (default: the number of cores)\n"
    "Names: the last character becomes '_' and the header keeps it:\n"
    "README.TXT -> README.TX_, A.B -> A._, README -> READM_.\n";

const char ExpandHelp[] =
    "usage: setupkit expand IN... [-o OUT] [-j N] [--codepage N]\n"
    "Expands LZ-compressed files (with libmspack).\n"
    "  -o OUT  with one input the output file (or a directory to put it in),\n"
    "          with several a directory (made when missing); without -o each\n"
    "          output goes beside its input, named from the header\n"
    "          (README.TX_ -> README.TXT; a header without the character,\n"
    "          as mscompress writes, drops the '_': f_ -> f)\n"
    "  -j N    files expanded at once (default: the number of cores)\n"
    "  --codepage N  the code page of the header's name character (default\n"
    "          1252): README.TX_ with 0xE9 is README.TXé in 1252, README.TXй in 1251\n";

struct Options {
    std::vector<std::string> Inputs;
    std::string Output;
    bool HasOutput = false;
    unsigned Jobs = 0;
    bool Help = false;
    CodePage Names;  // expand: of the header's name character
};

Options ParseOptions(const Arguments &args, const char *command)
{
    Options options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.Help = true;
        } else if (arg == "--codepage" && std::string(command) == "expand") {
            if (i + 1 == args.size()) throw Error(arg + " needs a value");
            options.Names = CodePage::Parse(args[++i]);
        } else if (arg == "-o" || arg == "-j") {
            if (i + 1 == args.size()) throw Error(arg + " needs a value");
            const std::string &value = args[++i];
            if (arg == "-o") {
                options.Output = value;
                options.HasOutput = true;
            } else {
                char *end = nullptr;
                unsigned long jobs = strtoul(value.c_str(), &end, 10);
                if (value.empty() || *end || jobs == 0 || jobs > 1024)
                    throw Error("-j takes a number of jobs from 1 to 1024, not '" + value + "'");
                options.Jobs = (unsigned)jobs;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw Error("unknown option '" + arg + "' (see setupkit " + command + " --help)");
        } else {
            options.Inputs.push_back(arg);
        }
    }
    if (!options.Help && options.Inputs.empty())
        throw Error(std::string("no input files (see setupkit ") + command + " --help)");
    if (options.Jobs == 0) options.Jobs = std::max(1u, std::thread::hardware_concurrency());
    return options;
}

// Where the output named name of input goes under the options.
std::string OutputPath(const Options &options, const std::string &input, const std::string &name)
{
    if (!options.HasOutput) return (fs::path(input).parent_path() / name).string();
    if (options.Inputs.size() == 1 && !fs::is_directory(options.Output)) return options.Output;
    return (fs::path(options.Output) / name).string();
}

void PrepareOutputDirectory(const Options &options)
{
    if (!options.HasOutput || options.Inputs.size() == 1) return;
    std::error_code failure;
    if (!fs::is_directory(options.Output) && !fs::create_directory(options.Output, failure))
        throw FileError(options.Output, "cannot make the output directory: " + failure.message());
}

// Two inputs must not write one output, and no output may replace an input.
void CheckDistinct(const std::vector<std::string> &inputs, const std::vector<std::string> &outputs)
{
    std::set<std::string> sources, seen;
    for (const std::string &input : inputs) sources.insert(fs::weakly_canonical(input).string());
    for (const std::string &output : outputs) {
        std::string key = fs::weakly_canonical(output).string();
        if (sources.count(key)) throw FileError(output, "the output would replace an input; give -o");
        if (!seen.insert(key).second) throw FileError(output, "two inputs would be written to this output");
    }
}

// Runs work(i) for every input on up to jobs threads. Failures are reported
// in input order: all but the last printed, the last thrown.
void RunAll(size_t count, unsigned jobs, const char *command,
            const std::function<void(size_t)> &work)
{
    std::vector<std::string> failures(count);
    std::atomic<size_t> next{0};
    auto worker = [&] {
        for (size_t i; (i = next++) < count;) {
            try {
                work(i);
            } catch (const std::exception &error) {
                failures[i] = error.what();
                if (failures[i].empty()) failures[i] = "failed";
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < jobs && t < count; ++t) threads.emplace_back(worker);
    worker();
    for (std::thread &thread : threads) thread.join();
    std::string last;
    for (const std::string &failure : failures) {
        if (failure.empty()) continue;
        if (!last.empty()) fprintf(stderr, "setupkit %s: %s\n", command, last.c_str());
        last = failure;
    }
    if (!last.empty()) throw Error(last);
}

// The first count bytes of a file (fewer when it is shorter).
Bytes ReadFileHead(const std::string &path, size_t count)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) throw FileError(path, strerror(errno));
    Bytes head(count);
    head.resize(fread(head.data(), 1, count, file));
    fclose(file);
    return head;
}

void Report(const std::string &from, const std::string &to, size_t fromSize, size_t toSize)
{
    printf("%s -> %s  %zu -> %zu bytes\n", from.c_str(), to.c_str(), fromSize, toSize);
}

}  // namespace

int RunCompress(const Arguments &args)
{
    Options options = ParseOptions(args, "compress");
    if (options.Help) {
        fputs(CompressHelp, stdout);
        return 0;
    }
    std::vector<std::string> outputs;
    for (const std::string &input : options.Inputs) {
        std::string name = fs::path(input).filename().string();
        if (name.empty()) throw FileError(input, "not a file name");
        outputs.push_back(OutputPath(options, input, CompressedName(name)));
    }
    CheckDistinct(options.Inputs, outputs);
    PrepareOutputDirectory(options);
    std::vector<std::pair<size_t, size_t>> sizes(outputs.size());
    RunAll(outputs.size(), options.Jobs, "compress", [&](size_t i) {
        const std::string &input = options.Inputs[i];
        Bytes data = ReadFileBytes(input);
        Bytes compressed =
            CompressLzChecked(data, ReplacedCharOf(fs::path(input).filename().string()), input);
        WriteFileAtomic(outputs[i], compressed);
        sizes[i] = {data.size(), compressed.size()};
    });
    for (size_t i = 0; i < outputs.size(); ++i)
        Report(options.Inputs[i], outputs[i], sizes[i].first, sizes[i].second);
    return 0;
}

int RunExpand(const Arguments &args)
{
    Options options = ParseOptions(args, "expand");
    if (options.Help) {
        fputs(ExpandHelp, stdout);
        return 0;
    }
    // The names come from the headers, so they are read first.
    std::vector<std::string> outputs;
    for (const std::string &input : options.Inputs) {
        if (options.HasOutput && options.Inputs.size() == 1 && !fs::is_directory(options.Output)) {
            outputs.push_back(options.Output);
            continue;
        }
        Bytes header = ReadFileHead(input, LzHeaderSize);
        if (header.size() < LzHeaderSize) throw FileError(input, "not an LZ-compressed file (too short)");
        std::string name = fs::path(input).filename().string();
        std::string expanded = ExpandedName(name, (char)header[LzReplacedCharOffset], input, options.Names);
        outputs.push_back(OutputPath(options, input, expanded));
    }
    CheckDistinct(options.Inputs, outputs);
    PrepareOutputDirectory(options);
    std::vector<std::pair<size_t, size_t>> sizes(outputs.size());
    RunAll(outputs.size(), options.Jobs, "expand", [&](size_t i) {
        Bytes compressed = ReadFileBytes(options.Inputs[i]);
        ExpandedLz expanded = ExpandLz(compressed, options.Inputs[i]);
        WriteFileAtomic(outputs[i], expanded.Data);
        sizes[i] = {compressed.size(), expanded.Data.size()};
    });
    for (size_t i = 0; i < outputs.size(); ++i)
        Report(options.Inputs[i], outputs[i], sizes[i].first, sizes[i].second);
    return 0;
}

}  // namespace setupkit
