// The show in headless Chromium (WebGL 2 on SwiftShader): the page, its
// pictures against the native program's, keys, a missing file, refused
// parameters, the music and where the page's requests go.
// CITADEL_SITE: the built site; CITADEL_REFERENCE: the native program's
// pictures (see tests/web/run); CHROMIUM: the browser (/usr/bin/chromium).
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join } from 'node:path';
import { serve } from './server.mjs';

// playwright-core is installed with the site's npm packages, in web/.
const { chromium } = createRequire(new URL('../../web/package.json', import.meta.url))('playwright-core');

const site = process.env.CITADEL_SITE;
const reference = process.env.CITADEL_REFERENCE;
const flags = ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-gpu', '--disable-quic',
  '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'];

let browser;
let server;

before(async () => {
  assert.ok(site && reference, 'CITADEL_SITE and CITADEL_REFERENCE must be set');
  browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium', args: flags });
  server = await serve(site);
});

after(async () => {
  await browser?.close();
  await server?.close();
});

// A fresh page whose console goes to the test's log.
async function newPage() {
  const page = await browser.newPage({ viewport: { width: 800, height: 600 } });
  page.on('console', (m) => { if (m.type() === 'error') console.log('page:', m.text()); });
  return page;
}

const stateIs = (page, state, timeout = 60000) =>
  page.waitForFunction((s) => document.body.dataset.state === s, state, { timeout });

function pngDataUrl(file) {
  return 'data:image/png;base64,' + readFileSync(join(reference, file)).toString('base64');
}

// Decodes both pictures in the page; the share of pixels whose channels
// differ by more than one step of 5/6/5 colour (more than 9 of 255), and by
// more than three (27).
function compare(page, a, b) {
  return page.evaluate(async ([a, b]) => {
    const pixels = async (src) => {
      const image = new Image();
      image.src = src;
      await image.decode();
      const canvas = document.createElement('canvas');
      canvas.width = image.width;
      canvas.height = image.height;
      const g = canvas.getContext('2d');
      g.drawImage(image, 0, 0);
      return g.getImageData(0, 0, image.width, image.height);
    };
    const [x, y] = await Promise.all([pixels(a), pixels(b)]);
    if (x.width !== y.width || x.height !== y.height) return { width: x.width, height: x.height, share: 1, far: 1 };
    let over = 0;
    let far = 0;
    for (let i = 0; i < x.data.length; i += 4) {
      const d = Math.max(Math.abs(x.data[i] - y.data[i]), Math.abs(x.data[i + 1] - y.data[i + 1]),
        Math.abs(x.data[i + 2] - y.data[i + 2]));
      if (d > 9) ++over;
      if (d > 27) ++far;
    }
    const count = x.width * x.height;
    return { width: x.width, height: x.height, share: over / count, far: far / count };
  }, [a, b]);
}

// Plays the show unpaced up to the last snapshot; the pictures by frame.
async function snapshots(page, query, frames) {
  await page.goto(`${server.origin}/index.html?${query}&snapshot=${frames.join(',')}`);
  const last = Math.max(...frames);
  await page.waitForFunction((t) => document.title === t, `citadel snapshot ${last}`, { timeout: 300000 });
  const pictures = {};
  for (const f of frames) pictures[f] = await page.getAttribute(`#snapshot-${f}`, 'src');
  return pictures;
}

test('the page loads and offers to start', async () => {
  const page = await newPage();
  await page.goto(`${server.origin}/`);
  await stateIs(page, 'ready');
  assert.equal(await page.textContent('#start'), 'Play');
  assert.equal(await page.isVisible('#error'), false);
  await page.close();
});

test('frames 251, 420 and 640 match the native program, and a scripted key changes the view', async () => {
  const page = await newPage();
  const pictures = await snapshots(page, 'seed=7&music=0', [251, 420, 640]);
  assert.match(pictures[640], /^data:image\/png;base64,/);
  await stateIs(page, 'ended');
  for (const frame of [251, 420, 640]) {
    const result = await compare(page, pictures[frame], pngDataUrl(`frame-${frame}.png`));
    console.log(`frame ${frame}: ${(result.share * 100).toFixed(3)}% of pixels differ by more than one 5/6/5 ` +
      `step, ${(result.far * 100).toFixed(3)}% by more than three`);
    assert.equal(`${result.width}x${result.height}`, '640x480');
    // The page stores fragments as Mesa does (gles::EmulateMesaBlending), so
    // even the interlude's additive layers agree to within a step.
    assert.ok(result.share <= 0.02, `frame ${frame}: ${result.share}`);
  }

  // Up moves the eye forward; during an orbit the script leaves the
  // position alone, so the view of frame 420 changes, as it does natively.
  const keyed = await snapshots(page, 'seed=7&music=0&key=400:Up&key=401:Up', [420]);
  const changed = await compare(page, keyed[420], pictures[420]);
  const native = await compare(page, keyed[420], pngDataUrl('frame-420-up.png'));
  console.log(`frame 420 after Up: ${(changed.share * 100).toFixed(1)}% changed; ` +
    `${(native.share * 100).toFixed(3)}% differ from the native program's`);
  assert.ok(changed.share > 0.05, `the view changed in ${changed.share} of the pixels`);
  assert.ok(native.share <= 0.02, `against the native program: ${native.share}`);
  await page.close();
});

