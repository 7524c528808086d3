#pragma once
// What a list of the window shows: its texts, check marks and icons, for comparing in tests.

#include "app/form1.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTreeWidget>

namespace testing_support {

inline QStringList texts(const QTreeWidget* list) {
    QStringList result;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        result << list->topLevelItem(i)->text(0);
    return result;
}

// "1" for a checked item, "0" for a cleared one.
inline QString marks(const QTreeWidget* list) {
    QString result;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        result += list->topLevelItem(i)->checkState(0) == Qt::Checked ? u'1' : u'0';
    return result;
}

inline QList<int> icons(const QTreeWidget* list) {
    QList<int> result;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        result << app::form1::smallIcon(list->topLevelItem(i));
    return result;
}

} // namespace testing_support
