~Version information
 VERS.  2.0 :
 WRAP.  YES :
~Curve information
 DEPT.M :
 A   .  :
~ASCII Log data
1.0
2.0 3.0 4.0
