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
        // Unselecting sets the text to nothing, and every text set from code wipes the field's
        // undo history. So the entry's text comes back first and the user's edit is made again
        // as an edit, which keeps one undo step back to the entry. That edit raises this handler
        // again, with nothing selected by then.
        const QString entry = box->itemText(box->currentIndex());
        const int cursor = edit->cursorPosition();
        box->setCurrentIndex(-1);
        edit->setText(entry);
        qsizetype prefix = 0;
        while (prefix < entry.size() && prefix < text.size() && entry[prefix] == text[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < entry.size() - prefix && suffix < text.size() - prefix &&
               entry[entry.size() - 1 - suffix] == text[text.size() - 1 - suffix])
            ++suffix;
        edit->setSelection(static_cast<int>(prefix),
                           static_cast<int>(entry.size() - prefix - suffix));
        edit->insert(text.mid(prefix, text.size() - prefix - suffix));
        edit->setCursorPosition(cursor);
    });
}

} // namespace outdir
