// A generated survey page, opened in a real browser, filled in and submitted, must post exactly
// the input names and values the response server and the response table rely on.
//   node page_submit.js ORVALLE-CLI SOURCE-DIR
const assert = require('assert/strict');
const { execFileSync, spawnSync } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const test = require('node:test');
const { launchBrowser } = require('./browser');

const [cli, sourceDir] = process.argv.slice(2);
const dataDir = path.join(sourceDir, 'data');
const fixture = fs.readFileSync(path.join(__dirname, 'fixtures', 'allstyles.orv'), 'utf8');

// The response server stand-in: records every form post to /orv.dll.
function startServer() {
  const posts = [];
  let waiting = null;
  const server = http.createServer((req, res) => {
    let body = '';
    req.setEncoding('latin1');
    req.on('data', (chunk) => { body += chunk; });
    req.on('end', () => {
      if (req.method === 'POST' && req.url === '/orv.dll') {
        posts.push({ body, type: req.headers['content-type'] });
        if (waiting) waiting();
      }
      res.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
      res.end('<html><body>Thank you</body></html>');
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
    server, posts,
    url: `http://127.0.0.1:${server.address().port}/orv.dll`,
    nextPost: () => new Promise((done) => { waiting = done; }),
  })));
}

function generate(work, serverUrl, templateName) {
  const survey = path.join(work, 'survey.orv');
  const page = path.join(work, 'page.htm');
  fs.writeFileSync(survey, fixture.replace('@SERVER@', serverUrl)
    .replace('DisplayTemplate=default.ovg', `DisplayTemplate=${templateName}`));
  execFileSync(cli, ['page', survey, page, '--data-dir', dataDir], { stdio: 'pipe' });
  return page;
}

async function submit(browserPage, file, fill, server) {
  await browserPage.goto('file://' + file);
  // The comment the generator puts before the doctype must not throw the page into quirks mode.
  assert.equal(await browserPage.evaluate(() => document.compatMode), 'CSS1Compat');
  await fill(browserPage);
  const posted = server.nextPost();
  await browserPage.click('form [type=submit]');
  await posted;
  await browserPage.waitForLoadState();
  const post = server.posts[server.posts.length - 1];
  assert.equal(post.type, 'application/x-www-form-urlencoded');
  return { raw: post.body, entries: [...new URLSearchParams(post.body)] };
}

const identity = [['SurveyFile', 'S261207101500'], ['AccountID', 'NA'], ['ResultURL', 'https://example.org/thanks.html']];

async function fillEverything(p) {
  await p.fill('[name=ORVEMAILADDRESS]', 'ann@example.org');
  await p.check('[name=orv1][value=Other]');
  await p.fill('[name=orv1Other]', 'Friend of a member');
  await p.fill('[name=orv1Comment]', 'Première visite');
  await p.check('[name="orv3-0"]');
  await p.check('[name="orv3-2"]');
  await p.check('[name=orv3][value=Other]');
  await p.fill('[name=orv3Other]', 'Garden');
  await p.fill('[name=orv3Comment]', 'Quiet, "clean" & bright');
  await p.check('[name=orv4][value="3"]');
  await p.fill('[name=orv4Other]', 'Depends');
  if (await p.$('[name=orv4Comment]')) await p.fill('[name=orv4Comment]', 'Friendly');
  await p.fill('[name=orv5]', 'Ann Lee');
  await p.fill('[name=orv5Comment]', 'c5');
  await p.fill('[name=orv6]', 'Line one\nLine two');
  await p.fill('[name=orv6Comment]', 'c6');
  await p.selectOption('[name=orv7]', 'Other');
  await p.fill('[name=orv7Other]', 'Train');
  if (await p.$('[name=orv7Comment]')) await p.fill('[name=orv7Comment]', 'c7');
  await p.fill('[name=orv8]', '42');
  await p.fill('[name=orv8Comment]', 'c8');
  await p.selectOption('[name=orv9]', '2');
}

// What the page posts after fillEverything. The one-line layout has no comment box for ratings
// and pull-down lists.
function expectedFull(oneLine) {
  return [
    ...identity,
    ['ORVEMAILADDRESS', 'ann@example.org'],
    ['orv1', 'Other'], ['orv1Other', 'Friend of a member'], ['orv1Comment', 'Première visite'],
    ['orv3-0', '1'], ['orv3-2', '1'], ['orv3', 'Other'], ['orv3Other', 'Garden'],
    ['orv3Comment', 'Quiet, "clean" & bright'],
    ['orv4', '3'], ['orv4Other', 'Depends'], ...(oneLine ? [] : [['orv4Comment', 'Friendly']]),
    ['orv5', 'Ann Lee'], ['orv5Comment', 'c5'],
    ['orv6', 'Line one\r\nLine two'], ['orv6Comment', 'c6'],
    ['orv7', 'Other'], ['orv7Other', 'Train'], ...(oneLine ? [] : [['orv7Comment', 'c7']]),
    ['orv8', '42'], ['orv8Comment', 'c8'],
    ['orv9', '2'],
  ];
}

