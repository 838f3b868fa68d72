-- Parameter interchange catalogue: display name, units, range and the
-- conversion displayed = Multiplier * stored + Offset of each parameter, per
-- data system and conversion profile. Profile '*' holds the rows that belong
-- to no particular profile. Rows are read in table (rowid) order.
CREATE TABLE "SensMap" (
  "System"        VARCHAR(40) CHECK (length("System") <= 40),
  "Profile"       VARCHAR(40) CHECK (length("Profile") <= 40),
  "ID"            VARCHAR(40) CHECK (length("ID") <= 40),
  "ExtID"         VARCHAR(50) CHECK (length("ExtID") <= 50),
  "SensName"      VARCHAR(40) CHECK (length("SensName") <= 40),
  "Units"         VARCHAR(20) CHECK (length("Units") <= 20),
  "Color"         INTEGER,
  "MinValue"      DOUBLE,
  "MaxValue"      DOUBLE,
  "IsLogarithmic" BOOLEAN NOT NULL DEFAULT 0,
  "Precision"     INTEGER CHECK ("Precision" BETWEEN 0 AND 65535),
  "SensGroup"     VARCHAR(40) CHECK (length("SensGroup") <= 40),
  "Offset"        DOUBLE,
  "Multiplier"    DOUBLE,
  "Description"   TEXT
);

CREATE INDEX "SensMapByID" ON "SensMap" ("System", "Profile", "ID");
CREATE INDEX "SensMapByExtID" ON "SensMap" ("System", "Profile", "ExtID");
