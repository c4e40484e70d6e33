// The page's frame in headless Chromium's CPU renderer (SwiftShader), the frame-rate limit off:
// a loading cycle of block 0, (-5, 0, 3), clicked where vinca_bench clicks it, in a window that
// makes the canvas 500 x 500 CSS pixels, drawn at device pixel ratio SIZE / 500. Per size:
// - cycle: frames and seconds from the click to the last narrated words; the frame (interval
//   between animation frames: idle step, display pass, compositing, every process) and the
//   main thread's own part of it; CPU per frame of each Chromium process;
// - loop: idle step and display pass back to back in one task, each waited for by a pixel read
//   back (all the GL work, no compositing).
// With --profile, the main thread's self time per frame by kind, from a V8 CPU profile.
// node bench/page_bench.mjs [BUILD_DIR] [--sizes 500,1000] [--loop N] [--profile]
import { readFileSync, readdirSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const root = fileURLToPath(new URL('..', import.meta.url));
const { chromium } = createRequire(join(root, 'web/package.json'))('playwright-core'); // web/'s install
const args = process.argv.slice(2);
const option = (name, fallback) => (args.includes(name) ? args[args.indexOf(name) + 1] : fallback);
const page = pathToFileURL(join(resolve(args[0] && !args[0].startsWith('--') ? args[0] : join(root, 'build-web')), 'index.html')).href;
const sizes = option('--sizes', '500,1000').split(',').map(Number);
const loopFrames = Number(option('--loop', '150'));
const profiling = args.includes('--profile');
const WINDOW_500 = { width: 1100, height: 524 }; // the canvas 500 x 500 CSS pixels (web/test.mjs)
const CLICK = { x: 2.5, y: 191.5 }; // block 0 in the start-up view, the pixel bench.cpp clicks
const CYCLE_END = ' Esperando nueva orden ;D';
const sorted = (v) => [...v].sort((a, b) => a - b);
const at = (v, q) => sorted(v)[Math.min(v.length - 1, Math.floor(v.length * q))];
const ms = (v) => v.toFixed(2);

// CPU seconds so far of this process's Chromium children, by kind (renderer, gpu-process, ...).
function cpuByKind() {
    const parent = new Map(), kind = new Map(), sum = {};
    for (const pid of readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
        try {
            const stat = readFileSync(`/proc/${pid}/stat`, 'utf8'), fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
            parent.set(Number(pid), Number(fields[1]));
            const cmdline = readFileSync(`/proc/${pid}/cmdline`, 'utf8');
            if (cmdline.startsWith('/usr/lib/chromium/')) kind.set(Number(pid), [cmdline.match(/--type=(\S+)/)?.[1] ?? 'browser', (Number(fields[11]) + Number(fields[12])) / 100]);
        } catch { /* gone meanwhile */ }
    }
    const ours = (pid) => { for (; pid > 1; pid = parent.get(pid) ?? 0) if (pid === process.pid) return true; return false; };
    for (const [pid, [type, cpu]] of kind) if (ours(pid)) sum[type] = (sum[type] ?? 0) + cpu;
    return sum;
}

// A V8 profile's self time by kind: the program's wasm, the GL emulation, WebGL's methods, the rest.
function byKind(profile) {
    const self = new Map(), kinds = new Map();
    profile.samples.forEach((id, i) => self.set(id, (self.get(id) ?? 0) + (profile.timeDeltas[i] ?? 0) / 1000));
    for (const { id, callFrame: f } of profile.nodes) {
        const kind = f.functionName.startsWith('(') ? f.functionName
            : f.url.startsWith('wasm://') ? "the program's wasm"
            : f.url === '' ? 'native: WebGL and other built-ins'
            : /^_(emscripten_)?gl[A-Z]|GLImmediate|GLEmulation|Renderer/.test(f.functionName) ? 'GL emulation (JavaScript)' : 'other script';
        kinds.set(kind, (kinds.get(kind) ?? 0) + (self.get(id) ?? 0));
    }
    return [...kinds].sort((a, b) => b[1] - a[1]);
}

// Before the page's script: each animation-frame callback timed while bench.on is set.
function recordFrames() {
    const bench = (window.bench = { on: false, frames: new Map() }), request = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => request((time) => {
        const start = performance.now();
        callback(time);
        if (bench.on) bench.frames.set(time, (bench.frames.get(time) ?? 0) + performance.now() - start);
    });
}

const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium', headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync', '--force-color-profile=srgb', '--disable-frame-rate-limit', '--disable-gpu-vsync'],
});
const rows = [];
try {
    for (const size of sizes) {
        const context = await browser.newContext({ viewport: WINDOW_500, deviceScaleFactor: size / 500 });
        const tab = await context.newPage();
        const errors = [];
        tab.on('console', (m) => m.text().startsWith('WebGL: ') && errors.push(m.text()));
        await tab.addInitScript(recordFrames);
        const open = async () => {
            await tab.goto(page);
            await tab.waitForFunction(() => document.getElementById('narration').textContent.includes('Escape o q'));
            await tab.waitForFunction((n) => Module.canvas.width === n && Module.canvas.clientWidth === 500, size);
        };
        await open();
        await tab.evaluate((end) => {
            const panel = document.getElementById('narration');
            window.addEventListener('mouseup', () => Object.assign(bench, { on: true, start: performance.now() }), { once: true, capture: true });
            new MutationObserver(() => bench.on && panel.textContent.endsWith(end) && Object.assign(bench, { on: false, seconds: (performance.now() - bench.start) / 1000 }))
                .observe(panel, { childList: true });
        }, CYCLE_END);
        const cdp = profiling ? await context.newCDPSession(tab) : null;
        if (cdp) await cdp.send('Profiler.enable').then(() => cdp.send('Profiler.start'));
        const before = cpuByKind();
        await tab.locator('#canvas').click({ position: CLICK });
        await tab.waitForFunction(() => window.bench.seconds !== undefined, null, { timeout: 180000 });
        const after = cpuByKind(), profile = cdp ? (await cdp.send('Profiler.stop')).profile : null;
        const c = await tab.evaluate(() => ({ seconds: bench.seconds, times: [...bench.frames.keys()], busy: [...bench.frames.values()] }));
        const intervals = c.times.slice(1).map((t, i) => t - c.times[i]), frames = c.times.length;
        const cpu = (k) => ((after[k] ?? 0) - (before[k] ?? 0)) * 1000 / frames;
        // The back-to-back loop, on the same order in a fresh page.
        await open();
        await tab.locator('#canvas').click({ position: CLICK });
        const loop = await tab.evaluate((n) => {
            const display = getWasmTableEntry(GLUT.displayFunc), pixel = new Uint8Array(4), times = [];
            for (let i = 0; i < n; i++) {
                const start = performance.now();
                Browser.mainLoop.func();
                display();
                GLctx.readPixels(0, 0, 1, 1, GLctx.RGBA, GLctx.UNSIGNED_BYTE, pixel); // finish() only flushes
                times.push(performance.now() - start);
            }
            return times;
        }, loopFrames);
        rows.push([`${size} x ${size}`, frames, c.seconds.toFixed(2), ms(at(intervals, 0.5)), `${ms(at(intervals, 0.1))} .. ${ms(at(intervals, 0.9))}`,
            ms(at(c.busy, 0.5)), ms(cpu('renderer')), ms(cpu('gpu-process')), ms(cpu('browser')), ms(at(loop, 0.5))]);
        if (profile) console.log(`${size} x ${size}, main thread self time per frame: ${byKind(profile).map(([k, t]) => `${k} ${ms(t / frames)} ms`).join('; ')}`);
        if (errors.length) console.log(`logged at ${size}: ${[...new Set(errors)].join('; ')}`);
        await context.close();
    }
} finally {
    await browser.close();
}
const head = ['buffer', 'cycle frames', 'cycle s', 'frame median ms', 'p10 .. p90', 'main thread ms', 'CPU renderer ms', 'CPU GPU process ms', 'CPU browser ms',
    'loop: idle step + display pass ms'];
console.log(`| ${head.join(' | ')} |\n|${head.map(() => '---').join('|')}|`);
for (const r of rows) console.log(`| ${r.join(' | ')} |`);
