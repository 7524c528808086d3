#include "automation/Protocol.h"

#include "automation/Dispatch.h"

#include <QJsonArray>
#include <QJsonObject>

namespace automation::protocol {

QJsonValue toJson(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return QJsonValue::Null;
    if (value.metaType() == QMetaType::fromType<Omitted>())
        return QJsonObject{{"omitted", true}};
    if (value.metaType() == QMetaType::fromType<ObjectHandle>())
        return QJsonObject{{"object", value.value<ObjectHandle>().handle}};
    switch (value.metaType().id()) {
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QJsonArray array;
        for (const QVariant& item : value.toList())
            array.append(toJson(item));
        return array;
    }
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return static_cast<qint64>(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    default:
        return value.toString();
    }
}

QVariant fromJson(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double: {
        const double number = value.toDouble();
        if (number == static_cast<double>(static_cast<qint64>(number)) && number >= -9.0e15 &&
            number <= 9.0e15)
            return static_cast<qint64>(number);
        return number;
    }
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue& item : value.toArray())
            list.append(fromJson(item));
        return list;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        if (object.value("omitted").toBool())
            return QVariant::fromValue(Omitted{});
        if (object.contains("object"))
            return QVariant::fromValue(ObjectHandle{object.value("object").toInt()});
        return QVariant();
    }
    default:
        return QVariant();
    }
}

} // namespace automation::protocol
