'use strict';
// The page's script: it keeps the link's fragment and the forms in step, hands the entries of
// the form shown to the WebAssembly module (the programs' engine and field edits), and shows
// the answer, or the module's refusal beside each wrong entry. Every number shown is text the
// module edited as the programs edit it.

// Each view: the number of its answer in the module, the name whose presence in a fragment
// asks for it (a flag without a value where the view has no entry of that name), the words
// that stand for its chart where it has one, and the number of its CSV with the entries that
// ask for it; a fragment that names none of them asks for the table, an empty one for the
// calculation. The calculation's CSV is the table's at its one angle.
const bergChart = 'Диаграмма: коэффициенты Берга по углу отсечки θ';
const views = {
  calculation: {kind: 0, named: 'angle', csvKind: 4, csvPairs: pairs => pairs.flatMap(
    ([name, text]) => (name === 'angle' ? [['from', text], ['to', text]] : [[name, text]]))},
  table: {kind: 3, csvKind: 4, ask: askTable, chartAlt: bergChart},
  optimum: {kind: 1, named: 'optimum', flag: true,
    chartAlt: `${bergChart}, первые максимумы отмечены`},
  g1: {kind: 2, named: 'angle-for-g1', chartAlt: `${bergChart}, углы для g1 отмечены`},
  stage: {kind: 6, named: 'stage', flag: true, csvKind: 7,
    chartAlt: 'Диаграмма: КПД η, Pрас / Pn и Iмакс каскада по углу отсечки θ'},
  network: {kind: 10, named: 'network', csvKind: 11, chartAlt: 'Выходная цепь'},
};
const quantitiesKind = 5;
const tableChartKind = 8;
const formKind = 9;

let module;
// A second instance of the module, in a worker: it computes every other angle of a table while
// the page computes the rest, so that a long table takes half the time on two cores.
let helper;

// The JSON text of `module`'s answer to the entries `pairs`; the worker runs this function too.
function answerText(module, kind, pairs) {
  const text = pairs.map(([name, value]) => `${name}=${value}`).join('\n');
  const request = new TextEncoder().encode(text);
  const at = module.request_buffer(request.length);
  new Uint8Array(module.memory.buffer, at, request.length).set(request);
  const answer = module.answer(kind);
  return new TextDecoder().decode(new Uint8Array(module.memory.buffer, answer,
    module.answer_length()));
}

const ask = (kind, pairs) => JSON.parse(answerText(module, kind, pairs));

// The worker answers with text, which passes to the page at once, where a structure would be
// copied piece by piece; with no text where it could not start the module or compute.
const helperScript = `const answerText = ${answerText};
let ready;
onmessage = ({data}) => {
  ready ??= WebAssembly.instantiate(data).then(({instance}) => {
    instance.exports._initialize();
    return instance.exports;
  });
  if (data.kind !== undefined) {
    ready.then(module =>
      postMessage({id: data.id, text: answerText(module, data.kind, data.pairs)}))
      .catch(() => postMessage({id: data.id}));
  }
};`;

function viewOf(pairs) {
  const names = pairs.map(([name]) => name);
  const named = Object.keys(views).find(view => names.includes(views[view].named));
  return named || (names.length > 0 ? 'table' : 'calculation');
}

// The least time the page waits for the worker's half of a table, in milliseconds.
const leastTimeLimit = 2000;

// The worker, handed the module's bytes: `ask` gives the promise of its answer, which is nothing
// once the worker has failed. A worker that could not compute, threw, sent what cannot be read,
// or stayed silent while it owed answers for `expect`'s time limit is ended, and from then on
// the page computes alone, as where a browser will not run a worker from the page's own text.
function startHelper(bytes) {
  try {
    const worker = new Worker(URL.createObjectURL(new Blob([helperScript],
      {type: 'text/javascript'})));
    const waiting = new Map();
    let asked = 0;
    let limit = leastTimeLimit;
    let silence;
    const fail = reason => {
      console.warn(`The page computes alone: its worker ${reason}`);
      worker.terminate();
      clearTimeout(silence);
      helper = undefined;
      for (const resolve of waiting.values()) resolve();
      waiting.clear();
    };
    const watch = () => {
      clearTimeout(silence);
      if (waiting.size > 0) silence = setTimeout(fail, limit, `gave no answer for ${limit} ms`);
    };
    worker.onmessage = ({data}) => {
      if (data.text === undefined) return fail('could not compute');
      waiting.get(data.id)?.(JSON.parse(data.text));
      waiting.delete(data.id);
      watch();
    };
    worker.onerror = event => {
      event.preventDefault();
      fail(`failed: ${event.message}`);
    };
    worker.onmessageerror = () => fail('sent what cannot be read');
    worker.postMessage(bytes);
    return {
      ask: (kind, pairs) => new Promise(resolve => {
        waiting.set(++asked, resolve);
        worker.postMessage({id: asked, kind, pairs});
      }),
      // The page's own half took `time` ms: the worker's may take many times as long on a
      // busy machine before it is given up. The browser test shortens the limit.
      expect: time => {
        limit = globalThis.helperTimeLimit ?? Math.max(leastTimeLimit, 10 * time);
        watch();
      },
    };
  } catch {
    return undefined;
  }
}

