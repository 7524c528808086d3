#!/usr/bin/python3
"""Writes probe.xlsx: small input tables and some 200 formulas without stored results, the way
scripts write them. `record.py` has the office suite compute them and keeps what it shows."""

import datetime as dt
import re
import sys

from openpyxl import Workbook

import fresh_probe

# Functions the file format wants written with the _xlfn. prefix.
NEWER = """STDEV.S STDEV.P VAR.S VAR.P MODE.SNGL RANK.EQ PERCENTILE.INC PERCENTILE.EXC QUARTILE.INC
CEILING.MATH FLOOR.MATH IFS SWITCH XOR IFNA CONCAT TEXTJOIN XLOOKUP XMATCH TEXTBEFORE TEXTAFTER
MAXIFS MINIFS DAYS ISOWEEKNUM NUMBERVALUE UNICHAR UNICODE NORM.DIST NORM.S.DIST NORM.INV
NORM.S.INV T.DIST T.DIST.2T T.DIST.RT T.INV T.INV.2T BINOM.DIST POISSON.DIST EXPON.DIST
CHISQ.DIST CHISQ.DIST.RT CONFIDENCE.NORM BASE DECIMAL GAMMALN.PRECISE FORECAST.LINEAR
AGGREGATE ISFORMULA ARABIC PERCENTRANK.INC""".split()

DATA = {
    "A": [3, 7, 1.5, 10, -2, 8, 4, 7, 0, 12],
    "B": ["apple", "Banana", "cherry", "date", "Elder", "fig", "grape", "apple", "kiwi", "lemon"],
    "C": ["x", "y", "x", "z", "y", "x", "z", "x", "y", "x"],
    "D": [dt.date(2024, 1, 15), dt.date(2024, 2, 29), dt.date(2023, 12, 31), dt.date(2024, 3, 1),
          dt.date(2024, 7, 4), dt.date(2025, 1, 1), dt.date(2024, 11, 30), dt.date(2020, 2, 29),
          dt.date(2024, 6, 15), dt.date(2024, 9, 9)],
    "E": [2, 4, 5, 4, 5],
    "F": [1, 2, 3, 4, 5],
    "G": ["ID", 101, 102, 103, 104, 105],
    "H": ["Name", "Widget", "Gadget", "Doohickey", "Sprocket", "Gizmo"],
    "I": ["Price", 2.25, 4.5, 10, 0.75, 19.99],
    "J": [-1000, 200, 300, 400, 500, 100],
    "K": [dt.date(2024, 1, 1), dt.date(2024, 3, 15), dt.date(2024, 7, 1), dt.date(2024, 12, 31),
          dt.date(2025, 6, 30), dt.date(2025, 12, 31)],
    "L": ["  Hello   World  ", "The quick brown fox", "a-b-c", "12.5", None, True, "Straße",
          "x@y.com"],
    "M": [5, "text", True, None, 9],
}

