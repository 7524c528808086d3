#pragma once
// An object of the host's automation model. Member names arrive in lower case.

#include <QString>
#include <QVariant>
#include <memory>

namespace host {

class HostObject;

// What a member access yields: a plain value, or an object (when `object` is set).
struct Result {
    QVariant value;
    std::shared_ptr<HostObject> object;

    static Result of(QVariant value) { return Result{std::move(value), nullptr}; }
    static Result of(std::shared_ptr<HostObject> object) { return Result{{}, std::move(object)}; }
    static Result none() { return Result{}; }
};

// An error reported to the client with its number and description.
struct HostError {
    int number;
    QString description;
};

class HostObject {
public:
    virtual ~HostObject() = default;

    // A property read or a method call (the model does not tell them apart, as late binding
    // does not). Throws HostError; the default knows no member.
    virtual Result member(const QString& name, const QVariantList& args, const QVariantMap& named);
    // A property write. Throws HostError; the default knows no member.
    virtual void set(const QString& name, const QVariant& value);

protected:
    [[noreturn]] static void unknownMember(const QString& name);
};

// Argument helpers: the positional argument at `index`, or a named one, as the type wanted.
// An omitted or missing argument yields std::nullopt; a wrong type raises HostError.
bool isOmitted(const QVariant& value);
QVariant argument(const QVariantList& args, int index, const QVariantMap& named,
                  const QString& name);
qint64 integerArgument(const QVariant& value, const QString& name);
QString textArgument(const QVariant& value, const QString& name);

} // namespace host
