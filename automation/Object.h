#pragma once
// A late-bound reference to an object of the automation host: get, set and call by member name.

#include "automation/Dispatch.h"

#include <memory>

namespace automation {

class Object {
public:
    Object() = default; // a null reference: every member access raises an Error
    Object(std::shared_ptr<Dispatch> dispatch, int handle);

    bool isNull() const { return !dispatch_; }

    // Reads a property (with optional index arguments). Throws Error.
    QVariant get(const QString& member, const QVariantList& args = {}) const;
    // Reads a property that yields an object. Throws Error, also when the value is no object.
    Object getObject(const QString& member, const QVariantList& args = {}) const;
    // Writes a property. Throws Error.
    void set(const QString& member, const QVariant& value) const;
    // Calls a method with positional and named arguments. Throws Error.
    QVariant call(const QString& member, const QVariantList& args = {},
                  const QVariantMap& named = {}) const;
    // Calls a method that yields an object. Throws Error, also when the result is no object.
    Object callObject(const QString& member, const QVariantList& args = {},
                      const QVariantMap& named = {}) const;

    // Drops the reference; the host process ends once no Object of it is left.
    void release() { dispatch_.reset(); }

    // The conversation the object belongs to and its handle there, for a wrapper that passes
    // calls on (null for a null reference).
    const std::shared_ptr<Dispatch>& dispatch() const { return dispatch_; }
    int handle() const { return handle_; }

private:
    QVariant invoke(Op op, const QString& member, const QVariantList& args,
                    const QVariantMap& named) const;
    Object toObject(const QVariant& value, const QString& member) const;

    std::shared_ptr<Dispatch> dispatch_;
    int handle_ = 0;
};

// An omitted argument, for positional argument lists.
QVariant omitted();

} // namespace automation
