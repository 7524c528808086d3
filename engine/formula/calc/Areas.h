#pragma once
// The blocks functions read their range arguments through: cells of a sheet as the calculation
// sees them, and arrays computed on the way.

#include "engine/formula/Function.h"
#include "engine/formula/calc/Operand.h"

#include <cstddef>
#include <memory>

namespace engine::formula::calc {

class Calculation;

class SheetArea final : public Area {
public:
    SheetArea(Calculation& calc, const Reference& ref, std::uint32_t sheet)
        : calc_(calc), ref_(ref), sheet_(sheet) {}
    std::uint32_t rows() const override { return ref_.rows(); }
    std::uint32_t cols() const override { return ref_.cols(); }
    Value at(std::uint32_t row, std::uint32_t col) const override;
    void forEachValue(const std::function<void(std::uint32_t, std::uint32_t, const Value&)>& visit)
        const override;
    bool isReference() const override { return true; }
    std::uint64_t identity() const override;

private:
    Calculation& calc_;
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

} // namespace engine::formula::calc
