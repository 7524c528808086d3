#include "app/Random.h"
#include "app/SharedState.h"
#include "automation/CallSequence.h"
#include "automation/Error.h"
#include "convert/Conversion.h"
#include "convert/HostSession.h"
#include "convert/Names.h"
#include "convert/PartialOutput.h"

#include <chrono>
#include <deque>
#include <optional>
#include <vector>

namespace convert {
namespace {

// The object model's constant for publishing a whole sheet.
constexpr int xlSourceSheet = 1;
// The sheet loop counter is a 16-bit signed number.
constexpr std::int64_t mostWorksheets = 32767;
constexpr int overflowError = 6;

// Sheets published per request at most, and how long a request may take before the next
// one gets fewer: far below the host's shortest time limit for a call, so that one slow
// sheet among many small ones cannot make a request overrun it.
constexpr int largestGroup = 512;
constexpr std::chrono::milliseconds growWhenUnder{250};
constexpr std::chrono::milliseconds shrinkWhenOver{2000};

// True when sheet `position` is to be published, with its name in `name`; false when the
// stored choices or the context's filter leave it out. `nameAt` reads a name from the
// workbook, only for sheets the stored choices do not name.
// True when the sheet at `position` is named by the workbook rather than by the stored choices.
bool namedByWorkbook(const ConversionContext& context, std::int32_t column, int position) {
    return context.state.SheetTable.at(column, 1, 0).empty() || position > app::SheetTable::LastRow;
}

template <typename NameAt>
bool chooseSheet(const ConversionContext& context, std::int32_t column, int position,
                 NameAt&& nameAt, std::string& name) {
    const app::SheetTable& table = context.state.SheetTable;
    if (!namedByWorkbook(context, column, position)) {
        if (table.at(column, position, 1).empty())
            return false;
        name = table.at(column, position, 0);
    } else {
        name = nameAt(position);
    }
    return !context.publishesSheet || context.publishesSheet(name);
}

int worksheetCount(const automation::Object& worksheets) {
    const std::int64_t count = worksheets.get("Count").integer().value_or(0);
    if (count > mostWorksheets)
        throw automation::Error(overflowError, "Overflow: the workbook has more than " +
                                                   std::to_string(mostWorksheets) + " worksheets.");
    return static_cast<int>(count);
}

// One sheet's calls, handed to the host, and the page they write, guarded until it is written.
struct SheetInFlight {
    explicit SheetInFlight(const automation::Object& workbook) : steps(workbook) {}

    automation::CallSequence steps;
    automation::CallSequence::Step publish{-1};
    int position = 0;
    std::string page;
    bool adding = false;
    std::optional<PartialOutput> guard;
    // FileSequenceNumber once this sheet was named: what a failure of this sheet leaves it at,
    // whatever the sheets named after it took.
    std::int32_t sequenceAfter = 0;
};

// Sheets whose calls are handed over before the results of the oldest in flight are read. One
// keeps the host busy while the caller reads; eight measured no faster over 2,000 sheets and
// would leave the progress bar further behind the host.
constexpr std::size_t sheetsAhead = 1;

// The name of a sheet, asked for before the calls of the sheet ahead of it have come back.
struct NameInFlight {
    NameInFlight(const automation::Object& workbook, int position)
        : position(position), steps(workbook) {}

    int position;
    automation::CallSequence steps;
};

// The pages of one request, guarded until the host has put them all in place.
struct PageGroup {
    wire::Value::List files;
    wire::Value::List sheets;
    wire::Value::List titles;
    std::vector<PartialOutput> guards;

