#!/usr/bin/env node
// Runs axe-core (WCAG 2.0/2.1 A and AA rules and its best practices) in headless Chromium over
// written pages, and prints the findings by rule: how many pages each rule fails on, and how
// many elements in all.
//
// usage: node run-axe.js [--chromium PATH] [--list] [--max-bytes N] PAGE_OR_FOLDER...
//   folders are searched for .htm and .html pages; --list also names the pages of each rule;
//   pages larger than --max-bytes (2 MB) are skipped and counted, since axe takes minutes over
//   a sheet of a hundred thousand cells.
'use strict';

const fs = require('fs');
const path = require('path');
const url = require('url');
const puppeteer = require('puppeteer-core');
const axeSource = fs.readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');

function pagesUnder(target, found) {
  const stat = fs.statSync(target);
  if (stat.isDirectory()) {
    for (const name of fs.readdirSync(target).sort())
      pagesUnder(path.join(target, name), found);
  } else if (/\.html?$/i.test(target)) {
    found.push(path.resolve(target));
  }
  return found;
}

async function main() {
  const args = process.argv.slice(2);
  let chromium = '/usr/bin/chromium';
  let list = false;
  let maxBytes = 2 << 20;
  const targets = [];
  for (let i = 0; i < args.length; ++i) {
    if (args[i] === '--chromium') chromium = args[++i];
    else if (args[i] === '--list') list = true;
    else if (args[i] === '--max-bytes') maxBytes = Number(args[++i]);
    else targets.push(args[i]);
  }
  if (targets.length === 0) {
    console.error('usage: node run-axe.js [--chromium PATH] [--list] [--max-bytes N] ' +
                  'PAGE_OR_FOLDER...');
    process.exit(2);
  }
  const found = [];
  for (const target of targets) pagesUnder(target, found);
  const pages = found.filter((file) => fs.statSync(file).size <= maxBytes);

  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    protocolTimeout: 300000,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const byRule = new Map();
  let failed = 0;
  try {
    for (const file of pages) {
      // A page of its own for each file: one that times out cannot take the others with it.
      const page = await browser.newPage();
      try {
        await page.setViewport({width: 1280, height: 900});
        await page.goto(url.pathToFileURL(file).href, {waitUntil: 'load', timeout: 60000});
        await page.evaluate(axeSource);
        const result = await page.evaluate(() => window.axe.run(document, {
          runOnly: {type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa',
                                          'best-practice']},
          resultTypes: ['violations'],
        }));
        for (const violation of result.violations) {
          const entry = byRule.get(violation.id) ||
                        {impact: violation.impact, help: violation.help, pages: [], nodes: 0};
          entry.pages.push(file);
          entry.nodes += violation.nodes.length;
          byRule.set(violation.id, entry);
        }
      } catch (error) {
        ++failed;
        console.error(`${file}: ${error.message}`);
      } finally {
        await page.close().catch(() => {});
      }
    }
  } finally {
    await browser.close();
  }
  const skipped = found.length - pages.length;
  console.log(`${pages.length - failed} pages checked` + (failed ? `, ${failed} could not be` : '') +
              (skipped ? `, ${skipped} larger than ${maxBytes} bytes skipped` : ''));
  const rules = [...byRule.entries()].sort((a, b) => b[1].pages.length - a[1].pages.length);
  if (rules.length === 0) console.log('no findings');
  for (const [id, entry] of rules) {
    console.log(`${id}\t${entry.impact}\t${entry.pages.length} pages\t${entry.nodes} elements\t` +
                entry.help);
    if (list)
      for (const file of entry.pages) console.log(`    ${file}`);
  }
  process.exit(failed ? 1 : 0);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
