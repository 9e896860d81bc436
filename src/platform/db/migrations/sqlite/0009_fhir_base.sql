-- The base URL under which the catalogue's FHIR export names the hospital's code systems, kept
-- with the hospital's header and set by the administrator's tool; empty: none set, the export
-- derives one from the hospital's name. The column takes the table's rights: pharmacists read the
-- header and never change it.
ALTER TABLE patient_data.tbHospitalInfo ADD COLUMN FhirBase TEXT NOT NULL DEFAULT '';
