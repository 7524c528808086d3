// Publishing many sheets to a host request: the same pages as one sheet at a time, for a few
// requests rather than eight per sheet, and a failed request takes back only what it left
// unfinished.

#include "app/SharedState.h"
#include "convert/Conversion.h"
#include "engine/web/TemporaryName.h"
#include "tests/gui_support/Doubles.h"
#include "tests/gui_support/FakeHost.h"
#include "tests/support/QtPath.h"
#include "tests/support/TestPaths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace {

namespace fs = std::filesystem;
using testing_support::q;
using testing_support::ScratchDir;

class SilentObserver : public convert::RunObserver {
public:
    void setProgressMaximum(int) override {}
    void setProgressValue(int value) override { last = value; }
    void converting(const std::string&) override {}
    void hostError(const std::string&) override {}
    void workbookFailed(const std::string&) override {}
    int last = -1;
};

struct Publishing {
    testing_support::FakeHost host;
    testing_support::FixedRandom random;
    std::unique_ptr<app::SharedState> state = std::make_unique<app::SharedState>();
    SilentObserver observer;
    ScratchDir out;

    Publishing() { host.writeFiles = true; }

    convert::ConversionOutcome run(bool grouped, const QString& folder = {}) {
        state->WorkbookOutputFolder = folder.isEmpty() ? out.path().string() : folder.toStdString();
        convert::ConversionContext context{host, random, *state, observer, {}};
        context.options.pageTitle = 1;
        context.publishInGroups = grouped;
        return convert::ConvertSheetsOfWorkbook(
            context, convert::WorkbookJob{1, "Book.xls", "/in/Book.xls"});
    }
};

std::vector<std::string> fileNames(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const std::string& path : paths)
        names.push_back(fs::path(path).filename().string());
    return names;
}

TEST(GroupedPublishing, ManySheetsTakeAFewRequestsAndGiveThePagesOfOneAtATime) {
    QStringList sheets;
    for (int i = 1; i <= 1000; ++i)
        sheets << (i % 100 == 0 ? QStringLiteral("data") : QStringLiteral("S%1").arg(i));
    sheets[1] = QStringLiteral("Data"); // the same page name as the lower-case ones: claimed

    Publishing grouped;
    grouped.host.addWorkbook("/in/Book.xls", sheets);
    const convert::ConversionOutcome many = grouped.run(true);
    ASSERT_EQ(many.result, convert::Converted) << many.errorDescription;

    Publishing single;
    single.host.addWorkbook("/in/Book.xls", sheets);
    const convert::ConversionOutcome one = single.run(false);
    ASSERT_EQ(one.result, convert::Converted);

    EXPECT_EQ(fileNames(many.written), fileNames(one.written));
    EXPECT_EQ(many.written.size(), 1000u);
    EXPECT_EQ(many.written.at(99), (grouped.out / "data_2.htm").string());
    // Eight calls a sheet one at a time; a few dozen for all of them in groups (how many
    // depends on how quickly each request came back, so the bound leaves room for a busy
    // machine).
    EXPECT_GT(single.host.calls.size(), 8000);
    EXPECT_LT(grouped.host.calls.size(), 400) << grouped.host.calls.join('\n').toStdString();
    EXPECT_TRUE(grouped.host.callsOf({"Select", "Name", "Add"}).isEmpty());
    // Titles go with their sheets.
    const auto adds = grouped.host.detailedCallsOf("AddSheets");
    ASSERT_FALSE(adds.empty());
    ASSERT_EQ(adds.front().args.size(), 7u);
    EXPECT_EQ(adds.front().args[2], wire::Value(wire::Value::List{"S1"}));
    EXPECT_EQ(adds.front().args[6], wire::Value(wire::Value::List{"S1"}));
    EXPECT_EQ(grouped.host.liveInstances(), 0);
    EXPECT_EQ(grouped.observer.last, 0);
}

TEST(GroupedPublishing, AFailedRequestKeepsWhatTheHostFinishedAndTakesBackTheRest) {
    Publishing publishing;
    publishing.host.addWorkbook("/in/Book.xls", {"A", "B", "C", "D"});
    const fs::path out = publishing.out.path();
    // A page from an earlier run where this run's C goes: not this run's to take away.
    std::ofstream(out / "C.htm") << "earlier";
    int publishes = 0;
    publishing.host.onCall = [&](const QString& call) {
        // The second request holds B and C: the host puts B in place, and dies while
        // writing C under its temporary name.
        if (call == "Publish" && ++publishes == 2) {
            std::ofstream(out / "B.tmp") << "B";
            fs::rename(out / "B.tmp", out / "B.htm");
            std::ofstream(out / engine::web::TemporaryName("C.htm", 0)) << "half";
        }
    };
    publishing.host.failOn("Publish", "The spreadsheet host stopped unexpectedly.", 2);

    const convert::ConversionOutcome outcome = publishing.run(true);
    EXPECT_EQ(outcome.result, convert::HostFailed);
    EXPECT_EQ(outcome.errorDescription, "The spreadsheet host stopped unexpectedly.");
    EXPECT_EQ(fileNames(outcome.written), (std::vector<std::string>{"A.htm", "B.htm"}));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(out))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"A.htm", "B.htm", "C.htm"}));
    std::ifstream earlier(out / "C.htm");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "earlier");
    EXPECT_EQ(publishing.host.liveInstances(), 0);
}

TEST(GroupedPublishing, AHostThatMiscountsItsNamesIsAFailureNotAWrongPage) {
    Publishing publishing;
    // Worksheets counts two, Names gives three: the positions could not be trusted.
    publishing.host.addWorkbook("/in/Book.xls", {"A", "B"});
    publishing.host.onCall = [&](const QString& call) {
        if (call == "Names")
            publishing.host.books["/in/Book.xls"].worksheets << "C";
    };
    const convert::ConversionOutcome outcome = publishing.run(true);
    EXPECT_EQ(outcome.result, convert::HostFailed);
    EXPECT_TRUE(outcome.written.empty());
    EXPECT_TRUE(fs::is_empty(publishing.out.path()));
}

} // namespace
