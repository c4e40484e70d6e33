// The page's frame in headless Chromium's CPU renderer (SwiftShader), with the frame-rate
// limit off: a loading cycle of block (-5, 0, 3), clicked where the desktop's benchmark clicks
// it, at each drawing-buffer size (the canvas stays 500 x 500 CSS pixels, as on a screen of
// device pixel ratio size / 500). Per size it reports:
// - cycle: frames and seconds from the click to the last narrated line, the median frame
//   (animation-frame interval: idle step, display pass, compositing, all processes), and
//   the main thread's own time per frame (the program's wasm, the GL emulation, WebGL calls);
// - CPU per frame of each Chromium process over the cycle (renderer, GPU process, browser);
// - loop: frames run back to back inside one task, each an idle step, a display pass and
//   a pixel read back (all the GL work done, no compositing), and the same without it (the
//   main thread's part alone).
// node bench/web/page_bench.mjs [PAGE...] [--sizes 500,1000] [--loop N] [--rounds N]
//     [--profile DIR] [--context '{"desynchronized":true}']
// Each PAGE is a build directory or an index.html (default build-web/); with several, the
// rounds take each in turn, so that the machine's load falls on all alike, and the table
// gives the median over the rounds. --profile DIR also writes a CPU profile of the renderer's
// main thread over each cycle (DIR/NAME-SIZE.cpuprofile, for DevTools) and prints its self
// time by kind, and the CPU time of each thread of the renderer and the GPU process.
import { mkdirSync, writeFileSync } from 'node:fs';
import { basename, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { cpuByKind, cpuByThread, launch } from './chromium.mjs';
import { profileByKind, topFunctions } from './profile_kinds.mjs';

const root = fileURLToPath(new URL('../..', import.meta.url));
const args = process.argv.slice(2);
const option = (name, fallback) => (args.includes(name) ? args[args.indexOf(name) + 1] : fallback);
const valued = new Set(['--sizes', '--loop', '--rounds', '--profile', '--context']);
// Extra WebGL context attributes, to try (JSON): given to the page's getContext calls.
const contextAttributes = JSON.parse(option('--context', 'null'));
const pages = args.filter((a, i) => !a.startsWith('--') && !valued.has(args[i - 1])).map((a) => resolve(a));
if (pages.length === 0) pages.push(join(root, 'build-web'));
const pageFile = (p) => (p.endsWith('.html') ? p : join(p, 'index.html'));
const pageName = (p) => (p.endsWith('.html') ? basename(p, '.html') : basename(p));
const rounds = Number(option('--rounds', '1'));
const sizes = option('--sizes', '500,1000').split(',').map(Number);
const loopFrames = Number(option('--loop', '150'));
const profileDir = option('--profile', null);

const CYCLE_END = ' Esperando nueva orden ;D'; // the cycle's last narrated words
const CLICK = { x: 2.5, y: 191.5 }; // block (-5, 0, 3) in the start-up view, as in bench.cpp
const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
const pct = (v, p) => [...v].sort((a, b) => a - b)[Math.min(v.length - 1, Math.floor(v.length * p))];

// Installed before the page's own script: every animation-frame callback timed, grouped by
// frame while window.bench.on is set.
function recordFrames() {
    const bench = (window.bench = { on: false, frames: new Map() });
    const request = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => request((time) => {
        const start = performance.now();
        callback(time);
        if (bench.on) bench.frames.set(time, (bench.frames.get(time) ?? 0) + performance.now() - start);
    });
}

async function openPage(browser, file, size) {
    const { page } = browser;
    await page.goto(pathToFileURL(file).href);
    await page.waitForFunction(() => document.getElementById('narration').textContent.includes('Escape o q'));
    await page.evaluate((n) => _glutReshapeWindow(n, n), size);
    await page.waitForTimeout(500);
    const buffer = await page.evaluate(() => [Module.canvas.width, Module.canvas.height, Module.canvas.clientWidth].join());
    if (buffer !== `${size},${size},500`) throw new Error(`canvas ${buffer}, expected ${size},${size},500`);
}

async function click(page) {
    await page.locator('#canvas').click({ position: CLICK });
}

// Frames back to back in one task, on an order just given: idle step, display, and a pixel read back.
async function loop(browser, file, size) {
    await openPage(browser, file, size);
    await click(browser.page);
    return browser.page.evaluate((n) => {
        const display = getWasmTableEntry(GLUT.displayFunc), times = { readBack: [], alone: [] };
        const pixel = new Uint8Array(4);
        for (const kind of ['readBack', 'alone']) {
            for (let i = 0; i < n; i++) {
                const start = performance.now();
                Browser.mainLoop.func();
                display();
                // Chromium's finish() only flushes; a pixel read back waits for the frame.
                if (kind === 'readBack') GLctx.readPixels(0, 0, 1, 1, GLctx.RGBA, GLctx.UNSIGNED_BYTE, pixel);
                times[kind].push(performance.now() - start);
            }
            GLctx.readPixels(0, 0, 1, 1, GLctx.RGBA, GLctx.UNSIGNED_BYTE, pixel);
        }
        return times;
    }, loopFrames);
}

async function cycle(browser, file, size, cdp) {
    const { page } = browser;
    await openPage(browser, file, size);
    await page.evaluate((end) => {
        const panel = document.getElementById('narration');
        window.addEventListener('mouseup', () => { bench.on = true; bench.start = performance.now(); }, { once: true, capture: true });
        new MutationObserver(() => { if (bench.on && panel.textContent.endsWith(end)) { bench.on = false; bench.seconds = (performance.now() - bench.start) / 1000; } })
            .observe(panel, { childList: true });
    }, CYCLE_END);
    if (cdp) await cdp.send('Profiler.start');
    const cpuBefore = cpuByKind(), threadsBefore = { renderer: cpuByThread('renderer'), gpu: cpuByThread('gpu-process') };
    await click(page);
    await page.waitForFunction(() => window.bench.seconds !== undefined, null, { timeout: 120000 });
    const cpuAfter = cpuByKind(), threadsAfter = { renderer: cpuByThread('renderer'), gpu: cpuByThread('gpu-process') };
    const profile = cdp ? (await cdp.send('Profiler.stop')).profile : null;
    const result = await page.evaluate(() => ({ seconds: bench.seconds, times: [...bench.frames.keys()], busy: [...bench.frames.values()] }));
    const intervals = result.times.slice(1).map((t, i) => t - result.times[i]);
    const cpu = Object.fromEntries(Object.keys(cpuAfter).map((k) => [k, ((cpuAfter[k] - (cpuBefore[k] ?? 0)) * 1000) / result.times.length]));
    const threads = {};
    for (const kind of ['renderer', 'gpu']) {
        threads[kind] = Object.entries(threadsAfter[kind]).map(([name, t]) => [name, ((t - (threadsBefore[kind][name] ?? 0)) * 1000) / result.times.length])
            .filter(([, t]) => t >= 0.05).sort((a, b) => b[1] - a[1]);
    }
    return { frames: result.times.length, seconds: result.seconds, intervals, busy: result.busy, cpu, threads, profile };
}

const ms = (v) => v.toFixed(2);
const runs = new Map(); // page and size: one result per round
for (let round = 0; round < rounds; round++) {
    for (const size of sizes) {
        for (const file of pages) {
            const name = pageName(file);
            const browser = await launch(['--disable-frame-rate-limit', '--disable-gpu-vsync']);
            try {
                await browser.page.addInitScript(recordFrames);
                if (contextAttributes) {
                    await browser.page.addInitScript((extra) => {
                        const getContext = HTMLCanvasElement.prototype.getContext;
                        HTMLCanvasElement.prototype.getContext = function (type, attributes) {
                            return getContext.call(this, type, { ...attributes, ...extra });
                        };
                    }, contextAttributes);
                }
                const cdp = profileDir ? await browser.context.newCDPSession(browser.page) : null;
                if (cdp) {
                    await cdp.send('Profiler.enable');
                    await cdp.send('Profiler.setSamplingInterval', { interval: 200 });
                }
                const c = await cycle(browser, pageFile(file), size, cdp).catch((e) => {
                    console.log(`${name} at ${size}: no cycle (${e.message.split('\n')[0]})`);
                    return null;
                });
                if (c === null) continue;
                const l = await loop(browser, pageFile(file), size);
                const key = `${name}|${size}`;
                if (!runs.has(key)) runs.set(key, []);
                runs.get(key).push({ frames: c.frames, seconds: c.seconds, frame: median(c.intervals), p10: pct(c.intervals, 0.1), p90: pct(c.intervals, 0.9),
                    busy: median(c.busy), renderer: c.cpu.renderer ?? 0, gpu: c.cpu['gpu-process'] ?? 0, browser: c.cpu.browser ?? 0,
                    readBack: median(l.readBack), alone: median(l.alone) });
                if (cdp) {
                    mkdirSync(profileDir, { recursive: true });
                    writeFileSync(join(profileDir, `${name}-${size}.cpuprofile`), JSON.stringify(c.profile));
                    console.log(`${name} at ${size} x ${size}, renderer main thread, self time by kind (ms per frame):`);
                    for (const [kind, t] of profileByKind(c.profile)) console.log(`  ${(t / c.frames).toFixed(2).padStart(7)}  ${kind}`);
                    console.log('  top functions (ms per frame):');
                    for (const [f, t] of topFunctions(c.profile, 12)) console.log(`  ${(t / c.frames).toFixed(3).padStart(7)}  ${f}`);
                    for (const kind of ['renderer', 'gpu']) {
                        console.log(`  ${kind} threads, CPU ms per frame: ${c.threads[kind].map(([n, t]) => `${n} ${t.toFixed(2)}`).join(', ')}`);
                    }
                }
                const errors = browser.problems.filter((p) => p.includes('WebGL:') || p.startsWith('pageerror'));
                if (errors.length) console.log(`logged by ${name} at ${size}: ${errors.join('; ')}`);
            } finally {
                await browser.close();
            }
        }
    }
}
const head = ['page', 'buffer', 'cycle frames', 'cycle s', 'frame median ms', 'p10 .. p90', 'main thread ms', 'CPU renderer ms',
    'CPU GPU process ms', 'CPU browser ms', 'loop, read back ms', 'loop, main thread ms'];
console.log(`\n${rounds} round(s), medians over them; CPU and main-thread figures per frame of the cycle\n`);
console.log(`| ${head.join(' | ')} |\n|${head.map(() => '---').join('|')}|`);
for (const [key, r] of runs) {
    const [name, size] = key.split('|'), m = (f) => median(r.map(f));
    console.log(`| ${name} | ${size} x ${size} | ${m((x) => x.frames)} | ${m((x) => x.seconds).toFixed(2)} | ${ms(m((x) => x.frame))} | ` +
        `${ms(m((x) => x.p10))} .. ${ms(m((x) => x.p90))} | ${ms(m((x) => x.busy))} | ${ms(m((x) => x.renderer))} | ${ms(m((x) => x.gpu))} | ` +
        `${ms(m((x) => x.browser))} | ${ms(m((x) => x.readBack))} | ${ms(m((x) => x.alone))} |`);
}
