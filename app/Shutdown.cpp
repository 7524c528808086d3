#include "app/StateFiles.h"
#include "app/StateSaveFailure.h"
#include "app/form1.h"

#include <QComboBox>
#include <QDir>
#include <QTreeWidget>

namespace app {
namespace {

// The output directory history keeps list positions 0 to 200.
constexpr int maxSavedOutputDirectories = 201;

const QString settingOn = QStringLiteral("1");

} // namespace

void form1::Form_Unload() {
    const QDir folder(services.stateFolder);
    // Read now, not at start-up, so a choice made in the settings dialog during this run counts.
    const QStringList settings = readStateLines(folder.filePath(SettingsFile));
    const QString SaveSourceListAtExit = settings.value(0);
    const QString SaveOutputHistoryAtExit = settings.value(1);

    QStringList failures;
    auto save = [&](const QString& name, const QStringList& lines) {
        const QString path = folder.filePath(name);
        QString reason;
        if (!writeStateLines(path, lines, &reason))
            failures << stateFileFailureLine(path, reason);
    };

    if (SaveSourceListAtExit == settingOn) {
        QStringList entries;
        for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
            entries << StateTextToSave(ListView1->topLevelItem(i)->text(0),
                                       ListView1->topLevelItem(i)->data(0, StoredStateTextRole));
        save(SourceListFile, entries);
    }
    if (SaveOutputHistoryAtExit == settingOn) {
        QStringList directories;
        const int count = qMin(Combo5->count(), maxSavedOutputDirectories);
        for (int i = 0; i < count; ++i)
            directories << StateTextToSave(Combo5->itemText(i),
                                           Combo5->itemData(i, StoredStateTextRole));
        save(OutputHistoryFile, directories);
    }

    // The window is going away whatever happens; the user at least learns what was not kept.
    if (!failures.isEmpty())
        services.messages.MsgBox(this, stateFileFailureText(failures), MessageIcon::Critical);
}

} // namespace app
