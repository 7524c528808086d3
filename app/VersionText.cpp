#include "app/VersionText.h"

#include "convert/TextRules.h"

#include <cmath>
#include <limits>

namespace app {
namespace {

// The number a text starts with, after leading blanks: digits with an optional sign, point and
// exponent; 0 when it starts with none.
double leadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok ? value : 0.0;
}

} // namespace

int MajorVersion(const QString& versionText) {
    const double number = std::nearbyint(
        leadingNumber(QString::fromStdString(convert::StripExtension(versionText.toStdString()))));
    if (!(std::abs(number) < static_cast<double>(std::numeric_limits<int>::max())))
        return 0;
    return static_cast<int>(number);
}

} // namespace app