// The items of `even` and `odd` alternately, as the module's halves of a table hold them.
const alternated = (even, odd) =>
  even.flatMap((item, i) => (i < odd.length ? [item, odd[i]] : [item]));

// A table's rows in two halves at once, every other angle from the worker, joined; the page
// computes the worker's half too where the worker fails.
async function askTable(kind, pairs) {
  const second = helper?.ask(kind, [...pairs, ['half', '2']]);
  const started = performance.now();
  const reply = ask(kind, [...pairs, ['half', '1']]);
  helper?.expect(performance.now() - started);
  if (reply.refusals) return reply;
  const rest = (await second) ?? ask(kind, [...pairs, ['half', '2']]);
  reply.tables.forEach((table, t) => { table.rows = alternated(table.rows, rest.tables[t].rows); });
  const values = reply.curves.flatMap((curves, b) =>
    curves.map((curve, c) => alternated(curve, rest.curves[b][c]).join(' '))).join(' ');
  const chart = askTableChart(pairs, values);
  return chart.refusals ? chart : {...reply, ...chart};
}

// The chart of a table from its curves' values, joined from the halves: the module draws it
// as k-berg-table does, from the same doubles.
function askTableChart(pairs, values) {
  const bytes = new TextEncoder().encode(values);
  const at = module.values_buffer(bytes.length);
  new Uint8Array(module.memory.buffer, at, bytes.length).set(bytes);
  return ask(tableChartKind, pairs);
}

const section = view => document.getElementById(view);
// The entries that hold a text, or a choice of one.
const textInputs = form => form.querySelectorAll('input:not([type=checkbox]), select');
const boxes = form => [...form.querySelectorAll('input[name=show]')];
const flags = form => [...form.querySelectorAll('input[type=checkbox]:not([name=show])')];

// The entries of a view's form as pairs, in the form's order; the quantities shown in the
// order they were ticked.
function pairsOf(view) {
  const form = section(view).querySelector('form');
  const pairs = views[view].flag ? [[views[view].named, '']] : [];
  for (const input of textInputs(form)) {
    if (input.value.trim() !== '') pairs.push([input.name, input.value.trim().replace(/\n/g, ' ')]);
  }
  if (form.dataset.shown) pairs.push(['show', form.dataset.shown]);
  for (const flag of flags(form).filter(each => each.checked)) pairs.push([flag.name, '']);
  return pairs;
}

// The quantities a table can show, as the module describes them, to tick; alpha at first.
function offerQuantities(form) {
  const fieldset = form.querySelector('fieldset');
  for (const {name, label} of ask(quantitiesKind, [])) {
    const choice = document.createElement('label');
    const box = Object.assign(document.createElement('input'), {type: 'checkbox', name: 'show'});
    box.value = name;
    box.checked = name === 'alpha';
    choice.append(box, ` ${label}`);
    fieldset.append(choice);
  }
  form.dataset.shown = 'alpha';
}

// A view's CSV, asked for when it is downloaded; with a decimal comma and ";" if `comma`. Its
// file is named for what it holds.
function download(view, comma) {
  const pairs = (views[view].csvPairs ?? (given => given))(pairsOf(view));
  const {csv, name} = ask(views[view].csvKind, comma ? [...pairs, ['decimal-comma', '']] : pairs);
  const link = Object.assign(document.createElement('a'), {download: name});
  link.href = URL.createObjectURL(new Blob([csv], {type: 'text/csv;charset=utf-8'}));
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href));
}

