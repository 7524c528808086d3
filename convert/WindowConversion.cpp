#include "convert/WindowConversion.h"

#include "app/form1.h"
#include "convert/ConversionRun.h"
#include "convert/HostSession.h"
#include "convert/OutputFolder.h"
#include "sources/SheetList.h"
#include "sources/WorkbookList.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTreeWidget>

namespace convert {
namespace {

// The run's progress and failures on the window. The run never yields to the event loop, so
// the status line and the progress bar are repainted as they change.
class WindowObserver : public RunObserver {
public:
    explicit WindowObserver(app::form1& form) : form_(form) {}

    void setProgressMaximum(int maximum) override {
        form_.ProgressBar1->setMaximum(maximum);
        form_.ProgressBar1->repaint();
    }
    void setProgressValue(int value) override {
        form_.ProgressBar1->setValue(value);
        form_.ProgressBar1->repaint();
    }
    void converting(const std::string& displayName) override {
        form_.Label1->setText(QStringLiteral("Convert ") + QString::fromStdString(displayName));
        form_.Label1->repaint();
    }
    void hostError(const std::string& description) override {
        form_.services.messages.MsgBox(&form_, QString::fromStdString(description),
                                       app::MessageIcon::None);
    }
    void workbookFailed(const std::string& displayName) override {
        form_.services.messages.MsgBox(&form_, QString::fromStdString(FailureMessage(displayName)),
                                       app::MessageIcon::Critical);
    }

private:
    app::form1& form_;
};

// The workbook list ListView2, whose workbooks belong to the source entry selected in ListView1.
class ListedWorkbooks : public WorkbookSource {
public:
    explicit ListedWorkbooks(app::form1& form) : form_(form) {}

    int count() const override { return form_.ListView2->topLevelItemCount(); }
    std::string itemText(int position) const override {
        return item(position)->text(0).toStdString();
    }
    bool checked(int position) const override {
        return item(position)->checkState(0) == Qt::Checked;
    }
    std::string pathAt(int position) const override {
        return sources::WorkbookPathAt(form_, position).toStdString();
    }

private:
    QTreeWidgetItem* item(int position) const {
        return form_.ListView2->topLevelItem(position - 1);
    }
    app::form1& form_;
};

} // namespace

int OutputBoxListIndex(const app::form1& form) {
    // The box itself drops its selection at the user's first edit (outdir/OutputDirBox).
    return form.Combo5->currentIndex();
}

bool PrepareOutputFolder(app::form1& form) {
    const PrepareResult result =
        convert::PrepareOutputFolder(form.Combo5->currentText().toStdString(),
                                     OutputBoxListIndex(form), form.state.OutputFolder);
    if (result == PrepareResult::Ready)
        return true;
    form.services.messages.MsgBox(&form, QString::fromStdString(PrepareMessage(result)),
                                  result == PrepareResult::NoFolderGiven
                                      ? app::MessageIcon::Information
                                      : app::MessageIcon::Critical);
    return false;
}

OutputOptions CurrentOptions(const app::form1& form) {
    OutputOptions options;
    options.entireWorkbook = form.Option1->isChecked();
    options.fileNaming = form.Combo1->currentIndex();
    options.htmlType = form.Combo2->currentIndex();
    options.fileFormat = form.Combo3->currentIndex();
    options.pageTitle = form.Combo4->currentIndex();
    options.shortExtension = form.Option3->isChecked();
    return options;
}

} // namespace convert

namespace app {

void form1::Command6_Click() {
    const int count = ListView2->topLevelItemCount();
    if (count < 1) {
        services.messages.MsgBox(this, QStringLiteral("Please select excel at fast!"),
                                 MessageIcon::Information);
    } else {
        convert::WindowObserver observer(*this);
        observer.setProgressMaximum(count);
        if (convert::PrepareOutputFolder(*this)) {
            try {
                sources::StoreSheetChecks(*this);
                setMousePointer(MousePointer::Hourglass);
                convert::ConversionContext context{services.automation, services.random, state,
                                                   observer, convert::CurrentOptions(*this)};
                convert::ListedWorkbooks workbooks(*this);
                convert::ConvertCheckedWorkbooks(context, workbooks);
                services.shell.ShellExecute(this, QStringLiteral("open"),
                                            QString::fromStdString(state.OutputFolder), SW_SHOW);
            } catch (...) {
                services.messages.MsgBox(
                    this, QString::fromStdString(convert::CurrentFailureDescription()),
                    MessageIcon::Critical);
            }
        }
    }
    Label1->setText(QString());
    Label1->repaint();
    ProgressBar1->setValue(0);
    ProgressBar1->repaint();
    setMousePointer(MousePointer::Default);
}

} // namespace app
