#include "automation/HostProcess.h"

#include "automation/Error.h"
#include "automation/Protocol.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstring>

namespace automation {
namespace {

using namespace std::chrono_literals;

constexpr std::chrono::milliseconds quitGrace = 2s;
// A reply line longer than this is not a reply of our host.
constexpr std::size_t maxReplyBytes = 64 * 1024 * 1024;

QString opName(Op op) {
    switch (op) {
    case Op::Get:
        return QStringLiteral("get");
    case Op::Set:
        return QStringLiteral("set");
    case Op::Call:
        return QStringLiteral("call");
    }
    return QStringLiteral("call");
}

} // namespace

HostProcess::HostProcess(const QString& executable, std::chrono::milliseconds callTimeout)
    : HostProcess(executable, CallTimeouts::uniform(callTimeout)) {}

HostProcess::HostProcess(const QString& executable, CallTimeouts timeouts) : timeouts_(timeouts) {
    const QFileInfo info(executable);
    if (!info.exists() || !info.isExecutable())
        throw Error(Error::CannotCreateObject,
                    QStringLiteral("The spreadsheet host %1 is missing or cannot be run. "
                                   "Reinstall Quillmere.")
                        .arg(executable));
    ChildProcess::Ends ends;
    if (const int error = ChildProcess::start(QFile::encodeName(executable).toStdString(), ends))
        throw Error(Error::CannotCreateObject,
                    QStringLiteral("The spreadsheet host %1 could not be started: %2")
                        .arg(executable, QString::fromLocal8Bit(std::strerror(error))));
    process_ = std::make_unique<ChildProcess>(ends);
}

HostProcess::~HostProcess() {
    if (process_->runningId() == 0)
        return;
    process_->closeInput();
    if (!process_->waitFinished(broken_ ? 0ms : quitGrace))
        process_->kill();
    // The child process is collected as it is destroyed.
}

qint64 HostProcess::processId() const {
    return process_->runningId();
}

void HostProcess::fail(const QString& description) {
    broken_ = true;
    process_->kill();
    process_->waitFinished(quitGrace);
    throw Error(Error::HostUnavailable, description);
}

QString HostProcess::workbookClause() const {
    return workbookName_.isEmpty() ? QString() : QStringLiteral(" for %1").arg(workbookName_);
}

QByteArray HostProcess::readReplyLine(const QString& member, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::size_t searched = 0;
    for (;;) {
        const std::size_t newline = buffer_.find('\n', searched);
        if (newline != std::string::npos) {
            QByteArray line(buffer_.data(), static_cast<qsizetype>(newline));
            buffer_.erase(0, newline + 1);
            return line;
        }
        searched = buffer_.size();
        if (buffer_.size() > maxReplyBytes)
            fail(QStringLiteral("The spreadsheet host sent a reply to %1 that could not be "
                                "understood, and was stopped.")
                     .arg(member));
        if (process_->outputEnded())
            fail(QStringLiteral("The spreadsheet host stopped unexpectedly while working on %1%2.")
                     .arg(member, workbookClause()));
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            fail(QStringLiteral("The spreadsheet host did not answer %1%2 within %3 seconds and "
                                "was stopped.")
                     .arg(member, workbookClause())
                     .arg(limit.count() / 1000.0));
        process_->read(buffer_, std::min(left, 1000ms));
    }
}

QVariant HostProcess::invoke(int handle, Op op, const QString& member, const QVariantList& args,
                             const QVariantMap& named) {
    if (broken_ || process_->runningId() == 0)
        throw Error(Error::HostUnavailable,
                    QStringLiteral("The spreadsheet host is no longer running (%1).").arg(member));
    if (op == Op::Call && member.compare(QStringLiteral("Open"), Qt::CaseInsensitive) == 0 &&
        !args.isEmpty() && args.constFirst().metaType() == QMetaType::fromType<QString>()) {
        const QFileInfo workbook(args.constFirst().toString());
        workbookName_ = workbook.fileName();
        workbookBytes_ = workbook.size();
    }
    const qint64 id = nextId_++;
    QJsonObject request = callJson(Call{handle, -1, op, member, args, named});
    request.insert("id", id);
    const QJsonObject reply = exchange(request, member, timeouts_.forCall(member, workbookBytes_));
    if (reply.contains("error"))
        throw replyError(reply);
    return resultOf(reply);
}

QVariantList HostProcess::invokeSequence(const std::vector<Call>& calls, std::size_t& completed) {
    completed = 0;
    return startSequence(calls, nullptr)->finish(completed);
}

namespace {

// A sequence request sent to the host, whose reply is read when it is finished.
class SentSequence : public PendingSequence {
public:
    SentSequence(HostProcess& host, qint64 id, std::size_t calls, QString member,
                 std::chrono::milliseconds limit)
        : host_(host), id_(id), calls_(calls), member_(std::move(member)), limit_(limit) {}

