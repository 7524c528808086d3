#pragma once
// The host's side of the conversation: turns request lines into replies, keeping the table of
// object handles it has handed out (1 is the application).

#include "host/Application.h"

#include <QByteArray>
#include <map>
#include <memory>

namespace host {

class Session {
public:
    Session();

    // Answers one request line (without its newline) with one reply line (without newline).
    QByteArray handle(const QByteArray& requestLine);

    // True once the application was told to quit.
    bool finished() const { return application_->quitRequested(); }

private:
    int handleOf(const std::shared_ptr<HostObject>& object);

    std::shared_ptr<Application> application_;
    std::map<int, std::shared_ptr<HostObject>> objects_;
    std::map<const HostObject*, int> handles_;
    int nextHandle_ = 2;
};

} // namespace host
