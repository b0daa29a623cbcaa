// Pictures of the shipped display templates: a screenshot of each with a sample survey for the
// docs, and the small preview picture the survey wizard shows beside each template.
//   node tests/e2e/screenshots.js ORVALLE-CLI
// Writes docs/screenshots/template-<name>.png (and a phone-sized one of the modern template) and
// data/<name>.bmp.
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { launchBrowser } = require('./browser');

const root = path.resolve(__dirname, '..', '..');
const cli = process.argv[2];
const templates = ['default', 'modern', 'compact', 'guided'];

(async () => {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvalle-shots-'));
  const browser = await launchBrowser();
  const sample = fs.readFileSync(path.join(__dirname, 'fixtures', 'sample.orv'), 'utf8');
  const shots = path.join(root, 'docs', 'screenshots');
  fs.mkdirSync(shots, { recursive: true });
  try {
    for (const name of templates) {
      const survey = path.join(work, `${name}.orv`);
      const page = path.join(work, `${name}.htm`);
      fs.writeFileSync(survey, sample.replace('DisplayTemplate=default.ovg', `DisplayTemplate=${name}.ovg`));
      execFileSync(cli, ['page', survey, page, '--data-dir', path.join(root, 'data')]);

      const tab = await browser.context.newPage();
      await tab.setViewportSize({ width: 1024, height: 900 });
      await tab.goto('file://' + page);
      const full = path.join(work, `${name}.png`);
      await tab.screenshot({ path: full });
      execFileSync('/usr/bin/convert', [full, '-resize', '640x', '-strip', path.join(shots, `template-${name}.png`)]);
      execFileSync('/usr/bin/convert', [full, '-resize', '200x', '-type', 'TrueColor', `BMP3:${path.join(root, 'data', `${name}.bmp`)}`]);
      if (name === 'modern') {
        await tab.setViewportSize({ width: 390, height: 844 });
        const phone = path.join(work, 'phone.png');
        await tab.screenshot({ path: phone });
        execFileSync('/usr/bin/convert', [phone, '-resize', '320x', '-strip', path.join(shots, 'template-modern-phone.png')]);
      }
      await tab.close();
    }
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
})();
