#include "engine/formula/tokens/NameLinks.h"

namespace engine::formula::tokens {

std::optional<std::string> NameLinks::name(std::uint32_t index) const {
    if (index == 0 || index > names_.size() || names_[index - 1].name.empty())
        return std::nullopt;
    return names_[index - 1].name;
}

std::vector<DefinedName>
NameLinks::decodeNames(Dialect dialect,
                       const std::function<std::uint32_t(std::uint32_t)>& sheetOf) const {
    std::vector<DefinedName> out;
    for (const StoredName& n : names_) {
        if (n.name.empty() || n.tokens.empty())
            continue;
        DecodeContext context;
        context.dialect = dialect;
        context.links = this;
        context.nameFormula = true;
        const Decoded decoded = decodeTokens(n.tokens, n.extra, context);
        if (decoded.kind != Decoded::Kind::Formula)
            continue;
        DefinedName& name = out.emplace_back();
        name.name = n.name;
        name.formula = decoded.text;
        name.sheet = sheetOf(n.sheet);
    }
    return out;
}

} // namespace engine::formula::tokens
