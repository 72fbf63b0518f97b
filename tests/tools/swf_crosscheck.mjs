// node swf_crosscheck.mjs PARSER_DIR SAMPLES_DIR
// Reads every sample movie with the swf-parser package and compares what it
// finds with the player's own reading stored next to it (*.json).
import { createRequire } from "node:module";
import fs from "node:fs";
import path from "node:path";

const [parserDir, samplesDir] = process.argv.slice(2);
const require = createRequire(path.resolve(parserDir, "package.json"));
const { parseSwf } = await import(require.resolve("swf-parser"));
const { TagType, FillStyleType, ShapeRecordType } = await import(require.resolve("swf-types"));

const color = (c) => `${c.r},${c.g},${c.b},${c.a ?? 255}`;
const matrix = (m) =>
  `[${m.scaleX.epsilons},${m.rotateSkew0.epsilons},${m.rotateSkew1.epsilons},${m.scaleY.epsilons},${m.translateX},${m.translateY}]`;

function fill(f) {
  switch (f.type) {
    case FillStyleType.Solid: return `solid:${color(f.color)}`;
    case FillStyleType.LinearGradient:
    case FillStyleType.RadialGradient:
    case FillStyleType.FocalGradient: {
      const kind = f.type === FillStyleType.LinearGradient ? "linear" : "radial";
      return [`${kind}:${matrix(f.matrix)}`, ...f.gradient.colors.map((s) => `${s.ratio}/${color(s.color)}`)].join(":");
    }
    case FillStyleType.Bitmap:
      return `bitmap:${matrix(f.matrix)}:${f.bitmapId}:${f.repeating ? "r" : "c"}${f.smoothed ? "s" : "n"}`;
  }
  return "?";
}

function shape(tag) {
  const fills = [], lines = [], edges = [];
  const addStyles = (styles) => {
    const base = { fill: fills.length, line: lines.length };
    styles.fill.forEach((f) => fills.push(fill(f)));
    styles.line.forEach((l) => lines.push(`${l.width}:${color(l.fill.color)}`));
    return base;
  };
  let base = addStyles(tag.shape.initialStyles);
  let x = 0, y = 0, f0 = 0, f1 = 0, ln = 0;
  const pick = (raw, b) => (raw ? raw + b : 0);
  for (const r of tag.shape.records) {
    if (r.type === ShapeRecordType.StyleChange) {
      if (r.newStyles) { base = addStyles(r.newStyles); f0 = f1 = ln = 0; }
      if (r.moveTo) { x = r.moveTo.x; y = r.moveTo.y; }
      if (r.leftFill !== undefined) f0 = pick(r.leftFill, base.fill);
      if (r.rightFill !== undefined) f1 = pick(r.rightFill, base.fill);
      if (r.lineStyle !== undefined) ln = pick(r.lineStyle, base.line);
      continue;
    }
    let text = `${x},${y}`;
    if (r.controlDelta) text += `~${x + r.controlDelta.x},${y + r.controlDelta.y}`;
    x += r.delta.x; y += r.delta.y;
    if (f0 || f1 || ln) edges.push(`${text}>${x},${y} ${f0}/${f1}/${ln}`);
  }
  const b = tag.bounds;
  return { kind: "shape", bounds: [b.xMin, b.xMax, b.yMin, b.yMax], fills, lines, edges };
}

function timeline(tags, characters) {
  const frames = [];
  let pending = [];
  for (const t of tags) {
    switch (t.type) {
      case TagType.ShowFrame: frames.push(pending); pending = []; break;
      case TagType.RemoveObject: pending.push(`remove:${t.depth}`); break;
      case TagType.PlaceObject: {
        const cx = t.colorTransform;
        const cxText = cx
          ? [cx.redMult, cx.greenMult, cx.blueMult, cx.alphaMult].map((m) => m.epsilons).join(",") + "," +
            [cx.redAdd, cx.greenAdd, cx.blueAdd, cx.alphaAdd].join(",")
          : "-";
        pending.push(`${t.isUpdate ? "move" : "place"}:${t.depth}:${t.characterId ?? "-"}:` +
          `${t.matrix ? matrix(t.matrix) : "-"}:${cxText}:${t.clipDepth ?? "-"}`);
        break;
      }
      case TagType.DefineShape: characters[t.id] = shape(t); break;
      case TagType.DefineBitmap: characters[t.id] = { kind: "bitmap", width: t.width, height: t.height }; break;
      case TagType.DefineSprite: characters[t.id] = { kind: "sprite", frames: timeline(t.tags, characters) }; break;
    }
  }
  return frames;
}

let failures = 0, checked = 0;
for (const name of fs.readdirSync(samplesDir).filter((n) => n.endsWith(".swf")).sort()) {
  const movie = parseSwf(fs.readFileSync(path.join(samplesDir, name)));
  const characters = {};
  const background = movie.tags.find((t) => t.type === TagType.SetBackgroundColor)?.color;
  const frames = timeline(movie.tags, characters);
  const h = movie.header;
  const theirs = {
    version: h.swfVersion, frameRate: h.frameRate.epsilons / 256, frameCount: h.frameCount,
    frameSize: [h.frameSize.xMin, h.frameSize.xMax, h.frameSize.yMin, h.frameSize.yMax],
    background: background ? [background.r, background.g, background.b] : [255, 255, 255],
    characters, frames,
  };
  const ours = JSON.parse(fs.readFileSync(path.join(samplesDir, name.replace(/\.swf$/, ".json")), "utf8"));
  for (const key of Object.keys(ours)) {
    const a = JSON.stringify(ours[key]), b = JSON.stringify(theirs[key]);
    if (a !== b) { failures++; console.log(`${name}: ${key} differs\n  player:      ${a}\n  swf-parser:  ${b}`); }
  }
  checked++;
}
console.log(`${checked} movies checked, ${failures} differences`);
process.exit(checked > 0 && failures === 0 ? 0 : 1);
