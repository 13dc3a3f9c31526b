// The game as the page keeps it: board size, rule and the moves in playing
// order, with the notations players use (h8, the --pos string "h8i9j7", SGF)
// and the link that reopens a position. Nothing here knows about the engine
// beyond the protocol's block of stones.

export const MIN_SIZE = 5;
export const MAX_SIZE = 20;
export const DEFAULT_SIZE = 15;

export const BLACK = 1;
export const WHITE = 2;

// The protocol's rule numbers (INFO rule) and SGF's RU, which agree here.
export const RULES = {
  freestyle: { code: 0, name: 'Free-style', blurb: 'five or more in a row wins' },
  exact: { code: 1, name: 'Exact five', blurb: 'exactly five in a row wins' },
  renju: { code: 4, name: 'Renju', blurb: 'Black may not make 3×3, 4×4 or an overline' },
};

export function ruleOfCode(code) {
  return Object.keys(RULES).find((name) => RULES[name].code === Number(code)) ?? null;
}

export function colourName(colour) {
  return colour === BLACK ? 'Black' : 'White';
}

export function colourOfMove(index) {
  return index % 2 === 0 ? BLACK : WHITE;
}

// Column letters from a (x = 0), row numbers from 1 (y = 0) at the top: the
// notation of `quenvik play` and of the --pos option.
export function cellName(x, y) {
  return String.fromCharCode(97 + x) + String(y + 1);
}

export class Game {
  constructor(size = DEFAULT_SIZE, rule = 'freestyle', moves = []) {
    this.size = size;
    this.rule = rule;
    this.moves = [];
    this.cells = new Uint8Array(MAX_SIZE * MAX_SIZE);
    for (const [x, y] of moves) this.play(x, y);
  }

  stoneAt(x, y) {
    return this.cells[y * MAX_SIZE + x];
  }

  onBoard(x, y) {
    return Number.isInteger(x) && Number.isInteger(y) && x >= 0 && y >= 0 && x < this.size && y < this.size;
  }

  isEmpty(x, y) {
    return this.onBoard(x, y) && this.stoneAt(x, y) === 0;
  }

  toMove() {
    return colourOfMove(this.moves.length);
  }

  lastMove() {
    return this.moves.length ? this.moves[this.moves.length - 1] : null;
  }

  isFull() {
    return this.moves.length >= this.size * this.size;
  }

  play(x, y) {
    if (!this.isEmpty(x, y)) throw new Error(`${cellName(x, y)} is not an empty point of the board`);
    this.cells[y * MAX_SIZE + x] = this.toMove();
    this.moves.push([x, y]);
  }

  undo() {
    const move = this.moves.pop();
    if (move) this.cells[move[1] * MAX_SIZE + move[0]] = 0;
    return move;
  }

  // The five the last move made, as { colour, cells }, or null. The rule
  // decides what a longer row is worth: free-style counts it, exact five
  // does not, Renju counts it for White only.
  five() {
    const last = this.lastMove();
    if (!last) return null;
    const [x, y] = last;
    const colour = this.stoneAt(x, y);
    const overlineWins = this.rule === 'freestyle' || (this.rule === 'renju' && colour === WHITE);
    for (const [dx, dy] of [[1, 0], [0, 1], [1, 1], [1, -1]]) {
      const cells = [[x, y]];
      for (const sign of [1, -1]) {
        let cx = x + sign * dx;
        let cy = y + sign * dy;
        while (this.onBoard(cx, cy) && this.stoneAt(cx, cy) === colour) {
          cells.push([cx, cy]);
          cx += sign * dx;
          cy += sign * dy;
        }
      }
      if (cells.length === 5 || (cells.length > 5 && overlineWins)) return { colour, cells };
    }
    return null;
  }

  // The game's end after its last move: { winner, cells } for a five,
  // { winner: 0 } for a full board, null while it goes on.
  result() {
    const five = this.five();
    if (five) return { winner: five.colour, cells: five.cells };
    if (this.isFull()) return { winner: 0, cells: [] };
    return null;
  }

  // The protocol's BOARD / YXBOARD stone lines, in playing order: owner 1
  // for the side to move, 2 for the other.
  blockLines() {
    const toMove = this.toMove();
    return this.moves.map(([x, y], i) => `${x},${y},${colourOfMove(i) === toMove ? 1 : 2}`);
  }
}

// ---------------------------------------------------------------------------
// Notations
// ---------------------------------------------------------------------------

export function movesToPos(moves) {
  return moves.map(([x, y]) => cellName(x, y)).join('');
}

// "h8i9j7" (spaces allowed between moves).
export function posToMoves(text) {
  const compact = text.replace(/\s+/g, '').toLowerCase();
  const moves = [];
  const pattern = /([a-t])(\d{1,2})/y;
  while (pattern.lastIndex < compact.length) {
    const at = pattern.lastIndex;
    const match = pattern.exec(compact);
    if (!match) throw new Error(`cannot read a move at "${compact.slice(at, at + 6)}"`);
    const y = Number(match[2]) - 1;
    if (y < 0) throw new Error(`row 0 in "${match[0]}": rows count from 1`);
    moves.push([match[1].charCodeAt(0) - 97, y]);
  }
  return moves;
}

const sgfLetter = (v) => String.fromCharCode(97 + v);

