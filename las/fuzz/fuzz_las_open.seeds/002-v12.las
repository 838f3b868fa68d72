~Version information
 VERS.                          1.2 : CWLS LOG ASCII STANDARD -VERSION 1.2
 WRAP.                           NO : ONE LINE PER DEPTH STEP
~Well information block
#MNEM.UNIT       DATA TYPE    INFORMATION
 STRT.M                      500.0000:
 STOP.M                      499.0000:
 STEP.M                       -0.5000:
 NULL.                      -999.2500:
 COMP.             COMPANY: ANY OIL COMPANY
 WELL.                WELL: ANY ET AL 12-34-12-34
 FLD .               FIELD: WILDCAT
 UWI .      UNIQUE WELL ID: 100123401234W500
~Curve information block
 DEPT.M                        : 1  DEPTH
 DT  .US/M                     : 2  SONIC TRANSIT TIME
~A  DEPTH     DT
500.000  123.45
499.500  -999.25
499.000  124.00
