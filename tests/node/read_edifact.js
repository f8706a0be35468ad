// Reads an EDIFACT interchange with an independent parser and prints what
// the tests compare: per FTX segment its text components joined by a tab,
// then the number of segments from UNH to UNT and the count UNT states.
const fs = require('fs');
const { Reader } = require('edifact');

const doc = fs.readFileSync(process.argv[2], 'latin1');
const segments = new Reader().parse(doc);
const lines = [];
let first = -1;
segments.forEach((s, i) => {
    if (s.name === 'UNH') first = i;
    if (s.name === 'FTX') lines.push('FTX ' + (s.elements[3] || []).join('\t'));
    if (s.name === 'UNT') lines.push('count ' + (i - first + 1) + ' ' + s.elements[0][0]);
});
process.stdout.write(lines.join('\n') + '\n');
