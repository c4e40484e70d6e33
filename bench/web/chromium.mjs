// The system's Chromium, headless, on a fresh profile of playwright's (no browser is
// downloaded), for the page's benchmark and probes: the flags web/test.mjs uses, and more.
import { readFileSync, readdirSync } from 'node:fs';
import { createRequire } from 'node:module';

// playwright-core is installed for the page's test, under web/.
const require = createRequire(new URL('../../web/package.json', import.meta.url));
const { chromium } = require('playwright-core');

export async function launch(extraArgs = [], viewport = { width: 1100, height: 720 }) {
    const browser = await chromium.launch({
        executablePath: '/usr/bin/chromium',
        headless: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
            '--disable-background-networking', '--disable-component-update', '--disable-sync',
            '--force-color-profile=srgb', ...extraArgs],
    });
    const context = await browser.newContext({ viewport });
    const page = await context.newPage();
    // Every warning and error the page logs (WebGL's among them), and uncaught exceptions.
    const problems = [];
    page.on('console', (m) => ['warning', 'error'].includes(m.type()) && problems.push(`${m.type()}: ${m.text()}`));
    page.on('pageerror', (e) => problems.push(`pageerror: ${e.message}`));
    return { browser, context, page, problems, close: () => browser.close() };
}

// The Chromium processes under this one, by kind (browser, renderer, gpu-process, utility),
// with their CPU time so far in seconds (user + system, all threads).
export function chromiumProcesses() {
    const parent = new Map(), kind = new Map();
    for (const pid of readdirSync('/proc').filter((d) => /^\d+$/.test(d)).map(Number)) {
        try {
            const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
            parent.set(pid, Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
            // Chromium writes its children's arguments back as one string.
            const cmdline = readFileSync(`/proc/${pid}/cmdline`, 'utf8');
            if (cmdline.startsWith('/usr/lib/chromium/')) {
                const type = cmdline.match(/--type=(\S+)/)?.[1] ?? 'browser';
                kind.set(pid, type === 'zygote' ? 'browser' : type);
            }
        } catch { /* gone meanwhile */ }
    }
    const ours = (pid) => { for (; pid > 1; pid = parent.get(pid) ?? 0) if (pid === process.pid) return true; return false; };
    const result = [];
    for (const [pid, type] of kind) {
        if (!ours(pid)) continue;
        try {
            const f = readFileSync(`/proc/${pid}/stat`, 'utf8');
            const fields = f.slice(f.lastIndexOf(')') + 2).split(' ');
            result.push({ pid, type, cpu: (Number(fields[11]) + Number(fields[12])) / 100 });
        } catch { /* gone meanwhile */ }
    }
    return result;
}

// CPU seconds per kind of process, summed.
export function cpuByKind() {
    const sum = {};
    for (const p of chromiumProcesses()) sum[p.type] = (sum[p.type] ?? 0) + p.cpu;
    return sum;
}

// CPU seconds so far of each thread of the processes of one kind, by thread name.
export function cpuByThread(type) {
    const sum = {};
    for (const p of chromiumProcesses().filter((q) => q.type === type)) {
        let tasks = [];
        try { tasks = readdirSync(`/proc/${p.pid}/task`); } catch { continue; }
        for (const tid of tasks) {
            try {
                const f = readFileSync(`/proc/${p.pid}/task/${tid}/stat`, 'utf8');
                const name = f.slice(f.indexOf('(') + 1, f.lastIndexOf(')')).replace(/\d+$/, '#');
                const fields = f.slice(f.lastIndexOf(')') + 2).split(' ');
                sum[name] = (sum[name] ?? 0) + (Number(fields[11]) + Number(fields[12])) / 100;
            } catch { /* gone meanwhile */ }
        }
    }
    return sum;
}
