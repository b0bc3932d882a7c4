// Drives zorvel serve's page in Chromium (puppeteer-core, the system browser): opens a brightfield
// slide and checks that its centre is drawn in the slide's colours, that the annotation overlay
// draws, and that the focus slider changes the picture of a z-stack slide. Writes screenshots.
// Usage: node browser_check.js BASE_URL BRIGHTFIELD_NAME ZSTACK_NAME SCREENSHOT_DIR
'use strict';
const path = require('path');
const puppeteer = require('puppeteer-core');

const [baseUrl, brightfield, zstack, shotDir] = process.argv.slice(2);
const BACKGROUND = [0x22, 0x22, 0x22];

function fail(message) {
  console.error('browser check: ' + message);
  process.exitCode = 1;
}

async function waitLoaded(page) {
  await page.waitForFunction(() => window.zorvelViewer && window.zorvelViewer.fullyLoaded === true,
                             { timeout: 30000, polling: 100 });
}

// The viewer canvas's pixels around its centre and the mean colour there.
async function centre(page) {
  return page.evaluate(() => {
    const canvas = window.zorvelViewer.viewer.drawer.canvas;
    const context = canvas.getContext('2d', { willReadFrequently: true });
    const x = Math.floor(canvas.width / 2) - 20, y = Math.floor(canvas.height / 2) - 20;
    const data = Array.from(context.getImageData(x, y, 40, 40).data);
    const mean = [0, 1, 2].map((c) => data.filter((_, i) => i % 4 === c).reduce((a, b) => a + b, 0) / (data.length / 4));
    const all = context.getImageData(0, 0, canvas.width, canvas.height).data;
    let signature = 0;
    for (let i = 0; i < all.length; i += 1) signature = (signature * 31 + all[i]) % 1000000007;
    return { data, mean, signature };
  });
}

// The thumbnail's mean colour around its centre, as the server renders it.
async function thumbnailCentre(page, name) {
  return page.evaluate(async (slide) => {
    const image = new Image();
    image.src = `api/slides/${encodeURIComponent(slide)}/thumbnail.jpeg`;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const data = context.getImageData(Math.floor(image.width / 2) - 4, Math.floor(image.height / 2) - 4, 8, 8).data;
    return [0, 1, 2].map((c) => Array.from(data).filter((_, i) => i % 4 === c).reduce((a, b) => a + b, 0) / 64);
  }, name);
}

const distance = (a, b) => Math.max(...a.map((v, i) => Math.abs(v - b[i])));

async function main() {
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true,
    userDataDir: path.join(shotDir, 'chromium-profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 1200, height: 800 });
    page.on('pageerror', (error) => fail('page error: ' + error.message));
    await page.goto(`${baseUrl}/?slide=${encodeURIComponent(brightfield)}`, { waitUntil: 'load', timeout: 30000 });
    await waitLoaded(page);
    await page.screenshot({ path: path.join(shotDir, 'viewer-brightfield.png') });
    const drawn = await centre(page);
    const expected = await thumbnailCentre(page, brightfield);
    if (distance(drawn.mean, BACKGROUND) < 10) fail('the viewer centre shows the empty background');
    if (distance(drawn.mean, expected) > 24) fail(`centre ${drawn.mean} is not the slide's colour ${expected}`);

    await page.click('#showAnnotations');
    await page.waitForFunction(() => {
      const overlay = document.getElementById('annotationOverlay');
      const box = overlay && overlay.getBoundingClientRect();
      return overlay && overlay.childElementCount > 0 && box.width > 0 && box.height > 0;
    }, { timeout: 10000 });
    await page.screenshot({ path: path.join(shotDir, 'viewer-annotations.png') });

    await page.goto(`${baseUrl}/?slide=${encodeURIComponent(zstack)}`, { waitUntil: 'load', timeout: 30000 });
    await waitLoaded(page);
    const before = await centre(page);
    await page.evaluate(() => {
      const slider = document.getElementById('focus');
      slider.value = slider.max;
      slider.dispatchEvent(new Event('change'));
    });
    await page.waitForFunction(() => window.zorvelViewer.fullyLoaded === false, { timeout: 5000 }).catch(() => {});
    await waitLoaded(page);
    await new Promise((resolve) => setTimeout(resolve, 300));
    const after = await centre(page);
    await page.screenshot({ path: path.join(shotDir, 'viewer-focus.png') });
    if (before.signature === after.signature) fail('the focus slider did not change the picture');
  } finally {
    await browser.close();
  }
}

main().catch((error) => fail(error.stack || String(error)));
