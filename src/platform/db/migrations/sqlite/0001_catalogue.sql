-- The catalogue: classifications, generic names, stock drugs and the tree that files them.
-- Ids that pass between windows are 16-bit, so the database refuses any beyond that range.

CREATE TABLE inventory.tbSchemaVersion (
    Version   INTEGER PRIMARY KEY,
    AppliedAt TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP
);

CREATE TABLE inventory.tbForClassification (
    ClassificationID   INTEGER PRIMARY KEY CHECK (ClassificationID BETWEEN 1 AND 32767),
    ClassificationName TEXT NOT NULL
);

CREATE TABLE inventory.tbforgeneric (
    GenericCode INTEGER PRIMARY KEY CHECK (GenericCode BETWEEN 1 AND 32767),
    genericname TEXT NOT NULL
);

CREATE TABLE inventory.tbinvmaster (
    itemid         INTEGER PRIMARY KEY CHECK (itemid BETWEEN 1 AND 32767),
    DrugName       TEXT NOT NULL,
    Description    TEXT NOT NULL DEFAULT '',
    Indication     TEXT,
    Dosage         TEXT,
    Administration TEXT,
    Preparation    TEXT
);

-- One row a tree node. The key spells the node's ancestry ("_3.2.7" lies under "_3.2"), the
-- root "_0" is the only node without a parent, and a classification, generic name or drug has
-- at most one node.
CREATE TABLE inventory.tbPharvel (
    Node_Key    TEXT PRIMARY KEY,
    Node_Parent TEXT REFERENCES tbPharvel (Node_Key) ON DELETE RESTRICT,
    Node_Type   TEXT NOT NULL CHECK (Node_Type IN ('0', '1', '2', '3')),
    Node_ID     INTEGER NOT NULL,
    UNIQUE (Node_Type, Node_ID),
    CHECK ((Node_Type = '0') = (Node_Parent IS NULL)),
    CHECK (Node_Type <> '0' OR Node_Key = '_0'),
    CHECK (Node_Type = '0'
           OR (Node_Parent = '_0' AND Node_Key GLOB '_[0-9]*' AND Node_Key NOT GLOB '*[^0-9_]*')
           OR (substr(Node_Key, 1, length(Node_Parent) + 1) = Node_Parent || '.'
               AND substr(Node_Key, length(Node_Parent) + 2) GLOB '[0-9]*'
               AND substr(Node_Key, length(Node_Parent) + 2) NOT GLOB '*[^0-9]*'))
);
CREATE INDEX inventory.ixPharvelParent ON tbPharvel (Node_Parent);

INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, Node_Type, Node_ID) VALUES ('_0', NULL, '0', 0);

-- One other-details text a generic name, gone with the generic name.
CREATE TABLE inventory.tbPharvelOtherDetails (
    GenericID    INTEGER PRIMARY KEY REFERENCES tbforgeneric (GenericCode) ON DELETE CASCADE,
    OtherDetails TEXT
);

CREATE TABLE patient_data.tbHospitalInfo (
    HospitalID INTEGER PRIMARY KEY,
    clientname TEXT NOT NULL DEFAULT '',
    company    TEXT NOT NULL DEFAULT '',
    address1   TEXT NOT NULL DEFAULT ''
);

-- The accounts of the login. On this engine the password is kept as an Argon2id hash, never as
-- the password itself.
CREATE TABLE patient_data.tbUserProfile (
    UserID       TEXT PRIMARY KEY,
    Initial      TEXT NOT NULL,
    UserRights   TEXT NOT NULL DEFAULT '',
    DeptCode     TEXT NOT NULL,
    PasswordHash TEXT NOT NULL
);
