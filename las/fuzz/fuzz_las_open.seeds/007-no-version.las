~Well information
 STRT.M 0 :
~Curve information
 DEPT.M :
~ASCII Log data
0 1 2
