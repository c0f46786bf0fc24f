// Checks the VS Code extension's .vsix, unpacked into FOLDER: it carries VERSION, every file its
// manifest names is in it (the client, the grammar, the language configuration), and the client is
// one bundle that needs nothing but VS Code and Node.js: no node_modules, no sources beside it.
//
//   node check-vsix.js FOLDER VERSION
'use strict';
const fs = require('fs');
const path = require('path');
const { builtinModules } = require('module');

const [folder, version] = process.argv.slice(2);
const extension = path.join(folder, 'extension');
const has = (file) => typeof file === 'string' && fs.existsSync(path.join(extension, file));
let passed = 0;
let failed = 0;
function check(ok, failure) {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.log(`FAIL vsix: ${failure}`);
  }
}

const manifest = JSON.parse(fs.readFileSync(path.join(extension, 'package.json'), 'utf8'));
check(manifest.version === version, `version ${manifest.version}, the project's is ${version}`);
const named = [manifest.main]
  .concat(manifest.contributes.grammars.map((grammar) => grammar.path))
  .concat(manifest.contributes.languages.map((language) => language.configuration));
for (const file of named) check(has(file), `no ${file}, which package.json names`);
if (has(manifest.main)) {
  const client = fs.readFileSync(path.join(extension, manifest.main), 'utf8');
  const required = new Set([...client.matchAll(/require\(["']([^"']+)["']\)/g)].map((match) => match[1]));
  const foreign = [...required].filter((name) =>
    name !== 'vscode' && !builtinModules.includes(name.replace(/^node:/, '')));
  check(foreign.length === 0, `the client requires what the .vsix does not hold: ${foreign.join(', ')}`);
}
for (const unwanted of ['node_modules', 'src']) check(!has(unwanted), `${unwanted}/ is packaged`);

console.log(`vsix: ${passed} passed, ${failed} failed`);
process.exitCode = failed ? 1 : 0;
