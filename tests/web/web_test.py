"""The browser page in headless Chromium: the wall on the first frame, 60 Hz pacing, a hidden tab
survived with the pictures reloaded, Escape and the Quit control, a one-brick level cleared
without input. Usage: web_test.py URL [--bench N] (URL the timed page for --bench)"""
import argparse
import json
import sys
import time

from cdp import Browser

# The canvas's pixels: the share not black (the wall and its lit background) and the share in
# the magenta of the check pattern that restored surfaces hold until their picture is reloaded.
CANVAS_STATS = """(() => {
  const c = document.getElementById('canvas');
  const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  let lit = 0, magenta = 0;
  for (let i = 0; i < d.length; i += 4) {
    if (Math.max(d[i], d[i + 1], d[i + 2]) > 12) lit++;
    if (d[i] > 240 && d[i + 1] < 16 && d[i + 2] > 240) magenta++;
  }
  const n = d.length / 4;
  return {lit: lit / n, magenta: magenta / n};
})()"""

# The page hidden (or shown again) as the browser does it for a tab in the background.
SET_HIDDEN = """((hidden) => {
  Object.defineProperty(document, 'hidden', {value: hidden, configurable: true});
  Object.defineProperty(document, 'visibilityState',
                        {value: hidden ? 'hidden' : 'visible', configurable: true});
  document.dispatchEvent(new Event('visibilitychange'));
  return true;
})(%s)"""

failures = []


def check(condition, what):
    print(("ok    " if condition else "FAIL  ") + what)
    if not condition:
        failures.append(what)


def open_page(browser, url):
    browser.call("Page.navigate", url=url)
    return browser.wait_for("window.qv && qv.frames > 0", 20)


def ended(browser, timeout):
    code = browser.wait_for("window.qv && qv.exitCode !== null && [qv.exitCode]", timeout)
    outcome = browser.evaluate("document.getElementById('outcome').textContent")
    return (code[0] if code else None), outcome


def press_escape(browser):
    for kind in ("rawKeyDown", "keyUp"):
        browser.call("Input.dispatchKeyEvent", type=kind, key="Escape", code="Escape",
                     windowsVirtualKeyCode=27, nativeVirtualKeyCode=27)


def game_checks(browser, base):
    check(open_page(browser, base), "the game shows a frame")
    times = browser.evaluate("[qv.runtimeReadyMs, qv.firstFrameMs]")
    print(f"      runtime ready {times[0]:.0f} ms, first frame {times[1]:.0f} ms after navigation")
    stats = browser.evaluate(CANVAS_STATS)
    check(stats["lit"] > 0.6, f"the first frame shows the wall ({stats['lit']:.0%} of it lit)")

    start = browser.evaluate("qv.frames")
    time.sleep(2)
    rate = (browser.evaluate("qv.frames") - start) / 2
    check(40 <= rate <= 62, f"frames are paced at 60 Hz ({rate:.1f} a second)")

    browser.evaluate(SET_HIDDEN % "true")
    time.sleep(0.5)
    hidden_from = browser.evaluate("qv.frames")
    time.sleep(0.5)
    hidden_frames = browser.evaluate("qv.frames") - hidden_from
    browser.evaluate(SET_HIDDEN % "false")
    time.sleep(1)
    start = browser.evaluate("qv.frames")
    time.sleep(0.5)
    stats = browser.evaluate(CANVAS_STATS)
    check(hidden_frames == 0, f"a hidden page loses the display ({hidden_frames} frames shown)")
    check(browser.evaluate("qv.frames") > start and browser.evaluate("qv.exitCode") is None,
          "the game plays on when the page is shown again")
    check(stats["lit"] > 0.6 and stats["magenta"] < 0.001,
          f"its pictures are reloaded ({stats['lit']:.0%} lit, {stats['magenta']:.2%} magenta)")

    press_escape(browser)
    code, outcome = ended(browser, 10)
    check(code == 0 and "quit" in outcome, f"Escape ends the game: exit code {code}, '{outcome}'")


def quit_control(browser, base):
    check(open_page(browser, base), "the game starts again")
    browser.evaluate("document.getElementById('quit').click()")
    code, outcome = ended(browser, 10)
    check(code == 0 and "quit" in outcome, f"Quit ends the game: exit code {code}, '{outcome}'")


def one_brick(browser, base):
    check(open_page(browser, base + "?level=one-brick"), "the one-brick level starts")
    code, outcome = ended(browser, 60)
    check(code == 1 and "cleared" in outcome,
          f"the ball clears the one brick by itself: exit code {code}, '{outcome}'")


def bench(browser, base, frames):
    # The timed page (bench.js), on a wall that never breaks: metal, with one plain brick out
    # of the ball's reach.
    browser.call("Page.navigate", url=f"{base}?level=metal-wall&frames={frames}")
    result = browser.wait_for("window.qv && qv.bench", 60 + frames / 100)
    check(result is not None, f"{frames} frames timed without pacing")
    if result:
        print("      " + json.dumps(result))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("url")
    parser.add_argument("--bench", type=int, default=0)
    args = parser.parse_args()
    base = args.url.rstrip("/") + "/"
    browser = Browser()
    try:
        if args.bench:
            bench(browser, base, args.bench)
        else:
            game_checks(browser, base)
            quit_control(browser, base)
            one_brick(browser, base)
    finally:
        browser.close()
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
