#include "engine/formula/Calculator.h"

#include "engine/formula/ArrayParameters.h"
#include "engine/formula/Parser.h"
#include "engine/formula/R1C1Reference.h"
#include "engine/formula/functions/LookupIndex.h"
#include "engine/numfmt/NumberFormat.h"
#include "engine/read/Limits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <map>
#include <memory>
#include <unordered_map>

namespace engine::formula {
namespace {

struct Matrix {
    std::uint32_t rows = 0, cols = 0;
    std::vector<Value> values;
    const Value& at(std::uint32_t r, std::uint32_t c) const { return values[r * cols + c]; }
};

// The block element-wise work fills: as large as its largest input, a single row or column
// repeated to that size, #N/A where an input does not reach.
struct Shape {
    std::uint32_t rows = 1, cols = 1;
    void include(const Matrix& m) {
        rows = std::max(rows, m.rows);
        cols = std::max(cols, m.cols);
    }
    static const Value* pick(const Matrix& m, std::uint32_t r, std::uint32_t c) {
        const std::uint32_t mr = m.rows == 1 ? 0 : r, mc = m.cols == 1 ? 0 : c;
        return mr < m.rows && mc < m.cols ? &m.at(mr, mc) : nullptr;
    }
    static Value valueAt(const Matrix& m, std::uint32_t r, std::uint32_t c) {
        const Value* v = pick(m, r, c);
        return v ? *v : Value::fail(CellError::NA);
    }
};

std::shared_ptr<const Matrix> single(Value v) {
    auto m = std::make_shared<Matrix>();
    m->rows = m->cols = 1;
    m->values.push_back(std::move(v));
    return m;
}

struct Operand {
    enum class Kind : std::uint8_t { Scalar, Refs, Array };
    Kind kind = Kind::Scalar;
    Value value;
    std::vector<Reference> refs;
    std::shared_ptr<const Matrix> array;

    static Operand of(Value v) {
        Operand o;
        o.value = std::move(v);
        return o;
    }
    static Operand ofRef(const Reference& r) {
        Operand o;
        o.kind = Kind::Refs;
        o.refs.push_back(r);
        return o;
    }
};

struct Defer {
    std::uint32_t id;
};
struct BudgetSpent {};

enum class Status : std::uint8_t { Keep, Pending, Running, Waiting, Done };

struct FormulaState {
    std::uint32_t sheet = 0, index = 0; // into Workbook::sheets and Sheet::formulas
    Status status = Status::Keep;
    bool circular = false, unknown = false;
    NodePtr tree;
    Value result;
    std::shared_ptr<const Matrix> arrayResult;
    bool hyperlink = false; // the formula is a HYPERLINK call: its cell becomes a link
    std::string link;
};

struct Frame {
    std::uint32_t sheet = 0, row = 0, col = 0;
    bool arrayMode = false;
};

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool containsCall(const Node& node, std::initializer_list<std::string_view> names) {
    if (node.kind == Node::Kind::Call)
        for (std::string_view name : names)
            if (node.text == name)
                return true;
    for (const NodePtr& child : node.children)
        if (containsCall(*child, names))
            return true;
    return false;
}

bool isSpecialForm(std::string_view name) {
    const FunctionInfo* info = findFunction(name);
    return info && (info->flags & flag::SpecialForm) != 0;
}

bool containsUnknown(const Node& node) {
    if (node.kind == Node::Kind::Call && !node.function && !isSpecialForm(node.text))
        return true;
    for (const NodePtr& child : node.children)
        if (containsUnknown(*child))
            return true;
    return false;
}

class Calculator;

class SheetArea final : public Area {
public:
    SheetArea(Calculator& calc, const Reference& ref, std::uint32_t sheet)
        : calc_(calc), ref_(ref), sheet_(sheet) {}
    std::uint32_t rows() const override { return ref_.rows(); }
    std::uint32_t cols() const override { return ref_.cols(); }
    Value at(std::uint32_t row, std::uint32_t col) const override;
    void forEachValue(const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit)
        const override;
    bool isReference() const override { return true; }
    std::uint64_t identity() const override;

private:
    Calculator& calc_;
    Reference ref_;
    std::uint32_t sheet_;
    mutable std::size_t hint_ = 0;
};

class ArrayArea final : public Area {
public:
    explicit ArrayArea(std::shared_ptr<const Matrix> m) : m_(std::move(m)) {}
    std::uint32_t rows() const override { return m_->rows; }
    std::uint32_t cols() const override { return m_->cols; }
    Value at(std::uint32_t row, std::uint32_t col) const override {
        return row < m_->rows && col < m_->cols ? m_->at(row, col) : Value::blank();
    }
    void forEachValue(const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit)
        const override {
        for (std::uint32_t r = 0; r < m_->rows; ++r)
            for (std::uint32_t c = 0; c < m_->cols; ++c)
                if (m_->at(r, c).kind != ValueKind::Blank)
                    visit(r, c, m_->at(r, c));
    }
    bool isReference() const override { return false; }

private:
    std::shared_ptr<const Matrix> m_;
};

class Calculator {
public:
    Calculator(Workbook& workbook, const CalcOptions& options)
        : wb_(workbook), budget_(options.workBudget),
          stringLimit_(std::min(options.stringLimit, limits::maxStrings)),
          now_(options.now ? *options.now : conversionMoment(workbook.dateSystem)) {}

    void run();

    std::uint32_t lastColumn(std::uint32_t sheet) {
        if (lastColumns_.size() <= sheet)
            lastColumns_.resize(wb_.sheets.size());
        std::optional<std::uint32_t>& last = lastColumns_[sheet];
        if (!last) {
            last = 0;
            for (const Cell& cell : wb_.sheets[sheet].cells)
                *last = std::max<std::uint32_t>(*last, cell.col);
        }
        return *last;
    }

    // --- used by areas and call contexts ---
    // `hint`, when given, is the index of a cell near this one in the sheet's cells, and is
    // moved to the cell found.
    Value cellValue(std::uint32_t sheet, std::uint32_t row, std::uint32_t col,
                    std::size_t* hint = nullptr);
    bool charge(std::uint64_t units) {
        if (units > budget_) {
            budget_ = 0;
            spent_ = true;
            return false;
        }
        budget_ -= units;
        return true;
    }
    const Sheet& sheet(std::uint32_t index) const { return wb_.sheets[index]; }
    DateSystem dates() const { return wb_.dateSystem; }
    double now() const { return now_; }
    // The exact lookups' indexes of tables, kept for the whole workbook: cells are computed
    // before any formula reads them, so what an index holds stays true.
    LookupIndexes& lookups() { return lookups_; }
    // A number of its own for each block of cells lookups have asked about, from 1 on.
    std::uint64_t areaIdentity(std::uint32_t sheet, const Reference& ref) {
        const auto key = std::tuple{sheet, ref.firstRow, ref.lastRow, ref.firstCol, ref.lastCol};
        return areaIds_.try_emplace(key, areaIds_.size() + 1).first->second;
    }

private:
    class Context;

    void collect();
    void propagateVolatile();
    void computeAll();
    void findLinks();
    void writeBack();
    ParseContext parseContext(std::uint32_t sheet, std::uint32_t row, std::uint32_t col) const;
    NodePtr parseStored(std::uint32_t sheet, const CellFormula& formula);
    // The formula whose text `formula` is computed from: itself, or its shared group's anchor;
    // nullptr for a follower whose anchor is missing.
    const CellFormula* textSource(std::uint32_t sheet, const CellFormula& formula) const;

