-- The change journal of the catalogue: one row for every change, written in the change's own
-- transaction. The embedded engine has no accounts: the row names the logged-in user id, and
-- the time is this desktop's clock in UTC. A row once written is never rewritten.
CREATE TABLE inventory.tbCatalogueJournal (
    JournalID     INTEGER PRIMARY KEY AUTOINCREMENT,
    ChangedAt     TEXT NOT NULL DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now')),
    ChangedBy     TEXT NOT NULL,
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
CREATE INDEX inventory.ixCatalogueJournalAt ON tbCatalogueJournal (ChangedAt);
CREATE INDEX inventory.ixCatalogueJournalEntry ON tbCatalogueJournal (EntryType, EntryID);

CREATE TRIGGER inventory.trCatalogueJournalKeep BEFORE UPDATE ON tbCatalogueJournal
BEGIN
    SELECT RAISE(ABORT, 'The catalogue journal cannot be rewritten.');
END;
