// The page maps the server's window model: it shows what /api/state and the event stream say
// and sends the rows and the settings back as the window's apply and OK do.
'use strict';

let csrf = '';
let lang = localStorage.getItem('lang') || '';
let texts = {};
let types = [];
let lastEvent = 0;
let statusTimer = 0;
let chooserRow = -1;
let chooserPath = '';

const $ = (id) => document.getElementById(id);

async function getJson(url) {
  const response = await fetch(url, { credentials: 'same-origin' });
  if (!response.ok) throw new Error(response.status);
  return response.json();
}

function post(url, fields) {
  return fetch(url, {
    method: 'POST',
    credentials: 'same-origin',
    headers: { 'Content-Type': 'application/x-www-form-urlencoded', 'X-Tvr-Csrf': csrf },
    body: new URLSearchParams(fields),
  });
}

function showTexts() {
  document.documentElement.lang = lang;
  document.title = texts.title;
  $('title').textContent = texts.title;
  $('language').textContent = texts.language;
  $('h-status').textContent = texts.status;
  $('l-address').textContent = texts.address;
  $('h-streams').textContent = texts.streams;
  $('c-file').textContent = texts.streamFile;
  $('c-position').textContent = texts.streamPosition;
  $('c-rate').textContent = texts.streamRate;
  $('h-problems').textContent = texts.problems;
  $('h-channels').textContent = texts.channels;
  $('channel-hint').textContent = texts.channelHint;
  $('apply').textContent = texts.apply;
  $('h-settings').textContent = texts.settings;
  $('settings-ok').textContent = texts.ok;
  $('port-note').textContent = texts.portNote;
  $('h-password').textContent = texts.password;
  $('password-note').textContent = texts.passwordNote;
  $('password-save').textContent = texts.passwordSave;
  $('h-events').textContent = texts.events;
  $('h-choose').textContent = texts.chooseFolder;
  $('chooser-up').textContent = texts.up;
  $('chooser-select').textContent = texts.select;
  $('chooser-cancel').textContent = texts.cancel;
}

function showStatus(state) {
  $('state').textContent = state.state;
  $('address').textContent = state.address;
  $('status0').textContent = state.statusParts[0];
  $('status1').textContent = state.statusParts[1];
  showStreams(state.streams);
  const list = $('problems');
  list.replaceChildren(...state.problems.map((text) => {
    const item = document.createElement('li');
    item.className = 'problem';
    item.textContent = text;
    return item;
  }));
}

function cell(text) {
  const item = document.createElement('td');
  item.textContent = text;
  return item;
}

function showStreams(streams) {
  const rows = streams.map((stream) => {
    const row = document.createElement('tr');
    row.className = 'stream';
    row.append(cell(stream.file), cell(stream.position), cell(stream.rate));
    return row;
  });
  if (rows.length === 0) {
    const row = document.createElement('tr');
    const none = cell(texts.noStreams);
    none.colSpan = 3;
    row.append(none);
    rows.push(row);
  }
  $('stream-rows').replaceChildren(...rows);
}

function typeOf(name) {
  return types.find((type) => type.name === name);
}

function enableRow(row) {
  const type = typeOf(row.querySelector('select').value);
  row.querySelector('input').disabled = !(type && type.pathEdit);
  // The page chooses folders only, so the button serves the PC folder rows.
  row.querySelector('button').disabled = !(type && type.folder && type.pcFolder);
}

function showRows(state) {
  const rows = state.rows.map((data, index) => {
    const row = document.createElement('div');
    row.className = 'row';
    const number = document.createElement('label');
    number.textContent = String(index + 1);
    number.htmlFor = 'type' + index;
    const select = document.createElement('select');
    select.id = 'type' + index;
    select.name = 't' + index;
    for (const type of types) select.add(new Option(type.label, type.name, false, type.name === data.type));
    if (!typeOf(data.type)) select.selectedIndex = -1;
    select.addEventListener('change', () => enableRow(row));
    const path = document.createElement('input');
    path.id = 'path' + index;
    path.name = 'p' + index;
    path.maxLength = 259;
    path.value = data.path;
    path.setAttribute('aria-label', texts.channels + ' ' + (index + 1));
    const folder = document.createElement('button');
    folder.type = 'button';
    folder.id = 'folder' + index;
    folder.textContent = texts.folder;
    folder.addEventListener('click', () => openChooser(index));
    row.append(number, select, path, folder);
    return row;
  });
  $('rows').replaceChildren(...rows);
  for (const row of rows) enableRow(row);
}

function showSettings(state) {
  const fields = state.settings.map((field, index) => {
    const line = document.createElement('div');
    line.className = 'field';
    const label = document.createElement('label');
    label.textContent = field.label;
    label.htmlFor = 'field' + index;
    const input = document.createElement('input');
    input.id = 'field' + index;
    input.name = 'f' + index;
    if (field.kind === 'check') {
      input.type = 'checkbox';
      input.checked = field.checked;
    } else {
      input.type = field.masked ? 'password' : 'text';
      input.value = field.text;
      if (field.digits) input.inputMode = 'numeric';
      input.readOnly = field.readOnly;
    }
    line.append(label, input);
    return line;
  });
  $('fields').replaceChildren(...fields);
}

