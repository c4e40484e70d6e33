// The browser build in the system's Chromium, each check on a page of its own; none may log a
// page error or a WebGL error.
// node test.mjs BUILD_DIR [--screenshot FILE]
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';
import { AxeBuilder } from '@axe-core/playwright';

const root = fileURLToPath(new URL('..', import.meta.url));
const buildDir = resolve(process.argv[2] ?? join(root, 'build-web'));
const shotAt = process.argv.indexOf('--screenshot');
const screenshotFile = shotAt > 0 ? resolve(process.argv[shotAt + 1]) : null;

// A C string constant of the program's or the native tests' sources (one literal, several
// concatenated, or an array of them printed in turn), as the console shows it.
function cText(file, name) {
    const source = readFileSync(join(root, file), 'latin1');
    const definition = source.match(new RegExp(`\\b${name}(?:\\[\\])? =\\s*(\\{[^}]*\\}|(?:\\s*"(?:[^"\\\\]|\\\\.)*")+)`));
    assert(definition, `${name} not found in ${file}`);
    const byte = (escape) => (escape[0] === 'x' ? parseInt(escape.slice(1), 16) : { n: 10, t: 9 }[escape] ?? escape.charCodeAt(0));
    const unescaped = (literal) => literal.replace(/\\(x[0-9a-fA-F]+|.)/gs, (_, escape) => String.fromCharCode(byte(escape)));
    const text = [...definition[1].matchAll(/"((?:[^"\\]|\\.)*)"/g)].map(([, literal]) => unescaped(literal)).join('');
    return new TextDecoder('windows-1252').decode(Uint8Array.from(text, (c) => c.charCodeAt(0)));
}
// The program's own texts, from its header, as the console prints them.
const BANNER = cText('app/app.h', 'BANNER_TEXT'); // printed in parts
const REFUSED = cText('app/app.h', 'REFUSED_KEY_TEXT');
const COLOUR_ERROR = cText('app/app.h', 'READ_ERROR_TEXT') + cText('app/app.h', 'COLOUR_ERROR_TEXT');
const [ACCEPT, BUSY, AIM, GRIP_TO_REST] = ['ACCEPT', 'BUSY', 'AIM', 'GRIP_TO_REST'].map((n) => cText('tests/support/operation.h', n));
const CYCLE = ACCEPT + BUSY + AIM + GRIP_TO_REST;
const VIEW_KEYS = cText('tests/support/operation.h', 'VIEW_KEYS'); // brings block 0, (-5, 0, 3), into view
const TOO_BIG = cText('app/app.h', 'READ_ERROR_TEXT') + cText('tests/process_end_test.cpp', 'TOO_BIG_TEXT');
const NOTHING = cText('tests/storm_test.cpp', 'NOTHING');
const MENU = [...readFileSync(join(root, 'app/app.h'), 'latin1').match(/MENU_ENTRIES\[\] = \{([^;]*)\};/)[1].matchAll(/\{"([^"]*)"/g)].map((m) => m[1]);
// The page's own timings, as its script sets them.
const pageSource = readFileSync(join(root, 'web/index.html'), 'utf8');
const pageConstant = (name) => Number(pageSource.match(new RegExp(`\\b${name} = (\\d+)`))[1]);
const [LONG_PRESS_MS, REPEAT_DELAY_MS, REPEAT_MS, MIN_SIDE] = ['LONG_PRESS_MS', 'REPEAT_DELAY_MS', 'REPEAT_MS', 'MIN_SIDE'].map(pageConstant);
const SAMPLE = join(root, 'data/blocks.txt');
const FIRST_FRAME = readFileSync(join(root, 'tests/data/first_frame.png'));
const PHONE = (ratio, viewport = { width: 390, height: 844 }) => ({ viewport, deviceScaleFactor: ratio, hasTouch: true, isMobile: true });

const narration = (page) => page.locator('#narration').textContent();
const untilNarration = (page, mark, ending, options) =>
    page.waitForFunction(([m, e]) => document.getElementById('narration').textContent.slice(m).endsWith(e), [mark, ending], options);
// Does act and waits until what the narration says from then on ends in ending; gives where that starts.
async function narrates(page, act, ending) {
    const mark = (await narration(page)).length;
    await act();
    await untilNarration(page, mark, ending);
    return mark;
}
const pause = (page, ms) => page.evaluate((t) => new Promise((done) => setTimeout(done, t)), ms); // the page's own clock
const frames = (page, n) => page.evaluate((k) => new Promise((done) => { const next = () => (k-- > 0 ? requestAnimationFrame(next) : done()); next(); }), n);

// The canvas as shown (a WebGL canvas cannot be read back between frames), as RGBA bytes of a
// square image with its side in .side: in CSS pixels, or resampled to side pixels.
async function canvasPixels(page, side) {
    const canvas = page.locator('#canvas');
    const png = await canvas.screenshot({ scale: side ? 'device' : 'css' });
    return decodePng(page, png, side ?? (await canvas.evaluate((c) => c.clientWidth)));
}
async function decodePng(page, png, side) {
    const rgba = await page.evaluate(async ([png, side]) => {
        const image = await createImageBitmap(new Blob([png]), { colorSpaceConversion: 'none', premultiplyAlpha: 'none', resizeWidth: side, resizeHeight: side, resizeQuality: 'high' });
        const context = new OffscreenCanvas(side, side).getContext('2d');
        context.drawImage(image, 0, 0);
        return context.getImageData(0, 0, side, side).data;
    }, [new Uint8Array(png), side]);
    return Object.assign(Buffer.from(rgba.buffer, rgba.byteOffset, rgba.byteLength), { side });
}
const range = (from, to) => Array.from({ length: to - from }, (_, k) => from + k);
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

// The picture once two looks a few frames apart agree.
async function settledFrame(page, side) {
    for (let last = null, i = 0; i < 100; i++, await frames(page, 3)) {
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

// Canvas pixel (x, y) of a CSS-pixel image, in page coordinates, the canvas in view.
async function canvasPoint(page, x, y) {
    const canvas = page.locator('#canvas');
    await canvas.scrollIntoViewIfNeeded();
    const at = await canvas.boundingBox();
    return [at.x + x + 0.5, at.y + y + 0.5];
}

let server, address, browser, WINDOW_500;
before(async () => {
    server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '-d', buildDir], { stdio: ['ignore', 'pipe', 'ignore'] });
    const port = await new Promise((done) => server.stdout.on('data', (d) => /port (\d+)/.test(d) && done(/port (\d+)/.exec(d)[1])));
    address = `http://127.0.0.1:${port}/index.html`;
    // Playwright gives the browser a fresh profile of its own; no browser is downloaded.
    browser = await chromium.launch({
        executablePath: '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--force-color-profile=srgb'],
    });
    // The window that makes the canvas 500 CSS pixels square, as the desktop's window, from the
    // first frame on (each frame lights the axes in the material the one before left): as
    // tall as the page's header and margins need.
    const page = await browser.newPage({ viewport: { width: 1100, height: 600 } });
    await page.goto(address, { waitUntil: 'domcontentloaded' });
    const top = await page.locator('#stage').evaluate((s) => s.getBoundingClientRect().top);
    WINDOW_500 = { width: 1100, height: Math.ceil(top) + 500 + 12 };
    await page.close();
});
after(async () => {
    await browser?.close();
    server?.kill();
});

