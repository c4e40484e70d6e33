// Lighthouse on the page served over http, with the mobile and the desktop presets: prints
// each category's score and the machine's load, and fails where accessibility, best practices
// or SEO score less than 100. Performance is reported only: it depends on an idle machine.
// node lighthouse.mjs BUILD_DIR
import { spawn } from 'node:child_process';
import { loadavg } from 'node:os';
import { resolve } from 'node:path';
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';

const buildDir = resolve(process.argv[2] ?? 'build-web');
const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '-d', buildDir], { stdio: ['ignore', 'pipe', 'ignore'] });
const port = await new Promise((done) => server.stdout.on('data', (d) => String(d).match(/port (\d+)/) && done(String(d).match(/port (\d+)/)[1])));
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
    server.kill();
}
process.exit(failed ? 1 : 0);
