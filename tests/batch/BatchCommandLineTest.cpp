// The command line of quillmere-batch: what each option becomes, and every usage error.

#include "batch/BatchOptions.h"
#include "batch/CommandLine.h"
#include "batch/WholeNumber.h"

#include <QCommandLineParser>
#include <QThread>
#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using batch::ParseCommandLine;
using batch::ParsedCommandLine;

using Arguments = std::vector<std::string>;

ParsedCommandLine parse(Arguments arguments) {
    arguments.insert(arguments.begin(), "quillmere-batch");
    return ParseCommandLine(arguments);
}

std::string joined(const Arguments& arguments) {
    std::string text;
    for (const std::string& argument : arguments)
        text += (text.empty() ? "" : " ") + argument;
    return text;
}

TEST(BatchCommandLine, DefaultsAreTheWindowsDefaults) {
    const ParsedCommandLine parsed = parse({"-o", "out", "a.xls", "dir"});
    ASSERT_EQ(parsed.outcome, ParsedCommandLine::Run) << parsed.message;
    const batch::BatchOptions& o = parsed.options;
    EXPECT_EQ(o.inputs, Arguments({"a.xls", "dir"}));
    EXPECT_EQ(o.outputFolder, "out");
    EXPECT_FALSE(o.output.entireWorkbook);
    EXPECT_EQ(o.output.fileNaming, 0);
    EXPECT_EQ(o.output.htmlType, 0);
    EXPECT_EQ(o.output.fileFormat, 0);
    EXPECT_EQ(o.output.pageTitle, 0);
    EXPECT_TRUE(o.output.shortExtension);
    EXPECT_TRUE(o.sheets.empty());
    EXPECT_FALSE(o.quiet);
    EXPECT_EQ(parse({"--output=o2", "in"}).options.outputFolder, "o2");
}

TEST(BatchCommandLine, EveryOptionBecomesTheWindowsChoice) {
    struct Row {
        Arguments arguments;
        int fileNaming, pageTitle, fileFormat;
        bool entire, shortExtension, quiet;
    };
    const Row rows[] = {
        {{"--names", "workbook-sheet", "--title", "sheet"}, 1, 1, 0, false, true, false},
        {{"--names", "numbers", "--title", "workbook"}, 2, 2, 0, false, true, false},
        {{"--names=sheet", "--title=workbook-sheet"}, 0, 3, 0, false, true, false},
        {{"--title", "none", "--archive", "--long-extension"}, 0, 0, 1, false, false, false},
        {{"--entire", "-q"}, 0, 0, 0, true, true, true},
        {{"--quiet", "--entire", "--archive"}, 0, 0, 1, true, true, true},
    };
    for (const Row& row : rows) {
        Arguments arguments = row.arguments;
        arguments.insert(arguments.end(), {"-o", "out", "in"});
        const ParsedCommandLine parsed = parse(arguments);
        const std::string label = joined(row.arguments);
        ASSERT_EQ(parsed.outcome, ParsedCommandLine::Run) << label;
        EXPECT_EQ(parsed.options.output.fileNaming, row.fileNaming) << label;
        EXPECT_EQ(parsed.options.output.pageTitle, row.pageTitle) << label;
        EXPECT_EQ(parsed.options.output.fileFormat, row.fileFormat) << label;
        EXPECT_EQ(parsed.options.output.entireWorkbook, row.entire) << label;
        EXPECT_EQ(parsed.options.output.shortExtension, row.shortExtension) << label;
        EXPECT_EQ(parsed.options.quiet, row.quiet) << label;
    }
}

TEST(BatchCommandLine, SheetNamesSplitAtCommasAndAddUpOverRepeats) {
    const ParsedCommandLine parsed =
        parse({"--sheets", "Summary,Q 1,,Totals", "--sheets", "x:y", "-o", "out", "in"});
    ASSERT_EQ(parsed.outcome, ParsedCommandLine::Run);
    EXPECT_EQ(parsed.options.sheets, Arguments({"Summary", "Q 1", "Totals", "x:y"}));
}

TEST(BatchCommandLine, AnInputThatLooksLikeAnOptionAfterTheSeparator) {
    const ParsedCommandLine parsed = parse({"-o", "out", "--", "--entire.xls"});
    ASSERT_EQ(parsed.outcome, ParsedCommandLine::Run);
    EXPECT_EQ(parsed.options.inputs, Arguments({"--entire.xls"}));
    EXPECT_FALSE(parsed.options.output.entireWorkbook);
}