// A page of context, loaded and the banner shown unless load is false, logging into the running
// check's errors: thrown ones, and WebGL's as the console reports them (emscripten's notice that
// it emulates GL and ANGLE's notes on performance are not errors).
const GL_NOTICE = /^WARNING: using emscripten GL emulation|GL Driver Message \(OpenGL, Performance,/;
let errors;
async function openPage(context, load = true) {
    const page = await context.newPage();
    page.on('pageerror', (e) => errors.push(`page error: ${e.message}`));
    page.on('console', (m) => {
        const text = m.text();
        if ((m.type() === 'error' || m.type() === 'warning') && /WebGL|GL_/.test(text) && !GL_NOTICE.test(text)) errors.push(`${m.type()}: ${text}`);
    });
    if (load) {
        await page.goto(address);
        await untilNarration(page, 0, BANNER);
        await page.locator('#loading').waitFor({ state: 'detached' }); // the picture shown
    }
    return page;
}
// Each check's page in a context of its own (WINDOW_500 unless told); none of the check's pages
// may have logged an error by its end.
function pageTest(name, options, body) {
    test(name, async () => {
        const context = await browser.newContext({ viewport: WINDOW_500, ...options });
        errors = [];
        try {
            await body(await openPage(context, options.load !== false));
            assert.deepEqual([...new Set(errors)].slice(0, 5), [], 'errors were logged');
        } finally {
            await context.close();
        }
    });
}

// The canvas square, side CSS pixels across at the device's pixel ratio, the narration below or beside it.
async function expectCanvas(page, side, narrationBelow) {
    await page.waitForFunction((n) => document.getElementById('canvas').clientWidth === n, side, { timeout: 5000 }).catch(() => {}); // the resize handled
    const [width, height, cssWidth, cssHeight, ratio] = await page.locator('#canvas').evaluate((c) => [c.width, c.height, c.clientWidth, c.clientHeight, devicePixelRatio]);
    assert(width === height && cssWidth === cssHeight && width === Math.round(cssWidth * ratio) && cssWidth === side,
        `canvas ${width} x ${height} drawn in ${cssWidth} x ${cssHeight} at ratio ${ratio}, expected side ${side}`);
    if (narrationBelow === undefined) return;
    const canvas = await page.locator('#canvas').boundingBox(), panel = await page.locator('#narration').boundingBox();
    const below = panel.y >= canvas.y + canvas.height, beside = panel.x >= canvas.x + canvas.width;
    assert(narrationBelow ? below && !beside : beside && !below, `narration not ${narrationBelow ? 'below' : 'beside'} the canvas`);
}
// The view VIEW_KEYS give, from the keyboard, at rest.
async function keyboardView(page) {
    for (const key of VIEW_KEYS) await page.locator('#canvas').press(key);
    return settledFrame(page);
}
const key = (page, k) => page.locator(`#keys button[data-key="${k}"]`);
const menuEntry = (page, entry) => page.locator('#menu li', { hasText: entry });
const chooseFile = (page, name, text) => page.locator('#blockfile').setInputFiles({ name, mimeType: 'text/plain', buffer: Buffer.from(text) });
const activeId = (page) => page.evaluate(() => document.activeElement?.id);
async function dropFiles(page, files, target = '#canvas') { // [name, text] pairs; whether the drop's default was prevented
    return page.evaluate(([files, target]) => {
        const transfer = new DataTransfer();
        for (const [name, bytes] of files) transfer.items.add(new File([bytes], name));
        const drop = new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true });
        document.querySelector(target).dispatchEvent(drop);
        return drop.defaultPrevented;
    }, [files.map(([name, text]) => [name, new Uint8Array(Buffer.from(text))]), target]);
}
// A mode chosen through the Menu button.
async function chooseMode(page, entry, activate = (element) => element.click()) {
    await activate(page.locator('#menubutton'));
    await activate(menuEntry(page, entry));
}

