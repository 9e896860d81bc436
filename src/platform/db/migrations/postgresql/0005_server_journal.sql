-- The server writes the journal. Triggers on the catalogue's tables journal every insert,
-- update and delete in the change's own transaction, whoever makes it and however (the program,
-- psql, any other client). A pharmacist's role may no longer insert journal rows: the triggers
-- run as the owner, so they alone write them, and only the owner's role (the administrator's
-- tool, and the program when it runs as that role) journals its own changes, through the
-- program. Desktop is what the client says in the session setting pharvel.desktop: it tells,
-- it guards nothing.

-- The transaction that wrote the row: a change made of several statements (a move is a node
-- taken out and a node filed) becomes one row while its transaction lasts.
ALTER TABLE inventory.tbCatalogueJournal ADD COLUMN WrittenIn xid8 NOT NULL DEFAULT pg_current_xact_id();
ALTER TABLE inventory.tbCatalogueJournal ALTER COLUMN ChangedAt SET DEFAULT clock_timestamp();
DROP INDEX inventory.ixCatalogueJournalEntry;
CREATE INDEX ixCatalogueJournalEntry ON inventory.tbCatalogueJournal (EntryType, EntryID, JournalID);

-- When: the server's clock at the change, not the start of its transaction.
CREATE OR REPLACE FUNCTION inventory.fnCatalogueJournalStamp() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    NEW.ChangedAt := clock_timestamp();
    NEW.ChangedBy := session_user;
    RETURN NEW;
END
$$;

-- A row is never rewritten once its transaction is over; while it lasts, the journal's own
-- triggers fold the row of a change's first statement into the row of the whole change.
CREATE OR REPLACE FUNCTION inventory.fnCatalogueJournalKeep() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF OLD.WrittenIn = pg_current_xact_id() AND NEW.WrittenIn = OLD.WrittenIn
       AND NEW.JournalID = OLD.JournalID AND NEW.ChangedBy = OLD.ChangedBy THEN
        RETURN NEW;
    END IF;
    RAISE EXCEPTION 'The catalogue journal cannot be rewritten.'
        USING ERRCODE = 'insufficient_privilege';
END
$$;

-- The helpers below name every object with its schema; inside a trigger they run as the owner
-- under the trigger's search path.

-- Whether the session's role writes journal rows itself: the owner's does (and journals its own
-- changes through the program); every other role's changes are journaled by the triggers.
CREATE FUNCTION inventory.fnJournalsItself() RETURNS boolean LANGUAGE sql STABLE AS $$
SELECT has_table_privilege(session_user, 'inventory.tbcataloguejournal', 'INSERT')
$$;

-- The name of the entry of the node type and id, as it is now.
CREATE FUNCTION inventory.fnJournalEntryName(text, integer) RETURNS text LANGUAGE sql STABLE AS $$
SELECT CASE $1
    WHEN '1' THEN (SELECT ClassificationName FROM inventory.tbForClassification
                   WHERE ClassificationID = $2)
    WHEN '2' THEN (SELECT genericname FROM inventory.tbforgeneric WHERE GenericCode = $2)
    WHEN '3' THEN (SELECT DrugName FROM inventory.tbinvmaster WHERE itemid = $2)
END
$$;

-- The name of the entry filed at a node; the root has none, and the tree shows it by this name.
CREATE FUNCTION inventory.fnJournalPlaceName(text) RETURNS text LANGUAGE sql STABLE AS $$
SELECT CASE WHEN $1 = '_0' THEN 'All Classification'
            ELSE (SELECT inventory.fnJournalEntryName(Node_Type::text, Node_ID)
                  FROM inventory.tbPharvel WHERE Node_Key = $1) END
$$;

-- A drug's fields as one text, one line each, for the journal's before and after.
CREATE FUNCTION inventory.fnJournalDrugText(drug inventory.tbinvmaster) RETURNS text
    LANGUAGE sql IMMUTABLE AS $$
SELECT concat_ws(E'\n', 'name: ' || coalesce(drug.DrugName, ''),
                 'description: ' || coalesce(drug.Description, ''),
                 'indication: ' || coalesce(drug.Indication, ''),
                 'dosage: ' || coalesce(drug.Dosage, ''),
                 'administration: ' || coalesce(drug.Administration, ''),
                 'preparation: ' || coalesce(drug.Preparation, ''))
