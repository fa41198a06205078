// Serves one folder over HTTP on localhost, for the browser build (tools/web.sh serve) and its
// tests. Only files inside the folder are served, none of its hidden ones; nothing is listed.
//   node tools/webserve.mjs FOLDER [PORT]     (PORT 0 or absent: 8008)
import http from "node:http";
import fs from "node:fs";
import path from "node:path";
import { fileURLToPath } from "node:url";

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".wasm": "application/wasm",
  ".png": "image/png",
  ".txt": "text/plain; charset=utf-8",
};

// Starts serving `folder` on 127.0.0.1:port (0: any free port); resolves to the server once it
// listens. server.address().port is the port taken.
export function serve(folder, port = 0) {
  const root = fs.realpathSync(folder);
  const server = http.createServer((request, response) => {
    const fail = (code, text) => {
      response.writeHead(code, { "Content-Type": "text/plain; charset=utf-8" });
      response.end(text + "\n");
    };
    if (request.method !== "GET" && request.method !== "HEAD") return fail(405, "GET only");
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
    } catch {
      return fail(400, "bad path");
    }
    if (name.endsWith("/")) name += "index.html";
    // Hidden entries (build trees, for one) are not part of what is served.
    if (name.split("/").some((part) => part.startsWith("."))) return fail(404, "not found");
    const file = path.resolve(root, "." + name);
    if (file !== root && !file.startsWith(root + path.sep)) return fail(403, "outside the folder");
    fs.stat(file, (error, stat) => {
      if (error || !stat.isFile()) return fail(404, "not found: " + name);
      response.writeHead(200, {
        "Content-Type": TYPES[path.extname(file)] || "application/octet-stream",
        "Content-Length": stat.size,
        "Cache-Control": "no-store",
      });
      if (request.method === "HEAD") return response.end();
      fs.createReadStream(file).pipe(response);
    });
  });
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(port, "127.0.0.1", () => resolve(server));
  });
}

if (process.argv[1] && fileURLToPath(import.meta.url) === path.resolve(process.argv[1])) {
  const [folder, portText = "8008"] = process.argv.slice(2);
  const port = Number(portText);
  if (!folder || folder === "--help" || !Number.isInteger(port) || port < 0 || port > 65535) {
    const out = folder === "--help" ? process.stdout : process.stderr;
    out.write("Usage: node tools/webserve.mjs FOLDER [PORT]\n" +
              "Serves FOLDER on http://127.0.0.1:PORT/ (default 8008) until stopped.\n");
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