    void clear() {
        files.clear();
        sheets.clear();
        titles.clear();
        guards.clear();
    }
};

// Publishes the chosen sheets many to a request: the names of all worksheets in one call, then
// for each group of pages AddSheets, Publish and Delete. The groups start at one page and
// double while a request stays quick, so a workbook of small sheets costs a few requests and a
// workbook of large ones still publishes about one sheet per request.
ConversionOutcome publishInGroups(ConversionContext& context, const WorkbookJob& job) {
    ConversionOutcome outcome;
    const std::string prefix = context.state.WorkbookOutputFolder + '/';
    const OutputOptions& options = context.options;
    ClaimedNames claimed;
    std::optional<HostSession> session;
    PageGroup group;
    try {
        session.emplace(context.automation, job.path);
        const automation::Object& workbook = session->workbook();
        const automation::Object worksheets = workbook.getObject("Worksheets");
        const int sheets = worksheetCount(worksheets);
        if (sheets > 0)
            context.observer.setProgressMaximum(sheets);
        std::vector<std::string> names;
        const auto nameAt = [&](int position) {
            if (names.empty()) {
                const wire::Value listed = worksheets.get("Names");
                if (listed.is<wire::Value::List>())
                    for (const wire::Value& listedName : listed.as<wire::Value::List>())
                        names.push_back(listedName.text());
                if (names.size() != static_cast<std::size_t>(sheets))
                    throw automation::Error(1004, "The host named " + std::to_string(names.size()) +
                                                      " worksheets of " + std::to_string(sheets) +
                                                      ".");
            }
            return names[static_cast<std::size_t>(position - 1)];
        };
        const automation::Object publishObjects = workbook.getObject("PublishObjects");
        const std::string extension = OutputExtension(options);
        int groupSize = 1;
        int position = 1;
        while (position <= sheets) {
            group.clear();
            for (; position <= sheets && static_cast<int>(group.files.size()) < groupSize;
                 ++position) {
                std::string name;
                if (!chooseSheet(context, job.position, position, nameAt, name))
                    continue;
                const std::string stem =
                    OutputFileName(options.fileNaming, job.itemText, name,
                                   context.state.FileSequenceNumber, context.random);
                const std::string title = PageTitle(options.pageTitle, job.itemText, name);
                std::string page = prefix + claimed.claim(stem, extension) + '.' + extension;
                group.files.emplace_back(std::move(page));
                group.sheets.emplace_back(name);
                // An empty title goes as an empty text, never as a missing one.
                group.titles.emplace_back(title);
            }
            if (!group.files.empty()) {
                for (const wire::Value& page : group.files)
                    group.guards.emplace_back(page.as<std::string>());
                const auto start = std::chrono::steady_clock::now();
                publishObjects.call("AddSheets", {xlSourceSheet, group.files, group.sheets,
                                                  automation::omitted(), options.htmlType,
                                                  automation::omitted(), group.titles});
                publishObjects.call("Publish");
                for (const wire::Value& page : group.files)
                    outcome.written.push_back(page.as<std::string>());
                group.clear();
                publishObjects.call("Delete");
                const auto took = std::chrono::steady_clock::now() - start;
                if (took < growWhenUnder && groupSize < largestGroup)
                    groupSize *= 2;
                else if (took > shrinkWhenOver && groupSize > 1)
                    groupSize /= 2;
            }
            context.observer.setProgressValue(position - 1);
        }
        session->close();
        context.observer.setProgressValue(0);
        context.state.FileSequenceNumber = 0;
    } catch (...) {
        outcome.result = HostFailed;
        outcome.errorDescription = CurrentFailureDescription();
        // The host ends first: one still writing would add to what is taken away. The pages
        // it put in place before it failed are complete and stay, as pages of earlier sheets
        // do; from the first one missing on, what the request left is taken back.
        session.reset();
        bool finished = true;
        for (std::size_t i = 0; i < group.guards.size(); ++i) {
            finished = finished && group.guards[i].placed();
            if (finished)
                outcome.written.push_back(group.files[i].as<std::string>());
            else
                group.guards[i].removeAdded();
        }
    }
    return outcome;
}

} // namespace

ConversionOutcome ConvertSheetsOfWorkbook(ConversionContext& context, const WorkbookJob& job) {
    ConversionOutcome outcome;
    if (job.path.empty()) {
        outcome.result = NoWorkbookFile;
        return outcome;
    }
    // Without a publish type nothing is added, and the one-by-one sequence is as cheap.
    if (context.publishInGroups && context.options.htmlType >= 0 && context.options.htmlType <= 2)
        return publishInGroups(context, job);
    const std::string prefix = context.state.WorkbookOutputFolder + '/';
    const OutputOptions& options = context.options;
    ClaimedNames claimed;
    std::optional<HostSession> session;
    // The sheets whose calls are with the host, oldest first: each one's are handed over before
    // the results of those ahead of it are read, so neither side waits for the other between
    // sheets. The host makes a sheet's calls only if all calls of the sheets before it succeed.
    std::deque<SheetInFlight> inFlight;
    const auto settleOldest = [&] {
        SheetInFlight& sheet = inFlight.front();
        try {
            sheet.steps.finish();
        } catch (...) {
            // A page the host finished stays, as pages of earlier sheets do.
            if (sheet.steps.done(sheet.publish)) {
                sheet.guard.reset();
                if (sheet.adding)
                    outcome.written.push_back(sheet.page);
            }
            // The sheets named after it were never published: their numbers are not taken.
            context.state.FileSequenceNumber = sheet.sequenceAfter;
            throw;
        }
        sheet.guard.reset();
        if (sheet.adding)
            outcome.written.push_back(sheet.page);
        context.observer.setProgressValue(sheet.position);
        inFlight.pop_front();
    };
    const auto settleAll = [&] {
        while (!inFlight.empty())
            settleOldest();
    };
    try {
        session.emplace(context.automation, job.path);
        const automation::Object& workbook = session->workbook();
        const int sheets = worksheetCount(workbook.getObject("Worksheets"));
        // The name of the sheet after the one in flight, asked for right behind it.
        std::optional<NameInFlight> nextName;
        const auto nameAt = [&](int position) {
            // Replies come in order: the sheets in flight come back first.
            settleAll();
            if (nextName && nextName->position == position) {
                const wire::Value::List results = nextName->steps.finish();
                nextName.reset();
                return results.size() > 1 ? results[1].text() : std::string();
            }
            return workbook.getObject("Worksheets", {position}).get("Name").text();
        };
        if (sheets > 0)
            context.observer.setProgressMaximum(sheets);
        for (int position = 1; position <= sheets; ++position) {
            std::string name;
            if (!chooseSheet(context, job.position, position, nameAt, name)) {
                settleAll();
                context.observer.setProgressValue(position);
                continue;
            }
            const std::string stem =
                OutputFileName(options.fileNaming, job.itemText, name,
                               context.state.FileSequenceNumber, context.random);
            const std::string title = PageTitle(options.pageTitle, job.itemText, name);
            const std::string extension = OutputExtension(options);
            const std::string fileName = claimed.claim(stem, extension) + '.' + extension;
            SheetInFlight* before = inFlight.empty() ? nullptr : &inFlight.back();
            SheetInFlight& sheet = inFlight.emplace_back(workbook);
            sheet.sequenceAfter = context.state.FileSequenceNumber;
            sheet.position = position;
            sheet.page = prefix + fileName;
            sheet.adding = options.htmlType >= 0 && options.htmlType <= 2;
            // The sheet's calls go to the host together, made one after another as if each
            // came alone, and stop at the first that fails.
            automation::CallSequence& steps = sheet.steps;
            const auto sheetItem = steps.get(workbook, "Sheets", {position});
            steps.call(sheetItem, "Select");
            const auto publishObjects = steps.get(workbook, "PublishObjects");
            // An empty title goes as an empty text, never as a missing argument.
            if (sheet.adding)
                steps.call(publishObjects, "Add",
                           {xlSourceSheet, sheet.page, name, automation::omitted(),
                            options.htmlType, automation::omitted(), title});
            sheet.publish = steps.call(publishObjects, "Publish");
            steps.call(publishObjects, "Delete");
            if (sheet.adding)
                sheet.guard.emplace(sheet.page);
            steps.start(before ? &before->steps : nullptr);
            // The next sheet's name is read after this sheet's calls, as it would be once they
            // came back, but without waiting for them.
            if (position < sheets && namedByWorkbook(context, job.position, position + 1)) {
                NameInFlight& next = nextName.emplace(workbook, position + 1);
                const auto item = next.steps.get(workbook, "Worksheets", {position + 1});
                next.steps.get(item, "Name");
                next.steps.start(&steps);
            }
            if (inFlight.size() > sheetsAhead)
                settleOldest();
        }
        settleAll();
        session->close();
        context.observer.setProgressValue(0);
        context.state.FileSequenceNumber = 0;
    } catch (...) {
        outcome.result = HostFailed;
        outcome.errorDescription = CurrentFailureDescription();
        // The host ends first: one still writing would add to what is taken away. Pages of
        // earlier sheets stay, and so does the page of a sheet in flight that the host put in
        // place before it ended.
        session.reset();
        for (SheetInFlight& sheet : inFlight) {
            if (!sheet.guard)
                continue;
            if (sheet.guard->placed())
                outcome.written.push_back(sheet.page);
            else
                sheet.guard->removeAdded();
        }
    }
    return outcome;
}

} // namespace convert
