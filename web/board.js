// The board as an SVG drawing in board units (one unit between two lines).
// Every point has an invisible target carrying data-cell="x,y", which the
// clicks (and the browser tests) use; stones and marks carry the same.

import { BLACK, WHITE, cellName } from './game.js';

const SVG = 'http://www.w3.org/2000/svg';
const MARGIN = 1.15; // room for the coordinates around the grid

function element(name, attributes = {}, parent = null) {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, String(value));
  if (parent) parent.appendChild(node);
  return node;
}

// The usual star points: the centre, and four points three lines in from the
// edges on the larger boards.
function starPoints(size) {
  const centre = (size - 1) / 2;
  const points = Number.isInteger(centre) ? [[centre, centre]] : [];
  if (size >= 13) {
    const near = 3;
    const far = size - 4;
    points.push([near, near], [near, far], [far, near], [far, far]);
  }
  return points;
}

export class BoardView {
  constructor(svg, { onPoint, onHover }) {
    this.svg = svg;
    this.onPoint = onPoint;
    this.onHover = onHover;
    this.size = 0;
    svg.addEventListener('click', (event) => {
      const target = event.target.closest('[data-cell]');
      if (!target) return;
      const [x, y] = target.dataset.cell.split(',').map(Number);
      this.onPoint(x, y);
    });
    svg.addEventListener('pointerover', (event) => {
      const target = event.target.closest('.hit');
      if (target) this.onHover(target.dataset.cell.split(',').map(Number));
    });
    svg.addEventListener('pointerleave', () => this.onHover(null));
  }

  // Rebuilds the grid when the size changes; the layers above it are redrawn
  // on every render.
  setSize(size) {
    if (size === this.size) return;
    this.size = size;
    const svg = this.svg;
    svg.replaceChildren();
    const span = size - 1;
    svg.setAttribute('viewBox', `${-MARGIN} ${-MARGIN} ${span + 2 * MARGIN} ${span + 2 * MARGIN}`);
    svg.setAttribute('aria-label', `${size} by ${size} board`);
    const defs = element('defs', {}, svg);
    const gradients = {
      black: ['#5a5a5a', '#111'],
      white: ['#ffffff', '#cfcfcf'],
    };
    for (const [name, [light, dark]] of Object.entries(gradients)) {
      const gradient = element('radialGradient', { id: `stone-${name}`, cx: '35%', cy: '30%', r: '75%' }, defs);
      element('stop', { offset: '0%', 'stop-color': light }, gradient);
      element('stop', { offset: '100%', 'stop-color': dark }, gradient);
    }
    element('rect', { class: 'wood', x: -MARGIN, y: -MARGIN, width: span + 2 * MARGIN, height: span + 2 * MARGIN, rx: 0.3 }, svg);
    const grid = element('g', { class: 'grid' }, svg);
    for (let i = 0; i < size; i += 1) {
      element('line', { x1: 0, y1: i, x2: span, y2: i }, grid);
      element('line', { x1: i, y1: 0, x2: i, y2: span }, grid);
    }
    element('rect', { class: 'edge', x: 0, y: 0, width: span, height: span }, grid);
    for (const [x, y] of starPoints(size)) element('circle', { class: 'star', cx: x, cy: y, r: 0.1 }, grid);
    const labels = element('g', { class: 'labels' }, svg);
    for (let i = 0; i < size; i += 1) {
      const letter = String.fromCharCode(97 + i);
      for (const y of [-0.72, span + 0.72]) element('text', { x: i, y, 'dominant-baseline': 'central' }, labels).textContent = letter;
      for (const x of [-0.72, span + 0.72]) element('text', { x, y: i, 'dominant-baseline': 'central' }, labels).textContent = String(i + 1);
    }
    this.layers = {};
    for (const name of ['analysis', 'stones', 'marks', 'preview', 'hits']) {
      this.layers[name] = element('g', { class: `layer-${name}` }, svg);
    }
    for (let y = 0; y < size; y += 1) {
      for (let x = 0; x < size; x += 1) {
        const hit = element('rect', { class: 'hit', x: x - 0.5, y: y - 0.5, width: 1, height: 1, 'data-cell': `${x},${y}` }, this.layers.hits);
        element('title', {}, hit).textContent = cellName(x, y);
      }
    }
  }

