// Makes citadel.html, the show in one file, from the built site: the page
// with its style and scripts inline, the music player and its worklet each
// made one module text, and the program's WebAssembly, the worklet and the
// show's files in blocks of base64 gzip that page.js unpacks with the
// browser's DecompressionStream. Opened from disk it fetches nothing: the
// program is the site's own citadel.js and citadel.wasm, byte for byte.
// Usage: node single-file.mjs SITE OUTPUT
import { readFileSync, renameSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

// text with from replaced by to, where from occurs exactly once: a page or a
// player whose text has changed fails here rather than in someone's browser.
export function replaceOnce(text, from, to, where) {
  const at = text.indexOf(from);
  if (at < 0 || text.indexOf(from, at + 1) >= 0) throw new Error(`${where}: expected ${JSON.stringify(from)} once`);
  return text.slice(0, at) + to + text.slice(at + from.length);
}

// A script element around text. The HTML parser would end or bend it at a
// "</script" or "<!--" inside, so a text holding one is refused.
export function inlineScript(text, where, type = '') {
  if (/<\/script|<!--/i.test(text)) throw new Error(`${where}: holds "</script" or "<!--"; cannot be inline`);
  return `<script${type ? ` type="${type}"` : ''}>\n${text}\n</script>`;
}

// A block of data for the page: the bytes gzipped, in base64.
export function dataBlock(bytes, attributes) {
  return `<script type="application/gzip" ${attributes}>${gzipSync(bytes, { level: 9 }).toString('base64')}</script>`;
}

// chiptune3's worklet as one module: it imports libopenmpt.worklet.js, whose
// text becomes a function's body here, so that its top-level names (its own
// libopenmpt among them) stay apart from the worklet's.
export function workletModule(chiptuneWorklet, libopenmptWorklet) {
  const library = replaceOnce(libopenmptWorklet, 'export default libopenmpt;', '', 'libopenmpt.worklet.js');
  return replaceOnce(chiptuneWorklet, "import libopenmptPromise from './libopenmpt.worklet.js'",
    `const libopenmptPromise = (() => {\n${library}\nreturn libopenmpt;\n})();`, 'chiptune3.worklet.js');
}

// The page's music player (audio.js) with chiptune3's player before it, as
// one module. The player loads its worklet from the address page.js makes
// of the worklet's block (window.citadelWorklet), not from beside itself.
export function playerModule(chiptune, audio) {
  let player = replaceOnce(chiptune, 'export class ChiptuneJsPlayer', 'class ChiptuneJsPlayer', 'chiptune3.js');
  player = replaceOnce(player, "new URL('./chiptune3.worklet.js', import.meta.url)", 'window.citadelWorklet',
    'chiptune3.js');
  return player + '\n' + replaceOnce(audio, "import { ChiptuneJsPlayer } from './chiptune3/chiptune3.js';\n", '',
    'audio.js');
}

// The whole file from the site's folder.
export function singleFile(site) {
  const text = (file) => readFileSync(join(site, file), 'utf8');
  const bytes = (file) => readFileSync(join(site, file));
  const player = (file) => text(join('chiptune3', file));
  const names = JSON.parse(text('data/files.json'));

  let html = text('index.html');
  html = replaceOnce(html, '<link rel="stylesheet" href="page.css">', `<style>\n${text('page.css')}</style>`,
    'index.html');
  html = replaceOnce(html, '<script type="module" src="audio.js"></script>',
    inlineScript(playerModule(player('chiptune3.js'), text('audio.js')), 'the music player', 'module') +
      `\n<script type="text/plain" id="chiptune3-license">\n${player('LICENSE')}</script>`, 'index.html');
  // The blocks come before the page's script, which looks for them as it starts.
  const blocks = [
    dataBlock(bytes('citadel.wasm'), 'id="citadel-program"'),
    dataBlock(Buffer.from(workletModule(player('chiptune3.worklet.js'), player('libopenmpt.worklet.js'))),
      'id="citadel-worklet"'),
    ...names.map((name) => dataBlock(bytes(join('data', name)), `class="citadel-file" data-name="${name}"`)),
  ];
  html = replaceOnce(html, '<script src="page.js"></script>',
    blocks.join('\n') + '\n' + inlineScript(text('page.js'), 'page.js'), 'index.html');
  html = replaceOnce(html, '<script src="controls.js"></script>', inlineScript(text('controls.js'), 'controls.js'),
    'index.html');
  return replaceOnce(html, '<script src="citadel.js"></script>', inlineScript(text('citadel.js'), 'citadel.js'),
    'index.html');
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [site, output] = process.argv.slice(2);
  if (!site || !output) {
    console.error('usage: node single-file.mjs SITE OUTPUT');
    process.exit(2);
  }
  // Written whole or not at all: a half-written file would look built.
  writeFileSync(output + '.part', singleFile(site));
  renameSync(output + '.part', output);
}
