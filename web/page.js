// The page around the show: fetches the show's files into the program's
// file system before it starts (citadel.html, the show in one file, unpacks
// them and the program from its own blocks instead; the site opened from
// disk says why it cannot play), has the program check the address's
// parameters (its options), starts it on a click or a key (browsers allow
// sound only after one), shows its messages, offers to play again, and
// hangs the pictures asked for by "?snapshot=" on the page for checking.
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  // A run for checking starts by itself; nobody is there to press a button.
  const autostart = params.has('snapshot') || params.get('autostart') === '1';
  const stage = document.getElementById('stage');
  const cover = document.getElementById('cover');
  const start = document.getElementById('start');
  const errorBox = document.getElementById('error');
  const canvas = document.getElementById('canvas');
  const fullscreen = document.getElementById('fullscreen');
  let state = 'loading';
  let startTime = 0;
  // citadel.html carries the program, the music's worklet and the show's
  // files in blocks of base64 gzip (web/single-file.mjs makes it).
  const program = document.getElementById('citadel-program');
  // The site opened from disk: browsers fetch no files for a file:// page,
  // so it cannot load the program or the show's files.
  const fromDisk = !program && location.protocol === 'file:';

  // The body's data-state (loading, ready, playing, ended, error) is what
  // tests wait on.
  function setState(next) {
    state = next;
    document.body.dataset.state = next;
  }

  function begin() {
    if (state !== 'ready') return;
    setState('playing');
    // Inside the click or key: the one moment an audio context may start.
    if (window.citadelAudio && params.get('music') !== '0') window.citadelAudio.begin();
    cover.hidden = true;
    fullscreen.hidden = false;
    canvas.focus();
    startTime = performance.now();
    Module.callMain([location.search]);
  }

  function showReady() {
    // The parameters are the program's options: one it refuses is an error
    // on the page, with its message, before anything plays.
    if (!Module.ccall('citadel_check', 'number', ['string'], [location.search])) {
      start.hidden = true;
      return;
    }
    setState('ready');
    start.textContent = 'Play';
    start.disabled = false;
    start.focus();
    if (autostart) begin();
  }

  // A block's bytes, unpacked by the browser.
  function unpack(block) {
    return fetch('data:application/gzip;base64,' + block.textContent)
      .then((r) => new Response(r.body.pipeThrough(new DecompressionStream('gzip'))).arrayBuffer());
  }

  // The show's files from the site's data folder into /citadel. A file that
  // is not there is left out: the show then names it, as it would natively.
  function fetchShowFiles(FS) {
    const load = (name) =>
      fetch('data/' + name)
        .then((r) => (r.ok ? r.arrayBuffer() : null))
        .then((data) => {
          if (data) FS.writeFile('/citadel/' + name, new Uint8Array(data));
          else console.warn('citadel: data/' + name + ' is missing');
        });
    return fetch('data/files.json')
      .then((r) => (r.ok ? r.json() : []))
      .then((names) => Promise.all(names.map(load)));
  }

  // The same from the single file's blocks, and the worklet as a data: URL
  // for the music player (from a blob: URL Chromium refuses it on file://).
  function unpackShowFiles(FS) {
    const files = Array.from(document.querySelectorAll('script.citadel-file'), (block) =>
      unpack(block).then((data) => FS.writeFile('/citadel/' + block.dataset.name, new Uint8Array(data))));
    const worklet = unpack(document.getElementById('citadel-worklet')).then((data) => {
      const text = new TextDecoder().decode(data);
      window.citadelWorklet = 'data:text/javascript;charset=utf-8,' + encodeURIComponent(text);
    });
    return Promise.all([...files, worklet]);
  }

  function loadShowFiles() {
    const FS = Module.FS;
    Module.addRunDependency('show-files');
    FS.mkdir('/citadel');
    (program ? unpackShowFiles(FS) : fetchShowFiles(FS))
      .catch((e) => console.warn('citadel: cannot load the show files: ' + e))
      .finally(() => Module.removeRunDependency('show-files'));
  }

  // The program's WebAssembly from the single file's block; from the site
  // the program fetches citadel.wasm itself. Opened from disk the site loads
  // no program at all: the page says why instead.
  function instantiateWasm(imports, done) {
    if (program) {
      unpack(program)
        .then((bytes) => WebAssembly.instantiate(bytes, imports))
        .then((result) => done(result.instance, result.module))
        .catch((e) => window.citadelPage.showMessage('citadel', 'The program could not start: ' + e));
    }
    return {};
  }

  window.citadelPage = {
    showMessage(title, text) {
      errorBox.textContent = title + '\n' + text;
      errorBox.hidden = false;
      setState('error');
    },
    ended(withError, frames) {
      // How fast it played: the figure to compare with the native --benchmark.
      const seconds = (performance.now() - startTime) / 1000;
      document.body.dataset.frames = frames;
      document.body.dataset.seconds = seconds.toFixed(2);
      console.log(`citadel: ${frames} frames in ${seconds.toFixed(2)} s, ${(frames / seconds).toFixed(1)} a second`);
      if (!withError) setState('ended');
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      fullscreen.hidden = true;
      start.textContent = 'Play again';
      start.disabled = false;
      start.onclick = () => location.reload();
      cover.hidden = false;
      start.focus();
    },
    snapshot(frame, url, last) {
      document.getElementById('snapshot').src = url;
      let img = document.getElementById('snapshot-' + frame);
      if (!img) {
        img = document.createElement('img');
        img.id = 'snapshot-' + frame;
        img.hidden = true;
        document.body.appendChild(img);
      }
      img.src = url;
      if (last) document.title = 'citadel snapshot ' + frame;
    },
  };

  start.onclick = begin;
  document.addEventListener('keydown', (e) => {
    if (state === 'ready' && !e.ctrlKey && !e.altKey && !e.metaKey) {
      e.preventDefault();
      begin();
    }
  });
  fullscreen.onclick = () => {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
    canvas.focus();
  };

  setState('loading');
  window.Module = {
    canvas: canvas,
    preRun: [loadShowFiles],
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    onRuntimeInitialized: showReady,
    // The program itself could not load or start (a missing .wasm, say).
    onAbort: (what) => window.citadelPage.showMessage('citadel', 'The program could not start: ' + what),
  };
  if (program || fromDisk) window.Module.instantiateWasm = instantiateWasm;
  if (fromDisk) {
    errorBox.textContent = 'Opened from disk, this folder cannot play: browsers refuse to load its files from ' +
      'there. Open citadel.html (the show in one file) instead, or serve this folder: scripts/web, or any web server.';
    errorBox.hidden = false;
    start.hidden = true;
    setState('error');
  }
})();
