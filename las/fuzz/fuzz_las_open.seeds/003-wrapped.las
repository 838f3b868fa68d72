~V
VERS. 2.0 : CWLS LAS Version
WRAP. YES : Multiple lines per depth step
~W
STRT.M 910.0 :
STOP.M 909.5 :
STEP.M -0.5 :
NULL. -999.25 :
~C
DEPT.M : depth
C1. : c1
C2. : c2
C3. : c3
C4. : c4
C5. : c5
C6. : c6
C7. : c7
C8. : c8
~A
910.000
-999.2500  2692.7075  0.3140  19.4086  19.4086  13.1709
-999.2500  -999.2500
909.500
1.0  2.0  3.0  4.0  5.0  6.0
7.0  8.0
909.000
1.0  2.0  3.0
