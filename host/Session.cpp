#include "host/Session.h"

#include "automation/Protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <new>

namespace host {
namespace {

QJsonObject errorReply(const QJsonValue& id, int number, const QString& description) {
    return QJsonObject{{"id", id},
                       {"error", QJsonObject{{"number", number}, {"description", description}}}};
}

} // namespace

Session::Session() : application_(std::make_shared<Application>()) {
    objects_[1] = application_;
    handles_[application_.get()] = 1;
}

int Session::handleOf(const std::shared_ptr<HostObject>& object) {
    const auto known = handles_.find(object.get());
    if (known != handles_.end())
        return known->second;
    const int handle = nextHandle_++;
    objects_[handle] = object;
    handles_[object.get()] = handle;
    return handle;
}

void Session::forgetAllButTheApplication() {
    std::erase_if(objects_, [](const auto& entry) { return entry.first != 1; });
    std::erase_if(handles_, [](const auto& entry) { return entry.second != 1; });
}

QByteArray Session::handle(const QByteArray& requestLine) {
    QJsonObject reply = answer(requestLine);
    // A client that sends its next sequence before this reply arrives asks, with
    // "unlessFailed", that it be made only after a request that did not fail.
    lastFailed_ = reply.contains("error");
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

QJsonObject Session::answer(const QByteArray& requestLine) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(requestLine, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return errorReply(QJsonValue::Null, 1004, QStringLiteral("The request is not valid JSON."));
    const QJsonObject request = document.object();
    const QJsonValue id = request.value("id");
    QJsonObject reply{{"id", id}};
    QJsonArray results;
    if (lastFailed_ && request.value("unlessFailed").toBool())
        return errorReply(id, 1004, QStringLiteral("Not made: an earlier call failed."));
    try {
        if (request.value("op").toString() == u"sequence") {
            // Each call as if it came alone, up to the first that fails.
            for (const QJsonValue& call : request.value("calls").toArray())
                results.append(perform(call.toObject(), results));
            reply.insert("results", results);
        } else {
            const QJsonObject result = perform(request, results);
            for (auto it = result.begin(); it != result.end(); ++it)
                reply.insert(it.key(), it.value());
        }
    } catch (const HostError& error) {
        if (!results.isEmpty() || request.value("op").toString() == u"sequence")
            reply.insert("results", results);
        reply.insert("error",
                     QJsonObject{{"number", error.number}, {"description", error.description}});
    } catch (const std::bad_alloc&) {
        return errorReply(id, 7, QStringLiteral("Out of memory."));
    } catch (const std::exception& error) {
        return errorReply(id, 1004, QString::fromUtf8(error.what()));
    }
    return reply;
}

QJsonObject Session::perform(const QJsonObject& call, const QJsonArray& earlier) {
    const QString op = call.value("op").toString();
    const QString member = call.value("member").toString().toLower();
    const QJsonValue object = call.value("object");
    int handle = object.toInt(0);
    if (object.isObject()) {
        // The object an earlier call of the same sequence yielded.
        const qsizetype step = object.toObject().value("result").toInteger(-1);
        if (step < 0 || step >= earlier.size() || !earlier.at(step).toObject().contains("object"))
            throw HostError{1004, QStringLiteral("The request names an unknown object.")};
        handle = earlier.at(step).toObject().value("object").toInt(0);
    }
    const auto target = objects_.find(handle);
    if (target == objects_.end())
        throw HostError{1004, QStringLiteral("The request names an unknown object.")};

    QVariantList args;
    for (const QJsonValue& arg : call.value("args").toArray())
        args.append(automation::protocol::fromJson(arg));
    QVariantMap named;
    const QJsonObject namedJson = call.value("named").toObject();
    for (auto it = namedJson.begin(); it != namedJson.end(); ++it)
        named.insert(it.key(), automation::protocol::fromJson(it.value()));

    if (op == u"set") {
        if (args.size() != 1)
            throw HostError{450, QStringLiteral("A property is set to exactly one value.")};
        target->second->set(member, args.first());
        return QJsonObject{{"value", QJsonValue::Null}};
    }
    if (op != u"get" && op != u"call")
        throw HostError{1004, QStringLiteral("Unknown operation \"%1\".").arg(op)};
    const Result result = target->second->member(member, args, named);
    QJsonObject reply;
    if (result.object)
        reply.insert("object", handleOf(result.object));
    else
        reply.insert("value", automation::protocol::toJson(result.value));
    if (member == u"close" && !application_->anyWorkbookOpen())
        forgetAllButTheApplication();
    return reply;
}

} // namespace host
