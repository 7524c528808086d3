#pragma once
// The worksheet functions by family; FunctionTable joins them behind findFunction().

#include "engine/formula/Function.h"

#include <span>

namespace engine::formula::functions {

std::span<const FunctionInfo> mathFunctions();
std::span<const FunctionInfo> conditionalFunctions();
std::span<const FunctionInfo> statisticFunctions();
std::span<const FunctionInfo> logicFunctions();
std::span<const FunctionInfo> lookupFunctions();
std::span<const FunctionInfo> textFunctions();
std::span<const FunctionInfo> dateFunctions();
std::span<const FunctionInfo> financeFunctions();
std::span<const FunctionInfo> distributionFunctions();
std::span<const FunctionInfo> radixFunctions();
std::span<const FunctionInfo> textSplitFunctions();
std::span<const FunctionInfo> seriesFunctions();
std::span<const FunctionInfo> specialForms();
std::span<const FunctionInfo> matrixFunctions();
std::span<const FunctionInfo> hyperlinkFunctions();
std::span<const FunctionInfo> sampleStatisticFunctions();
std::span<const FunctionInfo> shapeDistributionFunctions();
std::span<const FunctionInfo> trigonometryFunctions();
std::span<const FunctionInfo> securitiesFunctions();
std::span<const FunctionInfo> investmentFunctions();
std::span<const FunctionInfo> databaseFunctions();
std::span<const FunctionInfo> engineeringFunctions();
std::span<const FunctionInfo> complexFunctions();
std::span<const FunctionInfo> dynamicArrayFunctions();
std::span<const FunctionInfo> reshapeFunctions();
std::span<const FunctionInfo> unitFunctions();
std::span<const FunctionInfo> oddCouponFunctions();
std::span<const FunctionInfo> regressionFunctions();
std::span<const FunctionInfo> depreciationFunctions();
std::span<const FunctionInfo> rankFunctions();
std::span<const FunctionInfo> aggregateFunctions();
std::span<const FunctionInfo> textFormFunctions();
std::span<const FunctionInfo> bahtTextFunctions();
std::span<const FunctionInfo> regexFunctions();
std::span<const FunctionInfo> informationForms();
std::span<const FunctionInfo> randomFunctions();
std::span<const FunctionInfo> thaiFunctions();
std::span<const FunctionInfo> eastAsianTextFunctions();
std::span<const FunctionInfo> percentOfFunctions();
std::span<const FunctionInfo> webFunctions();
std::span<const FunctionInfo> forecastFunctions();
std::span<const FunctionInfo> filterXmlFunctions();

} // namespace engine::formula::functions
