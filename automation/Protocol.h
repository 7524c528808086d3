#pragma once
// The wire format shared by the client and the host: one JSON object per line.
//   request: {"id":7,"object":1,"op":"call","member":"Open","args":["/a.xls"],"named":{}}
//   reply:   {"id":7,"value":"16.0"} | {"id":7,"object":5} |
//   {"id":7,"error":{"number":1004,"description":"..."}}
// A sequence of calls in one request, each made as if it came alone, up to the first that
// fails; "object" may name the object result of an earlier call of the same sequence:
//   request: {"id":8,"op":"sequence","calls":[{"object":3,"op":"get","member":"Sheets",
//             "args":[2],"named":{}},{"object":{"result":0},"op":"call","member":"Select",
//             "args":[],"named":{}}]}
//   reply:   {"id":8,"results":[{"object":9},{"value":null}]} | with the results of the calls
//            made before the one that failed and its "error"
// A sequence with "unlessFailed":true is sent before the reply to the request before it has
// come back, and is made only if that request did not fail.

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
