// The web panel of matrix-control: outputs as buttons, tap an output then an
// input to route (in take mode: to stage), locks, presets, the layer. The
// whole state comes first on the events socket, then every change; a lost
// socket is opened again and the whole state comes anew.
'use strict';

const TEXT = {
  zh: {
    outputs: '输出', modes: '预设', inputs: '选择输入', close: '关闭输出', cancel: '取消',
    closed: '关闭', unknown: '—', lock: '锁定', unlock: '解锁', force: '强制解锁',
    forceAsk: '输出 {o} 被 {who} 锁定。确定强制解锁？', someone: '其他人',
    take: '执行', clear: '清除', pending: '预选 {n} 项', takeMode: '预选',
    grid: '网格', list: '列表', layer1: '视频', layer2: '音频', layer3: '音视频',
    live: '已连接', lost: '连接中断', lostBanner: '与控制程序的连接已中断，正在重新连接…',
    present: '串口已打开', absent: '串口未打开',
    deviceBanner: '切换器串口未打开：操作会被记录，但到不了切换器。',
    password: '密码', login: '登录', wrong: '密码错误', lockedOwn: '由本机锁定', lockedOther: '已被他人锁定',
    output: '输出 {o}', badgeOwn: '已锁定', badgeOther: '他人锁定',
  },
  en: {
    outputs: 'Outputs', modes: 'Presets', inputs: 'Choose an input', close: 'Close output',
    cancel: 'Cancel', closed: 'closed', unknown: '—', lock: 'Lock', unlock: 'Unlock',
    force: 'Force unlock', forceAsk: 'Output {o} is locked by {who}. Force it open?',
    someone: 'someone else', take: 'Take', clear: 'Clear', pending: '{n} staged',
    takeMode: 'Take mode', grid: 'Grid', list: 'List', layer1: 'Video', layer2: 'Audio',
    layer3: 'Video+audio', live: 'live', lost: 'connection lost',
    lostBanner: 'Connection to matrix-control lost; reconnecting…', present: 'port open',
    absent: 'port not open',
    deviceBanner: 'The switcher\'s serial port is not open: changes are kept but do not reach it.',
    password: 'Password', login: 'Log in', wrong: 'Wrong password', lockedOwn: 'locked by you',
    lockedOther: 'locked by someone else', output: 'Output {o}', badgeOwn: 'my lock',
    badgeOther: 'locked',
  },
};
const T = TEXT[(navigator.language || 'en').toLowerCase().startsWith('zh') ? 'zh' : 'en'];
document.documentElement.lang = T === TEXT.zh ? 'zh-CN' : 'en';
const tr = (key, args = {}) => T[key].replace(/\{(\w+)\}/g, (_, k) => args[k]);
const $ = (id) => document.getElementById(id);

let S = null;      // the state as the server last told it
let picked = -1;   // the output whose inputs are shown
let socket = null;
let retry = 500;
let grid = false;

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

async function post(path, body) {
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
  if (answer.status === 401) showLogin();
  else if (!answer.ok) note(json.error || String(answer.status));
  return answer.ok ? json : null;
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
}

function showLogin() {
  setConnection(false);
  $('lostBanner').hidden = true;
  $('login').hidden = false;
  $('main').hidden = true;
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
    $('loginError').textContent = answer && answer.status === 401 ? tr('wrong') : (json.error || '');
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
  for (const n of m.inputNames || []) S.inputNames[n.port] = n.name;
  for (const n of m.outputNames || []) { S.outputNames[n.port] = n.name; outputs.add(n.port); }
  for (const l of m.locks || []) { S.locks[l.output] = l.lock; outputs.add(l.output); }
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
  if ((m.inputNames || []).length) {
    for (let o = 0; o < S.outputs; ++o) outputs.add(o);
  }
  for (const o of outputs) renderOutput(o);
  if ('layer' in m || 'takeMode' in m) renderToolbar();
  if ('modes' in m || 'currentMode' in m) renderModes();
  if ('device' in m) renderDevice();
  if ('pending' in m) renderTakeBar();
  if (grid) renderGrid();
  if (picked >= 0) renderPicker();
}

// --- Views -------------------------------------------------------------------

const inputName = (i) => (i < 0 ? tr('closed') : S.inputNames[i]);
const pendingOf = (o) => { const p = S.pending.find((x) => x.output === o); return p ? p.input : null; };

function renderAll() {
  $('title').textContent = S.model || 'matrix-control';
  $('login').hidden = true;
  $('main').hidden = false;
  $('toolbar').hidden = false;
  const outputs = $('outputs');
  outputs.replaceChildren();
  for (let o = 0; o < S.outputs; ++o) {
    outputs.append(el('button', { 'data-output': o, onclick: () => pick(o) },
                      el('span', { class: 'name' }), el('span', { class: 'carried' })));
    renderOutput(o);
  }
  if (picked >= S.outputs) picked = -1;
  renderToolbar();
  renderModes();
  renderDevice();
  renderTakeBar();
  if (grid) renderGrid();
  if (picked >= 0) renderPicker(true);
}

