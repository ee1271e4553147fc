// The web panel of matrix-control: outputs as buttons, tap an output then an
// input to route (in take mode: to stage), locks, presets, the layer, and a
// grid of every crosspoint. The whole state comes first on the events socket,
// then every change; a lost socket is opened again and the whole state comes
// anew.
'use strict';

const TEXT = {
  zh: {
    outputs: '输出', modes: '预设', grid: '网格', search: '搜索编号或名称', close: '关闭输出',
    cancel: '取消', closed: '关闭', unknown: '—', lock: '锁定', unlock: '解锁', force: '强制解锁',
    forceAsk: '输出 {o} 被 {who} 锁定。确定强制解锁？', lockedBy: '已被 {who} 锁定，只能查看',
    take: '执行', clear: '清除', pending: '预选 {n} 项', takeMode: '预选',
    layer1: '视频', layer2: '音频', layer3: '音视频', live: '已连接', lost: '连接中断',
    lostBanner: '程序已停止，正在重新连接…', present: '串口已打开', absent: '串口未打开',
    deviceLost: '串口断开：{path}', deviceClosed: '串口未打开：{path}',
    password: '密码', login: '登录', wrong: '密码错误', lockedOwn: '由本机锁定',
    audioIs: '音频 {i}', output: '输出 {o}', badgeOwn: '已被我锁定', lockedByShort: '{who} 锁定', noMatch: '没有匹配的端口',
    saveMode: '保存当前为预设', saveAsk: '预设名称：', overwriteAsk: '预设 {name} 已存在。覆盖它？',
    deleteMode: '删除', deleteAsk: '删除预设 {name}？', recallAsk: '调用预设 {name}？',
    recallCount: '将改变 {n} 个输出。', recallNone: '不会改变任何输出。',
    recallLocked: '{n} 个输出被他人锁定，不会改变。', cellTitle: '{o} ← {i}',
    code_unauthorized: '请先登录', code_bad_request: '请求无效', code_out_of_range: '没有这个端口',
    code_locked: '输出已被 {who} 锁定', code_exists: '已有同名预设', code_file_error: '文件无法读写：{error}',
    code_busy: '切换器忙，请稍后再试', code_not_found: '没有这个预设', code_bad_label: '名称含有不允许的字符',
    code_unavailable: '现在无法执行', code_forbidden: '拒绝访问', code_too_many_requests: '请求过多，请稍后再试',
    failed: '操作失败：{error}',
  },
  en: {
    outputs: 'Outputs', modes: 'Presets', grid: 'Grid', search: 'Number or name',
    close: 'Close output', cancel: 'Cancel', closed: 'closed', unknown: '—', lock: 'Lock',
    unlock: 'Unlock', force: 'Force unlock', forceAsk: 'Output {o} is locked by {who}. Force it open?',
    lockedBy: 'Locked by {who}: view only', take: 'Take', clear: 'Clear', pending: '{n} staged',
    takeMode: 'Take mode', layer1: 'Video', layer2: 'Audio', layer3: 'Video+audio', live: 'live',
    lost: 'connection lost', lostBanner: 'Program stopped, reconnecting…', present: 'port open',
    absent: 'port not open', deviceLost: 'Device lost: {path}', deviceClosed: 'Port not open: {path}',
    password: 'Password', login: 'Log in', wrong: 'Wrong password', lockedOwn: 'locked by you',
    audioIs: 'audio {i}', output: 'Output {o}', badgeOwn: 'locked by you', lockedByShort: 'locked by {who}', noMatch: 'No port matches',
    saveMode: 'Save current as preset', saveAsk: 'Preset name:',
    overwriteAsk: 'Preset {name} exists. Overwrite it?', deleteMode: 'Delete',
    deleteAsk: 'Delete preset {name}?', recallAsk: 'Recall preset {name}?',
    recallCount: 'It changes {n} outputs.', recallNone: 'It changes no output.',
    recallLocked: '{n} outputs are locked by others and stay.', cellTitle: '{o} ← {i}',
    code_unauthorized: 'Log in first', code_bad_request: 'The request was not understood',
    code_out_of_range: 'No such port', code_locked: 'The output is locked by {who}',
    code_exists: 'A preset of that name exists', code_file_error: 'A file could not be read or written: {error}',
    code_busy: 'The matrix is busy; try again', code_not_found: 'No such preset',
    code_bad_label: 'The name holds characters it may not', code_unavailable: 'Not possible now',
    code_forbidden: 'Refused', code_too_many_requests: 'Too many requests; try again later',
    failed: 'Failed: {error}',
  },
};
const wanted = new URLSearchParams(location.search).get('lang') || navigator.language || 'en';
const T = TEXT[wanted.toLowerCase().startsWith('zh') ? 'zh' : 'en'];
document.documentElement.lang = T === TEXT.zh ? 'zh-CN' : 'en';
const tr = (key, args = {}) => T[key].replace(/\{(\w+)\}/g, (_, k) => args[k]);
const $ = (id) => document.getElementById(id);