// By mouse or by touch: a press at canvas pixel (x, y), the menu opened there (the right button,
// or a press held until the menu shows), an element activated.
const mouse = (page) => ({
    press: async (x, y) => page.mouse.click(...(await canvasPoint(page, x, y))),
    menuAt: async (x, y) => page.mouse.click(...(await canvasPoint(page, x, y)), { button: 'right' }),
    activate: (element) => element.click(),
});
// By touch, with a finger of the browser's own touch input as well: down at canvas pixel (x, y),
// moved by (dx, dy), a second finger added, lifted.
function touch(page) {
    let screen = null, at = null; // the session made at the first touch
    const send = async (type, points) => (await (screen ??= page.context().newCDPSession(page))).send('Input.dispatchTouchEvent', { type, touchPoints: points });
    const down = async (x, y) => send('touchStart', [{ x: (at = await canvasPoint(page, x, y))[0], y: at[1], id: 1 }]);
    const up = () => send('touchEnd', []);
    return {
        press: async (x, y) => page.touchscreen.tap(...(await canvasPoint(page, x, y))),
        menuAt: async (x, y) => {
            await down(x, y);
            await page.locator('#menu').waitFor({ timeout: 5000 }).catch(() => {});
            await up();
        },
        activate: (element) => element.tap(),
        down,
        move: (dx, dy) => send('touchMove', [{ x: at[0] + dx, y: at[1] + dy, id: 1 }]),
        second: () => send('touchStart', [{ x: at[0], y: at[1], id: 1 }, { x: at[0] + 40, y: at[1] + 40, id: 2 }]),
        up,
    };
}

// At this window size and the scene at rest, block 0 in view: a press on the empty background
// picks nothing and leaves the picture as it was; the menu opens where it is asked for, and the
// Menu button closes it and opens it again below itself, off the picture; a press on the block
// then only closes the menu; the next one gives the order. The order is then stopped and the
// scene put back, through the menu.
async function checkPicks(page, { press, menuAt, activate }) {
    const view = await settledFrame(page);
    const block = blockZeroIn(view), empty = backgroundIn(view);
    assert(block && empty, `block 0 at ${block}, background at ${empty} in a canvas of ${view.side}`);
    await narrates(page, () => press(...empty), NOTHING);
    const after = await settledFrame(page).catch(() => null); // none where all is black
    assert(after && meanDifference(after, view) < 0.001, 'a pick on the empty background changed the picture');

    const menu = page.locator('#menu'), menuButton = page.locator('#menubutton');
    const mark = (await narration(page)).length;
    await menuAt(...empty);
    const at = await menu.boundingBox(), [px, py] = await canvasPoint(page, ...empty);
    assert(at && Math.abs(at.x - px) < 2 && Math.abs(at.y - py) < 2, 'the menu did not open where it was asked for');
    await activate(menuButton);
    assert(!(await menu.isVisible()), 'the Menu button did not close the menu');
    await activate(menuButton);
    const onBlock = await page.evaluate(([x, y]) => document.elementFromPoint(x, y)?.id, await canvasPoint(page, ...block));
    assert(await menu.isVisible() && onBlock === 'canvas', `the Menu button did not open the menu, or it covers the block (${onBlock})`);
    await press(...block); // its release is handled before the press returns
    assert(!(await menu.isVisible()), 'the menu stayed open');
    assert.equal((await narration(page)).length, mark, 'a press that opened or closed the menu also picked');
    await press(...block);
    await untilNarration(page, mark, ACCEPT + BUSY);
    for (const entry of [MENU[2], MENU[1]]) await chooseMode(page, entry, activate);
}

