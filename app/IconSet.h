#pragma once
// The window's icons, all from one icon theme, each at exactly the size it is shown at.

#include <QIcon>
#include <QStyle>
#include <vector>

namespace app {

struct IconRequest {
    const char* name;                // the freedesktop icon name
    QStyle::StandardPixmap fallback; // Qt's own icon, used when no theme has every name
    int size;                        // the side in pixels it is shown at
};

// The icons asked for, in order, from the first theme that has all of them: the desktop's own
// theme, else an installed theme known to have them; when none has, Qt's standard icons stand
// in for all of them. Each icon holds one pixmap of exactly its size, so every button shows
// its picture equally large. `theme` receives the theme used ("" for Qt's standard icons).
std::vector<QIcon> IconsFromOneTheme(const std::vector<IconRequest>& requests, QString* theme);

} // namespace app
