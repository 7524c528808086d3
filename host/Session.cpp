#include "host/Session.h"

#include "automation/Protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <new>

namespace host {
namespace {

QByteArray errorReply(const QJsonValue& id, int number, const QString& description) {
    const QJsonObject reply{
        {"id", id}, {"error", QJsonObject{{"number", number}, {"description", description}}}};
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
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
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(requestLine, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return errorReply(QJsonValue::Null, 1004, QStringLiteral("The request is not valid JSON."));
    const QJsonObject request = document.object();
    const QJsonValue id = request.value("id");
    const QString op = request.value("op").toString();
    const QString member = request.value("member").toString().toLower();

    const auto target = objects_.find(request.value("object").toInt(0));
    if (target == objects_.end())
        return errorReply(id, 1004, QStringLiteral("The request names an unknown object."));

    QVariantList args;
    for (const QJsonValue& arg : request.value("args").toArray())
        args.append(automation::protocol::fromJson(arg));
    QVariantMap named;
    const QJsonObject namedJson = request.value("named").toObject();
    for (auto it = namedJson.begin(); it != namedJson.end(); ++it)
        named.insert(it.key(), automation::protocol::fromJson(it.value()));

    try {
        QJsonObject reply{{"id", id}};
        if (op == u"set") {
            if (args.size() != 1)
                return errorReply(id, 450,
                                  QStringLiteral("A property is set to exactly one value."));
            target->second->set(member, args.first());
            reply.insert("value", QJsonValue::Null);
        } else if (op == u"get" || op == u"call") {
            const Result result = target->second->member(member, args, named);
            if (result.object)
                reply.insert("object", handleOf(result.object));
            else
                reply.insert("value", automation::protocol::toJson(result.value));
            if (member == u"close" && !application_->anyWorkbookOpen())
                forgetAllButTheApplication();
        } else {
            return errorReply(id, 1004, QStringLiteral("Unknown operation \"%1\".").arg(op));
        }
        return QJsonDocument(reply).toJson(QJsonDocument::Compact);
    } catch (const HostError& error) {
        return errorReply(id, error.number, error.description);
    } catch (const std::bad_alloc&) {
        return errorReply(id, 7, QStringLiteral("Out of memory."));
    } catch (const std::exception& error) {
        return errorReply(id, 1004, QString::fromUtf8(error.what()));
    }
}

} // namespace host
