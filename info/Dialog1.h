#pragma once
// The About box: product name, version, support and web links, notices. Modal; OK closes it.

#include "app/Services.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace info {

class LinkLabel;

class Dialog1 : public QDialog {
    Q_OBJECT

public:
    // Links are opened through `shell`; the box has no owner window unless `parent` is given.
    explicit Dialog1(app::Shell& shell, QWidget* parent = nullptr);

    QLabel* Label1;    // product name
    QLabel* Label4;    // version line
    QFrame* Frame1;    // holds the links and the one-line notice
    QLabel* Label3;    // "Technical Support:"
    LinkLabel* Label2; // support mail address
    QLabel* Label7;    // " Website:"
    LinkLabel* Label8; // home page address
    QLabel* Label6;    // one-line notice
    QLabel* Label5;    // notice paragraph
    QPushButton* OKButton;

    // Opens "mailto:" and the support address, maximised; the box stays open.
    void Label2_Click();
    // Opens the home page; the box stays open.
    void Label8_Click();
    void OKButton_Click();

private:
    int twips(int value) const;

    app::Shell& shell_;
    double dpi_ = 96.0;
};

} // namespace info
