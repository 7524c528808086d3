#include "engine/formula/calc/Planning.h"

#include "engine/formula/calc/Calculation.h"
#include "engine/util/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace engine::formula::calc {

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = util::asciiUpper(c);
    return result;
}

const FunctionInfo* rowOf(const Node& node) {
    if (node.kind != Node::Kind::Call)
        return nullptr;
    return node.function ? node.function : findFunction(node.text);
}

namespace {

bool flagged(const FunctionInfo* info, std::uint16_t all, std::uint16_t none) {
    return info && (info->flags & all) == all && (info->flags & none) == 0;
}

} // namespace

bool containsFlagged(const Node& node, std::uint16_t all, std::uint16_t none) {
    if (flagged(rowOf(node), all, none))
        return true;
    for (const NodePtr& child : node.children)
        if (containsFlagged(*child, all, none))
            return true;
    return false;
}

namespace {

// The functions computed at every calculation, and those whose result is a random draw.
// What the file holds stands for a random draw and for what the saving machine's session
// answered (its file name, its folders): computing them again here would replace them.
constexpr std::uint16_t storedStands = flag::Random | flag::Session;

bool nameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_';
}

bool namedCallFlagged(const FunctionInfo& info) {
    return (info.flags & (flag::Volatile | storedStands)) != 0 || info.name == "HYPERLINK";
}

// The first letters of the functions namedCalls looks for, a bit each: most calls of a
// formula (SUM, IF, VLOOKUP ...) are passed over without a look in the table.
std::uint32_t namedCallLetters() {
    static const std::uint32_t letters = [] {
        std::uint32_t bits = 0;
        for (const FunctionInfo* info : allFunctions())
            if (namedCallFlagged(*info) && !info->name.empty())
                bits |= 1u << (info->name[0] - 'A');
        return bits;
    }();
    return letters;
}

bool startsWithInAnyCase(std::string_view text, std::string_view upperPrefix) {
    if (text.size() < upperPrefix.size())
        return false;
    for (std::size_t i = 0; i < upperPrefix.size(); ++i)
        if (util::asciiUpper(text[i]) != upperPrefix[i])
            return false;
    return true;
}

} // namespace