function renderOutput(o) {
  const button = document.querySelector(`[data-output="${o}"]`);
  if (!button) return;
  const routed = S.routes[o];
  const pending = pendingOf(o);
  button.dataset.routed = routed;
  button.dataset.locked = S.locks[o];
  button.dataset.selected = String(o === picked);
  if (pending === null) delete button.dataset.pending;
  else button.dataset.pending = pending;
  // Words, not symbols: a desktop without an emoji font would show boxes.
  const lock = S.locks[o] === 'none' ? '' : ' · ' + tr(S.locks[o] === 'own' ? 'badgeOwn' : 'badgeOther');
  button.children[0].textContent = S.outputNames[o] + lock;
  button.children[1].textContent = (routed < 0 ? tr('unknown') : S.inputNames[routed]) +
    (pending === null ? '' : ' → ' + inputName(pending));
  button.title = S.locks[o] === 'own' ? tr('lockedOwn') : S.locks[o] === 'other' ? tr('lockedOther') : '';
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
  $('view').textContent = tr(grid ? 'list' : 'grid');
}

function renderModes() {
  $('modesSection').hidden = S.modes.length === 0;
  $('modes').replaceChildren(...S.modes.map((name) => el('button', {
    'data-mode': name, 'data-current': String(name === S.currentMode),
    onclick: () => post('modes/apply', { name }),
  }, name)));
}

function renderDevice() {
  const present = !!(S.device && S.device.present);
  $('device').dataset.present = String(present);
  $('device').textContent = tr(present ? 'present' : 'absent');
  $('deviceBanner').hidden = present;
}

function renderTakeBar() {
  $('takeBar').hidden = !S.takeMode || S.pending.length === 0;
  $('pendingCount').textContent = tr('pending', { n: S.pending.length });
}

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
  $('lock').hidden = lock !== 'none';
  $('unlock').hidden = lock !== 'own';
  $('force').hidden = lock !== 'other';
  if (fresh || $('inputs').childElementCount !== S.inputs) {
    $('inputs').replaceChildren(...S.inputNames.map((name, i) => el('button', {
      'data-input': i, onclick: () => choose(i),
    }, el('span', { class: 'name' }, name))));
  }
  const inputs = $('inputs').children;
  for (let i = 0; i < inputs.length; ++i) {
    inputs[i].children[0].textContent = S.inputNames[i];
    inputs[i].dataset.carried = String(S.routes[o] === i);
  }
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

function renderGrid() {
  const head = el('tr', {}, el('th'));
  S.inputNames.forEach((name) => head.append(el('th', {}, name)));
  head.append(el('th', {}, tr('closed')));
  $('grid').querySelector('thead').replaceChildren(head);
  const rows = [];
  for (let o = 0; o < S.outputs; ++o) {
    const row = el('tr', {}, el('th', {}, S.outputNames[o]));
    const pending = pendingOf(o);
    for (let i = 0; i <= S.inputs; ++i) {
      const input = i === S.inputs ? -1 : i;
      row.append(el('td', {}, el('button', {
        'data-on': String(S.routes[o] === input && (input >= 0 || S.routes[o] === -1)),
        'data-staged': String(pending === input),
        title: S.outputNames[o] + ' ← ' + inputName(input),
        onclick: () => post(S.takeMode ? 'stage' : 'route', { output: o, input }),
      })));
    }
    rows.push(row);
  }
  $('grid').querySelector('tbody').replaceChildren(...rows);
}

// --- Controls ----------------------------------------------------------------

$('closeOutput').addEventListener('click', () => choose(-1));
$('cancel').addEventListener('click', closePicker);
$('picker').addEventListener('click', (event) => { if (event.target === $('picker')) closePicker(); });
$('lock').addEventListener('click', () => post('lock', { output: picked, op: 'lock' }));
$('unlock').addEventListener('click', () => post('lock', { output: picked, op: 'unlock' }));
$('force').addEventListener('click', () => {
  if (confirm(tr('forceAsk', { o: picked + 1, who: tr('someone') }))) {
    post('lock', { output: picked, op: 'force' });
  }
});
for (const b of document.querySelectorAll('[data-layer]')) {
  b.addEventListener('click', () => post('layer', { layer: Number(b.dataset.layer) }));
}
$('takeMode').addEventListener('click', () => post('takemode', { on: !S.takeMode }));
$('take').addEventListener('click', () => post('take'));
$('clear').addEventListener('click', () => post('clear'));
$('view').addEventListener('click', () => {
  grid = !grid;
  $('grid').hidden = !grid;
  $('outputsSection').hidden = grid;
  if (grid) renderGrid();
  renderToolbar();
});

for (const [id, key] of [['outputsTitle', 'outputs'], ['modesTitle', 'modes'], ['closeOutput', 'close'],
  ['cancel', 'cancel'], ['lock', 'lock'], ['unlock', 'unlock'], ['force', 'force'], ['take', 'take'],
  ['clear', 'clear'], ['passwordLabel', 'password'], ['loginButton', 'login']]) {
  $(id).textContent = tr(key);
}
setConnection(false);
$('lostBanner').hidden = true;
connect();
