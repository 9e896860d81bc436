-- The data of the report "Formulary", read as it stands, with no preparation: every generic name
-- of the register with its classification's path ("no classification" when filed nowhere), its
-- status as letter and word, restriction, ATC and other codes and alternatives, each list in its
-- order. SortKey puts the names by classification, the unfiled ones last.
CREATE VIEW inventory.vwFormulary AS
WITH RECURSIVE place (Node_Key, Path) AS (
    SELECT n.Node_Key, c.ClassificationName
    FROM tbPharvel n JOIN tbForClassification c ON c.ClassificationID = n.Node_ID
    WHERE n.Node_Type = '1' AND n.Node_Parent = '_0'
    UNION ALL
    SELECT n.Node_Key, place.Path || ' / ' || c.ClassificationName
    FROM place
    JOIN tbPharvel n ON n.Node_Parent = place.Node_Key AND n.Node_Type = '1'
    JOIN tbForClassification c ON c.ClassificationID = n.Node_ID
)
SELECT CASE WHEN place.Path IS NULL THEN '2' ELSE '1' END
           || lower(COALESCE(place.Path, '')) || char(1) || lower(g.genericname) AS SortKey,
       COALESCE(place.Path, 'no classification') AS Classification,
       g.genericname AS GenericName,
       CASE f.Status WHEN 'Y' THEN 'Y in the formulary' WHEN 'N' THEN 'N not in the formulary'
                     WHEN 'R' THEN 'R restricted' WHEN 'G' THEN 'G with guidelines'
                     ELSE 'not yet decided' END AS Status,
       f.Restriction AS Restriction,
       (SELECT group_concat(Code, '; ')
        FROM (SELECT k.Code FROM tbGenericCode k
              WHERE k.GenericCode = g.GenericCode AND k.CodeSystem = 'ATC'
              ORDER BY k.Position)) AS AtcCodes,
       (SELECT group_concat(Code, '; ')
        FROM (SELECT k.CodeSystem || ' ' || k.Code AS Code FROM tbGenericCode k
              WHERE k.GenericCode = g.GenericCode AND k.CodeSystem <> 'ATC'
              ORDER BY k.Position)) AS OtherCodes,
       (SELECT group_concat(Name, '; ')
        FROM (SELECT ag.genericname || CASE a.Kind WHEN 'P' THEN ' (preferred alternative)'
                                                   ELSE ' (therapeutic equivalent)' END AS Name
              FROM tbAlternative a JOIN tbforgeneric ag ON ag.GenericCode = a.AlternativeCode
              WHERE a.GenericCode = g.GenericCode
              ORDER BY a.Position)) AS Alternatives
FROM tbforgeneric g
LEFT JOIN tbPharvel n ON n.Node_Type = '2' AND n.Node_ID = g.GenericCode
LEFT JOIN place ON place.Node_Key = n.Node_Parent
LEFT JOIN tbFormulary f ON f.GenericCode = g.GenericCode;
