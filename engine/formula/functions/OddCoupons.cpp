// Bonds with an odd first or last coupon period (ODDFPRICE, ODDFYIELD, ODDLPRICE, ODDLYIELD):
// the odd period is cut into quasi-coupon periods of the regular schedule, each weighted by its
// days over its normal length.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/DayCounts.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <cmath>
#include <functional>
#include <optional>

namespace engine::formula::functions {
namespace {

using namespace daycount;

// The arguments both kinds share: the dates, the coupon rate, the redemption value, the
// frequency and the basis. `given` is the yield or the price, whichever the function is not.
struct OddBond {
    Dates dates;
    std::int64_t odd = 0; // issue (odd first) or last interest date (odd last)
    std::int64_t firstCoupon = 0;
    double rate = 0, given = 0, redemption = 0;
    int frequency = 1;
    int step() const { return 12 / frequency; }
};

// Reads settlement, maturity, the odd period's dates (`oddDates` of them) and the numbers
// after them; false with the reader's error set.
bool readOddBond(Reader& r, int oddDates, OddBond& bond) {
    bond.dates.system = r.context().dateSystem();
    const std::size_t numbers = 2 + static_cast<std::size_t>(oddDates);
    bond.rate = r.numberNotBoolean(numbers);
    bond.given = r.numberNotBoolean(numbers + 1);
    bond.redemption = r.numberNotBoolean(numbers + 2);
    if (r.failed() || !dayArg(r, 0, bond.dates.settlement) || !dayArg(r, 1, bond.dates.maturity) ||
        !dayArg(r, 2, bond.odd) || (oddDates == 2 && !dayArg(r, 3, bond.firstCoupon)) ||
        !frequencyArg(r, numbers + 3, bond.frequency) ||
        !basisArg(r, numbers + 4, bond.dates.basis))
        return false;
    if (bond.rate < 0 || bond.redemption <= 0) {
        r.fail(CellError::Num);
        return false;
    }
    return true;
}

// What the price of a bond with an odd first period is made of.
struct OddFirst {
    double redemption = 0, coupon = 0; // coupon: one period's payment per 100
    double counted = 0;                // the odd period's days over normal lengths
    double accrued = 0;                // the same up to settlement
    double wholePeriods = 0;           // quasi-coupon periods after settlement's, to the first
    double fraction = 0;               // settlement to the next quasi-coupon date, in periods
    int regular = 0;                   // coupons after the first, to maturity