let S = null;      // the state as the server last told it
let picked = -1;   // the output whose inputs are shown
let socket = null;
let retry = 500;
let tab = 'outputs';
let query = '';

function el(tag, attrs, ...children) {
  const node = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs || {})) {
    if (k === 'onclick') node.addEventListener('click', v);
    else if (k === 'class') node.className = v;
    else node.setAttribute(k, v);
  }
  for (const child of children) node.append(child);
  return node;
}

// --- Talking to the server ---------------------------------------------------

// POSTs to the API; the answer's body, or null after a refusal, which is
// shown in the panel's language unless its code is in `handled` (then the
// refusal's body is returned with `refused` set).
async function post(path, body, handled = []) {
  let answer;
  try {
    answer = await fetch('/api/v1/' + path, {
      method: 'POST', headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify(body || {}), credentials: 'same-origin',
    });
  } catch (e) {
    return null;
  }
  const json = await answer.json().catch(() => ({}));
  if (answer.ok) return json;
  if (handled.includes(json.code)) return Object.assign(json, { refused: true });
  if (answer.status === 401) showLogin();
  else note(refusalText(json, answer.status));
  return null;
}

function refusalText(json, status) {
  const key = 'code_' + json.code;
  if (key in T) return tr(key, { who: json.owner || '', error: json.error || '' });
  return tr('failed', { error: json.error || String(status) });
}

function note(text) {
  const box = $('message');
  box.textContent = text;
  box.hidden = false;
  clearTimeout(note.timer);
  note.timer = setTimeout(() => { box.hidden = true; }, 4000);
}

async function connect() {
  let answer;
  try {
    answer = await fetch('/api/v1/state', { credentials: 'same-origin' });
  } catch (e) {
    return lost();
  }
  if (answer.status === 401) return showLogin();
  if (!answer.ok) return lost();
  const ws = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host +
                           '/api/v1/events');
  socket = ws;
  ws.onmessage = (event) => {
    const message = JSON.parse(event.data);
    if (message.type === 'state') {
      S = message;
      retry = 500;
      setConnection(true);
      renderAll();
    } else if (message.type === 'change' && S) {
      applyChange(message);
    }
  };
  ws.onclose = (event) => {
    if (socket !== ws) return;
    socket = null;
    if (event.code === 1008) return showLogin();
    lost();
  };
}

function lost() {
  setConnection(false);
  setTimeout(connect, retry);
  retry = Math.min(retry * 2, 5000);
}

function setConnection(live) {
  const c = $('connection');
  c.dataset.state = live ? 'live' : 'lost';
  c.textContent = tr(live ? 'live' : 'lost');
  $('lostBanner').hidden = live;
  // What the device does is not known while the program is not reached.
  if (!live) $('deviceBanner').hidden = true;
  $('device').hidden = !live;
  measureTop();
}

function showLogin() {
  setConnection(false);
  $('lostBanner').hidden = true;
  $('login').hidden = false;
  $('main').hidden = true;
  $('bar').hidden = true;
  $('toolbar').hidden = true;
  $('password').focus();
}

$('login').addEventListener('submit', async (event) => {
  event.preventDefault();
  const answer = await fetch('/api/v1/login', {
    method: 'POST', headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify({ password: $('password').value }), credentials: 'same-origin',
  }).catch(() => null);
  if (!answer || !answer.ok) {
    const json = answer ? await answer.json().catch(() => ({})) : {};
    $('loginError').textContent = answer && answer.status === 401 ? tr('wrong')
      : refusalText(json, answer ? answer.status : 0);
    return;
  }
  $('password').value = '';
  $('loginError').textContent = '';
  $('login').hidden = true;
  connect();
});

// --- Changes -----------------------------------------------------------------

