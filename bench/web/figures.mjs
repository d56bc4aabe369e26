// What the page's benchmarks share: the median, a fresh page's first load
// as the network counted it, a native benchmark's median from zuno_bench,
// and the machine's load while measuring.
import os from 'node:os';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { BUILD } from '../../tests/web/support.mjs';

export const median = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  const m = s.length >> 1;
  return s.length % 2 ? s[m] : (s[m - 1] + s[m]) / 2;
};

// A new page of the site loaded with the cache off, once `ready` (evaluated
// in the page) resolves: the page, the bytes transferred and the files.
export async function firstLoad(site, ready, viewport) {
  const page = await site.browser.newPage();
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
  const load = { page, transferred: 0, files: [] };
  cdp.on('Network.loadingFinished', (e) => { load.transferred += e.encodedDataLength; });
  cdp.on('Network.responseReceived', (e) => load.files.push(path.basename(new URL(e.response.url).pathname) || 'index.html'));
  if (viewport) await page.setViewport(viewport);
  await page.goto(site.url, { waitUntil: 'networkidle0' });
  await page.evaluate(ready);
  return load;
}

// The median real time of a zuno_bench benchmark over five repetitions.
export function nativeMedian(name) {
  const json = JSON.parse(execFileSync(path.join(BUILD, 'bench/zuno_bench'), [`--benchmark_filter=${name}$`,
    '--benchmark_repetitions=5', '--benchmark_format=json'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] }));
  return median(json.benchmarks.filter((b) => b.run_type === 'iteration').map((b) => b.real_time));
}

export function sayLoad() {
  console.log(`load average while measuring: ${os.loadavg().map((l) => l.toFixed(2)).join(' ')} on ${os.cpus().length} cores`);
}
