// The browser build as a person uses it, in headless Chromium: start, the four scenes, the
// frame-rate digits, quit. Usage: node tests/web/page.mjs SERVER_FILE, the file in which the
// page server the tests share (serve.sh) wrote its address; the page is at its root.
import { sharedServer, withPage } from "./chromium.mjs";

const serverFile = process.argv[2];
if (!serverFile) {
  console.error("usage: node tests/web/page.mjs SERVER_FILE");
  process.exit(2);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures++;
}

// What the canvas shows now: its size, how many pixels are not black, a hash of the picture,
// and the white (glyph) pixels of the 16 x 8 corner where the frame-rate digits go.
function look(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById("screen");
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let lit = 0, hash = 2166136261, digits = 0;
    for (let i = 0; i < data.length; i += 4) {
      const rgb = data[i] << 16 | data[i + 1] << 8 | data[i + 2];
      if (rgb) lit++;
      hash = Math.imul(hash ^ rgb, 16777619) >>> 0;
      const x = (i / 4) % canvas.width, y = Math.floor(i / 4 / canvas.width);
      if (x < 16 && y >= canvas.height - 8 && rgb === 0xffffff) digits++;
    }
    return { width: canvas.width, height: canvas.height, lit, hash, digits,
             shown: canvas.getBoundingClientRect().width };
  });
}

// Looks until what the canvas shows passes `test`, for up to 5 seconds; the last look.
async function until(page, test) {
  const end = Date.now() + 5000;
  let seen = await look(page);
  while (!test(seen) && Date.now() < end) {
    await sleep(50);
    seen = await look(page);
  }
  return seen;
}

// Keys go to the focused canvas, held for a tenth of a second as a person's would: the program
// reads the last key event of each frame, so a press released within the same frame does nothing.
async function press(page, key) {
  await page.focus("#screen");
  await page.keyboard.down(key);
  await sleep(100);
  await page.keyboard.up(key);
}

