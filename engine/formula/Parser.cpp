#include "engine/formula/Parser.h"

#include "engine/base/Limits.h"
#include "engine/formula/StructuredReference.h"
#include "engine/model/ErrorNames.h"
#include "engine/util/AsciiCase.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <stdexcept>

namespace engine::formula {
namespace {

struct ParseFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool isNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '.' || c == '\\' || c == '?' || u >= 0x80;
}

bool isNameStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || c == '\\' || u >= 0x80;
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = util::asciiUpper(c);
    return result;
}

NodePtr constant(Value value) {
    auto node = std::make_unique<Node>();
    node->value = std::move(value);
    return node;
}

std::optional<CellError> errorLiteral(std::string_view text, std::size_t& length) {
    for (const CellError error : cellErrors) {
        const std::string_view name = errorText(error);
        if (text.size() >= name.size() && upper(text.substr(0, name.size())) == name) {
            length = name.size();
            return error;
        }
    }
    return std::nullopt;
}

// One end of a reference: column and/or row with their '$' marks.
struct RefPart {
    bool hasCol = false, hasRow = false, colAbs = false, rowAbs = false;
    std::uint32_t col = 0, row = 0;
};

class Parser {
public:
    Parser(std::string_view text, const ParseContext& context) : s_(text), ctx_(context) {}

    NodePtr parse() {
        skipSpaces();
        NodePtr root = expression();
        skipSpaces();
        if (pos_ != s_.size())
            fail("unexpected '" + std::string(1, s_[pos_]) + "'");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw ParseFailure(why + " at " + std::to_string(pos_));
    }

    char peek(std::size_t ahead = 0) const {
        return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0';
    }

    bool skipSpaces() {
        const std::size_t start = pos_;
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' || s_[pos_] == '\t'))
            ++pos_;
        return pos_ != start;
    }

    bool accept(std::string_view token) {
        skipSpaces();
        if (s_.substr(pos_, token.size()) != token)
            return false;
        pos_ += token.size();
        return true;
    }

    struct Depth {
        explicit Depth(Parser& p) : parser(p) {
            if (++parser.depth_ > limits::maxFormulaNestingDepth)
                parser.fail("the formula nests too deeply");
        }
        ~Depth() { --parser.depth_; }
        Parser& parser;
    };

    static NodePtr binary(Op op, NodePtr left, NodePtr right) {
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Binary;
        node->op = op;
        node->children.push_back(std::move(left));
        node->children.push_back(std::move(right));
        return node;
    }

    static NodePtr unary(Op op, NodePtr operand) {
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Unary;
        node->op = op;
        node->children.push_back(std::move(operand));
        return node;
    }

    NodePtr expression() {
        Depth depth(*this);
        NodePtr left = concatenation();
        for (;;) {
            Op op;
            if (accept("<>"))
                op = Op::NotEqual;
            else if (accept("<="))
                op = Op::LessEqual;
            else if (accept(">="))
                op = Op::GreaterEqual;
            else if (accept("<"))
                op = Op::Less;
            else if (accept(">"))
                op = Op::Greater;
            else if (accept("="))
                op = Op::Equal;
            else
                return left;
            left = binary(op, std::move(left), concatenation());
        }
    }

    NodePtr concatenation() {
        NodePtr left = additive();
        while (accept("&"))
            left = binary(Op::Concat, std::move(left), additive());
        return left;
    }

    NodePtr additive() {
        NodePtr left = multiplicative();
        for (;;) {
            if (accept("+"))
                left = binary(Op::Add, std::move(left), multiplicative());
            else if (accept("-"))
                left = binary(Op::Subtract, std::move(left), multiplicative());
            else
                return left;
        }
    }

    NodePtr multiplicative() {
        NodePtr left = power();
        for (;;) {
            if (accept("*"))
                left = binary(Op::Multiply, std::move(left), power());
            else if (accept("/"))
                left = binary(Op::Divide, std::move(left), power());
            else
                return left;
        }
    }

