#include "tests/gui_support/Doubles.h"

namespace testing_support {
namespace {

template <typename T> std::optional<T> next(std::deque<std::optional<T>>& answers) {
    if (answers.empty())
        return std::nullopt;
    std::optional<T> answer;
    answer.swap(answers.front());
    answers.pop_front();
    return answer;
}

} // namespace

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const dialogs::OpenRequest& request) {
    openRequests.push_back(request);
    return next(openAnswers);
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*, const dialogs::SaveRequest& request) {
    saveRequests.push_back(request);
    return next(saveAnswers);
}

std::optional<QString> ScriptedDialogs::pickFolder(QWidget*, const QString& instruction) {
    folderInstructions << instruction;
    return next(folderAnswers);
}

std::optional<QColor> ScriptedDialogs::pickColor(QWidget*, QColor initial, bool fullOpen) {
    colorRequests.emplace_back(initial, fullOpen);
    return next(colorAnswers);
}

std::optional<dialogs::FontChoice> ScriptedDialogs::pickFont(QWidget*, const QFont& initial) {
    fontRequests.push_back(initial);
    return next(fontAnswers);
}

bool ScriptedDialogs::printDialog(QWidget*) {
    ++printDialogs;
    return printAnswer;
}

bool ScriptedDialogs::printerProperties(QWidget*, const QString& name) {
    propertiesRequests << name;
    return propertiesAnswer;
}

} // namespace testing_support
