  ~Version information
 .   2.0 : no mnemonic
 VERS. 2.0 :
~well information
 : nothing
 WELL  no dot or colon
~Curve information
 DEPT.M :
 .X :
 GR
~ASCII Log data
# a comment line
1 2 3

2 3 4
