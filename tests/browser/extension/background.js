// Runs the native messaging checks once the extension loads and POSTs, for each, a problem or ""
// to the test script. The Chromium extension and the Firefox add-on share it: the scripts add
// config.json (where to report, which checks to run) and data.json (what the host should send).
'use strict';

const HOST = 'com.vantrel.messaginghost';
const PORT_REQUESTS = 20;
// Only guards against a browser that never calls back; not a performance limit.
const CALL_TIMEOUT_MS = 10000;

async function readPackaged(name) {
  return (await fetch(chrome.runtime.getURL(name))).json();
}

// Opens a port, posts the messages back to back (the host must cope with queued frames) and
// settles once `count` replies came, on a disconnect (Chromium says why in runtime.lastError,
// Firefox in port.error), or on timeout.
function exchange(messages, count) {
  return new Promise((resolve) => {
    const replies = [];
    const port = chrome.runtime.connectNative(HOST);
    const finish = (why) => {
      clearTimeout(timer);
      try { port.disconnect(); } catch (_) { /* already gone */ }
      resolve({ why, replies });
    };
    const timer = setTimeout(() => finish('timeout'), CALL_TIMEOUT_MS);
    port.onMessage.addListener((message) => {
      replies.push(message);
      if (replies.length === count) finish('complete');
    });
    port.onDisconnect.addListener(() => finish('disconnected: ' + (chrome.runtime.lastError || port.error || {}).message));
    for (const message of messages) port.postMessage(message);
  });
}

// JSON text also tells reordered keys apart, which deep equality would not.
function problemOf({ why, replies }, count, expected) {
  const wrong = replies.filter((reply) => JSON.stringify(reply) !== JSON.stringify(expected));
  if (why !== 'complete') return `${why} after ${replies.length} of ${count} replies`;
  return wrong.length ? `${wrong.length} replies differ, first ${JSON.stringify(wrong[0]).slice(0, 200)}` : '';
}

const checks = {
  options_once: (expected) => new Promise((resolve) => {
    const timer = setTimeout(() => resolve('the browser never called back'), CALL_TIMEOUT_MS);
    chrome.runtime.sendNativeMessage(HOST, { options: true }, (reply) => {
      clearTimeout(timer);
      const error = chrome.runtime.lastError;
      resolve(error ? error.message : problemOf({ why: 'complete', replies: [reply] }, 1, expected));
    });
  }),
  // The host answers a URL with nothing and the browser holds a one-shot host until it replies,
  // so no callback comes: the opener's record, checked by the script, is the evidence.
  url_once: async () => {
    chrome.runtime.sendNativeMessage(HOST, { url: 'https://example.invalid/path?q=1' }, () => void chrome.runtime.lastError);
    return '';
  },
  port_burst: async (expected) =>
    problemOf(await exchange(Array(PORT_REQUESTS).fill({ options: true }), PORT_REQUESTS), PORT_REQUESTS, expected),
  // The options reply proves the URL frame before it was read and answered nothing.
  url_port: async (expected) =>
    problemOf(await exchange([{ url: 'https://example.invalid/port?q=2' }, { options: true }], 1), 1, expected),
};

async function main() {
  const config = await readPackaged('config.json');
  const body = { extensionId: chrome.runtime.id, tests: {} };
  try {
    const expected = { options: await readPackaged('data.json') };
    // One after the other, so the opener's calls are easy to attribute.
    for (const name of config.tests) body.tests[name] = await checks[name](expected);
  } catch (e) {
    body.error = String(e && e.stack ? e.stack : e);
  }
  // Retried because the report is the test's only signal; a lost one looks like a hang.
  for (let attempt = 0; attempt < 5; attempt++) {
    try {
      if ((await fetch(config.reportUrl, { method: 'POST', body: JSON.stringify(body) })).ok) return;
    } catch (_) { /* retry below */ }
    await new Promise((resolve) => setTimeout(resolve, 500));
  }
}

main();
