// Headless Chromium of the system, driven through playwright-core (no browser download).
const fs = require('fs');
const os = require('os');
const path = require('path');
const { chromium } = require('playwright-core');

async function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orvalle-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.ORVALLE_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
           '--disable-sync', '--no-first-run'],
  });
  const close = async () => {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { context, close };
}

module.exports = { launchBrowser };
