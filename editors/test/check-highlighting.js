// Highlights every example (and edges.Orvex beside this script) with the TextMate grammar and
// with the Vim syntax file, and compares each token's scope with the stored expectation in
// expected/. With --update the expectations are written instead of compared.
//
//   node check-highlighting.js [--update]
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const textmate = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const here = __dirname;
const root = path.resolve(here, '..', '..');
const grammarPath = path.join(root, 'editors', 'vscode', 'syntaxes', 'orvex.tmLanguage.json');
const vimRuntime = path.join(root, 'editors', 'vim');
const expectedDir = path.join(here, 'expected');
const update = process.argv.includes('--update');

function sources() {
  const examples = path.join(root, 'examples');
  return fs.readdirSync(examples).filter((f) => f.endsWith('.Orvex')).sort()
    .map((f) => path.join(examples, f))
    .concat([path.join(here, 'edges.Orvex')]);
}

async function loadGrammar() {
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new textmate.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (text) => new oniguruma.OnigString(text),
    }),
    loadGrammar: async () =>
      textmate.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath),
  });
  return registry.loadGrammar('source.orvex');
}

// One line per token that is not blank: "LINE:COLUMN<tab>text<tab>scopes", the root scope left out.
function textmateTokens(grammar, text) {
  const out = [];
  let stack = textmate.INITIAL;
  text.split('\n').forEach((line, index) => {
    const result = grammar.tokenizeLine(line, stack);
    for (const token of result.tokens) {
      const piece = line.slice(token.startIndex, token.endIndex);
      if (/\S/.test(piece)) {
        const scopes = token.scopes.filter((s) => s !== 'source.orvex').join(' ') || '-';
        out.push(`${index + 1}:${token.startIndex + 1}\t${piece}\t${scopes}`);
      }
    }
    stack = result.ruleStack;
  });
  return out.join('\n') + '\n';
}

function vimTokens(file) {
  const dump = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'orvex-vim-')), 'dump');
  execFileSync('vim', ['-N', '-u', 'NONE', '-i', 'NONE', '-n', '-es',
    '--cmd', `set rtp^=${vimRuntime}`, '--cmd', 'filetype on', '--cmd', 'syntax on',
    file, '-c', `source ${path.join(here, 'dump-syntax.vim')}`],
  { env: { ...process.env, ORVEX_DUMP: dump }, stdio: 'ignore', timeout: 30000 });
  const lines = fs.readFileSync(dump, 'utf8');
  fs.rmSync(path.dirname(dump), { recursive: true });
  return lines;
}

function check(name, kind, actual) {
  const file = path.join(expectedDir, `${name}.${kind}`);
  if (update) {
    fs.writeFileSync(file, actual);
    return true;
  }
  const expected = fs.existsSync(file) ? fs.readFileSync(file, 'utf8') : null;
  if (expected === actual) return true;
  if (expected === null) {
    console.log(`FAIL ${name} (${kind}): no ${path.relative(root, file)}; run with --update and review it`);
    return false;
  }
  const a = actual.split('\n');
  const e = expected.split('\n');
  let i = 0;
  while (i < a.length && a[i] === e[i]) i++;
  console.log(`FAIL ${name} (${kind}): first difference at token ${i + 1}\n` +
              `  expected: ${e[i] ?? '(end)'}\n  actual:   ${a[i] ?? '(end)'}`);
  return false;
}

async function main() {
  const grammar = await loadGrammar();
  fs.mkdirSync(expectedDir, { recursive: true });
  let passed = 0;
  let failed = 0;
  for (const file of sources()) {
    const name = path.basename(file, '.Orvex');
    const text = fs.readFileSync(file, 'latin1').replace(/\r\n/g, '\n');
    for (const [kind, tokens] of [['textmate', textmateTokens(grammar, text)], ['vim', vimTokens(file)]]) {
      if (check(name, kind, tokens)) passed++; else failed++;
    }
  }
  console.log(update ? `${passed} expectations written to ${path.relative(root, expectedDir)}`
                     : `${passed} passed, ${failed} failed`);
  process.exitCode = failed ? 1 : 0;
}

main().catch((error) => { console.error(error); process.exitCode = 1; });
