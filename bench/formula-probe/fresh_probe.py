#!/usr/bin/python3
"""The fresh held-out batch: an order table, a catalogue, bands, holidays and cash flows of the
kind reporting scripts write, and some 190 formulas over them on sheet Fresh, none looked at
while tuning. `make_probe.py` adds these sheets to probe.xlsx; `record.py` records the office
suite's answers as numbers 1001 on."""

import datetime as dt

D = dt.date
T = dt.time

SHEETS = {
    "Sales": {
        "A": ["Order", 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012],
        "B": ["Region", "North", "South", "East", "West", "North", "East", "South", "North",
              "West", "East", "South", "North"],
        "C": ["Product", "Widget", "Gadget", "Widget", "Sprocket", "Gizmo", "Gadget", "Widget",
              "Gizmo", "Sprocket", "Widget", "Gadget", "Doohickey"],
        "D": ["Qty", 5, 12, 3, 8, 20, 7, 15, 1, 9, 4, 11, 6],
        "E": ["Price", 2.5, 4.75, 2.5, 1.2, 9.99, 4.75, 2.5, 9.99, 1.2, 2.5, 4.75, 15],
        "F": ["Date", D(2024, 1, 3), D(2024, 1, 17), D(2024, 2, 5), D(2024, 2, 29), D(2024, 3, 11),
              D(2024, 4, 1), D(2024, 4, 30), D(2024, 5, 15), D(2024, 6, 30), D(2024, 8, 8),
              D(2024, 10, 31), D(2024, 12, 24)],
        "G": ["Rep", "Ann Lee", "bob smith", "Carla Diaz", "Ann Lee", "Dev Patel", "bob smith",
              "Carla Diaz", "Eve O'Neil", "Dev Patel", "Ann Lee", "Eve O'Neil", "Carla Diaz"],
        "H": ["Discount", 0, 0.1, 0, 0.05, 0.15, 0.1, 0, None, 0.05, 0, 0.1, 0.2],
        "I": ["Status", "Paid", "Open", "Paid", "Paid", "Late", "Open", "Paid", "Late", "Paid",
              "Open", "Paid", "Open"],
        "J": ["Time", T(9, 30), T(13, 15), T(16, 45), T(8, 5), T(11, 50), T(17, 20), T(10, 0),
              T(14, 40), T(9, 5), T(12, 30), T(15, 55), T(8, 45)],
        "K": ["Code", "SKU-001-A", "sku-014-b", "SKU-203-C", "SKU-044-A", "SKU-150-D",
              "sku-014-b", "SKU-001-A", "SKU-150-D", "SKU-044-A", "SKU-001-A", "sku-014-b",
              "SKU-999-Z"],
    },
    "Catalog": {
        "A": ["Product", "Doohickey", "Gadget", "Gizmo", "Sprocket", "Widget"],
        "B": ["Category", "Tools", "Electronics", "Electronics", "Parts", "Tools"],
        "C": ["Cost", 9.5, 3.1, 6.25, 0.8, 1.4],
        "D": ["Stock", 3, 40, 0, 125, 60],
    },
    "Bands": {
        "A": ["From", 0, 50, 100, 250, 500],
        "B": ["Band", "Small", "Medium", "Large", "Bulk", "Huge"],
        "C": ["Rate", 0, 0.02, 0.05, 0.08, 0.1],
        "E": [0, "S"],
        "F": [50, "M"],
        "G": [100, "L"],
        "H": [250, "XL"],
        "I": [500, "XXL"],
    },
    "Holidays": {
        "A": [D(2024, 1, 1), D(2024, 1, 15), D(2024, 2, 19)],
    },
    "Cash": {
        "A": [D(2024, 1, 1), D(2024, 3, 1), D(2024, 6, 15), D(2024, 9, 30), D(2025, 1, 15),
              D(2025, 6, 30)],
        "B": [-5000, 1200, 1500, 1800, 2100, 900],
    },
}