    const Value& formulaValue(std::uint32_t id);
    Value evaluateFormula(FormulaState& state);
    std::optional<std::uint32_t> formulaAt(std::uint32_t sheet, std::uint32_t row,
                                           std::uint32_t col) const;
    std::optional<std::uint32_t> arrayAnchorOf(std::uint32_t sheet, std::uint32_t row,
                                               std::uint32_t col) const;
    void markCycle(std::uint32_t id);

    Operand eval(const Node& node, const Frame& frame);
    Value scalar(const Operand& operand, const Frame& frame);
    std::shared_ptr<const Matrix> matrix(const Operand& operand, const Frame& frame);
    Operand unary(const Node& node, const Frame& frame);
    Operand binary(const Node& node, const Frame& frame);
    Operand referenceOp(Op op, const Operand& a, const Operand& b);
    Operand name(const Node& node, const Frame& frame);
    Operand call(const Node& node, const Frame& frame);
    Operand special(const Node& node, const Frame& frame);
    Operand library(const Node& node, const Frame& frame);
    Operand fromBlock(ArrayValue block);
    Operand liftedCall(const FunctionInfo& info, std::vector<Arg> args,
                       const std::vector<std::pair<std::size_t, Operand>>& lifted,
                       const Frame& frame);
    bool isBlock(const Operand& operand, const Frame& frame) const;
    Operand fill(const Shape& shape,
                 const std::function<Value(std::uint32_t row, std::uint32_t col)>& element);
    std::optional<Operand> lookupSlice(std::span<const Arg> args, const Reference& returned,
                                       const Frame& frame);
    Operand elementwiseIf(const Node& node, const Operand& condition, const Frame& frame);
    Operand elementwiseChoose(const Node& node, const Operand& index, const Frame& frame);
    Operand elementwiseIfError(const Node& node, const Operand& first, const Frame& frame);
    Value applyScalar(Op op, const Value& a, const Value& b) const;

