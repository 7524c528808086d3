#include "host/SheetCollection.h"

#include <QStringList>

namespace host {

SheetCollection::SheetCollection(std::shared_ptr<const engine::Workbook> workbook, Kind kind)
    : workbook_(std::move(workbook)) {
    for (std::size_t i = 0; i < workbook_->sheets.size(); ++i)
        if (kind == All || workbook_->sheets[i].kind == engine::SheetKind::Worksheet)
            members_.push_back(i);
}

Result SheetCollection::member(const QString& name, const QVariantList& args,
                               const QVariantMap& named) {
    if (name == u"count")
        return Result::of(static_cast<qint64>(members_.size()));
    if (name == u"names") {
        // Every name in one reply: a client that names thousands of sheets would otherwise
        // wait on two round trips for each.
        QStringList names;
        names.reserve(static_cast<qsizetype>(members_.size()));
        for (std::size_t member : members_)
            names << QString::fromStdString(workbook_->sheets[member].name);
        return Result::of(names);
    }
    if (name == u"item") {
        const QVariant index = argument(args, 0, named, QStringLiteral("Index"));
        if (index.metaType().id() == QMetaType::QString) {
            const std::string wanted = index.toString().toStdString();
            for (std::size_t member : members_)
                if (QString::fromStdString(workbook_->sheets[member].name)
                        .compare(index.toString(), Qt::CaseInsensitive) == 0)
                    return Result::of(std::make_shared<SheetObject>(workbook_, member));
            throw HostError{9, QStringLiteral("Subscript out of range: there is no sheet "
                                              "named \"%1\".")
                                   .arg(index.toString())};
        }
        const qint64 position = integerArgument(index, QStringLiteral("Index"));
        if (position < 1 || position > static_cast<qint64>(members_.size()))
            throw HostError{9, QStringLiteral("Subscript out of range: there is no sheet at "
                                              "position %1.")
                                   .arg(position)};
        return Result::of(std::make_shared<SheetObject>(
            workbook_, members_[static_cast<std::size_t>(position - 1)]));
    }
    unknownMember(name);
}

SheetObject::SheetObject(std::shared_ptr<const engine::Workbook> workbook, std::size_t index)
    : workbook_(std::move(workbook)), index_(index) {}

Result SheetObject::member(const QString& name, const QVariantList&, const QVariantMap&) {
    const engine::Sheet& sheet = workbook_->sheets[index_];
    if (name == u"name")
        return Result::of(QString::fromStdString(sheet.name));
    if (name == u"index")
        return Result::of(static_cast<qint64>(index_ + 1));
    if (name == u"select" || name == u"activate")
        return Result::none(); // the host has no selection that output depends on
    if (name == u"visible")
        // The object model's values: -1 visible, 0 hidden, 2 very hidden.
        return Result::of(static_cast<qint64>(sheet.visibility == engine::Visibility::Visible ? -1
                                              : sheet.visibility == engine::Visibility::Hidden
                                                  ? 0
                                                  : 2));
    unknownMember(name);
}

void SheetObject::set(const QString& name, const QVariant&) {
    if (name == u"name")
        throw HostError{1004, QStringLiteral("Sheets cannot be renamed here: the host only "
                                             "reads workbooks.")};
    unknownMember(name);
}

} // namespace host
