// CONVERT: a number from one unit of measure to another of the same kind, with the metric and
// binary prefixes where a unit takes them.

#include "engine/formula/functions/Args.h"
#include "engine/formula/functions/Families.h"
#include "engine/formula/functions/Numeric.h"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace engine::formula::functions {
namespace {

enum class Kind : std::uint8_t {
    Mass,
    Distance,
    Time,
    Pressure,
    Force,
    Energy,
    Power,
    Magnetism,
    Temperature,
    Volume,
    Area,
    Information,
    Speed,
};

// How a unit takes prefixes: not at all, the metric ones, or the metric and binary ones.
enum class Prefixes : std::uint8_t { None, Metric, Binary };

struct Unit {
    std::string_view name;
    Kind kind;
    // The unit in the kind's base unit (g, m, s, Pa, N, J, W, T, m3, m2, bit, m/s); for
    // temperatures, the size of one degree in kelvin.
    double factor;
    Prefixes prefixes = Prefixes::None;
    // A prefix on an area or volume unit scales each of its lengths: km2 is 1e6 m2.
    int power = 1;
};

// The length units the area and volume units are built from.
constexpr double inch = 0.0254;
constexpr double foot = 0.3048;
constexpr double yard = 0.9144;
constexpr double mile = 1609.344;
constexpr double nauticalMile = 1852;
constexpr double lightYear = 9460730472580800.0;
constexpr double pica = inch / 72;
// The US survey foot the survey mile and the US acre are measured in.
constexpr double surveyFoot = 1200.0 / 3937.0;
constexpr double poundForce = 4.4482216152605;
constexpr double horsepower = 550 * foot * poundForce;

// Which units take a prefix follows the application, odd cases included: uk_pt and mph take
// one, seconds, degrees Celsius and the US pint do not.
constexpr Unit units[] = {
    // Mass, in grams.
    {"g", Kind::Mass, 1, Prefixes::Metric},
    {"sg", Kind::Mass, poundForce / foot * 1000},
    {"lbm", Kind::Mass, 453.59237},
    {"u", Kind::Mass, 1.660538782e-24, Prefixes::Metric},
    {"ozm", Kind::Mass, 453.59237 / 16},
    {"grain", Kind::Mass, 0.06479891},
    {"cwt", Kind::Mass, 45359.237},
    {"shweight", Kind::Mass, 45359.237},
    {"uk_cwt", Kind::Mass, 50802.34544},
    {"lcwt", Kind::Mass, 50802.34544},
    {"hweight", Kind::Mass, 50802.34544},
    {"stone", Kind::Mass, 6350.29318},
    {"ton", Kind::Mass, 907184.74},
    {"uk_ton", Kind::Mass, 1016046.9088},
    {"LTON", Kind::Mass, 1016046.9088},
    {"brton", Kind::Mass, 1016046.9088},
    // Distance, in metres.
    {"m", Kind::Distance, 1, Prefixes::Metric},
    {"mi", Kind::Distance, mile},
    {"Nmi", Kind::Distance, nauticalMile},
    {"in", Kind::Distance, inch},
    {"ft", Kind::Distance, foot},
    {"yd", Kind::Distance, yard},
    {"ang", Kind::Distance, 1e-10, Prefixes::Metric},
    {"ell", Kind::Distance, 45 * inch},
    {"ly", Kind::Distance, lightYear, Prefixes::Metric},
    {"parsec", Kind::Distance, 3.08567758128155e16, Prefixes::Metric},
    {"pc", Kind::Distance, 3.08567758128155e16, Prefixes::Metric},
    {"Picapt", Kind::Distance, pica},
    {"Pica", Kind::Distance, pica},
    {"pica", Kind::Distance, inch / 6},
    {"survey_mi", Kind::Distance, 5280 * surveyFoot},
    // Time, in seconds.
    {"yr", Kind::Time, 365.25 * 86400},
    {"day", Kind::Time, 86400},
    {"d", Kind::Time, 86400},
    {"hr", Kind::Time, 3600},
    {"mn", Kind::Time, 60},
    {"min", Kind::Time, 60},
    {"sec", Kind::Time, 1},
    {"s", Kind::Time, 1},
    // Pressure, in pascals.
    {"Pa", Kind::Pressure, 1, Prefixes::Metric},
    {"p", Kind::Pressure, 1, Prefixes::Metric},
    {"atm", Kind::Pressure, 101325, Prefixes::Metric},
    {"at", Kind::Pressure, 101325, Prefixes::Metric},
    // The conventional rounded millimetre of mercury, unlike the torr's exact 1/760 atm.
    {"mmHg", Kind::Pressure, 133.322, Prefixes::Metric},
    {"psi", Kind::Pressure, poundForce / (inch * inch)},
    {"Torr", Kind::Pressure, 101325.0 / 760},
    // Force, in newtons.
    {"N", Kind::Force, 1, Prefixes::Metric},
    {"dyn", Kind::Force, 1e-5, Prefixes::Metric},
    {"dy", Kind::Force, 1e-5, Prefixes::Metric},
    {"lbf", Kind::Force, poundForce},
    {"pond", Kind::Force, 9.80665e-3, Prefixes::Metric},
    // Energy, in joules.
    {"J", Kind::Energy, 1, Prefixes::Metric},
    {"e", Kind::Energy, 1e-7, Prefixes::Metric},
    {"c", Kind::Energy, 4.184, Prefixes::Metric},
    {"cal", Kind::Energy, 4.1868, Prefixes::Metric},
    {"eV", Kind::Energy, 1.602176487e-19, Prefixes::Metric},
    {"ev", Kind::Energy, 1.602176487e-19, Prefixes::Metric},
    {"HPh", Kind::Energy, horsepower * 3600},
    {"hh", Kind::Energy, horsepower * 3600},
    {"Wh", Kind::Energy, 3600, Prefixes::Metric},
    {"wh", Kind::Energy, 3600, Prefixes::Metric},
    {"flb", Kind::Energy, foot* poundForce},
    {"BTU", Kind::Energy, 1055.05585262},
    {"btu", Kind::Energy, 1055.05585262},
    // Power, in watts.
    {"HP", Kind::Power, horsepower},
    {"h", Kind::Power, horsepower},
    {"PS", Kind::Power, 735.49875},
    {"W", Kind::Power, 1, Prefixes::Metric},
    {"w", Kind::Power, 1, Prefixes::Metric},
    // Magnetism, in teslas.
    {"T", Kind::Magnetism, 1, Prefixes::Metric},
    {"ga", Kind::Magnetism, 1e-4, Prefixes::Metric},
    // Temperature: the factor is the degree's size in kelvin; offsets are in kelvinOf().
    {"C", Kind::Temperature, 1},
    {"cel", Kind::Temperature, 1},
    {"F", Kind::Temperature, 5.0 / 9},
    {"fah", Kind::Temperature, 5.0 / 9},
    {"K", Kind::Temperature, 1, Prefixes::Metric},
    {"kel", Kind::Temperature, 1, Prefixes::Metric},
    {"Rank", Kind::Temperature, 5.0 / 9},
    {"Reau", Kind::Temperature, 1.25},
    // Volume, in cubic metres.
    {"tsp", Kind::Volume, 4.92892159375e-6},
    {"tspm", Kind::Volume, 5e-6},
    {"tbs", Kind::Volume, 3 * 4.92892159375e-6},
    {"oz", Kind::Volume, 6 * 4.92892159375e-6},
    {"cup", Kind::Volume, 48 * 4.92892159375e-6},
    {"pt", Kind::Volume, 96 * 4.92892159375e-6},
    {"us_pt", Kind::Volume, 96 * 4.92892159375e-6},
    {"uk_pt", Kind::Volume, 4.54609e-3 / 8, Prefixes::Metric},
    {"qt", Kind::Volume, 192 * 4.92892159375e-6},
    {"uk_qt", Kind::Volume, 4.54609e-3 / 4},
    {"gal", Kind::Volume, 768 * 4.92892159375e-6},
    {"uk_gal", Kind::Volume, 4.54609e-3},
    {"l", Kind::Volume, 1e-3, Prefixes::Metric},
    {"L", Kind::Volume, 1e-3, Prefixes::Metric},
    {"lt", Kind::Volume, 1e-3, Prefixes::Metric},
    {"ang3", Kind::Volume, 1e-30, Prefixes::Metric, 3},
    {"ang^3", Kind::Volume, 1e-30, Prefixes::Metric, 3},
    {"barrel", Kind::Volume, 42 * 768 * 4.92892159375e-6},
    {"bushel", Kind::Volume, 0.03523907016688},
    {"ft3", Kind::Volume, foot* foot* foot},
    {"ft^3", Kind::Volume, foot* foot* foot},
    {"in3", Kind::Volume, inch* inch* inch},
    {"in^3", Kind::Volume, inch* inch* inch},
    {"ly3", Kind::Volume, lightYear* lightYear* lightYear},
    {"ly^3", Kind::Volume, lightYear* lightYear* lightYear},
    {"m3", Kind::Volume, 1, Prefixes::Metric, 3},
    {"m^3", Kind::Volume, 1, Prefixes::Metric, 3},
    {"mi3", Kind::Volume, mile* mile* mile},
    {"mi^3", Kind::Volume, mile* mile* mile},
    {"yd3", Kind::Volume, yard* yard* yard},
    {"yd^3", Kind::Volume, yard* yard* yard},
    {"Nmi3", Kind::Volume, nauticalMile* nauticalMile* nauticalMile},
    {"Nmi^3", Kind::Volume, nauticalMile* nauticalMile* nauticalMile},
    {"Picapt3", Kind::Volume, pica* pica* pica},
    {"Picapt^3", Kind::Volume, pica* pica* pica},
    {"Pica3", Kind::Volume, pica* pica* pica},
    {"Pica^3", Kind::Volume, pica* pica* pica},
    {"GRT", Kind::Volume, 100 * foot* foot* foot},
    {"regton", Kind::Volume, 100 * foot* foot* foot},
    {"MTON", Kind::Volume, 40 * foot* foot* foot},
    // Area, in square metres.
    {"uk_acre", Kind::Area, 4840 * yard* yard},
    {"us_acre", Kind::Area, 43560 * surveyFoot* surveyFoot},
    {"ang2", Kind::Area, 1e-20, Prefixes::Metric, 2},
    {"ang^2", Kind::Area, 1e-20, Prefixes::Metric, 2},
    {"ar", Kind::Area, 100, Prefixes::Metric},
    {"ft2", Kind::Area, foot* foot},
    {"ft^2", Kind::Area, foot* foot},
    {"ha", Kind::Area, 10000},
    {"in2", Kind::Area, inch* inch},
    {"in^2", Kind::Area, inch* inch},
    {"ly2", Kind::Area, lightYear* lightYear},
    {"ly^2", Kind::Area, lightYear* lightYear},
    {"m2", Kind::Area, 1, Prefixes::Metric, 2},
    {"m^2", Kind::Area, 1, Prefixes::Metric, 2},
    {"Morgen", Kind::Area, 2500},
    {"mi2", Kind::Area, mile* mile},
    {"mi^2", Kind::Area, mile* mile},
    {"Nmi2", Kind::Area, nauticalMile* nauticalMile},
    {"Nmi^2", Kind::Area, nauticalMile* nauticalMile},
    {"Picapt2", Kind::Area, pica* pica},
    {"Picapt^2", Kind::Area, pica* pica},
    {"Pica2", Kind::Area, pica* pica},
    {"Pica^2", Kind::Area, pica* pica},
    {"yd2", Kind::Area, yard* yard},
    {"yd^2", Kind::Area, yard* yard},
    // Information, in bits.
    {"bit", Kind::Information, 1, Prefixes::Binary},
    {"byte", Kind::Information, 8, Prefixes::Binary},
    // Speed, in metres a second.
    {"admkn", Kind::Speed, 6080 * foot / 3600},
    {"kn", Kind::Speed, nauticalMile / 3600},
    {"m/h", Kind::Speed, 1.0 / 3600, Prefixes::Metric},
    {"m/hr", Kind::Speed, 1.0 / 3600, Prefixes::Metric},
    {"m/s", Kind::Speed, 1, Prefixes::Metric},
    {"m/sec", Kind::Speed, 1, Prefixes::Metric},
    {"mph", Kind::Speed, mile / 3600, Prefixes::Metric},
};

struct Prefix {
    std::string_view name;
    double factor;
    bool binary = false;
};

constexpr Prefix prefixes[] = {
    {"Y", 1e24},
    {"Z", 1e21},
    {"E", 1e18},
    {"P", 1e15},
    {"T", 1e12},
    {"G", 1e9},
    {"M", 1e6},
    {"k", 1e3},
    {"h", 1e2},
    {"da", 1e1},
    {"e", 1e1},
    {"d", 1e-1},
    {"c", 1e-2},
    {"m", 1e-3},
    {"u", 1e-6},
    {"n", 1e-9},
    {"p", 1e-12},
    {"f", 1e-15},
    {"a", 1e-18},
    {"z", 1e-21},
    {"y", 1e-24},
    {"Yi", 1208925819614629174706176.0, true},
    {"Zi", 1180591620717411303424.0, true},
    {"Ei", 1152921504606846976.0, true},
    {"Pi", 1125899906842624.0, true},
    {"Ti", 1099511627776.0, true},
    {"Gi", 1073741824.0, true},
    {"Mi", 1048576.0, true},
    {"ki", 1024.0, true},
};

const Unit* exactUnit(std::string_view name) {
    for (const Unit& unit : units) {
        if (unit.name == name) {
            return &unit;
        }
    }
    return nullptr;
}

// A unit as written, with its prefix's scale folded into `scale`.
struct Measure {
    const Unit* unit = nullptr;
    double scale = 1;
};

// Names are case-sensitive; a name that is a unit of its own ("Pa", "min", "ft") is never read
// as a prefix and a unit.
std::optional<Measure> readUnit(std::string_view name) {
    if (const Unit* unit = exactUnit(name)) {
        return Measure{unit, unit->factor};
    }
    for (const Prefix& prefix : prefixes) {
        if (name.size() <= prefix.name.size() || !name.starts_with(prefix.name)) {
            continue;
        }
        const Unit* unit = exactUnit(name.substr(prefix.name.size()));
        if (unit == nullptr || unit->prefixes == Prefixes::None ||
            (prefix.binary && unit->prefixes != Prefixes::Binary)) {
            continue;
        }
        return Measure{unit, unit->factor * std::pow(prefix.factor, unit->power)};
    }
    return std::nullopt;
}

// A temperature in degrees Celsius, and back; `scaled` is the reading with its prefix applied.
// Celsius rather than kelvin in between keeps the common conversions exact (68 F is 20 C).
double celsiusOf(std::string_view unit, double scaled) {
    if (unit == "F" || unit == "fah")
        return (scaled - 32) * 5 / 9;
    if (unit == "K" || unit == "kel")
        return scaled - 273.15;
    if (unit == "Rank")
        return (scaled - 491.67) * 5 / 9;
    if (unit == "Reau")
        return scaled * 1.25;
    return scaled;
}

double fromCelsius(std::string_view unit, double celsius) {
    if (unit == "F" || unit == "fah")
        return celsius * 9 / 5 + 32;
    if (unit == "K" || unit == "kel")
        return celsius + 273.15;
    if (unit == "Rank")
        return celsius * 9 / 5 + 491.67;
    if (unit == "Reau")
        return celsius / 1.25;
    return celsius;
}

// Kelvin and Rankine start at absolute zero: between the two no offset is needed at all.
bool absolute(std::string_view unit) {
    return unit == "K" || unit == "kel" || unit == "Rank";
}

// A prefix on a temperature (only kelvin takes one) scales the reading itself: 1 mK is 0.001 K.
double convertTemperature(double value, const Measure& from, const Measure& to) {
    const double reading = value * from.scale / from.unit->factor;
    const double toScale = to.scale / to.unit->factor;
    if (absolute(from.unit->name) && absolute(to.unit->name))
        return reading * from.unit->factor / to.unit->factor / toScale;
    return fromCelsius(to.unit->name, celsiusOf(from.unit->name, reading)) / toScale;
}

Value convert(Args args, CallContext& c) {
    Reader r(args, c);
    const double number = r.numberNotBoolean(0);
    const Value fromText = r.value(1), toText = r.value(2);
    if (r.failed()) {
        return r.error();
    }
    if (fromText.isError()) {
        return fromText;
    }
    if (toText.isError()) {
        return toText;
    }
    if (fromText.kind != ValueKind::Text || toText.kind != ValueKind::Text) {
        return Value::fail(CellError::NA);
    }
    const std::optional<Measure> from = readUnit(fromText.text);
    const std::optional<Measure> to = readUnit(toText.text);
    if (!from || !to || from->unit->kind != to->unit->kind) {
        return Value::fail(CellError::NA);
    }
    if (from->unit == to->unit && from->scale == to->scale) {
        return Value::of(number); // the same unit: nothing to round
    }
    if (from->unit->kind == Kind::Temperature) {
        return numberOrNum(convertTemperature(number, *from, *to));
    }
    return numberOrNum(number * from->scale / to->scale);
}

constexpr FunctionInfo table[] = {
    FunctionInfo{"CONVERT", 3, 3, convert},
};

} // namespace

std::span<const FunctionInfo> unitFunctions() {
    return table;
}

} // namespace engine::formula::functions
