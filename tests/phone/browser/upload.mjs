// The phone page in a real browser: Debian's Chromium, headless, through
// puppeteer-core, on loopback only. Starts the program side (the host named
// as first argument), opens the address it prints on a phone-sized screen,
// puts two photos and a PDF on the page's input, waits for "Fertig", and
// checks what the host received, listed and stored.
//   node upload.mjs HOST [SCREENSHOT.png]
// Under Xvfb, DIALOG_SCREENSHOT=FILE.png takes the screen with the dialog
// before it is closed.
import puppeteer from 'puppeteer-core';
import { execFileSync, spawn } from 'node:child_process';
import { createHash } from 'node:crypto';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { createInterface } from 'node:readline';

const [hostProgram, screenshot] = process.argv.slice(2);
const folder = mkdtempSync(join(tmpdir(), 'handy-'));
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`); };

const host = spawn(hostProgram, [folder], { stdio: ['pipe', 'pipe', 'inherit'] });
const said = [];
const waiters = [];
createInterface({ input: host.stdout }).on('line', (line) => {
  const object = JSON.parse(line);
  said.push(object);
  waiters.splice(0).forEach((wake) => wake());
});
const hostEnded = new Promise((resolve) => host.on('exit', resolve));
async function heard(key, count = 1, ms = 60000) {
  const until = Date.now() + ms;
  for (;;) {
    const found = said.filter((o) => key in o);
    if (found.length >= count) return found;
    if (Date.now() > until) throw new Error(`the host did not say "${key}"`);
    await Promise.race([new Promise((wake) => waiters.push(wake)), new Promise((r) => setTimeout(r, 500))]);
  }
}

const sha256 = (path) => createHash('sha256').update(readFileSync(path)).digest('hex');
let browser;
try {
  const [{ address, files }] = await heard('address');
  check(/^http:\/\/127\.0\.0\.1:\d+\/[0-9a-f]{32}\/$/.test(address), `loopback address with a token: ${address}`);

  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: join(folder, 'chromium'),
    args: ['--no-sandbox', '--disable-gpu', '--no-proxy-server', '--disable-background-networking',
           '--disable-component-update', '--disable-domain-reliability', '--no-pings'],
  });
  const page = await browser.newPage();
  await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
  const origins = new Set();
  page.on('request', (request) => origins.add(new URL(request.url()).origin));
  const response = await page.goto(address, { waitUntil: 'load' });
  check(response.status() === 200, 'the page answers');
  check((await page.title()) === 'Fotos an Varnholt senden', 'the page is ours, in German');

  const input = await page.$('input[type=file]');
  const attributes = await input.evaluate((e) => [e.accept, e.getAttribute('capture'), e.multiple]);
  check(JSON.stringify(attributes) === JSON.stringify(['image/*,application/pdf', 'environment', true]),
        `the input takes photos and PDFs from the camera, several at once: ${attributes}`);
  await input.uploadFile(...files);
  await page.waitForFunction(() => !document.getElementById('fertig').hidden
                                   && document.querySelectorAll('#liste li').length === 3, { timeout: 60000 });
  const rows = await page.$$eval('#liste li', (items) => items.map((li) => ({
    ok: li.classList.contains('ok'), text: li.querySelector('.stand').textContent,
    progress: li.querySelector('progress').value })));
  check(rows.every((row) => row.ok && row.progress === 100 && row.text.includes('angekommen')),
        `each file's progress reached its end and it arrived: ${JSON.stringify(rows)}`);
  check((await page.$eval('#fertig', (e) => e.textContent)) === 'Fertig', '"Fertig" is shown');
  check([...origins].every((origin) => origin === new URL(address).origin), `nothing loaded from elsewhere: ${[...origins]}`);
  if (screenshot) await page.screenshot({ path: screenshot, fullPage: true });

  const arrived = (await heard('arrived', 3)).map((o) => o.arrived);
  check(JSON.stringify(arrived.map((a) => a.sha256)) === JSON.stringify(files.map(sha256)),
        'the host got each file in order with the SHA-256 of the bytes sent');
  check(JSON.stringify(arrived.map((a) => a.kind)) === JSON.stringify(['JPEG', 'PDF', 'JPEG']), 'kinds told by content');
  check(arrived[0].exif === '2026-12-08T10:01:02' && arrived[2].exif === '2026-12-08T10:02:03' && arrived[1].exif === '',
        `the photos' Exif times: ${arrived.map((a) => a.exif)}`);

  if (process.env.DIALOG_SCREENSHOT) execFileSync('import', ['-window', 'root', process.env.DIALOG_SCREENSHOT]);
  host.stdin.write('schliessen\n');
  const [{ list }] = await heard('list');
  check(list.length === 3 && list.every((line) => line.endsWith('übernommen')) && list[1].startsWith('Kostenvoranschlag.pdf – PDF'),
        `the dialog lists each arrival: ${JSON.stringify(list)}`);
  const [{ stored, messages }] = await heard('stored');
  check(stored.saved && stored.sha256 === sha256(files[2]) && stored.class === 'jpg',
        `the saved picture slot holds the last photo as sent: ${JSON.stringify(stored)}`);
  check(messages.length === 0, `no message box: ${JSON.stringify(messages)}`);
  check((await hostEnded) === 0, 'the host ended well');
} catch (error) {
  failures.push(String(error));
  console.log(`FAIL ${error.stack || error}`);
} finally {
  if (browser) await browser.close();
  host.kill();
  rmSync(folder, { recursive: true, force: true });
}
console.log(`${failures.length === 0 ? 1 : 0} passed, ${failures.length === 0 ? 0 : 1} failed`);
process.exit(failures.length === 0 ? 0 : 1);
