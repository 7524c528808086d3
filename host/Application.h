#pragma once
// The application object (handle 1): version, alerts, the open workbooks and Quit.

#include "host/HostObject.h"

namespace host {

class Workbooks;

class Application : public HostObject {
public:
    Application();
    Result member(const std::string& name, const Arguments& args,
                  const NamedArguments& named) override;
    void set(const std::string& name, const Value& value) override;

    // True once Quit was called: the host answers and ends.
    bool quitRequested() const { return quit_; }
    // True while a workbook is open.
    bool anyWorkbookOpen() const;

    // The host writes static pages only, so it presents itself as a version that offers them alone.
    static constexpr const char* version = "16.0";

private:
    std::shared_ptr<Workbooks> workbooks_;
    bool displayAlerts_ = true; // kept for callers; the host never prompts
    bool quit_ = false;
};

} // namespace host