pageTest('the page loads from disk and over http, in at most 1 MB, with its icon and manifest, and says what to do', { load: false }, async (page) => {
    const sizes = [];
    page.on('requestfinished', (r) => r.url().startsWith('http') && sizes.push(r.sizes().then((s) => s.responseBodySize)));
    for (const url of [pathToFileURL(join(buildDir, 'index.html')).href, address]) {
        await page.goto(url);
        await untilNarration(page, 0, BANNER);
        assert.equal(await page.locator('link[rel=manifest]').count(), url.startsWith('http') ? 1 : 0, 'a manifest where it cannot be read, or none over http');
        // Nothing moved as the program started: the keys, the blocks and the description's
        // line were in place.
        await page.locator('#loading').waitFor({ state: 'detached' });
        await page.waitForFunction(() => document.getElementById('scene').textContent !== '');
        const shifts = await page.evaluate(() => new Promise((done) => {
            new PerformanceObserver((list) => done(list.getEntries().map((e) => e.value))).observe({ type: 'layout-shift', buffered: true });
            setTimeout(() => done([]), 200);
        }));
        assert.deepEqual(shifts, [], 'the layout shifted as the program started');
    }
    const bytes = (await Promise.all(sizes)).reduce((a, b) => a + b, 0);
    console.log(`download over http: ${bytes} bytes in ${sizes.length} requests`);
    assert(bytes > 0 && bytes <= 1 << 20, `download of ${bytes} bytes`);
    const [icon, manifest] = await page.evaluate(async () => {
        const icon = await fetch(document.querySelector('link[rel=icon]').href);
        const manifest = await (await fetch(document.querySelector('link[rel=manifest]').href)).json();
        const image = await createImageBitmap(await icon.blob());
        return [`${icon.status} ${image.width} x ${image.height}`, manifest];
    });
    assert.equal(icon, '200 128 x 128');
    assert.equal(manifest.icons[0].src, 'vinca.png');
    await expectCanvas(page, 500, false);
    assert.equal(await page.locator('h1').count(), 1);
    // What a screen reader is told: the narration a log in Spanish, the status line a status.
    assert.equal(await page.getByRole('log', { name: 'Narration' }).getAttribute('lang'), 'es');
    assert.equal(await page.getByRole('status').getAttribute('id'), 'status');
    const instruction = await page.locator('#instruction').boundingBox();
    assert(instruction.y + instruction.height <= 200, 'the instruction is not at the top');
    assert.deepEqual(await page.locator('#menu li').allTextContents(), MENU);
});

pageTest("the first frame is the desktop's, and a click on the Y axis inside the tower hits it", {}, async (page) => {
    await expectCanvas(page, 500, false);
    const firstFrame = await settledFrame(page);
    assert.equal(rgb(firstFrame, 0, 0).join() + ' ' + rgb(firstFrame, 499, 0).join(), '255,255,255 255,255,255', 'upper corners not white');
    // Close on the whole, and each block colour covering as many pixels: coplanar faces
    // may show either one on another rasteriser.
    const desktop = await decodePng(page, FIRST_FRAME, 500);
    const d = meanDifference(firstFrame, desktop);
    console.log(`first frame against the desktop's: mean difference ${d.toFixed(4)}`);
    assert(d < 0.01, 'the picture differs from tests/data/first_frame.png');
    const ours = hues(firstFrame), theirs = hues(desktop);
    assert(theirs.size >= 5, 'the desktop frame shows too few block colours');
    for (const [hue, count] of theirs) {
        const seen = ours.get(hue) ?? 0;
        assert(Math.abs(seen - count) <= 10 + count * 0.03, `colour ${hue}: ${seen} pixels, the desktop ${count}`);
    }
    // The X axis, grey in front of the quay's dark side at the lower right: each column
    // where the desktop shows it, the page shows it within a row.
    const grey = (image, x, y) => rgb(image, x, y).every((v) => Math.abs(v - 146) < 16);
    const columns = range(340, 500).map((x) => [x, range(260, 346).find((y) => grey(desktop, x, y))]).filter(([, row]) => row !== undefined);
    const missed = columns.filter(([x, row]) => ![-1, 0, 1].some((d) => grey(firstFrame, x, row + d))).length;
    assert(columns.length > 150 && missed <= columns.length / 20, `the X axis: ${missed} of the desktop's ${columns.length} columns missing`);

    const mark = (await narration(page)).length, canvas = page.locator('#canvas');
    await canvas.click({ position: { x: 250, y: 10 } }); // the axis runs up the tower's middle
    await canvas.click({ position: { x: 245, y: 10 } }); // beside it: nothing
    await untilNarration(page, mark, NOTHING);
    assert.equal((await narration(page)).slice(mark), NOTHING, 'the two clicks');
    assert(meanDifference(await settledFrame(page), firstFrame) < 0.001, 'the picks changed the frame');
});