    Workbook& wb_;
    std::uint64_t budget_;
    std::size_t stringLimit_;
    bool spent_ = false;
    double now_;
    std::vector<FormulaState> states_;
    // Per sheet: (row, col) → formula id, sorted; and the ids of array formulas.
    std::vector<std::vector<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>>> byCell_;
    std::vector<std::vector<std::uint32_t>> arrays_;
    // Per sheet: a shared group's index → its anchor, the formula carrying the group's text.
    std::vector<std::unordered_map<std::uint32_t, std::uint32_t>> sharedAnchors_;
    std::vector<std::uint32_t> chain_;   // formulas being computed, outermost first
    std::vector<std::uint32_t> waiting_; // formulas waiting for a deeper one
    std::unordered_map<std::string, std::size_t> sheetByName_;
    // Per sheet, the last column holding a cell, found once: cells do not move until the
    // results are written back.
    std::vector<std::optional<std::uint32_t>> lastColumns_;
    LookupIndexes lookups_;
    std::map<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>,
             std::uint64_t>
        areaIds_;
    int nameDepth_ = 0;
};

// The call's view of the evaluation: the caller's position is fixed when the call starts.
class Calculator::Context final : public CallContext {
public:
    Context(Calculator& calc, const Frame& frame) : calc_(calc), frame_(frame) {}
    DateSystem dateSystem() const override { return calc_.dates(); }
    double now() const override { return calc_.now(); }
    std::string formatNumber(double value, std::string_view code) override {
        numfmt::Shown shown;
        numfmt::NumberFormat::parse(code).formatNumber(value, calc_.dates(), shown);
        // A fill has no cell width to fill inside a text.
        std::erase(shown.text, numfmt::fillMark);
        return shown.text;
    }
    LookupIndexes* lookupIndexes() override { return &calc_.lookups(); }
    bool chargeWork(std::uint64_t units) override { return calc_.charge(units); }
    std::uint32_t callerRow() const override { return frame_.row; }
    std::uint32_t callerCol() const override { return frame_.col; }

private:
    Calculator& calc_;
    Frame frame_;
};

Value SheetArea::at(std::uint32_t row, std::uint32_t col) const {
    if (row >= rows() || col >= cols())
        return Value::blank();
    return calc_.cellValue(sheet_, ref_.firstRow + row, ref_.firstCol + col, &hint_);
}

void SheetArea::forEachValue(
    const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit) const {
    const std::vector<Cell>& cells = calc_.sheet(sheet_).cells;
    const auto seek = [&](std::uint32_t row, std::uint32_t col) {
        return std::lower_bound(
            cells.begin(), cells.end(), std::pair{row, col},
            [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
                return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
            });
    };
    auto it = seek(ref_.firstRow, ref_.firstCol);
    while (it != cells.end() && it->row <= ref_.lastRow) {
        if (it->col < ref_.firstCol) {
            it = seek(it->row, ref_.firstCol);
            continue;
        }
        if (it->col > ref_.lastCol) {
            if (it->row == ref_.lastRow)
                break;
            it = seek(it->row + 1, ref_.firstCol);
            continue;
        }
        const std::uint32_t row = it->row, col = it->col;
        const std::size_t position = static_cast<std::size_t>(it - cells.begin());
        if (!calc_.charge(1))
            return;
        std::size_t hint = position;
        const Value value = calc_.cellValue(sheet_, row, col, &hint);
        if (value.kind != ValueKind::Blank)
            visit(row - ref_.firstRow, col - ref_.firstCol, value);
        it = cells.begin() + static_cast<std::ptrdiff_t>(position) + 1;
    }
}

std::uint64_t SheetArea::identity() const {
    return calc_.areaIdentity(sheet_, ref_);
}

ParseContext Calculator::parseContext(std::uint32_t sheet, std::uint32_t row,
                                      std::uint32_t col) const {
    ParseContext context;
    context.findSheet = [this](std::string_view name) -> std::optional<std::uint32_t> {
        const auto found = sheetByName_.find(upper(name));
        if (found == sheetByName_.end())
            return std::nullopt;
        return static_cast<std::uint32_t>(found->second);
    };
    context.sheet = sheet;
    context.row = context.originRow = row;
    context.col = context.originCol = col;
    return context;
}

const CellFormula* Calculator::textSource(std::uint32_t sheet, const CellFormula& formula) const {
    if (!formula.text.empty() || formula.sharedIndex == CellFormula::noShare)
        return &formula;
    const auto& anchors = sharedAnchors_[sheet];
    const auto found = anchors.find(formula.sharedIndex);
    return found == anchors.end() ? nullptr : &wb_.sheets[sheet].formulas[found->second];
}

NodePtr Calculator::parseStored(std::uint32_t sheetIndex, const CellFormula& formula) {
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

// Whether `text` holds `word` in any letter case.
bool mentions(std::string_view text, std::string_view word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           }) != text.end();
}

// Without a formula to compute nothing else is built: a workbook whose formulas all have
// their results costs one look at each formula's text.
bool anythingToCompute(const Workbook& workbook) {
    for (const Sheet& sheet : workbook.sheets)
        for (const CellFormula& f : sheet.formulas)
            if (!f.hasResult || workbook.fullCalcOnLoad || mentions(f.text, "TODAY") ||
                mentions(f.text, "NOW") || mentions(f.text, "HYPERLINK"))
                return true;
    return false;
}

void Calculator::collect() {
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
            const bool mayBeVolatile = mentions(text, "TODAY") || mentions(text, "NOW");
            const bool mayBeRandom = mentions(text, "RAND");
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
                    state.unknown = containsUnknown(*state.tree);
                    if (containsCall(*state.tree, {"TODAY", "NOW"}))
                        compute = true;
                    if (f.hasResult &&
                        (state.unknown ||
                         (mayBeRandom && containsCall(*state.tree, {"RAND", "RANDBETWEEN"}))))
                        compute = false;
                } else if (f.hasResult) {
                    compute = false;
                }
            }
            if (mentions(text, "HYPERLINK")) {
                if (!state.tree && source)
                    state.tree = parseStored(s, f);
                state.hyperlink = state.tree && state.tree->kind == Node::Kind::Call &&
                                  state.tree->text == "HYPERLINK" && !state.tree->children.empty();
            }
            if (state.unknown)
                ++wb_.unknownFunctionCells;
            state.status = compute ? Status::Pending : Status::Keep;
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
void Calculator::propagateVolatile() {
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
            } else if (node->kind == Node::Kind::Name || node->kind == Node::Kind::Call) {
                if (node->kind == Node::Kind::Name || node->text == "INDIRECT" ||
                    node->text == "OFFSET")
                    return true; // cannot tell statically: compute it
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
            state.unknown = containsUnknown(*state.tree);
            if (state.unknown)
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

std::optional<std::uint32_t> Calculator::formulaAt(std::uint32_t sheet, std::uint32_t row,
                                                   std::uint32_t col) const {
    const auto& list = byCell_[sheet];
    const auto it = std::lower_bound(list.begin(), list.end(), std::tuple{row, col, 0u});
    if (it == list.end() || std::get<0>(*it) != row || std::get<1>(*it) != col)
        return std::nullopt;
    return std::get<2>(*it);
}

std::optional<std::uint32_t> Calculator::arrayAnchorOf(std::uint32_t sheet, std::uint32_t row,
                                                       std::uint32_t col) const {
    for (std::uint32_t id : arrays_[sheet]) {
        const CellFormula& f = wb_.sheets[sheet].formulas[states_[id].index];
        if (f.arrayRange.contains(row, static_cast<std::uint16_t>(col)))
            return id;
    }
    return std::nullopt;
}

Value Calculator::cellValue(std::uint32_t sheet, std::uint32_t row, std::uint32_t col,
                            std::size_t* hint) {
    if (sheet >= wb_.sheets.size())
        return Value::fail(CellError::Ref);
    if (!arrays_[sheet].empty())
        if (const auto anchor = arrayAnchorOf(sheet, row, col);
            anchor && states_[*anchor].status != Status::Keep) {
            const Value& top = formulaValue(*anchor);
            const FormulaState& state = states_[*anchor];
            const CellFormula& f = wb_.sheets[sheet].formulas[state.index];
            if (!state.arrayResult)
                return row == f.row && col == f.col ? top : Value::fail(CellError::NA);
            const std::uint32_t r = row - f.arrayRange.firstRow, c = col - f.arrayRange.firstCol;
            const Matrix& m = *state.arrayResult;
            const std::uint32_t mr = m.rows == 1 ? 0 : r, mc = m.cols == 1 ? 0 : c;
            return mr < m.rows && mc < m.cols ? m.at(mr, mc) : Value::fail(CellError::NA);
        }
    const std::vector<Cell>& cells = wb_.sheets[sheet].cells;
    const auto matches = [&](std::size_t i) {
        return i < cells.size() && cells[i].row == row && cells[i].col == col;
    };
    // Scans read cell after cell: the caller's hint is usually the cell before this one.
    std::size_t index = cells.size();
    if (hint && matches(*hint))
        index = *hint;
    else if (hint && *hint < cells.size() &&
             (cells[*hint].row < row || (cells[*hint].row == row && cells[*hint].col < col))) {
        // A column read down a table: the next cell is a row's width ahead.
        for (std::size_t i = *hint + 1; i < cells.size() && i <= *hint + 32; ++i) {
            if (cells[i].row > row || (cells[i].row == row && cells[i].col >= col)) {
                if (matches(i))
                    index = i;
                else
                    return Value::blank();
                break;
            }
        }
    }
    if (index == cells.size()) {
        const auto it = std::lower_bound(
            cells.begin(), cells.end(), std::pair{row, col},
            [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
                return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
            });
        if (it != cells.end() && it->row == row && it->col == col)
            index = static_cast<std::size_t>(it - cells.begin());
    }
    if (index == cells.size())
        return Value::blank();
    if (hint)
        *hint = index;
    const Cell& cell = cells[index];
    if (cell.isFormula)
        if (const auto id = formulaAt(sheet, row, col); id && states_[*id].status != Status::Keep)
            return formulaValue(*id);
    switch (cell.type) {
    case CellType::Number:
        return Value::of(cell.number);
    case CellType::Text:
        return cell.text < wb_.strings.size() ? Value::of(wb_.strings[cell.text].text)
                                              : Value::blank();
    case CellType::Boolean:
        return Value::of(cell.boolean);
    case CellType::Error:
        return Value::fail(cell.error);
    case CellType::Empty:
        break;
    }
    return Value::blank();
}

void Calculator::markCycle(std::uint32_t id) {
    ++wb_.circularCells;
    states_[id].circular = true;
    const auto inChain = std::find(chain_.begin(), chain_.end(), id);
    for (auto it = inChain; it != chain_.end(); ++it)
        states_[*it].circular = true;
    if (inChain == chain_.end()) {
        // A formula waiting for a deeper one: everything above it in the queue is in the loop.
        for (auto it = std::find(waiting_.begin(), waiting_.end(), id); it != waiting_.end(); ++it)
            states_[*it].circular = true;
        for (std::uint32_t member : chain_)
            states_[member].circular = true;
    }
}

const Value& Calculator::formulaValue(std::uint32_t id) {
    static const Value zero = Value::of(0.0);
    FormulaState& state = states_[id];
    switch (state.status) {
    case Status::Done:
    case Status::Keep:
        return state.result;
    case Status::Running:
    case Status::Waiting:
        if (!state.circular)
            markCycle(id);
        return zero;
    case Status::Pending:
        break;
    }
    if (chain_.size() >= limits::maxCalculationDepth)
        throw Defer{id};
    state.status = Status::Running;
    chain_.push_back(id);
    Value result = evaluateFormula(state);
    chain_.pop_back();
    FormulaState& done = states_[id];
    done.status = Status::Done;
    done.result = done.circular ? Value::of(0.0) : std::move(result);
    return done.result;
}

Value Calculator::evaluateFormula(FormulaState& state) {
    const CellFormula& f = wb_.sheets[state.sheet].formulas[state.index];
    if (!state.tree)
        return Value::fail(CellError::Name);
    Frame frame{state.sheet, f.row, f.col, f.array};
    const Operand result = eval(*state.tree, frame);
    if (f.array && result.kind != Operand::Kind::Scalar) {
        auto m = matrix(result, frame);
        if (m && m->rows > 0 && m->cols > 0) {
            states_[static_cast<std::size_t>(&state - states_.data())].arrayResult = m;
            return m->at(0, 0);
        }
    }
    return scalar(result, frame);
}

void Calculator::computeAll() {
    for (std::uint32_t start = 0; start < states_.size() && !spent_; ++start) {
        if (states_[start].status != Status::Pending)
            continue;
        waiting_.assign(1, start);
        while (!waiting_.empty() && !spent_) {
            const std::uint32_t top = waiting_.back();
            if (states_[top].status == Status::Done) {
                waiting_.pop_back();
                continue;
            }
            states_[top].status = Status::Pending;
            try {
                formulaValue(top);
                waiting_.pop_back();
            } catch (const Defer& deeper) {
                for (std::uint32_t id : chain_)
                    if (states_[id].status == Status::Running)
                        states_[id].status = Status::Pending;
                chain_.clear();
                states_[top].status = Status::Waiting;
                waiting_.push_back(deeper.id);
            } catch (const BudgetSpent&) {
                for (std::uint32_t id : chain_)
                    states_[id].status = Status::Keep;
                chain_.clear();
                spent_ = true;
            }
        }
        for (std::uint32_t id : waiting_)
            if (states_[id].status != Status::Done)
                states_[id].status = Status::Keep;
        waiting_.clear();
    }
    // What the budget did not reach keeps what the file holds.
    for (FormulaState& state : states_)
        if (state.status != Status::Done)
            state.status = Status::Keep;
}

void Calculator::writeBack() {
    for (const FormulaState& state : states_) {
        if (state.status != Status::Done)
            continue;
        Sheet& sheet = wb_.sheets[state.sheet];
        const CellFormula& f = sheet.formulas[state.index];
        const auto put = [&](std::uint32_t row, std::uint32_t col, const Value& value) {
            // With the string table full a text has nowhere to go: the cell keeps what the
            // file holds, and a cell the file does not have stays away.
            if (value.kind == ValueKind::Text && wb_.strings.size() >= stringLimit_)
                return;
            auto it = std::lower_bound(
                sheet.cells.begin(), sheet.cells.end(), std::pair{row, col},
                [](const Cell& cell, const std::pair<std::uint32_t, std::uint32_t>& p) {
                    return cell.row < p.first || (cell.row == p.first && cell.col < p.second);
                });
            if (it == sheet.cells.end() || it->row != row || it->col != col) {
                Cell cell;
                cell.row = row;
                cell.col = static_cast<std::uint16_t>(col);
                it = sheet.cells.insert(it, cell);
            }
            it->isFormula = true;
            switch (value.kind) {
            case ValueKind::Blank:
                it->type = CellType::Number;
                it->number = 0;
                break;
            case ValueKind::Number:
                it->type = CellType::Number;
                it->number = value.number;
                break;
            case ValueKind::Boolean:
                it->type = CellType::Boolean;
                it->boolean = value.number != 0;
                break;
            case ValueKind::Error:
                it->type = CellType::Error;
                it->error = value.error;
                break;
            case ValueKind::Text:
                it->type = CellType::Text;
                it->text = static_cast<std::uint32_t>(wb_.strings.size());
                wb_.strings.push_back(RichText{value.text, {}});
                break;
            }
        };
        if (state.arrayResult) {
            const Matrix& m = *state.arrayResult;
            const Range& r = f.arrayRange;
            for (std::uint32_t row = r.firstRow; row <= r.lastRow; ++row)
                for (std::uint32_t col = r.firstCol; col <= r.lastCol; ++col) {
                    const std::uint32_t dr = row - r.firstRow, dc = col - r.firstCol;
                    const std::uint32_t mr = m.rows == 1 ? 0 : dr, mc = m.cols == 1 ? 0 : dc;
                    put(row, col,
                        mr < m.rows && mc < m.cols ? m.at(mr, mc) : Value::fail(CellError::NA));
                }
        } else {
            put(f.row, f.col, state.result);
        }
    }
}

void Calculator::run() {
    if (!anythingToCompute(wb_))
        return;
    collect();
    if (states_.empty())
        return;
    propagateVolatile();
    computeAll();
    findLinks();
    writeBack();
}

// A HYPERLINK formula makes its cell a link to the address its first argument computes,
// whether its shown value is computed or stored. The page writer then treats it as any cell
// hyperlink, with the same checks on the address.
void Calculator::findLinks() {
    for (FormulaState& state : states_) {
        if (!state.hyperlink || spent_)
            continue;
        const CellFormula& f = wb_.sheets[state.sheet].formulas[state.index];
        const Frame frame{state.sheet, f.row, f.col, false};
        try {
            const Value address = scalar(eval(*state.tree->children[0], frame), frame);
            if (address.kind == ValueKind::Text)
                state.link = address.text;
        } catch (const Defer&) {
            chain_.clear();
        } catch (const BudgetSpent&) {
            chain_.clear();
            spent_ = true;
        }
    }
    for (const FormulaState& state : states_) {
        if (state.link.empty())
            continue;
        Sheet& sheet = wb_.sheets[state.sheet];
        const CellFormula& f = sheet.formulas[state.index];
        // The file's own links come first, and the page takes the first link of a cell.
        if (sheet.hyperlinks.size() >= limits::maxHyperlinks)
            continue;
        Hyperlink link;
        link.range = Range{f.row, f.row, f.col, f.col};
        // "#Sheet2!A1" is a place in the workbook, anything else an address outside it.
        if (state.link.front() == '#')
            link.location = state.link.substr(1);
        else
            link.target = state.link;
        sheet.hyperlinks.push_back(std::move(link));
    }
}

// --- evaluation ---

Value Calculator::scalar(const Operand& operand, const Frame& frame) {
    switch (operand.kind) {
    case Operand::Kind::Scalar:
        return operand.value;
    case Operand::Kind::Array:
        return operand.array->rows && operand.array->cols ? operand.array->at(0, 0)
                                                          : Value::fail(CellError::Value);
    case Operand::Kind::Refs:
        break;
    }
    if (operand.refs.size() != 1)
        return Value::fail(CellError::Value);
    const Reference& r = operand.refs.front();
    if (r.firstSheet != r.lastSheet)
        return Value::fail(CellError::Value);
    if (r.isCell())
        return cellValue(r.firstSheet, r.firstRow, r.firstCol);
    // Implicit intersection: the cell of a one-column range in the caller's row, and so on.
    if (r.firstCol == r.lastCol && frame.row >= r.firstRow && frame.row <= r.lastRow)
        return cellValue(r.firstSheet, frame.row, r.firstCol);
    if (r.firstRow == r.lastRow && frame.col >= r.firstCol && frame.col <= r.lastCol)
        return cellValue(r.firstSheet, r.firstRow, frame.col);
    return Value::fail(CellError::Value);
}

std::shared_ptr<const Matrix> Calculator::matrix(const Operand& operand, const Frame& frame) {
    if (operand.kind == Operand::Kind::Array)
        return operand.array;
    if (operand.kind == Operand::Kind::Scalar)
        return single(operand.value);
    if (operand.refs.size() != 1 || operand.refs[0].firstSheet != operand.refs[0].lastSheet)
        return single(Value::fail(CellError::Value));
    // Past the sheet's last stored row and column every value is blank: a whole column
    // becomes a block no taller than the sheet's content.
    Reference r = operand.refs[0];
    const Sheet& sheet = wb_.sheets[r.firstSheet];
    if (!sheet.cells.empty()) {
        const std::uint32_t lastRow = sheet.cells.back().row;
        r.lastRow = std::max(r.firstRow, std::min(r.lastRow, lastRow));
        if (r.cols() > 1)
            r.lastCol = std::max(r.firstCol, std::min(r.lastCol, lastColumn(r.firstSheet)));
    } else {
        r.lastRow = r.firstRow;
        r.lastCol = r.firstCol;
    }
    const std::uint64_t count = std::uint64_t{r.rows()} * r.cols();
    if (count > limits::maxMatrixCells || !charge(count)) {
        if (spent_)
            throw BudgetSpent{};
        return single(Value::fail(CellError::Value));
    }
    auto m = std::make_shared<Matrix>();
    m->rows = r.rows();
    m->cols = r.cols();
    m->values.resize(static_cast<std::size_t>(count));
    SheetArea area(*this, r, r.firstSheet);
    area.forEachValue([&](std::uint32_t row, std::uint32_t col, const Value& value) {
        m->values[std::size_t{row} * m->cols + col] = value;
    });
    (void)frame;
    return m;
}

Operand Calculator::eval(const Node& node, const Frame& frame) {
    if (!charge(1))
        throw BudgetSpent{};
    switch (node.kind) {
    case Node::Kind::Constant:
        return Operand::of(node.value);
    case Node::Kind::Missing:
        return Operand::of(Value::blank());
    case Node::Kind::Ref:
        return Operand::ofRef(node.ref);
    case Node::Kind::BadRef:
        return Operand::of(Value::fail(CellError::Ref));
    case Node::Kind::Name:
        return name(node, frame);
    case Node::Kind::Unary:
        return unary(node, frame);
    case Node::Kind::Binary:
        return binary(node, frame);
    case Node::Kind::Call:
        return call(node, frame);
    case Node::Kind::Array: {
        auto m = std::make_shared<Matrix>();
        m->rows = node.rows;
        m->cols = node.cols;
        for (const NodePtr& child : node.children)
            m->values.push_back(child->value);
        Operand o;
        o.kind = Operand::Kind::Array;
        o.array = std::move(m);
        return o;
    }
    }
    return Operand::of(Value::fail(CellError::Value));
}

Operand Calculator::name(const Node& node, const Frame& frame) {
    const std::string wanted = upper(node.text);
    const bool qualified = node.ref.firstSheet != std::numeric_limits<std::uint32_t>::max();
    const std::uint32_t scope = qualified ? node.ref.firstSheet : frame.sheet;
    const DefinedName* found = nullptr;
    for (const DefinedName& defined : wb_.definedNames) {
        if (upper(defined.name) != wanted)
            continue;
        if (defined.sheet == scope) {
            found = &defined;
            break;
        }
        if (defined.sheet == DefinedName::noSheet && !qualified)
            found = &defined;
    }
    if (!found || nameDepth_ >= limits::maxNameNestingDepth)
        return Operand::of(Value::fail(CellError::Name));
    ParseContext context =
        parseContext(found->sheet == DefinedName::noSheet ? frame.sheet : found->sheet, 0, 0);
    std::string_view text = found->formula;
    std::optional<std::string> translated;
    if (found->openDocument && (translated = translateOpenDocument(text)))
        text = *translated;
    const ParseResult parsed = parseFormula(text, context);
    if (!parsed.root)
        return Operand::of(Value::fail(CellError::Name));
    ++nameDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{nameDepth_};
    return eval(*parsed.root, frame);
}

Value Calculator::applyScalar(Op op, const Value& a, const Value& b) const {
    if (op == Op::Concat) {
        const Value x = toText(a);
        if (x.isError())
            return x;
        const Value y = toText(b);
        if (y.isError())
            return y;
        return Value::of(x.text + y.text);
    }
    if (op >= Op::Equal && op <= Op::GreaterEqual) {
        if (a.isError())
            return a;
        if (b.isError())
            return b;
        const int order = compareValues(a, b);
        switch (op) {
        case Op::Equal:
            return Value::of(order == 0);
        case Op::NotEqual:
            return Value::of(order != 0);
        case Op::Less:
            return Value::of(order < 0);
        case Op::LessEqual:
            return Value::of(order <= 0);
        case Op::Greater:
            return Value::of(order > 0);
        default:
            return Value::of(order >= 0);
        }
    }
    const Value x = toNumber(a, wb_.dateSystem);
    if (x.isError())
        return x;
    const Value y = toNumber(b, wb_.dateSystem);
    if (y.isError())
        return y;
    double result = 0;
    switch (op) {
    case Op::Add:
        result = x.number + y.number;
        break;
    case Op::Subtract:
        result = x.number - y.number;
        break;
    case Op::Multiply:
        result = x.number * y.number;
        break;
    case Op::Divide:
        if (y.number == 0)
            return Value::fail(CellError::Div0);
        result = x.number / y.number;
        break;
    case Op::Power:
        if (x.number == 0 && y.number == 0)
            return Value::fail(CellError::Num);
        if (x.number == 0 && y.number < 0)
            return Value::fail(CellError::Div0);
        result = std::pow(x.number, y.number);
        break;
    default:
        return Value::fail(CellError::Value);
    }
    if (!std::isfinite(result))
        return Value::fail(CellError::Num);
    return Value::of(result);
}

Operand Calculator::unary(const Node& node, const Frame& frame) {
    const Operand operand = eval(*node.children[0], frame);
    const auto apply = [&](const Value& v) -> Value {
        if (node.op == Op::Plus)
            return v;
        const Value n = toNumber(v, wb_.dateSystem);
        if (n.isError())
            return n;
        return Value::of(node.op == Op::Negate ? -n.number : n.number / 100);
    };
    const bool elementwise = operand.kind == Operand::Kind::Array ||
                             (frame.arrayMode && operand.kind == Operand::Kind::Refs);
    if (node.op == Op::Plus && operand.kind == Operand::Kind::Refs && !frame.arrayMode)
        return operand;
    if (!elementwise)
        return Operand::of(apply(scalar(operand, frame)));
    const auto m = matrix(operand, frame);
    auto out = std::make_shared<Matrix>();
    out->rows = m->rows;
    out->cols = m->cols;
    out->values.reserve(m->values.size());
    for (const Value& v : m->values)
        out->values.push_back(apply(v));
    Operand o;
    o.kind = Operand::Kind::Array;
    o.array = std::move(out);
    return o;
}

Operand Calculator::referenceOp(Op op, const Operand& a, const Operand& b) {
    if (a.kind == Operand::Kind::Scalar && a.value.isError())
        return a;
    if (b.kind == Operand::Kind::Scalar && b.value.isError())
        return b;
    if (a.kind != Operand::Kind::Refs || b.kind != Operand::Kind::Refs)
        return Operand::of(Value::fail(CellError::Value));
    if (op == Op::Union) {
        Operand o = a;
        o.refs.insert(o.refs.end(), b.refs.begin(), b.refs.end());
        return o;
    }
    if (a.refs.size() != 1 || b.refs.size() != 1 || a.refs[0].firstSheet != b.refs[0].firstSheet ||
        a.refs[0].lastSheet != b.refs[0].lastSheet)
        return Operand::of(Value::fail(CellError::Value));
    const Reference& x = a.refs[0];
    const Reference& y = b.refs[0];
    Reference r = x;
    if (op == Op::Range) {
        r.firstRow = std::min(x.firstRow, y.firstRow);
        r.lastRow = std::max(x.lastRow, y.lastRow);
        r.firstCol = std::min(x.firstCol, y.firstCol);
        r.lastCol = std::max(x.lastCol, y.lastCol);
        return Operand::ofRef(r);
    }
    r.firstRow = std::max(x.firstRow, y.firstRow);
    r.lastRow = std::min(x.lastRow, y.lastRow);
    r.firstCol = std::max(x.firstCol, y.firstCol);
    r.lastCol = std::min(x.lastCol, y.lastCol);
    if (r.firstRow > r.lastRow || r.firstCol > r.lastCol)
        return Operand::of(Value::fail(CellError::Null));
    return Operand::ofRef(r);
}

Operand Calculator::binary(const Node& node, const Frame& frame) {
    const Operand a = eval(*node.children[0], frame);
    const Operand b = eval(*node.children[1], frame);
    if (node.op == Op::Range || node.op == Op::Intersect || node.op == Op::Union)
        return referenceOp(node.op, a, b);
    if (!isBlock(a, frame) && !isBlock(b, frame))
        return Operand::of(applyScalar(node.op, scalar(a, frame), scalar(b, frame)));
    const auto x = matrix(a, frame);
    const auto y = matrix(b, frame);
    Shape shape;
    shape.include(*x);
    shape.include(*y);
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        const Value* p = Shape::pick(*x, r, c);
        const Value* q = Shape::pick(*y, r, c);
        return p && q ? applyScalar(node.op, *p, *q) : Value::fail(CellError::NA);
    });
}