# One formula a line, on the Probe sheet from A1 down; `Data!` is the input sheet.
FORMULAS = r"""
SUM(Data!A1:A10)
SUM(Data!A1:A10,Data!E1:E5,1)
SUMPRODUCT(Data!E1:E5,Data!F1:F5)
SUMIF(Data!C1:C10,"x",Data!A1:A10)
SUMIF(Data!A1:A10,">5")
SUMIFS(Data!A1:A10,Data!C1:C10,"x",Data!A1:A10,">3")
SUMIF(Data!B1:B10,"a*",Data!A1:A10)
ROUND(2.675,2)
ROUND(-1234.567,-2)
ROUNDUP(3.14159,2)
ROUNDDOWN(-3.14159,2)
MROUND(17,5)
INT(-3.7)
TRUNC(-3.7)
MOD(-7,3)
MOD(7.5,2)
CEILING(4.3,2)
FLOOR(4.3,2)
CEILING.MATH(-4.3)
FLOOR.MATH(4.7,0.5)
POWER(2,0.5)
SQRT(Data!A4)
LN(10)
LOG(1000)
LOG(8,2)
LOG10(0.001)
EXP(1)
PI()*2
SIN(PI()/6)
COS(0)
TAN(PI()/4)
ATAN2(1,1)
DEGREES(PI())
RADIANS(180)
FACT(10)
COMBIN(10,3)
PERMUT(5,2)
GCD(24,36,60)
LCM(4,6,10)
ABS(-5.5)
SIGN(-0.1)
PRODUCT(Data!E1:E5)
SUMSQ(Data!F1:F5)
QUOTIENT(17,5)
EVEN(3.2)
ODD(-2.5)
SUBTOTAL(9,Data!A1:A10)
SUBTOTAL(1,Data!A1:A10)
AVERAGE(Data!A1:A10)
AVERAGEIF(Data!C1:C10,"y",Data!A1:A10)
AVERAGEIFS(Data!A1:A10,Data!C1:C10,"<>z")
AVERAGEA(Data!M1:M5)
COUNT(Data!M1:M5)
COUNTA(Data!M1:M5)
COUNTBLANK(Data!L1:L8)
COUNTIF(Data!B1:B10,"apple")
COUNTIF(Data!A1:A10,"<>7")
COUNTIFS(Data!C1:C10,"x",Data!A1:A10,">=4")
COUNTIF(Data!B1:B10,"?????")
MAX(Data!A1:A10)
MIN(Data!A1:A10)
MAXIFS(Data!A1:A10,Data!C1:C10,"y")
MINIFS(Data!A1:A10,Data!C1:C10,"x")
MEDIAN(Data!A1:A10)
MODE(Data!A1:A10)
MODE.SNGL(Data!E1:E5)
STDEV(Data!A1:A10)
STDEV.S(Data!E1:E5)
STDEV.P(Data!E1:E5)
STDEVP(Data!A1:A10)
VAR(Data!A1:A10)
VAR.P(Data!E1:E5)
LARGE(Data!A1:A10,2)
SMALL(Data!A1:A10,3)
RANK(7,Data!A1:A10)
RANK.EQ(7,Data!A1:A10,1)
PERCENTILE(Data!A1:A10,0.25)
PERCENTILE.INC(Data!A1:A10,0.9)
QUARTILE(Data!A1:A10,3)
CORREL(Data!E1:E5,Data!F1:F5)
SLOPE(Data!E1:E5,Data!F1:F5)
INTERCEPT(Data!E1:E5,Data!F1:F5)
FORECAST(6,Data!E1:E5,Data!F1:F5)
RSQ(Data!E1:E5,Data!F1:F5)
GEOMEAN(Data!E1:E5)
HARMEAN(Data!E1:E5)
AVEDEV(Data!E1:E5)
DEVSQ(Data!E1:E5)
COVAR(Data!E1:E5,Data!F1:F5)
NORM.DIST(1.5,0,1,TRUE)
NORMDIST(42,40,1.5,FALSE)
NORM.S.DIST(-0.5,TRUE)
NORM.INV(0.9,100,15)
NORMSINV(0.975)
T.DIST(1.5,10,TRUE)
T.DIST.2T(2.1,8)
T.INV.2T(0.05,12)
BINOM.DIST(3,10,0.3,FALSE)
POISSON.DIST(2,3.5,TRUE)
EXPON.DIST(0.5,2,TRUE)
CHISQ.DIST.RT(3.84,1)
GAMMALN(5.5)
CONFIDENCE(0.05,2.5,50)
IF(Data!A4>5,"big","small")
IF(Data!A5,"yes","no")
IFS(Data!A1>5,"a",Data!A1>2,"b",TRUE,"c")
IFERROR(1/0,"div")
IFERROR(VLOOKUP(999,Data!G2:I6,2,FALSE),"none")
IFNA(MATCH("zzz",Data!B1:B10,0),-1)
AND(Data!A1>0,Data!A2>0)
OR(Data!A5>0,Data!A9>0)
NOT(Data!L6)
XOR(TRUE,FALSE,TRUE)
SWITCH(Data!C2,"x",1,"y",2,0)
CHOOSE(3,"a","b","c","d")
ISBLANK(Data!L5)
ISNUMBER(Data!L4)
ISTEXT(Data!L4)
ISERROR(1/0)
ISNA(NA())
ISEVEN(Data!A4)
ISODD(7)
ISLOGICAL(Data!L6)
ISREF(Data!A1)
ISFORMULA(Data!A1)
N(Data!L6)
T(Data!B1)
TYPE(Data!B1)
TYPE(Data!A1:A3)
ERROR.TYPE(1/0)
NA()
TRUE()+1
"3"+4
"x"+1
Data!L5&"z"
Data!L5+1
"abc"="ABC"
"b">"a"
2^3^2
-2^2
10%+1
1/0
VLOOKUP(103,Data!G2:I6,3,FALSE)
VLOOKUP(102.5,Data!G2:I6,2,TRUE)
VLOOKUP("gizmo",Data!H2:I6,2,FALSE)
HLOOKUP("Price",Data!G1:I6,3,FALSE)
LOOKUP(104,Data!G2:G6,Data!H2:H6)
MATCH(104,Data!G2:G6,0)
MATCH(3,Data!F1:F5,1)
MATCH("g*",Data!H2:H6,0)
INDEX(Data!G2:I6,4,2)
INDEX(Data!H2:H6,MATCH(105,Data!G2:G6,0))
SUM(INDEX(Data!G2:I6,0,3))
XLOOKUP(104,Data!G2:G6,Data!H2:H6)
XLOOKUP(999,Data!G2:G6,Data!H2:H6,"missing")
XLOOKUP(103,Data!G2:G6,Data!H2:I6)
XMATCH(4.5,Data!I2:I6)
SUM(OFFSET(Data!A1,2,0,3,1))
INDIRECT("Data!A"&4)
INDIRECT("Data!R2C1",FALSE)
ROW(Data!C7)
ROWS(Data!A1:C9)
COLUMN(Data!D3)
COLUMNS(Data!A1:F1)
ADDRESS(3,4)
ADDRESS(3,4,4)
ADDRESS(1,28,1,TRUE,"Data")
LEFT(Data!B2,3)
RIGHT(Data!B3,2)
MID(Data!L2,5,5)
LEN(Data!L1)
FIND("b",Data!L3)
SEARCH("QUICK",Data!L2)
SEARCH("b?o",Data!L2)
SUBSTITUTE(Data!L3,"-","+")
SUBSTITUTE(Data!L3,"-","+",2)
REPLACE("abcdef",2,3,"XY")
REPT("ab",3)
TRIM(Data!L1)
CLEAN("a"&CHAR(9)&"b")
UPPER(Data!B1)
LOWER(Data!B2)
PROPER("hello wORLD")
CONCATENATE(Data!B1,"-",Data!A1)
CONCAT(Data!B1:B3)
TEXTJOIN(", ",TRUE,Data!L3:L6)
TEXT(1234.567,"#,##0.00")
TEXT(0.256,"0.0%")
TEXT(Data!D1,"yyyy-mm-dd")
TEXT(Data!D2,"dddd d mmmm")
TEXT(45000.75,"h:mm AM/PM")
TEXT(-5,"0;(0)")
FIXED(1234.567,1)
FIXED(1234.567,-2,TRUE)
DOLLAR(1234.5)
VALUE("1,234.5")
VALUE(Data!L4)*2
NUMBERVALUE("1.234,5",",",".")
CHAR(65)
CODE("a")
UNICHAR(8364)
UNICODE("ß")
EXACT("abc","ABC")
LEN(Data!L7)
TEXTBEFORE(Data!L8,"@")
TEXTAFTER(Data!L2," ",2)
DATE(2024,2,29)
DATE(2024,14,1)
DATEVALUE("2024-03-15")
TIME(14,30,0)
TIMEVALUE("6:45 PM")
YEAR(Data!D2)
MONTH(Data!D2)
DAY(Data!D2)
HOUR(0.75)
MINUTE(0.5104166667)
SECOND(TIME(1,2,3))
WEEKDAY(Data!D1)
WEEKDAY(Data!D1,2)
WEEKNUM(Data!D3)
WEEKNUM(Data!D1,2)
ISOWEEKNUM(Data!D3)
EDATE(Data!D1,1)
EDATE(Data!D2,12)
EOMONTH(Data!D1,0)
EOMONTH(Data!D1,-2)
DATEDIF(Data!D8,Data!D6,"y")
DATEDIF(Data!D1,Data!D5,"md")
DATEDIF(Data!D1,Data!D5,"m")
DAYS(Data!D6,Data!D1)
DAYS360(Data!D1,Data!D6)
NETWORKDAYS(Data!D1,Data!D4)
NETWORKDAYS.INTL(Data!D1,Data!D4,11)
WORKDAY(Data!D1,10)
WORKDAY.INTL(Data!D1,5,"0000011")
YEARFRAC(Data!D1,Data!D6)
YEARFRAC(Data!D1,Data!D6,1)
DATE(1900,2,28)+1
TODAY()>45000
PMT(0.05/12,360,200000)
PMT(0.06/12,60,-20000,0,1)
IPMT(0.05/12,1,360,200000)
PPMT(0.05/12,1,360,200000)
FV(0.04/12,120,-100)
PV(0.05/12,60,-500)
NPV(0.1,Data!J2:J6)+Data!J1
XNPV(0.09,Data!J1:J6,Data!K1:K6)
IRR(Data!J1:J6)
XIRR(Data!J1:J6,Data!K1:K6)
RATE(60,-500,25000)
NPER(0.05/12,-500,20000)
SLN(10000,1000,5)
DB(10000,1000,5,2)
DDB(10000,1000,5,2)
SYD(10000,1000,5,2)
EFFECT(0.05,12)
NOMINAL(0.05,4)
CUMIPMT(0.05/12,60,20000,1,12,0)
BASE(255,16)
BASE(5,2,8)
DECIMAL("FF",16)
DEC2BIN(10)
DEC2HEX(255,4)
DEC2OCT(64)
BIN2DEC("1111")
HEX2DEC("FF")
OCT2DEC("777")
ROMAN(1999)
ARABIC("MCMXCIX")
SUM(Data!A1:A10*(Data!C1:C10="x"))
SUMPRODUCT((Data!C1:C10="x")*(Data!A1:A10>3))
SUMPRODUCT(--(Data!B1:B10="apple"))
MAX(Data!E1:E5-Data!F1:F5)
SUM(Data!A:A)
COUNTA(Data!B:B)
AVERAGE(Data!A1:A3 Data!A2:A5)
SUM((Data!A1:A3,Data!A5:A6))
""".strip().splitlines()

