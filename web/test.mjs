// The browser build in the system's Chromium: the page loads (over http and from disk), its
// first frame is the desktop's, a click or a tap picks what is under it at any window size and
// pixel ratio, a click loads a block with the desktop's narration, q and a bad block file stop
// it and a good one restarts it, the menu's manual mode takes a key, the on-screen keys and the
// menu work by touch, and block files chosen early or dropped load as the desktop reads them.
// No page error and no WebGL error may be logged.
// node test.mjs BUILD_DIR [--screenshot FILE]
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const root = fileURLToPath(new URL('..', import.meta.url));
const buildDir = resolve(process.argv[2] ?? join(root, 'build-web'));
const shotAt = process.argv.indexOf('--screenshot');
const screenshotFile = shotAt > 0 ? resolve(process.argv[shotAt + 1]) : null;

// The desktop's texts as the native tests spell them: C string constants, Windows-1252.
function cText(file, name) {
    const source = readFileSync(join(root, 'tests', file), 'latin1');
    const definition = source.match(new RegExp(`\\b${name} =((?:[\\s,{]*"(?:[^"\\\\]|\\\\.)*")+)`));
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
const BANNER = cText('../app/app.h', 'BANNER_TEXT\\[\\]'); // printed in parts
const [ACCEPT, BUSY, AIM, GRIP_TO_REST] = ['ACCEPT', 'BUSY', 'AIM', 'GRIP_TO_REST'].map((n) => cText('support/operation.h', n));
const CYCLE = ACCEPT + BUSY + AIM + GRIP_TO_REST;
const VIEW_KEYS = cText('support/operation.h', 'VIEW_KEYS'); // brings block 0, (-5, 0, 3), into view
const TOO_BIG = cText('process_end_test.cpp', 'TOO_BIG');
const NOTHING = '\nNada seleccionado';
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

// The canvas as shown (a WebGL canvas cannot be read back between frames), as RGBA bytes of a
// square image with its side in .side: in CSS pixels, or resampled to side pixels.
async function canvasPixels(page, side) {
    const canvas = page.locator('#canvas');
    const png = await canvas.screenshot({ scale: side ? 'device' : 'css' });
    return decodePng(page, png, side ?? (await canvas.evaluate((c) => c.clientWidth)));
}
async function decodePng(page, png, side) {
    const base64 = await page.evaluate(async ([data, side]) => {
        const blob = new Blob([Uint8Array.from(atob(data), (c) => c.charCodeAt(0))]);
        const image = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none', resizeWidth: side, resizeHeight: side, resizeQuality: 'high' });
        const context = new OffscreenCanvas(side, side).getContext('2d');
        context.drawImage(image, 0, 0);
        const bytes = context.getImageData(0, 0, side, side).data;
        let text = '';
        for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode(...bytes.subarray(i, i + 8192));
        return btoa(text);
    }, [png.toString('base64'), side]);
    return Object.assign(Buffer.from(base64, 'base64'), { side });
}
const rgb = (image, x, y) => [...image.subarray((y * image.side + x) * 4, (y * image.side + x) * 4 + 3)];
const meanDifference = (a, b) => a.reduce((sum, v, i) => sum + (i % 4 === 3 ? 0 : Math.abs(v - b[i])), 0) / ((a.length / 4) * 3 * 255);

// Pixel counts of the saturated colours of the blocks, by channel proportions in halves: only
// pixels inside a patch of their hue, so that the axes, lit in whatever material the last
// frame left, never count.
function hues(image) {
    const side = image.side, hue = [];
    for (let i = 0; i < image.length; i += 4) {
        const c = [...image.subarray(i, i + 3)], top = Math.max(...c);
        hue.push(top < 40 || top - Math.min(...c) < top / 2 ? null : c.map((v) => Math.round((2 * v) / top)).join(''));
    }
    const counts = new Map();
    for (let p = side + 1; p < hue.length - side - 1; p++) {
        if (hue[p] && [p - 1, p + 1, p - side, p + side].every((q) => hue[q] === hue[p])) counts.set(hue[p], (counts.get(hue[p]) ?? 0) + 1);
    }
    return counts;
}

async function settledFrame(page, side) {
    for (let last = null, i = 0; i < 100; i++, await page.waitForTimeout(100)) {
        const image = await canvasPixels(page, side);
        if (image.some((v, k) => k % 4 !== 3 && v !== image[0]) && last?.equals(image)) return image;
        last = image;
    }
    throw new Error('the canvas never showed a steady frame');
}

// The pixel nearest the centroid of those of image whose (2 reach + 1)-square all pass test.
function pointInside(image, test, reach) {
    const n = image.side, w = n + 1, sums = new Int32Array(w * w), inside = [];
    for (let y = 0; y < n; y++) {
        for (let x = 0; x < n; x++) sums[(y + 1) * w + x + 1] = test(rgb(image, x, y)) + sums[y * w + x + 1] + sums[(y + 1) * w + x] - sums[y * w + x];
    }
    const square = (x0, y0, x1, y1) => sums[y1 * w + x1] - sums[y0 * w + x1] - sums[y1 * w + x0] + sums[y0 * w + x0];
    for (let y = reach; y < n - reach; y++) {
        for (let x = reach; x < n - reach; x++) if (square(x - reach, y - reach, x + reach + 1, y + reach + 1) === (2 * reach + 1) ** 2) inside.push([x, y]);
    }
    if (inside.length === 0) return null;
    const centre = [0, 1].map((k) => inside.reduce((a, p) => a + p[k], 0) / inside.length);
    const distance = (p) => Math.hypot(p[0] - centre[0], p[1] - centre[1]);
    return inside.reduce((a, p) => (distance(p) < distance(a) ? p : a));
}
// Block 0, the only yellow one, as VIEW_KEYS show it: a pixel with 9 x 9 yellow around it
// (the 5 x 5 pick region from the pixel's corner then holds no other block); and a pixel of
// the white background far from anything drawn.
const blockZeroIn = (view) => pointInside(view, ([r, g, b]) => r > 60 && Math.abs(r - g) < 12 && b < r / 3, 4);
const backgroundIn = (view) => pointInside(view, (c) => c.every((v) => v > 245), 12);

// Each page's errors: thrown ones, and WebGL's as the console reports them. Emscripten's
// notice that it emulates GL and ANGLE's notes on performance are not errors.
const GL_NOTICE = /^WARNING: using emscripten GL emulation|GL Driver Message \(OpenGL, Performance,/;
const glErrors = [];
function watchErrors(page) {
    page.on('pageerror', (e) => glErrors.push(`page error: ${e.message}`));
    page.on('console', (m) => {
        const text = m.text();
        if ((m.type() === 'error' || m.type() === 'warning') && /WebGL|GL_/.test(text) && !GL_NOTICE.test(text)) glErrors.push(`${m.type()}: ${text}`);
    });
    return page;
}

// Canvas pixel (x, y) of a CSS-pixel image, in page coordinates, the canvas in view.
async function canvasPoint(page, x, y) {
    const canvas = page.locator('#canvas');
    await canvas.scrollIntoViewIfNeeded();
    const at = await canvas.boundingBox();
    return [at.x + x + 0.5, at.y + y + 0.5];
}
// At this window size and the scene at rest, block 0 in view: a press (a click or a tap, at
// canvas pixel x, y) on the empty background picks nothing and leaves the picture as it was;
// the menu opens where the right button or a long press (menuAt) is, and the Menu button closes
// it and opens it again below itself, off the picture; a press on the block then only closes
// the menu; the next one gives the order. The order is then stopped and the scene put back,
// through the menu. activate clicks or taps an element.
async function checkPicks(page, press, menuAt, activate) {
    const view = await settledFrame(page);
    const block = blockZeroIn(view), empty = backgroundIn(view);
    expect(block && empty, `block 0 at ${block}, background at ${empty} in a canvas of ${view.side}`);
    let mark = (await narration(page)).length;
    await press(...empty);
    await untilNarration(page, mark, NOTHING);
    const after = await settledFrame(page).catch(() => null); // none where all is black
    expect(after && meanDifference(after, view) < 0.001, 'a pick on the empty background changed the picture');

    const menu = page.locator('#menu'), menuButton = page.locator('#menubutton');
    mark = (await narration(page)).length;
    await menuAt(...empty);
    const at = await menu.boundingBox(), [px, py] = await canvasPoint(page, ...empty);
    expect(at && Math.abs(at.x - px) < 2 && Math.abs(at.y - py) < 2, 'the menu did not open where it was asked for');
    await activate(menuButton);
    expect(!(await menu.isVisible()), 'the Menu button did not close the menu');
    await activate(menuButton);
    const onBlock = await page.evaluate(([x, y]) => document.elementFromPoint(x, y)?.id, await canvasPoint(page, ...block));
    expect(await menu.isVisible() && onBlock === 'canvas', `the Menu button did not open the menu, or it covers the block (${onBlock})`);
    await press(...block);
    await page.waitForTimeout(300);
    expect(!(await menu.isVisible()), 'the menu stayed open');
    expect((await narration(page)).length === mark, 'a press that opened or closed the menu also picked');
    await press(...block);
    await untilNarration(page, mark, ACCEPT + BUSY);
    for (const entry of [MENU[2], MENU[1]]) {
        await activate(menuButton);
        await activate(page.locator('#menu li', { hasText: entry }));
    }
}
// The canvas square, side CSS pixels across at the device's pixel ratio, the narration below or beside it.
async function expectCanvas(page, side, narrationBelow) {
    await page.waitForFunction((n) => document.getElementById('canvas').clientWidth === n, side, { timeout: 5000 }).catch(() => {}); // the resize handled
    const [width, height, cssWidth, cssHeight, ratio] = await page.locator('#canvas').evaluate((c) => [c.width, c.height, c.clientWidth, c.clientHeight, devicePixelRatio]);
    expect(width === height && cssWidth === cssHeight && width === Math.round(cssWidth * ratio) && cssWidth === side,
        `canvas ${width} x ${height} drawn in ${cssWidth} x ${cssHeight} at ratio ${ratio}, expected side ${side}`);
    const canvas = await page.locator('#canvas').boundingBox(), panel = await page.locator('#narration').boundingBox();
    const below = panel.y >= canvas.y + canvas.height, beside = panel.x >= canvas.x + canvas.width;
    expect(narrationBelow ? below && !beside : beside && !below, `narration not ${narrationBelow ? 'below' : 'beside'} the canvas`);
}

const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '-d', buildDir], { stdio: ['ignore', 'pipe', 'ignore'] });
const port = await new Promise((done) => server.stdout.on('data', (d) => String(d).match(/port (\d+)/) && done(String(d).match(/port (\d+)/)[1])));
const address = `http://127.0.0.1:${port}/index.html`;
// Playwright gives the browser a fresh profile of its own; no browser is downloaded.
const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', '--force-color-profile=srgb'],
});
// A window of this height makes the canvas 500 x 500, as the desktop's window.
const WINDOW_500 = { width: 1100, height: 524 };
const context = await browser.newContext({ viewport: WINDOW_500 });
const page = watchErrors(await context.newPage());
const canvas = page.locator('#canvas');
let firstFrame = null, viewFrame = null;

