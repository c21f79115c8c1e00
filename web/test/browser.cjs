// Starting headless Chromium for the page's test and benchmark, with
// every request recorded: those of the page and its worker through the
// DevTools protocol (`requests`), and everything that leaves the browser
// through a recording proxy that answers nothing (`background`). Debian's
// Chromium keeps calling its update and sign-in services whatever the
// flags, so the proxy also sees those; they come from the browser, not
// from any page.
"use strict";

const fs = require("fs");
const http = require("http");
const os = require("os");
const path = require("path");

const CHROMIUM = "/usr/bin/chromium";

// Requests that stay inside the browser: the pages' own files, the blobs
// they make (the worker, the copy) and inline data.
function is_local_request(url, page_urls) {
  return page_urls.includes(url) || url.startsWith("blob:") || url.startsWith("data:");
}

function start_recording_proxy(background) {
  const server = http.createServer((request, response) => {
    background.push("proxy: " + request.method + " " + request.url);
    response.writeHead(403);
    response.end();
  });
  server.on("connect", (request, socket) => {
    background.push("proxy: CONNECT " + request.url);
    socket.end("HTTP/1.1 403 Forbidden\r\n\r\n");
  });
  return new Promise((resolve) => {
    server.listen(0, "127.0.0.1", () => resolve(server));
  });
}

// Returns {browser, page, requests, background, profile, close}. `options`:
// {viewport, page_urls: the files the test opens, profile_parent: where the
// browser's profile goes, which also holds the Blobs it keeps on disk}.
async function launch_browser(puppeteer, options) {
  const requests = [];
  const background = [];
  const proxy = await start_recording_proxy(background);
  const profile = fs.mkdtempSync(path.join(options.profile_parent || os.tmpdir(),
                                           "logtrim-chromium-"));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    defaultViewport: options.viewport,
    args: [
      "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--user-data-dir=" + profile,
      "--proxy-server=http://127.0.0.1:" + proxy.address().port,
      "--proxy-bypass-list=<-loopback>",
      "--enable-precise-memory-info",
      "--disable-features=NetworkTimeServiceQuerying",
      ...(options.extra_args || []),
    ],
  });
  const page = await browser.newPage();
  const watch = (session, where) => {
    session.on("Network.requestWillBeSent", (event) => {
      if (!is_local_request(event.request.url, options.page_urls)) {
        requests.push(where + ": " + event.request.url);
      }
    });
  };
  page.on("request", (request) => {
    if (!is_local_request(request.url(), options.page_urls)) {
      requests.push("page: " + request.url());
    }
  });
  browser.on("targetcreated", async (target) => {
    if (target.type() === "page" || target.type() === "browser") return;
    try {
      const session = await target.createCDPSession();
      watch(session, target.type());
      await session.send("Network.enable");
    } catch (error) {
      // The worker ended before it could be watched; the proxy still sees it.
    }
  });
  const close = async () => {
    await browser.close();
    proxy.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { browser, page, requests, background, profile, close };
}

// Saves downloads into `folder` and resolves, for the next download, with
// its file name once it is complete.
async function expect_download(browser, folder) {
  const session = await browser.target().createCDPSession();
  await session.send("Browser.setDownloadBehavior",
                     { behavior: "allow", downloadPath: folder, eventsEnabled: true });
  return new Promise((resolve, reject) => {
    let name = null;
    session.on("Browser.downloadWillBegin", (event) => { name = event.suggestedFilename; });
    session.on("Browser.downloadProgress", (event) => {
      if (event.state === "completed") resolve(name);
      if (event.state === "canceled") reject(new Error("download cancelled"));
    });
  });
}

module.exports = { launch_browser, expect_download };
