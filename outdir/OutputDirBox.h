#pragma once
// The behaviour of the output directory box that Qt's combo box does not have by itself.

class QComboBox;

namespace outdir {

// Makes `box` an editable box whose typing changes only its text: the list index becomes -1 as
// soon as the user edits the text, typed text is never added, completed or matched to an entry.
void MakeTypingChangeOnlyTheText(QComboBox* box);

} // namespace outdir