// An array, or in an array formula a reference to more than one cell: what operators and
// single-value parameters work through element by element.
bool Calculator::isBlock(const Operand& o, const Frame& frame) const {
    return o.kind == Operand::Kind::Array || (frame.arrayMode && o.kind == Operand::Kind::Refs &&
                                              !(o.refs.size() == 1 && o.refs[0].isCell()));
}

// A block of `shape` whose elements `element` computes, within the bounds every operator and
// element-wise call keeps.
Operand Calculator::fill(const Shape& shape,
                         const std::function<Value(std::uint32_t, std::uint32_t)>& element) {
    const std::uint64_t count = std::uint64_t{shape.rows} * shape.cols;
    if (count > limits::maxMatrixCells)
        return Operand::of(Value::fail(CellError::Value));
    if (!charge(count))
        throw BudgetSpent{};
    auto out = std::make_shared<Matrix>();
    out->rows = shape.rows;
    out->cols = shape.cols;
    out->values.reserve(static_cast<std::size_t>(count));
    for (std::uint32_t r = 0; r < shape.rows; ++r)
        for (std::uint32_t c = 0; c < shape.cols; ++c)
            out->values.push_back(element(r, c));
    Operand o;
    o.kind = Operand::Kind::Array;
    o.array = std::move(out);
    return o;
}

