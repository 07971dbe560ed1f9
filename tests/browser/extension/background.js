// Runs the native messaging checks once the extension loads and POSTs the
// outcome to the test script. The Chromium extension and the Firefox add-on
// share it: the scripts add config.json (where to report, which checks to run)
// and data.json (what the host should send) to their temporary copies.
'use strict';

const HOST = 'com.vantrel.messaginghost';
const URL_TO_OPEN = 'https://example.invalid/path?q=1';
const URL_THROUGH_PORT = 'https://example.invalid/port?q=2';
const PORT_REQUESTS = 20;
// Only guards against a browser that never calls back; not a performance limit.
const CALL_TIMEOUT_MS = 10000;
// Only guards against a host that never ends; not a performance limit.
const EXIT_TIMEOUT_MS = 15000;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function readPackaged(name) {
  const response = await fetch(chrome.runtime.getURL(name));
  if (!response.ok) throw new Error(`cannot read ${name}: ${response.status}`);
  return response.json();
}

// Settles with {reply} or {error}; the callback form keeps runtime.lastError visible.
function sendOnce(message) {
  return new Promise((resolve) => {
    const timer = setTimeout(() => resolve({ timedOut: true }), CALL_TIMEOUT_MS);
    chrome.runtime.sendNativeMessage(HOST, message, (reply) => {
      clearTimeout(timer);
      const error = chrome.runtime.lastError;
      resolve(error ? { error: error.message } : { reply });
    });
  });
}

// Chromium reports why through runtime.lastError, Firefox through port.error.
function disconnectReason(port) {
  const error = chrome.runtime.lastError || port.error;
  return 'disconnected' + (error ? ': ' + error.message : '');
}

// JSON text comparison also catches reordered keys, which deep equality would not.
function sameJson(a, b) {
  return JSON.stringify(a) === JSON.stringify(b);
}

async function optionsOnce(expected) {
  const result = await sendOnce({ options: true });
  const ok = !result.error && !result.timedOut && sameJson(result.reply, expected);
  return { ok, result };
}

function urlOnce() {
  // The host answers a URL request with nothing, and the browser holds a one-shot host until it
  // replies, so no callback comes: the opener's record, checked by the script, is the evidence.
  chrome.runtime.sendNativeMessage(HOST, { url: URL_TO_OPEN }, () => void chrome.runtime.lastError);
  return { ok: true };
}

// Opens a port, posts the messages back to back and settles once `count`
// replies came ('complete'), on a disconnect, or on timeout. The caller closes
// the port, so it can still look at the port's host first.
function exchange(messages, count) {
  return new Promise((resolve) => {
    const replies = [];
    let finished = false;
    const port = chrome.runtime.connectNative(HOST);

    const finish = (why) => {
      if (finished) return;
      finished = true;
      clearTimeout(timer);
      resolve({ why, replies, port });
    };
    const timer = setTimeout(() => finish('timeout'), CALL_TIMEOUT_MS);

    port.onMessage.addListener((message) => {
      replies.push(message);
      if (replies.length === count) finish('complete');
    });
    port.onDisconnect.addListener(() => finish(disconnectReason(port)));
    for (const message of messages) port.postMessage(message);
  });
}

function disconnect(port) {
  try { port.disconnect(); } catch (_) { /* already gone */ }
}

async function portBurst(expected) {
  // Back to back, no waiting: the host must cope with queued frames.
  const requests = Array.from({ length: PORT_REQUESTS }, () => ({ options: true }));
  const { why, replies, port } = await exchange(requests, PORT_REQUESTS);
  disconnect(port);
  const allMatch = replies.every((r) => sameJson(r, expected));
  return {
    ok: why === 'complete' && allMatch,
    why,
    received: replies.length,
    allMatch,
    firstMismatch: replies.find((r) => !sameJson(r, expected)),
  };
}

// The URL frame, then an options frame: its reply proves the URL frame was
// read and answered nothing, so disconnecting afterwards loses nothing.
async function urlThroughPort(expected) {
  const { why, replies, port } = await exchange([{ url: URL_THROUGH_PORT }, { options: true }], 1);
  disconnect(port);
  const matches = replies.length === 1 && sameJson(replies[0], expected);
  return {
    ok: why === 'complete' && matches,
    why,
    received: replies.length,
    firstReply: replies.length && !matches ? replies[0] : undefined,
  };
}

// The add-on cannot see processes; the test script lists the hosts that run.
async function hostPids(config) {
  const response = await fetch(config.hostsUrl, {
    method: 'POST',
    signal: AbortSignal.timeout(CALL_TIMEOUT_MS),
  });
  if (!response.ok) throw new Error(`host list: ${response.status}`);
  return response.json();
}

// The host behind a port must end once the extension lets the port go. The
// host that starts for the port is the one that was not running before it;
// hosts of earlier ports that are still ending do not count. Firefox also sends
// a host SIGTERM 3 s after closing its input, so there this shows that the host
// ends, not that it ended on its own.
async function hostExit(config, expected) {
  const before = new Set(await hostPids(config));
  const { why, replies, port } = await exchange([{ options: true }], 1);
  // The reply proves the port's host runs now, however long its start took.
  const started = why === 'complete' ? (await hostPids(config)).filter((p) => !before.has(p)) : [];
  disconnect(port);
  if (why !== 'complete') return { ok: false, why: `no reply: ${why}`, started };
  if (!sameJson(replies[0], expected)) return { ok: false, why: 'wrong reply', started };
  if (started.length !== 1) return { ok: false, why: 'not exactly one new host process', started };

  const deadline = Date.now() + EXIT_TIMEOUT_MS;
  while ((await hostPids(config)).includes(started[0])) {
    if (Date.now() > deadline) return { ok: false, why: 'host still running after the port closed', started };
    await sleep(100);
  }
  return { ok: true, started };
}

async function report(config, body) {
  // Retried because the POST is the test's only signal; a lost one looks like a hang.
  for (let attempt = 0; attempt < 5; attempt++) {
    try {
      const response = await fetch(config.reportUrl, {
        method: 'POST',
        headers: { 'Content-Type': 'application/json' },
        body: JSON.stringify(body),
      });
      if (response.ok) return;
    } catch (_) { /* retry below */ }
    await sleep(500);
  }
}

async function main() {
  const config = await readPackaged('config.json');
  const body = { extensionId: chrome.runtime.id, tests: {} };
  try {
    const expected = { options: await readPackaged('data.json') };
    const checks = {
      options_once: () => optionsOnce(expected),
      url_once: () => urlOnce(),
      port_burst: () => portBurst(expected),
      url_port: () => urlThroughPort(expected),
      host_exit: () => hostExit(config, expected),
    };
    // Sequential so the opener log and host starts are easy to attribute.
    for (const name of config.tests) {
      body.tests[name] = await checks[name]();
    }
  } catch (e) {
    body.error = String(e && e.stack ? e.stack : e);
  }
  await report(config, body);
}

main();