async function load(all) {
  const state = await getJson('/api/state' + (lang ? '?lang=' + lang : ''));
  csrf = state.csrf;
  lang = state.lang;
  texts = state.texts;
  types = state.types;
  showTexts();
  // Only the token's session on the server's PC may set the web password.
  $('password-section').hidden = !(state.local && state.passwordAvailable);
  showStatus(state);
  // A stream's position moves without an event: read it again each second while one goes out.
  if (state.streams.length > 0) refreshStatusIn(1000);
  if (all) {
    showRows(state);
    showSettings(state);
  }
}

function refreshStatusIn(ms) {
  if (statusTimer) return;
  statusTimer = setTimeout(() => {
    statusTimer = 0;
    load(false).catch(() => {});
  }, ms);
}

function listenForEvents() {
  const source = new EventSource('/api/events');
  source.addEventListener('message', (message) => {
    const id = Number(message.lastEventId);
    if (id <= lastEvent) return;
    lastEvent = id;
    const event = JSON.parse(message.data);
    const item = document.createElement('li');
    item.value = id;
    item.textContent = event.line;
    if (event.problem) item.className = 'problem';
    const list = $('events');
    const atEnd = list.scrollTop + list.clientHeight >= list.scrollHeight - 4;
    item.dataset.shownAt = String(performance.timeOrigin + performance.now());
    list.append(item);
    if (atEnd) list.scrollTop = list.scrollHeight;
    refreshStatusIn(100);
  });
}

async function applyChannels(event) {
  event.preventDefault();
  const fields = {};
  for (let index = 0; index < 8; ++index) {
    fields['t' + index] = $('type' + index).value;
    fields['p' + index] = $('path' + index).value;
  }
  const response = await post('/api/channels', fields);
  $('channels-result').textContent = response.ok ? texts.applied : String(response.status);
  if (response.ok) await load(true);
}

async function saveSettings(event) {
  event.preventDefault();
  const fields = {};
  for (const input of $('fields').querySelectorAll('input')) {
    fields[input.name] = input.type === 'checkbox' ? (input.checked ? '1' : '0') : input.value;
  }
  const response = await post('/api/settings?lang=' + lang, fields);
  const answer = await response.json();
  $('settings-result').textContent = response.ok ? texts.saved : answer.message || String(response.status);
}

async function savePassword(event) {
  event.preventDefault();
  const response = await post('/api/password', { password: $('password').value });
  const answer = await response.json();
  $('password').value = '';
  $('password-result').textContent = response.ok ? texts.saved : answer.message || String(response.status);
}

async function browse(path) {
  const list = await getJson('/api/folders?path=' + encodeURIComponent(path));
  chooserPath = list.path;
  $('chooser-path').textContent = list.path || texts.computer;
  $('chooser-up').disabled = list.parent === null;
  $('chooser-up').dataset.parent = list.parent || '';
  $('chooser-select').disabled = !list.path;
  $('chooser-list').replaceChildren(...list.folders.map((folder) => {
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = folder.name;
    button.addEventListener('click', () => browse(folder.path).catch(() => {}));
    item.append(button);
    return item;
  }));
  const first = $('chooser-list').querySelector('button');
  (first || $('chooser-up')).focus();
}

function openChooser(row) {
  chooserRow = row;
  $('chooser').showModal();
  browse($('path' + row).value).catch(() => browse(''));
}

function init() {
  $('language').addEventListener('click', () => {
    lang = lang === 'ja' ? 'en' : 'ja';
    localStorage.setItem('lang', lang);
    // A result said in the other language would stay beside the new texts.
    for (const id of ['channels-result', 'settings-result', 'password-result']) $(id).textContent = '';
    load(true).catch(() => {});
  });
  $('channels').addEventListener('submit', (event) => applyChannels(event).catch(() => {}));
  $('settings').addEventListener('submit', (event) => saveSettings(event).catch(() => {}));
  $('password-form').addEventListener('submit', (event) => savePassword(event).catch(() => {}));
  $('chooser-up').addEventListener('click', () => browse($('chooser-up').dataset.parent).catch(() => {}));
  $('chooser-cancel').addEventListener('click', () => $('chooser').close());
  $('chooser-select').addEventListener('click', () => {
    $('path' + chooserRow).value = chooserPath;
    $('chooser').close();
    $('path' + chooserRow).focus();
  });
  load(true).then(() => {
    // The moment the page shows the server's state, for the benchmark to read.
    performance.mark('tvr-ready');
    listenForEvents();
  }).catch(() => {});
}

document.addEventListener('DOMContentLoaded', init);
