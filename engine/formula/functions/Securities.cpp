// Securities: coupon schedules (the COUP* functions), coupon bonds' price, yield and
// duration, discounted and at-maturity securities, Treasury bills and accrued interest.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/DayCounts.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"
#include "engine/util/CivilDate.h"

#include <array>
#include <cmath>
#include <optional>

namespace engine::formula::functions {
namespace {

using namespace daycount;

// The coupon schedule of a bond, counted back from its maturity.
struct Coupons {
    Dates dates;
    int frequency = 1;

    // The coupon date `periods` periods before maturity: the maturity's day of the month, or
    // the month's last day when maturity falls on one.
    std::int64_t before(int periods) const {
        return shiftMonths(dates, dates.maturity, -periods * (12 / frequency));
    }
    // How many periods back from maturity the last coupon on or before settlement lies.
    int periodsToPrevious() const {
        const util::CivilDate s = dates.civil(dates.settlement), m = dates.civil(dates.maturity);
        int n = std::max(0, ((m.year - s.year) * 12 + (m.month - s.month)) * frequency / 12 - 1);
        while (before(n) > dates.settlement)
            ++n;
        while (n > 0 && before(n - 1) <= dates.settlement)
            --n;
        return n;
    }
    std::int64_t previous() const { return before(periodsToPrevious()); }
    std::int64_t next() const { return before(periodsToPrevious() - 1); }
    int count() const { return periodsToPrevious(); }

