#include "engine/formula/functions/Families.h"

#include <algorithm>
#include <vector>

namespace engine::formula {
namespace {

std::vector<const FunctionInfo*> buildTable() {
    std::vector<const FunctionInfo*> all;
    for (auto family : {functions::mathFunctions,
                        functions::conditionalFunctions,
                        functions::statisticFunctions,
                        functions::logicFunctions,
                        functions::lookupFunctions,
                        functions::textFunctions,
                        functions::dateFunctions,
                        functions::financeFunctions,
                        functions::distributionFunctions,
                        functions::radixFunctions,
                        functions::textSplitFunctions,
                        functions::seriesFunctions,
                        functions::specialForms,
                        functions::matrixFunctions,
                        functions::hyperlinkFunctions,
                        functions::sampleStatisticFunctions,
                        functions::shapeDistributionFunctions,
                        functions::trigonometryFunctions,
                        functions::securitiesFunctions,
                        functions::investmentFunctions,
                        functions::databaseFunctions,
                        functions::engineeringFunctions,
                        functions::complexFunctions,
                        functions::dynamicArrayFunctions,
                        functions::reshapeFunctions,
                        functions::unitFunctions,
                        functions::oddCouponFunctions,
                        functions::regressionFunctions,
                        functions::depreciationFunctions,
                        functions::rankFunctions,
                        functions::aggregateFunctions,
                        functions::textFormFunctions,
                        functions::bahtTextFunctions,
                        functions::regexFunctions,
                        functions::informationForms,
                        functions::randomFunctions,
                        functions::thaiFunctions,
                        functions::eastAsianTextFunctions,
                        functions::percentOfFunctions,
                        functions::webFunctions,
                        functions::forecastFunctions,
                        functions::filterXmlFunctions}) {
        for (const FunctionInfo& info : family()) {
            all.push_back(&info);
        }
    }
    std::sort(all.begin(), all.end(),
              [](const FunctionInfo* a, const FunctionInfo* b) { return a->name < b->name; });
    return all;
}

const std::vector<const FunctionInfo*>& sortedTable() {
    static const std::vector<const FunctionInfo*> table = buildTable();
    return table;
}

} // namespace

std::span<const FunctionInfo* const> allFunctions() {
    return sortedTable();
}

const FunctionInfo* findFunction(std::string_view upperName) {
    const std::vector<const FunctionInfo*>& table = sortedTable();
    auto it = std::lower_bound(
        table.begin(), table.end(), upperName,
        [](const FunctionInfo* info, std::string_view name) { return info->name < name; });
    return it != table.end() && (*it)->name == upperName ? *it : nullptr;
}

} // namespace engine::formula
