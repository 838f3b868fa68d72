# Writes a program's version record (run at build time, after the program is
# linked, so that the date is the build's):
#   cmake -DFILE=<program>.version -DPROGRAM=<name> -DVERSION=<x.y.z.w>
#         -DDESCRIPTION=<text> -P WriteVersionRecord.cmake
string(TIMESTAMP year "%Y")
string(TIMESTAMP date "%Y-%m-%d")
file(WRITE "${FILE}.tmp"
     "[StringFileInfo]\n"
     "CompanyName=Tessaline\n"
     "FileDescription=${DESCRIPTION}\n"
     "FileVersion=${VERSION}\n"
     "InternalName=${PROGRAM}\n"
     "LegalCopyright=(c) Tessaline ${year}\n"
     "OriginalFileName=${PROGRAM}\n"
     "ProductName=Welvista\n"
     "ProductVersion=${VERSION}\n"
     "BuildDate=${date}\n")
file(RENAME "${FILE}.tmp" "${FILE}")
