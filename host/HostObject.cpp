#include "host/HostObject.h"

#include "automation/Dispatch.h"

#include <cmath>

namespace host {

Result HostObject::member(const QString& name, const QVariantList&, const QVariantMap&) {
    unknownMember(name);
}

void HostObject::set(const QString& name, const QVariant&) {
    unknownMember(name);
}

void HostObject::unknownMember(const QString& name) {
    throw HostError{
        438, QStringLiteral("Object doesn't support this property or method (%1).").arg(name)};
}

bool isOmitted(const QVariant& value) {
    return !value.isValid() || value.metaType() == QMetaType::fromType<automation::Omitted>();
}

QVariant argument(const QVariantList& args, int index, const QVariantMap& named,
                  const QString& name) {
    for (auto it = named.begin(); it != named.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    if (index >= 0 && index < args.size())
        return args.at(index);
    return QVariant();
}

qint64 integerArgument(const QVariant& value, const QString& name) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number) || std::abs(number) > 2147483647.0)
        throw HostError{13, QStringLiteral("Type mismatch: %1 must be a whole number.").arg(name)};
    return std::llround(number);
}

QString textArgument(const QVariant& value, const QString& name) {
    if (isOmitted(value) || value.metaType() == QMetaType::fromType<automation::ObjectHandle>())
        throw HostError{13, QStringLiteral("Type mismatch: %1 must be a text.").arg(name)};
    return value.toString();
}

} // namespace host
