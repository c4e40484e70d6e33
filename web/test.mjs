// The browser build in the system's Chromium: the page loads (over http and from disk), its
// first frame is the desktop's, a click loads a block with the desktop's narration, q and a
// bad block file stop it and a good one restarts it, and the menu's manual mode takes a key.
// node test.mjs BUILD_DIR [--screenshot FILE]
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const root = fileURLToPath(new URL('..', import.meta.url));
const buildDir = resolve(process.argv[2] ?? join(root, 'build-web'));
const shotAt = process.argv.indexOf('--screenshot');
const screenshotFile = shotAt > 0 ? resolve(process.argv[shotAt + 1]) : null;

// The desktop's texts as the native tests spell them: C string constants, Windows-1252.
function cText(header, name) {
    const source = readFileSync(join(root, 'tests/support', header), 'latin1');
    const definition = source.match(new RegExp(`\\b${name} =((?:\\s*"(?:[^"\\\\]|\\\\.)*")+)`));
    const bytes = [];
    for (const [, literal] of definition[1].matchAll(/"((?:[^"\\]|\\.)*)"/g)) {
        for (const [, escape, plain] of literal.matchAll(/\\(x[0-9a-fA-F]+|.)|(.)/gs)) {
            if (plain !== undefined) bytes.push(plain.charCodeAt(0));
            else if (escape[0] === 'x') bytes.push(parseInt(escape.slice(1), 16));
            else bytes.push({ n: 10, t: 9 }[escape] ?? escape.charCodeAt(0));
        }
    }
    return new TextDecoder('windows-1252').decode(new Uint8Array(bytes));
}
const BANNER = cText('process.h', 'BANNER');
const CYCLE = ['ACCEPT', 'BUSY', 'AIM', 'GRIP_TO_REST'].map((n) => cText('operation.h', n)).join('');
const VIEW_KEYS = cText('operation.h', 'VIEW_KEYS'); // brings block 0, (-5, 0, 3), into view
const REFUSED = '\nTecla no definida para modo recogida de bloques';
const COLOUR_ERROR = '\nError al leer fichero de datos.. \nEl color de la caja tiene que ser un entero perteneciente a [0,11]';
const MENU = ['Exit', 'Modo recogida de bloques', 'Modo movimiento manual de vinca'];

const results = [];
async function check(name, body) {
    results.push([name, await body().then(() => null, (e) => e)]);
}
function expect(condition, message) {
    if (!condition) throw new Error(message);
}

const narration = (page) => page.locator('#narration').textContent();
const untilNarration = (page, mark, ending, options) =>
    page.waitForFunction(([m, e]) => document.getElementById('narration').textContent.slice(m).endsWith(e), [mark, ending], options);

// The canvas as shown (a WebGL canvas cannot be read back between frames), as RGBA bytes.
async function canvasPixels(page) {
    const box = await page.locator('#canvas').boundingBox();
    return decodePng(page, await page.screenshot({ clip: { ...box, width: 500, height: 500 } }));
}
async function decodePng(page, png) {
    const base64 = await page.evaluate(async (data) => {
        const blob = new Blob([Uint8Array.from(atob(data), (c) => c.charCodeAt(0))]);
        const image = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
        const context = new OffscreenCanvas(500, 500).getContext('2d');
        context.drawImage(image, 0, 0);
        const bytes = context.getImageData(0, 0, 500, 500).data;
        let text = '';
        for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode(...bytes.subarray(i, i + 8192));
        return btoa(text);
    }, png.toString('base64'));
    return Buffer.from(base64, 'base64');
}
const rgb = (image, x, y) => [...image.subarray((y * 500 + x) * 4, (y * 500 + x) * 4 + 3)];
const meanDifference = (a, b) => a.reduce((sum, v, i) => sum + (i % 4 === 3 ? 0 : Math.abs(v - b[i])), 0) / (500 * 500 * 3 * 255);

// Pixel counts of the saturated colours (the blocks), by channel proportions in halves.
function hues(image) {
    const counts = new Map();
    for (let i = 0; i < image.length; i += 4) {
        const c = [...image.subarray(i, i + 3)], top = Math.max(...c);
        if (top < 40 || top - Math.min(...c) < top / 2) continue;
        const hue = c.map((v) => Math.round((2 * v) / top)).join('');
        counts.set(hue, (counts.get(hue) ?? 0) + 1);
    }
    return counts;
}

