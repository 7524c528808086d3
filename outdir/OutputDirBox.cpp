#include "outdir/OutputDirBox.h"

#include <QComboBox>
#include <QLineEdit>

namespace outdir {

void MakeTypingChangeOnlyTheText(QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // No completion: it would change the text to an entry the user did not type.
    box->setCompleter(nullptr);
    // With duplicates allowed, Return never selects an entry equal to the text.
    box->setDuplicatesEnabled(true);
    QLineEdit* edit = box->lineEdit();
    // Leaving the field would otherwise select an entry equal to the typed text.
    QObject::disconnect(edit, &QLineEdit::editingFinished, box, nullptr);
    QObject::connect(edit, &QLineEdit::textEdited, box, [box, edit](const QString& text) {
        if (box->currentIndex() < 0)
            return;
        // Unselecting clears the text; the user's text and cursor come back at once.
        const int cursor = edit->cursorPosition();
        box->setCurrentIndex(-1);
        edit->setText(text);
        edit->setCursorPosition(cursor);
    });
}

} // namespace outdir
