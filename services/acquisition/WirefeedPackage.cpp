// The plug-in package of the acquisition client. Its classes register
// themselves when the package is loaded (see WKTCPCL.cpp).
