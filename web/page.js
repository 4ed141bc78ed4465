// The page around the show: fetches the show's files into the program's
// file system before it starts, has the program check the address's
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

  // The show's files from the site's data folder into /citadel. A file that
  // is not there is left out: the show then names it, as it would natively.
  function loadShowFiles() {
    const FS = Module.FS;
    Module.addRunDependency('show-files');
    FS.mkdir('/citadel');
    const load = (name) =>
      fetch('data/' + name)
        .then((r) => (r.ok ? r.arrayBuffer() : null))
        .then((data) => {
          if (data) FS.writeFile('/citadel/' + name, new Uint8Array(data));
          else console.warn('citadel: data/' + name + ' is missing');
        });
    fetch('data/files.json')
      .then((r) => (r.ok ? r.json() : []))
      .then((names) => Promise.all(names.map(load)))
      .catch((e) => console.warn('citadel: cannot load the show files: ' + e))
      .finally(() => Module.removeRunDependency('show-files'));
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
})();
