// The show in headless Chromium (WebGL 2 on SwiftShader): the page, its
// pictures against the native program's, keys, a missing file, refused
// parameters, the music and where the page's requests go; the same for the
// show in one file opened from disk with the network cut, and the site
// opened from disk.
// CITADEL_SITE: the built site; CITADEL_SINGLE: citadel.html;
// CITADEL_REFERENCE: the native program's pictures (see tests/web/run);
// CHROMIUM: the browser (/usr/bin/chromium).
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { copyFileSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { serve } from './server.mjs';

// playwright-core is installed with the site's npm packages, in web/.
const { chromium } = createRequire(new URL('../../web/package.json', import.meta.url))('playwright-core');

const site = process.env.CITADEL_SITE;
const single = process.env.CITADEL_SINGLE;
const reference = process.env.CITADEL_REFERENCE;
const flags = ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-gpu', '--disable-quic',
  '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'];
// Every request but file: and data: goes to a proxy that is not there, the
// machine's own addresses too: the network is cut.
const cut = ['--proxy-server=http://127.0.0.1:9', '--proxy-bypass-list=<-loopback>'];

let browser;
let offline;
let server;
// citadel.html alone in a folder of its own, as someone who got the file has it.
let alone;
let singleUrl;

before(async () => {
  assert.ok(site && single && reference, 'CITADEL_SITE, CITADEL_SINGLE and CITADEL_REFERENCE must be set');
  const executablePath = process.env.CHROMIUM || '/usr/bin/chromium';
  browser = await chromium.launch({ executablePath, args: flags });
  offline = await chromium.launch({ executablePath, args: [...flags, ...cut] });
  server = await serve(site);
  alone = mkdtempSync(join(tmpdir(), 'citadel-single-'));
  copyFileSync(single, join(alone, 'citadel.html'));
  singleUrl = pathToFileURL(join(alone, 'citadel.html')).href;
});

after(async () => {
  await browser?.close();
  await offline?.close();
  await server?.close();
  if (alone) rmSync(alone, { recursive: true, force: true });
});