function applyChange(m) {
  const outputs = new Set();
  for (const r of m.routes || []) { S.routes[r.output] = r.input; outputs.add(r.output); }
  for (const r of m.audioRoutes || []) {
    if (S.audioRoutes) S.audioRoutes[r.output] = r.input;
    outputs.add(r.output);
  }
  for (const n of m.inputNames || []) S.inputNames[n.port] = n.name;
  for (const n of m.outputNames || []) { S.outputNames[n.port] = n.name; outputs.add(n.port); }
  for (const l of m.locks || []) {
    S.locks[l.output] = l.lock;
    S.lockOwners[l.output] = l.owner || '';
    outputs.add(l.output);
  }
  if ('layer' in m) S.layer = m.layer;
  if ('takeMode' in m) S.takeMode = m.takeMode;
  if ('modes' in m) S.modes = m.modes;
  if ('currentMode' in m) S.currentMode = m.currentMode;
  if ('device' in m) S.device = m.device;
  if ('pending' in m) {
    for (const p of S.pending) outputs.add(p.output);
    S.pending = m.pending;
    for (const p of S.pending) outputs.add(p.output);
  }
  const names = (m.inputNames || []).length + (m.outputNames || []).length > 0;
  if ((m.inputNames || []).length || 'layer' in m) {  // names shown, or another table
    for (let o = 0; o < S.outputs; ++o) outputs.add(o);
  }
  for (const o of outputs) renderOutput(o);
  if ('layer' in m || 'takeMode' in m) renderToolbar();
  if ('modes' in m || 'currentMode' in m) renderModes();
  if ('device' in m) renderDevice();
  if ('pending' in m) renderTakeBar();
  if (names && query) applySearch();
  if (tab === 'grid') {
    if (names || 'layer' in m) Grid.rebuild(); else Grid.repaint(outputs);
  }
  if (picked >= 0) renderPicker(names);
}

// --- Views -------------------------------------------------------------------

const inputName = (i) => (i < 0 ? tr('closed') : S.inputNames[i]);
// The table the layer buttons name: audio under 音频, else video (the one
// table in pattern mode); under 音视频 an output whose audio differs is marked.
const shownRoute = (o) => (S.layer.checked === 2 && S.audioRoutes ? S.audioRoutes : S.routes)[o];
const audioDiffers = (o) =>
  S.layer.checked === 3 && !!S.audioRoutes && S.audioRoutes[o] !== S.routes[o];
// A port's number and name ("3 Desk"); the number alone when the name is it.
const label = (port, name) => (name === String(port + 1) ? name : (port + 1) + ' ' + name);
const pendingOf = (o) => { const p = S.pending.find((x) => x.output === o); return p ? p.input : null; };
const outputButton = (o) => $('outputs').children[o];

function renderAll() {
  $('title').textContent = S.model || 'matrix-control';
  $('login').hidden = true;
  $('main').hidden = false;
  $('bar').hidden = false;
  $('toolbar').hidden = tab === 'modes';
  const buttons = [];
  for (let o = 0; o < S.outputs; ++o) {
    buttons.push(el('button', { 'data-output': o, onclick: () => pick(o) },
                    el('span', { class: 'name' }), el('span', { class: 'carried' }),
                    el('span', { class: 'badge' })));
  }
  $('outputs').replaceChildren(...buttons);
  for (let o = 0; o < S.outputs; ++o) renderOutput(o);
  if (picked >= S.outputs) picked = -1;
  renderToolbar();
  renderModes();
  renderDevice();
  renderTakeBar();
  applySearch();
  if (tab === 'grid') Grid.rebuild();
  if (picked >= 0) renderPicker(true);
  measureTop();
}

function renderOutput(o) {
  const button = outputButton(o);
  if (!button) return;
  const routed = shownRoute(o);
  const pending = pendingOf(o);
  const lock = S.locks[o];
  button.dataset.routed = routed;
  button.dataset.locked = lock;
  button.dataset.selected = String(o === picked);
  if (pending === null) delete button.dataset.pending;
  else button.dataset.pending = pending;
  button.children[0].textContent = label(o, S.outputNames[o]);
  const audio = audioDiffers(o);
  button.dataset.audioDiffers = String(audio);
  button.children[1].textContent = (routed < 0 ? tr('unknown') : S.inputNames[routed]) +
    (audio ? ' · ' + tr('audioIs', { i: S.audioRoutes[o] < 0 ? tr('unknown')
                                                          : S.inputNames[S.audioRoutes[o]] }) : '') +
    (pending === null ? '' : ' → ' + inputName(pending));
  // Words, not symbols: a desktop without an emoji font would show boxes.
  button.children[2].textContent = lock === 'none' ? ''
    : lock === 'own' ? tr('badgeOwn') : tr('lockedByShort', { who: S.lockOwners[o] });
  button.children[2].hidden = lock === 'none';
  button.title = lock === 'own' ? tr('lockedOwn')
    : lock === 'other' ? tr('lockedBy', { who: S.lockOwners[o] }) : S.outputNames[o];
}

