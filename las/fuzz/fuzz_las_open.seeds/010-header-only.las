~V
VERS. 2.0 :
