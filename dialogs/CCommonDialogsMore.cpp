#include "dialogs/CCommonDialogs.h"

#include <QFont>
#include <algorithm>
#include <limits>

namespace dialogs {
namespace {

constexpr std::int16_t True = -1;
constexpr std::int16_t False = 0;

// A face name holds at most this many characters; the rest is dropped.
constexpr qsizetype maxFaceNameLength = 31;

// Color holds red in its low byte, then green, then blue; the high byte is not a colour.
QColor fromRgbValue(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

std::int32_t toRgbValue(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     static_cast<std::uint32_t>(rgb.green()) << 8 |
                                     static_cast<std::uint32_t>(rgb.blue()) << 16);
}

QString faceName(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return (nul < 0 ? text : text.left(nul)).left(maxFaceNameLength);
}

std::int16_t wholePoints(int tenths) {
    const int points = tenths / 10; // the remainder is dropped, never rounded
    return static_cast<std::int16_t>(std::clamp<int>(points,
                                                     std::numeric_limits<std::int16_t>::min(),
                                                     std::numeric_limits<std::int16_t>::max()));
}

} // namespace

std::int16_t CCommonDialogs::ShowColor(std::int16_t FullOpen) {
    const std::optional<QColor> chosen =
        system_.pickColor(owner_, fromRgbValue(color_), FullOpen != 0);
    if (!chosen)
        return False;
    color_ = toRgbValue(*chosen);
    return True;
}

std::int16_t CCommonDialogs::ShowFont() {
    QFont initial(faceName(fontName_));
    // A size of 0 or less asks for the dialog's default size.
    if (fontSize_ > 0)
        initial.setPointSize(fontSize_);
    initial.setBold(fontBold_ != 0);
    initial.setItalic(fontItalic_ != 0);
    initial.setUnderline(fontUnderline_ != 0);
    const std::optional<FontChoice> chosen = system_.pickFont(owner_, initial);
    if (!chosen)
        return False;
    // The dialog offers no underline or colour, so FontUnderline and Color stay as they were.
    fontName_ = faceName(chosen->family);
    fontBold_ = chosen->bold ? True : False;
    fontItalic_ = chosen->italic ? True : False;
    fontSize_ = wholePoints(chosen->pointSizeTenths);
    return True;
}

std::int16_t CCommonDialogs::ShowPrinter() {
    return system_.printDialog(owner_) ? True : False;
}

std::int16_t CCommonDialogs::ShowPrinterProperties() {
    const QString printer = system_.defaultPrinter();
    if (printer.isEmpty())
        return False;
    return system_.printerProperties(owner_, printer) ? True : False;
}

} // namespace dialogs
