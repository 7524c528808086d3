#pragma once
// A main window wired to test doubles, with its own program folder (a scratch folder that also
// holds the state files).

#include "app/SharedState.h"
#include "app/form1.h"
#include "tests/gui_support/Doubles.h"
#include "tests/gui_support/FakeHost.h"
#include "tests/support/TestPaths.h"

#include <memory>

namespace testing_support {

struct TestWindow {
    TestWindow();
    ~TestWindow();

    // Writes a state file (EXCEL.txt, output.txt, set.txt) of the given lines, CR LF each.
    void writeStateFile(const QString& name, const QStringList& lines);
    // Reads a state file's bytes ("" when missing).
    QByteArray stateFileBytes(const QString& name) const;
    // Path of a file inside the program folder.
    QString programFile(const QString& name) const;

    // Creates the window; Form_Load is left to the test.
    app::form1& window();
    // Creates the window and runs Form_Load; fails the test when start-up fails.
    app::form1& loaded();

    ScratchDir folder;
    FakeHost host;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    RecordingMessages messages;
    FixedRandom random;
    std::unique_ptr<app::Services> services;
    std::unique_ptr<app::SharedState> state;
    std::unique_ptr<app::form1> form;
};

} // namespace testing_support
