#pragma once
// The late-bound call interface behind every automation Object: the host process in
// production, an in-process fake in tests.

#include <QMetaType>
#include <QString>
#include <QVariant>

namespace automation {

// An argument left out of a call ("omitted" in the protocol).
struct Omitted {
    bool operator==(const Omitted&) const = default;
};

// A result that is an object of the host: its handle.
struct ObjectHandle {
    int handle = 0;
    bool operator==(const ObjectHandle&) const = default;
};

enum class Op { Get, Set, Call };

class Dispatch {
public:
    virtual ~Dispatch() = default;

    // Performs one member access on the object `handle` (1 is the application). `member` is
    // matched ignoring letter case. For Set, `args` holds the one new value. Returns the value,
    // an ObjectHandle for an object, or an invalid QVariant for none. Throws automation::Error.
    virtual QVariant invoke(int handle, Op op, const QString& member, const QVariantList& args,
                            const QVariantMap& named) = 0;
};

} // namespace automation

Q_DECLARE_METATYPE(automation::Omitted)
Q_DECLARE_METATYPE(automation::ObjectHandle)
