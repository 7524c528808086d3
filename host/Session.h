#pragma once
// The host's side of the conversation: turns request lines into replies, keeping the table of
// object handles it has handed out (1 is the application).

#include "host/Application.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
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
    QJsonObject answer(const QByteArray& requestLine);
    // One call: {"object":h or {"result":k},"op":…,"member":…,"args":[…],"named":{…}}, where
    // k names the object result of an earlier call in `earlier`. Returns {"object":n} or
    // {"value":v}; throws HostError.
    QJsonObject perform(const QJsonObject& call, const QJsonArray& earlier);
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
