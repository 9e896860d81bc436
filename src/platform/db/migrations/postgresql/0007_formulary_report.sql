-- The data of the report "Formulary", read as it stands, with no preparation: every generic name
-- of the register with its classification's path ("no classification" when filed nowhere), its
-- status as letter and word, restriction, ATC and other codes and alternatives, each list in its
-- order. SortKey puts the names by classification, the unfiled ones last, alike on both engines.
CREATE VIEW inventory.vwFormulary AS
WITH RECURSIVE place (Node_Key, Path) AS (
    SELECT n.Node_Key, c.ClassificationName::text
    FROM inventory.tbPharvel n
    JOIN inventory.tbForClassification c ON c.ClassificationID = n.Node_ID
    WHERE n.Node_Type = '1' AND n.Node_Parent = '_0'
    UNION ALL
    SELECT n.Node_Key, place.Path || ' / ' || c.ClassificationName
    FROM place
    JOIN inventory.tbPharvel n ON n.Node_Parent = place.Node_Key AND n.Node_Type = '1'
    JOIN inventory.tbForClassification c ON c.ClassificationID = n.Node_ID
)
SELECT (CASE WHEN place.Path IS NULL THEN '2' ELSE '1' END
           || lower(COALESCE(place.Path, '')) || chr(1) || lower(g.genericname)) COLLATE "C"
           AS SortKey,
       COALESCE(place.Path, 'no classification') AS Classification,
       g.genericname AS GenericName,
       CASE f.Status WHEN 'Y' THEN 'Y in the formulary' WHEN 'N' THEN 'N not in the formulary'
                     WHEN 'R' THEN 'R restricted' WHEN 'G' THEN 'G with guidelines'
                     ELSE 'not yet decided' END AS Status,
       f.Restriction AS Restriction,
       (SELECT string_agg(k.Code, '; ' ORDER BY k.Position) FROM inventory.tbGenericCode k
        WHERE k.GenericCode = g.GenericCode AND k.CodeSystem = 'ATC') AS AtcCodes,
       (SELECT string_agg(k.CodeSystem || ' ' || k.Code, '; ' ORDER BY k.Position)
        FROM inventory.tbGenericCode k
        WHERE k.GenericCode = g.GenericCode AND k.CodeSystem <> 'ATC') AS OtherCodes,
       (SELECT string_agg(ag.genericname || CASE a.Kind WHEN 'P' THEN ' (preferred alternative)'
                                                        ELSE ' (therapeutic equivalent)' END,
                          '; ' ORDER BY a.Position)
        FROM inventory.tbAlternative a
        JOIN inventory.tbforgeneric ag ON ag.GenericCode = a.AlternativeCode
        WHERE a.GenericCode = g.GenericCode) AS Alternatives
FROM inventory.tbforgeneric g
LEFT JOIN inventory.tbPharvel n ON n.Node_Type = '2' AND n.Node_ID = g.GenericCode
LEFT JOIN place ON place.Node_Key = n.Node_Parent
LEFT JOIN inventory.tbFormulary f ON f.GenericCode = g.GenericCode;