pageTest('a click picks what is under it at ratio 1, in a wide and a narrow window', {}, async (page) => {
    const view = await keyboardView(page);
    await checkPicks(page, mouse(page));
    await page.setViewportSize({ width: 700, height: 1000 });
    await expectCanvas(page, 676, true);
    // The program draws the whole buffer: its reshape got the buffer's size.
    const d = meanDifference(await settledFrame(page, 500), view);
    assert(d < 0.02, `the view in a 676-pixel canvas, brought to 500, differs by ${d.toFixed(4)}`);
    await checkPicks(page, mouse(page));
});

pageTest("a click on a block loads it with the desktop's narration; the list of blocks follows", {}, async (page) => {
    const [px, py] = blockZeroIn(await keyboardView(page));
    const mark = (await narration(page)).length;
    await page.evaluate((last) => { // frames and time from the release (the pick) to the last line
        const cycle = (window.cycle = { frames: 0 }), panel = document.getElementById('narration');
        const count = () => (panel.textContent.endsWith(last) ? (cycle.seconds = (performance.now() - cycle.start) / 1000) : (cycle.frames++, requestAnimationFrame(count)));
        window.addEventListener('mouseup', () => ((cycle.start = performance.now()), requestAnimationFrame(count)), { once: true });
    }, CYCLE.slice(-24));
    await page.locator('#canvas').click({ position: { x: px + 0.5, y: py + 0.5 } });
    await page.waitForFunction(() => /fetching the yellow block/.test(document.getElementById('scene').textContent));
    await untilNarration(page, mark, CYCLE.slice(-24), { timeout: 120000 }).catch(() => {});
    const cycle = await page.evaluate(() => window.cycle);
    console.log(`load cycle in the page: ${cycle.frames} frames, ${cycle.seconds?.toFixed(2)} s`);
    // One step a frame: this block's pick-up takes 119 steps and its transport 425.
    assert(Math.abs(cycle.frames - 544) <= 5, `${cycle.frames} frames for the 544 steps of the cycle`);
    assert.equal((await narration(page)).slice(mark), CYCLE);
    if (screenshotFile) {
        const box = await page.locator('#side').boundingBox();
        await page.screenshot({ path: screenshotFile, clip: { x: 0, y: 0, width: box.x + box.width + 12, height: box.y + box.height + 12 } });
    }
    // The unloaded block has left the list; the block-collection entry brings it back.
    const blocks = page.locator('#blocks button');
    await page.waitForFunction(() => document.querySelectorAll('#blocks button').length === 9);
    assert.equal(await blocks.filter({ hasText: 'yellow block' }).count(), 0, 'the yellow block is still listed');
    const unloaded = (await narration(page)).length;
    await page.evaluate(() => Module._pageOrderBlock(0)); // as a button left over from before would
    assert.equal((await narration(page)).slice(unloaded), '', 'an unloaded block was ordered');
    await page.waitForFunction(() => /^9 blocks wait on the quay; the crane is free\.$/.test(document.getElementById('scene').textContent));
    await chooseMode(page, MENU[1]);
    await page.waitForFunction(() => document.querySelectorAll('#blocks button').length === 10);
});

pageTest('the list of blocks orders a block from the keyboard as a click does, busy answer and all', {}, async (page) => {
    const blocks = page.locator('#blocks button');
    const names = await blocks.allTextContents();
    const sample = readFileSync(SAMPLE, 'latin1').trim().split('\n').map((line) => line.split('\t'));
    // In file order, each named by its colour and its position as the narration prints it.
    assert.equal(names.length, sample.length);
    assert.equal(names[0], 'yellow block at (-5, 0, 3)');
    names.forEach((name, i) => assert(name.endsWith(` block at (${sample[i].slice(1, 4).join(', ')})`), name));
    const mark = await narrates(page, () => blocks.first().press('Enter'), ACCEPT + BUSY);
    await page.keyboard.press('Tab');
    await page.keyboard.press('Enter');
    await page.locator('#canvas').click({ position: { x: 400, y: 450 } }); // the quay: the same busy answer
    await page.waitForFunction(([m, busy]) => document.getElementById('narration').textContent.slice(m).split(busy).length === 4, [mark, BUSY]);
    const sequence = new Set((AIM + GRIP_TO_REST).split('\n').filter(Boolean)); // its own lines, at the machine's pace, aside
    const answers = (await narration(page)).slice(mark).split('\n').filter((line) => !sequence.has(line)).join('\n');
    assert.equal(answers, ACCEPT + BUSY + BUSY + BUSY);
    // Manual mode hides the blocks, and disables their list.
    await chooseMode(page, MENU[2]);
    await page.waitForFunction(() => document.getElementById('order').disabled);
    await chooseMode(page, MENU[1]);
    await page.waitForFunction(() => !document.getElementById('order').disabled);
});

