// How busy the page keeps the browser's main thread while the demo plays: the page in headless
// Chromium (Debian's, software canvas) plays each of the four scenes for SECONDS and the share
// of that wall time the renderer's main thread spent in tasks (DevTools' TaskDuration) is
// printed per scene, with the frames shown per second, the CPU time of the whole browser (every
// process, as a share of one core) and the machine's load beside it. A measurement, not a
// test: it fails only when the page cannot be played.
// Usage: node tests/web/bench.mjs SITE_FOLDER [SECONDS]     (SECONDS 1 to 600, default 10)
import fs from "node:fs";
import os from "node:os";
import { serve } from "../../tools/webserve.mjs";
import { withPage } from "./chromium.mjs";

const USAGE = "usage: node tests/web/bench.mjs SITE_FOLDER [SECONDS]";
const [site, secondsText = "10"] = process.argv.slice(2);
if (site === "--help") {
  console.log(USAGE);
  process.exit(0);
}
const seconds = Number(secondsText);
if (!site || !Number.isInteger(seconds) || seconds < 1 || seconds > 600) {
  console.error(USAGE);
  process.exit(2);
}
if (!fs.existsSync(`${site}/index.html`)) {
  console.error(`bench: no page at ${site}/index.html (tools/web.sh build makes one)`);
  process.exit(1);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
// Each scene opens with a fade of 32 frames; the figures start after it.
const SETTLE_MS = 1500;
const loadText = () => os.loadavg().map((l) => l.toFixed(2)).join(" ");

// User and system time, in seconds, of process `root` and all its descendants (Linux only;
// 0 elsewhere).
const HZ = 100;  // USER_HZ, the unit of /proc/PID/stat on every Linux port
function treeSeconds(root) {
  let ticks = 0;
  const children = new Map();
  const times = new Map();
  let entries = [];
  try {
    entries = fs.readdirSync("/proc").filter((name) => /^\d+$/.test(name));
  } catch {
    return 0;
  }
  for (const pid of entries) {
    let stat;
    try {
      stat = fs.readFileSync(`/proc/${pid}/stat`, "utf8");
    } catch {
      continue;  // ended meanwhile
    }
    const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
    const ppid = Number(fields[1]);
    if (!children.has(ppid)) children.set(ppid, []);
    children.get(ppid).push(Number(pid));
    times.set(Number(pid), Number(fields[11]) + Number(fields[12]));
  }
  const todo = [root];
  while (todo.length) {
    const pid = todo.pop();
    ticks += times.get(pid) || 0;
    todo.push(...(children.get(pid) || []));
  }
  return ticks / HZ;
}

async function busy(page, browserPid) {
  const { TaskDuration, Timestamp } = await page.metrics();
  const frames = await page.evaluate(() => window.k8frames);
  return { task: TaskDuration, wall: Timestamp, frames, cpu: treeSeconds(browserPid) };
}

// Held for a tenth of a second: the program reads the last key event of each frame.
async function press(page, key) {
  await page.focus("#screen");
  await page.keyboard.down(key);
  await sleep(100);
  await page.keyboard.up(key);
}

const server = await serve(site);
const origin = `http://127.0.0.1:${server.address().port}`;
const problems = [];
try {
  await withPage(async (page) => {
    page.on("pageerror", (error) => problems.push(String(error)));
    const browserPid = page.browser().process().pid;
    // Frames shown: every picture put or drawn onto the page's canvas.
    await page.evaluateOnNewDocument(() => {
      window.k8frames = 0;
      for (const name of ["putImageData", "drawImage"]) {
        const original = CanvasRenderingContext2D.prototype[name];
        CanvasRenderingContext2D.prototype[name] = function (...args) {
          if (this.canvas.id === "screen") window.k8frames++;
          return original.apply(this, args);
        };
      }
    });
    await page.goto(origin + "/", { waitUntil: "load" });
    await page.waitForFunction(() => document.body.dataset.state === "ready", { timeout: 30000 });
    await page.click("#start");
    await page.waitForFunction(() => document.body.dataset.state === "running");
    console.log(`page: main thread busy per scene, ${seconds} s each (load: 1, 5, 15 min)`);
    for (let scene = 1; scene <= 4; scene++) {
      if (scene > 1) await press(page, " ");
      await sleep(SETTLE_MS);
      const before = await busy(page, browserPid);
      await sleep(seconds * 1000);
      const after = await busy(page, browserPid);
      const state = await page.evaluate(() => document.body.dataset.state);
      if (state !== "running") throw new Error(`the program stopped during scene ${scene}`);
      const wall = after.wall - before.wall;
      const share = (100 * (after.task - before.task)) / wall;
      const cpu = (100 * (after.cpu - before.cpu)) / wall;
      console.log(`page scene ${scene}: main thread ${share.toFixed(1)} % busy ` +
                  `(${(after.task - before.task).toFixed(2)} s of ${wall.toFixed(2)} s), ` +
                  `${((after.frames - before.frames) / wall).toFixed(1)} frames/s, ` +
                  `whole browser ${cpu.toFixed(1)} % of one core; load ${loadText()}`);
    }
    await press(page, "q");
  });
} catch (error) {
  console.error(`bench: ${error.message}`);
  process.exitCode = 1;
} finally {
  server.close();
}
if (problems.length) {
  console.error(`bench: script errors on the page: ${problems.join(" | ")}`);
  process.exitCode = 1;
}
