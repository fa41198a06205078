// The browser program shows the same frames as the desktop program: runs the frame-logging
// browser build in headless Chromium with the key script and mask of the environment
// (K8_FRAMELOG_KEYS, K8_FRAMELOG_MASK, as the desktop run had them) and compares its log with
// the desktop's, present for present. Fails on the first difference and names its present.
// Usage: node tests/web/frames.mjs SERVER_FILE DESKTOP_LOG BROWSER_LOG_TO_WRITE, SERVER_FILE
// holding the address of the page server the tests share (serve.sh), which serves frames.html
// and the frame-logging program under /framelog/.
import fs from "node:fs";
import { sharedServer, withPage } from "./chromium.mjs";

const MIN_PRESENTS = 3000;
const [serverFile, desktopLog, browserLog] = process.argv.slice(2);
if (!serverFile || !desktopLog || !browserLog) {
  console.error("usage: node tests/web/frames.mjs SERVER_FILE DESKTOP_LOG BROWSER_LOG_TO_WRITE");
  process.exit(2);
}
function fail(text) {
  console.error("FAIL " + text);
  process.exit(1);
}

// "present N HASH" lines, in order, and the count of the closing "end N" line.
function parse(lines, who) {
  const presents = [];
  let end = -1;
  for (const line of lines) {
    let m;
    if ((m = /^present (\d+) (.*)$/.exec(line))) {
      if (Number(m[1]) !== presents.length) fail(`${who}: present ${m[1]} out of order`);
      presents.push(m[2]);
    } else if ((m = /^end (\d+)$/.exec(line))) {
      end = Number(m[1]);
    }
  }
  if (end !== presents.length) {
    fail(`${who}: the log does not end after its ${presents.length} presents`);
  }
  return presents;
}

const desktop = parse(fs.readFileSync(desktopLog, "utf8").split("\n"), "desktop");

const origin = sharedServer(serverFile);
const query = new URLSearchParams({
  keys: process.env.K8_FRAMELOG_KEYS || "",
  mask: process.env.K8_FRAMELOG_MASK || "0,0,0,0",
});
const started = Date.now();
const result = await withPage(async (page) => {
  await page.goto(`${origin}/framelog/index.html?${query}`);
  await page.waitForFunction(() => window.k8 && window.k8.done, { timeout: 600000, polling: 500 });
  return page.evaluate(() => window.k8);
});
fs.writeFileSync(browserLog, result.lines.join("\n") + "\n");
if (result.errors.length) console.log("browser said: " + result.errors.join(" | "));
const browser = parse(result.lines, "browser");
console.log(`desktop ${desktop.length} presents, browser ${browser.length} presents ` +
            `(browser run ${((Date.now() - started) / 1000).toFixed(1)} s)`);

const count = Math.min(desktop.length, browser.length);
for (let i = 0; i < count; i++) {
  if (desktop[i] !== browser[i]) {
    fail(`present ${i} differs: desktop ${desktop[i]}, browser ${browser[i]}`);
  }
}
if (desktop.length !== browser.length) {
  const longer = desktop.length > browser.length ? "desktop" : "browser";
  fail(`present ${count} differs: only the ${longer} program presented it`);
}
if (count < MIN_PRESENTS) fail(`only ${count} presents; a run should have ${MIN_PRESENTS} or more`);
// Every scene opens with a fade that ends black, and so does the program: the black runs in
// the log count the scenes played. The ring plays 1, 2, 3, 4 and 1 again before the quit.
const [, , maskW, maskH] = (process.env.K8_FRAMELOG_MASK || "0,0,0,0").split(",").map(Number);
let black = 14695981039346656037n;
for (let i = 0; i < 256 * 256 - maskW * maskH; i++) {
  black = (black * 1099511628211n) & (2n ** 64n - 1n);
}
const blackHash = black.toString(16).padStart(16, "0");
const openings =
    desktop.filter((h, i) => h === blackHash && desktop[i + 1] !== blackHash).length - 1;
if (openings < 5) fail(`the run played ${openings} scenes, not the four and 1 again`);
const distinct = new Set(desktop).size;
if (distinct < count / 2) fail(`only ${distinct} different pictures in ${count} presents`);
console.log(`ok   the same ${count} frames (${distinct} different pictures, ${openings} scenes) ` +
            "on the desktop and in the browser");
