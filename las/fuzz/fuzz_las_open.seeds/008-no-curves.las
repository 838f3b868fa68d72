~Version information
 VERS.  2.0 :
~ASCII Log data
1 2 3
