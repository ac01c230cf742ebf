// SPDX-License-Identifier: MIT
// The page in Debian's chromium, driven by puppeteer-core, against the machine's
// own driftmote-sim: node browser-test.mjs PAGE.html DRIFTMOTE-SIM OUT_DIR.
// Each check prints one line; any failure ends with exit status 1.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const [pageFile, tool, outDir] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: node browser-test.mjs PAGE.html DRIFTMOTE-SIM OUT_DIR');
  process.exit(2);
}
fs.mkdirSync(outDir, { recursive: true });
const pageUrl = 'file://' + path.resolve(pageFile);
let failures = 0;
function check(what, ok, detail = '') {
  console.log((ok ? 'ok     ' : 'FAILED ') + what + (ok || !detail ? '' : ': ' + detail));
  if (!ok)
    ++failures;
}
const sim = (...args) => execFileSync(tool, args, { encoding: 'latin1', maxBuffer: 1 << 28 });
// The CSV of a run without its frame column, so that runs of other frame numbers compare.
const particles = (csv) => csv.split('\n').map((line) => line.replace(/^[^,]*,/, '')).join('\n');

// The RGB bytes of an 8-bit RGB PNG without interlacing, as stb's writer makes them.
function pngPixels(file) {
  const data = fs.readFileSync(file);
  let at = 8;
  let width = 0, height = 0;
  const chunks = [];
  while (at < data.length) {
    const length = data.readUInt32BE(at);
    const type = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[9] !== 2 || body[12] !== 0)
        throw new Error(file + ' is not an 8-bit RGB PNG without interlacing');
    } else if (type === 'IDAT') {
      chunks.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(chunks));
  const stride = width * 3;
  const out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= 3 ? out[y * stride + x - 3] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= 3 && y > 0 ? out[(y - 1) * stride + x - 3] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[y * stride + x] = v & 255;
    }
  }
  return { width, height, rgb: out };
}

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--headless=new', '--allow-file-access-from-files'],
});
const downloads = path.resolve(outDir, 'downloads');
fs.rmSync(downloads, { recursive: true, force: true });
fs.mkdirSync(downloads);
const cdp = await browser.target().createCDPSession();
// Each download is kept under its own id, and announced when complete.
await cdp.send('Browser.setDownloadBehavior', { behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true });
const finished = [];
cdp.on('Browser.downloadProgress', (event) => {
  if (event.state === 'completed')
    finished.push(path.join(downloads, event.guid));
});

let answer = true; // the large-count question's answer
let asked = 0;
// A page, as a browser without WebAssembly SIMD sees it when `simd` is false: the
// page's probe for SIMD finds none.
async function open(fragment = '', ratio = 1, simd = true) {
  const page = await browser.newPage();
  if (!simd)
    await page.evaluateOnNewDocument(() => { WebAssembly.validate = () => false; });
  page.on('pageerror', (error) => check('no script error', false, error.message));
  page.on('dialog', async (dialog) => {
    ++asked;
    await (answer ? dialog.accept() : dialog.dismiss());
  });
  await page.setViewport({ width: 900, height: 620, deviceScaleFactor: ratio });
  await page.goto(pageUrl + fragment);
  await page.waitForFunction(() => window.driftmote !== undefined);
  return page;
}
const state = (page) => page.evaluate(() => ({
  count: window.driftmote.count(),
  texts: [0, 1, 2, 3].map((i) => document.querySelectorAll('.box')[i].value),
  description: document.getElementById('canvas').getAttribute('aria-label'),
  title: document.title,
  status: document.getElementById('status').textContent,
}));
async function download(page, button) {
  const before = finished.length;
  await page.click(button);
  for (let i = 0; i < 200 && finished.length === before; ++i)
    await new Promise((resolve) => setTimeout(resolve, 50));
  if (finished.length === before)
    throw new Error(button + ' downloaded nothing');
  return finished[before];
}
// The canvas's pixels as RGB bytes, with its size in device pixels.
const canvasPixels = (page) => page.evaluate(() => {
  const canvas = document.getElementById('canvas');
  const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  const rgb = [];
  for (let i = 0; i < rgba.length; i += 4)
    rgb.push(rgba[i], rgba[i + 1], rgba[i + 2]);
  return { width: canvas.width, height: canvas.height, logical: [canvas.clientWidth, canvas.clientHeight], rgb };
});
async function pause(page) {
  await page.click('#pause');
  await page.waitForFunction(() => document.title.includes('paused'));
}
async function waitForReplay(page) {
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('paused'), { timeout: 60000 });
}

