#include "batch/BatchOptions.h"

#include "batch/CommandLine.h"
#include "batch/Shard.h"
#include "batch/WholeNumber.h"

#include <algorithm>
#include <iterator>
#include <sched.h>
#include <unistd.h>

namespace batch {
namespace {

// Each job is a process of its own; more than this is a typing mistake, not a machine.
constexpr int maxJobs = 256;

const char* const namingModes[] = {"sheet", "workbook-sheet", "numbers"};
// In the order of the window's title box, whose first item gives no title.
const char* const titleRules[] = {"none", "sheet", "workbook", "workbook-sheet"};

template <std::size_t N> int indexOf(const char* const (&names)[N], const std::string& name) {
    const auto* at = std::find(std::begin(names), std::end(names), name);
    return at == std::end(names) ? -1 : static_cast<int>(at - std::begin(names));
}

ParsedCommandLine usageError(std::string message) {
    ParsedCommandLine parsed;
    parsed.message = std::move(message);
    return parsed;
}

// The processors this process may run on, as many jobs as can run at once.
int processorCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return static_cast<int>(std::max(1L, ::sysconf(_SC_NPROCESSORS_ONLN)));
}

// The options, by their index in this table.
enum Option {
    Help,
    Output,
    Entire,
    Archive,
    LongExtension,
    Names,
    Title,
    Sheets,
    Quiet,
    Jobs,
    Version,
    FilesFrom,
    Null,
    Recursive,
    Mirror,
    ShardPart,
    Report,
    SkipDone
};

std::vector<OptionSpec> optionSpecs() {
    return {{{"h", "help"}, false}, {{"o", "output"}, true},     {{"entire"}, false},
            {{"archive"}, false},   {{"long-extension"}, false}, {{"names"}, true},
            {{"title"}, true},      {{"sheets"}, true},          {{"q", "quiet"}, false},
            {{"j", "jobs"}, true},  {{"version"}, false},        {{"files-from"}, true},
            {{"null"}, false},      {{"r", "recursive"}, false}, {{"mirror"}, false},
            {{"shard"}, true},      {{"report"}, true},          {{"skip-done"}, false}};
}

// The one value of an option that takes one; "" with `error` set when it was given twice.
std::string singleValue(const CommandLine& parser, Option option, const char* longName,
                        std::string& error) {
    const std::vector<std::string>& values = parser.values(option);
    if (values.size() > 1)
        error = std::string("--") + longName + " given more than once";
    return values.empty() ? std::string() : values.back();
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

std::string HelpText() {
    return std::string(
        "Usage: quillmere-batch [options] INPUT...\n"
        "Converts spreadsheet workbooks into web pages, as Quillmere's Convert does.\n"
        "\n"
        "  INPUT                 workbook files and folders (a folder lists its workbooks as "
        "the window does, at most 500; with --recursive, all of them)\n"
        "  -o, --output DIR      the output directory (required); a missing last level is "
        "created, as for a typed path\n"
        "  --entire              whole-workbook mode (default: each worksheet to its own page)\n"
        "  --archive             single-file web archives (.mht/.mhtml) instead of web pages "
        "(.htm/.html)\n"
        "  --long-extension      .html/.mhtml instead of .htm/.mht\n"
        "  --names MODE          sheet | workbook-sheet | numbers (the three naming choices, "
        "default sheet)\n"
        "  --title RULE          none | sheet | workbook | workbook-sheet (default none)\n"
        "  --sheets A,B,...      publish only the worksheets with these names, letter case "
        "ignored (per-sheet mode)\n"
        "  -j, --jobs N          convert N workbooks at once, each in a host of its own "
        "(default: the number of processors); names are the same as with -j 1\n"
        "  --files-from FILE     also convert the workbooks listed in FILE, one path a line "
        "(\"-\": standard input); relative paths are taken from the current folder\n"
        "  --null                the --files-from paths end in NUL bytes, not line ends\n"
        "  -r, --recursive       folders give the workbooks of every subfolder too, with no "
        "limit on their number\n"
        "  --mirror              each workbook's output goes under the folder it has below "
        "its INPUT folder (or as listed), so that equal names in different folders stay as they "
        "are\n"
        "  --shard K/N           convert only the K-th of N parts of the workbooks (K from 1 "
        "to N), chosen by a stable hash of each path below its root\n"
        "  --report FILE         append one JSON line per workbook to FILE as it finishes\n"
        "  --skip-done           skip workbooks that the --report FILE shows converted and "
        "unchanged since (size and modification time); redo the rest\n"
        "  -q, --quiet           no progress\n"
        "  -h, --help            this text\n"
        "  --version             the program's version\n"
        "\n"
        "Exit status: 0 when every workbook converted or was skipped, 1 when any failed or an "
        "INPUT gave nothing to convert (each failure named on "
        "stderr with the host's description), 2 for a usage error (with a message). Progress on "
        "stderr when it is a terminal: workbook k of n and its name.\n");
}

std::string VersionText() {
    return "quillmere-batch " QM_VERSION "\n";
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine parser(optionSpecs());
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(Help)) {
        ParsedCommandLine parsed;
        parsed.outcome = ParsedCommandLine::Help;
        return parsed;
    }
    if (parser.isSet(Version)) {
        ParsedCommandLine parsed;
        parsed.outcome = ParsedCommandLine::Version;
        return parsed;
    }

    std::string error;
    BatchOptions options;
    options.outputFolder = singleValue(parser, Output, "output", error);
    const std::string naming = singleValue(parser, Names, "names", error);
    const std::string rule = singleValue(parser, Title, "title", error);
    const std::string jobCount = singleValue(parser, Jobs, "jobs", error);
    options.filesFrom = singleValue(parser, FilesFrom, "files-from", error);
    const std::string shardText = singleValue(parser, ShardPart, "shard", error);
    options.reportFile = singleValue(parser, Report, "report", error);
    if (!error.empty())
        return usageError(error);
    if (!parser.isSet(Output))
        return usageError("the output directory is missing (-o DIR)");
    if (options.outputFolder.empty())
        return usageError("the output directory is empty");

    options.output.entireWorkbook = parser.isSet(Entire);
    options.output.fileFormat = parser.isSet(Archive) ? 1 : 0;
    options.output.shortExtension = !parser.isSet(LongExtension);
    options.output.htmlType = 0; // the host writes static pages only
    options.output.fileNaming = parser.isSet(Names) ? indexOf(namingModes, naming) : 0;
    if (options.output.fileNaming < 0)
        return usageError("unknown --names mode " + quoted(naming) +
                          " (sheet, workbook-sheet or numbers)");
    options.output.pageTitle = parser.isSet(Title) ? indexOf(titleRules, rule) : 0;
    if (options.output.pageTitle < 0)
        return usageError("unknown --title rule " + quoted(rule) +
                          " (none, sheet, workbook or workbook-sheet)");

    if (parser.isSet(Sheets)) {
        if (options.output.entireWorkbook)
            return usageError("--sheets chooses pages of per-sheet mode; it cannot go with "
                              "--entire");
        // Repeating the option adds names, so that several lists can be given.
        for (const std::string& list : parser.values(Sheets))
            for (std::size_t at = 0; at <= list.size();) {
                const std::size_t comma = std::min(list.find(',', at), list.size());
                if (comma > at)
                    options.sheets.push_back(list.substr(at, comma - at));
                at = comma + 1;
            }
        if (options.sheets.empty())
            return usageError("--sheets names no sheet");
    }

    options.quiet = parser.isSet(Quiet);
    options.jobs = processorCount();
    if (parser.isSet(Jobs)) {
        const std::optional<int> number = ToInt(jobCount);
        if (!number || *number < 1 || *number > maxJobs)
            return usageError("--jobs wants a whole number from 1 to " + std::to_string(maxJobs) +
                              ", not " + quoted(jobCount));
        options.jobs = *number;
    }
    options.nulSeparated = parser.isSet(Null);
    options.recursive = parser.isSet(Recursive);
    options.mirror = parser.isSet(Mirror);
    options.skipDone = parser.isSet(SkipDone);
    if (parser.isSet(FilesFrom) && options.filesFrom.empty())
        return usageError("--files-from names no file");
    if (options.nulSeparated && options.filesFrom.empty())
        return usageError("--null says how the --files-from list is separated; give "
                          "--files-from FILE too");
    if (parser.isSet(Report) && options.reportFile.empty())
        return usageError("--report names no file");
    if (options.skipDone && options.reportFile.empty())
        return usageError("--skip-done reads what was done from the report; give --report FILE "
                          "too");
    if (parser.isSet(ShardPart) && !ParseShard(shardText, options.shardIndex, options.shardCount))
        return usageError("--shard wants K/N with whole numbers 1 <= K <= N <= " +
                          std::to_string(MaxShards) + ", not " + quoted(shardText));

    options.inputs = parser.positional();
    if (options.inputs.empty() && options.filesFrom.empty())
        return usageError("no INPUT: name workbook files or folders to convert, or give "
                          "--files-from FILE");
    for (const std::string& input : options.inputs)
        if (input.empty())
            return usageError("an INPUT is empty");

    ParsedCommandLine parsed;
    parsed.outcome = ParsedCommandLine::Run;
    parsed.options = std::move(options);
    return parsed;
}

} // namespace batch