// A fresh page whose console goes to the test's log; in the browser with
// the network cut when offline.
async function newPage(from = browser) {
  const page = await from.newPage({ viewport: { width: 800, height: 600 } });
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
// url: the page (default the site's).
async function snapshots(page, query, frames, url = `${server.origin}/index.html`) {
  await page.goto(`${url}?${query}&snapshot=${frames.join(',')}`);
  const last = Math.max(...frames);
  await page.waitForFunction((t) => document.title === t, `citadel snapshot ${last}`, { timeout: 300000 });
  const pictures = {};
  for (const f of frames) pictures[f] = await page.getAttribute(`#snapshot-${f}`, 'src');
  return pictures;
}

// The program's player as the page's controls see it.
const playerState = (page) => page.evaluate(() => ({
  shown: Module._citadel_shown(), paused: Module._citadel_paused() === 1, seeking: Module._citadel_seeking(),
}));

// Waits until the shown frame is frame, or fails naming the last one seen.
async function shownIs(page, frame) {
  await page.waitForFunction((f) => Module._citadel_shown() === f && Module._citadel_seeking() === 0, frame,
    { timeout: 30000 })
    .catch(async () => assert.fail(`shown ${JSON.stringify(await playerState(page))}, not ${frame}`));
}

// Sets the seek bar as a user's drag or keys do: its value, then input and change.
const seekTo = (page, frame) => page.$eval('#seek', (seek, f) => {
  seek.value = f;
  seek.dispatchEvent(new Event('input', { bubbles: true }));
  seek.dispatchEvent(new Event('change', { bubbles: true }));
}, frame);

// The longest seek so far, in milliseconds.
const longestSeek = (page) => page.evaluate(() => Module._citadel_longest_seek_ms());

test('the page loads and offers to start', async () => {
  const page = await newPage();
  await page.goto(`${server.origin}/`);
  await stateIs(page, 'ready');
  assert.equal(await page.textContent('#start'), 'Play');
  assert.equal(await page.isVisible('#error'), false);
  await page.close();
});

// The frames of each phase that tests/web/run has the native program draw.
const frames = [251, 420, 640];

// How far each mode's pictures may be from the native program's: the share
// of pixels more than one 5/6/5 step apart, and more than three.
// exact=1 stores fragments as Mesa does (gles::EmulateMesaBlending), so even
// the interlude's additive layers agree to within a step. The default blends
// as the browser does, in floating point, rounded: measured here 0.08, 0.14
// and 11.3% of the pixels of frames 251, 420 and 640 more than a step apart
// (640: the interlude's dozen additive layers) and 0.02, 0.007 and 0.41%
// more than three. The bounds leave room for about half as much again, and
// catch a picture that is wrong rather than rounded differently (a missing
// layer or texture moves tens of percent by many steps).
const exact = { share: 0.02, far: 0.01 };
const rounded = { share: 0.17, far: 0.01 };

// Each picture against the native program's.
async function matchNative(page, pictures, where, list = frames, bound = exact) {
  for (const frame of list) {
    assert.match(pictures[frame], /^data:image\/png;base64,/);
    const result = await compare(page, pictures[frame], pngDataUrl(`frame-${frame}.png`));
    console.log(`${where}, frame ${frame}: ${(result.share * 100).toFixed(3)}% of pixels differ by more than one ` +
      `5/6/5 step, ${(result.far * 100).toFixed(3)}% by more than three`);
    assert.equal(`${result.width}x${result.height}`, '640x480');
    assert.ok(result.share <= bound.share, `${where}, frame ${frame}: ${result.share}`);
    assert.ok(result.far <= bound.far, `${where}, frame ${frame}: ${result.far} more than three steps apart`);
  }
}

// The WebGL calls that wait for the browser's GPU process to answer (or may:
// what Chromium answers from its own copy of the state varies by version).
const waiting = ['getParameter', 'getError', 'readPixels', 'getBufferSubData', 'finish', 'clientWaitSync',
  'getSyncParameter', 'getQueryParameter', 'getShaderParameter', 'getProgramParameter', 'getShaderInfoLog',
  'getProgramInfoLog', 'checkFramebufferStatus', 'isEnabled', 'getUniformLocation', 'getAttribLocation',
  'getActiveUniform', 'getFramebufferAttachmentParameter', 'getRenderbufferParameter', 'getTexParameter',
  'getBufferParameter', 'getVertexAttrib', 'getIndexedParameter', 'getInternalformatParameter'];

// Has the page count its waiting calls by frame: a frame ends with the
// present, the one draw (or blit) into the canvas (framebuffer null).
async function countWaits(page) {
  await page.addInitScript((names) => {
    const counts = { frame: 0, byFrame: {}, byName: {} };
    window.citadelWaits = counts;
    const proto = WebGL2RenderingContext.prototype;
    const bind = proto.bindFramebuffer;
    let drawingToCanvas = true;
    proto.bindFramebuffer = function (target, framebuffer) {
      if (target !== this.READ_FRAMEBUFFER) drawingToCanvas = framebuffer === null;
      return bind.call(this, target, framebuffer);
    };
    for (const present of ['blitFramebuffer', 'drawArrays']) {
      const call = proto[present];
      proto[present] = function (...args) {
        if (drawingToCanvas) ++counts.frame;
        return call.apply(this, args);
      };
    }
    for (const name of names) {
      const call = proto[name];
      proto[name] = function (...args) {
        counts.byFrame[counts.frame] = (counts.byFrame[counts.frame] || 0) + 1;
        counts.byName[name] = (counts.byName[name] || 0) + 1;
        return call.apply(this, args);
      };
    }
  }, waiting);
}

test('frames 251, 420 and 640 match the native program, and a scripted key changes the view', async () => {
  const page = await newPage();
  const pictures = await snapshots(page, 'seed=7&music=0&exact=1', frames);
  await stateIs(page, 'ended');
  await matchNative(page, pictures, 'the site, exact=1');

  // Up moves the eye forward; during an orbit the script leaves the
  // position alone, so the view of frame 420 changes, as it does natively.
  const keyed = await snapshots(page, 'seed=7&music=0&exact=1&key=400:Up&key=401:Up', [420]);
  const changed = await compare(page, keyed[420], pictures[420]);
  const native = await compare(page, keyed[420], pngDataUrl('frame-420-up.png'));
  console.log(`frame 420 after Up: ${(changed.share * 100).toFixed(1)}% changed; ` +
    `${(native.share * 100).toFixed(3)}% differ from the native program's`);
  assert.ok(changed.share > 0.05, `the view changed in ${changed.share} of the pixels`);
  assert.ok(native.share <= 0.02, `against the native program: ${native.share}`);
  await page.close();
});

// A run that starts at frame A draws frame B as the run from frame 1 does:
// the player plays the passes before A without drawing and puts the GL
// state they leave in place. From the orbit into the interlude, and into the
// final approach, which the site's run above never reaches.
test('start=A&snapshot=B draws frame B as the native program does from the start', async () => {
  const page = await newPage();
  const fromOrbit = await snapshots(page, 'seed=7&music=0&exact=1&start=400', [420, 640]);
  await matchNative(page, fromOrbit, 'the site from frame 400', [420, 640]);
  const nearEnd = await snapshots(page, 'seed=7&music=0&exact=1&start=3050', [3100]);
  await matchNative(page, nearEnd, 'the site from frame 3050', [3100]);
  await page.close();
});

// The default blends as the browser does and asks the browser nothing in a
// frame. Start-up waits (the context, each shader variant's status and
// uniforms: all built before the first frame), and so does a snapshot's
// frame (the read, the pack alignment and the one check for errors), left
// out. Measured: none in the other 637 frames. The bound, 5 in 640 frames,
// fails a question asked every frame (640) and the check for errors the
// page made once a second before (10), and lets a variant built late pass.
test('by default the frames are near the native program\'s and wait for the browser only to build shaders',
  async () => {
    const page = await newPage();
    await countWaits(page);
    const pictures = await snapshots(page, 'seed=7&music=0', frames);
    await stateIs(page, 'ended');
    await matchNative(page, pictures, 'the site, default', frames, rounded);
    const { frame, byFrame, byName } = await page.evaluate(() => window.citadelWaits);
    const fps = await page.evaluate(() => document.body.dataset.frames / document.body.dataset.seconds);
    console.log(`default mode: ${fps.toFixed(1)} frames a second unpaced (start-up included), ${frame} frames`);
    const snapshotFrames = new Set(frames.flatMap((f) => [f - 1, f, f + 1]));
    const inFrames = Object.entries(byFrame).map(([f, n]) => [Number(f), n])
      .filter(([f]) => f > 0 && f < frame && !snapshotFrames.has(f));
    const total = inFrames.reduce((sum, [, n]) => sum + n, 0);
    console.log(`waiting calls: ${(total / frame).toFixed(3)} a frame over ${frame} frames; by frame ` +
      `${inFrames.map(([f, n]) => `${f}:${n}`).join(' ')}; by name ${JSON.stringify(byName)}`);
    assert.equal(frame >= 640, true, `${frame} frames presented`);
    assert.ok(total <= 5, `${total} waiting calls in ${frame} frames`);
    await page.close();
  });

// The single file also draws the final approach: one frame of every phase
// (the whole show up to it is about a minute and a half of software frames
// here, so the site's run above stops at the interlude).
test('citadel.html alone in a folder, opened from disk with the network cut, draws the same frames', async () => {
  const page = await newPage(offline);
  const all = [...frames, 3100];
  const pictures = await snapshots(page, 'seed=7&music=0&exact=1', all, singleUrl);
  await stateIs(page, 'ended');
  await matchNative(page, pictures, 'citadel.html', all);
  await page.close();
});

test('citadel.html plays its music with the network cut, Escape ends it, and it asks for nothing but itself',
  async () => {
    // The cut is real: the site's server, reachable from the other browser, is not from this one.
    const probe = await newPage(offline);
    await probe.goto(singleUrl + '?seed=7');
    const reach = (origin) => fetch(origin + '/index.html', { mode: 'no-cors' }).then(() => true, () => false);
    assert.equal(await probe.evaluate(reach, server.origin), false);
    await probe.close();

    const context = await offline.newContext();
    const requests = [];
    context.on('request', (r) => requests.push(r.url()));
    const page = await context.newPage();
    await page.goto(singleUrl + '?seed=7');
    await stateIs(page, 'ready');
    // From opening the file to Play on offer, within the polling's frame.
    console.log(`citadel.html: Play offered ${(await page.evaluate(() => performance.now())).toFixed(0)} ms ` +
      'after opening');
    assert.equal(await page.textContent('#start'), 'Play');
    await page.click('#start');
    // The worklet, loaded from its data: URL, reports the playing position.
    await page.waitForFunction(() => window.citadelAudio.ready && window.citadelAudio.player.currentTime > 0.5,
      null, { timeout: 60000 });
    await page.keyboard.press('Escape');
    await stateIs(page, 'ended');
    // It played frames meanwhile (SwiftShader beside the music draws a few a second).
    assert.ok(Number(await page.getAttribute('body', 'data-frames')) > 0);
    const elsewhere = requests.filter((url) => !url.startsWith('file:') && !url.startsWith('data:'));
    assert.deepEqual(elsewhere, []);
    await context.close();
  });

test('the site opened from disk says in one line why it cannot play, and loads nothing', async () => {
  const page = await newPage(offline);
  await page.goto(pathToFileURL(join(site, 'index.html')).href + '?seed=7');
  await stateIs(page, 'error', 10000);
  const message = await page.textContent('#error');
  assert.match(message, /^Opened from disk, this folder cannot play: .*citadel\.html.*scripts\/web/);
  assert.ok(!message.includes('\n'), message);
  assert.equal(await page.isVisible('#start'), false);
  // No program came later to put its own failure over it.
  await page.waitForTimeout(1000);
  assert.equal(await page.textContent('#error'), message);
  assert.equal(await page.getAttribute('body', 'data-state'), 'error');
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

// The browser scales the capped drawing buffer to the window: smoothly
// for the linear scale, keeping the pixels' edges for the others.
test('the canvas is scaled by the nearest pixel for scale=nearest and integer, smoothly otherwise', async () => {
  for (const [query, rendering] of [['', 'auto'], ['&scale=nearest', 'pixelated'], ['&scale=integer', 'pixelated']]) {
    const page = await newPage();
    await page.goto(`${server.origin}/index.html?seed=7&music=0&fps=0&frames=2&autostart=1${query}`);
    await stateIs(page, 'ended');
    assert.equal(await page.$eval('#canvas', (c) => getComputedStyle(c).imageRendering), rendering, query);
    await page.close();
  }
});

// The present draws the picture into the canvas (a blit there is one
// thread's work pixel by pixel under SwiftShader): what the canvas shows
// must be the picture a snapshot reads, pixel for pixel but for the
// widening of 5/6/5 to 8 bits, which may round either way (measured: 0).
test('the canvas shows the picture the snapshot of its frame reads', async () => {
  const page = await newPage();
  await page.goto(`${server.origin}/index.html?seed=7&music=0&exact=1&autostart=1&start=400` +
    '&snapshot=419,420,421&key=420:Space');
  await page.waitForFunction(() => Module._citadel_paused() === 1, null, { timeout: 60000 });
  await page.waitForTimeout(300); // a held refresh or two: the canvas presented again
  const { shown, canvas, width } = await page.evaluate(() => {
    const c = document.querySelector('#canvas');
    return { shown: Module._citadel_shown(), canvas: c.toDataURL('image/png'), width: c.width };
  });
  assert.equal(width, 640, 'the drawing buffer is the picture\'s size');
  const snapshot = await page.getAttribute(`#snapshot-${shown}`, 'src');
  const largest = await page.evaluate(async ([a, b]) => {
    const pixels = async (src) => {
      const image = new Image();
      image.src = src;
      await image.decode();
      const c = Object.assign(document.createElement('canvas'), { width: image.width, height: image.height });
      const g = c.getContext('2d');
      g.drawImage(image, 0, 0);
      return g.getImageData(0, 0, image.width, image.height);
    };
    const [x, y] = await Promise.all([pixels(a), pixels(b)]);
    if (x.width !== y.width || x.height !== y.height) return 255;
    let most = 0;
    for (let i = 0; i < x.data.length; i += 4)
      for (let k = 0; k < 3; ++k) most = Math.max(most, Math.abs(x.data[i + k] - y.data[i + k]));
    return most;
  }, [canvas, snapshot]);
  console.log(`the canvas against the snapshot of frame ${shown}: channels differ by ${largest} at most`);
  assert.ok(largest <= 1, `the canvas differs from the picture by ${largest}`);
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
  for (const [query, message, url] of [
    ['snapshot=1073741824', '--snapshot: 1073741824 is out of range: expected from 1 to 3186'],
    ['seed=7&bogus=1', 'The following argument was not expected: --bogus=1'],
    ['autostart=1&capture=show.mp4', '--capture: not on a page: a page writes no files'],
    ['seed=7&bogus=1', 'The following argument was not expected: --bogus=1', 'citadel.html'],
  ]) {
    const page = await newPage();
    await page.goto(`${url ? singleUrl : `${server.origin}/index.html`}?${query}`);
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
  // Paused, the music holds; seeked, it is where the frame is; played on, it
  // plays from there (the worklet's own report of its position).
  await page.keyboard.press('Space');
  await page.waitForFunction(() => window.citadelAudio.paused);
  await page.waitForTimeout(300);
  const pausedAt = await page.evaluate(() => window.citadelAudio.time());
  await page.waitForTimeout(500);
  assert.equal(await page.evaluate(() => window.citadelAudio.time()), pausedAt);
  await seekTo(page, 1801);
  await shownIs(page, 1801);
  assert.equal(await page.evaluate(() => window.citadelAudio.time()), 30000);
  await page.keyboard.press('Space');
  await page.waitForFunction(() => { const t = window.citadelAudio.time(); return t > 30000 && t < 40000; }, null,
    { timeout: 30000 });
  // Mute silences it, and the volume control scales it.
  const gain = () => page.evaluate(() => window.citadelAudio.player.gain.gain.value);
  await page.mouse.move(400, 300);
  await page.click('#mute');
  assert.equal(await gain(), 0);
  await page.$eval('#volume', (volume) => {
    volume.value = 50;
    volume.dispatchEvent(new Event('input', { bubbles: true }));
  });
  await page.click('#mute');
  assert.equal(await page.getAttribute('#mute', 'aria-pressed'), 'false');
  assert.equal(await gain(), 0.5);
  await page.keyboard.press('Escape');
  await stateIs(page, 'ended');
  // The show's shutdown stopped the music.
  await page.waitForFunction(() => window.citadelAudio.context.state === 'suspended', null, { timeout: 10000 });
  const elsewhere = requests.filter((url) => !url.startsWith(server.origin + '/') && !url.startsWith('data:'));
  assert.deepEqual(elsewhere, []);
  assert.ok(requests.some((url) => url.endsWith('/data/morvek.xm')), 'the module came from the site');
  await context.close();
});

test('the control bar pauses, plays on, seeks and steps, as the player\'s keys do', async () => {
  const page = await newPage();
  await page.goto(`${server.origin}/index.html?seed=7&music=0`);
  await stateIs(page, 'ready');
  await page.click('#start');
  await stateIs(page, 'playing');
  await page.waitForFunction(() => Module._citadel_shown() > 5, null, { timeout: 30000 });
  assert.equal(await page.getAttribute('#seek', 'max'), '3186');
  // A seek near the end as soon as the show plays, before the player has
  // looked far ahead: the longest a seek takes. Paused, so that the frame it
  // lands on holds: playing on, a page on a loaded machine can be past it
  // before the check looks.
  await page.mouse.move(400, 300);
  await page.click('#play');
  await page.waitForFunction(() => Module._citadel_paused() === 1);
  await seekTo(page, 3000);
  await shownIs(page, 3000);
  const early = await longestSeek(page);
  await seekTo(page, 1);
  await shownIs(page, 1);
  await page.mouse.move(400, 300);
  await page.click('#play');
  await page.waitForFunction(() => Module._citadel_paused() === 0);

  // Pause holds the frame; play plays on. The mouse over the picture brings the bar back.
  await page.mouse.move(400, 300);
  await page.click('#play');
  await page.waitForFunction(() => Module._citadel_paused() === 1);
  assert.equal(await page.getAttribute('#play', 'aria-label'), 'Play');
  const held = (await playerState(page)).shown;
  await page.waitForTimeout(400);
  assert.equal((await playerState(page)).shown, held, 'the frame moved while paused');
  await page.click('#play');
  await page.waitForFunction((f) => Module._citadel_shown() > f + 2, held, { timeout: 30000 });
  assert.equal(await page.getAttribute('#play', 'aria-label'), 'Pause');

  // The click gave the keys back to the picture: Space pauses, without scrolling.
  await page.keyboard.press('Space');
  await page.waitForFunction(() => Module._citadel_paused() === 1);
  assert.equal(await page.evaluate(() => window.scrollY), 0);

  // Paused, the bar stays: the README's picture of it (CITADEL_SCREENSHOTS: a folder for it).
  if (process.env.CITADEL_SCREENSHOTS) {
    await seekTo(page, 100);
    await shownIs(page, 100);
    await page.mouse.move(400, 200);
    await page.screenshot({ path: join(process.env.CITADEL_SCREENSHOTS, 'page-controls.png') });
  }

  // The seek bar takes the show there; the keys and buttons step from there.
  await seekTo(page, 1500);
  await shownIs(page, 1500);
  assert.match(await page.textContent('#time'), /^0:24 \/ 0:53 frame 1500$/);
  assert.equal(await page.inputValue('#seek'), '1500');
  for (const [press, frame] of [['.', 1501], ['.', 1502], [',', 1501], ['#step-back', 1500], ['#step-forward', 1501],
    ['[', 1201], [']', 1501]]) {
    if (press.startsWith('#')) await page.click(press);
    else await page.keyboard.press(press);
    await shownIs(page, frame);
  }
  assert.equal((await playerState(page)).paused, true);

  // From the keyboard: Tab goes from the picture to the seek bar, whose arrows step a frame.
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'seek');
  await page.keyboard.press('ArrowRight');
  await shownIs(page, 1502);
  await page.keyboard.press('Tab');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'play');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => Module._citadel_paused() === 0);
  await page.keyboard.press('Space');
  await page.waitForFunction(() => Module._citadel_paused() === 1);

  // The link to this moment: the page's address with start= the frame shown.
  const shown = (await playerState(page)).shown;
  await page.click('#copy-link');
  await page.waitForFunction(() => document.getElementById('said').textContent !== '');
  assert.equal(await page.inputValue('#link'), `${server.origin}/index.html?seed=7&music=0&start=${shown}`);

  // Seeks back and forth across the show: the longest of them is the figure
  // to keep near 200 ms (not asserted: the machine's load moves it).
  for (const frame of [3000, 200, 2400, 900, 1800, 60]) {
    await seekTo(page, frame);
    await shownIs(page, frame);
  }
  console.log(`the page's longest seek: ${(await longestSeek(page)).toFixed(0)} ms (to frame 3000 just after the ` +
    `start: ${early.toFixed(0)} ms)`);
  await page.close();
});

test('on a phone-sized screen the bar fits, with touch-sized controls, and a tap brings it back', async () => {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
  const page = await context.newPage();
  await page.goto(`${server.origin}/index.html?seed=7&music=0`);
  await stateIs(page, 'ready');
  await page.tap('#start');
  await stateIs(page, 'playing');
  // Untouched while the show plays on, the bar fades; a tap on the picture brings it back.
  await page.waitForFunction(() => document.getElementById('controls').classList.contains('idle'), null,
    { timeout: 10000 });
  await page.tap('#canvas');
  await page.waitForFunction(() => !document.getElementById('controls').classList.contains('idle'));
  const layout = await page.evaluate(() => ({
    scrollWidth: document.documentElement.scrollWidth,
    width: window.innerWidth,
    controls: Array.from(document.querySelectorAll('#controls button, #controls input'))
      .filter((e) => e.offsetParent !== null)
      .map((e) => ({ id: e.id, name: e.getAttribute('aria-label'), ...e.getBoundingClientRect().toJSON() })),
  }));
  assert.ok(layout.scrollWidth <= layout.width, `${layout.scrollWidth} px wide in ${layout.width}`);
  assert.deepEqual(layout.controls.map((c) => c.id),
    ['seek', 'play', 'step-back', 'step-forward', 'mute', 'volume', 'copy-link', 'fullscreen']);
  for (const c of layout.controls) {
    assert.ok(c.name, `${c.id} has no accessible name`);
    assert.ok(c.left >= 0 && c.right <= layout.width && c.bottom <= 844, `${c.id} at ${JSON.stringify(c)}`);
    assert.ok(c.height >= 32 && c.width >= 44, `${c.id}: ${c.width}x${c.height}`);
    if (c.id !== 'seek' && c.id !== 'volume') assert.ok(c.height >= 44, `${c.id}: ${c.height} px high`);
  }
  // A tap on pause holds the show.
  await page.tap('#play');
  await page.waitForFunction(() => Module._citadel_paused() === 1);
  if (process.env.CITADEL_SCREENSHOTS) {
    await page.screenshot({ path: join(process.env.CITADEL_SCREENSHOTS, 'page-controls-phone.png') });
  }
  // Played on, the bar fades again: the tapped button keeps it no longer than a tap on the picture does.
  await page.tap('#play');
  await page.waitForFunction(() => Module._citadel_paused() === 0);
  await page.waitForFunction(() => document.getElementById('controls').classList.contains('idle'), null,
    { timeout: 10000 });
  await context.close();
});

test('the site is a folder of at most 16 MB, citadel.html a file of at most 12 MB', () => {
  const size = (folder) => readdirSync(folder, { withFileTypes: true })
    .reduce((sum, e) => sum + (e.isDirectory() ? size(join(folder, e.name)) : statSync(join(folder, e.name)).size), 0);
  const bytes = size(site);
  const singleBytes = statSync(single).size;
  console.log(`site: ${(bytes / 1e6).toFixed(1)} MB; citadel.html: ${(singleBytes / 1e6).toFixed(1)} MB`);
  assert.ok(bytes <= 16 * 1024 * 1024, `${bytes} bytes`);
  assert.ok(singleBytes <= 12 * 1024 * 1024, `citadel.html: ${singleBytes} bytes`);
});
