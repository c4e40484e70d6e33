// Self time of a V8 CPU profile (DevTools' Profiler.stop) of the page, by kind: the
// program's wasm, emscripten's GL emulation, the rest of the page's script (GLUT, the main
// loop, the page), WebGL's methods (Blink's bindings, validation and command encoding), other
// built-ins, garbage collection, idle. Also the top functions, for a closer look.
const GL_EMULATION = new Set(['prepare', 'flush', 'getRenderer', 'prepareClientAttributes', 'cleanup', 'setClientAttribute',
    'createRenderer', 'init', 'getTempVertexBuffer', 'getTempIndexBuffer', 'next', 'get', 'reset', 'getStaticKeyView',
    'traverseState', 'multiply', 'rotate', 'translate', 'scale', 'inverse', 'transpose', 'toMat3', 'create', 'set', 'identity',
    'getAttributeFromCapability', 'addRendererComponent']);
const WEBGL = new Set(['drawElements', 'drawArrays', 'bufferSubData', 'bufferData', 'bindBuffer', 'useProgram', 'uniform4fv',
    'uniform1f', 'uniformMatrix4fv', 'uniformMatrix3fv', 'vertexAttribPointer', 'enableVertexAttribArray',
    'disableVertexAttribArray', 'vertexAttrib4fv', 'getParameter', 'enable', 'disable', 'clear', 'clearColor', 'viewport',
    'scissor', 'depthFunc', 'depthMask', 'depthRange', 'clearDepth', 'readPixels', 'finish', 'flush', 'getError',
    'isEnabled', 'lineWidth', 'colorMask', 'bindVertexArrayOES', 'createBuffer']);

export function kindOf(frame) {
    const name = frame.functionName;
    if (name.startsWith('(')) return name;
    if (frame.url.startsWith('wasm://') || name.startsWith('$')) return "the program's wasm";
    if (frame.url === '') return WEBGL.has(name) ? 'WebGL methods (native)' : 'other built-ins (native)';
    if (/^_(emscripten_)?gl[A-Z]/.test(name) || /^(Renderer|GLImmediate|GLEmulation)\./.test(name) || GL_EMULATION.has(name)) {
        return "emscripten's GL emulation (JS)";
    }
    return 'other page script (GLUT, main loop, page)';
}

// Self milliseconds per node id, from the samples and their time deltas.
function selfTimes(profile) {
    const self = new Map();
    profile.samples.forEach((id, i) => self.set(id, (self.get(id) ?? 0) + (profile.timeDeltas[i] ?? 0) / 1000));
    return self;
}

export function profileByKind(profile) {
    const self = selfTimes(profile), byKind = new Map();
    for (const node of profile.nodes) {
        const k = kindOf(node.callFrame);
        byKind.set(k, (byKind.get(k) ?? 0) + (self.get(node.id) ?? 0));
    }
    return [...byKind].sort((a, b) => b[1] - a[1]);
}

export function topFunctions(profile, count = 20) {
    const self = selfTimes(profile), byName = new Map();
    for (const node of profile.nodes) {
        const f = node.callFrame, key = `${f.functionName || '(anonymous)'} [${kindOf(f)}]`;
        byName.set(key, (byName.get(key) ?? 0) + (self.get(node.id) ?? 0));
    }
    return [...byName].sort((a, b) => b[1] - a[1]).slice(0, count);
}
