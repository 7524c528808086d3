#pragma once
// The host's side of the conversation: turns request lines into replies, keeping the table of
// object handles it has handed out (1 is the application).

#include "host/Application.h"
#include "wire/WireFormat.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace host {

class Session {
public:
    Session();

    // Answers one request line (without its newline) with one reply line (without newline).
    std::string handle(const std::string& requestLine);

    // True once the application was told to quit.
    bool finished() const { return application_->quitRequested(); }

private:
    // The reply to one request line; `failed` tells whether it is an error.
    std::string answer(const std::string& requestLine, bool& failed);
    // One call, its object named by handle or by the object result of an earlier call of the
    // same sequence (in `earlier`). Throws HostError.
    wire::Outcome perform(const wire::Call& call, const std::vector<wire::Outcome>& earlier);
    int handleOf(const std::shared_ptr<HostObject>& object);
    // Once the last workbook is closed, its sheets and collections are of no further use: a
    // host kept for the next workbook must not hold every earlier one in memory through them.
    void forgetAllButTheApplication();

    std::shared_ptr<Application> application_;
    std::map<int, std::shared_ptr<HostObject>> objects_;
    std::map<const HostObject*, int> handles_;
    int nextHandle_ = 2;
    bool lastFailed_ = false; // the last reply was an error
};

} // namespace host