NamedCalls namedCalls(std::string_view text) {
    NamedCalls calls;
    const std::uint32_t letters = namedCallLetters();
    std::string name;
    for (std::size_t i = 0; i < text.size();) {
        // No call hides in a text or a quoted sheet name; a doubled quote reopens it.
        if (text[i] == '"' || text[i] == '\'') {
            const std::size_t end = text.find(text[i], i + 1);
            i = end == std::string_view::npos ? text.size() : end + 1;
            continue;
        }
        if (!nameCharacter(text[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && nameCharacter(text[i]))
            ++i;
        std::size_t next = i;
        while (next < text.size() && std::isspace(static_cast<unsigned char>(text[next])) != 0)
            ++next;
        if (next == text.size() || text[next] != '(')
            continue;
        std::string_view called = text.substr(start, i - start);
        for (std::string_view prefix : {"_XLFN.", "_XLWS."})
            if (startsWithInAnyCase(called, prefix))
                called.remove_prefix(prefix.size());
        const char first = called.empty() ? '\0' : util::asciiUpper(called[0]);
        if (first < 'A' || first > 'Z' || (letters & (1u << (first - 'A'))) == 0)
            continue;
        name.assign(called);
        for (char& c : name)
            c = util::asciiUpper(c);
        const FunctionInfo* info = findFunction(name);
        if (!info || !namedCallFlagged(*info))
            continue;
        calls.volatileCall = calls.volatileCall || ((info->flags & flag::Volatile) != 0 &&
                                                    (info->flags & storedStands) == 0);
        calls.keptCall = calls.keptCall || (info->flags & storedStands) != 0;
        calls.hyperlink = calls.hyperlink || info->name == "HYPERLINK";
    }
    return calls;
}

bool isSpecialForm(std::string_view name) {
    const FunctionInfo* info = findFunction(name);
    return info && (info->flags & flag::SpecialForm) != 0;
}

bool isLambdaForm(std::string_view name) {
    static constexpr std::string_view forms[] = {"BYCOL",   "BYROW",  "GROUPBY",   "ISOMITTED",
                                                 "LAMBDA",  "LET",    "MAKEARRAY", "MAP",
                                                 "PIVOTBY", "REDUCE", "SCAN"};
    return std::find(std::begin(forms), std::end(forms), name) != std::end(forms);
}

std::string parameterName(std::string_view text) {
    std::string name = upper(text);
    // _xlop. marks a parameter a call may leave out (written [b] in the formula bar).
    if (name.starts_with("_XLPM.") || name.starts_with("_XLOP."))
        name.erase(0, 6);
    return name;
}

namespace {

void collectBound(const Node& node, std::vector<std::string>& names) {
    if (node.kind == Node::Kind::Call && (node.text == "LET" || node.text == "LAMBDA"))
        for (const NodePtr& child : node.children)
            if (child->kind == Node::Kind::Name)
                names.push_back(parameterName(child->text));
    for (const NodePtr& child : node.children)
        collectBound(*child, names);
}

bool unknownCall(const Node& node, const std::vector<std::string>& bound,
                 const Workbook& workbook) {
    if (node.kind == Node::Kind::Call && !node.function && !isSpecialForm(node.text) &&
        !isLambdaForm(node.text)) {
        const std::string name = parameterName(node.text);
        const bool known =
            std::find(bound.begin(), bound.end(), name) != bound.end() ||
            std::any_of(workbook.definedNames.begin(), workbook.definedNames.end(),
                        [&](const DefinedName& defined) { return upper(defined.name) == name; });
        if (!known)
            return true;
    }
    for (const NodePtr& child : node.children)
        if (unknownCall(*child, bound, workbook))
            return true;
    return false;
}

} // namespace

bool containsUnknown(const Node& node, const Workbook& workbook) {
    std::vector<std::string> bound;
    collectBound(node, bound);
    return unknownCall(node, bound, workbook);
}

bool anythingToCompute(const Workbook& workbook) {
    for (const Sheet& sheet : workbook.sheets)
        for (const CellFormula& f : sheet.formulas)
            if (!f.hasResult || workbook.fullCalcOnLoad) {
                return true;
            } else if (const NamedCalls calls = namedCalls(f.text);
                       calls.volatileCall || calls.hyperlink) {
                return true;
            }
    return false;
}

ParseContext Calculation::parseContext(std::uint32_t sheet, std::uint32_t row,
                                       std::uint32_t col) const {
    ParseContext context;
    context.findSheet = [this](std::string_view name) -> std::optional<std::uint32_t> {
        const auto found = sheetByName_.find(upper(name));
        if (found == sheetByName_.end())
            return std::nullopt;
        return static_cast<std::uint32_t>(found->second);
    };
    context.findTable = [this](std::string_view name) -> const Table* {
        for (const Table& table : wb_.tables)
            if (upper(table.name) == upper(name))
                return &table;
        return nullptr;
    };
    context.tableAt = [this](std::uint32_t sheet, std::uint32_t row,
                             std::uint32_t col) -> const Table* {
        for (const Table& table : wb_.tables)
            if (table.sheet == sheet && table.range.contains(row, static_cast<std::uint16_t>(col)))
                return &table;
        return nullptr;
    };
    context.sheet = sheet;
    context.row = context.originRow = row;
    context.col = context.originCol = col;
    return context;
}

const CellFormula* Calculation::textSource(std::uint32_t sheet, const CellFormula& formula) const {
    if (!formula.text.empty() || formula.sharedIndex == CellFormula::noShare)
        return &formula;
    const auto& anchors = sharedAnchors_[sheet];
    const auto found = anchors.find(formula.sharedIndex);
    return found == anchors.end() ? nullptr : &wb_.sheets[sheet].formulas[found->second];
}

NodePtr Calculation::parseStored(std::uint32_t sheetIndex, const CellFormula& formula) {
    const CellFormula* source = textSource(sheetIndex, formula);
    if (!source)
        return nullptr;
    ParseContext context = parseContext(sheetIndex, formula.row, formula.col);
    context.originRow = source->row;
    context.originCol = source->col;
    std::string_view text = source->text;
    std::optional<std::string> translated;
    if (formula.openDocument) {
        translated = translateOpenDocument(text);
        if (!translated)
            return nullptr;
        text = *translated;
    }
    ParseResult parsed = parseFormula(text, context);
    return std::move(parsed.root);
}

void Calculation::collect() {
    for (std::size_t i = 0; i < wb_.sheets.size(); ++i)
        sheetByName_.emplace(upper(wb_.sheets[i].name), i);
    byCell_.resize(wb_.sheets.size());
    arrays_.resize(wb_.sheets.size());
    sharedAnchors_.resize(wb_.sheets.size());
    for (std::uint32_t s = 0; s < wb_.sheets.size(); ++s) {
        const Sheet& sheet = wb_.sheets[s];
        // A shared group's anchor, looked up by index once per sheet.
        for (std::uint32_t i = 0; i < sheet.formulas.size(); ++i) {
            const CellFormula& f = sheet.formulas[i];
            if (f.sharedIndex != CellFormula::noShare && !f.text.empty())
                sharedAnchors_[s].emplace(f.sharedIndex, i);
        }
        for (std::uint32_t i = 0; i < sheet.formulas.size(); ++i) {
            const CellFormula& f = sheet.formulas[i];
            FormulaState state;
            state.sheet = s;
            state.index = i;
            const CellFormula* source = textSource(s, f);
            const std::string_view text = source ? std::string_view(source->text) : "";
            // Volatile functions are computed whatever the file holds, as the application
            // does when it opens the workbook, except where the stored result stands.
            const NamedCalls calls = namedCalls(text);
            const bool mayBeVolatile = calls.volatileCall;
            const bool mayBeKept = calls.keptCall;
            bool compute = !f.hasResult || wb_.fullCalcOnLoad;
            if (compute || mayBeVolatile) {
                if (source) {
                    ParseContext context = parseContext(s, f.row, f.col);
                    context.originRow = source->row;
                    context.originCol = source->col;
                    std::optional<std::string> translated;
                    std::string_view written = text;
                    if (f.openDocument && (translated = translateOpenDocument(written)))
                        written = *translated;
                    state.tree = parseFormula(written, context).root;
                }
                if (state.tree) {
                    state.unknown = containsUnknown(*state.tree, wb_);
                    if (mayBeVolatile && containsFlagged(*state.tree, flag::Volatile, storedStands))
                        compute = true;
                    // A session's answer stands only where the application computed it: a
                    // full calculation on load says the stored results are placeholders.
                    const bool kept =
                        mayBeKept &&
                        (containsFlagged(*state.tree, flag::Random) ||
                         (!wb_.fullCalcOnLoad && containsFlagged(*state.tree, flag::Session)));
                    if (f.hasResult && (state.unknown || kept))
                        compute = false;
                } else if (f.hasResult) {
                    compute = false;
                }
            }
            if (calls.hyperlink) {
                if (!state.tree && source)
                    state.tree = parseStored(s, f);
                state.hyperlink = state.tree && state.tree->kind == Node::Kind::Call &&
                                  state.tree->text == "HYPERLINK" && !state.tree->children.empty();
            }
            if (state.unknown)
                ++wb_.unknownFunctionCells;
            state.status = compute ? Status::Pending : Status::Keep;
            state.range = f.arrayRange;
            const auto id = static_cast<std::uint32_t>(states_.size());
            byCell_[s].emplace_back(f.row, f.col, id);
            if (f.array)
                arrays_[s].push_back(id);
            states_.push_back(std::move(state));
        }
        std::sort(byCell_[s].begin(), byCell_[s].end());
    }
}

// Cells that keep their results but read a volatile one are computed too. Their references
// are found in their trees, a few passes deep.
void Calculation::propagateVolatile() {
    std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> dirty(wb_.sheets.size());
    bool any = false;
    for (const FormulaState& state : states_) {
        if (state.status != Status::Pending)
            continue;
        const CellFormula& f = wb_.sheets[state.sheet].formulas[state.index];
        dirty[state.sheet].emplace_back(f.row, f.col);
        any = true;
    }
    if (!any || wb_.fullCalcOnLoad)
        return;
    for (auto& list : dirty)
        std::sort(list.begin(), list.end());
    const auto touches = [&](const Node& root) {
        std::vector<const Node*> stack{&root};
        while (!stack.empty()) {
            const Node* node = stack.back();
            stack.pop_back();
            if (node->kind == Node::Kind::Ref) {
                const Reference& r = node->ref;
                for (std::uint32_t s = r.firstSheet; s <= r.lastSheet && s < dirty.size(); ++s) {
                    const auto& list = dirty[s];
                    for (auto it =
                             std::lower_bound(list.begin(), list.end(), std::pair{r.firstRow, 0u});
                         it != list.end() && it->first <= r.lastRow; ++it) {
                        charge(1);
                        if (it->second >= r.firstCol && it->second <= r.lastCol)
                            return true;
                    }
                }
            } else if (node->kind == Node::Kind::Name ||
                       flagged(rowOf(*node), flag::Volatile | flag::ReturnsReference, 0)) {
                return true; // the cells it reads are known only when it runs: compute it
            }
            for (const NodePtr& child : node->children)
                stack.push_back(child.get());
        }
        return false;
    };
    for (int pass = 0; pass < 8 && !spent_; ++pass) {
        bool changed = false;
        for (FormulaState& state : states_) {
            if (state.status != Status::Keep)
                continue;
            const CellFormula& f = wb_.sheets[state.sheet].formulas[state.index];
            if (!state.tree)
                state.tree = parseStored(state.sheet, f);
            if (!state.tree || !touches(*state.tree))
                continue;
            state.unknown = containsUnknown(*state.tree, wb_);
            // A random draw keeps what the file holds, whatever it reads.
            if (state.unknown || containsFlagged(*state.tree, flag::Random))
                continue;
            state.status = Status::Pending;
            auto& list = dirty[state.sheet];
            list.insert(
                std::lower_bound(list.begin(), list.end(), std::pair{f.row, std::uint32_t{f.col}}),
                {f.row, f.col});
            changed = true;
        }
        if (!changed)
            break;
    }
}

} // namespace engine::formula::calc