TEST(BatchCommandLine, HelpWinsAndNamesEveryOption) {
    EXPECT_EQ(parse({"--help"}).outcome, ParsedCommandLine::Help);
    EXPECT_EQ(parse({"-h", "-o", "out"}).outcome, ParsedCommandLine::Help);
    const std::string help = batch::HelpText();
    for (const char* text :
         {"Usage: quillmere-batch [options] INPUT...", "-o, --output DIR", "--entire", "--archive",
          "--long-extension", "--names MODE", "--title RULE", "--sheets A,B,...", "-q, --quiet",
          "-j, --jobs N", "--version", "Exit status"})
        EXPECT_NE(help.find(text), std::string::npos) << text;
}

TEST(BatchCommandLine, VersionNeedsNothingElse) {
    EXPECT_EQ(parse({"--version"}).outcome, ParsedCommandLine::Version);
    EXPECT_EQ(parse({"--version", "-o", "out", "in"}).outcome, ParsedCommandLine::Version);
    EXPECT_TRUE(batch::VersionText().starts_with("quillmere-batch "));
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(batch::VersionText().at(16))));
}

TEST(BatchCommandLine, JobsDefaultToTheProcessorsAndTakeAWholeNumber) {
    EXPECT_EQ(parse({"-o", "out", "in"}).options.jobs, std::max(1, QThread::idealThreadCount()));
    EXPECT_EQ(parse({"--jobs", "3", "-o", "out", "in"}).options.jobs, 3);
    EXPECT_EQ(parse({"-j", "1", "-o", "out", "in"}).options.jobs, 1);
    EXPECT_EQ(parse({"--jobs=2", "-o", "out", "in"}).options.jobs, 2);
}

TEST(BatchCommandLine, UsageErrorsSayWhatIsWrong) {
    struct Row {
        Arguments arguments;
        const char* said;
    };
    const Row rows[] = {
        {{}, "output directory is missing"},
        {{"in.xls"}, "output directory is missing"},
        {{"-o", "", "in.xls"}, "output directory is empty"},
        {{"-o", "out"}, "no INPUT"},
        {{"-o", "out", ""}, "an INPUT is empty"},
        {{"-o"}, "-o"},
        {{"-o", "a", "-o", "b", "in"}, "more than once"},
        {{"--bogus", "-o", "out", "in"}, "bogus"},
        {{"--names", "Sheet", "-o", "out", "in"}, "unknown --names mode \"Sheet\""},
        {{"--title", "both", "-o", "out", "in"}, "unknown --title rule \"both\""},
        {{"--title", "a", "--title", "b", "-o", "out", "in"}, "more than once"},
        {{"--entire", "--sheets", "A", "-o", "out", "in"}, "cannot go with --entire"},
        {{"--sheets", ",,", "-o", "out", "in"}, "names no sheet"},
        {{"--entire=yes", "-o", "out", "in"}, "entire"},
        {{"--jobs", "0", "-o", "out", "in"}, "--jobs wants a whole number from 1"},
        {{"--jobs", "-2", "-o", "out", "in"}, "--jobs wants"},
        {{"--jobs", "two", "-o", "out", "in"}, "not \"two\""},
        {{"--jobs", "100000", "-o", "out", "in"}, "--jobs wants"},
        {{"-j", "2", "-j", "3", "-o", "out", "in"}, "more than once"},
    };
    for (const Row& row : rows) {
        const ParsedCommandLine parsed = parse(row.arguments);
        const std::string label = joined(row.arguments);
        EXPECT_EQ(parsed.outcome, ParsedCommandLine::UsageError) << label;
        EXPECT_NE(parsed.message.find(row.said), std::string::npos)
            << label << " -> " << parsed.message;
    }
}

} // namespace

