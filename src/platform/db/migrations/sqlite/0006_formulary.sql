-- The formulary: what the committee decided for each generic name, its reference codes, its
-- therapeutic alternatives, and the hospital's own copy of the ATC index. Everything a generic
-- name has here goes with it; an alternative naming a generic name that goes is dropped.
-- Status letters: Y in the formulary, N not, R restricted, G with guidelines; NULL not decided.
CREATE TABLE inventory.tbFormulary (
    GenericCode INTEGER PRIMARY KEY REFERENCES tbforgeneric (GenericCode) ON DELETE CASCADE,
    Status      TEXT CHECK (Status IN ('Y', 'N', 'R', 'G')),
    Restriction TEXT CHECK (length(Restriction) <= 4000),
    DecidedOn   TEXT CHECK (DecidedOn GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),
    DecisionRef TEXT CHECK (length(DecisionRef) <= 200),
    ReviewOn    TEXT CHECK (ReviewOn GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),
    Ven         TEXT CHECK (Ven IN ('V', 'E', 'N')),
    CHECK (Status NOT IN ('R', 'G') OR trim(Restriction) <> '')
);
CREATE INDEX inventory.ixFormularyStatus ON tbFormulary (Status);

-- A code is two fields, its system and the code; ATC codes are checked for their form.
CREATE TABLE inventory.tbGenericCode (
    GenericCode INTEGER NOT NULL REFERENCES tbforgeneric (GenericCode) ON DELETE CASCADE,
    Position    INTEGER NOT NULL,
    CodeSystem  TEXT NOT NULL CHECK (trim(CodeSystem) <> '' AND length(CodeSystem) <= 40),
    Code        TEXT NOT NULL CHECK (trim(Code) <> '' AND length(Code) <= 40),
    PRIMARY KEY (GenericCode, Position),
    UNIQUE (GenericCode, CodeSystem, Code),
    CHECK (CodeSystem <> 'ATC' OR Code GLOB '[A-Z]' OR Code GLOB '[A-Z][0-9][0-9]'
           OR Code GLOB '[A-Z][0-9][0-9][A-Z]' OR Code GLOB '[A-Z][0-9][0-9][A-Z][A-Z]'
           OR Code GLOB '[A-Z][0-9][0-9][A-Z][A-Z][0-9][0-9]')
);
CREATE INDEX inventory.ixGenericCodeCode ON tbGenericCode (Code);

-- The hospital's licensed copy of the WHO ATC/DDD index, as the administrator's tool loads it.
-- DDD is kept as the index writes it.
CREATE TABLE inventory.tbAtcIndex (
    Code  TEXT PRIMARY KEY
          CHECK (Code GLOB '[A-Z]' OR Code GLOB '[A-Z][0-9][0-9]'
                 OR Code GLOB '[A-Z][0-9][0-9][A-Z]' OR Code GLOB '[A-Z][0-9][0-9][A-Z][A-Z]'
                 OR Code GLOB '[A-Z][0-9][0-9][A-Z][A-Z][0-9][0-9]'),
    Name  TEXT NOT NULL,
    DDD   TEXT,
    Unit  TEXT,
    Route TEXT,
    Note  TEXT
);

-- Kind: P preferred alternative, T therapeutic equivalent.
CREATE TABLE inventory.tbAlternative (
    GenericCode     INTEGER NOT NULL REFERENCES tbforgeneric (GenericCode) ON DELETE CASCADE,
    Position        INTEGER NOT NULL,
    AlternativeCode INTEGER NOT NULL REFERENCES tbforgeneric (GenericCode) ON DELETE CASCADE,
    Kind            TEXT NOT NULL CHECK (Kind IN ('P', 'T')),
    Note            TEXT CHECK (length(Note) <= 1000),
    PRIMARY KEY (GenericCode, Position),
    UNIQUE (GenericCode, AlternativeCode),
    CHECK (AlternativeCode <> GenericCode)
);
CREATE INDEX inventory.ixAlternativeCode ON tbAlternative (AlternativeCode);