    double price(double yield, double frequency) const {
        const double g = 1 + yield / frequency, lead = wholePeriods + fraction;
        double sum =
            redemption / std::pow(g, regular + lead) + coupon * counted / std::pow(g, lead);
        for (int k = 1; k <= regular; ++k)
            sum += coupon / std::pow(g, k + lead);
        return sum - coupon * accrued;
    }
};

// The normal length of the quasi-coupon period from `from` to `to` in an odd first period.
double firstPeriodLength(const OddBond& bond, std::int64_t from, std::int64_t to) {
    switch (bond.dates.basis) {
    case 1:
        return static_cast<double>(to - from);
    case 3:
        return 365.0 / bond.frequency;
    default:
        return 360.0 / bond.frequency;
    }
}

std::optional<OddFirst> oddFirst(const OddBond& bond, Budget& budget) {
    const Dates& d = bond.dates;
    if (!(d.maturity > bond.firstCoupon && bond.firstCoupon > d.settlement &&
          d.settlement > bond.odd))
        return std::nullopt;
    const auto quasi = [&](int k) { return shiftMonths(d, bond.firstCoupon, -k * bond.step()); };
    OddFirst parts;
    parts.redemption = bond.redemption;
    parts.coupon = 100 * bond.rate / bond.frequency;
    // Back from the first coupon, period by period, until one starts on or before issue.
    for (int k = 1;; ++k) {
        if (!budget.take())
            return std::nullopt;
        const std::int64_t start = quasi(k), end = quasi(k - 1);
        const double length = firstPeriodLength(bond, start, end);
        const std::int64_t from = std::max(bond.odd, start);
        // A whole quasi-coupon period is one coupon, whatever its day count says.
        const auto share = [&](std::int64_t a, std::int64_t b) {
            return a == start && b == end ? 1.0 : d.days(a, b) / length;
        };
        parts.counted += share(from, end);
        if (d.settlement > from)
            parts.accrued += share(from, std::min(d.settlement, end));
        if (start <= d.settlement && d.settlement < end) {
            parts.wholePeriods = k - 1;
            // 30/360 counts what is left of the period, so month ends do not shift it.
            const double toNext =
                d.basis == 0 ? length - d.days(start, d.settlement) : d.days(d.settlement, end);
            parts.fraction = toNext / length;
        }
        if (start <= bond.odd)
            break;
    }
    while (shiftMonths(d, bond.firstCoupon, (parts.regular + 1) * bond.step()) <= d.maturity) {
        if (!budget.take())
            return std::nullopt;
        ++parts.regular;
    }
    return parts;
}

Value oddFirstPrice(Args args, CallContext& c) {
    Reader r(args, c);
    OddBond bond;
    if (!readOddBond(r, 2, bond))
        return r.error();
    if (bond.given < 0)
        return numError();
    Budget budget(c);
    const std::optional<OddFirst> parts = oddFirst(bond, budget);
    if (!parts)
        return budget.spent() ? Value::fail(CellError::Value) : numError();
    return numberOrNum(parts->price(bond.given, bond.frequency));
}

// The yield at which `price` (falling as the yield rises) gives `target`: bisection from a
// bracket, which needs no derivative and cannot wander off.
std::optional<double> solveYield(const std::function<double(double)>& price, double target,
                                 double frequency) {
    double low = -frequency * 0.999999, high = 1;
    while (price(high) > target) {
        high *= 2;
        if (high > 1e6)
            return std::nullopt;
    }
    if (!(price(low) >= target))
        return std::nullopt;
    for (int i = 0; i < 300 && high - low > 1e-16 * std::max(1.0, std::fabs(high)); ++i) {
        const double mid = (low + high) / 2;
        (price(mid) > target ? low : high) = mid;
    }
    return (low + high) / 2;
}

Value oddFirstYield(Args args, CallContext& c) {
    Reader r(args, c);
    OddBond bond;
    if (!readOddBond(r, 2, bond))
        return r.error();
    if (bond.given <= 0)
        return numError();
    Budget budget(c);
    const std::optional<OddFirst> parts = oddFirst(bond, budget);
    if (!parts)
        return budget.spent() ? Value::fail(CellError::Value) : numError();
    const double f = bond.frequency;
    const auto yield =
        solveYield([&](double y) { return parts->price(y, f); }, bond.given, bond.frequency);
    return yield ? numberOrNum(*yield) : numError();
}

// The sums over the quasi-coupon periods of an odd last period, each in days over the period's
// normal length: `counted` to maturity, `accrued` to settlement, `remaining` after it.
struct OddLast {
    double counted = 0, accrued = 0, remaining = 0;
};

std::optional<OddLast> oddLast(const OddBond& bond, Budget& budget) {
    const Dates& d = bond.dates;
    if (!(d.maturity > d.settlement && d.settlement > bond.odd))
        return std::nullopt;
    OddLast sums;
    for (int k = 1;; ++k) {
        if (!budget.take())
            return std::nullopt;
        const std::int64_t start = shiftMonths(d, bond.odd, (k - 1) * bond.step());
        const std::int64_t end = shiftMonths(d, bond.odd, k * bond.step());
        const double length = d.basis == 0 || d.basis == 4 ? 360.0 / bond.frequency
                                                           : static_cast<double>(end - start);
        const std::int64_t last = std::min(end, d.maturity);
        sums.counted += d.days(start, last) / length;
        if (d.settlement > start)
            sums.accrued += d.days(start, std::min(end, d.settlement)) / length;
        if (d.settlement < last)
            sums.remaining += d.days(std::max(start, d.settlement), last) / length;
        if (end >= d.maturity)
            break;
    }
    return sums;
}

template <bool yieldOf> Value oddLastPeriod(Args args, CallContext& c) {
    Reader r(args, c);
    OddBond bond;
    if (!readOddBond(r, 1, bond))
        return r.error();
    if (yieldOf ? bond.given <= 0 : bond.given < 0)
        return numError();
    Budget budget(c);
    const std::optional<OddLast> sums = oddLast(bond, budget);
    if (!sums)
        return budget.spent() ? Value::fail(CellError::Value) : numError();
    const double f = bond.frequency, coupon = 100 * bond.rate / f;
    const double atMaturity = bond.redemption + sums->counted * coupon;
    if (!yieldOf)
        return numberOrNum(atMaturity / (1 + sums->remaining * bond.given / f) -
                           sums->accrued * coupon);
    const double paid = bond.given + sums->accrued * coupon;
    return numberOrNum((atMaturity - paid) / paid * f / sums->remaining);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"ODDFPRICE", 8, 9, oddFirstPrice},
    FunctionInfo{"ODDFYIELD", 8, 9, oddFirstYield},
    FunctionInfo{"ODDLPRICE", 7, 8, oddLastPeriod<false>},
    FunctionInfo{"ODDLYIELD", 7, 8, oddLastPeriod<true>},
};

} // namespace

std::span<const FunctionInfo> oddCouponFunctions() {
    return table;
}

} // namespace engine::formula::functions
