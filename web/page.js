'use strict';
// The page's script: it keeps the link's fragment and the forms in step, hands the entries of
// the form shown to the WebAssembly module (the programs' engine and field edits), and shows
// the answer, or the module's refusal beside each wrong entry. Every number shown is text the
// module edited as the programs edit it.

// Each view: the number of its answer in the module, the name its fragment starts with when
// that name alone does not tell it, and how its answer is shown.
const views = {
  calculation: {kind: 0, show: showCalculation},
  optimum: {kind: 1, flag: 'optimum', show: showOptima},
  g1: {kind: 2, show: showAnglesForG1},
};

let module;
const encoder = new TextEncoder();
const decoder = new TextDecoder();

// The view a fragment's names ask for; what names no other view is the table's.
function viewOf(pairs) {
  const names = pairs.map(([name]) => name);
  if (names.includes('optimum')) return 'optimum';
  if (names.includes('angle-for-g1')) return 'g1';
  if (names.includes('angle') || names.length === 0) return 'calculation';
  return 'table';
}

function ask(kind, pairs) {
  const request = encoder.encode(pairs.map(([name, text]) => `${name}=${text}`).join('\n'));
  const at = module.request_buffer(request.length);
  new Uint8Array(module.memory.buffer, at, request.length).set(request);
  const answer = module.answer(kind);
  const length = module.answer_length();
  return JSON.parse(decoder.decode(new Uint8Array(module.memory.buffer, answer, length)));
}

const section = view => document.getElementById(view);
const textInputs = form => form.querySelectorAll('input:not([type=checkbox])');
const boxes = form => [...form.querySelectorAll('input[type=checkbox]')];

// The entries of a view's form as pairs, in the form's order; the quantities shown in the
// order they were ticked.
function pairsOf(view) {
  const form = section(view).querySelector('form');
  const pairs = views[view].flag ? [[views[view].flag, '']] : [];
  for (const input of textInputs(form)) {
    if (input.value.trim() !== '') pairs.push([input.name, input.value.trim().replace(/\n/g, ' ')]);
  }
  if (form.dataset.shown) pairs.push(['show', form.dataset.shown]);
  return pairs;
}

function fill(view, pairs) {
  const form = section(view).querySelector('form');
  const valuesOf = name => pairs.filter(([given]) => given === name).map(([, text]) => text);
  for (const input of textInputs(form)) input.value = valuesOf(input.name).join(';');
  if (boxes(form).length === 0) return;
  const shown = valuesOf('show').join(',') || 'alpha';
  form.dataset.shown = shown;
  for (const box of boxes(form)) box.checked = shown.split(',').includes(box.value);
}

function tick(form, box) {
  const shown = (form.dataset.shown || '').split(',').filter(name => name && name !== box.value);
  if (box.checked) shown.push(box.value);
  form.dataset.shown = shown.join(',');
}

// A fragment that reads back as the same pairs: commas and semicolons stay as typed.
function fragmentOf(pairs) {
  const encoded = text => encodeURIComponent(text).replace(/%2C/g, ',').replace(/%3B/g, ';');
  return pairs.map(([name, text]) => (text === '' ? name : `${name}=${encoded(text)}`)).join('&');
}

function choose(view) {
  for (const button of document.querySelectorAll('nav button')) {
    button.setAttribute('aria-pressed', String(button.dataset.view === view));
  }
  for (const each of document.querySelectorAll('main section')) each.hidden = each.id !== view;
}

