// Value + format code -> displayed text, as an en-US spreadsheet application shows it.

#include "engine/numfmt/NumberFormat.h"

#include "engine/numfmt/BuiltinFormats.h"
#include "engine/numfmt/General.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using engine::DateSystem;
using engine::numfmt::NumberFormat;
using engine::numfmt::Shown;

namespace {

struct Row {
    const char* name;
    double value;
    const char* code;
    const char* expected;
};

std::string show(double value, const char* code, DateSystem dates = DateSystem::Date1900) {
    Shown shown;
    NumberFormat::parse(code).formatNumber(value, dates, shown);
    return shown.text;
}

class FormatTable : public ::testing::TestWithParam<Row> {};

TEST_P(FormatTable, ShowsValueAsTheApplicationDoes) {
    const Row& row = GetParam();
    EXPECT_EQ(show(row.value, row.code), row.expected) << row.code << " with " << row.value;
}

const Row generalRows[] = {
    {"zero", 0, "General", "0"},
    {"integer", 42, "General", "42"},
    {"negative_integer", -7, "General", "-7"},
    {"third", 1.0 / 3, "General", "0.333333333"},
    {"general_tie_rounds_away_from_zero", 12345678.125, "General", "12345678.13"},
    {"general_tie_in_eleven_characters", 123456789.25, "General", "123456789.3"},
    {"two_thirds_negative", -2.0 / 3, "General", "-0.666666667"},
    {"large_switches_to_scientific", 12345678901234.0, "General", "1.23457E+13"},
    {"eleven_digits_stay", 12345678901.0, "General", "12345678901"},
    {"twelve_digits_scientific", 123456789012.0, "General", "1.23457E+11"},
    {"decimal_fits", 1234.5678, "General", "1234.5678"},
    {"decimal_rounded_to_width", 1234.56789012, "General", "1234.56789"},
    {"small_fixed", 0.0001, "General", "0.0001"},
    {"small_many_digits", 0.000123456789, "General", "0.000123457"},
    {"tiny_scientific", 1.5e-9, "General", "1.5E-09"},
    {"very_tiny", 1e-20, "General", "1E-20"},
    {"huge", 1e100, "General", "1E+100"},
    {"float_noise", 0.1 + 0.2, "General", "0.3"},
    {"half", 0.5, "General", "0.5"},
    // Rounding that carries into a new leading digit, in both fixed ranges.
    {"nines_carry_to_ten", 9.99999999999, "General", "10"},
    {"small_nines_carry", 0.00099999999999, "General", "0.001"},
    // Seventeen significant digits in the double: rounded from fifteen, as before.
    {"seventeen_digit_double", 2.0000000000000004, "General", "2"},
    {"general_code_lower_case", 3.25, "general", "3.25"},
    {"empty_code_is_general", 2.5, "", "2.5"},
};
INSTANTIATE_TEST_SUITE_P(General, FormatTable, ::testing::ValuesIn(generalRows),
                         [](const auto& info) { return std::string(info.param.name); });

const Row numberRows[] = {
    {"integer_rounds", 2.5, "0", "3"},
    {"integer_negative", -2.4, "0", "-2"},
    {"two_decimals", 3.14159, "0.00", "3.14"},
    {"half_rounds_away_from_zero", 1.005, "0.00", "1.01"},
    {"half_rounds_up_integer", 0.5, "0", "1"},
    {"rounds_up_into_new_digit", 9.996, "0.00", "10.00"},
    {"tiny_rounds_up", 0.0006, "0.000", "0.001"},
    {"tiny_rounds_down", 0.0004, "0.000", "0.000"},
    // Fifteen significant digits, then zeros, however many places are asked for.
    {"places_past_fifteen_digits", 0.1 + 0.2, "0.000000000000000000", "0.300000000000000000"},
    {"fifteen_digits_rounded_first", 123456789.123456789, "0.000000", "123456789.123457"},
    {"thousands", 1234567.891, "#,##0", "1,234,568"},
    {"thousands_decimals", 1234567.891, "#,##0.00", "1,234,567.89"},
    {"thousands_small", 12, "#,##0", "12"},
    {"zero_with_hash", 0, "#", ""},
    {"hash_fraction_drops_zeros", 2.5, "#.##", "2.5"},
    {"hash_point_stays", 5, "#.##", "5."},
    {"question_marks_pad", 2.5, "0.0??", "2.5  "},
    {"leading_zeros", 42, "00000", "00042"},
    {"ssn_literals_between_digits", 123456789, "000-00-0000", "123-45-6789"},
    {"percent", 0.256, "0%", "26%"},
    {"percent_decimals", 0.25678, "0.00%", "25.68%"},
    {"scale_thousands", 1234567, "#,##0,", "1,235"},
    {"scale_millions_text", 1234567, "0.0,,\"M\"", "1.2M"},
    {"scientific", 12345, "0.00E+00", "1.23E+04"},
    {"scientific_small", 0.000123, "0.00E+00", "1.23E-04"},
    {"scientific_minus_sign_only", 12345, "0.0E-0", "1.2E4"},
    {"engineering", 12345, "##0.0E+0", "12.3E+3"},
    {"engineering_small", 0.00012, "##0.0E+0", "120.0E-6"},
    {"scientific_zero", 0, "0.00E+00", "0.00E+00"},
    {"fraction_one_digit", 1.25, "# ?/?", "1 1/4"},
    {"fraction_two_digits_pad_both_sides", 0.3333, "# ?\?/??", "  1/3 "},
    {"fraction_pi_closest_within_99", 3.14159265, "# ?\?/??", "3 14/99"},
    {"fraction_pi_one_digit", 3.14159265, "# ?/?", "3 1/7"},
    {"fraction_sixteenths", 2.3, "# ?\?/16", "2  5/16"},
    {"fraction_whole_number", 2, "# ?/?", "2    "},
    {"fraction_without_integer", 1.5, "?/?", "3/2"},
    {"fraction_rounds_up_to_whole", 2.99, "# ?/4", "3    "},
    {"quoted_text", 5, "0 \"items\"", "5 items"},
    {"escaped_characters", 5, "\\$0\\!", "$5!"},
    {"underscore_space", 5, "0_)", "5 "},
    {"repeat_fill_emits_nothing", 5, "*-0", "5"},
    {"currency_locale", 1234.5, "[$€-407]#,##0.00", "€1,234.50"},
    {"locale_only", 3, "[$-409]0", "3"},
    {"two_sections_negative_without_sign", -5, "0;(0)", "(5)"},
    {"two_sections_zero_uses_first", 0, "0;(0)", "0"},
    {"three_sections_zero", 0, "0;-0;\"zero\"", "zero"},
    {"empty_negative_section", -5, "0;;0", ""},
    {"condition_first", 150, "[>100]\"big\";\"small\"", "big"},
    {"condition_else", 50, "[>100]\"big\";\"small\"", "small"},
    {"two_conditions_third", 5, "[<1]\"low\";[>10]\"high\";0", "5"},
    {"condition_none_matches", 5, "[<1]0;[>10]0", "########"},
    {"colour_name_ignored_in_text", -3, "0;[Red]-0", "-3"},
    {"builtin_5_negative", -1234, "\"$\"#,##0_);\\(\"$\"#,##0\\)", "($1,234)"},
    {"builtin_5_positive", 1234, "\"$\"#,##0_);\\(\"$\"#,##0\\)", "$1,234 "},
    {"accounting_zero_dash", 0, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", " - "},
    {"accounting_positive", 1500,
     "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)", " $1,500.00 "},
    {"single_section_minus_before_literal", -5, "\"$\"0", "-$5"},
    {"negative_rounds_to_zero", -0.001, "0", "-0"},
    {"at_sign_with_number_is_general", 1.5, "@", "1.5"},
    {"general_inside_code", 7, "General\" pcs\"", "7 pcs"},
    {"huge_with_decimals", 1e20, "0.00", "100000000000000000000.00"},
};
INSTANTIATE_TEST_SUITE_P(Numbers, FormatTable, ::testing::ValuesIn(numberRows),
                         [](const auto& info) { return std::string(info.param.name); });

const Row dateRows[] = {
    {"builtin_14", 45000, "m/d/yyyy", "3/15/2023"},
    {"padded_date", 45000, "dd/mm/yyyy", "15/03/2023"},
    {"iso_date", 39448, "yyyy-mm-dd", "2008-01-01"},
    {"two_digit_year", 39448, "d-mmm-yy", "1-Jan-08"},
    {"month_names", 45000, "mmmm mmm mmmmm", "March Mar M"},
    {"weekday_names", 45000, "dddd ddd", "Wednesday Wed"},
    {"upper_case_letters", 45000, "YYYY-MM-DD", "2023-03-15"},
    {"leap_day_1900", 60, "yyyy-mm-dd", "1900-02-29"},
    {"day_after_leap_day", 61, "yyyy-mm-dd", "1900-03-01"},
    {"day_before_leap_day", 59, "yyyy-mm-dd", "1900-02-28"},
    {"day_zero", 0, "yyyy-mm-dd", "1900-01-00"},
    {"day_one_is_sunday", 1, "dddd", "Sunday"},
    {"time", 0.25, "h:mm", "6:00"},
    {"time_am_pm", 0.75, "h:mm AM/PM", "6:00 PM"},
    {"midnight_am_pm", 0, "h:mm:ss AM/PM", "12:00:00 AM"},
    {"noon_a_p", 0.5, "h A/P", "12 P"},
    {"lower_a_p", 0.2, "h a/p", "4 a"},
    {"minutes_after_hour", 0.0104166666667, "h:mm", "0:15"},
    {"minutes_before_seconds", 0.0104166666667, "mm:ss", "15:00"},
    {"month_alone", 45000, "m", "3"},
    {"seconds_round", 0.5 / 86400 + 10.0 / 86400, "h:mm:ss", "0:00:11"},
    {"elapsed_hours", 1.5, "[h]:mm:ss", "36:00:00"},
    {"elapsed_minutes", 0.0625, "[mm]:ss", "90:00"},
    {"elapsed_seconds", 0.001, "[ss]", "86"},
    {"fraction_of_second", 1.2345 / 86400, "mm:ss.00", "00:01.23"},
    {"builtin_47", 61.5 / 86400, "mm:ss.0", "01:01.5"},
    {"date_and_time", 45000.75, "m/d/yyyy h:mm", "3/15/2023 18:00"},
    {"negative_date", -1, "m/d/yyyy", "########"},
    {"after_year_9999", 3e6, "m/d/yyyy", "########"},
    {"era_year_and_name", 44197, "[$-411]ggge\"年\"m\"月\"d\"日\"", "2021年1月1日"},
    {"quoted_letters_in_date", 45000, "d \"of\" mmmm", "15 of March"},
    {"time_rounds_into_next_day", 0.999999999, "m/d/yyyy h:mm:ss", "1/1/1900 0:00:00"},
};
INSTANTIATE_TEST_SUITE_P(Dates, FormatTable, ::testing::ValuesIn(dateRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DateSystems, The1904SystemCountsFromItsOwnEpoch) {
    EXPECT_EQ(show(0, "yyyy-mm-dd", DateSystem::Date1904), "1904-01-01");
    EXPECT_EQ(show(1462, "yyyy-mm-dd", DateSystem::Date1904), "1908-01-02");
    EXPECT_EQ(show(0, "dddd", DateSystem::Date1904), "Friday");
}

TEST(Colours, SectionColoursAreReported) {
    Shown shown;
    auto format = NumberFormat::parse("0;[Red]-0");
    format.formatNumber(-3, DateSystem::Date1900, shown);
    EXPECT_EQ(shown.color, engine::Color::fromRgb(0xFF0000));
    shown = {};
    format.formatNumber(3, DateSystem::Date1900, shown);
    EXPECT_TRUE(shown.color.automatic);
    shown = {};
    NumberFormat::parse("[Color10]0").formatNumber(1, DateSystem::Date1900, shown);
    EXPECT_EQ(shown.color, engine::Color::fromRgb(0x008000));
    EXPECT_TRUE(NumberFormat::parse("[Blue]0").hasColor());
    EXPECT_FALSE(NumberFormat::parse("[Color99]0").hasColor());
}

TEST(TextSections, TextUsesTheFourthOrAnAtSection) {
    auto shownText = [](const char* code, const char* text) {
        Shown shown;
        NumberFormat::parse(code).formatText(text, shown);
        return shown.text;
    };
    EXPECT_EQ(shownText("0;-0;0;\"<\"@\">\"", "abc"), "<abc>");
    EXPECT_EQ(shownText("\"Name: \"@", "Ann"), "Name: Ann");
    EXPECT_EQ(shownText("0.00", "plain"), "plain");
    EXPECT_EQ(shownText("_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", "x"), " x ");
}

TEST(BuiltinFormats, EnUsCodesForTheFixedIds) {
    EXPECT_STREQ(engine::numfmt::builtinFormatCode(14), "m/d/yyyy");
    EXPECT_STREQ(engine::numfmt::builtinFormatCode(13), "# ?\?/??");
    EXPECT_EQ(engine::numfmt::builtinFormatCode(100), nullptr);
    engine::Workbook workbook;
    workbook.numberFormats[5] = "#,##0 \"€\"";
    workbook.numberFormats[14] = "dd.mm.yyyy";
    workbook.numberFormats[170] = "0.000";
    EXPECT_EQ(engine::numfmt::formatCodeFor(workbook, 5), "#,##0 \"€\"");
    EXPECT_EQ(engine::numfmt::formatCodeFor(workbook, 14), "m/d/yyyy");
    EXPECT_EQ(engine::numfmt::formatCodeFor(workbook, 170), "0.000");
    EXPECT_EQ(engine::numfmt::formatCodeFor(workbook, 171), "General");
    EXPECT_EQ(show(1234, engine::numfmt::builtinFormatCode(6)), "$1,234 ");
    EXPECT_EQ(show(0.5, engine::numfmt::builtinFormatCode(12)), " 1/2");
}

TEST(HostileCodes, NeverFailAndStayBounded) {
    const char* codes[] = {"[",
                           "\"unterminated",
                           "\\",
                           "_",
                           "*",
                           "0.0.0",
                           "E+",
                           "[>",
                           "[<=abc]0",
                           "#,##0.0000000000000000000000000000000000000000000000000",
                           "?\?/",
                           "/0",
                           "[hhhhhhhhhhhhhhhhhhhhhhhh]",
                           "0;0;0;0;0;0",
                           "[$",
                           "yyyyyyyyyyyyyy",
                           "# ?/???????????????",
                           "0E+000000000000000000000000000"};
    for (const char* code : codes)
        for (double value :
             {0.0, -1.5, 1e308, -1e-308, 45000.5, std::numeric_limits<double>::infinity(),
              std::numeric_limits<double>::quiet_NaN()}) {
            std::string text = show(value, code);
            EXPECT_LT(text.size(), 2000u) << code;
        }
}

} // namespace
