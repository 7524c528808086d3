#pragma once
// One calculation of a workbook: which formulas it computes (planning), in what order and with
// what cycles (scheduling), how a tree is evaluated (evaluation, calls, special forms) and how
// the results reach the cells (write-back). Each part lives in a file of its own.

#include "engine/formula/Calculator.h"
#include "engine/formula/Parser.h"
#include "engine/formula/calc/Areas.h"
#include "engine/formula/calc/Operand.h"
#include "engine/formula/functions/LookupIndex.h"

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace engine::formula::calc {

enum class Status : std::uint8_t { Keep, Pending, Running, Waiting, Done };

struct FormulaState {
    std::uint32_t sheet = 0, index = 0; // into Workbook::sheets and Sheet::formulas
    Status status = Status::Keep;
    bool circular = false, unknown = false;
    NodePtr tree;
    Value result;
    std::shared_ptr<const Matrix> arrayResult;
    // Where an array formula's values go: the file's range, or once computed the cells a
    // dynamic array formula spilled over.
    Range range;
    bool hyperlink = false; // the formula is a HYPERLINK call: its cell becomes a link
    std::string link;
};

class Calculation {
public:
    Calculation(Workbook& workbook, const CalcOptions& options)
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
    // The cells of `ref` that array formulas computed here cover but the sheet does not hold
    // yet, sorted by row and column.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spilledCellsIn(std::uint32_t sheet,
                                                                        const Reference& ref);
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
    // A dynamic array formula's block spilled from its anchor: the value the anchor shows.
    Value spill(FormulaState& state, std::shared_ptr<const Matrix> block);
    // Whether a cell of `target` other than the anchor and the formula's own earlier spill
    // `own` holds something.
    bool spillBlocked(std::uint32_t sheet, const Range& target, const Range& own);

    Operand eval(const Node& node, const Frame& frame);
    Value scalar(const Operand& operand, const Frame& frame);
    std::shared_ptr<const Matrix> matrix(const Operand& operand, const Frame& frame);
    Operand unary(const Node& node, const Frame& frame);
    Operand binary(const Node& node, const Frame& frame);
    Operand referenceOp(Op op, const Operand& a, const Operand& b);
    Operand name(const Node& node, const Frame& frame);
    Operand call(const Node& node, const Frame& frame);
    Operand special(const Node& node, const Frame& frame);
    // AREAS, CELL, INFO, SHEET, SHEETS and FORMULATEXT.
    Operand information(const Node& node, const Frame& frame);
    // The formula of a cell as FORMULATEXT shows it; nullopt for a cell without one.
    std::optional<std::string> formulaTextAt(std::uint32_t sheet, std::uint32_t row,
                                             std::uint32_t col) const;
    // LET, LAMBDA and the functions that call a LAMBDA (MAP, REDUCE ...).
    Operand lambdaForm(const Node& node, const Frame& frame);
    Operand let(const Node& node, const Frame& frame);
    Operand makeLambda(const Node& node, const Frame& frame);
    Operand invoke(const Node& node, const Frame& frame);
    Operand callByName(const Node& node, const Frame& frame);
    Operand apply(const Lambda& lambda, std::vector<Operand> args, const Frame& frame);
    Operand applyEach(const Node& node, const Frame& frame);
    // A worksheet function named alone (SUM, or _xleta.SUM as files write it) as a LAMBDA of
    // one parameter, of two for a function that needs two; #NAME? for no function.
    Operand etaLambda(std::string_view name);
    // The function an argument gives: what it computes, or a worksheet function's bare name.
    Operand lambdaArg(const Node& node, const Frame& frame);
    // GROUPBY and PIVOTBY.
    Operand groupBy(const Node& node, const Frame& frame);
    // The value LET or LAMBDA bound to the unqualified name `node`, or null.
    const Operand* bound(const Node& node, const Frame& frame) const;
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
    int lambdaDepth_ = 0;
    std::vector<const DefinedName*> namesInUse_; // the names being computed, outermost first
    // The tree of the defined name being computed, for the LAMBDAs it makes.
    std::shared_ptr<const Node> nameTree_;
};

// The call's view of the evaluation: the caller's position is fixed when the call starts.
class Calculation::Context final : public CallContext {
public:
    Context(Calculation& calc, const Frame& frame) : calc_(calc), frame_(frame) {}
    DateSystem dateSystem() const override { return calc_.dates(); }
    double now() const override { return calc_.now(); }
    std::string formatNumber(double value, std::string_view code) override;
    LookupIndexes* lookupIndexes() override { return &calc_.lookups(); }
    bool chargeWork(std::uint64_t units) override { return calc_.charge(units); }
    std::uint32_t callerRow() const override { return frame_.row; }
    std::uint32_t callerCol() const override { return frame_.col; }

private:
    Calculation& calc_;
    Frame frame_;
};

} // namespace engine::formula::calc
