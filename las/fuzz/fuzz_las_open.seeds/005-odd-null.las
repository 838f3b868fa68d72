~Version information
 VERS.  2.0 :
 WRAP.  NO :
~Well information
 NULL.  nine : Null value
 STRT.M  1,5 : comma
 STEP.M  : no value
~Curve information
 DEPT.M :
 X.  :
~ASCII Log data
1 -9999
2 nine
3 -999.25
4 1e308 1e-320
5 -0 +7 --1 .5
