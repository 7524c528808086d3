#pragma once
// The window's hosts, each started one operation ahead: a host takes longer to start (loading
// its libraries) than a small workbook takes to read, so the next operation's host loads while
// the user looks at the last one's result. Each host still serves one operation and is ended by
// its Quit; the spare waits unused until then, and ends with this object or with the program.

#include "automation/Factory.h"

namespace convert {

class SpareHost : public automation::Factory {
public:
    explicit SpareHost(automation::Factory& starts);
    ~SpareHost() override; // ends the spare

    // The spare when there is one that still runs (else a host started now), and a new spare
    // started behind it. Throws automation::Error when no host can be started.
    automation::Object CreateObject(const std::string& progId) override;

private:
    automation::Factory& starts_;
    std::string progId_;
    automation::Object spare_;
};

} // namespace convert
