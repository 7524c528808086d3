#include "engine/web/ChartText.h"

#include "engine/base/Limits.h"
#include "engine/numfmt/General.h"
#include "engine/web/HtmlText.h"

#include <cmath>

namespace engine::web {
namespace {

std::string seriesName(const ChartSeries& series, std::size_t number) {
    return series.name.empty() ? "Series " + std::to_string(number) : series.name;
}

} // namespace

std::string chartName(const Chart& chart) {
    if (!chart.title.empty())
        return std::string(utf8Prefix(chart.title, limits::maxPageTitleBytes));
    std::string name;
    std::size_t number = 0;
    for (const ChartPlot& plot : chart.plots)
        for (const ChartSeries& series : plot.series) {
            name += name.empty() ? "Chart of " : ", ";
            name += seriesName(series, ++number);
            if (name.size() > limits::maxPageTitleBytes)
                return std::string(utf8Prefix(name, limits::maxPageTitleBytes)) + "\u2026";
        }
    return name.empty() ? "Chart" : name;
}

std::string chartDescription(const Chart& chart) {
    std::string text;
    std::size_t number = 0;
    for (const ChartPlot& plot : chart.plots) {
        for (const ChartSeries& series : plot.series) {
            if (!text.empty())
                text += ' ';
            text += seriesName(series, ++number);
            text += ':';
            for (std::size_t i = 0; i < series.values.size(); ++i) {
                text += i == 0 ? " " : ", ";
                if (i < series.categories.size() && !series.categories[i].empty())
                    text += series.categories[i];
                else if (i < series.xValues.size())
                    numfmt::appendGeneral(text, series.xValues[i]);
                else
                    text += std::to_string(i + 1);
                text += ' ';
                if (std::isfinite(series.values[i]))
                    numfmt::appendGeneral(text, series.values[i]);
                else
                    text += "no value";
                if (text.size() > limits::maxChartWordsBytes)
                    return std::string(utf8Prefix(text, limits::maxChartWordsBytes)) + "\u2026";
            }
            text += '.';
        }
    }
    return text;
}

} // namespace engine::web
