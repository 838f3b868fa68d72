-- Local configuration database (WK.db): the tables of the core's service
-- module. Every *.sql file of this folder is applied in file-name order to an
-- empty file when the build makes LocalDB/WK.db.
--
-- Conventions:
--   * Booleans are INTEGER 0 or 1, never null.
--   * Text columns keep the length limits the configuration tools rely on;
--     a longer text is refused by its CHECK constraint.
--   * Date-times are REAL day numbers counted from 1899-12-30 (TDateTime),
--     so that a stored moment compares exactly with the value it was saved from.
--   * Table order (the order in which the module walks a table) is the key the
--     table is opened on and then the insertion order (rowid).

-- Equipment tree: one row per item; ParentItemID 0 is the root.
CREATE TABLE NetTree (
    ItemID        INTEGER PRIMARY KEY AUTOINCREMENT,
    ParentItemID  INTEGER NOT NULL DEFAULT 0,
    ClassName     TEXT CHECK (length(ClassName) <= 50),
    ID            INTEGER,
    Address       TEXT CHECK (length(Address) <= 50),
    Name          TEXT CHECK (length(Name) <= 70),
    InitData      TEXT CHECK (length(InitData) <= 255),
    LocationData  TEXT CHECK (length(LocationData) <= 50)
);
CREATE INDEX NetTreeParent ON NetTree (ParentItemID);

-- Which package (file name relative to the program folder) registers a class.
-- Class names compare exactly, letter case included.
CREATE TABLE ClassModules (
    ClassName   TEXT NOT NULL PRIMARY KEY CHECK (length(ClassName) <= 50),
    ModuleName  TEXT NOT NULL CHECK (length(ModuleName) <= 30)
);

-- Sensor calibrations; CalibrationData holds the calibration object's data text.
CREATE TABLE CalibrationData (
    GID                INTEGER NOT NULL,
    Serial             TEXT CHECK (length(Serial) <= 30),
    CalibrationDate    REAL NOT NULL,
    Operator           TEXT CHECK (length(Operator) <= 50),
    CalibrationObject  TEXT CHECK (length(CalibrationObject) <= 50),
    CalibrationData    TEXT CHECK (length(CalibrationData) <= 255),
    CalibrationText    TEXT CHECK (length(CalibrationText) <= 255),
    IsActive           INTEGER NOT NULL DEFAULT 0 CHECK (IsActive IN (0, 1))
);
CREATE INDEX CalibrationDataKey ON CalibrationData (GID, CalibrationDate);

-- Services created by class name, per service group, in Order.
CREATE TABLE Services (
    "Order"       INTEGER NOT NULL,
    ServiceClass  TEXT NOT NULL CHECK (length(ServiceClass) <= 50),
    IsPrimary     INTEGER NOT NULL DEFAULT 0 CHECK (IsPrimary IN (0, 1)),
    IsActive      INTEGER NOT NULL DEFAULT 1 CHECK (IsActive IN (0, 1)),
    Description   TEXT CHECK (length(Description) <= 50),
    ServiceGroup  TEXT CHECK (length(ServiceGroup) <= 50)
);
CREATE INDEX ServicesOrder ON Services ("Order");

-- Control classes of user forms. AlwaysLoad rows are loaded at start-up and
-- are not offered by the form designer.
CREATE TABLE Controls (
    ClassName    TEXT NOT NULL PRIMARY KEY CHECK (length(ClassName) <= 30),
    DisplayName  TEXT CHECK (length(DisplayName) <= 30),
    AlwaysLoad   INTEGER NOT NULL DEFAULT 0 CHECK (AlwaysLoad IN (0, 1))
);

-- Data streams of the acquisition client. Period is in milliseconds.
CREATE TABLE Streams (
    ID            TEXT NOT NULL UNIQUE CHECK (length(ID) <= 10),
    IntID         INTEGER NOT NULL UNIQUE,
    Name          TEXT CHECK (length(Name) <= 40),
    Period        REAL,
    BufferSize    INTEGER,
    IsDateTime    INTEGER NOT NULL DEFAULT 0 CHECK (IsDateTime IN (0, 1)),
    IsPrimary     INTEGER NOT NULL DEFAULT 0 CHECK (IsPrimary IN (0, 1)),
    IsLogging     INTEGER NOT NULL DEFAULT 0 CHECK (IsLogging IN (0, 1)),
    BindToStream  TEXT CHECK (length(BindToStream) <= 10),
    MainGID       INTEGER NOT NULL DEFAULT 0,
    DataClass     TEXT CHECK (length(DataClass) <= 20),
    MinStep       REAL,
    MaxStep       REAL,
    IsForemost    INTEGER NOT NULL DEFAULT 0 CHECK (IsForemost IN (0, 1))
);

