// The panel's grid of every crosspoint: a row per output, a column per input
// and one for "closed", each column of one width, the headers held in view
// while the grid scrolls. Only the cells on screen exist (the whole grid of a
// 256 × 256 matrix would be 66 000 elements): scrolling makes those that come
// into view and drops the others, and a change repaints the cells of the
// outputs it names. Uses the panel's state and helpers (panel.js).
'use strict';

const Grid = (() => {
  const CELL_W = 56;
  const CELL_H = 44;
  const HEAD_H = 64;
  const SPARE = 2;      // rows and columns made beyond each edge
  let rowHead = 160;
  let rows = [];        // the output of each row
  let cols = [];        // the input of each column, -1 for "closed"
  const cells = new Map();     // row * cols.length + column → its element
  const rowHeads = new Map();  // row → its header
  const colHeads = new Map();  // column → its header
  let frame = 0;

  const view = () => $('gridView');

  function clear() {
    cells.clear();
    rowHeads.clear();
    colHeads.clear();
    $('gridCells').replaceChildren();
    $('gridRows').replaceChildren();
    $('gridColumns').replaceChildren($('gridCorner'));
  }

  function rebuild() {
    clear();
    if (!S || tab !== 'grid') return;
    rowHead = innerWidth < 600 ? 128 : 180;
    rows = shown.outputs;
    cols = shown.none ? [] : [...shown.inputs, -1];
    const style = view().style;
    style.setProperty('--cell-w', CELL_W + 'px');
    style.setProperty('--cell-h', CELL_H + 'px');
    style.setProperty('--head', HEAD_H + 'px');
    style.setProperty('--rowhead', rowHead + 'px');
    const width = rowHead + cols.length * CELL_W + 'px';
    $('gridArea').style.width = width;
    $('gridColumns').style.width = width;
    $('gridRows').style.height = rows.length * CELL_H + 'px';
    paint();
  }

  // The rows and columns on screen, with SPARE more on each side.
  function range() {
    const v = view();
    const x = v.scrollLeft;
    const y = v.scrollTop;
    return {
      r0: Math.max(0, Math.floor(y / CELL_H) - SPARE),
      r1: Math.min(rows.length, Math.ceil((y + v.clientHeight - HEAD_H) / CELL_H) + SPARE),
      c0: Math.max(0, Math.floor(x / CELL_W) - SPARE),
      c1: Math.min(cols.length, Math.ceil((x + v.clientWidth - rowHead) / CELL_W) + SPARE),
    };
  }

  // Drops the elements of `map` whose key `inside` refuses.
  function prune(map, inside) {
    for (const [key, node] of map) {
      if (!inside(key)) { node.remove(); map.delete(key); }
    }
  }

  function paint() {
    if (!S || tab !== 'grid') return;
    const { r0, r1, c0, c1 } = range();
    const n = cols.length;
    prune(cells, (k) => { const r = Math.floor(k / n); const c = k % n; return r >= r0 && r < r1 && c >= c0 && c < c1; });
    prune(rowHeads, (r) => r >= r0 && r < r1);
    prune(colHeads, (c) => c >= c0 && c < c1);
    const made = document.createDocumentFragment();
    for (let r = r0; r < r1; ++r) {
      for (let c = c0; c < c1; ++c) {
        if (cells.has(r * n + c)) continue;
        const cell = el('button', { class: 'cell', 'data-output': rows[r], 'data-input': cols[c] });
        cell.style.left = rowHead + c * CELL_W + 'px';
        cell.style.top = HEAD_H + r * CELL_H + 'px';
        paintCell(cell, rows[r], cols[c]);
        cells.set(r * n + c, cell);
        made.append(cell);
      }
    }
    $('gridCells').append(made);
    const heads = document.createDocumentFragment();
    for (let r = r0; r < r1; ++r) {
      if (rowHeads.has(r)) continue;
      const o = rows[r];
      const name = S.outputNames[o];
      const head = el('div', { class: 'rowhead', title: name }, el('b', {}, String(o + 1)),
                      name === String(o + 1) ? '' : name);
      head.style.top = r * CELL_H + 'px';
      rowHeads.set(r, head);
      heads.append(head);
    }
    $('gridRows').append(heads);
    const columns = document.createDocumentFragment();
    for (let c = c0; c < c1; ++c) {
      if (colHeads.has(c)) continue;
      const i = cols[c];
      const name = inputName(i);
      const head = el('div', { class: 'col', title: name },
                      el('b', {}, i < 0 ? '×' : String(i + 1)),
                      el('span', {}, name === String(i + 1) ? '' : name));
      head.style.left = rowHead + c * CELL_W + 'px';
      colHeads.set(c, head);
      columns.append(head);
    }
    $('gridColumns').append(columns);
  }

  function paintCell(cell, o, i) {
    const pending = pendingOf(o);
    cell.dataset.on = String(shownRoute(o) === i);
    cell.dataset.staged = String(pending === i);
    cell.dataset.locked = S.locks[o];
    cell.title = tr('cellTitle', { o: label(o, S.outputNames[o]),
                                   i: i < 0 ? tr('closed') : label(i, S.inputNames[i]) });
  }

  // The cells on screen of the outputs in `outputs` (a Set).
  function repaint(outputs) {
    if (!outputs.size) return;
    for (const cell of cells.values()) {
      const o = Number(cell.dataset.output);
      if (outputs.has(o)) paintCell(cell, o, Number(cell.dataset.input));
    }
  }

  view().addEventListener('scroll', () => {
    if (!frame) frame = requestAnimationFrame(() => { frame = 0; paint(); });
  }, { passive: true });
  addEventListener('resize', () => { if (tab === 'grid') { measureTop(); rebuild(); } });
  $('gridCells').addEventListener('click', (event) => {
    const cell = event.target.closest('.cell');
    if (!cell) return;
    const output = Number(cell.dataset.output);
    post(S.takeMode ? 'stage' : 'route', { output, input: Number(cell.dataset.input) });
  });
  // A long press on a header shows its whole name (a mouse has the title).
  let press = 0;
  view().addEventListener('pointerdown', (event) => {
    const head = event.target.closest('.col, .rowhead');
    if (!head) return;
    press = setTimeout(() => note(head.title), 500);
  });
  for (const type of ['pointerup', 'pointercancel', 'pointerleave']) {
    view().addEventListener(type, () => clearTimeout(press));
  }

  return { clear, rebuild, repaint };
})();