Operand Calculator::call(const Node& node, const Frame& frame) {
    if (isSpecialForm(node.text))
        return special(node, frame);
    if (!node.function)
        return Operand::of(Value::fail(CellError::Name));
    return library(node, frame);
}

Operand Calculator::library(const Node& node, const Frame& frame) {
    const FunctionInfo& info = *node.function;
    if (node.children.size() < info.minArgs || node.children.size() > info.maxArgs)
        return Operand::of(Value::fail(CellError::Value));
    Frame inner = frame;
    if (takesArrays(node.text))
        inner.arrayMode = true;
    std::vector<std::unique_ptr<Area>> areas;
    std::vector<Arg> args;
    args.reserve(node.children.size());
    // Blocks given to single-value parameters, by their place in `args`.
    std::vector<std::pair<std::size_t, Operand>> lifted;
    std::optional<Reference> returned; // XLOOKUP's results, when on one sheet
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        const Node& child = *node.children[i];
        Arg arg;
        if (child.kind == Node::Kind::Missing) {
            arg.kind = Arg::Kind::Missing;
            args.push_back(arg);
            continue;
        }
        Operand operand = eval(child, inner);
        if (i == 2 && node.text == "XLOOKUP" && operand.kind == Operand::Kind::Refs &&
            operand.refs.size() == 1 && operand.refs[0].firstSheet == operand.refs[0].lastSheet)
            returned = operand.refs[0];
        if (isBlock(operand, inner) && !takesBlockAt(node.text, i)) {
            lifted.emplace_back(args.size(), std::move(operand));
            args.push_back(arg);
            continue;
        }
        switch (operand.kind) {
        case Operand::Kind::Scalar:
            arg.value = std::move(operand.value);
            args.push_back(std::move(arg));
            break;
        case Operand::Kind::Array:
            areas.push_back(std::make_unique<ArrayArea>(operand.array));
            arg.kind = Arg::Kind::Area;
            arg.area = areas.back().get();
            args.push_back(std::move(arg));
            break;
        case Operand::Kind::Refs:
            // A 3-D reference or a union gives the function one area per sheet and part.
            for (const Reference& r : operand.refs)
                for (std::uint32_t s = r.firstSheet; s <= r.lastSheet && s < wb_.sheets.size();
                     ++s) {
                    Arg part;
                    part.kind = Arg::Kind::Area;
                    areas.push_back(std::make_unique<SheetArea>(*this, r, s));
                    part.area = areas.back().get();
                    part.firstRow = r.firstRow;
                    part.firstCol = r.firstCol;
                    args.push_back(std::move(part));
                }
            break;
        }
    }
    if (!lifted.empty())
        return liftedCall(info, std::move(args), lifted, inner);
    if (returned && args.size() == node.children.size())
        if (auto slice = lookupSlice(args, *returned, frame))
            return std::move(*slice);
    Context context(*this, frame);
    if (info.arrayBody) {
        ArrayValue block = info.arrayBody(args, context);
        if (spent_)
            throw BudgetSpent{};
        return fromBlock(std::move(block));
    }
    Value result = info.body(args, context);
    if (spent_)
        throw BudgetSpent{};
    return Operand::of(std::move(result));
}

