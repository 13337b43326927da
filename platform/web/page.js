// The page around the game: the download of the game's files with its progress, the
// Emscripten module's settings, the canvas scaled to the page, pointer capture, touch, full
// screen, the Quit control, the end of the game, and the service worker that keeps the page
// for offline play.
//
// URL parameter: level=NAME plays levels/NAME.txt in place of the game's level.
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas');
  const stage = $('stage');
  const hint = $('hint');
  const status = $('status');
  const level = params.get('level') || '';
  const touchFirst = matchMedia('(pointer: coarse)').matches;

  // What the game and the page's tests read: frames shown, times in ms since navigation.
  const qv = {
    frames: 0,
    firstFrameMs: null,
    runtimeReadyMs: null,
    exitCode: null,
    failure: null,  // what stopped the page from starting, as shown to the player
    log: [],  // what the program wrote to stdout and stderr
    pointerWanted: true,
    frameShown() {
      if (this.frames++ === 0) {
        this.firstFrameMs = performance.now();
        status.hidden = true;
        fit();
        // Once the game runs, its files are kept for offline play and a phone's home screen.
        if ('serviceWorker' in navigator) {
          navigator.serviceWorker.register('sw.js').catch(() => {});
        }
      }
    },
  };
  window.qv = qv;

  // ---- Hints ----------------------------------------------------------------------------------

  function showHint() {
    if (qv.exitCode !== null || qv.failure) return;
    const locked = document.pointerLockElement === canvas;
    if (usingTouch) {
      hint.textContent = 'Drag to move the paddle.';
    } else if (locked) {
      hint.textContent = 'Esc lets the pointer go; Esc again, or Quit, ends the game.';
    } else {
      hint.textContent = 'Click the picture to play: the mouse moves the paddle. ' +
          'Esc lets the pointer go; Esc again, or Quit, ends the game.';
    }
    $('fullscreen-text').textContent = usingTouch
        ? 'Drag to move the paddle.'
        : locked ? 'Esc lets the pointer go; Esc again leaves full screen.'
                 : 'Click to play on. Esc leaves full screen.';
    // Shown while the pointer is free, briefly once it is captured.
    const help = $('fullscreen-help');
    help.classList.remove('faded');
    clearTimeout(showHint.timer);
    if (locked || usingTouch) showHint.timer = setTimeout(() => help.classList.add('faded'), 3000);
  }
  let usingTouch = touchFirst;

  // ---- Loading and its failures ---------------------------------------------------------------

  function fail(text) {
    if (qv.failure || qv.exitCode !== null) return;
    qv.failure = text;
    status.hidden = false;
    status.classList.add('failed');
    $('message').textContent = text;
    $('retry').hidden = false;
    hint.textContent = 'The game could not start.';
  }
  $('retry').addEventListener('click', () => location.reload());

  // Each file's bytes as they arrive, for the progress bar.
  const loaded = {}, expected = {};
  function showProgress() {
    if (qv.failure) return;
    let got = 0, total = 0, known = true;
    for (const name in expected) {
      got += loaded[name];
      total += expected[name];
      known = known && expected[name] > 0;
    }
    const mb = (bytes) => (bytes / 1048576).toFixed(1);
    if (known && total > 0) {
      $('progress').value = Math.min(got / total, 1);
      $('message').textContent = `Loading\u2026 ${mb(got)} of ${mb(total)} MB`;
    } else {
      $('progress').removeAttribute('value');  // a bar that moves without a measure
      $('message').textContent = `Loading\u2026 ${mb(got)} MB`;
    }
  }

  async function download(name) {
    loaded[name] = 0;
    expected[name] = 0;
    let response;
    try {
      response = await fetch(name);
    } catch (error) {
      throw new Error(`${name} could not be downloaded: the network is unreachable.`);
    }
    if (!response.ok) {
      throw new Error(`${name} could not be downloaded (${response.status} ${response.statusText}).`);
    }
    // A compressed download's length counts the compressed bytes: its size is then unknown.
    const compressed = response.headers.get('Content-Encoding');
    expected[name] = compressed ? 0 : Number(response.headers.get('Content-Length')) || 0;
    const parts = [];
    const reader = response.body.getReader();
    for (;;) {
      let chunk;
      try {
        chunk = await reader.read();
      } catch (error) {
        throw new Error(`The download of ${name} was cut off.`);
      }
      if (chunk.done) break;
      parts.push(chunk.value);
      loaded[name] += chunk.value.length;
      showProgress();
    }
    const bytes = new Uint8Array(loaded[name]);
    let at = 0;
    for (const part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    return bytes.buffer;
  }

  // A module of one SIMD instruction: the game is built for WebAssembly with SIMD.
  const simdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1,
                                    0, 10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11]);

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error(`${src} could not be downloaded.`));
      document.body.appendChild(script);
    });
  }

  async function start() {
    if (typeof WebAssembly !== 'object' || !WebAssembly.validate(simdProbe)) {
      throw new Error('This browser cannot run the game: it needs WebAssembly with SIMD ' +
                      '(Chrome 91, Firefox 89, Safari 16.4 or later).');
    }
    if (level && !/^[a-z0-9-]+$/.test(level)) throw new Error(`There is no level "${level}".`);
    showProgress();
    const [wasm, data] = await Promise.all([download('quorvane.wasm'), download('quorvane.data')]);
    Module.wasmBinary = wasm;
    Module.getPreloadedPackage = () => data;
    await loadScript('quorvane.js');
  }

  // ---- The game -------------------------------------------------------------------------------

  function showEnd(text) {
    if (document.pointerLockElement) document.exitPointerLock();
    status.hidden = true;
    stage.classList.add('ended');
    $('outcome').textContent = text;
    $('ended').hidden = false;
    hint.textContent = 'The game has ended.';
  }

  window.Module = {
    canvas: canvas,
    qv: qv,
    // Started by the page once the files are in place and the level is found.
    noInitialRun: true,
    print(text) {
      qv.log.push(text);
      console.log(text);
    },
    printErr(text) {
      qv.log.push(text);
      console.warn(text);
    },
    onRuntimeInitialized() {
      qv.runtimeReadyMs = performance.now();
      // A chosen level takes the game's level file's place.
      if (level) {
        const path = `/levels/${level}.txt`;
        if (!Module.FS.analyzePath(path).exists) {
          fail(`There is no level "${level}" in this page.`);
          return;
        }
        Module.FS.writeFile('/game/level1.txt', Module.FS.readFile(path));
      }
      $('message').textContent = 'Starting\u2026';
      Module.callMain([]);
    },
    onExit(code) {
      // A game that ends before its first frame could not start: it said why in a message box.
      if (qv.frames === 0 && code !== 1 && !quitAsked) {
        fail(`The game could not start (exit code ${code}).`);
        qv.exitCode = code;
        return;
      }
      qv.exitCode = code;
      showEnd(code === 1 ? 'Wall cleared: well played!' : code === 0 ? 'You quit the game.'
                                                         : `The game ended (code ${code}).`);
    },
    onAbort(what) {
      if (qv.frames === 0) fail(`The game could not start: ${what}`);
      else showEnd(`The game stopped on an error: ${what}`);
    },
  };

  // The largest size with the picture's aspect that fits the stage, in whole device pixels.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.min(stage.clientWidth / canvas.width, stage.clientHeight / canvas.height);
    canvas.style.width = `${Math.floor(canvas.width * scale * ratio) / ratio}px`;
    canvas.style.height = `${Math.floor(canvas.height * scale * ratio) / ratio}px`;
  }
  new ResizeObserver(fit).observe(stage);
  window.addEventListener('resize', fit);

  const playing = () => qv.exitCode === null && !qv.failure && Module._qv_web_move;

  // ---- Mouse ----------------------------------------------------------------------------------

  // (A touch makes no mouse events here: the stage's touchstart prevents them.)
  canvas.addEventListener('mousedown', () => {
    usingTouch = false;
    if (qv.pointerWanted && playing()) canvas.requestPointerLock();
  });
  document.addEventListener('pointerlockchange', showHint);

  // ---- Touch ----------------------------------------------------------------------------------

  // A finger dragged anywhere on the stage moves the paddle as the mouse would, one game pixel
  // per CSS pixel of the picture as it is scaled; a tap takes the game's input, as a click does.
  let lastTouch = null, leftOver = [0, 0];
  stage.addEventListener('touchstart', (event) => {
    if (event.target.closest('button')) return;
    event.preventDefault();
    if (!usingTouch) {
      usingTouch = true;
      showHint();
    }
    const t = event.changedTouches[0];
    lastTouch = {id: t.identifier, x: t.clientX, y: t.clientY};
    canvas.focus();
  }, {passive: false});
  stage.addEventListener('touchmove', (event) => {
    if (!lastTouch) return;
    event.preventDefault();
    const t = Array.from(event.changedTouches).find((x) => x.identifier === lastTouch.id);
    if (!t) return;
    const perCssPixel = canvas.width / canvas.getBoundingClientRect().width;
    const dx = (t.clientX - lastTouch.x) * perCssPixel + leftOver[0];
    const dy = (t.clientY - lastTouch.y) * perCssPixel + leftOver[1];
    lastTouch.x = t.clientX;
    lastTouch.y = t.clientY;
    const whole = [Math.trunc(dx), Math.trunc(dy)];
    leftOver = [dx - whole[0], dy - whole[1]];
    if (playing() && (whole[0] || whole[1])) Module._qv_web_move(whole[0], whole[1]);
  }, {passive: false});
  const touchEnd = (event) => {
    if (lastTouch && Array.from(event.changedTouches).some((t) => t.identifier === lastTouch.id)) {
      lastTouch = null;
    }
  };
  stage.addEventListener('touchend', touchEnd);
  stage.addEventListener('touchcancel', touchEnd);

  // ---- Controls -------------------------------------------------------------------------------

  // Full screen and the pointer's capture in the same click: both need the click's gesture.
  // The capture is asked first: asking for full screen uses up the click's activation.
  // Phones without full screen for a page's element (an iPhone's Safari) keep the button away.
  const enterFullscreen = stage.requestFullscreen || stage.webkitRequestFullscreen;
  if (!enterFullscreen) $('fullscreen').hidden = true;
  $('fullscreen').addEventListener('click', () => {
    if (qv.pointerWanted && playing() && !usingTouch) canvas.requestPointerLock();
    Promise.resolve(enterFullscreen.call(stage)).catch(() => {});
  });
  document.addEventListener('fullscreenchange', showHint);
  $('leave').addEventListener('click', () => {
    const leave = document.exitFullscreen || document.webkitExitFullscreen;
    Promise.resolve(leave.call(document)).catch(() => {});
  });
  let quitAsked = false;
  const quit = () => {
    if (!playing() || !Module._qv_web_quit) return;
    quitAsked = true;
    Module._qv_web_quit();
  };
  $('quit').addEventListener('click', quit);
  $('fullscreen-quit').addEventListener('click', quit);
  $('again').addEventListener('click', () => location.reload());

  showHint();
  start().catch((error) => fail(error.message));
})();