function fill(view, pairs) {
  const form = section(view).querySelector('form');
  const valuesOf = name => pairs.filter(([given]) => given === name).map(([, text]) => text);
  for (const input of textInputs(form)) input.value = valuesOf(input.name).join(';');
  for (const flag of flags(form)) flag.checked = valuesOf(flag.name).length > 0;
  if (boxes(form).length === 0) return;
  const shown = valuesOf('show').join(',');
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

// An element with its attributes and children (elements or text). Every answer is built of
// such, never parsed from text, so that nothing in it, whatever the module says, can be markup.
function built(element, attributes, children) {
  for (const [name, value] of Object.entries(attributes)) element.setAttribute(name, value);
  element.append(...children);
  return element;
}
const html = (name, attributes = {}, ...children) =>
  built(document.createElement(name), attributes, children);

// Marks each refused entry and says beside it what is wrong; gives back the refusals that no
// entry of the form names.
function mark(view, refusals) {
  const unplaced = [...refusals];
  for (const note of section(view).querySelectorAll('form .refusal')) {
    const input = document.getElementById(note.dataset.for);
    const mine = refusals.filter(refusal => refusal.entry === input.name);
    note.textContent = mine.map(refusal => refusal.text).join(' ');
    input.setAttribute('aria-invalid', String(mine.length > 0));
    for (const refusal of mine) unplaced.splice(unplaced.indexOf(refusal), 1);
  }
  return unplaced;
}

// Shows the answer to the entries of a view's form, once it comes, unless newer entries have
// been answered meanwhile. Until it comes, the answer shown is marked as one to older entries
// (and dimmed where the wait is long enough to be seen).
let answers = 0;
async function answer(view, pairs = pairsOf(view)) {
  const asked = ++answers;
  const area = section(view).querySelector('.answer');
  area.setAttribute('aria-busy', 'true');
  const reply = await (views[view].ask || ask)(views[view].kind, pairs);
  if (asked !== answers) return;
  const unplaced = mark(view, reply.refusals || []);
  if (reply.refusals) {
    area.replaceChildren(html('p', {class: 'no-answer'}, 'Нет ответа: исправьте отмеченное выше.'),
      ...unplaced.map(refusal => html('p', {class: 'refusal'}, refusal.text)));
  } else {
    show(view, area, reply);
  }
  area.setAttribute('aria-busy', 'false');
  // The time of the latest answer, for the developer tools and the browser test.
  performance.clearMarks('answer');
  performance.mark('answer');
}

function update(view) {
  history.replaceState(null, '', '#' + fragmentOf(pairsOf(view)));
  answer(view);
}

// A link's entries are answered as it gives them, as k-berg-table answers its options: with
// the blanks and the empty values that a form's entries lose, and the names no form has.
function openFragment() {
  const pairs = [...new URLSearchParams(location.hash.slice(1))];
  const view = viewOf(pairs);
  if (pairs.length > 0) fill(view, pairs);
  choose(view);
  answer(view, pairs.length > 0 ? pairs : pairsOf(view));
}

// A table in one block that scrolls sideways on its own where it is wider than the screen.
// The rows of a long table come in slices, tables of equal columns, each put in place only as
// it nears the screen, so that the table shows at once; a short one is put in place whole.
const sliceRows = 25;
const wholeRows = 100;  // a table of no more rows is put in place at once
const firstRows = rows => (rows.length <= wholeRows ? rows.length : sliceRows);
const slicesToFill = new IntersectionObserver(seen => {
  for (const {target} of seen.filter(each => each.isIntersecting)) {
    slicesToFill.unobserve(target);
    target.append(slice(target.rows, target.columns));
    target.style.height = '';
  }
}, {rootMargin: '1000px'});

function slice(rows, columns, ...head) {
  const body = rows.map(row => html('tr', {}, ...row.map(cell => html('td', {}, cell))));
  const element = html('table', {}, ...head, html('tbody', {}, ...body));
  element.style.setProperty('--columns', columns);
  return element;
}

// The places of a long table's further slices, filled as they near the screen.
function slicesAfter(rows, columns) {
  const places = [];
  for (let first = firstRows(rows); first < rows.length; first += sliceRows) {
    const place = html('div', {class: 'slice'});
    place.rows = rows.slice(first, first + sliceRows);
    place.columns = columns;
    place.style.height = `calc(${place.rows.length} * var(--row))`;
    slicesToFill.observe(place);
    places.push(place);
  }
  return places;
}

// A table of the answer with the notes under it; one without a caption is named for a reader
// by `label`, what stands above it.
function table({caption, headings, rows, notes}, label) {
  const head = html('thead', {}, html('tr', {},
    ...headings.map(heading => html('th', {scope: 'col'}, heading))));
  const first = slice(rows.slice(0, firstRows(rows)), headings.length,
    ...(caption ? [html('caption', {}, caption)] : []), head);
  const sliced = rows.length > wholeRows ? ' sliced' : '';
  const attributes = {'class': `block${sliced}`, 'tabindex': '0', 'role': 'region',
    'aria-label': caption || label};
  return html('div', attributes, first, ...slicesAfter(rows, headings.length), ...notes.map(note));
}

const note = text => html('p', {class: 'note'}, text);

// The answer's chart, the SVG that k-berg-table writes, as a picture of its own: an <img> of a
// blob: URL, so that nothing of it is parsed into the page, and it runs no script and loads
// nothing; in a block that scrolls sideways, as a wide table does, where the screen is too
// narrow for its text to stay readable. The URL of the chart it replaces in `area` is let go.
// Where the chart has too many curves to tell apart, the note that says so; nothing where the
// answer draws none, as the best regime.
function picture(area, reply, alt) {
  if (area.chartUrl) URL.revokeObjectURL(area.chartUrl);
  area.chartUrl = undefined;
  if (reply.chart === undefined) return reply.chart_note === undefined ? [] : [note(reply.chart_note)];
  area.chartUrl = URL.createObjectURL(new Blob([reply.chart], {type: 'image/svg+xml'}));
  return [html('div', {class: 'chart-block', tabindex: '0', role: 'region', 'aria-label': alt},
    html('img', {class: 'chart', src: area.chartUrl, alt, width: 1000, height: 660}))];
}

// The view's CSV in both forms, asked for when a button is pressed.
function downloads(view) {
  const button = (text, comma) => {
    const element = html('button', {type: 'button', 'data-comma': comma ? '1' : ''}, text);
    element.addEventListener('click', () => download(view, comma));
    return element;
  };
  return html('p', {class: 'downloads'}, button('Скачать CSV', false), ' ',
    button('Скачать CSV с запятой (;)', true));
}

// Every answer as the module builds it: its title lines, the chart of a view that draws one
// (named as the module names it, where it does: a stage's with its network), the downloads of
// a view that has them, then each table.
function show(view, area, reply) {
  const labels = [reply.titles.at(-1) ?? ''];
  for (const {caption} of reply.tables) labels.push(caption || labels.at(-1));
  const {chartAlt, csvKind} = views[view];
  area.replaceChildren(...reply.titles.map(line => html('p', {class: 'title'}, line)),
    ...(chartAlt === undefined ? [] : picture(area, reply, reply.chart_alt ?? chartAlt)),
    ...(csvKind === undefined ? [] : [downloads(view)]),
    ...reply.tables.map((each, t) => table(each, labels[t + 1])));
}

// Each entry of a view's form as the module describes it, by name: {label, placeholder (the
// text an empty entry stands for), inputmode}. The view is named as its link names it.
function formOf(view) {
  const {named} = views[view];
  return new Map(ask(formKind, named ? [[named, '']] : []).map(entry => [entry.name, entry]));
}

// Names each entry, each flag and the quantities to show, and shows what an entry stands for
// when empty, as the module describes it; an entry marked to start with that text starts with
// it. Gives each entry a place for its refusal, tied to it and read out by screen readers when
// it changes (the answer itself is not read out at each keystroke).
function prepare(view) {
  const form = section(view).querySelector('form');
  const described = formOf(view);
  for (const input of textInputs(form)) {
    const {label, placeholder, inputmode} = described.get(input.name);
    input.id = `${view}-${input.name}`;
    Object.assign(input, {autocomplete: 'off', spellcheck: false, placeholder,
      inputMode: inputmode});
    if ('default' in input.dataset) input.value = placeholder;
    input.closest('label').prepend(`${label} `);
    const note = Object.assign(document.createElement('p'), {className: 'refusal'});
    note.setAttribute('aria-live', 'polite');
    note.id = `${input.id}-refusal`;
    note.dataset.for = input.id;
    input.setAttribute('aria-describedby', note.id);
    input.closest('label').after(note);
  }
  for (const flag of flags(form)) flag.closest('label').append(` ${described.get(flag.name).label}`);
  const legend = form.querySelector('legend');
  if (legend) {
    legend.textContent = described.get('show').label;
    offerQuantities(form);
  }
  form.addEventListener('submit', event => event.preventDefault());
  form.addEventListener('input', event => {
    if (event.target.name === 'show') tick(form, event.target);
    update(view);
  });
}

// The module's bytes, which the page holds gzipped, as base64.
async function moduleBytes() {
  const text = atob(document.getElementById('module').textContent);
  const packed = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) packed[i] = text.charCodeAt(i);
  const unpacked = new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Uint8Array(await new Response(unpacked).arrayBuffer());
}

async function start() {
  const bytes = await moduleBytes();
  module = (await WebAssembly.instantiate(bytes)).instance.exports;
  module._initialize();
  helper = startHelper(bytes);
  for (const view of Object.keys(views)) prepare(view);
  for (const button of document.querySelectorAll('nav button')) {
    button.addEventListener('click', () => {
      choose(button.dataset.view);
      update(button.dataset.view);
    });
  }
  addEventListener('hashchange', openFragment);
  openFragment();
  requestIdleCallback(warmUp);
}

// The browser compiles the module's code to its fast form only once the code has run a while:
// a short table, computed and dropped while the page is idle after opening, in both threads,
// makes the first long table the user asks for as quick as the next.
function warmUp() {
  const pairs = [['from', '5'], ['to', '180'], ['step', '1']];
  helper?.ask(views.table.kind, pairs);
  ask(views.table.kind, pairs);
}

start().catch(error => {
  document.querySelector('main').textContent = `Расчет не запустился: ${error.message}`;
  throw error;
});
