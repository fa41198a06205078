// The page server survives bad requests: tools/webserve.mjs runs as its own process, as
// tools/web.sh serve runs it, gets a handful of malformed requests over a plain socket (bytes as
// sent, nothing cleaned up by a client library), answers each with its 4xx, and still serves
// the page afterwards. Usage: node tests/web/server.mjs BUILD_WEB_FOLDER
import { spawn } from "node:child_process";
import net from "node:net";
import path from "node:path";
import { fileURLToPath } from "node:url";

const folder = process.argv[2];
if (!folder) {
  console.error("usage: node tests/web/server.mjs BUILD_WEB_FOLDER");
  process.exit(2);
}
const here = path.dirname(fileURLToPath(import.meta.url));
let failures = 0;
function check(ok, what) {
  console.log(`${ok ? "ok  " : "FAIL"} ${what}`);
  if (!ok) failures++;
}

// Sends `head` (a request line and headers, as raw bytes) and resolves to the status code and
// body of the answer, or to the error that ended the connection.
function ask(port, head) {
  return new Promise((resolve) => {
    const socket = net.connect(port, "127.0.0.1");
    const chunks = [];
    socket.setTimeout(5000, () => socket.destroy(new Error("no answer in 5 s")));
    socket.on("data", (chunk) => chunks.push(chunk));
    socket.on("error", (error) => resolve({ code: 0, body: "", error: error.message }));
    socket.on("close", () => {
      const text = Buffer.concat(chunks).toString("latin1");
      const m = /^HTTP\/1\.1 (\d{3})/.exec(text);
      resolve({ code: m ? Number(m[1]) : 0, body: text.slice(text.indexOf("\r\n\r\n") + 4) });
    });
    // Written, not ended: a client that half-closes its side may lose a late answer.
    socket.write(Buffer.from(`${head}\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n`,
                             "latin1"));
  });
}
const get = (target) => `GET ${target} HTTP/1.1`;

const server = spawn(process.execPath, [path.join(here, "../../tools/webserve.mjs"), folder, "0"],
                     { stdio: ["ignore", "pipe", "inherit"] });
const port = await new Promise((resolve, reject) => {
  let out = "";
  server.stdout.on("data", (chunk) => {
    out += chunk;
    const m = /127\.0\.0\.1:(\d+)\//.exec(out);
    if (m) resolve(Number(m[1]));
  });
  server.on("exit", (code) => reject(new Error(`the server ended with ${code} before serving`)));
});

try {
  const bad = [
    ["a NUL byte, percent-encoded", get("/%00"), 400],
    ["a NUL byte as it stands", get("/index.html\0"), 400],
    ["an invalid percent-encoding", get("/%zz"), 400],
    ["a truncated UTF-8 sequence", get("/%E0%A4%A"), 400],
    ["backslashes and dots", get("/..\\..\\etc\\passwd"), 400],
    ["dot segments", get("/a/../../etc/passwd"), 400],
    ["encoded dot segments", get("/%2e%2e/%2e%2e/etc/passwd"), 400],
    ["an over-long path", get("/" + "a".repeat(4000)), 414],
    ["POST", "POST / HTTP/1.1", 405],
    ["DELETE", "DELETE /index.html HTTP/1.1", 405],
    ["a method HTTP does not know", "FETCH / HTTP/1.1", 400],
    ["a hidden file", get("/.build/web.build.log"), 404],
  ];
  for (const [what, head, code] of bad) {
    const answer = await ask(port, head);
    check(answer.code === code,
          `${what}: ${code} (got ${answer.code || answer.error})`);
  }
  check(server.exitCode === null && server.signalCode === null, "the server is still running");
  const page = await ask(port, get("/"));
  check(page.code === 200 && page.body.includes("<title>KESTREL8</title>"),
        `the page still loads afterwards (${page.code})`);
  const program = await ask(port, "HEAD /kestrel8.wasm HTTP/1.1");
  check(program.code === 200, `and the program beside it (${program.code})`);
} finally {
  server.kill();
}
if (failures) {
  console.error(`${failures} check(s) failed`);
  process.exit(1);
}
console.log("the page server stays up");
