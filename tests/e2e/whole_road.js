// The whole road on one machine: a survey registered with a real orvalle-server, its page (each
// shipped template) filled in and submitted by headless Chromium, the responses downloaded and
// merged into the response table, and a second download bringing only the newer response.
//   node whole_road.js ORVALLE-CLI ORVALLE-SERVER SOURCE-DIR
const assert = require('assert/strict');
const { execFileSync, spawn } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const test = require('node:test');
const { launchBrowser } = require('./browser');

const [cli, serverBinary, sourceDir] = process.argv.slice(2);
const dataDir = path.join(sourceDir, 'data');
const fixture = fs.readFileSync(path.join(__dirname, 'fixtures', 'allstyles.orv'), 'utf8');
const templates = ['default.ovg', 'modern.ovg', 'compact.ovg', 'guided.ovg'];

function startServer(database) {
  const child = spawn(serverBinary, ['--port', '0', '--database', database], { stdio: ['ignore', 'ignore', 'pipe'] });
  return new Promise((resolve, reject) => {
    let log = '';
    child.stderr.on('data', (chunk) => {
      log += chunk;
      const match = /listening on (http:\/\/\S+)/.exec(log);
      if (match) resolve({ child, url: match[1] });
    });
    child.on('exit', () => reject(new Error('orvalle-server ended: ' + log)));
  });
}

function get(url) {
  return new Promise((resolve, reject) => {
    http.get(url, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => resolve({ status: res.statusCode, body: Buffer.concat(chunks).toString('utf8') }));
    }).on('error', reject);
  });
}

async function nextSecond() {
  const now = Math.floor(Date.now() / 1000);
  while (Math.floor(Date.now() / 1000) === now) await new Promise((r) => setTimeout(r, 20));
}

async function fill(p, n) {
  await p.fill('[name=ORVEMAILADDRESS]', `person${n}@example.org`);
  await p.check('[name=orv1][value=Other]');
  await p.fill('[name=orv1Other]', `Ami n°${n}`);
  await p.fill('[name=orv1Comment]', 'Première visite, "très" bien');
  await p.check('[name="orv3-0"]');
  await p.check('[name="orv3-2"]');
  await p.check('[name=orv3][value=Other]');
  await p.fill('[name=orv3Other]', 'Garden');
  await p.check('[name=orv4][value="3"]');
  await p.fill('[name=orv5]', 'Zoë Ødegård');
  await p.fill('[name=orv6]', 'Line one\nLine two');
  await p.selectOption('[name=orv7]', 'Other');
  await p.fill('[name=orv7Other]', 'Train');
  await p.fill('[name=orv8]', String(40 + n));
  await p.selectOption('[name=orv9]', '2');
}

test('survey page to response table through a real server', async () => {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvalle-road-'));
  const server = await startServer(path.join(work, 'responses.sqlite'));
  const browser = await launchBrowser();
  try {
    const survey = path.join(work, 'survey.orv');
    const resultUrl = server.url + '/VerifyServer';
    const text = fixture.replace('@SERVER@', server.url).replace('https://example.org/thanks.html', resultUrl);
    const registered = await get(`${server.url}/RegisterSurvey?SurveyFile=S261207101500&AccountID=&ID=secret`);
    assert.match(registered.body, /Registration Complete/);

    const page = await browser.context.newPage();
    let n = 0;
    for (const templateName of templates) {
      fs.writeFileSync(survey, text.replace('DisplayTemplate=default.ovg', `DisplayTemplate=${templateName}`));
      const file = path.join(work, 'page.htm');
      execFileSync(cli, ['page', survey, file, '--data-dir', dataDir], { stdio: 'pipe' });
      await page.goto('file://' + file);
      await fill(page, ++n);
      await Promise.all([page.waitForURL(resultUrl), page.click('form [type=submit]')]);
      assert.match(await page.textContent('body'), /Orvalle Response Server 2\.1/);
    }

    await nextSecond();
    const download = async (lastUpdate) => {
      const reply = await get(`${server.url}/GetResults?SurveyFile=S261207101500&ID=secret&LastUpdate=${lastUpdate}`);
      assert.equal(reply.status, 200);
      const lines = reply.body.split('\r\n').filter((l) => l !== '');
      assert.equal(lines[0], '<DATA>');
      assert.equal(lines[lines.length - 1], '</DATA>');
      const dataFile = path.join(work, `download-${lastUpdate}.dat`);
      fs.writeFileSync(dataFile, reply.body);
      return { lines: lines.slice(1, -1), dataFile };
    };
    const first = await download('Never');
    assert.equal(first.lines.length, templates.length);
    const merged = execFileSync(cli, ['merge', survey, first.dataFile], { encoding: 'utf8' });
    assert.match(merged, new RegExp(`New responses: ${templates.length}`));
    const table = path.join(work, 'S261207101500.dbf');
    const dump = execFileSync(cli, ['dbf', 'dump', table], { encoding: 'utf8' });
    for (let i = 1; i <= templates.length; ++i) {
      assert.ok(dump.includes(`Ami n°${i}`), `the Other text of response ${i}`);
      assert.ok(dump.includes(`person${i}@example.org`));
    }
    assert.ok(dump.includes('Zoë Ødegård'));
    const saved = fs.readFileSync(survey, 'utf8');
    const lastUpdate = /SRLastUpdate=(\d{14})/.exec(saved)[1];

    // One more answer: the next download brings it alone.
    await page.goto('file://' + path.join(work, 'page.htm'));
    await fill(page, ++n);
    await Promise.all([page.waitForURL(resultUrl), page.click('form [type=submit]')]);
    await nextSecond();
    const second = await download(lastUpdate);
    assert.equal(second.lines.length, 1);
    assert.ok(second.lines[0].includes(`person${n}@example.org`));
    assert.match(execFileSync(cli, ['merge', survey, second.dataFile], { encoding: 'utf8' }), /New responses: 1/);
  } finally {
    await browser.close();
    server.child.kill('SIGTERM');
    fs.rmSync(work, { recursive: true, force: true });
  }
});
