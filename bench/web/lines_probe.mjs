// Builds lines_probe.cpp with the page's GL emulation and runs it in headless Chromium, with
// and without the glNormal3f after the triangle: prints what the probe reports and every
// warning or error the page logged.
// node bench/web/lines_probe.mjs
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launch } from './chromium.mjs';

const dir = mkdtempSync(join(tmpdir(), 'vinca-probe-'));
const page = join(dir, 'probe.html'), script = join(dir, 'probe.js');
// A script, not emcc's page: Debian's emcc fails minifying the page it writes.
execFileSync('em++', ['-O2', '-sLEGACY_GL_EMULATION=1', '-lGL', '-lglut', '-sSINGLE_FILE=1',
    fileURLToPath(new URL('lines_probe.cpp', import.meta.url)), '-o', script],
    { env: { ...process.env, NODE_PATH: '/usr/share/nodejs' }, stdio: 'inherit' });
writeFileSync(page, `<!doctype html>
<canvas id="canvas" width="200" height="200"></canvas>
<script>
var Module = {
  canvas: document.getElementById('canvas'),
  print: function (text) { console.log(text); if (text === 'done') window.done = true; },
};
</script>
<script>${readFileSync(script, 'utf8')}</script>
`);
const browser = await launch();
try {
    for (const hash of ['', '#nonormal']) {
        console.log(hash ? '\n== without glNormal3f' : '== with glNormal3f after each triangle');
        const lines = [];
        const print = (m) => m.type() === 'log' && lines.push(m.text());
        browser.page.on('console', print);
        browser.problems.length = 0;
        await browser.page.goto(pathToFileURL(page).href + hash);
        await browser.page.waitForFunction(() => window.done === true, null, { timeout: 20000 });
        browser.page.off('console', print);
        console.log(lines.join('\n'));
        console.log(`logged by the page: ${browser.problems.length ? '\n  ' + browser.problems.join('\n  ') : 'nothing'}`);
    }
} finally {
    await browser.close();
    rmSync(dir, { recursive: true, force: true });
}