test('generated pages post the names and values of the form contract', async (t) => {
  const server = await startServer();
  const browser = await launchBrowser();
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvalle-page-'));
  const page = await browser.context.newPage();
  try {
    for (const templateName of ['default.ovg', 'modern.ovg', 'compact.ovg', 'guided.ovg']) {
      await t.test(templateName, async () => {
        const file = generate(work, server.url, templateName);
        const html = fs.readFileSync(file, 'latin1');
        assert.match(html, /^<!-- Created with Orvalle \d+\.\d+ {2}\(Build \d+\)-->\r\n/);
        assert.doesNotMatch(html, /\r(?!\n)|(?<!\r)\n/, 'every line ends with CR LF');
        assert.match(html, /<META CHARSET="utf-8">/i);
        assert.match(html, /<A NAME="EndOfSurvey"><\/A>/);
        const posted = await submit(page, file, fillEverything, server);
        assert.deepEqual(posted.entries, expectedFull(templateName === 'compact.ovg'));
        assert.ok(posted.raw.includes('Premi%C3%A8re'), 'answers are posted as UTF-8');
      });
    }

    await t.test('an untouched form posts empty boxes and the blank list entry', async () => {
      const file = generate(work, server.url, 'default.ovg');
      const posted = await submit(page, file, async () => {}, server);
      const empty = (name) => [name, ''];
      assert.deepEqual(posted.entries, [
        ...identity, empty('ORVEMAILADDRESS'),
        empty('orv1Other'), empty('orv1Comment'), empty('orv3Other'), empty('orv3Comment'),
        empty('orv4Other'), empty('orv4Comment'), empty('orv5'), empty('orv5Comment'),
        empty('orv6'), empty('orv6Comment'), ['orv7', ' '], empty('orv7Other'), empty('orv7Comment'),
        empty('orv8'), empty('orv8Comment'), ['orv9', ' '],
      ]);
    });

    await t.test('the accessible template names every control for screen readers', async () => {
      const file = generate(work, server.url, 'modern.ovg');
      await page.goto('file://' + file);
      const unnamed = await page.$$eval('#questions input:not([type=hidden]), #questions select, #questions textarea',
        (controls) => controls.filter((c) => !c.closest('label') && !c.getAttribute('aria-label')).map((c) => c.name));
      assert.deepEqual(unnamed, []);
      assert.equal(await page.getAttribute('[name=orv5]', 'aria-label'), '4) Your name');
      assert.equal(await page.getAttribute('[name=orv7]', 'aria-label'), '6) How did you travel here?');
      assert.equal(await page.$eval('[name=orv1][value="0"]', (e) => e.closest('label').textContent), 'Yes');
    });
  } finally {
    await browser.close();
    server.server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
});

test('every jump link of a skip-group survey lands on an anchor of the page', async () => {
  const browser = await launchBrowser();
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvalle-page-'));
  const groups = fs.readFileSync(path.join(__dirname, 'fixtures', 'skipgroups.orv'), 'utf8');
  try {
    const page = await browser.context.newPage();
    for (const templateName of ['default.ovg', 'modern.ovg', 'compact.ovg', 'guided.ovg']) {
      const survey = path.join(work, 'groups.orv');
      const file = path.join(work, 'groups.htm');
      fs.writeFileSync(survey, groups.replace('DisplayTemplate=default.ovg', `DisplayTemplate=${templateName}`));
      execFileSync(cli, ['page', survey, file, '--data-dir', dataDir], { stdio: 'pipe' });
      await page.goto('file://' + file);
      const links = await page.$$eval('a[href^="#"]', (as) => as.map((a) => [a.textContent, a.getAttribute('href')]));
      assert.ok(links.some(([text, href]) => text === 'If No then go to 2' && href === '#Question4'), templateName);
      assert.ok(links.some(([text, href]) => text === 'Go to End' && href === '#EndOfSurvey'), templateName);
      for (const [, href] of links) {
        const anchors = await page.$$(`a[name="${href.slice(1)}"]`);
        assert.equal(anchors.length, 1, `${templateName}: one anchor for ${href}`);
      }
      // Following the skipping answer's link brings its target question into view.
      await page.click('text=If No then go to 2');
      assert.equal(new URL(page.url()).hash, '#Question4');
    }
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
});

test('a page that cannot be generated is reported and not written', () => {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvalle-page-'));
  try {
    const survey = path.join(work, 'survey.orv');
    const page = path.join(work, 'page.htm');
    fs.writeFileSync(survey, fixture.replace('DisplayTemplate=default.ovg', 'DisplayTemplate=missing.ovg'));
    const run = spawnSync(cli, ['page', survey, page, '--data-dir', dataDir], { encoding: 'utf8' });
    assert.equal(run.status, 1);
    assert.ok(run.stderr.startsWith('The HTML file could not be generated.  Please verify that you have sufficient '
      + 'disk space and that the display template you have specified is correct.\n'), run.stderr);
    assert.equal(fs.existsSync(page), false);

    const lost = spawnSync(cli, ['page', path.join(work, 'none.orv'), page, '--data-dir', dataDir], { encoding: 'utf8' });
    assert.equal(lost.status, 1);
    assert.match(lost.stderr, /^Could not find file /);
    // The survey file itself is never rewritten.
    assert.equal(fs.readFileSync(survey, 'utf8'),
      fixture.replace('DisplayTemplate=default.ovg', 'DisplayTemplate=missing.ovg'));
  } finally {
    fs.rmSync(work, { recursive: true, force: true });
  }
});
