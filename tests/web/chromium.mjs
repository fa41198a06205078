// Headless Chromium for the browser tests: Debian's own browser (nothing downloads one), driven
// over the DevTools protocol by puppeteer-core, with a fresh profile that is removed afterwards.
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";

const BROWSER = process.env.K8_CHROMIUM || "/usr/bin/chromium";

// Runs body(page) in a new browser and closes it whatever happens.
export async function withPage(body) {
  if (!fs.existsSync(BROWSER)) throw new Error(`no browser at ${BROWSER} (tools/setup.sh --web)`);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "k8-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: BROWSER,
    headless: true,
    userDataDir: profile,
    protocolTimeout: 600000,
    args: [
      "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--window-size=800,700",
    ],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 800, height: 700 });
    return await body(page);
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

// The address of the page server the tests share (tests/web/serve.sh, a ctest fixture), read
// from the file it writes: "http://127.0.0.1:PORT", with no slash at the end.
export function sharedServer(file) {
  const origin = fs.readFileSync(file, "utf8").trim();
  if (!/^http:\/\/127\.0\.0\.1:\d+$/.test(origin)) throw new Error(`no server address in ${file}`);
  return origin;
}