function renderToolbar() {
  for (const b of document.querySelectorAll('[data-layer]')) {
    const layer = Number(b.dataset.layer);
    b.textContent = tr('layer' + layer);
    b.hidden = !S.layer.enabled;
    b.setAttribute('aria-pressed', String(S.layer.checked === layer));
  }
  $('takeMode').textContent = tr('takeMode');
  $('takeMode').setAttribute('aria-pressed', String(S.takeMode));
}

function renderModes() {
  $('modes').replaceChildren(...S.modes.map((name) => el('div', { class: 'row' },
    el('button', { 'data-mode': name, 'data-current': String(name === S.currentMode), title: name,
                   onclick: () => recallMode(name) }, name),
    el('button', { 'data-delete': name, onclick: () => deleteMode(name) }, tr('deleteMode')))));
}

function renderDevice() {
  const device = S.device || { present: false, state: 'closed', path: '' };
  $('device').dataset.present = String(device.present);
  $('device').textContent = tr(device.present ? 'present' : 'absent');
  $('deviceBanner').hidden = device.present;
  $('deviceBanner').textContent =
    tr(device.state === 'lost' ? 'deviceLost' : 'deviceClosed', { path: device.path });
  measureTop();
}

function renderTakeBar() {
  $('takeBar').hidden = !S.takeMode || S.pending.length === 0;
  document.body.classList.toggle('staging', !$('takeBar').hidden);
  $('pendingCount').textContent = tr('pending', { n: S.pending.length });
}

// The grid's height follows what the sticky top takes.
function measureTop() {
  document.body.style.setProperty('--top', $('top').offsetHeight + 'px');
}

// --- The search --------------------------------------------------------------

// Whether port `port` (zero-based) named `name` matches the query: digits
// match the numbers that begin with them, anything else the names holding it.
function matches(port, name) {
  if (/^\d+$/.test(query)) return String(port + 1).startsWith(query);
  return name.toLowerCase().includes(query);
}

// The ports of one side that the search leaves: all when it matches none of
// that side (an output searched for still lists every input to route it to).
function shownPorts(names) {
  const all = names.map((_, k) => k);
  if (!query) return all;
  const hits = all.filter((k) => matches(k, names[k]));
  return hits.length ? hits : all;
}

let shown = { outputs: [], inputs: [], none: false };

function applySearch() {
  if (!S) return;
  const outputs = shownPorts(S.outputNames);
  const inputs = shownPorts(S.inputNames);
  const none = !!query && !S.outputNames.some((n, k) => matches(k, n)) &&
               !S.inputNames.some((n, k) => matches(k, n));
  shown = { outputs: none ? [] : outputs, inputs: none ? [] : inputs, none };
  const keep = new Set(shown.outputs);
  const buttons = $('outputs').children;
  for (let o = 0; o < buttons.length; ++o) buttons[o].hidden = !keep.has(o);
  $('noMatch').hidden = !none;
  if (picked >= 0) filterInputs();
  if (tab === 'grid') Grid.rebuild();
}

function filterInputs() {
  const keep = new Set(shown.inputs);
  const inputs = $('inputs').children;
  for (let i = 0; i < inputs.length; ++i) inputs[i].hidden = !keep.has(i);
}

// --- The input sheet ---------------------------------------------------------

function pick(o) {
  const old = picked;
  picked = o;
  if (old >= 0) renderOutput(old);
  renderOutput(o);
  renderPicker(true);
}

function renderPicker(fresh) {
  const o = picked;
  $('picker').hidden = o < 0;
  if (o < 0) return;
  $('pickerTitle').textContent = tr('output', { o: o + 1 }) + ' · ' + S.outputNames[o];
  const lock = S.locks[o];
  const other = lock === 'other';
  $('lock').hidden = lock !== 'none';
  $('unlock').hidden = lock !== 'own';
  $('force').hidden = !other;
  $('lockOwner').hidden = !other;
  $('lockOwner').textContent = other ? tr('lockedBy', { who: S.lockOwners[o] }) : '';
  if (fresh || $('inputs').childElementCount !== S.inputs) {
    $('inputs').replaceChildren(...S.inputNames.map((name, i) => el('button', {
      'data-input': i, onclick: () => choose(i),
    }, el('span', { class: 'name' }))));
    $('inputs').scrollTop = 0;
  }
  const inputs = $('inputs').children;
  for (let i = 0; i < inputs.length; ++i) {
    inputs[i].children[0].textContent = label(i, S.inputNames[i]);
    inputs[i].title = S.inputNames[i];
    inputs[i].dataset.carried = String(shownRoute(o) === i);
  }
  // Another's lock: the sheet only shows, and offers to break the lock.
  for (const b of [...inputs, $('closeOutput')]) {
    b.disabled = other;
    b.setAttribute('aria-disabled', String(other));
  }
  filterInputs();
}

