// The browser build in the system's Chromium: the page loads (over http and from disk), its
// first frame is the desktop's, a click loads a block with the desktop's narration, the menu
// switches to manual mode where a crane key works, and a bad block file shows its error.
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

// The desktop's texts, as the native tests spell them: C string constants, Windows-1252.
function cText(header, name) {
    const source = readFileSync(join(root, 'tests/support', header), 'latin1');
    const definition = source.match(new RegExp(`\\b${name} =((?:\\s*"(?:[^"\\\\]|\\\\.)*")+)`));
    if (!definition) throw new Error(`${name} not found in ${header}`);
    const bytes = [];
    for (const literal of definition[1].matchAll(/"((?:[^"\\]|\\.)*)"/g)) {
        for (const [, escape, plain] of literal[1].matchAll(/\\(x[0-9a-fA-F]+|.)|(.)/gs)) {
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
const COLOUR_ERROR =
    '\nError al leer fichero de datos.. ' +
    '\nEl color de la caja tiene que ser un entero perteneciente a [0,11]';
const MENU = ['Exit', 'Modo recogida de bloques', 'Modo movimiento manual de vinca'];

const results = [];
async function check(name, body) {
    try {
        await body();
        results.push([name, null]);
    } catch (e) {
        results.push([name, e]);
    }
}
function expect(condition, message) {
    if (!condition) throw new Error(message);
}

// python3 -m http.server on a free port, serving the build directory.
async function startServer() {
    const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1'], {
        cwd: buildDir,
        stdio: ['ignore', 'pipe', 'ignore'],
    });
    const port = await new Promise((done, fail) => {
        let text = '';
        server.stdout.on('data', (chunk) => {
            text += chunk;
            const m = text.match(/port (\d+)/);
            if (m) done(m[1]);
        });
        server.on('exit', () => fail(new Error('http.server ended')));
    });
    return { server, url: `http://127.0.0.1:${port}/index.html` };
}

const narration = (page) => page.locator('#narration').textContent();

// The canvas as shown on screen (the page cannot read back a WebGL canvas between frames).
async function canvasPixels(page) {
    const box = await page.locator('#canvas').evaluate((c) => {
        const r = c.getBoundingClientRect();
        return { x: r.left + c.clientLeft, y: r.top + c.clientTop, width: 500, height: 500 };
    });
    return decodePng(page, await page.screenshot({ clip: box }));
}
async function decodePng(page, png) {
    const raw = await page.evaluate(async (base64) => {
        const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
        const image = await createImageBitmap(new Blob([bytes], { type: 'image/png' }), {
            colorSpaceConversion: 'none',
            premultiplyAlpha: 'none',
        });
        const context = new OffscreenCanvas(image.width, image.height).getContext('2d');
        context.drawImage(image, 0, 0);
        const data = context.getImageData(0, 0, image.width, image.height).data;
        let text = '';
        for (let i = 0; i < data.length; i++) text += String.fromCharCode(data[i]);
        return { width: image.width, height: image.height, data: btoa(text) };
    }, png.toString('base64'));
    return { ...raw, data: Buffer.from(raw.data, 'base64') };
}
const rgb = (image, x, y) => [...image.data.subarray((y * image.width + x) * 4, (y * image.width + x) * 4 + 3)];

// Mean absolute difference (0..1) and the share of pixels off by more than 48 levels.
function compare(a, b) {
    let sum = 0, far = 0;
    for (let i = 0; i < a.data.length; i += 4) {
        let worst = 0;
        for (let k = 0; k < 3; k++) {
            const d = Math.abs(a.data[i + k] - b.data[i + k]);
            sum += d;
            worst = Math.max(worst, d);
        }
        if (worst > 48) far++;
    }
    const n = a.data.length / 4;
    return { mean: sum / (n * 3 * 255), far: far / n };
}

// Pixel counts of the saturated colours (the blocks), by channel proportions in halves.
function hues(image) {
    const counts = new Map();
    for (let i = 0; i < image.data.length; i += 4) {
        const c = [...image.data.subarray(i, i + 3)], top = Math.max(...c);
        if (top < 40 || top - Math.min(...c) < top / 2) continue;
        const hue = c.map((v) => Math.round((2 * v) / top)).join('');
        counts.set(hue, (counts.get(hue) ?? 0) + 1);
    }
    return counts;
}

// Waits until the canvas shows a frame that stays the same for a moment.
async function settledFrame(page) {
    let last = null;
    for (let i = 0; i < 100; i++) {
        const image = await canvasPixels(page);
        const blank = image.data.every((v, k) => k % 4 === 3 || v === image.data[0]);
        if (!blank && last && compare(image, last).mean === 0) return image;
        last = image;
        await page.waitForTimeout(100);
    }
    throw new Error('the canvas never showed a steady frame');
}

