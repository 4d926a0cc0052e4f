// The page of a show: fetches the show's files (listed in show.json, as
// plain HTTP lists no folders), decodes its music, starts the engine
// (korvane.js, loaded by the page, and korvane.wasm) on them, and offers to
// play. The engine draws and keeps time; this page only loads, shows the
// show's state in words and buttons, and starts the sound, which browsers
// allow only after a click.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const stage = $('stage'), message = $('message'), start = $('start');
  const pause = $('pause'), time = $('time');

  // What the page knows, for its own buttons and for tests.
  const korvane = (window.korvane = {
    phase: 'loading',
    module: null,
    // {context, path, buffer (once decoded), ready (a promise), failure, and
    // while it plays source and startedAt}; the engine plays it into
    // destination when one is set (a test's analyser), else the speakers.
    music: null,
    loadedAt: 0, // ms from navigation to the first frame on the canvas
    // The show time of the frame on the canvas, and of the show's clock now.
    showTime: () => (korvane.module ? korvane.module._korvane_time() : 0),
    clock: () => (korvane.module ? korvane.module._korvane_clock() : 0),
    // Where the music is now, in ms of the show; null without music.
    musicTime: () => {
      const m = korvane.music;
      return m && m.source ? (m.context.currentTime - m.startedAt) * 1000 : null;
    },
  });

  let musicIn = false; // the music decoded, or none: the start button may show

  function setPhase(phase) {
    korvane.phase = phase;
    stage.dataset.phase = phase;
  }

  function say(text) {
    message.textContent = text;
  }

  function fail(why) {
    setPhase('failed');
    start.hidden = true;
    say('This show cannot play: ' + why);
  }

  function seconds(ms) {
    return (ms / 1000).toFixed(3) + ' s';
  }

  async function fetchBytes(path) {
    const response = await fetch(path);
    if (!response.ok) throw new Error(path + ' could not be loaded (HTTP ' + response.status + ')');
    return new Uint8Array(await response.arrayBuffer());
  }

  function loadEngine() {
    if (!window.createKorvane) return Promise.reject(new Error('korvane.js could not be loaded'));
    return createKorvane({
      canvas: $('canvas'),
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
    });
  }

  // The music, decoded before the show is offered so that it starts with the
  // show's clock; the first frame does not wait for it. Music the browser
  // cannot decode leaves the show silent.
  function decodeMusic(music, bytes) {
    if (!window.AudioContext) return null;
    const context = new AudioContext();
    const decoded = { context, path: music.path, buffer: null, startedAt: 0, source: null };
    decoded.ready = bytes
      // A copy: decoding takes the bytes over, and the engine gets them too.
      .then((b) => context.decodeAudioData(b.slice().buffer))
      .then(
        (buffer) => (decoded.buffer = buffer),
        () => (decoded.failure = music.path + ' cannot be played in this browser: the show plays silent.'),
      );
    return decoded;
  }

  function putFiles(FS, files) {
    FS.mkdir('/show');
    FS.mkdir('/show/data');
    for (const [path, bytes] of files) FS.writeFile('/show/' + path, bytes);
    FS.chdir('/show');
  }

  function onPhase(phase, at) {
    setPhase(phase);
    time.textContent = seconds(at);
    pause.textContent = phase === 'paused' ? 'Play' : 'Pause';
    if (phase === 'ready') {
      start.textContent = at > 0 ? 'Play from ' + seconds(at) : 'Play';
      start.hidden = !musicIn;
      say(at > 0 ? 'The frame at ' + seconds(at) + '.' : '');
    } else if (phase === 'ended') {
      start.textContent = 'Play again';
      start.hidden = !musicIn;
      say('The end.');
    }
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen();
  }

  // Sound starts only once the browser lets it run: the show's clock starts
  // with it, in the same turn, as the player starts both together.
  function whenSoundRuns(then) {
    const m = korvane.music;
    if (!m || m.context.state === 'running') return then();
    m.context.resume().then(then, then);
  }

  function play() {
    whenSoundRuns(() => korvane.module._korvane_play());
  }

  start.addEventListener('click', play);
  pause.addEventListener('click', () => whenSoundRuns(() => korvane.module._korvane_toggle_pause()));
  $('fullscreen').addEventListener('click', toggleFullscreen);
  // The engine takes the keys; a key that starts the show needs the sound running first.
  document.addEventListener(
    'keydown',
    (e) => {
      const m = korvane.music;
      if (e.key === ' ' && m && m.context.state !== 'running' && korvane.module) {
        e.stopImmediatePropagation();
        e.preventDefault();
        play();
      }
    },
    true,
  );
  setInterval(() => {
    if (korvane.phase === 'playing') time.textContent = seconds(korvane.showTime());
  }, 100);

  async function main() {
    if (!window.WebAssembly) return fail('this browser cannot run WebAssembly.');
    const engine = loadEngine();
    const response = await fetch('show.json');
    if (!response.ok) return fail('show.json, the list of its files, could not be loaded (HTTP ' + response.status + ').');
    const show = await response.json();
    let loaded = 0;
    const fetches = new Map(); // url: its bytes, each fetched once
    const bytesOf = (url) => {
      if (!fetches.has(url)) fetches.set(url, fetchBytes(url));
      return fetches.get(url);
    };
    korvane.music = show.music ? decodeMusic(show.music, bytesOf(show.music.url)) : null;
    const files = await Promise.all(
      show.files.map(async (file) => {
        const bytes = await bytesOf(file.url);
        loaded++;
        if (korvane.phase === 'loading') say('Loading the show… ' + loaded + ' of ' + show.files.length + ' files');
        return [file.path, bytes];
      }),
    );
    performance.mark('korvane-files');
    const Module = await engine;
    performance.mark('korvane-engine');
    korvane.module = Module;
    Module.korvaneMusic = korvane.music;
    Module.onKorvanePhase = onPhase;
    Module.onKorvaneFailure = fail;
    Module.onKorvaneFullscreen = toggleFullscreen;
    putFiles(Module.FS, files);

    const t = new URLSearchParams(location.search).get('t');
    const from = t === null ? 0 : Module.ccall('korvane_parse_time', 'number', ['string'], [t]);
    if (from < 0) return fail('t=' + t + ' is not a show time: milliseconds, or seconds with a decimal point (t=12.5).');
    say('');
    if (Module._korvane_load(from) !== 0) return;
    korvane.loadedAt = performance.now();
    performance.mark('korvane-frame');
    if (korvane.music) await korvane.music.ready;
    performance.mark('korvane-music');
    musicIn = true;
    if (korvane.music && korvane.music.failure) say(korvane.music.failure);
    if (korvane.phase === 'ready' || korvane.phase === 'ended') start.hidden = false;
  }

  main().catch((e) => fail(e && e.message ? e.message : String(e)));
})();