function choose(input) {
  const o = picked;
  closePicker();
  post(S.takeMode ? 'stage' : 'route', { output: o, input });
}

function closePicker() {
  const old = picked;
  picked = -1;
  $('picker').hidden = true;
  if (old >= 0) renderOutput(old);
}

// --- Presets -----------------------------------------------------------------

async function saveMode() {
  const name = (prompt(tr('saveAsk')) || '').trim();
  if (!name) return;
  const answer = await post('modes/save', { name }, ['exists']);
  if (answer && answer.refused && confirm(tr('overwriteAsk', { name }))) {
    post('modes/save', { name, overwrite: true });
  }
}

function deleteMode(name) {
  if (confirm(tr('deleteAsk', { name }))) post('modes/delete', { name });
}

// In take mode a preset is staged; otherwise the operator is asked first,
// with the outputs it changes counted.
async function recallMode(name) {
  if (S.takeMode) return post('modes/apply', { name });
  const preview = await post('modes/preview', { name });
  if (!preview) return;
  const lines = [tr('recallAsk', { name }),
    preview.changes ? tr('recallCount', { n: preview.changes }) : tr('recallNone')];
  if (preview.locked) lines.push(tr('recallLocked', { n: preview.locked }));
  if (confirm(lines.join('\n'))) post('modes/apply', { name });
}

// --- Tabs --------------------------------------------------------------------

function showTab(name) {
  tab = name;
  $('main').dataset.view = name;
  for (const b of document.querySelectorAll('[data-tab]')) {
    b.setAttribute('aria-pressed', String(b.dataset.tab === name));
  }
  if (S) $('toolbar').hidden = name === 'modes';
  measureTop();
  if (name === 'grid') Grid.rebuild();
  else Grid.clear();
}

// --- Controls ----------------------------------------------------------------

$('closeOutput').addEventListener('click', () => choose(-1));
$('cancel').addEventListener('click', closePicker);
$('picker').addEventListener('click', (event) => { if (event.target === $('picker')) closePicker(); });
$('lock').addEventListener('click', () => post('lock', { output: picked, op: 'lock' }));
$('unlock').addEventListener('click', () => post('lock', { output: picked, op: 'unlock' }));
$('force').addEventListener('click', () => {
  if (confirm(tr('forceAsk', { o: picked + 1, who: S.lockOwners[picked] }))) {
    post('lock', { output: picked, op: 'force' });
  }
});
for (const b of document.querySelectorAll('[data-layer]')) {
  b.addEventListener('click', () => post('layer', { layer: Number(b.dataset.layer) }));
}
for (const b of document.querySelectorAll('[data-tab]')) {
  b.textContent = tr(b.dataset.tab);
  b.addEventListener('click', () => showTab(b.dataset.tab));
}
$('takeMode').addEventListener('click', () => post('takemode', { on: !S.takeMode }));
$('take').addEventListener('click', () => post('take'));
$('clear').addEventListener('click', () => post('clear'));
$('saveMode').addEventListener('click', saveMode);
$('search').placeholder = tr('search');
$('search').setAttribute('aria-label', tr('search'));
$('search').addEventListener('input', () => {
  query = $('search').value.trim().toLowerCase();
  applySearch();
});

for (const [id, key] of [['modesTitle', 'modes'], ['closeOutput', 'close'], ['cancel', 'cancel'],
  ['lock', 'lock'], ['unlock', 'unlock'], ['force', 'force'], ['take', 'take'], ['clear', 'clear'],
  ['passwordLabel', 'password'], ['loginButton', 'login'], ['saveMode', 'saveMode'],
  ['noMatch', 'noMatch'], ['lostBanner', 'lostBanner']]) {
  $(id).textContent = tr(key);
}
// The grid's script comes after this one: both are in place once the page is.
document.addEventListener('DOMContentLoaded', () => {
  setConnection(false);
  $('lostBanner').hidden = true;
  showTab('outputs');
  connect();
});
