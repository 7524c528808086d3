#include "info/Dialog1.h"

#include "info/LinkLabel.h"
#include "info/Product.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace info {
namespace {

constexpr int clientWidthTwips = 4905;
constexpr int clientHeightTwips = 4110;

QFont arial(bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

} // namespace

Dialog1::Dialog1(app::Shell& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
    setObjectName(QStringLiteral("Dialog1"));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi_ = screen->logicalDotsPerInchY();
    setWindowTitle(QStringLiteral("About us"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(arial());
    setFixedSize(twips(clientWidthTwips), twips(clientHeightTwips));

    auto place = [this](QWidget* widget, const char* name, int left, int top, int width,
                        int height) {
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(twips(left), twips(top), twips(width), twips(height));
    };
    Label1 = new QLabel(ProductName, this);
    Label1->setFont(arial(true));
    place(Label1, "Label1", 840, 240, 2055, 255);
    Label4 = new QLabel(VersionLine, this);
    place(Label4, "Label4", 840, 480, 1455, 255);

    Frame1 = new QFrame(this);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    place(Frame1, "Frame1", 240, 960, 4450, 1090);
    Label3 = new QLabel(QStringLiteral("Technical Support:"), Frame1);
    place(Label3, "Label3", 120, 240, 1690, 250);
    Label2 = new LinkLabel(SupportMailAddress, Frame1);
    place(Label2, "Label2", 1800, 240, 2290, 250);
    Label7 = new QLabel(QStringLiteral(" Website:"), Frame1);
    place(Label7, "Label7", 120, 480, 850, 250);
    Label8 = new LinkLabel(HomePageAddress, Frame1);
    place(Label8, "Label8", 1800, 480, 1930, 250);
    Label6 = new QLabel(ShortNotice, Frame1);
    place(Label6, "Label6", 120, 720, 3135, 255);

    Label5 = new QLabel(NoticeParagraph, this);
    Label5->setWordWrap(true);
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label5, "Label5", 120, 2280, 4695, 1095);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    place(OKButton, "OKButton", 120, 3600, 1215, 375);
    OKButton->setDefault(true);

    // Labels carry plain text only: nothing in them is taken as markup.
    for (QLabel* label : {Label1, Label4, Label3, static_cast<QLabel*>(Label2), Label7,
                          static_cast<QLabel*>(Label8), Label6, Label5})
        label->setTextFormat(Qt::PlainText);

    // Each link is named by its address and described by the caption beside it.
    Label3->setBuddy(Label2);
    Label7->setBuddy(Label8);
    Label2->setAccessibleDescription(QStringLiteral("Write to technical support"));
    Label2->setToolTip(QStringLiteral("Write to technical support"));
    Label8->setAccessibleDescription(QStringLiteral("Open the website in the web browser"));
    Label8->setToolTip(QStringLiteral("Open the website in the web browser"));
    OKButton->setAccessibleDescription(QStringLiteral("Close this box"));
    // Tab goes from the links to OK, in reading order; OK has the focus first.
    setTabOrder(Label2, Label8);
    setTabOrder(Label8, OKButton);
    OKButton->setFocus();

    connect(Label2, &LinkLabel::clicked, this, &Dialog1::Label2_Click);
    connect(Label8, &LinkLabel::clicked, this, &Dialog1::Label8_Click);
    connect(OKButton, &QPushButton::clicked, this, &Dialog1::OKButton_Click);
}

int Dialog1::twips(int value) const {
    return qRound(value * dpi_ / 1440.0);
}

void Dialog1::Label2_Click() {
    shell_.ShellExecute(this, QStringLiteral("open"),
                        QStringLiteral("mailto:") + SupportMailAddress, app::SW_SHOWMAXIMIZED);
}

void Dialog1::Label8_Click() {
    shell_.ShellExecute(this, QStringLiteral("open"), HomePageAddress, app::SW_SHOW);
}

void Dialog1::OKButton_Click() {
    accept();
}

} // namespace info