FORMULAS = r"""
Sales!D2*Sales!E2
ROUND(Sales!D3*Sales!E3*(1-Sales!H3),2)
SUM(Sales!D2:D13)
SUMPRODUCT(Sales!D2:D13,Sales!E2:E13)
SUMIF(Sales!B2:B13,"North",Sales!D2:D13)
SUMIFS(Sales!D2:D13,Sales!B2:B13,"East",Sales!C2:C13,"Widget")
SUMIF(Sales!F2:F13,">="&DATE(2024,6,1),Sales!D2:D13)
SUMIF(Sales!C2:C13,"G*",Sales!D2:D13)
ROUNDUP(Sales!E6*1.0825,2)
ROUNDDOWN(SUM(Sales!E2:E13)/7,3)
MROUND(Sales!D6*Sales!E6,0.25)
CEILING(Sales!E5*7,0.5)
FLOOR(Sales!E6*3,1)
INT(Sales!E6*Sales!D8)
MOD(Sales!A5,7)
ABS(Sales!D2-Sales!D3)
SQRT(SUMSQ(Sales!D2:D4))
POWER(1+0.05,10)
PRODUCT(Sales!D2:D4)
SUBTOTAL(9,Sales!D2:D13)
SUBTOTAL(101,Sales!E2:E13)
QUOTIENT(Sales!D6,Sales!D4)
TRUNC(Sales!E6,1)
ROUND(AVERAGE(Sales!E2:E13),2)
SUM(Sales!D:D)
SUMPRODUCT((Sales!B2:B13="South")*Sales!D2:D13*Sales!E2:E13)
ROUND(-2.5,0)
ROUND(1234.5678,-1)
CEILING.MATH(Sales!E6*2)
EXP(LN(Sales!D3))
LOG(Sales!D6,2)
SIGN(Sales!D2-Sales!D3)
FACT(Sales!D2)
COMBIN(Sales!D3,2)
MOD(-Sales!D4,5)
ODD(Sales!E6)
EVEN(Sales!E2)
AVERAGE(Sales!D2:D13)
AVERAGEIF(Sales!C2:C13,"Widget",Sales!E2:E13)
AVERAGEIFS(Sales!D2:D13,Sales!B2:B13,"North",Sales!I2:I13,"<>Late")
COUNT(Sales!H2:H13)
COUNTA(Sales!H2:H13)
COUNTBLANK(Sales!H2:H13)
COUNTIF(Sales!I2:I13,"Paid")
COUNTIF(Sales!D2:D13,">"&Sales!D5)
COUNTIFS(Sales!B2:B13,"North",Sales!D2:D13,">=5")
COUNTIF(Sales!G2:G13,"*lee")
COUNTIF(Sales!C2:C13,"<>Widget")
MAX(Sales!E2:E13)
MIN(Sales!F2:F13)
MAXIFS(Sales!D2:D13,Sales!B2:B13,"South")
MINIFS(Sales!E2:E13,Sales!I2:I13,"Open")
MEDIAN(Sales!D2:D13)
MODE(Sales!E2:E13)
STDEV(Sales!D2:D13)
STDEV.P(Sales!E2:E13)
VAR.S(Sales!D2:D13)
LARGE(Sales!D2:D13,3)
SMALL(Sales!E2:E13,2)
RANK(Sales!D6,Sales!D2:D13)
RANK.EQ(Sales!D9,Sales!D2:D13,1)
PERCENTILE.INC(Sales!D2:D13,0.75)
QUARTILE.INC(Sales!E2:E13,1)
CORREL(Sales!D2:D13,Sales!E2:E13)
SLOPE(Sales!D2:D13,Sales!E2:E13)
FORECAST.LINEAR(10,Sales!D2:D13,Sales!E2:E13)
AVERAGEA(Sales!H2:H13)
COUNTIF(Sales!F2:F13,"<"&DATE(2024,3,1))
PERCENTRANK.INC(Sales!D2:D13,8)
GEOMEAN(Sales!D2:D7)
NORM.DIST(Sales!D6,AVERAGE(Sales!D2:D13),STDEV(Sales!D2:D13),TRUE)
IF(Sales!D3>10,"big","small")
IF(AND(Sales!B2="North",Sales!D2>3),"yes","no")
IF(OR(Sales!I6="Late",Sales!H6>0.1),"check","ok")
IF(Sales!H9="","none",Sales!H9)
IF(Sales!H9,"disc","full")
IFS(Sales!D6>=20,"A",Sales!D6>=10,"B",TRUE,"C")
IFERROR(Sales!D2/Sales!H2,"n/a")
IFERROR(VLOOKUP("Thingamajig",Catalog!A2:C6,2,FALSE),"unknown")
IFNA(MATCH("Gizmo",Sales!C2:C13,0),0)
NOT(ISBLANK(Sales!H9))
ISNUMBER(Sales!H9)
ISTEXT(Sales!G3)
ISNUMBER(SEARCH("smith",Sales!G3))
ISERROR(Sales!A2/0)
ISNA(MATCH(999,Sales!A2:A13,0))
ISLOGICAL(Sales!D2>1)
ISEVEN(Sales!D3)
SWITCH(Sales!B4,"North","N","South","S","East","E","W")
CHOOSE(MONTH(Sales!F3),"Q1","Q1","Q1","Q2","Q2","Q2","Q3","Q3","Q3","Q4","Q4","Q4")
XOR(Sales!D2>4,Sales!E2>4)
N(Sales!F2)
N("text")
TYPE(Sales!G2)
ERROR.TYPE(NA())
IF(Sales!D2>5,Sales!D2*2)
Sales!B2="north"
Sales!D2&" x "&Sales!C2
TRUE+TRUE
"10"*"2"
--"5"
(Sales!D3>10)*1
IF(Sales!I2="Paid",Sales!D2*Sales!E2,0)
ISBLANK(Sales!H9)
ISREF(Sales!A1)
IFNA(NA(),"x")
VLOOKUP(Sales!C2,Catalog!A2:D6,2,FALSE)
VLOOKUP(Sales!C5,Catalog!A2:D6,3,FALSE)*Sales!D5
VLOOKUP("gadget",Catalog!A2:D6,4,0)
VLOOKUP(Sales!D6*Sales!E6,Bands!A2:C6,2,TRUE)
VLOOKUP(75,Bands!A2:C6,3)
HLOOKUP("Qty",Sales!A1:I13,5,FALSE)
HLOOKUP(100,Bands!E1:I2,2,TRUE)
MATCH("Sprocket",Catalog!A2:A6,0)
MATCH(260,Bands!A2:A6,1)
MATCH(Sales!A8,Sales!A2:A13,0)
MATCH("*diaz",Sales!G2:G13,0)
INDEX(Sales!C2:C13,5)
INDEX(Catalog!A2:D6,3,4)
INDEX(Sales!A2:I13,MATCH(1007,Sales!A2:A13,0),7)
INDEX(Catalog!B2:B6,MATCH(Sales!C9,Catalog!A2:A6,0))
LOOKUP(320,Bands!A2:A6,Bands!B2:B6)
LOOKUP("Gizmo",Catalog!A2:A6,Catalog!C2:C6)
ROW(Sales!B7)
ROWS(Sales!A2:A13)
COLUMN(Sales!H1)
COLUMNS(Catalog!A1:D1)
ADDRESS(5,3)
ADDRESS(2,10,2)
ADDRESS(7,2,3,TRUE,"Sales")
INDIRECT("Sales!D"&3)
INDIRECT("Catalog!B"&MATCH("Gizmo",Catalog!A1:A6,0))
SUM(INDIRECT("Sales!D2:D5"))
SUM(OFFSET(Sales!D1,1,0,4,1))
OFFSET(Sales!A1,3,2)
COUNTA(OFFSET(Sales!A1,0,0,1,11))
SUM(INDEX(Sales!D2:E13,0,1))
VLOOKUP(1005,Sales!A2:I13,9,FALSE)
INDEX(Sales!A1:I13,1,MATCH("Rep",Sales!A1:I1,0))
INDIRECT("Sales!R4C5",FALSE)
INDIRECT("Catalog!R2C1:R6C1",FALSE)="Doohickey"
LEFT(Sales!K2,3)
RIGHT(Sales!K3,1)
MID(Sales!K4,5,3)
LEN(Sales!G9)
UPPER(Sales!G3)
LOWER(Sales!B5)
PROPER(Sales!G3)
TRIM("  padded   text ")
CONCATENATE(Sales!B2,"-",Sales!C2)
Sales!B3&"/"&TEXT(Sales!F3,"yyyy-mm")
TEXT(Sales!E6,"$#,##0.00")
TEXT(Sales!D6*Sales!E6,"0.0")
TEXT(Sales!H3,"0%")
TEXT(Sales!F5,"dd/mm/yyyy")
TEXT(Sales!F5,"mmm d, yyyy")
TEXT(Sales!F7,"ddd")
TEXT(Sales!J2,"hh:mm")
TEXT(1234567.891,"#,##0")
TEXT(0.5,"0.00E+00")
TEXT(42,"000000")
FIND("-",Sales!K2)
SEARCH("b",Sales!G3)
SUBSTITUTE(Sales!K2,"-","")
REPLACE(Sales!K2,1,3,"ITEM")
REPT("*",Sales!D4)
LEFT(Sales!G2,FIND(" ",Sales!G2)-1)
MID(Sales!G4,FIND(" ",Sales!G4)+1,99)
TEXTJOIN(";",TRUE,Sales!B2:B5)
CONCAT(Sales!C2:C4)
EXACT(Sales!G2,"ann lee")
VALUE("12.50")*2
VALUE(MID(Sales!K3,5,3))
FIXED(Sales!E6*1000,2)
DOLLAR(Sales!E13*Sales!D13)
CHAR(64+Sales!D4)
CODE(Sales!B2)
LEN(TRIM(Sales!G9))
SUBSTITUTE(Sales!G9,"'","")
UPPER(LEFT(Sales!G3,1))&MID(Sales!G3,2,100)
T(Sales!C2)
CLEAN(Sales!K2)
Sales!F2+30
YEAR(Sales!F3)
MONTH(Sales!F5)
DAY(Sales!F13)
WEEKDAY(Sales!F4)
WEEKDAY(Sales!F4,3)
WEEKNUM(Sales!F6)
ISOWEEKNUM(Sales!F2)
DATE(YEAR(Sales!F4),MONTH(Sales!F4)+1,1)
EDATE(Sales!F5,-1)
EOMONTH(Sales!F4,1)
EOMONTH(Sales!F13,0)-Sales!F13
DATEDIF(Sales!F2,Sales!F13,"m")
DATEDIF(Sales!F2,Sales!F13,"d")
DATEDIF(Sales!F3,Sales!F12,"yd")
DAYS(Sales!F13,Sales!F2)
Sales!F7-Sales!F6
NETWORKDAYS(Sales!F2,Sales!F3)
NETWORKDAYS(Sales!F2,Sales!F5,Holidays!A1:A3)
WORKDAY(Sales!F4,5)
WORKDAY(Sales!F12,3,Holidays!A1:A3)
YEARFRAC(Sales!F2,Sales!F13,3)
DAYS360(Sales!F3,Sales!F10)
HOUR(Sales!J3)
MINUTE(Sales!J4)
TIME(8,75,0)
DATEVALUE("2024-03-15")+1
TIMEVALUE("14:45")
TEXT(DATE(2024,12,31),"yyyy")
MONTH(EOMONTH(Sales!F2,5))
DATE(2024,1,31)+Sales!D3
INT((Sales!F8-DATE(2024,1,1))/7)+1
Sales!J5*24
PMT(0.045/12,24,-Sales!E13*100)
PMT(0.07/12,36,15000)
PMT(0,12,1200)
FV(0.03/12,24,-250,-1000)
PV(0.06/12,48,-350)
NPV(0.08,Cash!B2:B6)+Cash!B1
IRR(Cash!B1:B6)
IRR(Cash!B1:B4,-0.1)
XNPV(0.1,Cash!B1:B6,Cash!A1:A6)
XIRR(Cash!B1:B6,Cash!A1:A6)
RATE(36,-450,14000)
NPER(0.06/12,-300,10000)
IPMT(0.06/12,3,36,10000)
PPMT(0.06/12,3,36,10000)
CUMIPMT(0.06/12,36,10000,1,12,0)
CUMPRINC(0.06/12,36,10000,13,24,0)
SLN(25000,2500,8)
SYD(25000,2500,8,3)
DDB(25000,2500,8,1)
DB(25000,2500,8,3)
EFFECT(0.06,4)
NOMINAL(0.0617,12)
FV(0.05,10,0,-1000)
PMT(0.05/12,60,-20000,5000)
ROUND(PMT(0.055/12,12*30,-350000),2)
""".strip().splitlines()

