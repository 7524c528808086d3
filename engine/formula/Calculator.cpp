#include "engine/formula/Calculator.h"

#include "engine/formula/calc/Calculation.h"

namespace engine::formula {

void computeFormulas(Workbook& workbook, const CalcOptions& options) {
    calc::Calculation calculation(workbook, options);
    calculation.run();
}

} // namespace engine::formula