namespace {

TEST(BatchCommandLine, ArchiveOptionsAndTheirMistakes) {
    const ParsedCommandLine parsed =
        parse({"--files-from", "-", "--null", "-r", "--mirror", "--shard", "3/8", "--report",
               "r.jsonl", "--skip-done", "-o", "out"});
    ASSERT_EQ(parsed.outcome, ParsedCommandLine::Run) << parsed.message;
    const batch::BatchOptions& o = parsed.options;
    EXPECT_EQ(o.filesFrom, "-");
    EXPECT_TRUE(o.nulSeparated && o.recursive && o.mirror && o.skipDone);
    EXPECT_EQ(o.shardIndex, 3);
    EXPECT_EQ(o.shardCount, 8);
    EXPECT_EQ(o.reportFile, "r.jsonl");
    EXPECT_TRUE(o.inputs.empty()); // the list alone is enough

    const struct Row {
        Arguments arguments;
        const char* said;
    } mistakes[] = {
        {{"--null", "in"}, "give --files-from FILE too"},
        {{"--skip-done", "in"}, "give --report FILE too"},
        {{"--shard", "0/4", "in"}, "1 <= K <= N"},
        {{"--shard", "4", "in"}, "1 <= K <= N"},
        {{"--files-from=", "in"}, "names no file"},
        {{"--report", "a", "--report", "b", "in"}, "more than once"},
        {{}, "--files-from"},
    };
    for (const Row& row : mistakes) {
        Arguments arguments = row.arguments;
        arguments.insert(arguments.end(), {"-o", "out"});
        const ParsedCommandLine wrong = parse(arguments);
        EXPECT_EQ(wrong.outcome, ParsedCommandLine::UsageError) << row.said;
        EXPECT_NE(wrong.message.find(row.said), std::string::npos)
            << row.said << ": " << wrong.message;
    }
}

} // namespace

namespace {

// What the program said before its command line was read without Qt; users' scripts match it.
TEST(BatchCommandLine, MessagesAreWordForWordAsBefore) {
    const struct Row {
        Arguments arguments;
        const char* message;
    } rows[] = {
        {{"-o"}, "Missing value after '-o'."},
        {{"--bogus", "-o", "out", "in"}, "Unknown option 'bogus'."},
        {{"-xy", "-o", "out", "in"}, "Unknown options: x, y."},
        {{"--bogus", "--worse", "-z", "in"}, "Unknown options: bogus, worse, z."},
        {{"-qz", "-o", "out", "in"}, "Unknown option 'z'."},
        {{"--entire=yes", "-o", "out", "in"}, "Unexpected value after '--entire'."},
        {{"-q=1", "-o", "out", "in"}, "Unexpected value after '-q'."},
        {{"--bogus", "-o"}, "Missing value after '-o'."},
        {{"--entire=1", "--archive=2", "-o"}, "Missing value after '-o'."},
        {{"-o", "out", "--files-from"}, "Missing value after '--files-from'."},
        {{"--=x", "-o", "out", "in"}, "Unknown option ''."},
        {{"---x", "-o", "out", "in"}, "Unknown option '-x'."},
        {{"-\xc3\xa9", "-o", "out", "in"}, "Unknown option '\xc3\xa9'."},
        {{"-o", "a", "-o", "b", "in"}, "--output given more than once"},
        {{"-j", "2", "-j3", "-o", "out", "in"}, "--jobs given more than once"},
        {{"--names", "Sheet", "-o", "out", "in"},
         "unknown --names mode \"Sheet\" (sheet, workbook-sheet or numbers)"},
        {{"--title", "both", "-o", "out", "in"},
         "unknown --title rule \"both\" (none, sheet, workbook or workbook-sheet)"},
        {{"--jobs", " 2x", "-o", "out", "in"},
         "--jobs wants a whole number from 1 to 256, not \" 2x\""},
        {{"-rqj", "0", "-o", "out", "in"}, "--jobs wants a whole number from 1 to 256, not \"0\""},
        {{"--shard", "1/2/3", "-o", "out", "in"},
         "--shard wants K/N with whole numbers 1 <= K <= N <= 1000000, not \"1/2/3\""},
        {{"-oq"}, "no INPUT: name workbook files or folders to convert, or give --files-from FILE"},
        {{"--", "-o", "out"}, "the output directory is missing (-o DIR)"},
        {{"-o", "out", "in", "-j"}, "Missing value after '-j'."},
    };
    for (const Row& row : rows) {
        const ParsedCommandLine parsed = parse(row.arguments);
        EXPECT_EQ(parsed.outcome, ParsedCommandLine::UsageError) << joined(row.arguments);
        EXPECT_EQ(parsed.message, row.message) << joined(row.arguments);
    }
    EXPECT_EQ(parse({"-h", "--bogus"}).outcome, ParsedCommandLine::UsageError);
    EXPECT_EQ(parse({"--help", "-o"}).message, "Missing value after '-o'.");
    EXPECT_EQ(parse({"-o", "--bogus", "in"}).options.outputFolder, "--bogus");
    EXPECT_EQ(parse({"-j=4", "-o", "out", "in"}).options.jobs, 4);
    EXPECT_EQ(parse({"-j4", "-oout", "in"}).options.outputFolder, "out");
    EXPECT_EQ(parse({"--jobs", "+3", "-o", "out", "in"}).options.jobs, 3);
    EXPECT_EQ(parse({"-o", "out", "-"}).options.inputs, Arguments({"-"}));
}

// The parser the program used before, set up as it was: every reading of a command line must
// agree with it, errors included.
struct Reading {
    bool ok = false;
    std::string error;
    std::vector<bool> set;
    std::vector<Arguments> values;
    Arguments positional;
    bool operator==(const Reading&) const = default;
};

const std::vector<batch::OptionSpec> specs = {
    {{"h", "help"}, false}, {{"o", "output"}, true}, {{"entire"}, false},
    {{"j", "jobs"}, true},  {{"q", "quiet"}, false}, {{"r", "recursive"}, false},
    {{"names"}, true},      {{"files-from"}, true},  {{"skip-done"}, false}};

Arguments fromQt(const QStringList& list) {
    Arguments texts;
    for (const QString& text : list)
        texts.push_back(text.toStdString());
    return texts;
}

Reading readByQt(const Arguments& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    std::vector<QCommandLineOption> options;
    for (const batch::OptionSpec& spec : specs) {
        QStringList names;
        for (const std::string& name : spec.names)
            names << QString::fromStdString(name);
        options.emplace_back(names, QString(), spec.takesValue ? QStringLiteral("V") : QString());
        parser.addOption(options.back());
    }
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    Reading reading;
    reading.ok = parser.parse(list);
    reading.error = parser.errorText().toStdString();
    if (!reading.ok)
        return reading;
    for (const QCommandLineOption& option : options) {
        reading.set.push_back(parser.isSet(option));
        reading.values.push_back(fromQt(parser.values(option)));
    }
    reading.positional = fromQt(parser.positionalArguments());
    return reading;
}

Reading readByOurs(const Arguments& arguments) {
    batch::CommandLine parser(specs);
    Reading reading;
    reading.ok = parser.parse(arguments);
    reading.error = parser.errorText();
    if (!reading.ok)
        return reading;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        reading.set.push_back(parser.isSet(i));
        reading.values.push_back(parser.values(i));
    }
    reading.positional = parser.positional();
    return reading;
}

