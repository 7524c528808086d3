#include "batch/HostAlias.h"

#include "batch/PathBytes.h"

#include <QDir>
#include <QFile>
#include <memory>
#include <unistd.h>

namespace batch {

HostAlias::HostAlias(const QString& path) : folder_(QDir::tempPath() + "/qm-batch-XXXXXX") {
    if (!folder_.isValid())
        return;
    const QString name = Printable(path.mid(path.lastIndexOf(u'/') + 1));
    const QString link = folder_.filePath(name);
    if (::symlink(PathToBytes(path).constData(), QFile::encodeName(link).constData()) == 0)
        link_ = link;
}

QString HostPathFor(const QString& path, std::unique_ptr<HostAlias>& alias) {
    if (!HasStrayBytes(path))
        return path;
    alias = std::make_unique<HostAlias>(path);
    return alias->path();
}

} // namespace batch
