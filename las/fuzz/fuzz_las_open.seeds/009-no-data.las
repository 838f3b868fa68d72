~Version information
 VERS.  1.2 :
 WRAP.  NO :
~Well information
 WELL.  : Well 7
~Curve information
 DEPT.M :