// A function's block as an operand: one value stays a value; a block whose size does not match
// its values (a function's own fault) or exceeds the bound every block keeps is #VALUE!.
Operand Calculator::fromBlock(ArrayValue block) {
    const std::uint64_t count = std::uint64_t{block.rows} * block.cols;
    if (count == 0 || count != block.values.size() || count > limits::maxMatrixCells)
        return Operand::of(Value::fail(CellError::Value));
    if (count == 1)
        return Operand::of(std::move(block.values.front()));
    auto out = std::make_shared<Matrix>();
    out->rows = block.rows;
    out->cols = block.cols;
    out->values = std::move(block.values);
    Operand o;
    o.kind = Operand::Kind::Array;
    o.array = std::move(out);
    return o;
}

// XLOOKUP whose results are several columns of a vertical table (or rows of a horizontal one)
// answers with the whole row (column) found, as a reference: SUM(XLOOKUP(k,A:A,B:D)) adds the
// row, and a single cell shows it through implicit intersection. Nullopt leaves the call to
// the library, which also answers every case where nothing is found.
std::optional<Operand> Calculator::lookupSlice(std::span<const Arg> args, const Reference& returned,
                                               const Frame& frame) {
    const Arg& keys = args[1];
    const Arg& results = args[2];
    if (keys.kind != Arg::Kind::Area || results.kind != Arg::Kind::Area ||
        !results.area->isReference())
        return std::nullopt;
    const bool vertical = keys.area->cols() == 1 && keys.area->rows() > 1;
    const bool horizontal = keys.area->rows() == 1 && keys.area->cols() > 1;
    const std::uint32_t across = vertical ? results.area->cols() : results.area->rows();
    const bool aligned = vertical ? results.area->rows() == keys.area->rows()
                                  : results.area->cols() == keys.area->cols();
    if ((!vertical && !horizontal) || across < 2 || !aligned)
        return std::nullopt;
    static const FunctionInfo* const match = findFunction("XMATCH");
    std::vector<Arg> matchArgs{args[0], args[1]};
    for (std::size_t i = 4; i < args.size(); ++i)
        matchArgs.push_back(args[i]);
    Context context(*this, frame);
    const Value position = match->body(matchArgs, context);
    if (spent_)
        throw BudgetSpent{};
    if (position.kind != ValueKind::Number || position.number < 1)
        return std::nullopt;
    const auto offset = static_cast<std::uint32_t>(position.number) - 1;
    Reference r = returned;
    if (vertical) {
        if (offset >= r.rows())
            return std::nullopt;
        r.firstRow = r.lastRow = r.firstRow + offset;
    } else {
        if (offset >= r.cols())
            return std::nullopt;
        r.firstCol = r.lastCol = r.firstCol + offset;
    }
    return Operand::ofRef(r);
}

