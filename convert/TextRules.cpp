#include "convert/TextRules.h"

namespace convert {

QString StripExtension(const QString& text) {
    const qsizetype dot = text.lastIndexOf(u'.');
    return dot < 0 ? text : text.left(dot);
}

QString RemoveSpacesAndDots(const QString& text) {
    QString result = text;
    result.remove(u' ');
    result.remove(u'.');
    return result;
}

} // namespace convert
