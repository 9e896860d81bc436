// Checks FHIR R4 JSON against HL7's own R4 JSON schema: a Bundle file (.json), or NDJSON files
// of one resource a line. Prints every error with its file and line, then the counts; exits 1
// when there was any error.
//   node validate.js FILE...
'use strict';
const fs = require('fs');
const path = require('path');
const Validator = require(path.join(__dirname, 'node_modules', '@asymmetrik',
                                    'fhir-json-schema-validator'));

const validator = new Validator();
let resources = 0;
let errors = 0;
for (const file of process.argv.slice(2)) {
    const text = fs.readFileSync(file, 'utf8');
    const lines = file.endsWith('.ndjson') ? text.split('\n') : [text];
    lines.forEach((line, index) => {
        if (line.length === 0)
            return;
        const found = validator.validate(JSON.parse(line));
        resources += 1;
        for (const error of found) {
            errors += 1;
            console.log(`${file}:${index + 1}: ${JSON.stringify(error)}`);
        }
    });
}
console.log(`${resources} checked, ${errors} errors`);
process.exit(errors === 0 ? 0 : 1);
