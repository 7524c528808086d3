// The font-family lists drawings name: a font a machine lacks falls back to one of its kind.

#include "engine/svg/FontFamily.h"

#include <gtest/gtest.h>

namespace {

using engine::svg::fontFamilyList;
using engine::svg::genericFamily;

TEST(FontFamily, FontsFallBackToTheirKindNotToTheBrowsersSerif) {
    struct Row {
        const char* family;
        const char* list;
    } rows[] = {
        {"Calibri", "'Calibri',Carlito,sans-serif"},
        {"ARIAL", "'ARIAL','Liberation Sans',Arimo,sans-serif"},
        {"Times New Roman", "'Times New Roman','Liberation Serif',Tinos,serif"},
        {"Courier New", "'Courier New','Liberation Mono',Cousine,monospace"},
        {"Verdana", "'Verdana',sans-serif"},
        {"Georgia", "'Georgia',serif"},
        {"Microsoft Sans Serif", "'Microsoft Sans Serif',sans-serif"},
        {"Century Gothic", "'Century Gothic',sans-serif"},
        {"MS Mincho", "'MS Mincho',serif"},
        {"Lucida Console", "'Lucida Console',monospace"},
        {"", "sans-serif"},
        {"  ", "sans-serif"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(fontFamilyList(row.family), row.list) << row.family;
    EXPECT_EQ(genericFamily("Liberation Serif"), "serif");
}

TEST(FontFamily, NamesFromFilesCannotBreakOutOfTheList) {
    EXPECT_EQ(fontFamilyList("A'rial\", x; y<z>&"), "'Arial x yz',sans-serif");
    const std::string longName(300, 'x');
    EXPECT_EQ(fontFamilyList(longName), "'" + std::string(64, 'x') + "',sans-serif");
    // A long name cut at 64 bytes never ends inside a character.
    std::string wide;
    for (int i = 0; i < 40; ++i)
        wide += "\xC3\xA9";
    EXPECT_EQ(fontFamilyList(wide), "'" + wide.substr(0, 64) + "',sans-serif");
    EXPECT_EQ(fontFamilyList("a" + wide), "'a" + wide.substr(0, 62) + "',sans-serif");
}

} // namespace
