#include "batch/BatchOptions.h"

#include "batch/Shard.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QThread>
#include <algorithm>

namespace batch {
namespace {

// Each job is a process of its own; more than this is a typing mistake, not a machine.
constexpr int maxJobs = 256;

const QStringList namingModes = {QStringLiteral("sheet"), QStringLiteral("workbook-sheet"),
                                 QStringLiteral("numbers")};
// In the order of the window's title box, whose first item gives no title.
const QStringList titleRules = {QStringLiteral("none"), QStringLiteral("sheet"),
                                QStringLiteral("workbook"), QStringLiteral("workbook-sheet")};

ParsedCommandLine usageError(const QString& message) {
    ParsedCommandLine parsed;
    parsed.message = message;
    return parsed;
}

// The one value of an option that takes one; "" with `error` set when it was given twice.
QString singleValue(const QCommandLineParser& parser, const QCommandLineOption& option,
                    QString& error) {
    const QStringList values = parser.values(option);
    if (values.size() > 1)
        error = QStringLiteral("--%1 given more than once").arg(option.names().constLast());
    return values.isEmpty() ? QString() : values.constLast();
}

} // namespace

QString HelpText() {
    return QStringLiteral(
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

QString VersionText() {
    return QStringLiteral("quillmere-batch " QM_VERSION "\n");
}

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("DIR"));
    const QCommandLineOption entire(QStringLiteral("entire"), QString());
    const QCommandLineOption archive(QStringLiteral("archive"), QString());
    const QCommandLineOption longExtension(QStringLiteral("long-extension"), QString());
    const QCommandLineOption names(QStringLiteral("names"), QString(), QStringLiteral("MODE"));
    const QCommandLineOption title(QStringLiteral("title"), QString(), QStringLiteral("RULE"));
    const QCommandLineOption sheets(QStringLiteral("sheets"), QString(), QStringLiteral("A,B"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")}, QString());
    const QCommandLineOption jobs({QStringLiteral("j"), QStringLiteral("jobs")}, QString(),
                                  QStringLiteral("N"));
    const QCommandLineOption version(QStringLiteral("version"), QString());
    const QCommandLineOption filesFrom(QStringLiteral("files-from"), QString(),
                                       QStringLiteral("FILE"));
    const QCommandLineOption null(QStringLiteral("null"), QString());
    const QCommandLineOption recursive({QStringLiteral("r"), QStringLiteral("recursive")},
                                       QString());
    const QCommandLineOption mirror(QStringLiteral("mirror"), QString());
    const QCommandLineOption shard(QStringLiteral("shard"), QString(), QStringLiteral("K/N"));
    const QCommandLineOption report(QStringLiteral("report"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption skipDone(QStringLiteral("skip-done"), QString());
    parser.addOptions({help, output, entire, archive, longExtension, names, title, sheets, quiet,
                       jobs, version, filesFrom, null, recursive, mirror, shard, report, skipDone});

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        ParsedCommandLine parsed;
        parsed.outcome = ParsedCommandLine::Help;
        return parsed;
    }
    if (parser.isSet(version)) {
        ParsedCommandLine parsed;
        parsed.outcome = ParsedCommandLine::Version;
        return parsed;
    }

    QString error;
    BatchOptions options;
    options.outputFolder = singleValue(parser, output, error);
    const QString naming = singleValue(parser, names, error);
    const QString rule = singleValue(parser, title, error);
    const QString jobCount = singleValue(parser, jobs, error);
    options.filesFrom = singleValue(parser, filesFrom, error);
    const QString shardText = singleValue(parser, shard, error);
    options.reportFile = singleValue(parser, report, error);
    if (!error.isEmpty())
        return usageError(error);
    if (!parser.isSet(output))
        return usageError(QStringLiteral("the output directory is missing (-o DIR)"));
    if (options.outputFolder.isEmpty())
        return usageError(QStringLiteral("the output directory is empty"));

    options.output.entireWorkbook = parser.isSet(entire);
    options.output.fileFormat = parser.isSet(archive) ? 1 : 0;
    options.output.shortExtension = !parser.isSet(longExtension);
    options.output.htmlType = 0; // the host writes static pages only
    options.output.fileNaming = parser.isSet(names) ? int(namingModes.indexOf(naming)) : 0;
    if (options.output.fileNaming < 0)
        return usageError(
            QStringLiteral("unknown --names mode \"%1\" (sheet, workbook-sheet or numbers)")
                .arg(naming));
    options.output.pageTitle = parser.isSet(title) ? int(titleRules.indexOf(rule)) : 0;
    if (options.output.pageTitle < 0)
        return usageError(QStringLiteral("unknown --title rule \"%1\" (none, sheet, workbook or "
                                         "workbook-sheet)")
                              .arg(rule));

    if (parser.isSet(sheets)) {
        if (options.output.entireWorkbook)
            return usageError(QStringLiteral("--sheets chooses pages of per-sheet mode; it "
                                             "cannot go with --entire"));
        // Repeating the option adds names, so that several lists can be given.
        for (const QString& list : parser.values(sheets))
            for (const QString& name : list.split(u',', Qt::SkipEmptyParts))
                options.sheets << name;
        if (options.sheets.isEmpty())
            return usageError(QStringLiteral("--sheets names no sheet"));
    }

    options.quiet = parser.isSet(quiet);
    options.jobs = std::max(1, QThread::idealThreadCount());
    if (parser.isSet(jobs)) {
        bool number = false;
        options.jobs = jobCount.toInt(&number);
        if (!number || options.jobs < 1 || options.jobs > maxJobs)
            return usageError(QStringLiteral("--jobs wants a whole number from 1 to %1, not "
                                             "\"%2\"")
                                  .arg(maxJobs)
                                  .arg(jobCount));
    }
    options.nulSeparated = parser.isSet(null);
    options.recursive = parser.isSet(recursive);
    options.mirror = parser.isSet(mirror);
    options.skipDone = parser.isSet(skipDone);
    if (parser.isSet(filesFrom) && options.filesFrom.isEmpty())
        return usageError(QStringLiteral("--files-from names no file"));
    if (options.nulSeparated && options.filesFrom.isEmpty())
        return usageError(QStringLiteral("--null says how the --files-from list is separated; "
                                         "give --files-from FILE too"));
    if (parser.isSet(report) && options.reportFile.isEmpty())
        return usageError(QStringLiteral("--report names no file"));
    if (options.skipDone && options.reportFile.isEmpty())
        return usageError(QStringLiteral("--skip-done reads what was done from the report; give "
                                         "--report FILE too"));
    if (parser.isSet(shard) && !ParseShard(shardText, options.shardIndex, options.shardCount))
        return usageError(QStringLiteral("--shard wants K/N with whole numbers 1 <= K <= N <= "
                                         "%1, not \"%2\"")
                              .arg(MaxShards)
                              .arg(shardText));

    options.inputs = parser.positionalArguments();
    if (options.inputs.isEmpty() && options.filesFrom.isEmpty())
        return usageError(QStringLiteral("no INPUT: name workbook files or folders to convert, "
                                         "or give --files-from FILE"));
    for (const QString& input : options.inputs)
        if (input.isEmpty())
            return usageError(QStringLiteral("an INPUT is empty"));

    ParsedCommandLine parsed;
    parsed.outcome = ParsedCommandLine::Run;
    parsed.options = options;
    return parsed;
}

} // namespace batch