pageTest('q ends the simulation and Start again, focused, restarts on the file last started; a bad file stops it; a second q too', {}, async (page) => {
    const firstFrame = await settledFrame(page);
    const stopThenStartAgain = async (status, name) => {
        await page.waitForFunction((s) => document.getElementById('status').textContent.includes(`exit status ${s}`), status);
        assert.equal(await activeId(page), 'again', 'Start again has not the focus');
        assert(await page.evaluate(() => ['keys', 'menubutton', 'order'].every((id) => document.getElementById(id).disabled)), 'keys, Menu or blocks enabled after the stop');
        await narrates(page, () => page.keyboard.press('Enter'), `\u2014 ${name} \u2014\n`);
        assert(meanDifference(await settledFrame(page), firstFrame) < 0.001, `Start again did not restart on ${name} as at start`);
        assert.equal(await activeId(page), 'canvas');
    };
    await page.locator('#canvas').press('q');
    await stopThenStartAgain(0, 'blocks.txt');
    await narrates(page, () => chooseFile(page, 'colour12.txt', 'c\t-5\t0\t3\t1\t3\nc\t-7\t0\t-3\t2\t12\n'), COLOUR_ERROR);
    await stopThenStartAgain(1, 'blocks.txt');
    await chooseFile(page, 'sample.txt', readFileSync(SAMPLE)); // its cylinders built again after the exit released them
    await page.keyboard.press('Escape');
    await stopThenStartAgain(0, 'sample.txt');
    await page.locator('#menubutton').press('Enter'); // Menu, Enter, Enter: Exit has the focus
    assert.equal(await page.evaluate(() => document.activeElement.textContent), MENU[0]);
    await page.keyboard.press('Enter');
    await stopThenStartAgain(0, 'sample.txt');
});

pageTest('the menu: its state told, Escape gives the focus back, manual mode checked and shown, where a crane key works', {}, async (page) => {
    const menuButton = page.locator('#menubutton');
    await menuButton.press('Enter');
    assert.equal(await menuButton.getAttribute('aria-expanded'), 'true');
    // Entries of 24 pixels at least for a mouse, the focused one outlined where forced colours
    // take the background away.
    const heights = await page.locator('#menu li').evaluateAll((items) => items.map((i) => i.getBoundingClientRect().height));
    assert(Math.min(...heights) >= 24, `entries ${heights} pixels tall`);
    await page.emulateMedia({ forcedColors: 'active' });
    const outline = await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle + ' ' + getComputedStyle(document.activeElement).outlineWidth);
    assert.match(outline, /^solid [1-9]/, `the focused entry's outline in forced colours: ${outline}`);
    await page.emulateMedia({ forcedColors: 'none' });
    await page.keyboard.press('Escape');
    assert.equal(await menuButton.getAttribute('aria-expanded'), 'false');
    assert.equal(await activeId(page), 'menubutton', 'Escape did not give the focus back to Menu');
    const checked = () => page.locator('#menu [role=menuitemradio][aria-checked=true]').allTextContents();
    assert.deepEqual(await checked(), [MENU[1]]);
    assert.match(await page.locator('#mode').textContent(), new RegExp(MENU[1]));

    const canvas = page.locator('#canvas');
    for (const k of '2222222222oooooo') await canvas.press(k); // boom and claw in view
    await narrates(page, () => canvas.press('z'), REFUSED);
    await canvas.click({ position: { x: 250, y: 250 }, button: 'right' });
    const menu = await page.locator('#menu').boundingBox(), at = await canvas.boundingBox();
    assert(Math.abs(menu.x - at.x - 250) < 2 && Math.abs(menu.y - at.y - 250) < 2, 'menu not at the pointer');
    await menuEntry(page, MENU[2]).click();
    await page.waitForFunction((m) => document.getElementById('mode').textContent.includes(m), MENU[2]);
    assert.deepEqual(await checked(), [MENU[2]]);
    const manual = await settledFrame(page);
    const mark = (await narration(page)).length;
    for (let i = 0; i < 20; i++) await page.keyboard.press('y');
    const slewed = await settledFrame(page);
    assert.equal((await narration(page)).length, mark, 'a crane key was refused in manual mode');
    const moved = meanDifference(manual, slewed);
    assert(moved > 0.002, `twenty y presses did not slew the crane (mean difference ${moved})`);
});

pageTest('a redisplay asked for just before the stop draws nothing', {}, async (page) => {
    const before = await settledFrame(page);
    // A camera key and q in one task: the key's redisplay is still to come when q stops it all.
    await page.locator('#canvas').focus();
    await page.evaluate(() => {
        for (const [key, keyCode] of [['8', 56], ['q', 81]]) window.dispatchEvent(new KeyboardEvent('keydown', { key, keyCode, which: keyCode, bubbles: true }));
    });
    await page.waitForFunction(() => document.getElementById('status').textContent.includes('exit status 0'));
    await frames(page, 5);
    await page.evaluate(() => document.getElementById('canvas').classList.remove('stopped')); // undimmed, to compare
    assert(meanDifference(await settledFrame(page), before) < 0.001, 'a frame was drawn after the stop');
});