$$;

-- Adds one row; the journal's own trigger stamps who and when. This and the next are PL/pgSQL,
-- whose statements a session plans once, since every change of the catalogue runs them.
CREATE FUNCTION inventory.fnJournalAdd(p_action text, p_type text, p_id integer, p_name text,
                                       p_oldName text, p_newName text, p_oldParentKey text,
                                       p_newParentKey text, p_oldText text, p_newText text)
    RETURNS void LANGUAGE plpgsql AS $$
BEGIN
    INSERT INTO inventory.tbCatalogueJournal (Desktop, Action, EntryType, EntryID, EntryName,
                                              OldName, NewName, OldParentKey, OldParentName,
                                              NewParentKey, NewParentName, OldText, NewText)
    VALUES (coalesce(current_setting('pharvel.desktop', true), ''), p_action, p_type, p_id,
            p_name, p_oldName, p_newName, p_oldParentKey,
            inventory.fnJournalPlaceName(p_oldParentKey), p_newParentKey,
            inventory.fnJournalPlaceName(p_newParentKey), p_oldText, p_newText);
END
$$;

-- The newest row about the entry when this transaction wrote it: the first part of a change
-- that the statement at hand completes.
CREATE FUNCTION inventory.fnJournalPending(p_type text, p_id integer)
    RETURNS inventory.tbCatalogueJournal LANGUAGE plpgsql AS $$
DECLARE
    newest inventory.tbCatalogueJournal;
BEGIN
    SELECT * INTO newest FROM inventory.tbCatalogueJournal
    WHERE EntryType = p_type AND EntryID = p_id ORDER BY JournalID DESC LIMIT 1;
    IF newest.WrittenIn = pg_current_xact_id() THEN
        RETURN newest;
    END IF;
    RETURN NULL;
END
$$;

REVOKE ALL ON FUNCTION inventory.fnJournalAdd(text, text, integer, text, text, text, text, text,
                                              text, text) FROM PUBLIC;
REVOKE ALL ON FUNCTION inventory.fnJournalPending(text, integer) FROM PUBLIC;

-- Classifications: added, renamed, deleted. A deletion completes its node's taking out.
CREATE FUNCTION inventory.fnJournalClassification() RETURNS trigger LANGUAGE plpgsql
    SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    pending inventory.tbCatalogueJournal;
BEGIN
    IF inventory.fnJournalsItself() THEN
        RETURN NULL;
    END IF;
    IF TG_OP <> 'INSERT' AND (TG_OP = 'DELETE' OR OLD.ClassificationID <> NEW.ClassificationID) THEN
        pending := inventory.fnJournalPending('1', OLD.ClassificationID);
        IF pending.Action = 'classification taken out' THEN
            UPDATE inventory.tbCatalogueJournal SET Action = 'classification deleted'
            WHERE JournalID = pending.JournalID;
        ELSE
            PERFORM inventory.fnJournalAdd('classification deleted', '1', OLD.ClassificationID,
                OLD.ClassificationName, OLD.ClassificationName, NULL, NULL, NULL, NULL, NULL);
        END IF;
    END IF;
    IF TG_OP <> 'DELETE' AND (TG_OP = 'INSERT' OR OLD.ClassificationID <> NEW.ClassificationID) THEN
        PERFORM inventory.fnJournalAdd('classification added', '1', NEW.ClassificationID,
            NEW.ClassificationName, NULL, NEW.ClassificationName, NULL, NULL, NULL, NULL);
    -- A rename to the name it has is still a rename that ran: journaled as the program's own is.
    ELSIF TG_OP = 'UPDATE' THEN
        PERFORM inventory.fnJournalAdd('classification renamed', '1', NEW.ClassificationID,
            OLD.ClassificationName, OLD.ClassificationName, NEW.ClassificationName,
            NULL, NULL, NULL, NULL);
    END IF;
    RETURN NULL;
END
$$;

