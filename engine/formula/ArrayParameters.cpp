#include "engine/formula/ArrayParameters.h"

#include "engine/formula/Function.h"

namespace engine::formula {

bool takesBlockAt(std::string_view upperName, std::size_t index) {
    const FunctionInfo* info = findFunction(upperName);
    if (!info)
        return false;
    const std::string_view params = info->params;
    if (params.empty())
        return false;
    if (index >= params.size()) {
        // A pattern whose repeat starts past its end has no further parameters: the function's
        // own argument count rejects the call, so lifting never matters there.
        if (info->repeatFrom >= params.size())
            return false;
        index = info->repeatFrom + (index - info->repeatFrom) % (params.size() - info->repeatFrom);
    }
    return params[index] == 'b';
}

bool takesArrays(std::string_view upperName) {
    const FunctionInfo* info = findFunction(upperName);
    return info && (info->flags & flag::ArraysAlways) != 0;
}

} // namespace engine::formula