-- Sensors of each stream. SaveAsGID and LogIndex may be empty (null).
CREATE TABLE StreamSens (
    StreamIntID     INTEGER NOT NULL,
    GID             INTEGER NOT NULL,
    SaveAsGID       INTEGER,
    IsLogging       INTEGER NOT NULL DEFAULT 0 CHECK (IsLogging IN (0, 1)),
    LogIndex        INTEGER,
    ProcessingType  TEXT CHECK (length(ProcessingType) <= 1),
    MathClass       TEXT CHECK (length(MathClass) <= 30)
);
CREATE INDEX StreamSensStream ON StreamSens (StreamIntID);

-- The sensor catalogue. Color is a colour value $00BBGGRR.
CREATE TABLE Sensors (
    GID              INTEGER NOT NULL PRIMARY KEY,
    GroupID          TEXT CHECK (length(GroupID) <= 150),
    FullName         TEXT CHECK (length(FullName) <= 45),
    Name             TEXT CHECK (length(Name) <= 25),
    Units            TEXT CHECK (length(Units) <= 20),
    Color            INTEGER NOT NULL DEFAULT 0,
    APrecision       INTEGER NOT NULL DEFAULT 2,
    MinValue         REAL,
    MaxValue         REAL,
    Hidden           INTEGER NOT NULL DEFAULT 0 CHECK (Hidden IN (0, 1)),
    Filtered         INTEGER NOT NULL DEFAULT 0 CHECK (Filtered IN (0, 1)),
    Service          INTEGER NOT NULL DEFAULT 0 CHECK (Service IN (0, 1)),
    NeedCalibration  INTEGER NOT NULL DEFAULT 0 CHECK (NeedCalibration IN (0, 1)),
    FilterType       INTEGER NOT NULL DEFAULT -1,
    FilterData       TEXT CHECK (length(FilterData) <= 50),
    FixedTo          REAL,
    Fixed            INTEGER NOT NULL DEFAULT 0 CHECK (Fixed IN (0, 1)),
    FixedNoiseLevel  REAL,
    Static           INTEGER NOT NULL DEFAULT 0 CHECK (Static IN (0, 1)),
    AnalogInput      INTEGER NOT NULL DEFAULT 0 CHECK (AnalogInput IN (0, 1))
);

-- Places where sensors are installed, in NameOrder.
CREATE TABLE Locations (
    LocationName  TEXT NOT NULL CHECK (length(LocationName) <= 50),
    NameOrder     INTEGER NOT NULL DEFAULT 0,
    Offset        INTEGER NOT NULL DEFAULT 0,
    LocType       TEXT CHECK (length(LocType) <= 5)
);
CREATE INDEX LocationsOrder ON Locations (NameOrder);

-- Limit alarm profiles and limits. The rows of ProfileID -1 are the active set;
-- MinValue and MaxValue are null when the limit is not set. Delays are seconds.
CREATE TABLE RangeProfiles (
    ProfileID    INTEGER PRIMARY KEY AUTOINCREMENT,
    ProfileName  TEXT CHECK (length(ProfileName) <= 100)
);

CREATE TABLE Ranges (
    ProfileID         INTEGER NOT NULL,
    GID               INTEGER NOT NULL,
    CheckMin          INTEGER NOT NULL DEFAULT 0 CHECK (CheckMin IN (0, 1)),
    CheckMax          INTEGER NOT NULL DEFAULT 0 CHECK (CheckMax IN (0, 1)),
    MinValue          REAL,
    MaxValue          REAL,
    MinSound          TEXT CHECK (length(MinSound) <= 100),
    MaxSound          TEXT CHECK (length(MaxSound) <= 100),
    MinContinueSound  INTEGER NOT NULL DEFAULT 0 CHECK (MinContinueSound IN (0, 1)),
    MaxContinueSound  INTEGER NOT NULL DEFAULT 0 CHECK (MaxContinueSound IN (0, 1)),
    MinDelay          INTEGER NOT NULL DEFAULT 0,
    MaxDelay          INTEGER NOT NULL DEFAULT 0,
    MinLogEvent       INTEGER NOT NULL DEFAULT 0 CHECK (MinLogEvent IN (0, 1)),
    MaxLogEvent       INTEGER NOT NULL DEFAULT 0 CHECK (MaxLogEvent IN (0, 1)),
    MinInMenu         INTEGER NOT NULL DEFAULT 0 CHECK (MinInMenu IN (0, 1)),
    MaxInMenu         INTEGER NOT NULL DEFAULT 0 CHECK (MaxInMenu IN (0, 1)),
    BroadcastMin      INTEGER NOT NULL DEFAULT 0 CHECK (BroadcastMin IN (0, 1)),
    BroadcastMax      INTEGER NOT NULL DEFAULT 0 CHECK (BroadcastMax IN (0, 1)),
    PRIMARY KEY (ProfileID, GID)
);