# Array formulas, entered as {=...}: one cell each.
ARRAY_FORMULAS = r"""
SUM(IF(Data!A1:A10>2,Data!A1:A10))
SUM(IF(Data!C1:C10="x",Data!A1:A10,0))
MAX(IF(Data!C1:C10="y",Data!A1:A10))
AVERAGE(IF(Data!A1:A10>0,Data!A1:A10))
SUM(IF(Data!C1:C10="z",1,0))
SUM(IFERROR(1/Data!A1:A10,0))
SUM(LEN(Data!B1:B10))
MIN(IF(Data!B1:B10="apple",Data!A1:A10))
""".strip().splitlines()


def prefixed(formula: str) -> str:
    names = "|".join(re.escape(n) for n in NEWER)
    return re.sub(r"(?<![A-Z0-9._])(" + names + r")\(", r"_xlfn.\1(", formula)


def main(path: str) -> None:
    wb = Workbook()
    probe = wb.active
    probe.title = "Probe"
    data = wb.create_sheet("Data")
    fresh_probe.write_columns(data, DATA)
    for i, f in enumerate(FORMULAS, start=1):
        probe[f"A{i}"] = "=" + prefixed(f)
    start = len(FORMULAS) + 1
    for i, f in enumerate(ARRAY_FORMULAS, start=start):
        probe[f"A{i}"] = "=" + prefixed(f)
        probe.formula_attributes[f"A{i}"] = {"t": "array", "ref": f"A{i}"}
    fresh_probe.add_sheets(wb, prefixed)
    wb.save(path)


def all_formulas():
    return [(f, False) for f in FORMULAS] + [(f, True) for f in ARRAY_FORMULAS]


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "probe.xlsx")