async function settledFrame(page) {
    for (let last = null, i = 0; i < 100; i++, await page.waitForTimeout(100)) {
        const image = await canvasPixels(page);
        if (image.some((v, k) => k % 4 !== 3 && v !== image[0]) && last?.equals(image)) return image;
        last = image;
    }
    throw new Error('the canvas never showed a steady frame');
}

const profile = mkdtempSync(join(tmpdir(), 'vinca-chromium-'));
const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '-d', buildDir], { stdio: ['ignore', 'pipe', 'ignore'] });
const port = await new Promise((done) => server.stdout.on('data', (d) => String(d).match(/port (\d+)/) && done(String(d).match(/port (\d+)/)[1])));
// A fresh profile of our own; no browser is downloaded.
const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1100, height: 720 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', '--force-color-profile=srgb'],
});
const page = context.pages()[0] ?? (await context.newPage());
const canvas = page.locator('#canvas');
const errors = [];
page.on('pageerror', (e) => errors.push(e.message));
let firstFrame = null;

try {
    await check('the page loads (from disk and over http, at most 1 MB, banner, canvas, menu)', async () => {
        const sizes = [];
        const onFinished = (r) => sizes.push(r.sizes().then((s) => s.responseBodySize));
        for (const address of [pathToFileURL(join(buildDir, 'index.html')).href, `http://127.0.0.1:${port}/index.html`]) {
            if (address.startsWith('http')) page.on('requestfinished', onFinished);
            await page.goto(address);
            await untilNarration(page, 0, BANNER);
        }
        page.off('requestfinished', onFinished);
        const bytes = (await Promise.all(sizes)).reduce((a, b) => a + b, 0);
        console.log(`download over http: ${bytes} bytes in ${sizes.length} requests`);
        expect(bytes > 0 && bytes <= 1 << 20, `download of ${bytes} bytes`);
        const size = await canvas.evaluate((c) => [c.width, c.height, c.clientWidth, c.clientHeight].join());
        expect(size === '500,500,500,500', `canvas ${size}`);
        const entries = await page.locator('#menu li').allTextContents();
        expect(entries.join('|') === MENU.join('|'), `menu entries ${JSON.stringify(entries)}`);
        expect(errors.length === 0, `page errors: ${errors.join('; ')}`);
    });

    await check("the first frame is the desktop's", async () => {
        firstFrame = await settledFrame(page);
        expect(rgb(firstFrame, 0, 0).join() === '255,255,255' && rgb(firstFrame, 499, 0).join() === '255,255,255', 'upper corners not white');
        // Close on the whole, and each block colour covering as many pixels: coplanar faces
        // may show either one on another rasteriser.
        const desktop = await decodePng(page, readFileSync(join(root, 'docs/screenshot.png')));
        const d = meanDifference(firstFrame, desktop);
        console.log(`first frame against the desktop's: mean difference ${d.toFixed(4)}`);
        expect(d < 0.01, 'the picture differs from docs/screenshot.png');
        const ours = hues(firstFrame), theirs = hues(desktop);
        expect(theirs.size >= 5, 'the desktop frame shows too few block colours');
        for (const [hue, count] of theirs) {
            const seen = ours.get(hue) ?? 0;
            expect(Math.abs(seen - count) <= 10 + count * 0.03, `colour ${hue}: ${seen} pixels, the desktop ${count}`);
        }
    });

    await check("a click on a block loads it with the desktop's narration", async () => {
        await canvas.focus();
        for (const key of VIEW_KEYS) await page.keyboard.press(key);
        const view = await settledFrame(page);
        // Block 0 is the only yellow one. Click the yellow pixel nearest the centre of those
        // with 9 x 9 yellow around them: the 5 x 5 pick region from the pixel's corner then
        // holds no other block.
        const yellow = (x, y) => (([r, g, b]) => r > 60 && Math.abs(r - g) < 12 && b < r / 3)(rgb(view, x, y));
        const inside = [];
        for (let p = 0; p < 500 * 500; p++) {
            const x = p % 500, y = Math.floor(p / 500);
            if (x >= 4 && y >= 4 && x < 496 && y < 496 && [...Array(81).keys()].every((k) => yellow(x - 4 + (k % 9), y - 4 + Math.floor(k / 9)))) inside.push([x, y]);
        }
        expect(inside.length > 20, `block 0 shows ${inside.length} pixels inside its outline`);
        const centre = [0, 1].map((k) => inside.reduce((a, p) => a + p[k], 0) / inside.length);
        const [px, py] = inside.reduce((a, p) => (Math.hypot(p[0] - centre[0], p[1] - centre[1]) < Math.hypot(a[0] - centre[0], a[1] - centre[1]) ? p : a));
        const mark = (await narration(page)).length;
        await page.evaluate((last) => { // frames and time from the release (the pick) to the last line
            const cycle = (window.cycle = { frames: 0 }), panel = document.getElementById('narration');
            const count = () => cycle.seconds === undefined && (cycle.frames++, requestAnimationFrame(count));
            window.addEventListener('mouseup', () => ((cycle.start = performance.now()), requestAnimationFrame(count)), { once: true });
            new MutationObserver(() => panel.textContent.endsWith(last) && (cycle.seconds ??= (performance.now() - cycle.start) / 1000))
                .observe(panel, { childList: true });
        }, CYCLE.slice(-24));
        await canvas.click({ position: { x: px + 0.5, y: py + 0.5 } });
        await untilNarration(page, mark, CYCLE.slice(-24), { timeout: 120000 }).catch(() => {});
        const cycle = await page.evaluate(() => window.cycle);
        console.log(`load cycle in the page: ${cycle.frames} frames, ${cycle.seconds?.toFixed(2)} s`);
        // One step a frame: this block's pick-up takes 119 steps and its transport 425.
        expect(Math.abs(cycle.frames - 544) <= 5, `${cycle.frames} frames for the 544 steps of the cycle`);
        const text = (await narration(page)).slice(mark);
        expect(text === CYCLE, `narration ${JSON.stringify(text)}, expected ${JSON.stringify(CYCLE)}`);
        if (screenshotFile) {
            const box = await page.locator('#narration').boundingBox();
            await page.screenshot({ path: screenshotFile, clip: { x: 0, y: 0, width: box.x + box.width + 16, height: (await page.locator('body').boundingBox()).height + 32 } });
        }
    });

    await check('q ends the simulation; a bad block file shows the colour error; a good one starts again', async () => {
        await canvas.focus();
        await page.keyboard.press('q');
        await page.waitForFunction(() => document.getElementById('status').textContent.includes('exit status 0'));
        const mark = (await narration(page)).length;
        const chooser = page.locator('#blockfile');
        await chooser.setInputFiles({ name: 'colour12.txt', mimeType: 'text/plain', buffer: Buffer.from('c\t-5\t0\t3\t1\t3\nc\t-7\t0\t-3\t2\t12\n') });
        await untilNarration(page, mark, COLOUR_ERROR);
        expect((await page.locator('#status').textContent()).includes('exit status 1'), 'no stop notice');
        await chooser.setInputFiles(join(root, 'data/blocks.txt'));
        expect(meanDifference(await settledFrame(page), firstFrame) < 0.001, 'the sample file did not restart the scene as at start');
        expect(errors.length === 0, `page errors: ${errors.join('; ')}`);
    });

    await check('the menu switches to manual mode, where a crane key works', async () => {
        await canvas.focus();
        for (const key of '2222222222oooooo') await page.keyboard.press(key); // boom and claw in view
        let mark = (await narration(page)).length;
        await page.keyboard.press('z');
        await untilNarration(page, mark, REFUSED);
        await canvas.click({ position: { x: 250, y: 250 }, button: 'right' });
        const menu = await page.locator('#menu').boundingBox(), at = await canvas.boundingBox();
        expect(Math.abs(menu.x - at.x - 250) < 2 && Math.abs(menu.y - at.y - 250) < 2, 'menu not at the pointer');
        await page.locator('#menu li', { hasText: MENU[2] }).click();
        const manual = await settledFrame(page);
        mark = (await narration(page)).length;
        for (let i = 0; i < 20; i++) await page.keyboard.press('y');
        const slewed = await settledFrame(page);
        expect((await narration(page)).length === mark, 'a crane key was refused in manual mode');
        const moved = meanDifference(manual, slewed);
        expect(moved > 0.002, `twenty y presses did not slew the crane (mean difference ${moved})`);
    });
} finally {
    await context.close();
    server.kill();
    rmSync(profile, { recursive: true, force: true });
}

for (const [name, error] of results) console.log(`${error ? 'FAIL' : 'ok  '} ${name}${error ? ': ' + error.message : ''}`);
const failed = results.filter(([, e]) => e).length;
console.log(`${results.length - failed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
