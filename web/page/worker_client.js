// The page's side of the worker: starts it from the code inlined in the
// page (a file opened from disk may start no worker from a file), sends it
// requests and routes its answers. Cancel ends the worker at once, whatever
// it is doing, and starts a fresh one.
"use strict";

const worker_client = {
  worker: null,
  next_id: 1,
  pending: new Map(),  // id -> {resolve, on_event}
};

function start_worker() {
  const source = new Blob([LOGTRIM_WORKER_SOURCE], { type: "text/javascript" });
  const url = URL.createObjectURL(source);
  const worker = new Worker(url);
  URL.revokeObjectURL(url);
  worker.onmessage = (event) => {
    const message = event.data;
    const request = worker_client.pending.get(message.id);
    if (!request) return;
    if (message.type === "done" || message.type === "failed") {
      worker_client.pending.delete(message.id);
      request.resolve(message);
    } else if (request.on_event) {
      request.on_event(message);
    }
  };
  worker.onerror = (event) => {
    event.preventDefault();
    fail_all_requests(event.message || "The worker stopped.");
  };
  worker_client.worker = worker;
}

function fail_all_requests(reason) {
  for (const [id, request] of worker_client.pending) {
    request.resolve({ id, type: "failed", error: reason });
  }
  worker_client.pending.clear();
}

// Sends `message` ({type, file, args}); resolves with the final answer
// ({type: "done", ...} or {type: "failed", error} or {type: "cancelled"}).
// `on_event` receives the answers before it (progress, summary).
function worker_request(message, on_event) {
  if (!worker_client.worker) start_worker();
  const id = worker_client.next_id++;
  return new Promise((resolve) => {
    worker_client.pending.set(id, { resolve, on_event });
    worker_client.worker.postMessage({ ...message, id });
  });
}

function cancel_worker() {
  if (worker_client.worker) worker_client.worker.terminate();
  worker_client.worker = null;
  for (const [id, request] of worker_client.pending) {
    request.resolve({ id, type: "cancelled" });
  }
  worker_client.pending.clear();
  start_worker();
}
