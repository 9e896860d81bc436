-- The formulary: what the committee decided for each generic name, its reference codes, its
-- therapeutic alternatives, and the hospital's own copy of the ATC index. Everything a generic
-- name has here goes with it; an alternative naming a generic name that goes is dropped.
-- Status letters: Y in the formulary, N not, R restricted, G with guidelines; NULL not decided.
CREATE TABLE inventory.tbFormulary (
    GenericCode INTEGER PRIMARY KEY REFERENCES inventory.tbforgeneric (GenericCode)
                ON DELETE CASCADE,
    Status      TEXT CHECK (Status IN ('Y', 'N', 'R', 'G')),
    Restriction TEXT CHECK (length(Restriction) <= 4000),
    DecidedOn   DATE,
    DecisionRef TEXT CHECK (length(DecisionRef) <= 200),
    ReviewOn    DATE,
    Ven         TEXT CHECK (Ven IN ('V', 'E', 'N')),
    CHECK (Status NOT IN ('R', 'G') OR btrim(Restriction) <> '')
);
CREATE INDEX ixFormularyStatus ON inventory.tbFormulary (Status);

-- A code is two fields, its system and the code; ATC codes are checked for their form.
CREATE TABLE inventory.tbGenericCode (
    GenericCode INTEGER NOT NULL REFERENCES inventory.tbforgeneric (GenericCode)
                ON DELETE CASCADE,
    Position    INTEGER NOT NULL,
    CodeSystem  TEXT NOT NULL CHECK (btrim(CodeSystem) <> '' AND length(CodeSystem) <= 40),
    Code        TEXT NOT NULL CHECK (btrim(Code) <> '' AND length(Code) <= 40),
    PRIMARY KEY (GenericCode, Position),
    UNIQUE (GenericCode, CodeSystem, Code),
    CHECK (CodeSystem <> 'ATC' OR Code ~ '^[A-Z]([0-9]{2}([A-Z]([A-Z]([0-9]{2})?)?)?)?$')
);
CREATE INDEX ixGenericCodeCode ON inventory.tbGenericCode (Code);

-- The hospital's licensed copy of the WHO ATC/DDD index, as the administrator's tool loads it.
-- DDD is kept as the index writes it. Only the owner (the tool) writes it: see the accounts.
CREATE TABLE inventory.tbAtcIndex (
    Code  TEXT PRIMARY KEY CHECK (Code ~ '^[A-Z]([0-9]{2}([A-Z]([A-Z]([0-9]{2})?)?)?)?$'),
    Name  TEXT NOT NULL,
    DDD   TEXT,
    Unit  TEXT,
    Route TEXT,
    Note  TEXT
);

-- Kind: P preferred alternative, T therapeutic equivalent.
CREATE TABLE inventory.tbAlternative (
    GenericCode     INTEGER NOT NULL REFERENCES inventory.tbforgeneric (GenericCode)
                    ON DELETE CASCADE,
    Position        INTEGER NOT NULL,
    AlternativeCode INTEGER NOT NULL REFERENCES inventory.tbforgeneric (GenericCode)
                    ON DELETE CASCADE,
    Kind            TEXT NOT NULL CHECK (Kind IN ('P', 'T')),
    Note            TEXT CHECK (length(Note) <= 1000),
    PRIMARY KEY (GenericCode, Position),
    UNIQUE (GenericCode, AlternativeCode),
    CHECK (AlternativeCode <> GenericCode)
);
CREATE INDEX ixAlternativeCode ON inventory.tbAlternative (AlternativeCode);

-- The server journals a change of a generic name's formulary by any role but the owner's (whose
-- tool journals its own), as it journals the catalogue's other tables: one "formulary changed"
-- row a generic name and transaction, its old and new text the formulary before the
-- transaction's first change of it and after its last, one line a field as the program writes
-- them. The formulary of a generic name that is deleted goes with it and is told by its deletion.
CREATE FUNCTION inventory.fnJournalFormularyText(p_generic integer) RETURNS text
    LANGUAGE sql STABLE AS $$
