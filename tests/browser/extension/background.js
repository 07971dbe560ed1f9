// Runs the native messaging checks once the extension loads and POSTs the
// outcome to the test script. The script adds config.json (where to report)
// and data.json (what the host should send) to its temporary copy of this folder.
'use strict';

const HOST = 'com.vantrel.messaginghost';
const URL_TO_OPEN = 'https://example.invalid/path?q=1';
const URL_THROUGH_PORT = 'https://example.invalid/port?q=2';
const PORT_REQUESTS = 20;
// Only guards against a browser that never calls back; not a performance limit.
const CALL_TIMEOUT_MS = 10000;

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

function portBurst(expected) {
  return new Promise((resolve) => {
    const replies = [];
    let finished = false;
    const port = chrome.runtime.connectNative(HOST);

    const finish = (why) => {
      if (finished) return;
      finished = true;
      clearTimeout(timer);
      const allMatch = replies.every((r) => sameJson(r, expected));
      resolve({
        ok: why === 'complete' && replies.length === PORT_REQUESTS && allMatch,
        why,
        received: replies.length,
        allMatch,
        firstMismatch: replies.find((r) => !sameJson(r, expected)),
      });
      try { port.disconnect(); } catch (_) { /* already gone */ }
    };
    const timer = setTimeout(() => finish('timeout'), CALL_TIMEOUT_MS);

    port.onMessage.addListener((message) => {
      replies.push(message);
      if (replies.length === PORT_REQUESTS) finish('complete');
    });
    port.onDisconnect.addListener(() => {
      const error = chrome.runtime.lastError;
      finish('disconnected' + (error ? ': ' + error.message : ''));
    });
    // Back to back, no waiting: the host must cope with queued frames.
    for (let i = 0; i < PORT_REQUESTS; i++) port.postMessage({ options: true });
  });
}

// The URL frame, then an options frame: its reply proves the URL frame was
// read and answered nothing, so disconnecting afterwards loses nothing.
function urlThroughPort(expected) {
  return new Promise((resolve) => {
    const replies = [];
    let finished = false;
    const port = chrome.runtime.connectNative(HOST);

    const finish = (why) => {
      if (finished) return;
      finished = true;
      clearTimeout(timer);
      resolve({
        ok: why === 'complete' && replies.length === 1 && sameJson(replies[0], expected),
        why,
        received: replies.length,
        firstReply: replies.length && !sameJson(replies[0], expected) ? replies[0] : undefined,
      });
      try { port.disconnect(); } catch (_) { /* already gone */ }
    };
    const timer = setTimeout(() => finish('timeout'), CALL_TIMEOUT_MS);

    port.onMessage.addListener((message) => {
      replies.push(message);
      finish('complete');
    });
    port.onDisconnect.addListener(() => {
      const error = chrome.runtime.lastError;
      finish('disconnected' + (error ? ': ' + error.message : ''));
    });
    port.postMessage({ url: URL_THROUGH_PORT });
    port.postMessage({ options: true });
  });
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
    await new Promise((r) => setTimeout(r, 500));
  }
}

async function main() {
  const config = await readPackaged('config.json');
  const body = { extensionId: chrome.runtime.id, tests: {} };
  try {
    const expected = { options: await readPackaged('data.json') };
    // Sequential so the opener log and host starts are easy to attribute.
    body.tests.options_once = await optionsOnce(expected);
    body.tests.url_once = urlOnce();
    body.tests.port_burst = await portBurst(expected);
    body.tests.url_port = await urlThroughPort(expected);
  } catch (e) {
    body.error = String(e && e.stack ? e.stack : e);
  }
  await report(config, body);
}

main();
