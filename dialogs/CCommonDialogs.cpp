#include "dialogs/CCommonDialogs.h"

namespace dialogs {
namespace {

QString upToNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

} // namespace

QString CCommonDialogs::Title() const { return upToNul(title_); }
QString CCommonDialogs::Path() const { return upToNul(path_); }
QString CCommonDialogs::FileTitle() const { return upToNul(fileTitle_); }
QString CCommonDialogs::FileName() const { return upToNul(fileName_); }

std::int16_t CCommonDialogs::ShowOpen() { return 0; }
std::int16_t CCommonDialogs::ShowSave() { return 0; }
std::int16_t CCommonDialogs::ShowFolder() { return 0; }

} // namespace dialogs