  // view: { game, result, forbidden, hint, analysis, liveBest, preview, showNumbers }
  render(view) {
    const { game } = view;
    this.setSize(game.size);
    const { stones, marks, analysis, preview } = this.layers;
    stones.replaceChildren();
    marks.replaceChildren();
    analysis.replaceChildren();
    preview.replaceChildren();

    const last = game.lastMove();
    game.moves.forEach(([x, y], i) => {
      const colour = game.stoneAt(x, y) === BLACK ? 'black' : 'white';
      const group = element('g', { class: `stone ${colour}`, 'data-cell': `${x},${y}`, 'data-move': i + 1 }, stones);
      element('circle', { cx: x, cy: y, r: 0.46, fill: `url(#stone-${colour})` }, group);
      if (view.showNumbers) {
        element('text', { class: 'number', x, y, 'dominant-baseline': 'central' }, group).textContent = String(i + 1);
      }
    });
    // A dot on the last stone, or a ring around it when a dot would hide its number.
    if (last) {
      const ring = Boolean(view.showNumbers);
      element('circle', { class: `last-move${ring ? ' ring' : ''}`, 'data-cell': last.join(','), cx: last[0], cy: last[1], r: ring ? 0.5 : 0.14 }, marks);
    }

    if (view.result?.cells?.length) {
      const cells = [...view.result.cells].sort((a, b) => a[0] - b[0] || a[1] - b[1]);
      const [first, end] = [cells[0], cells[cells.length - 1]];
      element('line', { class: 'five-line', x1: first[0], y1: first[1], x2: end[0], y2: end[1] }, marks);
      for (const [x, y] of cells) element('circle', { class: 'five', 'data-cell': `${x},${y}`, cx: x, cy: y, r: 0.48 }, marks);
    }

    for (const [x, y] of view.forbidden ?? []) {
      const group = element('g', { class: 'forbidden', 'data-cell': `${x},${y}` }, marks);
      element('title', {}, group).textContent = `${cellName(x, y)}: forbidden to Black`;
      element('line', { x1: x - 0.2, y1: y - 0.2, x2: x + 0.2, y2: y + 0.2 }, group);
      element('line', { x1: x - 0.2, y1: y + 0.2, x2: x + 0.2, y2: y - 0.2 }, group);
    }

    // The analysed moves: the best one strongest, each with its win rate.
    (view.analysis ?? []).forEach((line, rank) => {
      if (!line.move || !game.isEmpty(line.move[0], line.move[1])) return;
      const [x, y] = line.move;
      const group = element('g', { class: `candidate${rank === 0 ? ' best' : ''}`, 'data-cell': `${x},${y}`, 'data-rank': rank + 1 }, analysis);
      element('circle', { cx: x, cy: y, r: 0.44 }, group);
      element('text', { x, y, 'dominant-baseline': 'central' }, group).textContent = line.label;
    });

    if (view.liveBest && game.isEmpty(view.liveBest[0], view.liveBest[1])) {
      const [x, y] = view.liveBest;
      element('circle', { class: 'live-best', 'data-cell': `${x},${y}`, cx: x, cy: y, r: 0.3 }, marks);
    }
    if (view.hint && game.isEmpty(view.hint[0], view.hint[1])) {
      const [x, y] = view.hint;
      element('circle', { class: 'hint', 'data-cell': `${x},${y}`, cx: x, cy: y, r: 0.4 }, marks);
    }
    if (view.preview && game.isEmpty(view.preview[0], view.preview[1])) {
      const [x, y] = view.preview;
      const colour = game.toMove() === WHITE ? 'white' : 'black';
      element('circle', { class: `ghost ${colour}`, cx: x, cy: y, r: 0.44 }, preview);
    }
    this.svg.classList.toggle('accepting', Boolean(view.accepting));
  }
}
