// The analysis picture: a title naming the game, then the final position with
// numbered stones on the left and the evaluation curve (Black's view) on the
// right, each flag kind with a mark of its own.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/EngineState.h"
#include "tools/quenvik/Analysis.h"

namespace quenvik::tool {

namespace {

constexpr int kTitleHeight = 58;
constexpr int kCell = 32;
constexpr int kMargin = 44;
constexpr int kStoneRadius = 14;
constexpr int kLabelGap = 6;  // between a coordinate label and the nearest stone's edge
constexpr int kMarkRadius = 18;
constexpr int kMarkStep = 5;  // a second kind's mark on the same stone is this much larger
constexpr int kCurveMarkRadius = 5;
constexpr int kCurveMarkStep = 13;
constexpr int kChartWidth = 560;
constexpr int kChartMinHeight = 300;
constexpr int kChartPad = 50;
constexpr int kLegendHeight = 24;
constexpr int kMaxPlyTicks = 12;
constexpr int kTickSteps[] = {1, 2, 5, 10, 20, 25, 50, 100};
// Evaluations run from tens to a decided +-20000: the curve's height grows
// with the logarithm, so both the quiet middle game and the wins show.
constexpr double kChartTop = 4.30103;  // log10(20000)

// Each flag kind: its colour and the shape of its mark, on the board around
// the stone and on the curve at the ply.
enum class Shape { Triangle, Square, Diamond, Circle };
struct FlagStyle {
  const char* kind;
  const char* colour;
  Shape shape;
};
constexpr FlagStyle kFlagStyles[] = {
    {"win", "#2ca02c", Shape::Triangle},
    {"forbidden", "#9467bd", Shape::Square},
    {"missed-win", "#ff7f0e", Shape::Diamond},
    {"blunder", "#d62728", Shape::Circle},
};

int boardPixels(int size) { return 2 * kMargin + (size - 1) * kCell; }

int cellCentre(int index) { return kMargin + index * kCell; }

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool hasFlag(const PlyReport& report, const char* kind) {
  return std::find(report.flags.begin(), report.flags.end(), kind) != report.flags.end();
}

// A mark of the given shape centred on (cx, cy), r its half size.
void drawMark(std::ostringstream& svg, const FlagStyle& style, const char* role, int cx, int cy, int r, bool filled) {
  const std::string paint = filled ? std::string("fill=\"") + style.colour + "\" stroke=\"#fff\" stroke-width=\"1\""
                                   : std::string("fill=\"none\" stroke=\"") + style.colour + "\" stroke-width=\"3\"";
  svg << "<";
  switch (style.shape) {
    case Shape::Circle:
      svg << "circle cx=\"" << cx << "\" cy=\"" << cy << "\" r=\"" << r << "\"";
      break;
    case Shape::Square:
      svg << "rect x=\"" << cx - r << "\" y=\"" << cy - r << "\" width=\"" << 2 * r << "\" height=\"" << 2 * r << "\"";
      break;
    case Shape::Diamond:
      svg << "polygon points=\"" << cx << "," << cy - r - 3 << " " << cx + r + 3 << "," << cy << " " << cx << ","
          << cy + r + 3 << " " << cx - r - 3 << "," << cy << "\"";
      break;
    case Shape::Triangle:
      svg << "polygon points=\"" << cx << "," << cy - r - 5 << " " << cx + r + 3 << "," << cy + r - 1 << " "
          << cx - r - 3 << "," << cy + r - 1 << "\"";
      break;
  }
  svg << " class=\"" << role << " flag-" << style.kind << "\" " << paint << "/>\n";
}

void drawTitle(std::ostringstream& svg, const Analysis& analysis, int width) {
  const GameSource& source = analysis.source;
  const std::string game = source.file.empty() ? std::string("moves given on the command line")
                                               : source.file + ", game " + std::to_string(source.index);
  const std::string black = source.black.empty() ? std::string("?") : source.black;
  const std::string white = source.white.empty() ? std::string("?") : source.white;
  std::string facts = "Black " + black + ", White " + white + "; " + std::string(ruleName(analysis.game.rule)) + " " +
                      std::to_string(analysis.game.size) + "x" + std::to_string(analysis.game.size) + "; ";
  facts +=
      source.result.empty() ? outcomeText(analysis) : "result " + source.result + " (" + outcomeText(analysis) + ")";
  svg << "<rect x=\"0\" y=\"0\" width=\"" << width << "\" height=\"" << kTitleHeight << "\" fill=\"#f4f4f4\"/>\n";
  svg << "<text class=\"title\" x=\"12\" y=\"24\" font-size=\"17\" font-weight=\"bold\">" << escaped(game)
      << "</text>\n";
  svg << "<text class=\"subtitle\" x=\"12\" y=\"46\" font-size=\"13\">" << escaped(facts) << "</text>\n";
}

void drawBoard(std::ostringstream& svg, const Analysis& analysis) {
  const int n = analysis.game.size;
  const int side = boardPixels(n);
  svg << "<rect x=\"0\" y=\"0\" width=\"" << side << "\" height=\"" << side << "\" fill=\"#e8c27a\"/>\n";
  for (int i = 0; i < n; ++i) {
    const int at = cellCentre(i);
    svg << "<line class=\"grid\" x1=\"" << kMargin << "\" y1=\"" << at << "\" x2=\"" << cellCentre(n - 1) << "\" y2=\""
        << at << "\" stroke=\"#333\" stroke-width=\"1\"/>\n";
    svg << "<line class=\"grid\" x1=\"" << at << "\" y1=\"" << kMargin << "\" x2=\"" << at << "\" y2=\""
        << cellCentre(n - 1) << "\" stroke=\"#333\" stroke-width=\"1\"/>\n";
    // Columns are letters (x from a), rows numbers (y from 1), top left first;
    // each label ends short of the first stone's edge.
    svg << "<text class=\"column-label\" x=\"" << at << "\" y=\"" << kMargin - kStoneRadius - kLabelGap
        << "\" font-size=\"13\" text-anchor=\"middle\">" << static_cast<char>('a' + i) << "</text>\n";
    svg << "<text class=\"row-label\" x=\"" << kMargin - kStoneRadius - kLabelGap << "\" y=\"" << at + 5
        << "\" font-size=\"13\" text-anchor=\"end\">" << i + 1 << "</text>\n";
  }
  for (const PlyReport& report : analysis.plies) {
    const int cx = cellCentre(report.played.first);
    const int cy = cellCentre(report.played.second);
    // Several kinds on one move: each mark a size larger than the one before.
    int shown = 0;
    for (const FlagStyle& style : kFlagStyles) {
      if (hasFlag(report, style.kind)) drawMark(svg, style, "flag", cx, cy, kMarkRadius + kMarkStep * shown++, false);
    }
    svg << "<circle class=\"stone\" cx=\"" << cx << "\" cy=\"" << cy << "\" r=\"" << kStoneRadius << "\" fill=\""
        << (report.black ? "#111" : "#fafafa") << "\" stroke=\"#111\" stroke-width=\"1\"/>\n";
    svg << "<text x=\"" << cx << "\" y=\"" << cy + 4 << "\" font-size=\"" << (report.ply >= 100 ? 10 : 12)
        << "\" text-anchor=\"middle\" fill=\"" << (report.black ? "#fff" : "#111") << "\">" << report.ply
        << "</text>\n";
  }
}

// Black's view of the evaluation after each move.
int blackView(const PlyReport& report) { return report.black ? report.after : -report.after; }

int tickStep(int plies) {
  for (const int step : kTickSteps) {
    if (plies / step <= kMaxPlyTicks) return step;
  }
  return kTickSteps[std::size(kTickSteps) - 1];
}

void drawLegend(std::ostringstream& svg, int left, int baseline) {
  int x = left;
  for (const FlagStyle& style : kFlagStyles) {
    drawMark(svg, style, "legend-mark", x + 5, baseline - 4, 5, true);
    svg << "<text class=\"legend\" x=\"" << x + 16 << "\" y=\"" << baseline << "\" font-size=\"12\">" << style.kind
        << "</text>\n";
    x += 22 + 8 * static_cast<int>(std::string(style.kind).size()) + 18;
  }
}

void drawChart(std::ostringstream& svg, const Analysis& analysis, int left, int height) {
  const int plotLeft = left + kChartPad;
  const int plotRight = left + kChartWidth - kChartPad / 2;
  const int plotTop = kChartPad / 2 + 10;
  const int plotBottom = height - kChartPad - kLegendHeight;
  const int middle = (plotTop + plotBottom) / 2;
  const int plies = std::max<int>(1, static_cast<int>(analysis.game.moves.size()));
  const auto xOf = [&](int ply) { return plotLeft + (plotRight - plotLeft) * ply / plies; };
  const auto yOf = [&](int value) {
    const double magnitude = std::min(std::log10(1.0 + std::abs(value)), kChartTop) / kChartTop;
    return middle - static_cast<int>(std::lround((middle - plotTop) * (value < 0 ? -magnitude : magnitude)));
  };

  svg << "<rect x=\"" << left << "\" y=\"0\" width=\"" << kChartWidth << "\" height=\"" << height
      << "\" fill=\"#fff\"/>\n";
  svg << "<text x=\"" << (plotLeft + plotRight) / 2 << "\" y=\"" << plotTop - 12
      << "\" font-size=\"14\" text-anchor=\"middle\">evaluation after each move (Black's view)</text>\n";
  svg << "<rect x=\"" << plotLeft << "\" y=\"" << plotTop << "\" width=\"" << plotRight - plotLeft << "\" height=\""
      << plotBottom - plotTop << "\" fill=\"none\" stroke=\"#999\"/>\n";
  svg << "<line x1=\"" << plotLeft << "\" y1=\"" << middle << "\" x2=\"" << plotRight << "\" y2=\"" << middle
      << "\" stroke=\"#999\" stroke-dasharray=\"4 3\"/>\n";
  const int labels[] = {kWinScore, 1000, 100, 10, 0, -10, -100, -1000, -kWinScore};
  for (const int value : labels) {
    svg << "<line x1=\"" << plotLeft << "\" y1=\"" << yOf(value) << "\" x2=\"" << plotRight << "\" y2=\"" << yOf(value)
        << "\" stroke=\"#eee\"/>\n";
    svg << "<text x=\"" << plotLeft - 6 << "\" y=\"" << yOf(value) + 4 << "\" font-size=\"11\" text-anchor=\"end\">"
        << (value > 0 ? "+" : "") << value << "</text>\n";
  }
  const int step = tickStep(plies);
  for (int ply = 0; ply <= plies; ply += step) {
    svg << "<line class=\"ply-tick\" x1=\"" << xOf(ply) << "\" y1=\"" << plotBottom << "\" x2=\"" << xOf(ply)
        << "\" y2=\"" << plotBottom + 5 << "\" stroke=\"#666\"/>\n";
    svg << "<text x=\"" << xOf(ply) << "\" y=\"" << plotBottom + 17 << "\" font-size=\"11\" text-anchor=\"middle\">"
        << ply << "</text>\n";
  }
  svg << "<text x=\"" << (plotLeft + plotRight) / 2 << "\" y=\"" << plotBottom + 33
      << "\" font-size=\"11\" text-anchor=\"middle\">ply</text>\n";

  svg << "<polyline class=\"curve\" fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"2\" points=\"" << xOf(0) << ","
      << yOf(0);
  for (const PlyReport& report : analysis.plies) svg << " " << xOf(report.ply) << "," << yOf(blackView(report));
  svg << "\"/>\n";
  // Several kinds on one ply: the marks stand one above the other.
  for (const PlyReport& report : analysis.plies) {
    int shown = 0;
    for (const FlagStyle& style : kFlagStyles) {
      if (hasFlag(report, style.kind))
        drawMark(svg, style, "flagged-ply", xOf(report.ply), yOf(blackView(report)) - kCurveMarkStep * shown++,
                 kCurveMarkRadius, true);
    }
  }
  drawLegend(svg, plotLeft, height - 14);
}

}  // namespace

std::string outcomeText(const Analysis& analysis) {
  const std::size_t moves = analysis.game.moves.size();
  if (!analysis.plies.empty()) {
    const PlyReport& last = analysis.plies.back();
    if (hasFlag(last, "win"))
      return std::string(last.black ? "Black" : "White") + "'s five at ply " + std::to_string(last.ply);
    if (last.ply == analysis.game.size * analysis.game.size) return "a full board, drawn";
  }
  if (!analysis.complete) return "analysis stopped after ply " + std::to_string(analysis.plies.size());
  return "no five in " + std::to_string(moves) + (moves == 1 ? " move" : " moves");
}

std::string analysisSvg(const Analysis& analysis) {
  const int board = boardPixels(analysis.game.size);
  const int body = std::max(board, kChartMinHeight);
  const int height = kTitleHeight + body;
  const int width = board + kChartWidth;
  std::ostringstream svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << width << " " << height << "\" font-family=\"sans-serif\">\n";
  svg << "<rect width=\"" << width << "\" height=\"" << height << "\" fill=\"#fff\"/>\n";
  drawTitle(svg, analysis, width);
  svg << "<g transform=\"translate(0," << kTitleHeight << ")\">\n";
  drawBoard(svg, analysis);
  drawChart(svg, analysis, board, body);
  svg << "</g>\n</svg>\n";
  return svg.str();
}

}  // namespace quenvik::tool
