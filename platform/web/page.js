// The page around the game: the Emscripten module's settings, the canvas scaled to the page,
// pointer capture, full screen, the Quit control and the end of the game.
//
// URL parameter: level=NAME plays levels/NAME.txt in place of the game's level.
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const canvas = document.getElementById('canvas');
  const stage = document.getElementById('stage');
  const hint = document.getElementById('hint');
  const status = document.getElementById('status');

  const level = params.get('level') || '';

  // What the game and the page's tests read: frames shown, times in ms since navigation.
  const qv = {
    frames: 0,
    firstFrameMs: null,
    runtimeReadyMs: null,
    exitCode: null,
    log: [],  // what the program wrote to stdout and stderr
    pointerWanted: true,
    frameShown() {
      if (this.frames++ === 0) {
        this.firstFrameMs = performance.now();
        status.hidden = true;
        fit();
      }
    },
  };
  window.qv = qv;

  function showEnd(text) {
    if (document.pointerLockElement) document.exitPointerLock();
    status.hidden = true;
    document.getElementById('outcome').textContent = text;
    document.getElementById('ended').hidden = false;
    hint.textContent = 'The game has ended.';
  }

  window.Module = {
    canvas: canvas,
    qv: qv,
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
      // The files are in place now; a chosen level takes the game's level file's place.
      if (/^[a-z0-9-]+$/.test(level)) {
        Module.FS.writeFile('/game/level1.txt', Module.FS.readFile(`/levels/${level}.txt`));
      }
    },
    onExit(code) {
      qv.exitCode = code;
      showEnd(code === 1 ? 'Wall cleared: well played!' : code === 0 ? 'You quit the game.'
                                                         : `The game ended (code ${code}).`);
    },
    onAbort(what) {
      showEnd(`The game stopped on an error: ${what}`);
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

  canvas.addEventListener('click', () => {
    if (qv.pointerWanted && qv.exitCode === null) canvas.requestPointerLock();
  });
  document.addEventListener('pointerlockchange', () => {
    if (qv.exitCode !== null) return;
    hint.textContent = document.pointerLockElement === canvas
        ? 'Esc lets the pointer go.'
        : 'Click the picture to play: the mouse moves the paddle. Esc lets the pointer go; ' +
          'Esc again, or Quit, ends the game.';
  });
  document.getElementById('fullscreen').addEventListener('click', () => {
    stage.requestFullscreen().then(() => canvas.requestPointerLock()).catch(() => {});
  });
  document.getElementById('quit').addEventListener('click', () => {
    if (qv.exitCode === null && Module._qv_web_quit) Module._qv_web_quit();
  });
  document.getElementById('again').addEventListener('click', () => location.reload());
})();
