#pragma once
// Test doubles for the window's seams: scripted dialogs, recorded shell requests and message
// boxes, and a fixed sequence of random numbers.

#include "app/Services.h"
#include "dialogs/SystemDialogs.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

namespace testing_support {

class ScriptedDialogs : public dialogs::SystemDialogs {
public:
    // Answers given in order; an empty queue answers "cancel".
    std::deque<std::optional<QString>> openAnswers, saveAnswers, folderAnswers;
    std::deque<std::optional<QColor>> colorAnswers;
    std::deque<std::optional<dialogs::FontChoice>> fontAnswers;
    bool printAnswer = false;
    QString printer;
    bool propertiesAnswer = false;

    // What each dialog was asked, in order.
    std::vector<dialogs::OpenRequest> openRequests;
    std::vector<dialogs::SaveRequest> saveRequests;
    QStringList folderInstructions;
    std::vector<std::pair<QColor, bool>> colorRequests;
    std::vector<QFont> fontRequests;
    int printDialogs = 0;
    QStringList propertiesRequests;

    std::optional<QString> openFile(QWidget*, const dialogs::OpenRequest& request) override;
    std::optional<QString> saveFile(QWidget*, const dialogs::SaveRequest& request) override;
    std::optional<QString> pickFolder(QWidget*, const QString& instruction) override;
    std::optional<QColor> pickColor(QWidget*, QColor initial, bool fullOpen) override;
    std::optional<dialogs::FontChoice> pickFont(QWidget*, const QFont& initial) override;
    bool printDialog(QWidget*) override;
    QString defaultPrinter() override { return printer; }
    bool printerProperties(QWidget*, const QString& name) override;
};

class RecordingShell : public app::Shell {
public:
    struct Request {
        QString operation;
        QString file;
        int showCommand;
    };
    std::vector<Request> requests;
    void ShellExecute(QWidget*, const QString& operation, const QString& file,
                      int showCommand) override {
        requests.push_back(Request{operation, file, showCommand});
    }
};

class RecordingMessages : public app::MessageBoxes {
public:
    struct Message {
        QString text;
        app::MessageIcon icon;
    };
    std::vector<Message> messages;
    // Called while each box is "open", e.g. to check the pointer was reset before it showed.
    std::function<void(const Message&)> onMessage;
    void MsgBox(QWidget*, const QString& text, app::MessageIcon icon) override {
        messages.push_back(Message{text, icon});
        if (onMessage)
            onMessage(messages.back());
    }
    QStringList texts() const {
        QStringList result;
        for (const auto& message : messages)
            result << message.text;
        return result;
    }
};

class FixedRandom : public app::Random {
public:
    std::deque<double> values; // handed out in order; 0.5 once they run out
    int randomizeCalls = 0;
    void Randomize() override { ++randomizeCalls; }
    double Rnd() override {
        if (values.empty())
            return 0.5;
        const double value = values.front();
        values.pop_front();
        return value;
    }
};

} // namespace testing_support
