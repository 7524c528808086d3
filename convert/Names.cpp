#include "convert/Names.h"

#include "app/Services.h"
#include "convert/TextRules.h"

#include <limits>

namespace convert {
namespace {

// Characters a file name formed from a sheet name may not hold: the five that the first
// platform refused, then what would leave the folder or that no file system takes.
bool forbidden(QChar c) {
    switch (c.unicode()) {
    case u':':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
    case u'/':
        return true;
    default:
        return c.unicode() < 0x20;
    }
}

// The longest prefix of `name` of at most `maxBytes` UTF-8 bytes that ends on a whole character.
QString truncateUtf8(const QString& name, int maxBytes) {
    int bytes = 0;
    qsizetype end = 0;
    while (end < name.size()) {
        const char32_t code = name.at(end).unicode();
        qsizetype units = 1;
        int width = code < 0x80 ? 1 : code < 0x800 ? 2 : 3;
        if (name.at(end).isHighSurrogate() && end + 1 < name.size() &&
            name.at(end + 1).isLowSurrogate()) {
            units = 2;
            width = 4;
        }
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        end += units;
    }
    return name.left(end);
}

QString clean(const QString& name) {
    QString result;
    result.reserve(name.size());
    for (const QChar c : name)
        if (!forbidden(c))
            result += c;
    result = truncateUtf8(result, MaxStemBytes);
    // Names that are the folder itself or its parent would leave the workbook's folder.
    if (result == u"." || result == u"..")
        return QString();
    return result;
}

QString randomNumber(app::Random& random, int upTo) {
    random.Randomize();
    return QString::number(static_cast<qint64>(random.Rnd() * upTo + 1));
}

QString joined(const QString& workbookName, const QString& tail) {
    return workbookName + u'_' + tail;
}

} // namespace

QString OutputFileName(int fileNaming, const QString& workbookItem, const QString& sheetName,
                       std::int32_t& FileSequenceNumber, app::Random& random) {
    const QString workbookName = StripExtension(workbookItem);
    QString named;
    switch (fileNaming) {
    case 0:
        named = sheetName.compare(workbookName, Qt::CaseInsensitive) == 0
                    ? joined(workbookName, sheetName)
                    : sheetName;
        break;
    case 1:
        named = joined(workbookName, sheetName);
        break;
    case 2: {
        if (FileSequenceNumber == std::numeric_limits<std::int32_t>::max())
            FileSequenceNumber = 0;
        const QString number = QString::number(++FileSequenceNumber);
        named = number == workbookName ? joined(workbookName, number) : number;
        break;
    }
    default:
        named = sheetName;
        break;
    }

    QString name = named.isEmpty() ? named : clean(named);
    // A leading blank discards the name rather than being trimmed.
    if (name.startsWith(u' '))
        name.clear();
    if (name.isEmpty())
        name = randomNumber(random, 1000000);
    if (name != named && name.size() < 2)
        name.prepend(randomNumber(random, 100));
    return name;
}

QString PageTitle(int pageTitle, const QString& workbookItem, const QString& sheetName) {
    switch (pageTitle) {
    case 1:
        return sheetName;
    case 2:
        return StripExtension(workbookItem);
    case 3:
        return joined(StripExtension(workbookItem), sheetName);
    default:
        return QString();
    }
}

QString ClaimedNames::claim(const QString& stem, const QString& extension) {
    const QString dotExtension = u'.' + extension;
    QString candidate = stem;
    for (int k = 2; claimed_.contains((candidate + dotExtension).toCaseFolded()); ++k)
        candidate = stem + u'_' + QString::number(k);
    claimed_.insert((candidate + dotExtension).toCaseFolded());
    return candidate;
}

} // namespace convert
