~Version information
 VERS.  2.0 :
 WRAP.  NO :
~Curve information
 DEPT.M :
 X.  :
~ASCII Log data
1 -999.25