-- Generic names of the register: added, renamed, deleted.
CREATE FUNCTION inventory.fnJournalGeneric() RETURNS trigger LANGUAGE plpgsql
    SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    IF inventory.fnJournalsItself() THEN
        RETURN NULL;
    END IF;
    IF TG_OP <> 'INSERT' AND (TG_OP = 'DELETE' OR OLD.GenericCode <> NEW.GenericCode) THEN
        PERFORM inventory.fnJournalAdd('generic name deleted', '2', OLD.GenericCode,
            OLD.genericname, OLD.genericname, NULL, NULL, NULL, NULL, NULL);
    END IF;
    IF TG_OP <> 'DELETE' AND (TG_OP = 'INSERT' OR OLD.GenericCode <> NEW.GenericCode) THEN
        PERFORM inventory.fnJournalAdd('generic name added', '2', NEW.GenericCode,
            NEW.genericname, NULL, NEW.genericname, NULL, NULL, NULL, NULL);
    ELSIF TG_OP = 'UPDATE' THEN
        PERFORM inventory.fnJournalAdd('generic name renamed', '2', NEW.GenericCode,
            OLD.genericname, OLD.genericname, NEW.genericname, NULL, NULL, NULL, NULL);
    END IF;
    RETURN NULL;
END
$$;

-- Stock drugs: added, changed (any of their fields), deleted.
CREATE FUNCTION inventory.fnJournalDrug() RETURNS trigger LANGUAGE plpgsql
    SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    IF inventory.fnJournalsItself() THEN
        RETURN NULL;
    END IF;
    IF TG_OP <> 'INSERT' AND (TG_OP = 'DELETE' OR OLD.itemid <> NEW.itemid) THEN
        PERFORM inventory.fnJournalAdd('drug deleted', '3', OLD.itemid, OLD.DrugName,
            OLD.DrugName, NULL, NULL, NULL, NULL, NULL);
    END IF;
    IF TG_OP <> 'DELETE' AND (TG_OP = 'INSERT' OR OLD.itemid <> NEW.itemid) THEN
        PERFORM inventory.fnJournalAdd('drug added', '3', NEW.itemid, NEW.DrugName, NULL,
            NEW.DrugName, NULL, NULL, NULL, inventory.fnJournalDrugText(NEW));
    ELSIF TG_OP = 'UPDATE' AND OLD IS DISTINCT FROM NEW THEN
        PERFORM inventory.fnJournalAdd('drug changed', '3', NEW.itemid, OLD.DrugName,
            OLD.DrugName, NEW.DrugName, NULL, NULL, inventory.fnJournalDrugText(OLD),
            inventory.fnJournalDrugText(NEW));
    END IF;
    RETURN NULL;
END
$$;

-- The tree: an entry filed, moved or taken out. A move is its node taken out and a node filed
-- in one transaction, and leaves one "moved" row with both places.
CREATE FUNCTION inventory.fnJournalNode() RETURNS trigger LANGUAGE plpgsql
    SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    kind text;
    pending inventory.tbCatalogueJournal;
BEGIN
    IF inventory.fnJournalsItself() THEN
        RETURN NULL;
    END IF;
    IF TG_OP = 'UPDATE' AND OLD.Node_Type = NEW.Node_Type AND OLD.Node_ID = NEW.Node_ID
       AND OLD.Node_Parent IS NOT DISTINCT FROM NEW.Node_Parent THEN
        RETURN NULL; -- the same entry in the same place under another key
    END IF;
    IF TG_OP <> 'INSERT' AND OLD.Node_Type <> '0' THEN
        kind := CASE OLD.Node_Type WHEN '1' THEN 'classification' WHEN '2' THEN 'generic name'
                ELSE 'drug' END;
        PERFORM inventory.fnJournalAdd(kind || ' taken out', OLD.Node_Type::text, OLD.Node_ID,
            inventory.fnJournalEntryName(OLD.Node_Type::text, OLD.Node_ID),
            CASE WHEN OLD.Node_Type = '1'
                 THEN inventory.fnJournalEntryName('1', OLD.Node_ID) END,
            NULL, OLD.Node_Parent, NULL, NULL, NULL);
    END IF;
    IF TG_OP <> 'DELETE' AND NEW.Node_Type <> '0' THEN
        kind := CASE NEW.Node_Type WHEN '1' THEN 'classification' WHEN '2' THEN 'generic name'
                ELSE 'drug' END;
        pending := inventory.fnJournalPending(NEW.Node_Type::text, NEW.Node_ID);
        IF pending.Action = kind || ' taken out'
           OR (pending.Action = 'classification added' AND pending.NewParentKey IS NULL) THEN
            UPDATE inventory.tbCatalogueJournal
            SET Action = CASE WHEN pending.Action = 'classification added' THEN Action
                              ELSE kind || ' moved' END,
                NewParentKey = NEW.Node_Parent,
                NewParentName = inventory.fnJournalPlaceName(NEW.Node_Parent)
            WHERE JournalID = pending.JournalID;
        ELSE
            PERFORM inventory.fnJournalAdd(
                CASE WHEN NEW.Node_Type = '1' THEN 'classification moved' ELSE kind || ' filed' END,
                NEW.Node_Type::text, NEW.Node_ID,
                inventory.fnJournalEntryName(NEW.Node_Type::text, NEW.Node_ID), NULL, NULL,
                NULL, NEW.Node_Parent, NULL, NULL);
        END IF;
    END IF;
    RETURN NULL;