export function toSgf(game, { black = 'Black', white = 'White' } = {}) {
  const result = game.result();
  let outcome = '';
  if (result) outcome = result.winner === BLACK ? 'B+1' : result.winner === WHITE ? 'W+1' : '0';
  const escape = (text) => text.replace(/[\]\\]/g, (c) => '\\' + c);
  let sgf = `(;FF[4]GM[4]CA[UTF-8]AP[Quenvik web]SZ[${game.size}]RU[${RULES[game.rule].code}]`;
  sgf += `PB[${escape(black)}]PW[${escape(white)}]`;
  if (outcome) sgf += `RE[${outcome}]`;
  game.moves.forEach(([x, y], i) => {
    sgf += `${i % 2 === 0 ? '\n' : ''};${colourOfMove(i) === BLACK ? 'B' : 'W'}[${sgfLetter(x)}${sgfLetter(y)}]`;
  });
  return sgf + ')\n';
}

// The first game of an SGF text: { size, rule, moves }. Comments and other
// properties are skipped; a variation follows its first branch.
export function parseSgf(text) {
  const start = text.indexOf('(;');
  if (start < 0) throw new Error('no SGF game, "(;" is missing');
  let size = 15;
  let rule = null;
  const moves = [];
  let depth = 0;
  let i = start;
  let finishedBranch = false;
  while (i < text.length) {
    const c = text[i];
    if (c === '(') {
      if (finishedBranch) break;
      depth += 1;
      i += 1;
    } else if (c === ')') {
      depth -= 1;
      i += 1;
      finishedBranch = true; // the first branch is over: later ones are variations
      if (depth <= 0) break;
    } else if (/[A-Z]/.test(c)) {
      let name = '';
      while (i < text.length && /[A-Za-z]/.test(text[i])) name += text[i++];
      const values = [];
      while (true) {
        while (i < text.length && /\s/.test(text[i])) i += 1;
        if (text[i] !== '[') break;
        let value = '';
        i += 1;
        while (i < text.length && text[i] !== ']') {
          if (text[i] === '\\') i += 1;
          value += text[i++];
        }
        i += 1;
        values.push(value);
      }
      if (finishedBranch) continue;
      if (name === 'SZ') {
        size = Number(values[0].split(':')[0]);
      } else if (name === 'RU') {
        rule = ruleOfCode(values[0]);
      } else if (name === 'B' || name === 'W') {
        const value = values[0] ?? '';
        if (value.length !== 2) throw new Error(`move ${moves.length + 1}: cannot read ${name}[${value}]`);
        const expected = moves.length % 2 === 0 ? 'B' : 'W';
        if (name !== expected) throw new Error(`move ${moves.length + 1}: ${name} plays out of turn`);
        moves.push([value.charCodeAt(0) - 97, value.charCodeAt(1) - 97]);
      }
    } else {
      i += 1;
    }
  }
  if (!Number.isInteger(size) || size < MIN_SIZE || size > MAX_SIZE) throw new Error(`board size ${size} is not 5 to 20`);
  return { size, rule, moves };
}

// A pasted or loaded game: SGF, a .psq file (x,y counted from 1), a list of
// "x,y" moves counted from 0, or the --pos notation.
export function parseGameText(text, fallbackSize = DEFAULT_SIZE) {
  const trimmed = text.trim();
  if (trimmed.startsWith('(;') || trimmed.startsWith('(\n;') || /^\(\s*;/.test(trimmed)) return parseSgf(trimmed);
  const psq = /^Piskvorky (\d+)x(\d+)/.exec(trimmed);
  if (psq) {
    const moves = [];
    for (const line of trimmed.split(/\r?\n/).slice(1)) {
      const fields = line.split(',');
      if (fields.length < 2) break;
      moves.push([Number(fields[0]) - 1, Number(fields[1]) - 1]);
    }
    return { size: Number(psq[1]), rule: null, moves };
  }
  if (/^-?\d+\s*,\s*-?\d+/.test(trimmed)) {
    const moves = trimmed.split(/[\s;]+/).filter(Boolean).map((word) => {
      const match = /^(-?\d+),(-?\d+)$/.exec(word);
      if (!match) throw new Error(`cannot read the move "${word}" (x,y counted from 0)`);
      return [Number(match[1]), Number(match[2])];
    });
    return { size: fallbackSize, rule: null, moves };
  }
  return { size: fallbackSize, rule: null, moves: posToMoves(trimmed) };
}

// Plays `moves` on a new game, refusing what the board cannot hold.
export function gameFrom(size, rule, moves) {
  const game = new Game(size, rule);
  moves.forEach(([x, y], i) => {
    if (!game.onBoard(x, y)) throw new Error(`move ${i + 1} (${x},${y}) is off the ${size}×${size} board`);
    if (!game.isEmpty(x, y)) throw new Error(`move ${i + 1} (${cellName(x, y)}) is on a taken point`);
    if (game.result()) throw new Error(`move ${i + 1} comes after the game was decided`);
    game.play(x, y);
  });
  return game;
}

// ---------------------------------------------------------------------------
// The page's address: #size=15&rule=renju&engine=white&pos=h8i9j7
// ---------------------------------------------------------------------------

export function encodeLink({ size, rule, engine, moves }) {
  const params = new URLSearchParams();
  params.set('size', String(size));
  params.set('rule', rule);
  params.set('engine', engine);
  params.set('pos', movesToPos(moves));
  return '#' + params.toString();
}

export function decodeLink(hash) {
  const params = new URLSearchParams(hash.replace(/^#/, ''));
  const link = {};
  if (params.has('size')) {
    const size = Number(params.get('size'));
    if (Number.isInteger(size) && size >= MIN_SIZE && size <= MAX_SIZE) link.size = size;
  }
  if (RULES[params.get('rule')]) link.rule = params.get('rule');
  if (['black', 'white', 'none'].includes(params.get('engine'))) link.engine = params.get('engine');
  if (params.has('pos')) link.moves = posToMoves(params.get('pos'));
  return link;
}