const profile = mkdtempSync(join(tmpdir(), 'vinca-chromium-'));
const { server, url } = await startServer();
// A fresh profile of our own; no browser is downloaded.
const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1100, height: 720 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync',
        '--force-color-profile=srgb'],
});
const page = context.pages()[0] ?? (await context.newPage());
const errors = [];
page.on('pageerror', (e) => errors.push(e.message));
let firstFrame = null;

try {
    await check('the page loads (http and disk, at most 1 MB, banner, menu)', async () => {
        const sizes = [];
        const onFinished = (r) => sizes.push(r.sizes().then((s) => s.responseBodySize));
        for (const address of [pathToFileURL(join(buildDir, 'index.html')).href, url]) {
            if (address === url) page.on('requestfinished', onFinished);
            await page.goto(address);
            await page.waitForFunction((b) => document.getElementById('narration').textContent.startsWith(b), BANNER, { timeout: 20000 });
        }
        page.off('requestfinished', onFinished);
        const bytes = (await Promise.all(sizes)).reduce((a, b) => a + b, 0);
        console.log(`download over http: ${bytes} bytes in ${sizes.length} requests`);
        expect(bytes > 0 && bytes <= 1 << 20, `download of ${bytes} bytes over http`);
        const size = await page.locator('#canvas').evaluate((c) => [c.width, c.height, c.clientWidth, c.clientHeight]);
        expect(size.join() === '500,500,500,500', `canvas ${size}`);
        const entries = await page.locator('#menu li').allTextContents();
        expect(entries.join('|') === MENU.join('|'), `menu entries ${JSON.stringify(entries)}`);
        expect(errors.length === 0, `page errors: ${errors.join('; ')}`);
    });

    await check("the first frame is the desktop's", async () => {
        firstFrame = await settledFrame(page);
        for (const [x, y] of [[0, 0], [499, 0]]) {
            expect(rgb(firstFrame, x, y).join() === '255,255,255', `pixel ${x},${y} is ${rgb(firstFrame, x, y)}, not white`);
        }
        // The desktop's start-up frame: close on the whole, and every block colour covering
        // as many pixels. Coplanar faces may show either one on another rasteriser.
        const desktop = await decodePng(page, readFileSync(join(root, 'docs/screenshot.png')));
        const d = compare(firstFrame, desktop);
        console.log(`first frame against the desktop's: mean difference ${d.mean.toFixed(4)}, ${(d.far * 100).toFixed(2)} % of pixels far off`);
        expect(d.mean < 0.01, 'the picture differs from docs/screenshot.png');
        const ours = hues(firstFrame), theirs = hues(desktop);
        expect(theirs.size >= 5, 'the desktop frame shows too few block colours');
        for (const [hue, count] of theirs) {
            const seen = ours.get(hue) ?? 0;
            expect(Math.abs(seen - count) <= 10 + count * 0.03, `colour ${hue}: ${seen} pixels, the desktop ${count}`);
        }
    });

    await check("a click on a block loads it with the desktop's narration", async () => {
        await page.locator('#canvas').focus();
        for (const key of VIEW_KEYS) await page.keyboard.press(key);
        const view = await settledFrame(page);
        // Block 0 is the only yellow one. Click the yellow pixel nearest the centre of those
        // whose 9 x 9 surroundings are yellow too: the pick region, 5 x 5 from the pointer's
        // pixel corner, then holds no other block.
        const yellow = (x, y) => {
            const [r, g, b] = rgb(view, x, y);
            return r > 60 && Math.abs(r - g) < 12 && b < r / 3;
        };
        const inside = [];
        for (let y = 4; y < 496; y++) {
            for (let x = 4; x < 496; x++) {
                let all = true;
                for (let k = 0; k < 81 && all; k++) all = yellow(x - 4 + (k % 9), y - 4 + Math.floor(k / 9));
                if (all) inside.push([x, y]);
            }
        }
        expect(inside.length > 20, `block 0 shows ${inside.length} pixels inside its outline`);
        const cx = inside.reduce((a, p) => a + p[0], 0) / inside.length;
        const cy = inside.reduce((a, p) => a + p[1], 0) / inside.length;
        const [px, py] = inside.reduce((a, p) => (Math.hypot(p[0] - cx, p[1] - cy) < Math.hypot(a[0] - cx, a[1] - cy) ? p : a));
        const mark = (await narration(page)).length;
        await page.evaluate(() => {
            // Frames and time from the release (the pick) to the last line of the cycle.
            let start;
            window.cycle = { frames: 0 };
            const count = () => window.cycle.seconds === undefined && (window.cycle.frames++, requestAnimationFrame(count));
            window.addEventListener('mouseup', () => ((start = performance.now()), requestAnimationFrame(count)), { once: true });
            new MutationObserver((_, observer) => {
                if (document.getElementById('narration').textContent.includes('Esperando nueva orden')) {
                    window.cycle.seconds = (performance.now() - start) / 1000;
                    observer.disconnect();
                }
            }).observe(document.getElementById('narration'), { childList: true });
        });
        await page.mouse.click(...(await canvasPoint(page, px + 0.5, py + 0.5)));
        await page.waitForFunction(() => window.cycle.seconds !== undefined, null, { timeout: 120000 });
        const cycle = await page.evaluate(() => window.cycle);
        console.log(`load cycle in the page: ${cycle.frames} frames, ${cycle.seconds.toFixed(2)} s`);
        const text = (await narration(page)).slice(mark);
        expect(text === CYCLE, `narration ${JSON.stringify(text)}, expected ${JSON.stringify(CYCLE)}`);
        if (screenshotFile) {
            const clip = await page.evaluate(() => ({
                x: 0,
                y: 0,
                width: Math.ceil(document.getElementById('narration').getBoundingClientRect().right) + 16,
                height: Math.ceil(document.body.getBoundingClientRect().bottom) + 16,
            }));
            await page.screenshot({ path: screenshotFile, clip });
        }
    });

    await check('q ends the simulation; a bad block file shows the colour error; a good one starts again', async () => {
        await page.locator('#canvas').focus();
        await page.keyboard.press('q');
        await page.waitForFunction(() => document.getElementById('status').textContent.includes('exit status 0'));
        const mark = (await narration(page)).length;
        const chooser = page.locator('#blockfile');
        await chooser.setInputFiles({ name: 'colour12.txt', mimeType: 'text/plain', buffer: Buffer.from('c\t-5\t0\t3\t1\t3\nc\t-7\t0\t-3\t2\t12\n') });
        await page.waitForFunction((m) => document.getElementById('narration').textContent.slice(m).endsWith('[0,11]'), mark);
        expect((await narration(page)).slice(mark).endsWith(COLOUR_ERROR), 'colour error text');
        expect((await page.locator('#status').textContent()).includes('exit status 1'), 'no stop notice');
        await chooser.setInputFiles(join(root, 'data/blocks.txt'));
        const again = await settledFrame(page);
        expect(compare(again, firstFrame).mean < 0.001, 'the sample file did not restart the scene as at start');
        expect(errors.length === 0, `page errors: ${errors.join('; ')}`);
    });
    await check('the menu switches to manual mode, where a crane key works', async () => {
        await page.locator('#canvas').focus();
        for (const key of '2222222222oooooo') await page.keyboard.press(key); // boom and claw in view
        let mark = (await narration(page)).length;
        await page.keyboard.press('z');
        await page.waitForFunction(([m, r]) => document.getElementById('narration').textContent.slice(m) === r, [mark, REFUSED]);
        await page.mouse.click(...(await canvasPoint(page, 250, 250)), { button: 'right' });
        const box = await page.locator('#menu').boundingBox();
        expect(box && Math.abs(box.x - (await canvasPoint(page, 250, 250))[0]) < 2, 'menu not at the pointer');
        await page.locator('#menu li', { hasText: MENU[2] }).click();
        const manual = await settledFrame(page);
        mark = (await narration(page)).length;
        for (let i = 0; i < 20; i++) await page.keyboard.press('y');
        const luffed = await settledFrame(page);
        expect((await narration(page)).length === mark, 'a crane key was refused in manual mode');
        expect(compare(manual, luffed).far > 0.005, 'twenty y presses did not slew the crane');
    });

} finally {
    await context.close();
    server.kill();
    rmSync(profile, { recursive: true, force: true });
}

async function canvasPoint(page, x, y) {
    const r = await page.locator('#canvas').evaluate((c) => {
        const b = c.getBoundingClientRect();
        return [b.left + c.clientLeft, b.top + c.clientTop];
    });
    return [r[0] + x, r[1] + y];
}

for (const [name, error] of results) console.log(`${error ? 'FAIL' : 'ok  '} ${name}${error ? ': ' + error.message : ''}`);
const failed = results.filter(([, e]) => e).length;
console.log(`${results.length - failed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
