~Version information
 VERS.                          2.0 : CWLS LAS Version
 WRAP.                           NO : Wrap mode
~Well information
 STRT.M                      1000.0 : Started at
 STOP.M                      1001.0 : Stopped at
 STEP.M                        0.25 : Step
 NULL.                      -9999.0 : Null value
 WELL.                      Well 12 : Well
 DATE.                   01-02-2003 : Date
~Curve information
 DEPT.M                             : Depth
 GR  .API                           : Gamma ray
 RES .OHMM                          : Resistivity
~Parameter information block
 BHT .DEGC                     35.5 : Bottom hole temperature
~Other information
Note: a line with a : colon
~ASCII Log data
 1000.00  45.2  12.5
 1000.25  -9999  13.0
 1000.50  47.1,12.9
 1000.75	48.0	-9999.0
 1001.00  abc  1.5e+10
