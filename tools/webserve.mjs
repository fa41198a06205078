// Serves one folder over HTTP on localhost, for the browser build (tools/web.sh serve) and its
// tests. Only files inside the folder are served, none of its hidden ones; nothing is listed.
// A request it cannot serve gets a 4xx answer and the server goes on with the next one.
//   node tools/webserve.mjs FOLDER [PORT]     (PORT absent: 8008; 0: any free port)
import http from "node:http";
import fs from "node:fs";
import path from "node:path";
import { pipeline } from "node:stream";
import { fileURLToPath } from "node:url";

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".wasm": "application/wasm",
  ".png": "image/png",
  ".txt": "text/plain; charset=utf-8",
};
// No file this server has to offer has a longer address; longer ones are refused before any
// decoding.
const MAX_URL = 2048;

// The path a request names, relative to the folder ("/" + name), or an error answer
// { code, text }. Refused: anything but an absolute path (or a whole http address, which
// HTTP/1.1 lets a client send); backslashes, "." and ".." segments (raw or percent-encoded);
// percent-encodings that are not UTF-8; control characters.
export function requestPath(url) {
  if (url.length > MAX_URL) return { code: 414, text: "address too long" };
  const whole = /^https?:\/\/[^/?#]*/i.exec(url);
  if (whole) url = url.slice(whole[0].length) || "/";
  if (!url.startsWith("/")) return { code: 400, text: "not a path" };
  const raw = url.split(/[?#]/, 1)[0];
  let name;
  try {
    name = decodeURIComponent(raw);
  } catch {
    return { code: 400, text: "bad percent-encoding" };
  }
  // NUL and the other control characters name no file here, and NUL makes the file system
  // calls throw.
  if (/[\u0000-\u001f\u007f]/.test(name)) return { code: 400, text: "control character in path" };
  if (name.includes("\\")) return { code: 400, text: "backslash in path" };
  if (name.split("/").some((part) => part === "." || part === "..")) {
    return { code: 400, text: "dot segment in path" };
  }
  return { name: name.endsWith("/") ? name + "index.html" : name };
}

// Starts serving `folder` on 127.0.0.1:port (0: any free port); resolves to the server once it
// listens. server.address().port is the port taken.
export function serve(folder, port = 0) {
  const root = fs.realpathSync(folder);
  const server = http.createServer((request, response) => {
    const fail = (code, text, headers = {}) => {
      if (response.headersSent) return response.destroy();
      response.writeHead(code, { "Content-Type": "text/plain; charset=utf-8", ...headers });
      response.end(text + "\n");
    };
    try {
      answer(root, request, response, fail);
    } catch (error) {
      fail(500, "internal error: " + error.message);
    }
  });
  // Requests Node's parser refuses (a NUL in the request line, an unknown method, headers too
  // large) are answered here and only their connection ends.
  server.on("clientError", (error, socket) => {
    if (!socket.writable) return socket.destroy();
    const code = error.code === "HPE_HEADER_OVERFLOW" ? 431 : 400;
    socket.end(`HTTP/1.1 ${code} ${http.STATUS_CODES[code]}\r\nConnection: close\r\n` +
               "Content-Length: 0\r\n\r\n");
  });
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(port, "127.0.0.1", () => resolve(server));
  });
}

function answer(root, request, response, fail) {
  if (request.method !== "GET" && request.method !== "HEAD") {
    return fail(405, "GET only", { Allow: "GET, HEAD" });
  }
  const wanted = requestPath(request.url);
  if (!wanted.name) return fail(wanted.code, wanted.text);
  const name = wanted.name;
  // Hidden entries (build trees, for one) are not part of what is served.
  if (name.split("/").some((part) => part.startsWith("."))) return fail(404, "not found");
  const file = path.resolve(root, "." + name);
  if (!inside(root, file)) return fail(403, "outside the folder");
  // A link inside the folder may point out of it: what is served is where it leads.
  fs.realpath(file, (error, real) => {
    if (error) return fail(404, "not found: " + name);
    if (!inside(root, real)) return fail(403, "outside the folder");
    fs.stat(real, (error, stat) => {
      if (error || !stat.isFile()) return fail(404, "not found: " + name);
      response.writeHead(200, {
        "Content-Type": TYPES[path.extname(real)] || "application/octet-stream",
        "Content-Length": stat.size,
        "Cache-Control": "no-store",
      });
      if (request.method === "HEAD") return response.end();
      // A read that fails or a client that leaves ends this answer, not the server.
      pipeline(fs.createReadStream(real), response, () => {});
    });
  });
}

function inside(root, file) {
  return file === root || file.startsWith(root + path.sep);
}

if (process.argv[1] && fileURLToPath(import.meta.url) === path.resolve(process.argv[1])) {
  const [folder, portText = "8008"] = process.argv.slice(2);
  const port = Number(portText);
  if (!folder || folder === "--help" || !Number.isInteger(port) || port < 0 || port > 65535) {
    const out = folder === "--help" ? process.stdout : process.stderr;
    out.write("Usage: node tools/webserve.mjs FOLDER [PORT]\n" +
              "Serves FOLDER on http://127.0.0.1:PORT/ (default 8008; 0: any free port) " +
              "until stopped.\n");
    process.exit(folder === "--help" ? 0 : 2);
  }
  if (!fs.existsSync(folder) || !fs.statSync(folder).isDirectory()) {
    process.stderr.write(`webserve: no folder ${folder}\n`);
    process.exit(1);
  }
  serve(folder, port).then(
    (server) => console.log(`Serving ${folder} at http://127.0.0.1:${server.address().port}/` +
                            " (Ctrl-C stops)"),
    (error) => { process.stderr.write(`webserve: ${error.message}\n`); process.exit(1); });
}