pageTest('block files: the last of two chosen before start-up loads; dropped ones load the first, say so, and are not opened in place; the menu closes', { load: false }, async (page) => {
    // The runtime held back until the files are chosen.
    await page.addInitScript(() => {
        const instantiate = WebAssembly.instantiate;
        WebAssembly.instantiate = (...args) => new Promise((go) => (window.startProgram = () => go(instantiate.apply(WebAssembly, args))));
    });
    await page.goto(address);
    for (const what of ['h1', '#instruction', '#loading']) assert(await page.locator(what).isVisible(), `${what} not shown`);
    for (const [name, colour] of [['magenta.txt', 1], ['cyan.txt', 2]]) await chooseFile(page, name, `c\t-6\t0\t-1.5\t0\t${colour}\n`);
    assert.match(await page.locator('#status').textContent(), /cyan\.txt/, 'no word of the waiting file');
    await page.evaluate(() => window.startProgram());
    await untilNarration(page, 0, BANNER + '\n\n\u2014 cyan.txt \u2014\n');
    await page.locator('#loading').waitFor({ state: 'detached', timeout: 5000 });
    const counts = [...hues(await settledFrame(page)).entries()].sort((a, b) => b[1] - a[1]);
    assert(counts[0][0] === '022' && counts[0][1] > 1000 && counts.slice(1).reduce((a, [, n]) => a + n, 0) < 50, `block colours in pixels: ${counts}`);

    // 3 MiB with one record: more than start-up reads, without 30 records.
    const big = 'c\t-5\t0\t3\t1\t3\n'.padEnd(3 << 20, ' ');
    const mark = (await narration(page)).length;
    assert(await dropFiles(page, [['big.txt', big]]), 'the drop was left to the browser, which opens the file in place of the page');
    await untilNarration(page, mark, '\n\n\u2014 big.txt \u2014\n' + TOO_BIG);
    const kept = await page.evaluate(() => Module.FS.readdir('/chosen').filter((n) => n[0] !== '.').map((n) => [n, Module.FS.stat('/chosen/' + n).size].join()));
    assert.deepEqual(kept.sort(), ['big.txt,' + ((1 << 20) + 1), 'cyan.txt,16'], 'files kept: the one in use, and the one Start again uses');
    await page.locator('#again').click(); // on cyan.txt, then two files dropped with the menu open
    await page.locator('#canvas').click({ position: { x: 250, y: 250 }, button: 'right' });
    await narrates(page, () => dropFiles(page, [['one.txt', 'c\t-5\t0\t3\t1\t3\n'], ['two.txt', 'c\t-7\t0\t-3\t2\t4\n']], '#side'), '\n\n\u2014 one.txt \u2014\n');
    assert(!(await page.locator('#menu').isVisible()), 'the menu stayed open over the new file');
    assert.equal(await page.locator('#status').textContent(), 'Only the first of the 2 files dropped was loaded: one.txt.');
});

pageTest('by touch at ratio 2: a tap picks, a long press and the Menu button open the menu, the on-screen keys move the camera', PHONE(2), async (page) => {
    await expectCanvas(page, 366, true);
    const desktop = await decodePng(page, FIRST_FRAME, 500);
    let d = meanDifference(await settledFrame(page, 500), desktop);
    assert(d < 0.02, `the first frame in a 732-pixel buffer, brought to 500, differs from the desktop's by ${d.toFixed(4)}`);
    for (const k of VIEW_KEYS) await key(page, k).tap();
    const byTaps = await settledFrame(page, 500);
    const desk = await browser.newContext({ viewport: WINDOW_500 });
    d = meanDifference(byTaps, await keyboardView(await openPage(desk)));
    await desk.close();
    assert(d < 0.02, `the on-screen keys gave a view that differs from the keyboard's by ${d.toFixed(4)}`);
    await checkPicks(page, touch(page));
    await page.setViewportSize({ width: 1024, height: 600 });
    await expectCanvas(page, await page.evaluate(() => 600 - 12 - Math.ceil(document.getElementById('stage').getBoundingClientRect().top)), false);
    await checkPicks(page, touch(page));
});

pageTest('a press: a short one picks and opens no menu; one that moved or gained a finger neither opens the menu nor picks', PHONE(2), async (page) => {
    const empty = backgroundIn(await settledFrame(page)), menu = page.locator('#menu');
    const f = touch(page);
    // An ordinary tap, of 150 ms: it picks, then no menu follows it.
    let mark = (await narration(page)).length;
    await f.down(...empty);
    await pause(page, 150);
    await f.up();
    await untilNarration(page, mark, NOTHING);
    await pause(page, LONG_PRESS_MS * 1.5);
    assert(!(await menu.isVisible()), 'a tap opened the menu');
    for (const [what, spoil] of [['moved', () => f.move(30, 0)], ['gained a finger', () => f.second()]]) {
        mark = (await narration(page)).length;
        await f.down(...empty);
        await spoil();
        await pause(page, LONG_PRESS_MS * 1.5);
        await f.up();
        assert(!(await menu.isVisible()), `a press that ${what} opened the menu`);
        await f.down(...empty); // a tap after it picks, and only once
        await f.up();
        await untilNarration(page, mark, NOTHING);
        assert.equal((await narration(page)).slice(mark), NOTHING, `a press that ${what} picked`);
    }
});