TEST(BatchCommandLine, EveryLineOfUpToThreeWordsReadsAsItDidBefore) {
    const Arguments words = {
        "-o",  "out",         "--output", "--output=x", "-oq",        "-qo",  "-qj",
        "-j4", "-j=4",        "-q=1",     "--entire",   "--entire=1", "--",   "-",
        "",    "--bogus",     "-x",       "-\xc3\xa9",  "---x",       "--=x", "in",
        "-rq", "--names=a=b", "-o=",      "--names",    "-h"};
    int lines = 0;
    auto check = [&](const Arguments& line) {
        Arguments arguments = {"quillmere-batch"};
        arguments.insert(arguments.end(), line.begin(), line.end());
        ASSERT_EQ(readByOurs(arguments), readByQt(arguments)) << joined(line);
        ++lines;
    };
    for (const std::string& a : words) {
        check({a});
        for (const std::string& b : words) {
            check({a, b});
            for (const std::string& c : words)
                check({a, b, c});
        }
    }
    EXPECT_EQ(lines, 26 + 26 * 26 + 26 * 26 * 26);
}

TEST(BatchCommandLine, NumbersReadAsQtReadThem) {
    for (const char* text : {"4",
                             " 4",
                             "4 ",
                             "+4",
                             "-4",
                             "04",
                             "0x4",
                             "4a",
                             "",
                             "  ",
                             "1e2",
                             "4.0",
                             "2147483647",
                             "2147483648",
                             "-2147483649",
                             "\t4\n",
                             "1 2",
                             "+",
                             "-0",
                             "+-4",
                             "\v4\f",
                             "\xe2\x80\x83"
                             "4",
                             "4\xc2\xa0",
                             "\xd9\xa4"}) {
        bool ok = false;
        const int qt = QString::fromUtf8(text).toInt(&ok);
        const std::optional<int> ours = batch::ToInt(text);
        EXPECT_EQ(ours.has_value(), ok) << text;
        if (ok && ours) {
            EXPECT_EQ(*ours, qt) << text;
        }
        EXPECT_EQ(std::string(batch::Trimmed(text)),
                  QString::fromUtf8(text).trimmed().toStdString())
            << text;
    }
}

} // namespace
