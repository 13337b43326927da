// The timed page: loaded after page.js by bench.html. URL parameters: frames=N (600 by default)
// times N frames after a warm-up of 30, drawn without pacing (bench_main.cpp), on the level
// the page's level=NAME names (a wall of 192 bricks that never breaks: metal-wall).
//
// Each frame is stamped twice on the page's clock: when the program hands it over (the frame
// sink, before it is converted) and when the canvas has it (the page's frameShown). Drawing is
// the time from one frame on the canvas to the next handed over; presenting, from handed over
// to on the canvas.
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const wanted = parseInt(params.get('frames'), 10) || 600;
  const warmUp = 30;
  const qv = window.qv;
  const status = document.getElementById('status');

  let seen = 0, handedAt = 0, shownAt = 0, drawMs = 0, presentMs = 0, putMs = 0;
  // The canvas's own share of presenting: putImageData, timed around the browser's call.
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    const start = performance.now();
    put.apply(this, args);
    if (timing()) putMs += performance.now() - start;
  };
  const timing = () => seen > warmUp && seen <= warmUp + wanted;

  Module['qvBench'] = {
    // Called by the program for each frame; true once the figures are in.
    frameHandedOver() {
      handedAt = performance.now();
      ++seen;
      if (timing()) drawMs += handedAt - shownAt;
      return qv.bench !== null;
    },
  };

  const frameShown = qv.frameShown;
  qv.frameShown = function () {
    shownAt = performance.now();
    if (timing()) presentMs += shownAt - handedAt;
    frameShown.call(this);
    if (seen === warmUp + wanted && qv.bench === null) {
      qv.bench = {frames: wanted, drawMsPerFrame: drawMs / wanted,
                  presentMsPerFrame: presentMs / wanted, putImageDataMsPerFrame: putMs / wanted};
      status.hidden = false;
      status.textContent = `${wanted} frames: ${qv.bench.drawMsPerFrame.toFixed(3)} ms drawing ` +
          `and ${qv.bench.presentMsPerFrame.toFixed(3)} ms presenting per frame`;
    }
  };
  qv.bench = null;
})();
