-- Each report preparation writes rows of its own, and a report reads the rows of its own
-- preparation alone: two users, or two desktops of one, prepare at the same time without waiting
-- for each other and without one report showing the other's rows. No table is locked; each
-- procedure reads the catalogue in one statement, which sees one committed state of it.

-- One row a preparation, the server's own: the id comes from the sequence whatever a client
-- sends, so nobody takes an id another preparation will get; who and when are the server's.
CREATE TABLE inventory.tbReportPreparation (
    PreparationID BIGINT PRIMARY KEY,
    PreparedBy    TEXT NOT NULL,
    PreparedAt    TIMESTAMPTZ NOT NULL
);
CREATE INDEX ixReportPreparationAt ON inventory.tbReportPreparation (PreparedAt);
CREATE SEQUENCE inventory.seqReportPreparation AS BIGINT;

CREATE FUNCTION inventory.fnReportPreparationStamp() RETURNS trigger LANGUAGE plpgsql
    SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
    NEW.PreparationID := nextval('inventory.seqReportPreparation');
    NEW.PreparedBy := session_user;
    NEW.PreparedAt := clock_timestamp();
    RETURN NEW;
END
$$;
REVOKE ALL ON FUNCTION inventory.fnReportPreparationStamp() FROM PUBLIC;
CREATE TRIGGER trReportPreparationStamp BEFORE INSERT ON inventory.tbReportPreparation
    FOR EACH ROW EXECUTE FUNCTION inventory.fnReportPreparationStamp();

-- The report tables' rows of the preparations before this version are of no use to anyone.
DELETE FROM inventory.tbPharvelNodeLevel;
DELETE FROM inventory.tbPharvelReport;
DELETE FROM inventory.tbCatalogueChanges;
DELETE FROM inventory.tbCatalogueChangesPeriod;
ALTER TABLE inventory.tbPharvelNodeLevel DROP CONSTRAINT tbpharvelnodelevel_pkey;
ALTER TABLE inventory.tbPharvelNodeLevel ADD COLUMN PreparationID BIGINT NOT NULL;
ALTER TABLE inventory.tbPharvelNodeLevel ADD PRIMARY KEY (PreparationID, Node_Key);
ALTER TABLE inventory.tbPharvelReport DROP CONSTRAINT tbpharvelreport_pkey;
ALTER TABLE inventory.tbPharvelReport ADD COLUMN PreparationID BIGINT NOT NULL;
ALTER TABLE inventory.tbPharvelReport ADD PRIMARY KEY (PreparationID, SortOrder);
ALTER TABLE inventory.tbCatalogueChanges DROP CONSTRAINT tbcataloguechanges_pkey;
ALTER TABLE inventory.tbCatalogueChanges ADD COLUMN PreparationID BIGINT NOT NULL;
ALTER TABLE inventory.tbCatalogueChanges ADD PRIMARY KEY (PreparationID, SortOrder);
ALTER TABLE inventory.tbCatalogueChangesPeriod ADD COLUMN PreparationID BIGINT NOT NULL;
ALTER TABLE inventory.tbCatalogueChangesPeriod ADD PRIMARY KEY (PreparationID);

-- Every role sees, writes and removes the rows of its own preparations only; so no role, a
-- view-only one neither, puts a row into another's report. The owner's role, which may change
-- any table anyway, is not held.
ALTER TABLE inventory.tbReportPreparation ENABLE ROW LEVEL SECURITY;
CREATE POLICY plOwnPreparation ON inventory.tbReportPreparation
    USING (PreparedBy = session_user);
-- A row of a report table is a role's own when its preparation is: the preparations a role sees.
DO $$
DECLARE
    table_ text;
BEGIN
    FOREACH table_ IN ARRAY ARRAY['tbPharvelNodeLevel', 'tbPharvelReport', 'tbCatalogueChanges',
                                  'tbCatalogueChangesPeriod']
    LOOP
        EXECUTE format('ALTER TABLE inventory.%s ENABLE ROW LEVEL SECURITY', table_);
        EXECUTE format('CREATE POLICY plOwnPreparation ON inventory.%1$s USING (EXISTS ('
                       'SELECT 1 FROM inventory.tbReportPreparation p '
                       'WHERE p.PreparationID = %1$s.PreparationID))', table_);
    END LOOP;
END
$$;

-- The roles made before this version prepare reports as before: every role that could write
-- the report tables may now also begin and remove preparations of its own, and none may
-- rewrite a report's rows.
DO $$
DECLARE
    role_ record;
BEGIN
    FOR role_ IN
        SELECT DISTINCT a.grantee::regrole AS role
        FROM pg_class c, aclexplode(c.relacl) a
        WHERE c.oid = 'inventory.tbpharvelreport'::regclass
          AND a.grantee <> 0 AND a.grantee <> c.relowner AND a.privilege_type = 'INSERT'
    LOOP
        EXECUTE format('GRANT SELECT, INSERT, DELETE ON inventory.tbReportPreparation TO %s',
                       role_.role);
        EXECUTE format('REVOKE UPDATE ON inventory.tbReportPreparation, '
                       'inventory.tbPharvelNodeLevel, inventory.tbPharvelReport, '
                       'inventory.tbCatalogueChanges, inventory.tbCatalogueChangesPeriod FROM %s',
                       role_.role);
    END LOOP;
END
$$;