    NodePtr power() {
        NodePtr left = percent();
        while (accept("^"))
            left = binary(Op::Power, std::move(left), percent());
        return left;
    }

    NodePtr percent() {
        NodePtr operand = negation();
        while (accept("%"))
            operand = unary(Op::Percent, std::move(operand));
        return operand;
    }

    // Unary minus binds tighter than '^': -2^2 is 4.
    NodePtr negation() {
        Depth depth(*this);
        if (accept("-"))
            return unary(Op::Negate, negation());
        if (accept("+"))
            return unary(Op::Plus, negation());
        return intersection();
    }

    static bool mayBeReference(const Node& node) {
        return node.kind == Node::Kind::Ref || node.kind == Node::Kind::Name ||
               node.kind == Node::Kind::Call || node.kind == Node::Kind::BadRef ||
               (node.kind == Node::Kind::Binary &&
                (node.op == Op::Range || node.op == Op::Intersect || node.op == Op::Union));
    }

    // A space between two references is their intersection.
    NodePtr intersection() {
        NodePtr left = range();
        for (;;) {
            const std::size_t save = pos_;
            const bool spaced = skipSpaces();
            const char c = peek();
            if (spaced && mayBeReference(*left) &&
                (isNameStart(c) || c == '$' || c == '\'' || c == '(')) {
                left = binary(Op::Intersect, std::move(left), range());
                continue;
            }
            pos_ = save;
            return left;
        }
    }

    NodePtr range() {
        NodePtr left = primary();
        while (mayBeReference(*left) && peek() == ':') {
            ++pos_;
            left = binary(Op::Range, std::move(left), primary());
        }
        return left;
    }

    NodePtr primary() {
        Depth depth(*this);
        skipSpaces();
        const char c = peek();
        if (c == '\0')
            fail("the formula ends early");
        if (c == '(') {
            ++pos_;
            NodePtr inner = expression();
            while (accept(","))
                inner = binary(Op::Union, std::move(inner), expression());
            if (!accept(")"))
                fail("')' expected");
            return inner;
        }
        if (c == '{')
            return arrayConstant();
        if (c == '"')
            return constant(Value::of(stringLiteral()));
        if (c == '#') {
            std::size_t length = 0;
            const auto error = errorLiteral(s_.substr(pos_), length);
            if (!error)
                fail("unknown error literal");
            pos_ += length;
            if (*error == CellError::Ref) {
                auto node = std::make_unique<Node>();
                node->kind = Node::Kind::BadRef;
                return node;
            }
            return constant(Value::fail(*error));
        }
        if (c == '[')
            if (NodePtr inside = structured(nullptr))
                return inside;
        if (NodePtr ref = reference())
            return ref;
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.')
            return constant(Value::of(number()));
        if (isNameStart(c))
            return identifier();
        fail("unexpected '" + std::string(1, c) + "'");
    }

