#pragma once
// The product's own texts and addresses, shown in the About box and opened by the Help menu.

#include <QString>

namespace info {

inline const QString ProductName = QStringLiteral("Quillmere");
inline const QString VersionLine = QStringLiteral("Version:29.11.15");
// Opened by the HomePage command and by the About box's web link.
inline const QString HomePageAddress = QStringLiteral("https://quillmere.app");
// Opened, after "mailto:", by the About box's mail link.
inline const QString SupportMailAddress = QStringLiteral("support@quillmere.app");
// The About box's one-line notice and its notice paragraph.
inline const QString ShortNotice = QStringLiteral("Thank you for using Quillmere.");
inline const QString NoticeParagraph = QStringLiteral(
    "Quillmere converts spreadsheet workbooks into web pages. It is provided as is, without "
    "warranty of any kind. Copyright (C) 2026 the Quillmere authors. All rights reserved.");
// The user manual's first page, below the program folder (an installed program finds it
// through a link there to the shared data folder).
inline const QString HelpFileName = QStringLiteral("help/index.html");

} // namespace info
