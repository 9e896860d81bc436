-- The change journal of the catalogue: one row for every change, written in the change's own
-- transaction. The server stamps each row with its own clock and with the session's login role,
-- whatever the client sends, and refuses to rewrite a row once written. Rights (see the
-- accounts) let a pharmacist's role add rows and read them, a view-only role read them; only the
-- administrator's tool, as the owner, deletes rows (pruning, which journals itself).
CREATE TABLE inventory.tbCatalogueJournal (
    JournalID     BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    ChangedAt     TIMESTAMPTZ NOT NULL DEFAULT now(),
    ChangedBy     TEXT NOT NULL DEFAULT session_user,
    Desktop       TEXT NOT NULL DEFAULT '',
    Action        TEXT NOT NULL,
    EntryType     TEXT NOT NULL,
    EntryID       INTEGER,
    EntryName     TEXT,
    OldName       TEXT,
    NewName       TEXT,
    OldParentKey  TEXT,
    OldParentName TEXT,
    NewParentKey  TEXT,
    NewParentName TEXT,
    OldText       TEXT,
    NewText       TEXT
);
CREATE INDEX ixCatalogueJournalAt ON inventory.tbCatalogueJournal (ChangedAt);
CREATE INDEX ixCatalogueJournalEntry ON inventory.tbCatalogueJournal (EntryType, EntryID);

CREATE FUNCTION inventory.fnCatalogueJournalStamp() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    NEW.ChangedAt := now();
    NEW.ChangedBy := session_user;
    RETURN NEW;
END
$$;
CREATE TRIGGER trCatalogueJournalStamp BEFORE INSERT ON inventory.tbCatalogueJournal
    FOR EACH ROW EXECUTE FUNCTION inventory.fnCatalogueJournalStamp();

CREATE FUNCTION inventory.fnCatalogueJournalKeep() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'The catalogue journal cannot be rewritten.'
        USING ERRCODE = 'insufficient_privilege';
END
$$;
CREATE TRIGGER trCatalogueJournalKeep BEFORE UPDATE ON inventory.tbCatalogueJournal
    FOR EACH ROW EXECUTE FUNCTION inventory.fnCatalogueJournalKeep();