ARRAY_FORMULAS = r"""
SUM(Sales!D2:D13*Sales!E2:E13)
SUM(IF(Sales!B2:B13="North",Sales!D2:D13*Sales!E2:E13))
MAX(IF(Sales!C2:C13="Widget",Sales!D2:D13))
SUM(--(Sales!I2:I13="Open"))
AVERAGE(IF(Sales!H2:H13>0,Sales!H2:H13))
SUM(IFERROR(Sales!D2:D13/Sales!H2:H13,0))
COUNT(IF(Sales!D2:D13>5,1))
SUM(LEN(Sales!G2:G13))
MIN(IF(Sales!I2:I13="Paid",Sales!F2:F13))
SUM((Sales!B2:B13="East")*(Sales!D2:D13>4))
""".strip().splitlines()

FIRST = 1001  # the number of the first fresh formula; Fresh!A1 holds it


def write_columns(sheet, columns):
    """Values by column letter from row 1 down; None leaves a cell empty."""
    for col, values in columns.items():
        for i, v in enumerate(values, start=1):
            if v is not None:
                sheet[f"{col}{i}"] = v


def add_sheets(wb, prefixed):
    for title, columns in SHEETS.items():
        write_columns(wb.create_sheet(title), columns)
    fresh = wb.create_sheet("Fresh")
    for i, (f, array) in enumerate(all_formulas(), start=1):
        fresh[f"A{i}"] = "=" + prefixed(f)
        if array:
            fresh.formula_attributes[f"A{i}"] = {"t": "array", "ref": f"A{i}"}


def all_formulas():
    return [(f, False) for f in FORMULAS] + [(f, True) for f in ARRAY_FORMULAS]