function escaped(text) {
  return text.replace(/[&<>"]/g, c => ({'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;'})[c]);
}

// Marks each refused entry and says beside it what is wrong; what no entry of the form names
// is said in the answer's place.
function refuse(view, refusals) {
  const form = section(view).querySelector('form');
  const unplaced = [...refusals];
  for (const note of form.querySelectorAll('.refusal')) {
    const input = document.getElementById(note.dataset.for);
    const mine = refusals.filter(refusal => refusal.entry === input.name);
    note.textContent = mine.map(refusal => refusal.text).join(' ');
    input.setAttribute('aria-invalid', String(mine.length > 0));
    for (const refusal of mine) unplaced.splice(unplaced.indexOf(refusal), 1);
  }
  return '<p class="no-answer">Нет ответа: исправьте отмеченное выше.</p>' +
    unplaced.map(refusal => `<p class="refusal">${escaped(refusal.text)}</p>`).join('');
}

function answer(view) {
  const pairs = pairsOf(view);
  const reply = ask(views[view].kind, pairs);
  const area = section(view).querySelector('.answer');
  area.innerHTML = refuse(view, reply.refusals || []);
  if (!reply.refusals) views[view].show(area, reply);
  // The time of the latest answer, for the developer tools and the browser test.
  performance.clearMarks('answer');
  performance.mark('answer');
  return pairs;
}

function update(view) {
  history.replaceState(null, '', '#' + fragmentOf(answer(view)));
}

function openFragment() {
  const pairs = [...new URLSearchParams(location.hash.slice(1))];
  const view = viewOf(pairs);
  if (pairs.length > 0) fill(view, pairs);
  choose(view);
  answer(view);
}

// A table of the module's edited numbers, which hold nothing to escape; it scrolls within
// its own box where it is wider than the screen.
function table(headings, rows, caption) {
  const head = headings.map(heading => `<th scope="col">${heading}</th>`).join('');
  const body = rows.map(row => `<tr><td>${row.join('</td><td>')}</td></tr>`).join('');
  return `<div class="scroll" tabindex="0" role="region" aria-label="${caption}">` +
    `<table><caption>${caption}</caption><thead><tr>${head}</tr></thead>` +
    `<tbody>${body}</tbody></table></div>`;
}

function showCalculation(area, reply) {
  const caption = `Угол отсечки = ${reply.angle}, степень функции = ${reply.exponent}`;
  area.innerHTML = table(['№ гарм.', '|Коэфф.|', 'Фаза', 'αn со знаком'], reply.rows, caption);
}

function showOptima(area, reply) {
  const headings = ['n', 'θ(α макс.)', 'α макс.', 'θ(γ макс.)', 'γ макс.'];
  area.innerHTML = reply.blocks
    .map(block => table(headings, block.rows, `Степень функции = ${block.exponent}`)).join('');
}

function showAnglesForG1(area, reply) {
  const caption = `Угол отсечки θ, при котором g1 = α1/α0 = ${reply.g1}, и КПД η при ξ = ${reply.xi}`;
  area.innerHTML = table(['Степень', 'θ, °', 'g1', 'η'], reply.rows, caption);
}

// Gives each entry a place for its refusal, tied to it for screen readers.
function prepare(view) {
  const form = section(view).querySelector('form');
  for (const input of textInputs(form)) {
    input.id = `${view}-${input.name}`;
    Object.assign(input, {inputMode: 'decimal', autocomplete: 'off', spellcheck: false});
    const note = Object.assign(document.createElement('p'), {className: 'refusal'});
    note.id = `${input.id}-refusal`;
    note.dataset.for = input.id;
    input.setAttribute('aria-describedby', note.id);
    input.closest('label').after(note);
  }
  if (boxes(form).length > 0) form.dataset.shown = 'alpha';
  form.addEventListener('submit', event => event.preventDefault());
  form.addEventListener('input', event => {
    if (event.target.type === 'checkbox') tick(form, event.target);
    update(view);
  });
}

async function start() {
  const text = atob(document.getElementById('module').textContent);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  module = (await WebAssembly.instantiate(bytes)).instance.exports;
  module._initialize();
  for (const view of Object.keys(views)) prepare(view);
  for (const button of document.querySelectorAll('nav button')) {
    button.addEventListener('click', () => {
      choose(button.dataset.view);
      update(button.dataset.view);
    });
  }
  addEventListener('hashchange', openFragment);
  openFragment();
}

start().catch(error => {
  document.querySelector('main').textContent = `Расчет не запустился: ${error.message}`;
  throw error;
});
