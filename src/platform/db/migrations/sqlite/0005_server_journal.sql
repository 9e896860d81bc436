-- The server's journal of this version changes nothing here: on the embedded engine the
-- program's own write path journals. The index for the newest row about an entry takes the same
-- columns as the server's (an embedded index ends with the row id anyway).
DROP INDEX inventory.ixCatalogueJournalEntry;
CREATE INDEX inventory.ixCatalogueJournalEntry ON tbCatalogueJournal (EntryType, EntryID, JournalID);