    double number() {
        const std::size_t start = pos_;
        while (std::isdigit(static_cast<unsigned char>(peek())))
            ++pos_;
        if (peek() == '.') {
            ++pos_;
            while (std::isdigit(static_cast<unsigned char>(peek())))
                ++pos_;
        }
        if ((peek() == 'e' || peek() == 'E') &&
            (std::isdigit(static_cast<unsigned char>(peek(1))) ||
             ((peek(1) == '+' || peek(1) == '-') &&
              std::isdigit(static_cast<unsigned char>(peek(2)))))) {
            pos_ += 2;
            while (std::isdigit(static_cast<unsigned char>(peek())))
                ++pos_;
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(s_.data() + start, s_.data() + pos_, value);
        if (ec != std::errc() || end != s_.data() + pos_)
            fail("malformed number");
        return value;
    }

    std::string stringLiteral() {
        ++pos_; // opening quote
        std::string text;
        for (;;) {
            if (pos_ >= s_.size())
                fail("unterminated text");
            if (s_[pos_] == '"') {
                if (peek(1) == '"') {
                    text += '"';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return text;
            }
            text += s_[pos_++];
        }
    }

    NodePtr arrayConstant() {
        ++pos_; // '{'
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Array;
        std::uint32_t col = 0;
        for (;;) {
            skipSpaces();
            bool negative = false;
            if (peek() == '-' || peek() == '+') {
                negative = peek() == '-';
                ++pos_;
            }
            const char c = peek();
            Value element;
            if (c == '"') {
                element = Value::of(stringLiteral());
            } else if (c == '#') {
                std::size_t length = 0;
                const auto error = errorLiteral(s_.substr(pos_), length);
                if (!error)
                    fail("unknown error literal");
                pos_ += length;
                element = Value::fail(*error);
            } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
                element = Value::of(negative ? -number() : number());
            } else if (upper(s_.substr(pos_, 4)) == "TRUE") {
                pos_ += 4;
                element = Value::of(true);
            } else if (upper(s_.substr(pos_, 5)) == "FALSE") {
                pos_ += 5;
                element = Value::of(false);
            } else {
                fail("array constants hold only constants");
            }
            node->children.push_back(constant(std::move(element)));
            ++col;
            skipSpaces();
            const char sep = peek();
            ++pos_;
            if (sep == ',')
                continue;
            if (node->rows == 0)
                node->cols = col;
            else if (col != node->cols)
                fail("the rows of an array constant differ in length");
            ++node->rows;
            col = 0;
            if (sep == ';')
                continue;
            if (sep == '}')
                return node;
            --pos_;
            fail("'}' expected");
        }
    }

    NodePtr identifier() {
        const std::size_t start = pos_;
        while (isNameChar(peek()))
            ++pos_;
        std::string name(s_.substr(start, pos_ - start));
        if (peek() == '[' && ctx_.findTable)
            if (const Table* table = ctx_.findTable(name))
                if (NodePtr ref = structured(table))
                    return ref;
        const std::size_t save = pos_;
        skipSpaces();
        if (peek() == '(') {
            ++pos_;
            return invocations(call(std::move(name)));
        }
        pos_ = save;
        const std::string up = upper(name);
        if (up == "TRUE" || up == "FALSE")
            return constant(Value::of(up == "TRUE"));
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Name;
        node->text = std::move(name);
        node->ref.firstSheet = std::numeric_limits<std::uint32_t>::max();
        return node;
    }

    // LAMBDA(x,x+1)(2): a call of the function a call answers with.
    NodePtr invocations(NodePtr callee) {
        while (peek() == '(') {
            ++pos_;
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Invoke;
            node->children.push_back(std::move(callee));
            arguments(*node);
            callee = std::move(node);
        }
        return callee;
    }

    NodePtr call(std::string name) {
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Call;
        std::string_view bare = name;
        for (bool stripped = true; stripped;) {
            stripped = false;
            for (std::string_view prefix : {"_xlfn.", "_xlws.", "_xludf.", "com.microsoft."}) {
                if (bare.size() > prefix.size() &&
                    upper(bare.substr(0, prefix.size())) == upper(prefix)) {
                    bare.remove_prefix(prefix.size());
                    stripped = true;
                }
            }
        }
        node->text = upper(bare);
        node->function = findFunction(node->text);
        arguments(*node);
        // A1.:.E5, A1.:E5 and A1:.E5 as files write them: _xlfn._TRO_ALL(A1:E5) ...
        if (const int mode = trimMode(node->text); mode != 0 && node->children.size() == 1)
            return trimmed(std::move(node->children.front()), mode);
        return node;
    }

    // What a trim-ref function trims, as TRIMRANGE's rows and columns argument: 1 the leading
    // blanks, 2 the trailing ones, 3 both; 0 for any other function.
    static int trimMode(std::string_view name) {
        if (name == "_TRO_LEADING")
            return 1;
        if (name == "_TRO_TRAILING")
            return 2;
        if (name == "_TRO_ALL")
            return 3;
        return 0;
    }

    // `range` trimmed as TRIMRANGE(range, mode, mode) trims it.
    static NodePtr trimmed(NodePtr range, int mode) {
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Call;
        node->text = "TRIMRANGE";
        node->function = findFunction(node->text);
        node->children.push_back(std::move(range));
        node->children.push_back(constant(Value::of(static_cast<double>(mode))));
        node->children.push_back(constant(Value::of(static_cast<double>(mode))));
        return node;
    }

    // The arguments after '(' up to the closing ')'.
    void arguments(Node& node) {
        skipSpaces();
        if (peek() == ')') {
            ++pos_;
            return;
        }
        for (;;) {
            skipSpaces();
            if (peek() == ',' || peek() == ')') {
                auto missing = std::make_unique<Node>();
                missing->kind = Node::Kind::Missing;
                node.children.push_back(std::move(missing));
            } else {
                node.children.push_back(expression());
            }
            if (node.children.size() > 255)
                fail("too many arguments");
            if (accept(","))
                continue;
            if (accept(")"))
                return;
            fail("',' or ')' expected");
        }
    }

    // --- references ---

    bool readPart(std::size_t& p, RefPart& part) const {
        part = {};
        if (p < s_.size() && s_[p] == '$') {
            part.colAbs = true;
            ++p;
        }
        std::size_t letters = p;
        while (letters < s_.size() && std::isalpha(static_cast<unsigned char>(s_[letters])))
            ++letters;
        if (letters > p) {
            if (letters - p > 3)
                return false;
            const auto col = columnFromLetters(s_.substr(p, letters - p));
            if (!col)
                return false;
            part.hasCol = true;
            part.col = *col;
            p = letters;
        } else if (part.colAbs) {
            // "$1": an absolute row
            part.colAbs = false;
            part.rowAbs = true;
        }
        if (!part.rowAbs && p < s_.size() && s_[p] == '$' && part.hasCol) {
            part.rowAbs = true;
            ++p;
        }
        std::size_t digits = p;
        std::uint64_t row = 0;
        while (digits < s_.size() && std::isdigit(static_cast<unsigned char>(s_[digits]))) {
            row = row * 10 + static_cast<unsigned>(s_[digits] - '0');
            if (row > maxRow + 1)
                return false;
            ++digits;
        }
        if (digits > p) {
            if (row == 0)
                return false;
            part.hasRow = true;
            part.row = static_cast<std::uint32_t>(row - 1);
            p = digits;
        } else if (part.rowAbs && !part.hasCol) {
            return false;
        }
        return part.hasCol || part.hasRow;
    }

    // Table[Column], or [Column] in a formula inside the table: the cells the table's
    // definition gives, or the error they come to. Null leaves the text to the other readings.
    NodePtr structured(const Table* table) {
        const auto length = specifierLength(s_.substr(pos_));
        if (!length)
            return nullptr;
        // "[Book]Sheet!A1" names another workbook.
        const char after = peekAt(pos_ + *length);
        if (!table && (isNameChar(after) || after == '\'' || after == '!'))
            return nullptr;
        if (!table && ctx_.tableAt)
            table = ctx_.tableAt(ctx_.sheet, ctx_.row, ctx_.col);
        if (!table)
            return nullptr;
        const auto resolved = resolveStructured(*table, s_.substr(pos_, *length),
                                                StructuredCaller{ctx_.sheet, ctx_.row});
        pos_ += *length;
        if (const CellError* error = std::get_if<CellError>(&resolved)) {
            if (*error == CellError::Ref)
                return badRef(pos_);
            return constant(Value::fail(*error));
        }
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Ref;
        node->ref = std::get<Reference>(resolved);
        return node;
    }

    bool endsToken(std::size_t p) const {
        if (p >= s_.size())
            return true;
        const char c = s_[p];
        if (isNameChar(c) || c == '(' || c == '!' || c == '[')
            return false;
        return true;
    }

    // Moves a relative coordinate of a shared formula; false when it leaves the grid.
    bool move(std::uint32_t& value, bool absolute, std::uint32_t from, std::uint32_t to,
              std::uint32_t limit) const {
        if (absolute)
            return true;
        std::int64_t moved =
            static_cast<std::int64_t>(value) + static_cast<std::int64_t>(to) - from;
        if (ctx_.wrap) {
            const std::int64_t size = std::int64_t{limit} + 1;
            moved = ((moved % size) + size) % size;
        }
        if (moved < 0 || moved > limit)
            return false;
        value = static_cast<std::uint32_t>(moved);
        return true;
    }

    std::optional<std::uint32_t> sheetNamed(std::string_view name) const {
        return ctx_.findSheet ? ctx_.findSheet(name) : std::nullopt;
    }

    NodePtr badRef(std::size_t end) {
        pos_ = end;
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::BadRef;
        return node;
    }

    NodePtr reference() {
        std::size_t p = pos_;
        std::string first, last;
        bool hasSheet = false, external = false;
        if (peek() == '\'') {
            // The quoted name ends at the first quote that is not doubled.
            ++p;
            while (p < s_.size() && !(s_[p] == '\'' && (p + 1 >= s_.size() || s_[p + 1] != '\'')))
                p += s_[p] == '\'' ? 2 : 1;
            if (p >= s_.size())
                return nullptr;
            ++p;
            const std::string name = sheetNameOf(s_.substr(pos_, p - pos_));
            if (p >= s_.size() || s_[p] != '!')
                return nullptr;
            ++p;
            hasSheet = true;
            if (!name.empty() && name[0] == '[')
                external = true;
            const std::size_t colon = name.find(':');
            first = name.substr(0, colon);
            last = colon == std::string::npos ? first : name.substr(colon + 1);
        } else {
            std::size_t q = p;
            if (q < s_.size() && s_[q] == '[') {
                while (q < s_.size() && s_[q] != ']')
                    ++q;
                ++q;
                external = true;
            }
            const std::size_t nameStart = q;
            while (q < s_.size() && (isNameChar(s_[q]) || s_[q] == ':'))
                ++q;
            if (q < s_.size() && s_[q] == '!' && q > nameStart) {
                hasSheet = true;
                const std::string_view name = s_.substr(nameStart, q - nameStart);
                const std::size_t colon = name.find(':');
                first = std::string(name.substr(0, colon));
                last =
                    colon == std::string_view::npos ? first : std::string(name.substr(colon + 1));
                p = q + 1;
            } else if (external) {
                return nullptr;
            }
        }

        if (hasSheet && p < s_.size() && s_[p] == '#') {
            std::size_t length = 0;
            if (errorLiteral(s_.substr(p), length) == CellError::Ref)
                return badRef(p + length);
        }
        RefPart a, b;
        std::size_t q = p;
        if (!readPart(q, a)) {
            if (hasSheet && isNameStart(peekAt(p))) {
                // A name of a sheet's scope: Sheet1!Total
                std::size_t e = p;
                while (e < s_.size() && isNameChar(s_[e]))
                    ++e;
                auto node = std::make_unique<Node>();
                node->kind = Node::Kind::Name;
                node->text = std::string(s_.substr(p, e - p));
                const auto sheet = sheetNamed(first);
                if (!sheet || external)
                    return badRef(e);
                node->ref.firstSheet = *sheet;
                pos_ = e;
                return node;
            }
            return nullptr;
        }
        bool hasSecond = false;
        // A1:E5, or a trim ref: A1.:.E5 (both ends), A1.:E5 (leading), A1:.E5 (trailing).
        int trim = 0;
        {
            std::size_t r = q;
            const bool leading = r < s_.size() && s_[r] == '.';
            r += leading;
            if (r < s_.size() && s_[r] == ':') {
                ++r;
                const bool trailing = r < s_.size() && s_[r] == '.';
                r += trailing;
                if (readPart(r, b) && b.hasCol == a.hasCol && b.hasRow == a.hasRow) {
                    q = r;
                    hasSecond = true;
                    trim = (leading ? 1 : 0) + (trailing ? 2 : 0);
                }
            }
        }
        if (!endsToken(q))
            return nullptr;
        if (!hasSecond) {
            if (!a.hasCol || !a.hasRow)
                return nullptr; // "A" or "12" alone is a name or a number
            b = a;
        }
        if (external)
            return badRef(q);

        Reference ref;
        if (hasSheet) {
            const auto s1 = sheetNamed(first);
            const auto s2 = sheetNamed(last);
            if (!s1 || !s2)
                return badRef(q);
            ref.firstSheet = std::min(*s1, *s2);
            ref.lastSheet = std::max(*s1, *s2);
        } else {
            ref.firstSheet = ref.lastSheet = ctx_.sheet;
        }
        std::uint32_t r1 = a.hasRow ? a.row : 0, r2 = b.hasRow ? b.row : maxRow;
        std::uint32_t c1 = a.hasCol ? a.col : 0, c2 = b.hasCol ? b.col : maxCol;
        bool ok = true;
        if (a.hasRow)
            ok = ok && move(r1, a.rowAbs, ctx_.originRow, ctx_.row, maxRow);
        if (b.hasRow)
            ok = ok && move(r2, b.rowAbs, ctx_.originRow, ctx_.row, maxRow);
        if (a.hasCol)
            ok = ok && move(c1, a.colAbs, ctx_.originCol, ctx_.col, maxCol);
        if (b.hasCol)
            ok = ok && move(c2, b.colAbs, ctx_.originCol, ctx_.col, maxCol);
        if (!ok)
            return badRef(q);
        ref.firstRow = std::min(r1, r2);
        ref.lastRow = std::max(r1, r2);
        ref.firstCol = std::min(c1, c2);
        ref.lastCol = std::max(c1, c2);
        pos_ = q;
        auto node = std::make_unique<Node>();
        node->kind = Node::Kind::Ref;
        node->ref = ref;
        if (trim != 0)
            return trimmed(std::move(node), trim);
        // A1#: the block the dynamic array formula anchored there spilled over.
        if (peek() == '#' && ref.isCell() && !isNameChar(peekAt(pos_ + 1))) {
            ++pos_;
            auto spilled = std::make_unique<Node>();
            spilled->kind = Node::Kind::Call;
            spilled->text = "ANCHORARRAY";
            spilled->children.push_back(std::move(node));
            return spilled;
        }
        return node;
    }

    char peekAt(std::size_t p) const { return p < s_.size() ? s_[p] : '\0'; }

    std::string_view s_;
    const ParseContext& ctx_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

} // namespace

std::optional<std::uint32_t> columnFromLetters(std::string_view letters) {
    if (letters.empty() || letters.size() > 3)
        return std::nullopt;
    std::uint32_t col = 0;
    for (char c : letters) {
        if (!std::isalpha(static_cast<unsigned char>(c)))
            return std::nullopt;
        col = col * 26 + static_cast<std::uint32_t>(util::asciiUpper(c) - 'A' + 1);
    }
    if (col == 0 || col - 1 > maxCol)
        return std::nullopt;
    return col - 1;
}

ParseResult parseFormula(std::string_view text, const ParseContext& context) {
    ParseResult result;
    if (!text.empty() && text[0] == '=')
        text.remove_prefix(1);
    try {
        Parser parser(text, context);
        result.root = parser.parse();
    } catch (const ParseFailure& failure) {
        result.error = failure.what();
    }
    return result;
}

std::string sheetNameOf(std::string_view written) {
    if (written.size() < 2 || written.front() != '\'' || written.back() != '\'')
        return std::string(written);
    written = written.substr(1, written.size() - 2);
    std::string name;
    for (std::size_t i = 0; i < written.size(); ++i) {
        name += written[i];
        if (written[i] == '\'' && i + 1 < written.size() && written[i + 1] == '\'')
            ++i;
    }
    return name;
}

} // namespace engine::formula
