#include "convert/KeptHost.h"

#include "automation/Error.h"
#include "automation/NameCase.h"

#include <algorithm>

namespace convert {

struct KeptHost::State {
    std::string progId;
    std::shared_ptr<automation::Dispatch> host; // null once ended
    bool sound = true;                          // no call has failed
    bool leased = true;                         // an instance is out and has not quit
    int uses = 1;
};

namespace {

constexpr int applicationHandle = 1;

// One caller's instance: passes every call on, except a Quit of a sound host, which only ends
// the lease. A failed call marks the host unsound, so its Quit ends it for real.
class Lease : public automation::Dispatch {
public:
    explicit Lease(std::shared_ptr<KeptHost::State> state)
        : state_(std::move(state)), lease_(state_->uses) {}

    wire::Value invoke(int handle, automation::Op op, const std::string& member,
                       const wire::Arguments& args, const wire::NamedArguments& named) override {
        if (!state_->host || !state_->leased || state_->uses != lease_)
            throw automation::Error(automation::Error::HostUnavailable,
                                    "The spreadsheet host has ended.");
        const bool quit = handle == applicationHandle && op == automation::Op::Call &&
                          automation::sameName(member, "Quit");
        if (quit && state_->sound) {
            state_->leased = false;
            return {};
        }
        try {
            wire::Value value = state_->host->invoke(handle, op, member, args, named);
            if (quit)
                end();
            return value;
        } catch (...) {
            state_->sound = false;
            if (quit)
                end();
            throw;
        }
    }

    // Passed on whole, so that the host gets it in one request; a sequence never holds Quit.
    wire::Value::List invokeSequence(const std::vector<automation::Call>& calls,
                                     std::size_t& completed) override {
        const bool quits = std::any_of(calls.begin(), calls.end(), [](const automation::Call& c) {
            return automation::sameName(c.member, "Quit");
        });
        if (quits)
            return Dispatch::invokeSequence(calls, completed);
        if (!state_->host || !state_->leased || state_->uses != lease_)
            throw automation::Error(automation::Error::HostUnavailable,
                                    "The spreadsheet host has ended.");
        try {
            return state_->host->invokeSequence(calls, completed);
        } catch (...) {
            state_->sound = false;
            throw;
        }
    }

private:
    void end() {
        state_->host.reset();
        state_->leased = false;
    }

    std::shared_ptr<KeptHost::State> state_;
    int lease_; // which of the host's instances this is
};

} // namespace

KeptHost::KeptHost(automation::Factory& starts, int workbooksPerHost)
    : starts_(starts), workbooksPerHost_(workbooksPerHost) {}

KeptHost::~KeptHost() {
    if (!kept_ || !kept_->host)
        return;
    try {
        if (!kept_->leased)
            kept_->host->invoke(applicationHandle, automation::Op::Call, "Quit", {}, {});
    } catch (...) {
        // Releasing it below ends a host that no longer answers.
    }
    kept_->host.reset();
}

automation::Object KeptHost::CreateObject(const std::string& progId) {
    const bool reusable = kept_ && kept_->host && kept_->sound && !kept_->leased &&
                          kept_->uses < workbooksPerHost_ &&
                          automation::sameName(kept_->progId, progId);
    if (reusable) {
        kept_->leased = true;
        ++kept_->uses;
    } else {
        if (kept_ && kept_->host && !kept_->leased) {
            // Sound but used up: it is told to end as a caller would.
            try {
                kept_->host->invoke(applicationHandle, automation::Op::Call, "Quit", {}, {});
            } catch (...) {
                // Releasing it ends it all the same.
            }
        }
        // A host still leased out belongs to a caller that never quit it: it is left to that
        // caller's references, and this one starts afresh.
        kept_.reset();
        automation::Object application = starts_.CreateObject(progId);
        kept_ = std::make_shared<State>();
        kept_->progId = progId;
        kept_->host = application.dispatch();
    }
    return automation::Object(std::make_shared<Lease>(kept_), applicationHandle);
}

} // namespace convert
