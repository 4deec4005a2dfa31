"use strict";
// The machine's other cores: Web Workers made from a blob: address holding
// the module's own script, each with its own copy of the program, which
// answers a long draw's requests with the dots of a segment. The module
// decides what to ask and what the answers mean; this part only carries
// bytes. There are as many as the machine has cores, where it has two or
// more (the page's address may say how many, as ?workers=N, 0 to 16); none
// where workers cannot start. They start once the page is up (or at the
// first request), so that the first long draw finds them ready. A worker
// that fails answers its requests with nothing, and no more are sent.

function makeWorkers(answered, wanted = workersWanted()) {
    const workers = [];  // { worker, tickets: the requests it holds }
    let failed = false;

    function fail(entry) {
        failed = true;
        for (const ticket of entry.tickets.splice(0))
            answered(ticket, new Uint8Array(0));
    }
    // The module is compiled once, here, and handed to each worker, whose
    // script is the module's without the module's bytes.
    function start() {
        const glue = document.getElementById("module").textContent;
        const bytes = /data:application\/octet-stream;base64,([A-Za-z0-9+/=]+)/.exec(glue);
        const script = (bytes ? glue.replace(bytes[1], "") : glue) + `\n(${workerMain})();\n`;
        const compiled = bytes && WebAssembly.compile(Uint8Array.from(atob(bytes[1]), (c) => c.charCodeAt(0)));
        const address = URL.createObjectURL(new Blob([script], { type: "text/javascript" }));
        try {
            for (let i = 0; i < wanted; ++i) {
                const entry = { worker: new Worker(address), tickets: [] };
                if (compiled)
                    compiled.then((module) => entry.worker.postMessage({ module }), () => fail(entry));
                else
                    entry.worker.postMessage({ module: null });
                entry.worker.onmessage = ({ data }) => {
                    if (data.failed !== undefined)
                        return fail(entry);
                    entry.tickets.splice(entry.tickets.indexOf(data.ticket), 1);
                    answered(data.ticket, data.mask ? new Uint8Array(data.mask) : new Uint8Array(0));
                };
                entry.worker.onerror = () => fail(entry);
                workers.push(entry);
            }
        } finally {
            URL.revokeObjectURL(address);
        }
    }
    return {
        count: () => (failed ? 0 : wanted),
        // Starts them ahead of the first request, where there are any.
        start() {
            try {
                if (wanted > 0 && workers.length === 0 && !failed)
                    start();
            } catch (error) {
                failed = true;
            }
        },
        send(ticket, request) {
            try {
                if (failed)
                    throw new Error("a worker failed");
                if (workers.length === 0)
                    start();
                const entry = workers.reduce((a, b) => (b.tickets.length < a.tickets.length ? b : a));
                const bytes = request.slice();
                entry.tickets.push(ticket);
                entry.worker.postMessage({ ticket, request: bytes.buffer }, [bytes.buffer]);
            } catch (error) {
                failed = true;
                setTimeout(() => answered(ticket, new Uint8Array(0)));
            }
        },
    };
}

// How many workers: the address's ?workers=N, else one a core where there
// are two or more (this thread then only gathers their dots, so that it
// answers the user at once).
function workersWanted() {
    if (typeof Worker !== "function" || typeof Blob !== "function" || !URL.createObjectURL)
        return 0;
    const asked = Number.parseInt(new URLSearchParams(location.search).get("workers"), 10);
    const cores = navigator.hardwareConcurrency || 1;
    const wanted = Number.isInteger(asked) ? asked : cores > 1 ? cores : 0;
    return Math.min(Math.max(wanted, 0), 16);
}

// A worker's own script, after the module's: makes its copy of the program
// from the compiled module it is handed first (none: from the script's own
// bytes), then answers each request, in turn (requests that come before wait).
function workerMain() {
    const early = [];
    let answer = (data) => ("module" in data ? start(data.module) : early.push(data));
    onmessage = ({ data }) => answer(data);
    function start(module) {
        const made = module ? {
            instantiateWasm(imports, receive) {
                WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module),
                                                              (error) => postMessage({ failed: String(error) }));
                return {};
            },
        } : {};
        createChaosGame(made).then((M) => {
            answer = ({ ticket, request }) => {
                const view = M.answerRequest(new Uint8Array(request));
                const mask = view ? view.slice() : null;
                postMessage({ ticket, mask: mask && mask.buffer }, mask ? [mask.buffer] : []);
            };
            early.splice(0).forEach(answer);
        }).catch((error) => postMessage({ failed: String(error) }));
    }
}
