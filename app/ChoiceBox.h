#pragma once
// A drop-down list whose popup is as wide as its longest choice, however narrow the box: a
// choice cut off in the popup cannot be told from another that begins the same way. The box
// keeps its own width, and its tooltip shows the current choice whole.

#include <QComboBox>

namespace app {

class ChoiceBox : public QComboBox {
public:
    explicit ChoiceBox(QWidget* parent);

    // The width the popup needs to show every choice whole, scroll bar included.
    int popupWidthNeeded() const;

    void showPopup() override;
};

} // namespace app
