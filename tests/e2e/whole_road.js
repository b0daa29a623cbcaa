// The whole road on one machine: a survey registered with a real orvalle-server, its page (each
// shipped template) filled in and submitted by headless Chromium, "&Update Now" pressed in the
// main window (the real dialog, offscreen, through e2e_update_now) to download and merge, the
// tallies checked against what was submitted, and a second Update Now bringing only the newer
// response. Under pg_virtualenv (PGHOST set) the same road runs on PostgreSQL, once with one
// server and once with two server processes on one database, the pages alternating between them.
//   node whole_road.js ORVALLE-CLI ORVALLE-SERVER E2E-UPDATE-NOW SOURCE-DIR
const assert = require('assert/strict');
const { execFileSync, spawn } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const test = require('node:test');
const { launchBrowser } = require('./browser');

const [cli, serverBinary, updateNow, sourceDir] = process.argv.slice(2);
const dataDir = path.join(sourceDir, 'data');
const fixture = fs.readFileSync(path.join(__dirname, 'fixtures', 'allstyles.orv'), 'utf8');
const templates = ['default.ovg', 'modern.ovg', 'compact.ovg', 'guided.ovg'];
const onPostgres = Boolean(process.env.PGHOST);

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

// The server reads the time with time(), which may tell the old second for up to a clock tick
// (a few milliseconds) after Date.now() has moved on: the wait covers that too.
async function nextSecond() {
  const now = Math.floor(Date.now() / 1000);
  while (Math.floor(Date.now() / 1000) === now) await new Promise((r) => setTimeout(r, 20));
  await new Promise((r) => setTimeout(r, 50));
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


// A fresh database in the throw-away cluster pg_virtualenv started.
function postgresDatabase() {
  const name = `orvroad${process.pid}x${Date.now()}`;
  execFileSync('psql', ['-q', '-c', `CREATE DATABASE ${name}`]);
  return `postgresql:///${name}`;
}

// What the answers filled in by `fill` add up to in the tallies of `n` responses.
function expectedTallies(n) {
  const ages = Array.from({ length: n }, (_, i) => 40 + i + 1).reduce((a, b) => a + b, 0);
  return [
    [1, 'Yes', 0], [1, 'No', 0], [1, 'Other', n],
    [3, 'Lobby', n], [3, 'Meeting room', 0], [3, 'Café', n], [3, 'Other', n],
    // A rating scale is tallied under its values; the fourth radio button is "Good~4".
    [4, '1', 0], [4, '2', 0], [4, '3', 0], [4, '4', n], [4, '5', 0], [4, 'Other', 0],
    [7, 'Car', 0], [7, 'Bus', 0], [7, 'Bike', 0], [7, 'Other', n],
    [8, 'total', ages], [8, 'values', n],
    [9, 'Monday', 0], [9, 'Tuesday', 0], [9, 'Wednesday', n],
  ];
}

function talliesOf(report) {
  const found = [];
  for (const t of report.tallies) {
    if (t.option !== undefined) found.push([t.question, t.option, t.count]);
    else found.push([t.question, 'total', t.total], [t.question, 'values', t.count]);
  }
  return found.filter(([question]) => [1, 3, 4, 7, 8, 9].includes(question));
}

// Presses "&Update Now" in the program for the saved survey; returns what the dialog said.
function pressUpdateNow(survey) {
  const out = execFileSync(updateNow, [survey], { encoding: 'utf8', timeout: 180000 });
  return JSON.parse(out.trim().split('\n').pop());
}

function withServer(text, url) {
  return text.replace(/^ServerURL=.*$/m, `ServerURL=${url}`);
}

// `databases(work)`: the database of each server process to start.
async function road(databases) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvalle-road-'));
  const servers = [];
  const browser = await launchBrowser();
  try {
    // Started together: two servers on one new database create its schema at the same time.
    const started = await Promise.allSettled(databases(work).map(startServer));
    for (const s of started) if (s.status === 'fulfilled') servers.push(s.value);
    const failed = started.find((s) => s.status === 'rejected');
    if (failed) throw failed.reason;
    const survey = path.join(work, 'survey.orv');
    const resultUrl = servers[0].url + '/VerifyServer';
    const text = fixture.replace('https://example.org/thanks.html', resultUrl);
    const registered = await get(`${servers[0].url}/RegisterSurvey?SurveyFile=S261207101500&AccountID=&ID=secret`);
    assert.match(registered.body, /Registration Complete/);

    // Each template's page goes to the next server in turn.
    const page = await browser.context.newPage();
    let n = 0;
    let htmlStatus = '';
    const submit = async (server) => {
      await page.goto('file://' + server.page);
      await fill(page, ++n);
      await Promise.all([page.waitForURL(resultUrl), page.click('form [type=submit]')]);
      assert.match(await page.textContent('body'), /Orvalle Response Server 2\.1/);
    };
    for (const [i, templateName] of templates.entries()) {
      const server = servers[i % servers.length];
      fs.writeFileSync(survey, withServer(text, server.url).replace('DisplayTemplate=default.ovg', `DisplayTemplate=${templateName}`));
      server.page = path.join(work, `page${i % servers.length}.htm`);
      htmlStatus = execFileSync(cli, ['page', survey, server.page, '--data-dir', dataDir], { encoding: 'utf8' }).trim();
      await submit(server);
    }

    // The saved survey as the program leaves it after publishing: page generated.
    fs.writeFileSync(survey, withServer(text, servers[0].url).replace('[Details]\n', `[Details]\nHTMLStatus=${htmlStatus}\n`));
    await nextSecond();
    const first = pressUpdateNow(survey);
    assert.deepEqual(first.messages, []);
    assert.ok(first.lines.includes('Results incorporated.'), first.lines.join('\n'));
    assert.ok(first.lines.includes(`New responses: ${templates.length}`), first.lines.join('\n'));
    assert.equal(first.responses, templates.length);
    assert.deepEqual(talliesOf(first), expectedTallies(n));

    const table = path.join(work, 'S261207101500.dbf');
    const dump = execFileSync(cli, ['dbf', 'dump', table], { encoding: 'utf8' });
    for (let i = 1; i <= templates.length; ++i) {
      assert.ok(dump.includes(`Ami n°${i}`), `the Other text of response ${i}`);
      assert.ok(dump.includes(`person${i}@example.org`));
    }
    assert.ok(dump.includes('Zoë Ødegård'));
    assert.ok(dump.includes('Line one'));

    // One more answer, through the last server: the next Update Now (from that server) brings
    // it alone.
    const last = servers[servers.length - 1];
    await submit(last);
    await nextSecond();
    fs.writeFileSync(survey, withServer(fs.readFileSync(survey, 'utf8'), last.url));
    const second = pressUpdateNow(survey);
    assert.ok(second.lines.includes('New responses: 1'), second.lines.join('\n'));
    // Only the newer response came down: none of the earlier ones was there to be eliminated.
    assert.ok(second.lines.includes('Responses eliminated: 0'), second.lines.join('\n'));
    assert.ok(second.lines.includes(`Total responses: ${n}`), second.lines.join('\n'));
    assert.deepEqual(talliesOf(second), expectedTallies(n));
    assert.ok(execFileSync(cli, ['dbf', 'dump', table], { encoding: 'utf8' }).includes(`person${n}@example.org`));
  } finally {
    await browser.close();
    for (const server of servers) server.child.kill('SIGTERM');
    fs.rmSync(work, { recursive: true, force: true });
  }
}

test('survey page to tallies through a real server on SQLite', { skip: onPostgres }, async () => {
  await road((work) => [path.join(work, 'responses.sqlite')]);
});

test('the same road on PostgreSQL', { skip: !onPostgres }, async () => {
  await road(() => [postgresDatabase()]);
});

test('two server processes on one PostgreSQL database', { skip: !onPostgres }, async () => {
  const database = postgresDatabase();
  await road(() => [database, database]);
});
