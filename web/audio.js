// The show's music player for the page: libopenmpt in an AudioWorklet (the
// chiptune3 package, served from this site). The sound library calls these
// through window.citadelAudio; any failure means silence, never an error.
import { ChiptuneJsPlayer } from './chiptune3/chiptune3.js';

const audio = {
  context: null,
  player: null,
  ready: false, // the worklet has loaded: only then does it take commands
  pending: null, // the command waiting for it
  modules: new Map(),
  next: 1,
  volume: 1, // the program's
  listener: 1, // the page's volume control, 0 when muted
  paused: false,
  seconds: 0, // where a seek put the module, until the worklet reports

  // Called inside the start click or key, where a context may start.
  begin() {
    try {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return;
      const context = new Context();
      if (!context.audioWorklet) return;
      this.context = context;
      this.player = new ChiptuneJsPlayer({ context, repeatCount: -1 });
      this.player.gain.connect(context.destination);
      this.applyGain();
      this.player.onInitialized(() => {
        this.ready = true;
        if (this.pending) this.pending();
        this.pending = null;
      });
      this.player.onError(() => {});
    } catch (e) {
      this.context = null;
      this.player = null;
    }
  },

  // Whether there is a player to play on.
  init() {
    return this.player ? 1 : 0;
  },
  resume() {
    if (!this.context) return 0;
    this.context.resume().catch(() => {});
    return 1;
  },
  suspend() {
    if (this.context) this.context.suspend().catch(() => {});
    return 1;
  },
  // A copy of the module's bytes; its handle.
  load(bytes) {
    const id = this.next++;
    this.modules.set(id, bytes.buffer);
    return id;
  },
  play(id, loop) {
    const data = this.modules.get(id);
    if (!data || !this.player) return 0;
    const go = () => {
      this.player.setRepeatCount(loop ? -1 : 0);
      this.player.play(data.slice(0));
      // A pause or seek that came before the worklet was ready.
      if (this.seconds > 0) this.player.setPos(this.seconds);
      if (this.paused) this.player.pause();
    };
    this.seconds = 0;
    this.player.currentTime = 0;
    if (this.ready) go();
    else this.pending = go;
    return 1;
  },
  stop() {
    this.pending = null;
    if (this.player && this.ready) this.player.stop();
    return 1;
  },
  free(id) {
    this.modules.delete(id);
    return 1;
  },
  setVolume(percent) {
    this.volume = percent / 100;
    this.applyGain();
    return 1;
  },
  // The player's hold: 1 pauses where the module is, 0 plays on.
  pause(paused) {
    this.paused = paused !== 0;
    if (this.player && this.ready) {
      if (this.paused) this.player.pause();
      else this.player.unpause();
    }
    return 1;
  },
  // Moves the module to ms milliseconds from its start.
  seek(ms) {
    this.seconds = ms / 1000;
    if (this.player) this.player.currentTime = this.seconds;
    if (this.player && this.ready) this.player.setPos(this.seconds);
    return 1;
  },
  // Where the module plays, in milliseconds: the worklet's last report, or
  // the last seek until the next report comes.
  time() {
    return this.player ? Math.round((this.player.currentTime || 0) * 1000) : 0;
  },

  // The page's volume control (0 to 1) and mute, over the program's volume.
  setListenerVolume(fraction, muted) {
    this.listener = muted ? 0 : fraction;
    this.applyGain();
  },
  applyGain() {
    if (this.player) this.player.gain.gain.value = this.volume * this.listener;
  },
};

window.citadelAudio = audio;
