#pragma once
// An in-process stand-in for the spreadsheet host: scripted workbooks, scripted failures, and a
// record of every call in the order the program made it.

#include "automation/Dispatch.h"
#include "automation/Factory.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

class FakeHost : public automation::Factory {
public:
    // A workbook the fake can open: its worksheets and (when charts stand between them) all
    // its sheets in order; `sheets` defaults to the worksheets.
    struct Book {
        QStringList worksheets;
        QStringList sheets;
    };

    QString version = QStringLiteral("16.0");

    void addWorkbook(const QString& path, const QStringList& worksheets,
                     const QStringList& sheets = {});
    // The `occurrence`-th access (1-based; 0 = every one) of `member` (e.g. "Open", "Version",
    // "CreateObject") fails with `description`.
    void failOn(const QString& member, const QString& description, int occurrence = 1,
                int number = 1004);

    // Every call so far, e.g. "CreateObject(Excel.Application)", "Version", "Workbooks",
    // "Open(/d/a.xls)", "DisplayAlerts=false", "Worksheets", "Count", "Item(1)", "Name",
    // "Select", "PublishObjects", "Add(1,/o/a.htm,S,<omitted>,0,<omitted>,T)",
    // "AddSheets(1,[/o/a.htm|/o/b.htm],[S|T],<omitted>,0,<omitted>,[A|B])", "Publish",
    // "Delete", "SaveAs(/o/a.htm;FileFormat=44)", "Close", "Quit".
    QStringList calls;
    // Only the calls of these members, in order (letter case ignored).
    QStringList callsOf(const QStringList& members) const;

    // Every call made on an instance with its arguments as passed, their types included.
    struct Call {
        QString member;
        wire::Arguments args;
        wire::NamedArguments named;
    };
    std::vector<Call> detailedCalls;
    // How many times the calls were handed over as one sequence, and how many calls each held.
    std::vector<std::size_t> sequences;
    // The detailed calls of `member` (letter case ignored).
    std::vector<Call> detailedCallsOf(const QString& member) const;

    // Runs before each call is answered (and before any scripted failure), with the call's
    // text as recorded in `calls`: lets a test change the world in the middle of a run.
    std::function<void(const QString& call)> onCall;

    // When true, SaveAs and Publish write small files where a real host would write pages:
    // SaveAs a file at its Filename, Publish one file per sheet added since the last Delete,
    // holding the Sheet argument. A file that cannot be written fails the call with error 1004.
    bool writeFiles = false;

    // Instances created and not yet released by the program.
    int liveInstances() const;
    int createdInstances() const { return static_cast<int>(instances_.size()); }

    automation::Object CreateObject(const std::string& progId) override;

    // Internals shared with the instances.
    struct Failure {
        QString member;
        QString description;
        int occurrence;
        int number;
    };
    void record(const QString& call, const QString& member);
    QMap<QString, Book> books;

private:
    std::vector<Failure> failures_;
    QMap<QString, int> counts_;
    std::vector<std::weak_ptr<automation::Dispatch>> instances_;
};

} // namespace testing_support