END
$$;

-- Other details of a generic name. Those that go with their generic name are told by its
-- deletion.
CREATE FUNCTION inventory.fnJournalOtherDetails() RETURNS trigger LANGUAGE plpgsql
    SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
    generic integer := CASE WHEN TG_OP = 'DELETE' THEN OLD.GenericID ELSE NEW.GenericID END;
    before text := CASE WHEN TG_OP = 'INSERT' THEN NULL ELSE OLD.OtherDetails END;
    after text := CASE WHEN TG_OP = 'DELETE' THEN NULL ELSE NEW.OtherDetails END;
BEGIN
    IF inventory.fnJournalsItself() THEN
        RETURN NULL;
    END IF;
    IF inventory.fnJournalEntryName('2', generic) IS NULL
       OR (TG_OP = 'UPDATE' AND OLD IS NOT DISTINCT FROM NEW) THEN
        RETURN NULL;
    END IF;
    PERFORM inventory.fnJournalAdd('other details saved', '2', generic,
        inventory.fnJournalEntryName('2', generic), NULL, NULL, NULL, NULL, before, after);
    RETURN NULL;
END
$$;

CREATE TRIGGER trJournalClassification AFTER INSERT OR UPDATE OR DELETE
    ON inventory.tbForClassification
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalClassification();
CREATE TRIGGER trJournalGeneric AFTER INSERT OR UPDATE OR DELETE ON inventory.tbforgeneric
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalGeneric();
CREATE TRIGGER trJournalDrug AFTER INSERT OR UPDATE OR DELETE ON inventory.tbinvmaster
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalDrug();
CREATE TRIGGER trJournalNode AFTER INSERT OR UPDATE OR DELETE ON inventory.tbPharvel
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalNode();
CREATE TRIGGER trJournalOtherDetails AFTER INSERT OR UPDATE OR DELETE
    ON inventory.tbPharvelOtherDetails
    FOR EACH ROW EXECUTE FUNCTION inventory.fnJournalOtherDetails();

-- The roles made before this version lose the rights to write journal rows and to change the
-- hospital's header (the administrator's to keep); the roles made from now on never get them.
DO $$
DECLARE
    grant_ record;
BEGIN
    FOR grant_ IN
        SELECT DISTINCT c.oid::regclass AS tbl, a.grantee::regrole AS role
        FROM pg_class c, aclexplode(c.relacl) a
        WHERE c.oid IN ('inventory.tbcataloguejournal'::regclass,
                        'patient_data.tbhospitalinfo'::regclass)
          AND a.grantee <> 0 AND a.grantee <> c.relowner
          AND a.privilege_type IN ('INSERT', 'UPDATE', 'DELETE')
    LOOP
        EXECUTE format('REVOKE INSERT, UPDATE, DELETE ON %s FROM %s', grant_.tbl, grant_.role);
    END LOOP;
END
$$;

-- Rows a pharmacist's role inserted with ids of its own choosing no longer stand in the way of
-- the ids the journal hands out.
SELECT setval(pg_get_serial_sequence('inventory.tbcataloguejournal', 'journalid'),
              greatest(coalesce(max(JournalID), 0), 1), max(JournalID) IS NOT NULL)
FROM inventory.tbCatalogueJournal;
