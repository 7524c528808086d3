#include "app/Setting.h"

#include "app/StateFiles.h"
#include "app/StateSaveFailure.h"
#include "app/form1.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace app {
namespace {

constexpr int clientWidthTwips = 3735;
constexpr int clientHeightTwips = 1560;

const QString settingOn = QStringLiteral("1");
const QString settingOff = QStringLiteral("0");

} // namespace

Setting::Setting(const QString& stateFolder, MessageBoxes& messages, QWidget* parent)
    : QDialog(parent), settingsPath_(QDir(stateFolder).filePath(SettingsFile)),
      messages_(messages) {
    setObjectName(QStringLiteral("Setting"));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi_ = screen->logicalDotsPerInchY();
    setWindowTitle(QStringLiteral("Setting"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    setFont(font);
    setFixedSize(twips(clientWidthTwips), twips(clientHeightTwips));

    auto place = [this](QWidget* widget, const char* name, int left, int top, int width,
                        int height) {
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(twips(left), twips(top), twips(width), twips(height));
    };
    // Created in tab order: OK, Cancel, then the two boxes.
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    place(OKButton, "OKButton", 360, 1080, 1215, 375);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    place(CancelButton, "CancelButton", 2040, 1080, 1215, 375);
    // The caption ends in a line break, which sets the text a little higher in its box.
    Check1 = new QCheckBox(QStringLiteral("Automatically save the current file\n"), this);
    place(Check1, "Check1", 360, 240, 2895, 370);
    Check2 = new QCheckBox(QStringLiteral("Automatically save the output directory"), this);
    place(Check2, "Check2", 360, 600, 3135, 255);
    // Names as read, without the caption's line break; what each box decides.
    Check1->setAccessibleName(QStringLiteral("Automatically save the current file"));
    Check1->setAccessibleDescription(QStringLiteral("Save the source list when Quillmere closes"));
    Check2->setAccessibleDescription(
        QStringLiteral("Save the output directory history when Quillmere closes"));
    OKButton->setAccessibleDescription(QStringLiteral("Keep these settings and close"));
    CancelButton->setAccessibleDescription(QStringLiteral("Close without changing the settings"));
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, Check1);
    setTabOrder(Check1, Check2);
    OKButton->setDefault(true);
    OKButton->setFocus();

    connect(OKButton, &QPushButton::clicked, this, &Setting::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Setting::CancelButton_Click);

    Form_Load();
}

int Setting::twips(int value) const {
    return qRound(value * dpi_ / 1440.0);
}

void Setting::Form_Load() {
    const QStringList lines = readStateLines(settingsPath_);
    if (lines.size() >= 1)
        Check1->setChecked(lines.at(0) == settingOn);
    if (lines.size() >= 2)
        Check2->setChecked(lines.at(1) == settingOn);
}

void Setting::OKButton_Click() {
    const QStringList lines{Check1->isChecked() ? settingOn : settingOff,
                            Check2->isChecked() ? settingOn : settingOff};
    QString reason;
    if (!writeStateLines(settingsPath_, lines, &reason)) {
        messages_.MsgBox(this, stateFileFailureLine(settingsPath_, reason), MessageIcon::Critical);
        reject();
        return;
    }
    accept();
}

void Setting::CancelButton_Click() {
    reject();
}

void form1::Settings_Click() {
    // A fresh dialog each time, so it shows set.txt as it is now.
    Setting dialog(services.stateFolder, services.messages, this);
    dialog.exec();
}

} // namespace app