// The call once per element of the blocks given to single-value parameters.
Operand Calculator::liftedCall(const FunctionInfo& info, std::vector<Arg> args,
                               const std::vector<std::pair<std::size_t, Operand>>& lifted,
                               const Frame& frame) {
    std::vector<std::shared_ptr<const Matrix>> blocks;
    Shape shape;
    for (const auto& [place, operand] : lifted) {
        blocks.push_back(matrix(operand, frame));
        shape.include(*blocks.back());
    }
    Context context(*this, frame);
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        for (std::size_t k = 0; k < lifted.size(); ++k) {
            Arg& arg = args[lifted[k].first];
            arg.kind = Arg::Kind::Scalar;
            arg.value = Shape::valueAt(*blocks[k], r, c);
        }
        // A function that answers with a block gives its first value for each element: one
        // cell cannot hold a block of blocks.
        Value result = info.body ? info.body(args, context) : [&] {
            ArrayValue block = info.arrayBody(args, context);
            return block.values.empty() ? Value::fail(CellError::Value) : block.values.front();
        }();
        if (spent_)
            throw BudgetSpent{};
        return result;
    });
}

// IF over a block of conditions: both branches are computed once and picked from element by
// element; a left-out branch is 0, an absent one FALSE.
Operand Calculator::elementwiseIf(const Node& node, const Operand& condition, const Frame& frame) {
    const auto branch = [&](std::size_t i) {
        if (i >= node.children.size())
            return single(Value::of(false));
        if (node.children[i]->kind == Node::Kind::Missing)
            return single(Value::of(0.0));
        return matrix(eval(*node.children[i], frame), frame);
    };
    const auto test = matrix(condition, frame);
    const auto yes = branch(1);
    const auto no = branch(2);
    Shape shape;
    for (const auto& m : {test, yes, no})
        shape.include(*m);
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        const Value b = toBoolean(Shape::valueAt(*test, r, c));
        return b.isError() ? b : Shape::valueAt(b.number != 0 ? *yes : *no, r, c);
    });
}

// CHOOSE over a block of indexes: CHOOSE({1,2},B1:B3,A1:A3) puts two columns side by side.
Operand Calculator::elementwiseChoose(const Node& node, const Operand& index, const Frame& frame) {
    const auto indexes = matrix(index, frame);
    std::vector<std::shared_ptr<const Matrix>> choices(node.children.size());
    Shape shape;
    shape.include(*indexes);
    for (std::size_t i = 1; i < node.children.size(); ++i) {
        choices[i] = node.children[i]->kind == Node::Kind::Missing
                         ? single(Value::of(0.0))
                         : matrix(eval(*node.children[i], frame), frame);
        shape.include(*choices[i]);
    }
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        const Value v = toNumber(Shape::valueAt(*indexes, r, c), wb_.dateSystem);
        if (v.isError())
            return v;
        const double i = std::trunc(v.number);
        return i >= 1 && i < static_cast<double>(choices.size())
                   ? Shape::valueAt(*choices[static_cast<std::size_t>(i)], r, c)
                   : Value::fail(CellError::Value);
    });
}

// IFERROR and IFNA over a block: each error is replaced by the fallback's element.
Operand Calculator::elementwiseIfError(const Node& node, const Operand& first, const Frame& frame) {
    const bool onlyNA = node.text == "IFNA";
    const auto values = matrix(first, frame);
    std::shared_ptr<const Matrix> fallback;
    Shape shape;
    shape.include(*values);
    if (node.children[1]->kind != Node::Kind::Missing) {
        fallback = matrix(eval(*node.children[1], frame), frame);
        shape.include(*fallback);
    }
    return fill(shape, [&](std::uint32_t r, std::uint32_t c) {
        Value v = Shape::valueAt(*values, r, c);
        if (v.isError() && (!onlyNA || v.error == CellError::NA))
            v = fallback ? Shape::valueAt(*fallback, r, c) : Value::of(0.0);
        return v;
    });
}

