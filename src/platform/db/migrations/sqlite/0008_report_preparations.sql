-- Each report preparation writes rows of its own, and a report reads the rows of its own
-- preparation alone: two desktops prepare at the same time without one report showing the
-- other's rows. The rows of the preparations before this version are of no use to anyone, so
-- the tables are made anew.

-- One row a preparation; an id is never handed out twice.
CREATE TABLE inventory.tbReportPreparation (
    PreparationID INTEGER PRIMARY KEY AUTOINCREMENT,
    PreparedAt    TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now'))
);
CREATE INDEX inventory.ixReportPreparationAt ON tbReportPreparation (PreparedAt);

DROP TABLE inventory.tbPharvelNodeLevel;
CREATE TABLE inventory.tbPharvelNodeLevel (
    PreparationID INTEGER NOT NULL,
    Node_Key      TEXT NOT NULL,
    Node_Parent   TEXT,
    Node_Type     TEXT,
    Node_ID       INTEGER,
    Node_Level    INTEGER,
    PRIMARY KEY (PreparationID, Node_Key)
);

DROP TABLE inventory.tbPharvelReport;
CREATE TABLE inventory.tbPharvelReport (
    PreparationID INTEGER NOT NULL,
    SortOrder     INTEGER NOT NULL,
    Node_Key      TEXT,
    Node_Level    INTEGER,
    Node_Type     TEXT,
    ItemName      TEXT,
    ItemCode      TEXT,
    OtherDetails  TEXT,
    PRIMARY KEY (PreparationID, SortOrder)
);

DROP TABLE inventory.tbCatalogueChanges;
CREATE TABLE inventory.tbCatalogueChanges (
    PreparationID INTEGER NOT NULL,
    SortOrder     INTEGER NOT NULL,
    RowLevel      INTEGER NOT NULL,
    RowType       TEXT NOT NULL,
    ChangeTime    TEXT,
    UserName      TEXT,
    Action        TEXT,
    Entry         TEXT,
    Change        TEXT,
    PRIMARY KEY (PreparationID, SortOrder)
);

DROP TABLE inventory.tbCatalogueChangesPeriod;
CREATE TABLE inventory.tbCatalogueChangesPeriod (
    PreparationID INTEGER PRIMARY KEY,
    Period        TEXT NOT NULL,
    Changes       INTEGER NOT NULL
);
