#include "tests/engine/functions/FunctionCalls.h"

#include <gtest/gtest.h>

using qmtest::expectAll;

namespace {

TEST(ComplexFunctions, TextIsReadAndWrittenAsTheApplicationDoes) {
    expectAll({
        {"COMPLEX(3, 4)", "3+4i"},
        {"COMPLEX(3, -1, \"j\")", "3-j"},
        {"COMPLEX(0, 1)", "i"},
        {"COMPLEX(0, 0)", "0"},
        {"COMPLEX(1e-16, 0)", "0.0000000000000001"},
        {"COMPLEX(1e-20, 0)", "1E-20"},
        {"COMPLEX(1, 1, \"k\")", "#VALUE!"},
        {"COMPLEX(TRUE, 1)", "#VALUE!"},
        {"IMREAL(\"-2.5e1+3i\")", "-25"},
        {"IMAGINARY(\"-j\")", "-1"},
        {"IMAGINARY(\"4\")", "0"},
        {"IMREAL(\"3 + 4i\")", "#NUM!"},
        {"IMREAL(\"i3\")", "#NUM!"},
        {"IMABS(\"3+4i\")", "5"},
        {"IMARGUMENT(0)", "#DIV/0!"},
    });
}

TEST(ComplexFunctions, ArithmeticKeepsTheSuffixAndRejectsMixedOnes) {
    expectAll({
        {"IMSUM(\"1+2j\", \"3-j\")", "4+j"},
        {"IMSUM(\"1+2j\", \"3-i\")", "#VALUE!"},
        {"IMPRODUCT({\"1+i\", \"1-i\"})", "2"},
        {"IMPRODUCT([\"1+i\", _])", "0"},
        {"IMSUB(\"1+i\", \"1+i\")", "0"},
        {"IMDIV(\"1+i\", 0)", "#NUM!"},
        {"IMDIV(\"-238+240i\", \"10+24i\")", "5+12i"},
        {"IMPOWER(\"2+3i\", 2)", "-5+12i"},
        {"IMSQRT(\"-4\")", "2i"},
        {"IMLN(0)", "#NUM!"},
        {"IMCSC(0)", "#NUM!"},
        {"IMCONJUGATE(\"3+4i\")", "3-4i"},
        {"IMEXP(\"0\")", "1"},
    });
}

} // namespace
