// web/single-file.mjs without a browser: its edits of the page and the
// player fail loudly when their text is not as expected, and the modules it
// makes of chiptune3's files (as npm installed them in web/) parse.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { inlineScript, playerModule, replaceOnce, workletModule } from '../../web/single-file.mjs';

const chiptune = new URL('../../web/node_modules/chiptune3/', import.meta.url);
const player = (file) => readFileSync(new URL(file, chiptune), 'utf8');

test('replaceOnce takes exactly one occurrence, and the replacement literally', () => {
  for (const [text, expected] of [
    ['a <x> b', 'a $&$1 b'],
    ['a b', null],
    ['<x> <x>', null],
  ]) {
    if (expected === null) assert.throws(() => replaceOnce(text, '<x>', '$&$1', 'here'), /here: expected "<x>" once/);
    else assert.equal(replaceOnce(text, '<x>', '$&$1', 'here'), expected);
  }
});

test('inlineScript refuses a text that would end or bend the script element', () => {
  for (const text of ['a = "</script>"', 'a = "</SCRIPT "', 'x <!-- y']) {
    assert.throws(() => inlineScript(text, 'it'), /it: holds/, text);
  }
  assert.equal(inlineScript('a < b', 'it', 'module'), '<script type="module">\na < b\n</script>');
});

test("chiptune3's worklet and player each become one module that parses and imports nothing", () => {
  const folder = mkdtempSync(join(tmpdir(), 'citadel-modules-'));
  try {
    for (const [name, text] of [
      ['worklet.mjs', workletModule(player('chiptune3.worklet.js'), player('libopenmpt.worklet.js'))],
      ['player.mjs', playerModule(player('chiptune3.js'), readFileSync(new URL('../../web/audio.js', import.meta.url),
        'utf8'))],
    ]) {
      assert.doesNotMatch(text, /^\s*(import|export)\s/m, name);
      writeFileSync(join(folder, name), text);
      // Throws, with node's message, on a syntax error or a name declared twice.
      execFileSync(process.execPath, ['--check', join(folder, name)], { stdio: 'pipe' });
    }
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
});
