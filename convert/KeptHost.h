#pragma once
// A host kept from one workbook to the next: starting one costs more than converting a small
// workbook. Each CreateObject still yields an instance of its own to the caller, and its Quit
// ends it, as far as the caller can tell; the process behind it goes on to the next workbook
// only when nothing went wrong in it. After any error a fresh one is started, so a damaged
// workbook cannot touch the next.

#include "automation/Factory.h"

#include <memory>
#include <string>

namespace convert {

class KeptHost : public automation::Factory {
public:
    // Starts hosts through `starts`; one host serves at most `workbooksPerHost` instances.
    explicit KeptHost(automation::Factory& starts, int workbooksPerHost = 64);
    ~KeptHost() override; // ends the host it keeps
    KeptHost(const KeptHost&) = delete;
    KeptHost& operator=(const KeptHost&) = delete;

    // The kept host when it is sound and its last instance was quit, else a fresh one. Throws
    // automation::Error.
    automation::Object CreateObject(const std::string& progId) override;

    struct State;

private:
    automation::Factory& starts_;
    int workbooksPerHost_;
    std::shared_ptr<State> kept_;
};

} // namespace convert
