~Version information
VERS.2.0 :
WRAP.yes :
~Well information
STRT.FT 100 :
STOP.FT 99 :
STEP.FT 0 :
~Curve information
DEPT.FT :
V.  :
~ASCII Log data
100
1
99
2
