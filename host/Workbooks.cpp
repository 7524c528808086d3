#include "host/Workbooks.h"

#include "engine/read/ReadWorkbook.h"
#include "host/WorkbookObject.h"

#include <QFileInfo>
#include <algorithm>

namespace host {

std::shared_ptr<WorkbookObject> Workbooks::open(const QString& path) {
    const QString fileName = QFileInfo(path).fileName();
    try {
        auto workbook =
            std::make_shared<engine::Workbook>(engine::readWorkbook(path.toStdString()));
        auto object = std::make_shared<WorkbookObject>(std::move(workbook), path);
        open_.push_back(object);
        return object;
    } catch (const engine::ReadError& error) {
        throw HostError{1004, QString::fromStdString(error.describe(fileName.toStdString()))};
    }
}

Result Workbooks::member(const QString& name, const QVariantList& args, const QVariantMap& named) {
    std::erase_if(open_, [](const auto& workbook) { return workbook->closed(); });
    if (name == u"open")
        return Result::of(open(textArgument(argument(args, 0, named, QStringLiteral("Filename")),
                                            QStringLiteral("Filename"))));
    if (name == u"count")
        return Result::of(static_cast<qint64>(open_.size()));
    if (name == u"item") {
        const qint64 index = integerArgument(argument(args, 0, named, QStringLiteral("Index")),
                                             QStringLiteral("Index"));
        if (index < 1 || index > static_cast<qint64>(open_.size()))
            throw HostError{9, QStringLiteral("Subscript out of range.")};
        return Result::of(open_[static_cast<std::size_t>(index - 1)]);
    }
    unknownMember(name);
}

bool Workbooks::anyOpen() const {
    return std::any_of(open_.cbegin(), open_.cend(),
                       [](const auto& workbook) { return !workbook->closed(); });
}

void Workbooks::closeAll() {
    for (auto& workbook : open_)
        workbook->close();
    open_.clear();
}

} // namespace host