pageTest("an on-screen key repeats while held, and stops at its release and when the release is lost", {}, async (page) => {
    const y = key(page, 'y');
    const refusals = async () => (await narration(page)).split(REFUSED).length - 1;
    const held = async (lose) => { // presses counted while held, then after the release (or its loss)
        const start = await refusals();
        await y.hover();
        await page.mouse.down();
        await pause(page, REPEAT_DELAY_MS + 10 * REPEAT_MS);
        await lose();
        const stopped = await refusals();
        await pause(page, REPEAT_DELAY_MS + 10 * REPEAT_MS);
        const later = await refusals();
        await page.mouse.up();
        return [stopped - start, later - stopped];
    };
    for (const [what, lose] of [
        ['its release', () => page.mouse.up()],
        ['the page lost the focus', () => page.evaluate(() => window.dispatchEvent(new Event('blur')))],
        ['the page was hidden', () => page.evaluate(() => { Object.defineProperty(document, 'hidden', { value: true, configurable: true }); document.dispatchEvent(new Event('visibilitychange')); delete document.hidden; })],
        ["the pointer's capture was lost", () => y.dispatchEvent('lostpointercapture')],
    ]) {
        const [repeated, after] = await held(lose);
        assert(repeated >= 5, `${repeated} presses while held`);
        assert.equal(after, 0, `the key went on after ${what}`);
    }
});

pageTest('a lost GL context: the picture comes back with the scene as it was, and nothing is picked meanwhile', {}, async (page) => {
    const view = await keyboardView(page);
    await page.evaluate(() => (window.loseContext = document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context')).loseContext());
    await page.waitForFunction(() => document.getElementById('scene').textContent.includes('lost'));
    const mark = (await narration(page)).length;
    await page.locator('#canvas').click({ position: { x: 250, y: 250 } });
    assert.equal((await narration(page)).length, mark, 'a click picked on the lost picture');
    await page.evaluate(() => window.loseContext.restoreContext());
    await page.waitForFunction(() => /wait on the quay/.test(document.getElementById('scene').textContent));
    const d = meanDifference(await settledFrame(page), view);
    assert(d < 0.001, `the picture after the context came back differs by ${d.toFixed(4)}`);
    await checkPicks(page, mouse(page));
});

// Zoomed, the viewport shrinks in CSS pixels as the ratio grows: 1280 x 800 device pixels.
for (const [zoom, side] of [[1, 500], [2, 284], [4, MIN_SIDE]]) {
    pageTest(`at ${zoom * 100} % zoom the picture keeps its size, and a click picks`, { viewport: { width: 1280 / zoom, height: 800 / zoom }, deviceScaleFactor: zoom }, async (page) => {
        const width = await page.locator('#canvas').evaluate((c) => c.clientWidth);
        console.log(`canvas at ${zoom * 100} % zoom: ${width} CSS pixels`);
        assert(width >= Math.min(side, 1280 / zoom - 24), `a ${width}-pixel picture`);
        await expectCanvas(page, width);
        const empty = backgroundIn(await settledFrame(page));
        await narrates(page, () => mouse(page).press(...empty), NOTHING);
    });
}

for (const [name, viewport] of [['upright', { width: 390, height: 844 }], ['on its side', { width: 844, height: 390 }]]) {
    pageTest(`a phone held ${name} at ratio 3 shows eight lines of narration, and a tap picks`, PHONE(3, viewport), async (page) => {
        const lines = await page.locator('#narration').evaluate((n) => (n.clientHeight - 8) / parseFloat(getComputedStyle(n).lineHeight));
        console.log(`narration on a phone held ${name}: ${lines.toFixed(1)} lines`);
        assert(lines >= 8, `${lines} lines`);
        const empty = backgroundIn(await settledFrame(page));
        await narrates(page, () => touch(page).press(...empty), NOTHING);
    });
}

// axe-core's WCAG 2.2 AA rules and best practices.
async function axe(page, state) {
    const { violations } = await new AxeBuilder({ page }).withTags(['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice']).analyze();
    console.log(`axe-core, ${state}: ${violations.length} violations${violations.map((v) => ` ${v.id} (${v.nodes.length})`).join(',')}`);
    assert.deepEqual(violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), [], state);
}
pageTest('axe-core finds nothing at rest and with the menu open', {}, async (page) => {
    await axe(page, 'at rest');
    await page.locator('#menubutton').click();
    await axe(page, 'menu open');
});
pageTest('axe-core finds nothing on a 390 x 844 touch screen at ratio 3', PHONE(3), async (page) => {
    await axe(page, 'phone');
});