    double daysBeforeSettlement() const { return dates.days(previous(), dates.settlement); }
    double periodDays() const {
        if (dates.basis == 1)
            return static_cast<double>(next() - previous());
        return (dates.basis == 3 ? 365.0 : 360.0) / frequency;
    }
    double daysToNext() const {
        if (dates.basis == 0)
            return periodDays() - daysBeforeSettlement();
        return dates.days(dates.settlement, next());
    }
};

// settlement, maturity, frequency, [basis] at `first` on; settlement before maturity.
bool couponArgs(Reader& r, std::size_t first, std::size_t frequencyAt, std::size_t basisAt,
                Coupons& out) {
    out.dates.system = r.context().dateSystem();
    if (!dayArg(r, first, out.dates.settlement) || !dayArg(r, first + 1, out.dates.maturity) ||
        !frequencyArg(r, frequencyAt, out.frequency) || !basisArg(r, basisAt, out.dates.basis))
        return false;
    if (out.dates.settlement >= out.dates.maturity) {
        r.fail(CellError::Num);
        return false;
    }
    return true;
}

enum class CouponAsk { DaysBefore, Days, DaysToNext, Next, Count, Previous };

template <CouponAsk ask> Value coupon(Args args, CallContext& c) {
    Reader r(args, c);
    Coupons bond;
    if (!couponArgs(r, 0, 2, 3, bond))
        return r.error();
    switch (ask) {
    case CouponAsk::DaysBefore:
        return Value::of(bond.daysBeforeSettlement());
    case CouponAsk::Days:
        return Value::of(bond.periodDays());
    case CouponAsk::DaysToNext:
        return Value::of(bond.daysToNext());
    case CouponAsk::Next:
        return Value::of(static_cast<double>(bond.next()));
    case CouponAsk::Count:
        return Value::of(static_cast<double>(bond.count()));
    case CouponAsk::Previous:
        break;
    }
    return Value::of(static_cast<double>(bond.previous()));
}

// The price per 100 of face value of a bond paying `rate` yearly, at yield `yield`.
double bondPrice(const Coupons& bond, double rate, double yield, double redemption) {
    // The rest of the period is what the period's length leaves after the days accrued, even
    // where the basis counts the period in nominal days.
    const double e = bond.periodDays(), a = bond.daysBeforeSettlement(), dsc = e - a;
    const int n = bond.count();
    const double f = bond.frequency, couponPay = 100 * rate / f;
    if (n == 1)
        return (redemption + couponPay) / (1 + dsc / e * yield / f) - couponPay * a / e;
    double price = redemption / std::pow(1 + yield / f, n - 1 + dsc / e);
    for (int k = 1; k <= n; ++k)
        price += couponPay / std::pow(1 + yield / f, k - 1 + dsc / e);
    return price - couponPay * a / e;
}

Value price(Args args, CallContext& c) {
    Reader r(args, c);
    Coupons bond;
    const double rate = r.numberNotBoolean(2), yield = r.numberNotBoolean(3),
                 redemption = r.numberNotBoolean(4);
    if (r.failed() || !couponArgs(r, 0, 5, 6, bond))
        return r.error();
    if (rate < 0 || yield < 0 || redemption <= 0)
        return numError();
    return numberOrNum(bondPrice(bond, rate, yield, redemption));
}

Value yield(Args args, CallContext& c) {
    Reader r(args, c);
    Coupons bond;
    const double rate = r.numberNotBoolean(2), pr = r.numberNotBoolean(3),
                 redemption = r.numberNotBoolean(4);
    if (r.failed() || !couponArgs(r, 0, 5, 6, bond))
        return r.error();
    if (rate < 0 || pr <= 0 || redemption <= 0)
        return numError();
    const double f = bond.frequency;
    if (bond.count() == 1) {
        const double e = bond.periodDays(), a = bond.daysBeforeSettlement(), dsr = e - a;
        const double paid = pr / 100 + a / e * rate / f;
        return numberOrNum((redemption / 100 + rate / f - paid) / paid * f * e / dsr);
    }
    // Price falls as yield rises: bisect on a bracket, then polish with Newton's steps.
    double low = 0, high = 1;
    while (bondPrice(bond, rate, high, redemption) > pr && high < 1e6)
        high *= 2;
    if (bondPrice(bond, rate, low, redemption) < pr)
        return numError();
    double y = (low + high) / 2;
    for (int i = 0; i < 200 && high - low > 1e-15; ++i) {
        y = (low + high) / 2;
        if (bondPrice(bond, rate, y, redemption) > pr)
            low = y;
        else
            high = y;
    }
    return numberOrNum(y);
}

// Macaulay duration in years of a bond paying `coupon` yearly, at yield `yield`.
double macaulay(const Coupons& bond, double coupon, double yield) {
    const double f = bond.frequency, dsc = bond.daysToNext() / bond.periodDays();
    const int n = bond.count();
    const double pay = 100 * coupon / f, g = 1 + yield / f;
    double weighted = 0, total = 0;
    for (int k = 1; k <= n; ++k) {
        const double t = k - 1 + dsc;
        const double flow = (k == n ? pay + 100 : pay) / std::pow(g, t);
        weighted += t * flow;
        total += flow;
    }
    return weighted / total / f;
}

template <bool modified> Value duration(Args args, CallContext& c) {
    Reader r(args, c);
    Coupons bond;
    const double coupon = r.numberNotBoolean(2), yield = r.numberNotBoolean(3);
    if (r.failed() || !couponArgs(r, 0, 4, 5, bond))
        return r.error();
    if (coupon < 0 || yield < 0)
        return numError();
    const double d = macaulay(bond, coupon, yield);
    return numberOrNum(modified ? d / (1 + yield / bond.frequency) : d);
}

// settlement, maturity and a basis at `basisAt`, for the securities without coupons.
bool discountArgs(Reader& r, std::size_t basisAt, Dates& out) {
    out.system = r.context().dateSystem();
    if (!dayArg(r, 0, out.settlement) || !dayArg(r, 1, out.maturity) ||
        !basisArg(r, basisAt, out.basis))
        return false;
    if (out.settlement >= out.maturity) {
        r.fail(CellError::Num);
        return false;
    }
    return true;
}

enum class Discounted { Disc, IntRate, Received, PriceDisc, YieldDisc };

// DISC, INTRATE, RECEIVED, PRICEDISC and YIELDDISC: two amounts and the share of a year the
// security runs.
template <Discounted kind> Value discounted(Args args, CallContext& c) {
    Reader r(args, c);
    Dates dates;
    const double first = r.numberNotBoolean(2), second = r.numberNotBoolean(3);
    if (r.failed() || !discountArgs(r, 4, dates))
        return r.error();
    if (first <= 0 || second <= 0)
        return numError();
    const double years =
        dates.days(dates.settlement, dates.maturity) / dates.year(dates.settlement, dates.maturity);
    switch (kind) {
    case Discounted::Disc: // price, redemption
        return numberOrNum((second - first) / second / years);
    case Discounted::IntRate: // investment, redemption
        return numberOrNum((second - first) / first / years);
    case Discounted::Received: { // investment, discount
        const double share = 1 - second * years;
        if (share <= 0)
            return numError();
        return numberOrNum(first / share);
    }
    case Discounted::PriceDisc: // discount, redemption
        return numberOrNum(second - first * second * years);
    case Discounted::YieldDisc: // price, redemption
        break;
    }
    return numberOrNum((second - first) / first / years);
}

// PRICEMAT and YIELDMAT: a security paying interest from issue at maturity.
template <bool yieldOf> Value atMaturity(Args args, CallContext& c) {
    Reader r(args, c);
    Dates dates;
    std::int64_t issue = 0;
    const double rate = r.numberNotBoolean(3), given = r.numberNotBoolean(4);
    if (r.failed() || !dayArg(r, 2, issue) || !discountArgs(r, 5, dates))
        return r.error();
    if (rate < 0 || given < 0 || (yieldOf && given == 0))
        return numError();
    const double b = dates.year(dates.settlement, dates.maturity);
    const double dim = dates.days(issue, dates.maturity) / b;
    const double a = dates.days(issue, dates.settlement) / b;
    const double dsm = dates.days(dates.settlement, dates.maturity) / b;
    if (!yieldOf)
        return numberOrNum((100 + dim * rate * 100) / (1 + dsm * given) - a * rate * 100);
    const double paid = given / 100 + a * rate;
    return numberOrNum(((1 + dim * rate) - paid) / paid / dsm);
}

// ACCRINT: the interest accrued from issue (or, asked so, leaving out the coupons already paid)
// to settlement, measured on the coupon schedule the first interest date sets.
Value accruedInterest(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t issue = 0, firstInterest = 0;
    Dates dates;
    dates.system = c.dateSystem();
    int frequency = 1;
    const double rate = r.numberNotBoolean(3);
    const double par = r.given(4) ? r.numberNotBoolean(4) : 1000;
    if (r.failed() || !dayArg(r, 0, issue) || !dayArg(r, 1, firstInterest) ||
        !dayArg(r, 2, dates.settlement) || !frequencyArg(r, 5, frequency) ||
        !basisArg(r, 6, dates.basis))
        return r.error();
    const bool fromIssue = r.given(7) ? r.boolean(7) : true;
    if (r.failed())
        return r.error();
    if (rate <= 0 || par <= 0 || issue >= dates.settlement)
        return numError();
    const int step = 12 / frequency;
    // The period holding `day`, found from the first interest date in whole periods.
    const auto periodOf = [&](std::int64_t day) {
        const util::CivilDate a = dates.civil(day), f = dates.civil(firstInterest);
        int k = ((a.year - f.year) * 12 + (a.month - f.month)) / step - 1;
        while (shiftMonths(dates, firstInterest, k * step) > day)
            --k;
        while (shiftMonths(dates, firstInterest, (k + 1) * step) <= day)
            ++k;
        return k;
    };
    const auto coupon = [&](int k) { return shiftMonths(dates, firstInterest, k * step); };
    // A period's normal length: actual days for basis 1, else the basis's year over frequency.
    const auto normal = [&](std::int64_t from, std::int64_t to) {
        return dates.basis == 1   ? static_cast<double>(to - from)
               : dates.basis == 3 ? 365.0 / frequency
                                  : 360.0 / frequency;
    };
    const std::int64_t end = dates.settlement;
    Budget budget(c);
    // Whole periods from `from` (a coupon date, the k-th) up to settlement: each finished one is
    // a coupon, the one settlement ends or falls in its days over `length`.
    const auto periodsUntilSettlement = [&](int k, std::int64_t start, double length) {
        double sum = 0;
        for (std::int64_t from = coupon(k); from < end; ++k) {
            const std::int64_t to = coupon(k + 1);
            if (!budget.take())
                return -1.0;
            const std::int64_t accrualStart = std::max(from, start);
            if (accrualStart == from && to < end)
                sum += 1;
            else
                sum += dates.days(accrualStart, std::min(to, end)) /
                       (length > 0 ? length : normal(from, to));
            from = to;
        }
        return sum;
    };
    // The schedule runs back from the first interest date; `dates` of it lie from issue on.
    const int issuePeriod = periodOf(issue);
    const bool issueOnDate = coupon(issuePeriod) == issue;
    const int couponDates = issueOnDate ? -issuePeriod : -issuePeriod - 1;
    if (couponDates <= 0) {
        // Issued in the last period before the first interest date.
        const double sum = periodsUntilSettlement(issuePeriod, issue, 0);
        if (sum < 0)
            return Value::fail(CellError::Value);
        return numberOrNum(par * rate / frequency * sum);
    }
    // The application counts from the start of the period that ends on the first interest
    // date, in that period's length: settlement before it gives a negative stretch. Issue's
    // broken period before the schedule adds its own share, and counted from issue, every
    // period between them adds one coupon. Asked not to count from issue, the coupons of those
    // periods are left out, and the stretch runs on to settlement in one piece.
    const std::int64_t lastStart = coupon(-1);
    const double length = normal(lastStart, firstInterest);
    double sum = 0;
    if (!issueOnDate) {
        const std::int64_t firstDate = coupon(-couponDates);
        sum += dates.days(issue, firstDate) / normal(coupon(-couponDates - 1), firstDate);
    }
    if (!fromIssue || end <= firstInterest) {
        sum += dates.days(lastStart, end) / length;
        if (fromIssue)
            sum += couponDates - 1;
    } else {
        const double after = periodsUntilSettlement(0, firstInterest, length);
        if (after < 0)
            return Value::fail(CellError::Value);
        sum += couponDates + after;
    }
    return numberOrNum(par * rate / frequency * sum);
}

// ACCRINTM: interest paid at maturity, from issue to settlement.
Value accruedAtMaturity(Args args, CallContext& c) {
    Reader r(args, c);
    Dates dates;
    dates.system = c.dateSystem();
    std::int64_t issue = 0;
    const double rate = r.numberNotBoolean(2);
    const double par = r.given(3) ? r.numberNotBoolean(3) : 1000;
    if (r.failed() || !dayArg(r, 0, issue) || !dayArg(r, 1, dates.settlement) ||
        !basisArg(r, 4, dates.basis))
        return r.error();
    if (rate <= 0 || par <= 0 || issue >= dates.settlement)
        return numError();
    return numberOrNum(par * rate * dates.days(issue, dates.settlement) /
                       dates.year(issue, dates.settlement));
}

enum class Bill { Price, Yield, Equivalent };

// Treasury bills: actual days over 360, a year at most.
template <Bill kind> Value treasuryBill(Args args, CallContext& c) {
    Reader r(args, c);
    std::int64_t settlement = 0, maturity = 0;
    const double given = r.numberNotBoolean(2);
    if (r.failed() || !dayArg(r, 0, settlement) || !dayArg(r, 1, maturity))
        return r.error();
    const auto days = static_cast<double>(maturity - settlement);
    if (days <= 0 || days > 366 || given <= 0)
        return numError();
    // A maturity more than a year after settlement is refused, counted in calendar terms.
    const util::CivilDate s = util::civilFromSerial(settlement, c.dateSystem());
    const util::CivilDate m = util::civilFromSerial(maturity, c.dateSystem());
    if ((m.year - s.year) * 10000 + (m.month - s.month) * 100 + (m.day - s.day) > 10000)
        return numError();
    switch (kind) {
    case Bill::Price: {
        const double value = 100 * (1 - given * days / 360);
        return value <= 0 ? numError() : numberOrNum(value);
    }
    case Bill::Yield:
        return numberOrNum((100 - given) / given * 360 / days);
    case Bill::Equivalent:
        break;
    }
    if (days <= 182)
        return numberOrNum(365 * given / (360 - given * days));
    const double price = 100 * (1 - given * days / 360);
    if (price <= 0)
        return numError();
    // A bill running 366 days spans a leap day, and its year is that long.
    const double t = days / (days > 365 ? 366 : 365);
    const double root = t * t - (2 * t - 1) * (1 - 100 / price);
    if (root < 0)
        return numError();
    return numberOrNum((-t + std::sqrt(root)) / (t - 0.5));
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"ACCRINT", 6, 8, accruedInterest},
    FunctionInfo{"ACCRINTM", 4, 5, accruedAtMaturity},
    FunctionInfo{"COUPDAYBS", 3, 4, coupon<CouponAsk::DaysBefore>},
    FunctionInfo{"COUPDAYS", 3, 4, coupon<CouponAsk::Days>},
    FunctionInfo{"COUPDAYSNC", 3, 4, coupon<CouponAsk::DaysToNext>},
    FunctionInfo{"COUPNCD", 3, 4, coupon<CouponAsk::Next>},
    FunctionInfo{"COUPNUM", 3, 4, coupon<CouponAsk::Count>},
    FunctionInfo{"COUPPCD", 3, 4, coupon<CouponAsk::Previous>},
    FunctionInfo{"DISC", 4, 5, discounted<Discounted::Disc>},
    FunctionInfo{"DURATION", 5, 6, duration<false>},
    FunctionInfo{"INTRATE", 4, 5, discounted<Discounted::IntRate>},
    FunctionInfo{"MDURATION", 5, 6, duration<true>},
    FunctionInfo{"PRICE", 6, 7, price},
    FunctionInfo{"PRICEDISC", 4, 5, discounted<Discounted::PriceDisc>},
    FunctionInfo{"PRICEMAT", 5, 6, atMaturity<false>},
    FunctionInfo{"RECEIVED", 4, 5, discounted<Discounted::Received>},
    FunctionInfo{"TBILLEQ", 3, 3, treasuryBill<Bill::Equivalent>},
    FunctionInfo{"TBILLPRICE", 3, 3, treasuryBill<Bill::Price>},
    FunctionInfo{"TBILLYIELD", 3, 3, treasuryBill<Bill::Yield>},
    FunctionInfo{"YIELD", 6, 7, yield},
    FunctionInfo{"YIELDDISC", 4, 5, discounted<Discounted::YieldDisc>},
    FunctionInfo{"YIELDMAT", 5, 6, atMaturity<true>},
};

} // namespace

std::span<const FunctionInfo> securitiesFunctions() {
    return table;
}

} // namespace engine::formula::functions
