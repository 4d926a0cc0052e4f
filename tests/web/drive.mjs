// Drives a show's page in Debian's Chromium, headless, for tests/test_web.cpp
// and bench/bench_web.sh. The folder korvane-web wrote is served on a port
// of its own on 127.0.0.1; the browser gets a profile of its own. Prints
// what it saw as "key value" lines.
//
//   node drive.mjs frames FOLDER OUT_DIR T...     the canvas at ?t=T, as OUT_DIR/T.png
//   node drive.mjs open FOLDER [--query Q] [--no-webgl]   its state, and when it was ready (ms)
//   node drive.mjs play FOLDER [--query Q] [--seconds S | --until-end S]
//   node drive.mjs keys FOLDER                     Space, Right, Left and Escape from 10 s of play
//   node drive.mjs rate FOLDER FROM SECONDS        frames a second while playing
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const types = {
  '.html': 'text/html',
  '.js': 'text/javascript',
  '.css': 'text/css',
  '.json': 'application/json',
  '.wasm': 'application/wasm',
};

function serve(root) {
  const server = http.createServer((request, response) => {
    let file = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    if (file.endsWith('/')) file += 'index.html';
    fs.readFile(path.join(root, path.normalize(file)), (error, data) => {
      if (error) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function option(args, name, fallback) {
  const i = args.indexOf(name);
  return i >= 0 ? args[i + 1] : fallback;
}

// The start button shows once the music is decoded.
function offered(page) {
  return page.waitForFunction(() => !document.getElementById('start').hidden, { timeout: 60000 });
}

async function settled(page) {
  await page.waitForFunction(
    () => window.korvane && ['ready', 'ended', 'failed'].includes(window.korvane.phase),
    { timeout: 60000 },
  );
  return page.evaluate(() => ({
    phase: window.korvane.phase,
    message: document.getElementById('message').textContent,
    loaded: window.korvane.loadedAt,
  }));
}

function report(values) {
  for (const [key, value] of Object.entries(values)) console.log(key + ' ' + value);
}

const [command, folder, ...rest] = process.argv.slice(2);
const server = await serve(folder);
const base = 'http://127.0.0.1:' + server.address().port + '/';
const flags = [
  '--no-sandbox',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--disable-quic',
  '--mute-audio',
  // WebGL on the processor, as on a machine without a GPU.
  '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader',
  '--autoplay-policy=no-user-gesture-required',
];
if (rest.includes('--no-webgl')) flags.push('--disable-webgl', '--disable-webgl2');
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true, args: flags });
try {
  const page = await browser.newPage();
  page.on('pageerror', (error) => console.log('pageerror ' + error.message));
  if (command === 'frames') {
    const [out, ...times] = rest;
    for (const t of times) {
      await page.goto(base + '?t=' + t);
      const state = await settled(page);
      const png = await page.evaluate(() => document.getElementById('canvas').toDataURL('image/png'));
      fs.writeFileSync(path.join(out, t + '.png'), Buffer.from(png.split(',')[1], 'base64'));
      report({ ['frame-' + t]: state.phase });
    }
  } else if (command === 'open') {
    await page.goto(base + (option(rest, '--query', '') || ''));
    const state = await settled(page);
    if (state.phase === 'ready') {
      await offered(page);
      state.offered = await page.evaluate(() => performance.getEntriesByName('korvane-music')[0].startTime);
    }
    report(state);
  } else if (command === 'play') {
    await page.goto(base + (option(rest, '--query', '') || ''));
    await settled(page);
    await offered(page);
    // The music goes through an analyser, to tell sound from silence.
    await page.evaluate(() => {
      const m = window.korvane.music;
      if (!m) return;
      m.analyser = m.context.createAnalyser();
      m.analyser.connect(m.context.destination);
      m.destination = m.analyser;
    });
    await page.click('#start');
    const untilEnd = option(rest, '--until-end', null);
    if (untilEnd) {
      await page.waitForFunction(() => window.korvane.phase === 'ended', { timeout: Number(untilEnd) * 1000 });
    } else {
      await new Promise((resolve) => setTimeout(resolve, Number(option(rest, '--seconds', '1')) * 1000));
    }
    report(
      await page.evaluate(() => {
        const k = window.korvane;
        let peak = 0;
        if (k.music && k.music.analyser) {
          const samples = new Float32Array(k.music.analyser.fftSize);
          k.music.analyser.getFloatTimeDomainData(samples);
          for (const v of samples) peak = Math.max(peak, Math.abs(v));
        }
        return {
          phase: k.phase,
          clock: k.clock(),
          music: k.musicTime(),
          peak,
          message: document.getElementById('message').textContent,
        };
      }),
    );
  } else if (command === 'keys') {
    await page.goto(base + '?t=10.0');
    await settled(page);
    await offered(page);
    await page.click('#start');
    await new Promise((resolve) => setTimeout(resolve, 500));
    const state = () => page.evaluate(() => window.korvane.phase + ' ' + window.korvane.showTime());
    const seen = {};
    for (const [name, key] of [['space', 'Space'], ['right', 'ArrowRight'], ['left', 'ArrowLeft'], ['left2', 'ArrowLeft'], ['escape', 'Escape']]) {
      await page.keyboard.press(key);
      seen[name] = await state();
    }
    report(seen);
  } else if (command === 'rate') {
    const [from, seconds] = rest;
    await page.goto(base + '?t=' + from);
    await settled(page);
    await offered(page);
    report(
      await page.evaluate(async (seconds) => {
        const k = window.korvane;
        document.getElementById('start').click();
        await new Promise((resolve) => setTimeout(resolve, 300));
        let frames = 0;
        let last = k.showTime();
        const start = performance.now();
        const first = last;
        await new Promise((resolve) => {
          const tick = () => {
            const t = k.showTime();
            if (t !== last) frames++;
            last = t;
            if (performance.now() - start < seconds * 1000 && k.phase === 'playing') requestAnimationFrame(tick);
            else resolve();
          };
          requestAnimationFrame(tick);
        });
        const wall = (performance.now() - start) / 1000;
        return { frames, seconds: wall, fps: frames / wall, from: first, to: last };
      }, Number(seconds)),
    );
  } else {
    throw new Error('unknown command ' + command);
  }
} finally {
  await browser.close();
  server.close();
}
