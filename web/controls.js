// The player's control bar: play and pause, a seek bar, a frame back and on,
// mute and volume, full screen and a link to the moment on the screen. It
// shows while the show plays (body data-state "playing"), fades while the
// show plays on untouched and comes back on a mouse move, a touch or a key
// into it. Once a display frame it asks the program where the show is
// (cheap calls into the program, nothing of WebGL); its buttons act on the
// program's player as the player's keys do.
'use strict';

(function () {
  // platform::PlayerKey's values (src/platform/ShowKeys.h).
  const Key = { pause: 0, stepForward: 1, stepBack: 2 };
  const framesPerSecond = 60;
  // How long the bar stays after the last move while the show plays on.
  const idleMs = 2500;

  const $ = (id) => document.getElementById(id);
  const stage = $('stage');
  const canvas = $('canvas');
  const controls = $('controls');
  const seek = $('seek');
  const play = $('play');
  const time = $('time');
  const mute = $('mute');
  const volume = $('volume');
  const link = $('link');
  const linkBox = $('link-box');
  const said = $('said');

  let shown = -1;
  let paused = null;
  let last = 0;
  let dragging = false;
  let lastMove = performance.now();
  let polling = false;

  const call = (name, ...args) => (window.Module && Module['_' + name] ? Module['_' + name](...args) : 0);
  const press = (key) => call('citadel_press', key);

  // m:ss of a frame's music time: frame N is (N - 1) / 60 s into the show.
  function clock(frame) {
    const seconds = Math.max(0, Math.floor((frame - 1) / framesPerSecond));
    return `${Math.floor(seconds / 60)}:${String(seconds % 60).padStart(2, '0')}`;
  }

  // The page's address with start= the frame, every other parameter as it
  // was, and no snapshot= (a snapshot before the start would be refused).
  function linkTo(frame) {
    const kept = location.search.slice(1).split('&')
      .filter((pair) => pair && !/^(start|snapshot)(=|$)/.test(pair));
    return `${location.href.split(/[?#]/)[0]}?${[...kept, `start=${frame}`].join('&')}`;
  }

  // A short word on what a button did, for a few seconds.
  let sayTimer = 0;
  function say(text) {
    said.textContent = text;
    clearTimeout(sayTimer);
    sayTimer = setTimeout(() => { said.textContent = ''; }, 4000);
  }

  // A mouse resting on the bar keeps it; a finger's tap leaves no hover behind.
  let mouseOver = false;
  controls.addEventListener('pointerenter', (e) => { mouseOver = e.pointerType === 'mouse'; });
  controls.addEventListener('pointerleave', () => { mouseOver = false; });

  function idle(now) {
    return !paused && now - lastMove > idleMs && !controls.contains(document.activeElement) && !mouseOver &&
      !dragging;
  }

  // The bar from the program's state, touching the page only where it changed.
  function update() {
    const now = performance.now();
    if (!last) {
      last = call('citadel_last_frame');
      if (last) seek.max = last;
    }
    const wanted = call('citadel_seeking');
    const frame = wanted || call('citadel_shown');
    if (frame !== shown && frame > 0) {
      shown = frame;
      if (!dragging) seek.value = frame;
      seek.setAttribute('aria-valuetext', `${clock(frame)}, frame ${frame} of ${last}`);
      time.firstChild.textContent = `${clock(frame)} / ${clock(last)} `;
      time.lastChild.textContent = `frame ${frame}`;
    }
    const nowPaused = call('citadel_paused') !== 0;
    if (nowPaused !== paused) {
      paused = nowPaused;
      play.classList.toggle('paused', paused);
      play.setAttribute('aria-label', paused ? 'Play' : 'Pause');
      play.title = paused ? 'Play (Space)' : 'Pause (Space)';
    }
    const hide = idle(now);
    if (hide !== controls.classList.contains('idle')) {
      controls.classList.toggle('idle', hide);
      stage.classList.toggle('idle', hide);
      if (hide) linkBox.hidden = true;
    }
  }

  function poll() {
    if (document.body.dataset.state !== 'playing') {
      polling = false;
      return;
    }
    update();
    requestAnimationFrame(poll);
  }

  // The bar while the show plays, and none before or after.
  function followState() {
    const playing = document.body.dataset.state === 'playing';
    controls.hidden = !playing;
    if (!playing) stage.classList.remove('idle');
    if (playing && !polling) {
      polling = true;
      lastMove = performance.now();
      requestAnimationFrame(poll);
    }
  }
  new MutationObserver(followState).observe(document.body, { attributes: true, attributeFilter: ['data-state'] });

  for (const type of ['pointermove', 'pointerdown', 'touchstart', 'focusin']) {
    document.addEventListener(type, () => { lastMove = performance.now(); }, { passive: true });
  }

  // A button clicked with the mouse gives the keys back to the picture, so
  // that Space pauses again rather than pressing that button once more; from
  // the keyboard (detail 0) the focus stays where the user took it.
  function clicked(button, action) {
    button.addEventListener('click', (e) => {
      action();
      lastMove = performance.now();
      if (e.detail > 0 && linkBox.hidden) canvas.focus();
      update();
    });
  }

  clicked(play, () => press(Key.pause));
  // A step pauses first: the player steps only a paused show.
  clicked($('step-back'), () => {
    if (!paused) press(Key.pause);
    press(Key.stepBack);
  });
  clicked($('step-forward'), () => {
    if (!paused) press(Key.pause);
    press(Key.stepForward);
  });

  seek.addEventListener('input', () => call('citadel_seek', Number(seek.value)));
  seek.addEventListener('pointerdown', () => { dragging = true; });
  const dropped = (e) => {
    if (!dragging) return;
    dragging = false;
    if (e.pointerType === 'mouse') canvas.focus();
  };
  seek.addEventListener('pointerup', dropped);
  seek.addEventListener('pointercancel', dropped);

  function setVolume() {
    const muted = mute.getAttribute('aria-pressed') === 'true';
    if (window.citadelAudio) window.citadelAudio.setListenerVolume(Number(volume.value) / 100, muted);
  }
  clicked(mute, () => {
    mute.setAttribute('aria-pressed', mute.getAttribute('aria-pressed') === 'true' ? 'false' : 'true');
    setVolume();
  });
  volume.addEventListener('input', setVolume);

  // The link copied, or, where the page may not write the clipboard, shown
  // selected in a field for the user to copy.
  clicked($('copy-link'), () => {
    const url = linkTo(Math.max(1, shown));
    link.value = url;
    const fallBack = () => {
      linkBox.hidden = false;
      link.focus();
      link.select();
      say('Copy the link from the field');
    };
    if (navigator.clipboard && navigator.clipboard.writeText) {
      navigator.clipboard.writeText(url).then(() => {
        linkBox.hidden = true;
        say('Link copied');
      }, fallBack);
    } else {
      fallBack();
    }
  });

  // Keys inside the bar: the keys a control uses itself stay with it (and
  // Tab moves between controls) instead of going on to the show, which
  // listens on the whole document. The player's keys ('.', ',', '[', ']')
  // go on to the program as anywhere else.
  const buttonKeys = new Set([' ', 'Enter']);
  const rangeKeys = new Set(['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'PageUp', 'PageDown', 'Home', 'End']);
  window.addEventListener('keydown', (e) => {
    if (document.body.dataset.state !== 'playing') return;
    const target = e.target;
    if (e.key === 'Tab') {
      lastMove = performance.now();
      e.stopPropagation();
      return;
    }
    if (!(target instanceof Element) || !controls.contains(target)) return;
    lastMove = performance.now();
    if (target === link) {
      // The field's own keys; Escape closes it.
      e.stopPropagation();
      if (e.key === 'Escape') {
        linkBox.hidden = true;
        canvas.focus();
      }
    } else if ((target.type === 'range' ? rangeKeys : buttonKeys).has(e.key)) e.stopPropagation();
  }, true);
})();
