// Opens each view of a sample collection in headless Chromium, checks that no
// image is broken and no script error happens, and saves a screenshot of each
// view.  node views.mjs <sample server program> <screenshot directory>
import { spawn } from 'node:child_process';
import { mkdirSync } from 'node:fs';
import { chromium } from 'playwright-core';

const [server, shots] = process.argv.slice(2);
if (!server || !shots) {
  console.error('usage: node views.mjs SERVER SCREENSHOT_DIR');
  process.exit(2);
}
mkdirSync(shots, { recursive: true });

const child = spawn(server, [], { stdio: ['pipe', 'pipe', 'inherit'] });
const port = await new Promise((resolve, reject) => {
  let out = '';
  const timer = setTimeout(() => reject(new Error('the sample server did not start')), 30000);
  child.stdout.on('data', (d) => {
    out += d;
    const m = out.match(/PORT (\d+)/);
    if (m) { clearTimeout(timer); resolve(Number(m[1])); }
  });
  child.on('exit', (code) => reject(new Error(`the sample server ended with ${code}`)));
});

const base = `http://127.0.0.1:${port}`;
const views = [
  ['icons', '/Seaside%20holiday/?list=icons&set=1'],
  ['list', '/Seaside%20holiday/?list=list&set=1'],
  ['details', '/Seaside%20holiday/?list=details&sortcol=name&sortdir=asc'],
  ['filmstrip', '/Seaside%20holiday/?list=filmstrip&set=1&sortcol=name&sortdir=asc'],
  ['preview', '/Seaside%20holiday/?list=preview&sortcol=name&sortdir=asc&item=8'],
];

let failures = 0;
const fail = (msg) => { failures++; console.error(`FAIL: ${msg}`); };
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
});
try {
  const page = await browser.newPage({ viewport: { width: 1024, height: 720 } });
  page.on('pageerror', (e) => fail(`script error: ${e.message}`));
  page.on('console', (m) => { if (m.type() === 'error') fail(`console error: ${m.text()}`); });
  page.on('response', (r) => { if (r.status() >= 400) fail(`${r.status()} for ${r.url()}`); });
  for (const [name, path] of views) {
    await page.goto(base + path, { waitUntil: 'load' });
    const broken = await page.$$eval('img', (imgs) =>
      imgs.filter((i) => !i.complete || i.naturalWidth === 0).map((i) => i.getAttribute('src')));
    for (const src of broken) fail(`${name}: broken image ${src}`);
    // A name from an 8-bit code page reads as it was meant to in every list.
    const text = await page.textContent('body');
    if (name !== 'preview' && !text.includes('Caf\u00e9')) fail(`${name}: the name "Caf\u00e9 receipts" is not shown`);
    const images = await page.$$eval('img', (imgs) => imgs.length);
    if (images < 20) fail(`${name}: only ${images} images on the page`);
    // The rollover swaps a view button to its selected picture and back.
    const other = name === 'list' ? 'btn_icons' : 'btn_list';
    await page.hover(`#${other}`);
    const swapped = await page.$eval(`#${other}`, (i) => i.src);
    if (!swapped.includes('_sel')) fail(`${name}: the view button does not light up under the mouse`);
    await page.mouse.move(1000, 700);
    await page.screenshot({ path: `${shots}/${name}.png`, fullPage: true });
    console.log(`${name}: ${images} images, screenshot ${shots}/${name}.png`);
  }
  // The location drop-down navigates.
  await page.goto(base + '/Seaside%20holiday/Evening%20walk/?list=icons', { waitUntil: 'load' });
  await Promise.all([page.waitForNavigation(), page.selectOption('#select1', '/Seaside%20holiday/')]);
  if (!page.url().endsWith('/Seaside%20holiday/')) fail(`the location drop-down went to ${page.url()}`);
} finally {
  await browser.close();
  child.stdin.end();
  await new Promise((resolve) => child.on('exit', resolve));
}
if (failures) {
  console.error(`${failures} failure(s)`);
  process.exit(1);
}
console.log('all views fine');
