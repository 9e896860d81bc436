-- The data the catalogue reports read. Report preparation replaces the whole content of both
-- tables in one transaction, so every user's report reads one complete preparation.

-- Every node below the root with its depth: 1 for the entries straight under the root.
CREATE TABLE inventory.tbPharvelNodeLevel (
    Node_Key    TEXT PRIMARY KEY,
    Node_Parent TEXT,
    Node_Type   TEXT,
    Node_ID     INTEGER,
    Node_Level  INTEGER
);

-- The whole catalogue in print order: each node before its children, children by name.
-- ItemCode is the drug's item id, OtherDetails the generic name's other details.
CREATE TABLE inventory.tbPharvelReport (
    SortOrder    INTEGER PRIMARY KEY,
    Node_Key     TEXT,
    Node_Level   INTEGER,
    Node_Type    TEXT,
    ItemName     TEXT,
    ItemCode     TEXT,
    OtherDetails TEXT
);

-- Stock drugs that are filed under no generic name.
CREATE VIEW inventory.vwDrugsWithNoGeneric AS
SELECT d.itemid, d.DrugName, d.Description
FROM tbinvmaster d
WHERE NOT EXISTS (SELECT 1 FROM tbPharvel n WHERE n.Node_Type = '3' AND n.Node_ID = d.itemid);
