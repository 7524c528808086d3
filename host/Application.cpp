#include "host/Application.h"

#include "host/Workbooks.h"

namespace host {

Application::Application() : workbooks_(std::make_shared<Workbooks>()) {}

Result Application::member(const QString& name, const QVariantList& args,
                           const QVariantMap& named) {
    if (name == u"version")
        return Result::of(QString::fromLatin1(version));
    if (name == u"displayalerts")
        return Result::of(displayAlerts_);
    if (name == u"workbooks") {
        if (!args.isEmpty())
            return workbooks_->member(QStringLiteral("item"), args, named);
        return Result::of(workbooks_);
    }
    if (name == u"quit") {
        workbooks_->closeAll();
        quit_ = true;
        return Result::none();
    }
    if (name == u"name")
        return Result::of(QStringLiteral("Quillmere Spreadsheet Host"));
    unknownMember(name);
}

bool Application::anyWorkbookOpen() const {
    return workbooks_->anyOpen();
}

void Application::set(const QString& name, const QVariant& value) {
    if (name == u"displayalerts") {
        displayAlerts_ = value.toBool();
        return;
    }
    if (name == u"visible" || name == u"screenupdating")
        return; // the host has no window
    unknownMember(name);
}

} // namespace host
