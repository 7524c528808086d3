#include "batch/RunReport.h"

#include "batch/PathBytes.h"

#include <QFile>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace batch {
namespace {

void appendString(QByteArray& line, const QString& text) {
    line += '"';
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        line += QStringView(text).mid(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const bool loneHigh = QChar::isHighSurrogate(unit) &&
                              (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate());
        const bool loneLow =
            QChar::isLowSurrogate(unit) && (i == 0 || !text.at(i - 1).isHighSurrogate());
        if (unit >= 0x20 && unit != u'"' && unit != u'\\' && unit != 0x7F && !loneHigh && !loneLow)
            continue;
        flush(i);
        switch (unit) {
        case u'"':
            line += "\\\"";
            break;
        case u'\\':
            line += "\\\\";
            break;
        case u'\n':
            line += "\\n";
            break;
        case u'\t':
            line += "\\t";
            break;
        case u'\r':
            line += "\\r";
            break;
        default:
            line += "\\u" + QByteArray::number(unit, 16).rightJustified(4, '0');
        }
        runStart = i + 1;
    }
    flush(text.size());
    line += '"';
}

void appendField(QByteArray& line, const char* name) {
    if (line.size() > 1)
        line += ", ";
    line += '"';
    line += name;
    line += "\": ";
}

} // namespace

QByteArray ReportLine(const ReportRecord& record) {
    QByteArray line = "{";
    appendField(line, "path");
    appendString(line, record.path);
    appendField(line, "status");
    appendString(line, record.status);
    appendField(line, "size");
    line += QByteArray::number(record.size);
    appendField(line, "mtime_ns");
    line += QByteArray::number(record.modifiedNs);
    appendField(line, "output");
    appendString(line, record.output);
    if (record.status != u"started") {
        appendField(line, "pages");
        line += '[';
        for (qsizetype i = 0; i < record.pages.size(); ++i) {
            if (i > 0)
                line += ", ";
            appendString(line, record.pages[i]);
        }
        line += ']';
        appendField(line, "error");
        appendString(line, record.error);
        appendField(line, "kind");
        appendString(line, record.kind);
        appendField(line, "seconds");
        line += record.seconds < 0
                    ? QByteArray("null")
                    : QByteArray::number(std::round(record.seconds * 1000) / 1000, 'f', 3);
        appendField(line, "host_peak_bytes");
        line +=
            record.hostPeakBytes ? QByteArray::number(*record.hostPeakBytes) : QByteArray("null");
    }
    line += "}\n";
    return line;
}

ReportFile::~ReportFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

QString ReportFile::open(const QString& path) {
    fd_ =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return QStringLiteral("the report %1 cannot be opened: %2")
            .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info {};
    char last = '\n';
    if (::fstat(fd_, &info) == 0 && info.st_size > 0 &&
        ::pread(fd_, &last, 1, info.st_size - 1) == 1 && last != '\n' && ::write(fd_, "\n", 1) != 1)
        return QStringLiteral("the report %1 cannot be written: %2")
            .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}

bool ReportFile::append(const ReportRecord& record) {
    if (fd_ < 0)
        return true;
    const QByteArray line = ReportLine(record);
    const std::lock_guard lock(mutex_);
    // One write of the whole line: appends to a local file land whole, each at the end at the
    // time, so nothing interleaves with another writer's line. A line is only ever short by a
    // full disk; then the rest follows, as whole as it can be made.
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t wrote = ::write(fd_, line.constData() + done, line.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}

FileStamp StatFile(const QString& path) {
    struct stat info {};
    if (::stat(PathToBytes(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return FileStamp{};
    return FileStamp{info.st_size,
                     qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

} // namespace batch
