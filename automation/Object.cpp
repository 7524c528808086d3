#include "automation/Object.h"

#include "automation/Error.h"

namespace automation {

Object::Object(std::shared_ptr<Dispatch> dispatch, int handle)
    : dispatch_(std::move(dispatch)), handle_(handle) {}

QVariant Object::invoke(Op op, const QString& member, const QVariantList& args,
                        const QVariantMap& named) const {
    if (!dispatch_)
        throw Error(91, QStringLiteral("Object variable not set (member %1).").arg(member));
    return dispatch_->invoke(handle_, op, member, args, named);
}

Object Object::toObject(const QVariant& value, const QString& member) const {
    if (!value.canConvert<ObjectHandle>() ||
        value.metaType() != QMetaType::fromType<ObjectHandle>())
        throw Error(Error::HostUnavailable,
                    QStringLiteral("The spreadsheet host answered %1 with a value where an "
                                   "object was expected.")
                        .arg(member));
    return Object(dispatch_, value.value<ObjectHandle>().handle);
}

QVariant Object::get(const QString& member, const QVariantList& args) const {
    return invoke(Op::Get, member, args, {});
}

Object Object::getObject(const QString& member, const QVariantList& args) const {
    return toObject(get(member, args), member);
}

void Object::set(const QString& member, const QVariant& value) const {
    invoke(Op::Set, member, {value}, {});
}

QVariant Object::call(const QString& member, const QVariantList& args,
                      const QVariantMap& named) const {
    return invoke(Op::Call, member, args, named);
}

Object Object::callObject(const QString& member, const QVariantList& args,
                          const QVariantMap& named) const {
    return toObject(call(member, args, named), member);
}

QVariant omitted() {
    return QVariant::fromValue(Omitted{});
}

} // namespace automation
