#include "engine/formula/functions/Families.h"

#include <algorithm>
#include <vector>

namespace engine::formula {
namespace {

std::vector<const FunctionInfo*> buildTable() {
    std::vector<const FunctionInfo*> all;
    for (auto family : {fn::mathFunctions,
                        fn::conditionalFunctions,
                        fn::statisticFunctions,
                        fn::logicFunctions,
                        fn::lookupFunctions,
                        fn::textFunctions,
                        fn::dateFunctions,
                        fn::financeFunctions,
                        fn::distributionFunctions,
                        fn::radixFunctions,
                        fn::textSplitFunctions,
                        fn::seriesFunctions,
                        fn::specialForms,
                        fn::matrixFunctions,
                        fn::hyperlinkFunctions,
                        fn::sampleStatisticFunctions,
                        fn::shapeDistributionFunctions,
                        fn::trigonometryFunctions,
                        fn::securitiesFunctions,
                        fn::investmentFunctions,
                        fn::databaseFunctions,
                        fn::engineeringFunctions,
                        fn::complexFunctions,
                        fn::dynamicArrayFunctions,
                        fn::reshapeFunctions,
                        fn::unitFunctions,
                        fn::oddCouponFunctions,
                        fn::regressionFunctions,
                        fn::depreciationFunctions,
                        fn::rankFunctions,
                        fn::aggregateFunctions,
                        fn::textFormFunctions,
                        fn::bahtTextFunctions,
                        fn::regexFunctions,
                        fn::informationForms,
                        fn::randomFunctions}) {
        for (const FunctionInfo& info : family()) {
            all.push_back(&info);
        }
    }
    std::sort(all.begin(), all.end(),
              [](const FunctionInfo* a, const FunctionInfo* b) { return a->name < b->name; });
    return all;
}

} // namespace

const FunctionInfo* findFunction(std::string_view upperName) {
    static const std::vector<const FunctionInfo*> table = buildTable();
    auto it = std::lower_bound(
        table.begin(), table.end(), upperName,
        [](const FunctionInfo* info, std::string_view name) { return info->name < name; });
    return it != table.end() && (*it)->name == upperName ? *it : nullptr;
}

} // namespace engine::formula