    QVariantList finish(std::size_t& completed) override {
        return host_.receiveSequence(id_, calls_, member_, limit_, completed);
    }

private:
    HostProcess& host_;
    qint64 id_;
    std::size_t calls_;
    QString member_;
    std::chrono::milliseconds limit_;
};

} // namespace

std::unique_ptr<PendingSequence> HostProcess::startSequence(const std::vector<Call>& calls,
                                                            PendingSequence* after) {
    if (calls.empty())
        return Dispatch::startSequence(calls, after);
    const QString& first = calls.front().member;
    if (broken_ || process_->runningId() == 0)
        throw Error(Error::HostUnavailable,
                    QStringLiteral("The spreadsheet host is no longer running (%1).").arg(first));
    std::chrono::milliseconds limit{0};
    QJsonArray jsonCalls;
    for (const Call& call : calls) {
        limit += timeouts_.forCall(call.member, workbookBytes_);
        jsonCalls.append(callJson(call));
    }
    const qint64 id = nextId_++;
    QJsonObject request{{"id", id}, {"op", "sequence"}, {"calls", jsonCalls}};
    // The host answers requests in order, so the one before has failed exactly when its reply
    // says so: the host itself skips this one then.
    if (after)
        request.insert("unlessFailed", true);
    send(request, first, limit);
    return std::make_unique<SentSequence>(*this, id, calls.size(), first, limit);
}

QVariantList HostProcess::receiveSequence(qint64 id, std::size_t calls, const QString& member,
                                          std::chrono::milliseconds limit, std::size_t& completed) {
    completed = 0;
    const QJsonObject reply = receive(id, member, limit);
    const QJsonArray results = reply.value("results").toArray();
    const bool failed = reply.contains("error");
    if (results.size() > static_cast<qsizetype>(calls) ||
        (!failed && results.size() != static_cast<qsizetype>(calls)))
        fail(QStringLiteral("The spreadsheet host sent a reply to %1 that could not be "
                            "understood, and was stopped.")
                 .arg(member));
    QVariantList values;
    for (const QJsonValue& result : results)
        values.append(resultOf(result.toObject()));
    completed = static_cast<std::size_t>(values.size());
    if (failed)
        throw replyError(reply);
    return values;
}

QJsonObject HostProcess::callJson(const Call& call) {
    QJsonArray jsonArgs;
    for (const QVariant& arg : call.args)
        jsonArgs.append(protocol::toJson(arg));
    QJsonObject jsonNamed;
    for (auto it = call.named.begin(); it != call.named.end(); ++it)
        jsonNamed.insert(it.key(), protocol::toJson(it.value()));
    const QJsonValue object = call.onResult >= 0
                                  ? QJsonValue(QJsonObject{{"result", call.onResult}})
                                  : QJsonValue(call.handle);
    return QJsonObject{{"object", object},
                       {"op", opName(call.op)},
                       {"member", call.member},
                       {"args", jsonArgs},
                       {"named", jsonNamed}};
}

QJsonObject HostProcess::exchange(const QJsonObject& request, const QString& member,
                                  std::chrono::milliseconds limit) {
    send(request, member, limit);
    return receive(request.value("id").toInteger(), member, limit);
}

void HostProcess::send(const QJsonObject& request, const QString& member,
                       std::chrono::milliseconds limit) {
    QByteArray line = QJsonDocument(request).toJson(QJsonDocument::Compact);
    line.append('\n');
    if (!process_->write(line.constData(), static_cast<std::size_t>(line.size()), limit))
        fail(QStringLiteral("The spreadsheet host could not be reached (%1).").arg(member));
}

QJsonObject HostProcess::receive(qint64 id, const QString& member,
                                 std::chrono::milliseconds limit) {
    for (;;) {
        const QByteArray replyLine = readReplyLine(member, limit);
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(replyLine, &parseError);
        if (parseError.error != QJsonParseError::NoError || !document.isObject())
            fail(QStringLiteral("The spreadsheet host sent a reply to %1 that could not be "
                                "understood, and was stopped.")
                     .arg(member));
        // A reply to an earlier call that timed out on our side cannot arrive: a timeout ends
        // the host. A reply to a sequence started and never finished is skipped, as is any
        // other stray line.
        QJsonObject reply = document.object();
        if (reply.value("id").toInteger(-1) == id)
            return reply;
    }
}

Error HostProcess::replyError(const QJsonObject& reply) {
    const QJsonObject error = reply.value("error").toObject();
    return Error(error.value("number").toInt(1004), error.value("description").toString());
}

QVariant HostProcess::resultOf(const QJsonObject& reply) {
    if (reply.contains("object"))
        return QVariant::fromValue(ObjectHandle{reply.value("object").toInt()});
    return protocol::fromJson(reply.value("value"));
}

} // namespace automation
