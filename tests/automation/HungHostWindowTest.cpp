// The window with a host that stops answering: start-up and a Convert run end within their
// bounds and tell the user what happened, naming the workbook.

#include "automation/Factory.h"
#include "sources/WorkbookList.h"
#include "tests/gui_support/Window.h"
#include "tests/support/QtPath.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using testing_support::q;
namespace fs = std::filesystem;

// A window whose program folder holds a host that answers until `mode` says it hangs.
struct HungHostWindow {
    testing_support::TestWindow test;
    testing_support::ScratchDir hostFolder;
    std::unique_ptr<automation::HostFactory> factory;

    explicit HungHostWindow(const char* mode) {
        fs::copy_file(QM_BINARY_DIR "/bin/qm-misbehaving-host", hostFolder / "quillmere-host");
        std::ofstream(hostFolder / "mode") << mode;
        automation::CallTimeouts bounds;
        bounds.shortCall = 300ms;
        bounds.workbookBase = 600ms;
        bounds.perMegabyte = 100ms;
        bounds.workbookLimit = 3s;
        factory = std::make_unique<automation::HostFactory>(hostFolder.path().string(), bounds);
        const QString folder = q(test.folder.path());
        test.services = std::make_unique<app::Services>(app::Services{
            *factory, test.dialogs, test.shell, test.messages, test.random, folder, folder});
    }
};

TEST(HungHostWindow, StartUpEndsWithinTheShortBoundAndSaysWhy) {
    HungHostWindow hung("hang-on Version");
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(hung.test.window().Form_Load());
    EXPECT_LT(clock.elapsed(), 2000);
    const QStringList texts = hung.test.messages.texts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains("did not answer Version within 0.3 seconds"))
        << texts[0].toStdString();
}

TEST(HungHostWindow, AConvertRunReportsTheWorkbookAndGoesOn) {
    HungHostWindow hung("hang-on Open");
    app::form1& form = hung.test.loaded();
    testing_support::ScratchDir source;
    testing_support::ScratchDir out;
    std::ofstream(source / "Book1.xlsx") << "not read: the host hangs before";
    auto* entry = new QTreeWidgetItem(QStringList{q(source.path())});
    form.ListView1->addTopLevelItem(entry);
    form.ListView1->setCurrentItem(entry);
    sources::LoadWorkbookList(form, q(source.path()));
    form.Combo5->setEditText(q(out.path()));

    QElapsedTimer clock;
    clock.start();
    form.Command6_Click();
    EXPECT_GE(clock.elapsed(), 600 - 50);
    EXPECT_LT(clock.elapsed(), 3000);
    const QStringList texts = hung.test.messages.texts();
    ASSERT_EQ(texts.size(), 2) << texts.join('\n').toStdString();
    EXPECT_TRUE(texts[0].contains("did not answer Open for Book1.xlsx")) << texts[0].toStdString();
    EXPECT_EQ(texts[1], "Convert Book1 file failed!");
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