Operand Calculator::special(const Node& node, const Frame& frame) {
    const std::string& f = node.text;
    const auto& args = node.children;
    const std::size_t n = args.size();
    const auto value = [&](std::size_t i) { return scalar(eval(*args[i], frame), frame); };
    const auto missing = [&](std::size_t i) {
        return i >= n || args[i]->kind == Node::Kind::Missing;
    };
    const auto bad = [](CellError e = CellError::Value) { return Operand::of(Value::fail(e)); };
    const auto integer = [&](std::size_t i, double& out) -> std::optional<Value> {
        const Value v = toNumber(value(i), wb_.dateSystem);
        if (v.isError())
            return v;
        out = std::trunc(v.number);
        return std::nullopt;
    };

    if (f == "TODAY" || f == "NOW") {
        if (n != 0)
            return bad();
        return Operand::of(Value::of(f == "NOW" ? now_ : std::floor(now_)));
    }
    if (f == "IF") {
        if (n < 1 || n > 3)
            return bad();
        const Operand condition = eval(*args[0], frame);
        if (isBlock(condition, frame))
            return elementwiseIf(node, condition, frame);
        const Value c = toBoolean(scalar(condition, frame));
        if (c.isError())
            return Operand::of(c);
        const std::size_t branch = c.number != 0 ? 1 : 2;
        if (branch >= n)
            return Operand::of(Value::of(false));
        if (args[branch]->kind == Node::Kind::Missing)
            return Operand::of(Value::of(0.0));
        return eval(*args[branch], frame);
    }
    if (f == "IFS") {
        if (n < 2 || n % 2 != 0)
            return bad();
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            const Value c = toBoolean(value(i));
            if (c.isError())
                return Operand::of(c);
            if (c.number != 0)
                return eval(*args[i + 1], frame);
        }
        return bad(CellError::NA);
    }
    if (f == "IFERROR" || f == "IFNA") {
        if (n != 2)
            return bad();
        Operand first = eval(*args[0], frame);
        if (isBlock(first, frame))
            return elementwiseIfError(node, first, frame);
        const Value v = scalar(first, frame);
        const bool replace = v.isError() && (f == "IFERROR" || v.error == CellError::NA);
        if (!replace)
            return first.kind == Operand::Kind::Scalar ? Operand::of(v) : first;
        if (missing(1))
            return Operand::of(Value::of(0.0));
        return eval(*args[1], frame);
    }
    if (f == "SWITCH") {
        if (n < 3)
            return bad();
        const Value subject = value(0);
        if (subject.isError())
            return Operand::of(subject);
        std::size_t i = 1;
        for (; i + 1 < n; i += 2) {
            const Value candidate = value(i);
            if (candidate.isError())
                return Operand::of(candidate);
            if (compareValues(subject, candidate) == 0 && subject.kind != ValueKind::Blank &&
                ((subject.kind == ValueKind::Text) == (candidate.kind == ValueKind::Text)))
                return eval(*args[i + 1], frame);
        }
        if (i < n)
            return eval(*args[i], frame);
        return bad(CellError::NA);
    }
    if (f == "CHOOSE") {
        if (n < 2)
            return bad();
        const Operand which = eval(*args[0], frame);
        if (isBlock(which, frame))
            return elementwiseChoose(node, which, frame);
        const Value number = toNumber(scalar(which, frame), wb_.dateSystem);
        if (number.isError())
            return Operand::of(number);
        const double index = std::trunc(number.number);
        if (index < 1 || index >= static_cast<double>(n))
            return bad();
        const auto& chosen = *args[static_cast<std::size_t>(index)];
        if (chosen.kind == Node::Kind::Missing)
            return Operand::of(Value::of(0.0));
        return eval(chosen, frame);
    }
    if (f == "ROW" || f == "COLUMN") {
        if (n > 1)
            return bad();
        if (missing(0))
            return Operand::of(Value::of(double((f == "ROW" ? frame.row : frame.col) + 1)));
        const Operand o = eval(*args[0], frame);
        if (o.kind != Operand::Kind::Refs)
            return o.kind == Operand::Kind::Scalar && o.value.isError() ? o : bad();
        const Reference& r = o.refs.front();
        return Operand::of(Value::of(double((f == "ROW" ? r.firstRow : r.firstCol) + 1)));
    }
    if (f == "ROWS" || f == "COLUMNS") {
        if (n != 1)
            return bad();
        const Operand o = eval(*args[0], frame);
        const bool rows = f == "ROWS";
        switch (o.kind) {
        case Operand::Kind::Scalar:
            return o.value.isError() ? o : Operand::of(Value::of(1.0));
        case Operand::Kind::Array:
            return Operand::of(Value::of(double(rows ? o.array->rows : o.array->cols)));
        case Operand::Kind::Refs:
            if (o.refs.size() != 1)
                return bad(CellError::Ref);
            return Operand::of(Value::of(double(rows ? o.refs[0].rows() : o.refs[0].cols())));
        }
    }
    if (f == "OFFSET") {
        if (n < 3 || n > 5)
            return bad();
        const Operand base = eval(*args[0], frame);
        if (base.kind != Operand::Kind::Refs || base.refs.size() != 1)
            return base.kind == Operand::Kind::Scalar && base.value.isError() ? base : bad();
        Reference r = base.refs[0];
        double rows = 0, cols = 0, height = r.rows(), width = r.cols();
        if (const auto e = integer(1, rows))
            return Operand::of(*e);
        if (const auto e = integer(2, cols))
            return Operand::of(*e);
        if (!missing(3))
            if (const auto e = integer(3, height))
                return Operand::of(*e);
        if (!missing(4))
            if (const auto e = integer(4, width))
                return Operand::of(*e);
        if (height == 0 || width == 0)
            return bad(CellError::Ref);
        // A negative height or width reaches up or left from the moved corner.
        double top = r.firstRow + rows, left = r.firstCol + cols;
        if (height < 0)
            top += height + 1;
        if (width < 0)
            left += width + 1;
        const double bottom = top + std::fabs(height) - 1, right = left + std::fabs(width) - 1;
        if (top < 0 || left < 0 || bottom > maxRow || right > maxCol)
            return bad(CellError::Ref);
        r.firstRow = static_cast<std::uint32_t>(top);
        r.lastRow = static_cast<std::uint32_t>(bottom);
        r.firstCol = static_cast<std::uint32_t>(left);
        r.lastCol = static_cast<std::uint32_t>(right);
        return Operand::ofRef(r);
    }
    if (f == "INDIRECT") {
        if (n < 1 || n > 2)
            return bad();
        const Value text = toText(value(0));
        if (text.isError())
            return Operand::of(text);
        if (!missing(1)) {
            const Value a1 = toBoolean(value(1));
            if (a1.isError())
                return Operand::of(a1);
            if (a1.number == 0) {
                const auto r =
                    parseR1C1(text.text, parseContext(frame.sheet, frame.row, frame.col));
                return r ? Operand::ofRef(*r) : bad(CellError::Ref);
            }
        }
        const ParseResult parsed =
            parseFormula(text.text, parseContext(frame.sheet, frame.row, frame.col));
        if (!parsed.root)
            return bad(CellError::Ref);
        const Node& root = *parsed.root;
        if (root.kind == Node::Kind::Ref)
            return Operand::ofRef(root.ref);
        if (root.kind == Node::Kind::Name) {
            Operand o = name(root, frame);
            if (o.kind == Operand::Kind::Refs)
                return o;
        }
        if (root.kind == Node::Kind::Binary && root.op == Op::Range) {
            Operand o = eval(root, frame);
            if (o.kind == Operand::Kind::Refs)
                return o;
        }
        return bad(CellError::Ref);
    }
    if (f == "ISFORMULA") {
        if (n != 1)
            return bad();
        const Operand o = eval(*args[0], frame);
        if (o.kind != Operand::Kind::Refs)
            return o.kind == Operand::Kind::Scalar && o.value.isError() ? o : bad();
        const Reference& r = o.refs.front();
        const bool formula = r.firstSheet < wb_.sheets.size() &&
                             (formulaAt(r.firstSheet, r.firstRow, r.firstCol) ||
                              arrayAnchorOf(r.firstSheet, r.firstRow, r.firstCol));
        return Operand::of(Value::of(formula));
    }
    if (f == "INDEX") {
        if (n < 2 || n > 4)
            return bad();
        const Operand source = eval(*args[0], frame);
        if (source.kind == Operand::Kind::Scalar && source.value.isError())
            return source;
        double row = 0, col = 0, areaNumber = 1;
        if (!missing(1))
            if (const auto e = integer(1, row))
                return Operand::of(*e);
        if (!missing(2))
            if (const auto e = integer(2, col))
                return Operand::of(*e);
        if (!missing(3))
            if (const auto e = integer(3, areaNumber))
                return Operand::of(*e);
        if (row < 0 || col < 0)
            return bad();
        std::uint32_t rows = 1, cols = 1;
        Reference r;
        if (source.kind == Operand::Kind::Refs) {
            if (areaNumber < 1 || areaNumber > static_cast<double>(source.refs.size()))
                return bad(CellError::Ref);
            r = source.refs[static_cast<std::size_t>(areaNumber) - 1];
            rows = r.rows();
            cols = r.cols();
        } else if (source.kind == Operand::Kind::Array) {
            rows = source.array->rows;
            cols = source.array->cols;
        }
        // One index into a single row or column counts along it.
        if (n == 2 || missing(2)) {
            if (rows == 1 && cols > 1) {
                col = row;
                row = 1;
            } else if (n == 2 && cols == 1) {
                col = 1;
            }
        }
        if (row > rows || col > cols)
            return bad(CellError::Ref);
        if (source.kind == Operand::Kind::Refs) {
            Reference out = r;
            if (row > 0)
                out.firstRow = out.lastRow = r.firstRow + static_cast<std::uint32_t>(row) - 1;
            if (col > 0)
                out.firstCol = out.lastCol = r.firstCol + static_cast<std::uint32_t>(col) - 1;
            return Operand::ofRef(out);
        }
        if (source.kind == Operand::Kind::Scalar)
            return Operand::of(source.value);
        const Matrix& m = *source.array;
        if (row > 0 && col > 0)
            return Operand::of(
                m.at(static_cast<std::uint32_t>(row) - 1, static_cast<std::uint32_t>(col) - 1));
        auto part = std::make_shared<Matrix>();
        for (std::uint32_t i = 0; i < m.rows; ++i)
            for (std::uint32_t j = 0; j < m.cols; ++j)
                if ((row == 0 || i + 1 == row) && (col == 0 || j + 1 == col))
                    part->values.push_back(m.at(i, j));
        part->rows = row == 0 ? m.rows : 1;
        part->cols = col == 0 ? m.cols : 1;
        Operand o;
        o.kind = Operand::Kind::Array;
        o.array = std::move(part);
        return o;
    }
    return bad(CellError::Name);
}

} // namespace

void computeFormulas(Workbook& workbook, const CalcOptions& options) {
    Calculator calculator(workbook, options);
    calculator.run();
}

double conversionMoment(DateSystem dates) {
    std::time_t seconds = std::time(nullptr);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        char* end = nullptr;
        const long long parsed = std::strtoll(epoch, &end, 10);
        if (end && *end == '\0' && parsed >= 0)
            seconds = static_cast<std::time_t>(parsed);
    }
    std::tm local{};
    localtime_r(&seconds, &local);
    // Serial 25569 is 1970-01-01 in the 1900 system; the 1904 system starts 1462 days later.
    const double days =
        (static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff)) / 86400.0;
    return 25569.0 + days - (dates == DateSystem::Date1904 ? 1462.0 : 0.0);
}

} // namespace engine::formula
