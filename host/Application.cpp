#include "host/Application.h"

#include "host/Workbooks.h"

namespace host {

Application::Application() : workbooks_(std::make_shared<Workbooks>()) {}

Result Application::member(const std::string& name, const Arguments& args,
                           const NamedArguments& named) {
    if (name == "version")
        return Result::of(version);
    if (name == "displayalerts")
        return Result::of(displayAlerts_);
    if (name == "workbooks") {
        if (!args.empty())
            return workbooks_->member("item", args, named);
        return Result::of(workbooks_);
    }
    if (name == "quit") {
        workbooks_->closeAll();
        quit_ = true;
        return Result::none();
    }
    if (name == "name")
        return Result::of("Quillmere Spreadsheet Host");
    unknownMember(name);
}

bool Application::anyWorkbookOpen() const {
    return workbooks_->anyOpen();
}

void Application::set(const std::string& name, const Value& value) {
    if (name == "displayalerts") {
        displayAlerts_ = value.truth();
        return;
    }
    if (name == "visible" || name == "screenupdating")
        return; // the host has no window
    unknownMember(name);
}

} // namespace host
