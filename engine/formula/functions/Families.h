#pragma once
// The worksheet functions by family; FunctionTable joins them behind findFunction().

#include "engine/formula/Function.h"

#include <span>

namespace engine::formula::fn {

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
std::span<const FunctionInfo> dynamicArrayFunctions();
std::span<const FunctionInfo> reshapeFunctions();

} // namespace engine::formula::fn
