#pragma once
// The wire format shared by the client and the host: one JSON object per line.
//   request: {"id":7,"object":1,"op":"call","member":"Open","args":["/a.xls"],"named":{}}
//   reply:   {"id":7,"value":"16.0"} | {"id":7,"object":5} |
//   {"id":7,"error":{"number":1004,"description":"..."}}

#include <QJsonValue>
#include <QVariant>

namespace automation::protocol {

// A call argument as JSON: Omitted becomes {"omitted":true}, an ObjectHandle {"object":n}, a
// list (QVariantList, QStringList) an array of its items.
QJsonValue toJson(const QVariant& value);

// A JSON value back to an argument or result, the reverse of toJson (an array becomes a
// QVariantList).
QVariant fromJson(const QJsonValue& value);

} // namespace automation::protocol
