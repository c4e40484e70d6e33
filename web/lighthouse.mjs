// Lighthouse on the page served over http, with the mobile and the desktop presets: prints
// each category's score and the machine's load, and fails where accessibility, best practices
// or SEO score less than 100. Performance is reported only: it depends on an idle machine.
// The page is served gzip-compressed, as web servers serve it (python's http.server, which
// the page test uses, does not): uncompressed, its 360 KB alone take 1.8 s on Lighthouse's
// mobile network.
// node lighthouse.mjs BUILD_DIR
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import { loadavg } from 'node:os';
import { extname, join, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';

const buildDir = resolve(process.argv[2] ?? 'build-web');
const TYPES = { '.html': 'text/html', '.png': 'image/png', '.webmanifest': 'application/manifest+json' };
const server = createServer(async (request, response) => {
    const file = join(buildDir, new URL(request.url, 'http://host').pathname);
    const body = await readFile(file).catch(() => null);
    if (!file.startsWith(buildDir) || !body) return response.writeHead(404).end();
    const compress = /\bgzip\b/.test(request.headers['accept-encoding'] ?? '') && extname(file) !== '.png';
    response.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream', ...(compress && { 'Content-Encoding': 'gzip' }) });
    response.end(compress ? gzipSync(body) : body);
}).listen(0, '127.0.0.1');
await new Promise((done) => server.on('listening', done));
const port = server.address().port;
const chrome = await chromeLauncher.launch({ chromePath: '/usr/bin/chromium', chromeFlags: ['--headless', '--no-sandbox', '--disable-gpu'] });
let failed = false;
try {
    for (const [preset, config] of [['mobile', undefined], ['desktop', desktopConfig]]) {
        const { lhr } = await lighthouse(`http://127.0.0.1:${port}/index.html`, { port: chrome.port, logLevel: 'error' }, config);
        const scores = Object.values(lhr.categories).map((c) => [c.id, Math.round(c.score * 100)]);
        const metrics = ['first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time', 'cumulative-layout-shift', 'speed-index'].map((id) => `${id} ${lhr.audits[id].displayValue}`);
        console.log(`Lighthouse ${lhr.lighthouseVersion}, ${preset}: ${scores.map(([id, s]) => `${id} ${s}`).join(', ')} (load average ${loadavg()[0].toFixed(2)}; ${metrics.join(', ')})`);
        for (const [id, score] of scores) {
            if (id === 'performance') continue;
            if (score < 100) {
                failed = true;
                const lost = Object.values(lhr.audits).filter((a) => a.score !== null && a.score < 1 && lhr.categories[id].auditRefs.some((r) => r.id === a.id && r.weight > 0));
                console.log(`  ${id} below 100: ${lost.map((a) => a.id).join(', ')}`);
            }
        }
    }
} finally {
    await chrome.kill();
    server.close();
}
process.exit(failed ? 1 : 0);
