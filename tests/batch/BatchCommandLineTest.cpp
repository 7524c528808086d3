// The command line of quillmere-batch: what each option becomes, and every usage error.

#include "batch/BatchOptions.h"

#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using batch::ParseCommandLine;
using batch::ParsedCommandLine;

ParsedCommandLine parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("quillmere-batch"));
    return ParseCommandLine(arguments);
}

TEST(BatchCommandLine, DefaultsAreTheWindowsDefaults) {
    const ParsedCommandLine parsed = parse({"-o", "out", "a.xls", "dir"});
    ASSERT_EQ(parsed.outcome, ParsedCommandLine::Run) << parsed.message.toStdString();
    const batch::BatchOptions& o = parsed.options;
    EXPECT_EQ(o.inputs, QStringList({"a.xls", "dir"}));
    EXPECT_EQ(o.outputFolder, "out");
    EXPECT_FALSE(o.output.entireWorkbook);
    EXPECT_EQ(o.output.fileNaming, 0);
    EXPECT_EQ(o.output.htmlType, 0);
    EXPECT_EQ(o.output.fileFormat, 0);
    EXPECT_EQ(o.output.pageTitle, 0);
    EXPECT_TRUE(o.output.shortExtension);
    EXPECT_TRUE(o.sheets.isEmpty());
    EXPECT_FALSE(o.quiet);
    EXPECT_EQ(parse({"--output=o2", "in"}).options.outputFolder, "o2");
}

TEST(BatchCommandLine, EveryOptionBecomesTheWindowsChoice) {
    struct Row {
        QStringList arguments;
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
        QStringList arguments = row.arguments;
        arguments << "-o"
                  << "out"
                  << "in";
        const ParsedCommandLine parsed = parse(arguments);
        const std::string label = row.arguments.join(' ').toStdString();
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
    EXPECT_EQ(parsed.options.sheets, QStringList({"Summary", "Q 1", "Totals", "x:y"}));
}

TEST(BatchCommandLine, AnInputThatLooksLikeAnOptionAfterTheSeparator) {
    const ParsedCommandLine parsed = parse({"-o", "out", "--", "--entire.xls"});
    ASSERT_EQ(parsed.outcome, ParsedCommandLine::Run);
    EXPECT_EQ(parsed.options.inputs, QStringList({"--entire.xls"}));
    EXPECT_FALSE(parsed.options.output.entireWorkbook);
}

TEST(BatchCommandLine, HelpWinsAndNamesEveryOption) {
    EXPECT_EQ(parse({"--help"}).outcome, ParsedCommandLine::Help);
    EXPECT_EQ(parse({"-h", "-o", "out"}).outcome, ParsedCommandLine::Help);
    const QString help = batch::HelpText();
    for (const char* text :
         {"Usage: quillmere-batch [options] INPUT...", "-o, --output DIR", "--entire", "--archive",
          "--long-extension", "--names MODE", "--title RULE", "--sheets A,B,...", "-q, --quiet",
          "-j, --jobs N", "--version", "Exit status"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(text))) << text;
}

TEST(BatchCommandLine, VersionNeedsNothingElse) {
    EXPECT_EQ(parse({"--version"}).outcome, ParsedCommandLine::Version);
    EXPECT_EQ(parse({"--version", "-o", "out", "in"}).outcome, ParsedCommandLine::Version);
    EXPECT_TRUE(batch::VersionText().startsWith("quillmere-batch "));
    EXPECT_TRUE(batch::VersionText().at(16).isDigit());
}

TEST(BatchCommandLine, JobsDefaultToTheProcessorsAndTakeAWholeNumber) {
    EXPECT_EQ(parse({"-o", "out", "in"}).options.jobs, std::max(1, QThread::idealThreadCount()));
    EXPECT_EQ(parse({"--jobs", "3", "-o", "out", "in"}).options.jobs, 3);
    EXPECT_EQ(parse({"-j", "1", "-o", "out", "in"}).options.jobs, 1);
    EXPECT_EQ(parse({"--jobs=2", "-o", "out", "in"}).options.jobs, 2);
}

TEST(BatchCommandLine, UsageErrorsSayWhatIsWrong) {
    struct Row {
        QStringList arguments;
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
        const std::string label = row.arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.outcome, ParsedCommandLine::UsageError) << label;
        EXPECT_TRUE(parsed.message.contains(QString::fromUtf8(row.said)))
            << label << " -> " << parsed.message.toStdString();
    }
}

} // namespace

namespace {

TEST(BatchCommandLine, ArchiveOptionsAndTheirMistakes) {
    const ParsedCommandLine parsed =
        parse({"--files-from", "-", "--null", "-r", "--mirror", "--shard", "3/8", "--report",
               "r.jsonl", "--skip-done", "-o", "out"});
    ASSERT_EQ(parsed.outcome, ParsedCommandLine::Run) << parsed.message.toStdString();
    const batch::BatchOptions& o = parsed.options;
    EXPECT_EQ(o.filesFrom, "-");
    EXPECT_TRUE(o.nulSeparated && o.recursive && o.mirror && o.skipDone);
    EXPECT_EQ(o.shardIndex, 3);
    EXPECT_EQ(o.shardCount, 8);
    EXPECT_EQ(o.reportFile, "r.jsonl");
    EXPECT_TRUE(o.inputs.isEmpty()); // the list alone is enough

    const struct Row {
        QStringList arguments;
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
        const ParsedCommandLine wrong = parse(row.arguments + QStringList{"-o", "out"});
        EXPECT_EQ(wrong.outcome, ParsedCommandLine::UsageError) << row.said;
        EXPECT_TRUE(wrong.message.contains(row.said))
            << row.said << ": " << wrong.message.toStdString();
    }
}

} // namespace