SELECT NULLIF(concat_ws(E'\n',
    (SELECT concat_ws(E'\n',
         'status: ' || f.Status || ' ' || CASE f.Status WHEN 'Y' THEN 'in the formulary'
             WHEN 'N' THEN 'not in the formulary' WHEN 'R' THEN 'restricted'
             WHEN 'G' THEN 'with guidelines' END,
         'restriction: ' || NULLIF(f.Restriction, ''),
         'decided: ' || to_char(f.DecidedOn, 'YYYY-MM-DD'),
         'reference: ' || NULLIF(f.DecisionRef, ''),
         'review: ' || to_char(f.ReviewOn, 'YYYY-MM-DD'),
         'VEN: ' || f.Ven || ' ' || CASE f.Ven WHEN 'V' THEN 'vital' WHEN 'E' THEN 'essential'
             WHEN 'N' THEN 'non-essential' END)
     FROM inventory.tbFormulary f WHERE f.GenericCode = p_generic),
    (SELECT string_agg('code: ' || c.CodeSystem || ' ' || c.Code, E'\n' ORDER BY c.Position)
     FROM inventory.tbGenericCode c WHERE c.GenericCode = p_generic),
    (SELECT string_agg('alternative: ' || a.AlternativeCode
                       || coalesce(' ' || NULLIF(g.genericname, ''), '')
                       || CASE a.Kind WHEN 'P' THEN ' (preferred alternative)'
                          ELSE ' (therapeutic equivalent)' END
                       || coalesce(': ' || NULLIF(a.Note, ''), ''), E'\n' ORDER BY a.Position)
     FROM inventory.tbAlternative a
     LEFT JOIN inventory.tbforgeneric g ON g.GenericCode = a.AlternativeCode
     WHERE a.GenericCode = p_generic)), '')
$$;

-- Before a row of the generic name's formulary changes: the transaction's first change of it
-- opens its row with the formulary as it was.
CREATE FUNCTION inventory.fnJournalFormularyOpen(p_generic integer) RETURNS void
    LANGUAGE plpgsql AS $$
DECLARE
    pending inventory.tbCatalogueJournal;
    name text := inventory.fnJournalEntryName('2', p_generic);
BEGIN
    IF name IS NULL THEN
        RETURN;
    END IF;
    pending := inventory.fnJournalPending('2', p_generic);
    IF pending.Action IS DISTINCT FROM 'formulary changed' THEN
        PERFORM inventory.fnJournalAdd('formulary changed', '2', p_generic, name, NULL, NULL,
            NULL, NULL, inventory.fnJournalFormularyText(p_generic), NULL);
    END IF;
END
$$;

-- After it changed: the row says the formulary as it is now.
CREATE FUNCTION inventory.fnJournalFormularyClose(p_generic integer) RETURNS void
    LANGUAGE plpgsql AS $$
DECLARE
    pending inventory.tbCatalogueJournal := inventory.fnJournalPending('2', p_generic);
BEGIN
    IF pending.Action = 'formulary changed' THEN
        UPDATE inventory.tbCatalogueJournal
        SET NewText = inventory.fnJournalFormularyText(p_generic)
        WHERE JournalID = pending.JournalID;
    END IF;
END
$$;

REVOKE ALL ON FUNCTION inventory.fnJournalFormularyOpen(integer) FROM PUBLIC;
REVOKE ALL ON FUNCTION inventory.fnJournalFormularyClose(integer) FROM PUBLIC;

-- One trigger function for the three tables: each names its generic name in GenericCode.
CREATE FUNCTION inventory.fnJournalFormulary() RETURNS trigger LANGUAGE plpgsql
    SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    generics integer[];
    generic integer;
BEGIN
    IF inventory.fnJournalsItself() THEN
        RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END;
    END IF;
    generics := CASE TG_OP WHEN 'INSERT' THEN ARRAY[NEW.GenericCode]
                           WHEN 'DELETE' THEN ARRAY[OLD.GenericCode]
                           ELSE ARRAY[OLD.GenericCode, NEW.GenericCode] END;
    FOREACH generic IN ARRAY generics LOOP
        IF TG_WHEN = 'BEFORE' THEN
            PERFORM inventory.fnJournalFormularyOpen(generic);
        ELSE
            PERFORM inventory.fnJournalFormularyClose(generic);
        END IF;
    END LOOP;
    RETURN CASE WHEN TG_OP = 'DELETE' THEN OLD ELSE NEW END;
END
$$;

CREATE TRIGGER trJournalFormularyOpen BEFORE INSERT OR UPDATE OR DELETE ON inventory.tbFormulary
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalFormulary();
CREATE TRIGGER trJournalFormularyClose AFTER INSERT OR UPDATE OR DELETE ON inventory.tbFormulary
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalFormulary();
CREATE TRIGGER trJournalCodeOpen BEFORE INSERT OR UPDATE OR DELETE ON inventory.tbGenericCode
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalFormulary();
CREATE TRIGGER trJournalCodeClose AFTER INSERT OR UPDATE OR DELETE ON inventory.tbGenericCode
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalFormulary();
CREATE TRIGGER trJournalAlternativeOpen BEFORE INSERT OR UPDATE OR DELETE
    ON inventory.tbAlternative
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalFormulary();
CREATE TRIGGER trJournalAlternativeClose AFTER INSERT OR UPDATE OR DELETE
    ON inventory.tbAlternative
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalFormulary();