const origin = sharedServer(serverFile);
await withPage(async (page) => {
  const foreign = [];
  const problems = [];
  page.on("request", (request) => {
    if (!request.url().startsWith(origin + "/")) foreign.push(request.url());
  });
  page.on("pageerror", (error) => problems.push(String(error)));

  // Every sound buffer the page hands to Web Audio, and every context it opens.
  await page.evaluateOnNewDocument(() => {
    const heard = window.k8heard = { buffers: 0, loud: 0, rates: [], channels: [], contexts: [] };
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (...args) {
      const buffer = this.buffer;
      heard.buffers++;
      if (!heard.rates.includes(buffer.sampleRate)) heard.rates.push(buffer.sampleRate);
      const channels = buffer.numberOfChannels;
      if (!heard.channels.includes(channels)) heard.channels.push(channels);
      if (buffer.getChannelData(0).some((v) => Math.abs(v) > 0.01)) heard.loud++;
      return start.apply(this, args);
    };
    const Context = window.AudioContext;
    window.AudioContext = function (...args) {
      const context = new Context(...args);
      heard.contexts.push(context);
      return context;
    };
  });
  // A touch screen, for the key buttons (set before the page loads: changing it reloads).
  await page.setViewport({ width: 800, height: 700, hasTouch: true });
  await page.goto(origin + "/", { waitUntil: "load" });
  await page.waitForFunction(() => document.body.dataset.state === "ready", { timeout: 30000 });
  check(await page.$eval("#overlay", (o) => !o.hidden), "a start overlay waits for a click");
  const warning = await page.$eval("#overlay", (o) => o.innerText.replace(/\s+/g, " "));
  check(/Photosensitivity warning: .*flashing.*seizures.*photosensitive epilepsy.*Start with sound/
            .test(warning), `the warning stands beside the start button: "${warning}"`);
  await page.click("#start");
  await page.waitForFunction(() => document.body.dataset.state === "running");
  await sleep(2000);  // the opening fade, then scene 1

  const scenes = [await look(page)];
  const first = scenes[0];
  check(first.width === 256 && first.height === 256,
        `the canvas is 256 x 256 (${first.width} x ${first.height})`);
  check(first.shown % 256 === 0 && first.shown >= 256,
        `it is shown at a whole factor (${first.shown} px across)`);
  check(first.lit > 256 * 256 / 4, `scene 1 is not black (${first.lit} pixels lit)`);
  check(await page.evaluate(() => document.activeElement.id === "screen"),
        "the canvas has the keys");

  const sound = await page.evaluate(() => {
    const heard = window.k8heard;
    return { ...heard, contexts: heard.contexts.map((c) => `${c.state} ${c.sampleRate} Hz`) };
  });
  check(sound.contexts.length === 1 && sound.contexts[0] === "running 44100 Hz",
        `one running Web Audio context at 44100 Hz (${sound.contexts.join(", ")})`);
  check(sound.buffers > 0 && sound.loud > 0 && sound.rates.join() === "44100" &&
        sound.channels.join() === "1",
        `the soundtrack reaches it, mono at 44100 Hz ` +
        `(${sound.buffers} buffers, ${sound.loud} not silent)`);

  // Scene 1 draws only colours of its hue circle, never white, so white in the corner is
  // the digits.
  check(first.digits === 0, "no frame-rate digits before 8");
  await press(page, "8");
  const withDigits = [await until(page, (s) => s.digits >= 8)];
  await sleep(300);
  withDigits.push(await look(page));
  check(withDigits.every((s) => s.digits >= 8),
        `8 shows the frame-rate digits ` +
        `(${withDigits.map((s) => s.digits).join(", ")} glyph pixels)`);
  await press(page, "8");
  check((await until(page, (s) => s.digits === 0)).digits === 0, "8 again hides them");
  // On a touch screen the key legend's buttons are the keys.
  const tap = () => page.tap('#keys button[data-key="8"]');
  await tap();
  check((await until(page, (s) => s.digits >= 8)).digits >= 8,
        "a tap on the legend's 8 shows the digits");
  await tap();
  check((await until(page, (s) => s.digits === 0)).digits === 0, "and a second tap hides them");

  await page.click("#fullscreen");
  const full = await page.waitForFunction(
      () => document.fullscreenElement && document.fullscreenElement.id === "stage" &&
            document.activeElement.id === "screen",
      { timeout: 5000 }).then(() => true, () => false);
  check(full, "the full-screen button fills the screen with the canvas, keys still on it");
  await page.evaluate(() => document.exitFullscreen());

  for (const scene of [2, 3, 4]) {
    await press(page, " ");
    await sleep(1500);  // the fade, then a few frames
    const now = await look(page);
    const before = scenes[scenes.length - 1];
    check(now.lit > 0 && now.hash !== before.hash,
          `space moves on to scene ${scene}, a picture unlike the last (${now.lit} pixels lit)`);
    scenes.push(now);
  }

  await press(page, "q");
  await page.waitForFunction(() => document.body.dataset.state === "ended", { timeout: 20000 });
  const end = await look(page);
  check(end.lit === 0, `q fades to black (${end.lit} pixels lit)`);
  const text = await page.$eval("#overlay", (o) => (o.hidden ? "" : o.innerText));
  check(/has ended/.test(text) && /Start again/.test(text),
        `the page reports the end: "${text.replace(/\s+/g, " ")}"`);

  // Start again: a fresh run shows a picture again.
  await page.click("#start");
  await sleep(1500);
  check((await look(page)).lit > 0, "Start again runs the program anew");
  await press(page, "Escape");
  await page.waitForFunction(() => document.body.dataset.state === "ended", { timeout: 20000 });
  check(true, "Escape quits too");

  check(foreign.length === 0,
        `nothing fetched from outside the page's folder ${foreign.join(" ")}`);
  check(problems.length === 0, `no script errors ${problems.join(" | ")}`);
});
if (failures) {
  console.error(`${failures} check(s) failed`);
  process.exit(1);
}
console.log("the page works");