try {
  // Typing and presets: every keystroke is read as the window reads it.
  let page = await open();
  await page.keyboard.type('120');
  let s = await state(page);
  check('typing 120 over the selected count gives 120 particles', s.count === 120 && s.texts[0] === '120',
        JSON.stringify(s));
  check('the canvas describes 120 running particles', s.description === '120 particles, running', s.description);
  await page.click('#attraction', { clickCount: 3 });
  await page.keyboard.type('-.5e-2junk');
  s = await state(page);
  check('a coefficient keeps its text as typed', s.texts[1] === '-.5e-2junk', s.texts[1]);
  await page.click('#preset-next');
  s = await state(page);
  check('--> types preset 1', s.count === 128 && s.texts.join(' ') === '128 -.04 -.01 .3', JSON.stringify(s));
  await page.click('#preset-prev');
  await page.click('#preset-prev');
  s = await state(page);
  check('<-- twice wraps to preset 4', s.count === 111 && s.texts.join(' ') === '111 0 .0001 0', JSON.stringify(s));
  answer = false;
  asked = 0;
  await page.click('#num', { clickCount: 3 });
  await page.keyboard.type('400');
  s = await state(page);
  check('No to the question above 350 puts the count in use back', asked === 1 && s.count === 40 && s.texts[0] === '40',
        JSON.stringify({ asked, ...s }));
  answer = true;
  await page.keyboard.type('0');
  s = await state(page);
  check('Yes gives the large count', asked === 2 && s.count === 400, JSON.stringify({ asked, ...s }));

  // The canvas is the tool's picture of the same state, at ratio 1 and 2.
  for (const ratio of [1, 2]) {
    page = await open('', ratio);
    await pause(page);
    await page.screenshot({ path: path.join(outDir, 'page-dpr' + ratio + '.png') });
    const shown = await canvasPixels(page);
    const snapshot = await download(page, '#save-snapshot');
    const picture = path.join(outDir, 'tool-dpr' + ratio + '.png');
    sim('--load', snapshot, '--frames', '0', '--print', 'none', '--picture', picture,
        '--size', shown.logical[0] + 'x' + shown.logical[1], '--scale', String(ratio));
    const expected = pngPixels(picture);
    const same = expected.width === shown.width && expected.height === shown.height &&
                 Buffer.from(shown.rgb).equals(expected.rgb);
    check('the canvas at ratio ' + ratio + ' (' + shown.width + 'x' + shown.height +
          ' device pixels) is the tool\'s --picture byte for byte', same,
          expected.width + 'x' + expected.height + ' expected');
    const saved = await download(page, '#save-picture');
    check('Save Picture at ratio ' + ratio + ' writes the tool\'s PNG file', fs.readFileSync(saved).equals(fs.readFileSync(picture)));
    await page.close();
  }

  // A link from the tool opens the tool's particles at its frame, paused, with
  // either module; its snapshot goes on as the tool's run does.
  const options = ['--seed', '12345', '--num', '90', '--friction', '.01', '--preset', '3', '--attraction', '.0002'];
  const fragment = sim(...options, '--frames', '240', '--link').trim().replace(/^driftmote\.html/, '');
  let replayed = '';
  for (const simd of [true, false]) {
    page = await open(fragment, 1, simd);
    await waitForReplay(page);
    s = await state(page);
    const kernel = await page.evaluate(() => window.driftmote.kernel());
    const build = await page.$eval('#build', (line) => line.textContent);
    check('the page says which step it runs (' + kernel + ')',
          simd ? kernel === 'simd128' && build.startsWith('Steps with WebAssembly SIMD')
               : kernel === 'plain' && build.startsWith('This browser has no WebAssembly SIMD'), build);
    check('the tool\'s link opens paused at its frame (' + kernel + ')',
          s.title === 'Driftmote (paused)' && s.status.includes('Frame 240'), JSON.stringify(s));
    replayed = await download(page, '#save-snapshot');
    check('the link gives the tool\'s particles bit for bit (' + kernel + ')',
          particles(sim('--load', replayed, '--frames', '0', '--print', '0')) ===
            particles(sim(...options, '--frames', '240', '--print', '240')));
    check('Save Snapshot downloads a file the tool continues bit for bit (' + kernel + ')',
          particles(sim('--load', replayed, '--frames', '100', '--print', '100')) ===
            particles(sim(...options, '--frames', '340', '--print', '340')));
    await page.close();
  }

  // Copy Link after typing and a preset reopens the same particles; a text typed
  // while the particles move leaves no link until the next scatter.
  page = await open();
  await page.keyboard.type('7');
  await new Promise((resolve) => setTimeout(resolve, 100));
  await page.click('#friction', { clickCount: 3 });
  await page.keyboard.type('.1');
  await page.click('#copy-link');
  s = await state(page);
  check('a text typed while the particles move gets no link, and the page says why',
        s.status.includes('changed while the particles moved'), s.status);
  await pause(page);
  await page.click('#num', { clickCount: 3 });
  await page.keyboard.type('77');
  await page.click('#preset-next');
  await page.click('#repulsion', { clickCount: 3 });
  await page.keyboard.type('.00003');
  await page.click('#pause');
  await new Promise((resolve) => setTimeout(resolve, 300));
  await pause(page);
  await page.click('#copy-link');
  const link = await page.$eval('#link-text', (input) => input.value);
  const original = await download(page, '#save-snapshot');
  const reopened = await open(link.slice(link.indexOf('#')));
  await waitForReplay(reopened);
  const copy = await download(reopened, '#save-snapshot');
  check('a copied link (' + link.slice(link.indexOf('#')) + ') reopens the same particles',
        link.includes('#seed=1&') && fs.readFileSync(copy).equals(fs.readFileSync(original)));
  await reopened.close();

  // A state from a snapshot file has no link.
  const chooser = page.waitForFileChooser();
  await page.click('#open-snapshot');
  await (await chooser).accept([replayed]);
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('opened'));
  await page.click('#copy-link');
  s = await state(page);
  check('an opened snapshot gets no link, and the page says why', s.status.includes('snapshot') &&
        (await page.$eval('#link-text', (input) => input.value)) === '', s.status);
  const bad = path.join(outDir, 'bad.driftmote');
  fs.writeFileSync(bad, '{"format": "driftmote-snapshot", "version": 1, "preset": 9}');
  const badChooser = page.waitForFileChooser();
  await page.click('#open-snapshot');
  await (await badChooser).accept([bad]);
  await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('bad.driftmote'));
  const after = await state(page);
  check('a bad snapshot is named with what is wrong, and nothing changes', after.count === s.count, after.status);
} catch (error) {
  check('the browser test ran to its end', false, error.stack);
}
await browser.close();
console.log(failures === 0 ? 'browser test: all passed' : 'browser test: ' + failures + ' failed');
process.exit(failures === 0 ? 0 : 1);