try {
    await check('the page loads (from disk and over http, at most 1 MB, banner, canvas, menu)', async () => {
        const sizes = [];
        const onFinished = (r) => sizes.push(r.sizes().then((s) => s.responseBodySize));
        for (const url of [pathToFileURL(join(buildDir, 'index.html')).href, address]) {
            if (url.startsWith('http')) page.on('requestfinished', onFinished);
            await page.goto(url);
            await untilNarration(page, 0, BANNER);
        }
        page.off('requestfinished', onFinished);
        const bytes = (await Promise.all(sizes)).reduce((a, b) => a + b, 0);
        console.log(`download over http: ${bytes} bytes in ${sizes.length} requests`);
        expect(bytes > 0 && bytes <= 1 << 20, `download of ${bytes} bytes`);
        await expectCanvas(page, 500, false);
        const entries = await page.locator('#menu li').allTextContents();
        expect(entries.join('|') === MENU.join('|'), `menu entries ${JSON.stringify(entries)}`);
    });

    await check("the first frame is the desktop's", async () => {
        firstFrame = await settledFrame(page);
        expect(rgb(firstFrame, 0, 0).join() === '255,255,255' && rgb(firstFrame, 499, 0).join() === '255,255,255', 'upper corners not white');
        // Close on the whole, and each block colour covering as many pixels: coplanar faces
        // may show either one on another rasteriser.
        const desktop = await decodePng(page, readFileSync(join(root, 'docs/screenshot.png')), 500);
        const d = meanDifference(firstFrame, desktop);
        console.log(`first frame against the desktop's: mean difference ${d.toFixed(4)}`);
        expect(d < 0.01, 'the picture differs from docs/screenshot.png');
        const ours = hues(firstFrame), theirs = hues(desktop);
        expect(theirs.size >= 5, 'the desktop frame shows too few block colours');
        for (const [hue, count] of theirs) {
            const seen = ours.get(hue) ?? 0;
            expect(Math.abs(seen - count) <= 10 + count * 0.03, `colour ${hue}: ${seen} pixels, the desktop ${count}`);
        }
        // The X axis, grey in front of the quay's dark side at the lower right: each column
        // where the desktop shows it, the page shows it within a row.
        const axisRow = (image, x) => [...Array(86).keys()].map((k) => 260 + k).find((y) => rgb(image, x, y).every((v) => Math.abs(v - 146) < 16));
        let columns = 0, missed = 0;
        for (let x = 340; x < 500; x++) {
            const row = axisRow(desktop, x);
            if (row === undefined) continue;
            columns++;
            missed += [-1, 0, 1].some((d) => rgb(firstFrame, x, row + d).every((v) => Math.abs(v - 146) < 16)) ? 0 : 1;
        }
        expect(columns > 150 && missed <= columns / 20, `the X axis: ${missed} of the desktop's ${columns} columns missing`);
    });

    await check("a click on the Y axis inside the tower hits it, as on the desktop", async () => {
        const mark = (await narration(page)).length;
        await canvas.click({ position: { x: 250, y: 10 } }); // the axis runs up the tower's middle
        await canvas.click({ position: { x: 245, y: 10 } }); // beside it: nothing
        await untilNarration(page, mark, '\nNada seleccionado');
        const text = (await narration(page)).slice(mark);
        expect(text === '\nNada seleccionado', `narration ${JSON.stringify(text)} for the two clicks`);
        expect(meanDifference(await settledFrame(page), firstFrame) < 0.001, 'the picks changed the frame');
    });

    await check('a click picks what is under it at ratio 1, in a wide and a narrow window', async () => {
        await canvas.focus();
        for (const key of VIEW_KEYS) await page.keyboard.press(key);
        const click = async (x, y) => page.mouse.click(...(await canvasPoint(page, x, y)));
        const rightClick = async (x, y) => page.mouse.click(...(await canvasPoint(page, x, y)), { button: 'right' });
        const activate = (element) => element.click();
        viewFrame = await settledFrame(page); // for the on-screen keys' check
        await checkPicks(page, click, rightClick, activate);
        await page.setViewportSize({ width: 700, height: 1000 });
        await expectCanvas(page, 676, true);
        // The program draws the whole buffer: its reshape got the buffer's size.
        const d = meanDifference(await settledFrame(page, 500), viewFrame);
        expect(d < 0.02, `the view in a 676-pixel canvas, brought to 500, differs by ${d.toFixed(4)}`);
        await checkPicks(page, click, rightClick, activate);
        await page.setViewportSize(WINDOW_500);
        await expectCanvas(page, 500, false);
    });

    await check("a click on a block loads it with the desktop's narration", async () => {
        // The view of the check before: VIEW_KEYS, the scene at rest.
        const view = await settledFrame(page);
        const [px, py] = blockZeroIn(view);
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
            const box = await page.locator('#side').boundingBox();
            await page.screenshot({ path: screenshotFile, clip: { x: 0, y: 0, width: box.x + box.width + 12, height: box.y + box.height + 12 } });
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

    await check('block files: one chosen before start-up loads after it, alone; a dropped one is read only as far as start-up reads', async () => {
        // The runtime held back until the file is chosen.
        const early = watchErrors(await context.newPage());
        await early.addInitScript(() => {
            const instantiate = WebAssembly.instantiate;
            WebAssembly.instantiate = (...args) => new Promise((go) => (window.startProgram = () => go(instantiate.apply(WebAssembly, args))));
        });
        await early.goto(address);
        await early.locator('#blockfile').setInputFiles({ name: 'cyan.txt', mimeType: 'text/plain', buffer: Buffer.from('c\t-6\t0\t-1.5\t0\t2\n') });
        expect((await early.locator('#status').textContent()).includes('cyan.txt'), 'no word of the waiting file');
        await early.evaluate(() => window.startProgram());
        await untilNarration(early, 0, BANNER + '\n\n\u2014 cyan.txt \u2014\n');
        const counts = [...hues(await settledFrame(early)).values()].sort((a, b) => b - a);
        expect(counts[0] > 1000 && counts.slice(1).reduce((a, b) => a + b, 0) < 50, `block colours in pixels: ${counts}`);
        // 3 MiB with one record: more than start-up reads, without 30 records.
        const big = Buffer.alloc(3 << 20, ' ');
        big.write('c\t-5\t0\t3\t1\t3\n');
        const dropped = await early.evaluateHandle((bytes) => {
            const transfer = new DataTransfer();
            transfer.items.add(new File([Uint8Array.from(atob(bytes), (c) => c.charCodeAt(0))], 'big.txt'));
            return transfer;
        }, big.toString('base64'));
        const mark = (await narration(early)).length;
        await early.dispatchEvent('#canvas', 'drop', { dataTransfer: dropped });
        await untilNarration(early, mark, '\n\n\u2014 big.txt \u2014\n' + TOO_BIG);
        const kept = await early.evaluate(() => Module.FS.readdir('/chosen').filter((n) => n[0] !== '.').map((n) => [n, Module.FS.stat('/chosen/' + n).size].join()));
        expect(kept.join() === `big.txt,${(1 << 20) + 1}`, `files kept: ${kept}`);
        await early.close();
    });

    await check('by touch at ratio 2: a tap picks, a long press and the Menu button open the menu, the on-screen keys move the camera', async () => {
        const phone = await browser.newContext({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 2, hasTouch: true, isMobile: true });
        const touch = watchErrors(await phone.newPage());
        const screen = await phone.newCDPSession(touch);
        await touch.goto(address);
        await untilNarration(touch, 0, BANNER);
        await expectCanvas(touch, 366, true);
        const desktop = await decodePng(touch, readFileSync(join(root, 'docs/screenshot.png')), 500);
        let d = meanDifference(await settledFrame(touch, 500), desktop);
        expect(d < 0.02, `the first frame in a 732-pixel buffer, brought to 500, differs from the desktop's by ${d.toFixed(4)}`);
        const key = (k) => touch.locator(`#keys button[data-key="${k}"]`).tap();
        for (const k of VIEW_KEYS) await key(k);
        expect(viewFrame, 'no view by the keyboard to compare with: its check failed');
        d = meanDifference(await settledFrame(touch, 500), viewFrame);
        expect(d < 0.02, `the on-screen keys gave a view that differs from the keyboard's by ${d.toFixed(4)}`);

        const tap = async (x, y) => touch.touchscreen.tap(...(await canvasPoint(touch, x, y)));
        const longPress = async (x, y) => {
            const [px, py] = await canvasPoint(touch, x, y);
            await screen.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: px, y: py }] });
            await touch.locator('#menu').waitFor({ timeout: 5000 }).catch(() => {});
            await screen.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
        };
        const activate = (element) => element.tap();
        await checkPicks(touch, tap, longPress, activate);

        await touch.setViewportSize({ width: 1024, height: 600 });
        await expectCanvas(touch, 576, false);
        await checkPicks(touch, tap, longPress, activate);
        await phone.close();
    });

    await check('no page error and no WebGL error was logged', async () => {
        expect(glErrors.length === 0, `${glErrors.length} errors, the first ones: ${[...new Set(glErrors)].slice(0, 5).join(' | ')}`);
    });
} finally {
    await browser.close();
    server.kill();
}

for (const [name, error] of results) console.log(`${error ? 'FAIL' : 'ok  '} ${name}${error ? ': ' + (error.name === 'Error' ? error.message : error.stack) : ''}`);
const failed = results.filter(([, e]) => e).length;
console.log(`${results.length - failed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