test('keys from the keyboard reach the show without scrolling the page, and Escape ends it', async () => {
  const page = await newPage();
  await page.goto(`${server.origin}/index.html?seed=7&music=0`);
  await stateIs(page, 'ready');
  await page.keyboard.press('Space');
  await stateIs(page, 'playing');
  await page.evaluate(() => {
    window.prevented = [];
    window.addEventListener('keydown', (e) => window.prevented.push(`${e.key}:${e.defaultPrevented}`));
  });
  await page.waitForTimeout(500);
  for (const key of ['ArrowDown', 'PageDown', 'Shift+ArrowLeft', 'e']) await page.keyboard.press(key);
  assert.deepEqual(await page.evaluate(() => window.prevented),
    ['ArrowDown:true', 'PageDown:true', 'Shift:false', 'ArrowLeft:true', 'e:true']);
  await page.keyboard.press('Escape');
  await stateIs(page, 'ended');
  // Paced by the display's refresh, it did play frames meanwhile.
  assert.ok(Number(await page.getAttribute('body', 'data-frames')) > 10);
  assert.equal(await page.textContent('#start'), 'Play again');
  assert.equal(await page.isVisible('#start'), true);
  await page.close();
});

test('a missing image shows the show\'s own message on the page', async () => {
  const lacking = await serve(site, ['data/Tex3.MOT']);
  const page = await newPage();
  await page.goto(`${lacking.origin}/index.html?autostart=1&music=0`);
  await stateIs(page, 'error');
  const message = await page.textContent('#error');
  assert.match(message, /File not found: '\/citadel\/Tex3\.MOT'/);
  assert.equal(await page.isVisible('#error'), true);
  await page.close();
  await lacking.close();
});

test('a parameter the program refuses shows its message on the page, and nothing plays', async () => {
  for (const [query, message] of [
    ['snapshot=1073741824', '--snapshot: 1073741824 is out of range: expected from 1 to 3186'],
    ['seed=7&bogus=1', 'The following argument was not expected: --bogus=1'],
    ['autostart=1&capture=show.mp4', '--capture: not on a page: a page writes no files'],
  ]) {
    const page = await newPage();
    await page.goto(`${server.origin}/index.html?${query}`);
    await stateIs(page, 'error');
    assert.ok((await page.textContent('#error')).includes(message), await page.textContent('#error'));
    assert.equal(await page.isVisible('#error'), true);
    // No Play on offer, and no frame played.
    assert.equal(await page.isVisible('#start'), false);
    await page.waitForTimeout(500);
    assert.equal(await page.getAttribute('body', 'data-frames'), null);
    assert.equal(await page.getAttribute('body', 'data-state'), 'error');
    await page.close();
  }
});

test('the music plays from the site itself, and no request leaves the page\'s origin', async () => {
  const context = await browser.newContext();
  const requests = [];
  context.on('request', (r) => requests.push(r.url()));
  const page = await context.newPage();
  await page.goto(`${server.origin}/index.html?seed=7`);
  await stateIs(page, 'ready');
  await page.click('#start');
  // The worklet reports the playing position once the module plays.
  await page.waitForFunction(() => window.citadelAudio.ready && window.citadelAudio.player.currentTime > 0.5,
    null, { timeout: 60000 });
  await page.keyboard.press('Escape');
  await stateIs(page, 'ended');
  // The show's shutdown stopped the music.
  await page.waitForFunction(() => window.citadelAudio.context.state === 'suspended', null, { timeout: 10000 });
  const elsewhere = requests.filter((url) => !url.startsWith(server.origin + '/') && !url.startsWith('data:'));
  assert.deepEqual(elsewhere, []);
  assert.ok(requests.some((url) => url.endsWith('/data/morvek.xm')), 'the module came from the site');
  await context.close();
});

test('the site is a folder of at most 16 MB', () => {
  const size = (folder) => readdirSync(folder, { withFileTypes: true })
    .reduce((sum, e) => sum + (e.isDirectory() ? size(join(folder, e.name)) : statSync(join(folder, e.name)).size), 0);
  const bytes = size(site);
  console.log(`site: ${(bytes / 1e6).toFixed(1)} MB`);
  assert.ok(bytes <= 16 * 1024 * 1024, `${bytes} bytes`);
});
