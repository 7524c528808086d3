#pragma once
// Everything the window reaches outside itself, bundled so that tests can hand in doubles.

#include "app/Random.h"

#include <QString>

class QWidget;

namespace automation {
class Factory;
}
namespace dialogs {
class SystemDialogs;
}

namespace app {

enum class MessageIcon { None, Information, Critical };

// Message boxes with an OK button only and the program's title.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void MsgBox(QWidget* owner, const QString& text, MessageIcon icon) = 0;
};

// Show commands of the shell's "open".
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_SHOW = 5;

// Opens a folder, a file, a web address or a mail address with the desktop's handler. The
// result is never examined, so there is none.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void ShellExecute(QWidget* owner, const QString& operation, const QString& file,
                              int showCommand) = 0;
};

struct Services {
    automation::Factory& automation;
    dialogs::SystemDialogs& dialogs;
    Shell& shell;
    MessageBoxes& messages;
    Random& random;
    QString programFolder; // holds the executables and help.chm
    QString stateFolder;   // holds EXCEL.txt, output.txt and set.txt
};

} // namespace app
