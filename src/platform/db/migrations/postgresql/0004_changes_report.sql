-- The data of the report "Catalogue Changes": the journal of one period, newest first, a day's
-- heading (RowType 1) before its changes (RowType 2), and the period it shows in one row.
-- Preparation replaces both tables whole in one transaction, as for the other reports.
CREATE TABLE inventory.tbCatalogueChanges (
    SortOrder  INTEGER PRIMARY KEY,
    RowLevel   INTEGER NOT NULL,
    RowType    TEXT NOT NULL,
    ChangeTime TEXT,
    UserName   TEXT,
    Action     TEXT,
    Entry      TEXT,
    Change     TEXT
);

CREATE TABLE inventory.tbCatalogueChangesPeriod (
    Period  TEXT NOT NULL,
    Changes INTEGER NOT NULL
);
