// Pages every reader can use: the page's language and direction, its landmark and heading,
// header cells of frozen rows and columns, charts in words, and cells of right-to-left text.

#include "engine/web/ChartText.h"
#include "engine/web/PageLanguage.h"
#include "engine/web/PageWriter.h"
#include "engine/web/TextDirection.h"
#include "tests/engine/web/SampleWorkbooks.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace engine;
using namespace engine::web;
using web_samples::numberCell;
using web_samples::textCell;

namespace {

std::string page(const Workbook& workbook, std::vector<std::size_t> sheets, std::string title,
                 bool heading, bool tabs = false) {
    PageContent content;
    content.sheets = std::move(sheets);
    content.title = std::move(title);
    content.heading = heading;
    content.sheetTabs = tabs;
    StringSink sink;
    writePage(sink, workbook, content);
    return sink.text();
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Sets a locale variable for one test and puts back what was there.
class Environment {
public:
    Environment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old, had_ = true;
        ::setenv(name, value, 1);
    }
    ~Environment() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(PageLanguage, TagsFromFilesAndLocaleNames) {
    const std::pair<const char*, const char*> tags[] = {
        {"en-US", "en-US"},
        {"en_us", "en-US"},
        {"de_AT.UTF-8@euro", "de-AT"},
        {"zh-hant-tw", "zh-Hant-TW"},
        {"he", "he"},
        {"ja-JP", "ja-JP"},
        {"C", nullptr},
        {"POSIX", nullptr},
        {"", nullptr},
        {"en US", nullptr},
        {"x\"><script>", nullptr},
        {"en-", nullptr},
        {"e", nullptr},
        {"1234", nullptr},
    };
    for (const auto& [text, tag] : tags) {
        const auto made = languageTag(text);
        if (tag)
            EXPECT_EQ(made.value_or("(none)"), tag) << text;
        else
            EXPECT_FALSE(made) << text << " gave " << *made;
    }
}

TEST(PageLanguage, TheWorkbooksOwnBeforeTheLocales) {
    Environment all("LC_ALL", "fr_CA.UTF-8");
    Workbook workbook = web_samples::plainWorkbook();
    EXPECT_EQ(pageLanguage(workbook), "fr-CA");
    workbook.language = "ja-JP";
    EXPECT_EQ(pageLanguage(workbook), "ja-JP");
    EXPECT_TRUE(contains(page(workbook, {0}, "Data", false), "<html lang=\"ja-JP\">"));
    // A language the file garbles is no language: the locale's stands in.
    workbook.language = "<b>";
    EXPECT_EQ(pageLanguage(workbook), "fr-CA");
    {
        Environment plain("LC_ALL", "C");
        EXPECT_EQ(pageLanguage(workbook), "en");
    }
}

TEST(PageStructure, OneMainLandmarkAndOneHeadingWhateverTheTitleRule) {
    Workbook workbook = web_samples::plainWorkbook();
    const std::string untitled = page(workbook, {0}, "Data", false);
    const std::string titled = page(workbook, {0}, "Sales", true);
    for (const std::string& html : {untitled, titled}) {
        EXPECT_TRUE(contains(html, "<meta name=\"viewport\" content=\"width=device-width, "
                                   "initial-scale=1\">"));
        EXPECT_EQ(count(html, "<main>"), 1u);
        EXPECT_EQ(count(html, "<h1"), 1u);
        EXPECT_LT(html.find("<main>"), html.find("<h1"));
        EXPECT_LT(html.find("</table>"), html.find("</main>"));
        EXPECT_FALSE(contains(html, "dir=\"rtl\""));
    }
    // Without a title line the heading is there for screen readers only: the page looks as
    // before.
    EXPECT_TRUE(contains(untitled, "<h1 class=\"vh\">Data</h1>"));
    EXPECT_TRUE(contains(untitled, ".vh{position:absolute;width:1px;height:1px;"));
    EXPECT_TRUE(contains(titled, "<h1>Sales</h1>"));
}

TEST(PageStructure, RightToLeftSheetsReadFromTheRight) {
    Workbook workbook = web_samples::annotatedWorkbook(); // "Notes", right to left
    Sheet wide;
    wide.name = "Wide";
    wide.cells.push_back(textCell(workbook, 0, 0, "left to right"));
    workbook.sheets.push_back(std::move(wide));
    workbook.finish();
    const std::string alone = page(workbook, {0}, "Notes", false);
    EXPECT_TRUE(contains(alone, "dir=\"rtl\">\n<head>"));
    const std::string whole = page(workbook, {0, 1}, "Book", true, true);
    EXPECT_TRUE(contains(whole, "<html lang=\""));
    EXPECT_FALSE(contains(whole, "dir=\"rtl\">\n<head>"));
    EXPECT_TRUE(contains(whole, "<section id=\"sheet0\" dir=\"rtl\">"));
    EXPECT_TRUE(contains(whole, "<section id=\"sheet1\">"));
    EXPECT_TRUE(contains(whole, "<nav class=\"tabs\" aria-label=\"Sheets\">"));
    EXPECT_LT(whole.find("<main>"), whole.find("<nav"));
}

TEST(PageStructure, FrozenRowsAndColumnsAreHeaderCells) {
    Workbook workbook;
    Sheet sheet;
    sheet.name = "Frozen";
    sheet.frozenRows = 1;
    sheet.frozenColumns = 1;
    sheet.cells.push_back(textCell(workbook, 0, 0, "Region"));
    sheet.cells.push_back(textCell(workbook, 0, 1, "Sales"));
    sheet.cells.push_back(textCell(workbook, 1, 0, "North"));
    sheet.cells.push_back(numberCell(1, 1, 12));
    sheet.cells.push_back(textCell(workbook, 2, 0, ""));
    sheet.cells.push_back(numberCell(2, 1, 7));
    sheet.merges.push_back(Range{3, 3, 0, 1});
    sheet.cells.push_back(textCell(workbook, 3, 0, "Merged"));
    workbook.sheets.push_back(std::move(sheet));
    workbook.finish();
    const std::string html = page(workbook, {0}, "Frozen", false);
    EXPECT_TRUE(contains(html, "<th scope=\"col\">Region</th>"));
    EXPECT_TRUE(contains(html, "<th scope=\"col\">Sales</th>"));
    EXPECT_TRUE(contains(html, "<th scope=\"row\">North</th>"));
    EXPECT_TRUE(contains(html, "<th scope=\"row\" colspan=\"2\">Merged</th>") ||
                contains(html, "<th scope=\"row\" colspan=\"2\""))
        << html;
    // A header cell that shows nothing would be an empty header: it stays a data cell, as do
    // the cells under and beside the headers.
    EXPECT_EQ(count(html, "<th "), 4u);
    EXPECT_TRUE(contains(html, ">12</td>"));
    // Header cells look as the sheet's cells do.
    EXPECT_TRUE(contains(html, "table.grid th{font-weight:inherit;text-align:inherit}"));
}

TEST(PageStructure, ShownTableHeaderRowsAreColumnHeaders) {
    Workbook workbook;
    for (const char* name : {"Tables", "Other"}) {
        Sheet sheet;
        sheet.name = name;
        for (std::uint32_t row = 0; row < 3; ++row)
            for (std::uint16_t col = 0; col < 6; ++col)
                sheet.cells.push_back(textCell(workbook, row, col,
                                               std::string(1, static_cast<char>('A' + col)) +
                                                   std::to_string(row + 1)));
        workbook.sheets.push_back(std::move(sheet));
    }
    // A1:B3 and C1:C3 with their headers shown (side by side: one run of headers), E1:F3
    // without; the second sheet's table heads nothing on the first.
    const auto table = [](std::uint32_t sheet, std::uint16_t first, std::uint16_t last,
                          std::uint32_t headers) {
        Table t;
        t.sheet = sheet;
        t.range = Range{0, 2, first, last};
        t.headerRows = headers;
        return t;
    };
    workbook.tables = {table(0, 2, 2, 1), table(0, 0, 1, 1), table(0, 4, 5, 0), table(1, 3, 3, 1)};
    workbook.finish();
    const std::string html = page(workbook, {0}, "Tables", false);
    for (const char* head : {"A1", "B1", "C1"})
        EXPECT_TRUE(contains(html, std::string("<th scope=\"col\">") + head + "</th>")) << head;
    EXPECT_EQ(count(html, "<th "), 3u) << html;
    EXPECT_TRUE(contains(html, "<td>D1</td><td>E1</td>"));
}

Chart chartOf(std::string title, std::vector<ChartSeries> series) {
    Chart chart;
    chart.title = std::move(title);
    chart.plots.emplace_back().series = std::move(series);
    return chart;
}

TEST(ChartText, NamedByTitleElseBySeries) {
    ChartSeries sales;
    sales.name = "Sales";
    sales.categories = {"Q1", "Q2", ""};
    sales.values = {1.5, std::nan(""), 3};
    ChartSeries unnamed;
    unnamed.values = {10};
    EXPECT_EQ(chartName(chartOf("Revenue", {sales})), "Revenue");
    EXPECT_EQ(chartName(chartOf("", {sales, unnamed})), "Chart of Sales, Series 2");
    EXPECT_EQ(chartName(chartOf("", {})), "Chart");
    EXPECT_EQ(chartDescription(chartOf("", {sales, unnamed})),
              "Sales: Q1 1.5, Q2 no value, 3 3. Series 2: 1 10.");

    // A chart of a hundred thousand points is told in a bounded text.
    ChartSeries many;
    many.values.assign(100000, 123456.789);
    EXPECT_LE(chartDescription(chartOf("", {many})).size(), (16u << 10) + 3);
}

TEST(ChartText, EveryChartOnThePageIsANamedDescribedImage) {
    Workbook workbook = web_samples::plainWorkbook();
    ChartSeries series;
    series.name = "A<b>";
    series.values = {1, 2};
    workbook.sheets[0].charts.push_back(chartOf("", {series}));
    const std::string html = page(workbook, {0}, "Data", false);
    EXPECT_TRUE(contains(html, "role=\"img\" aria-label=\"Chart of A&lt;b&gt;\" "
                               "aria-describedby=\"chart0_0\""));
    EXPECT_TRUE(contains(html, "<div class=\"vh\" id=\"chart0_0\">A&lt;b&gt;: 1 1, 2 2.</div>"));
}

TEST(TextDirection, TheFirstStrongCharacterDecides) {
    const std::pair<const char*, TextDirection> texts[] = {
        {"Total", TextDirection::LeftToRight},
        {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D", TextDirection::RightToLeft},    // Hebrew
        {"12 \xD8\xB3\xD9\x84\xD8\xA7\xD9\x85", TextDirection::RightToLeft}, // 12 + Arabic
        {"(\xD7\xA9) abc", TextDirection::RightToLeft},
        {"abc \xD7\xA9", TextDirection::LeftToRight},
        {"\xD9\xA1\xD9\xA2\xD9\xA3", TextDirection::Neutral},        // Arabic-Indic digits
        {"\xD0\x9F\xD1\x80\xD0\xB8", TextDirection::LeftToRight},    // Cyrillic
        {"\xE2\x82\xAC 5 \xE6\x97\xA5", TextDirection::LeftToRight}, // euro, CJK
        {"", TextDirection::Neutral},
        {"12.5 %", TextDirection::Neutral},
        {"\xD7", TextDirection::Neutral}, // cut short
        {"\xFF\xD7\xA9", TextDirection::RightToLeft},
    };
    for (const auto& [text, direction] : texts)
        EXPECT_EQ(firstStrongDirection(text), direction) << text;
}

} // namespace
