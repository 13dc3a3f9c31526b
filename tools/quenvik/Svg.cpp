// The analysis picture: the final position with numbered stones on the
// left, the evaluation curve (Black's view) on the right.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "core/EngineState.h"
#include "tools/quenvik/Analysis.h"

namespace quenvik::tool {

namespace {

constexpr int kCell = 32;
constexpr int kMargin = 40;
constexpr int kStoneRadius = 14;
constexpr int kMarkRadius = 17;
constexpr int kChartWidth = 520;
constexpr int kChartMinHeight = 260;
constexpr int kChartPad = 50;
// Evaluations run from tens to a decided +-20000: the curve's height grows
// with the logarithm, so both the quiet middle game and the wins show.
constexpr double kChartTop = 4.30103;  // log10(20000)
constexpr const char* kFlagColour = "#d62728";

int boardPixels(int size) { return 2 * kMargin + (size - 1) * kCell; }

int cellCentre(int index) { return kMargin + index * kCell; }

bool flagged(const PlyReport& report) { return !report.flags.empty(); }

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
    // Columns are letters (x from a), rows numbers (y from 1), top left first.
    svg << "<text x=\"" << at << "\" y=\"" << kMargin - 20 << "\" font-size=\"13\" text-anchor=\"middle\">"
        << static_cast<char>('a' + i) << "</text>\n";
    svg << "<text x=\"" << kMargin - 22 << "\" y=\"" << at + 5 << "\" font-size=\"13\" text-anchor=\"middle\">" << i + 1
        << "</text>\n";
  }
  for (const PlyReport& report : analysis.plies) {
    const int cx = cellCentre(report.played.first);
    const int cy = cellCentre(report.played.second);
    if (flagged(report)) {
      svg << "<circle class=\"flag\" cx=\"" << cx << "\" cy=\"" << cy << "\" r=\"" << kMarkRadius
          << "\" fill=\"none\" stroke=\"" << kFlagColour << "\" stroke-width=\"3\"/>\n";
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

void drawChart(std::ostringstream& svg, const Analysis& analysis, int left, int height) {
  const int plotLeft = left + kChartPad;
  const int plotRight = left + kChartWidth - kChartPad / 2;
  const int plotTop = kChartPad / 2 + 10;
  const int plotBottom = height - kChartPad;
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
  svg << "<text x=\"" << plotLeft << "\" y=\"" << plotBottom + 18 << "\" font-size=\"11\">ply 0</text>\n";
  svg << "<text x=\"" << plotRight << "\" y=\"" << plotBottom + 18 << "\" font-size=\"11\" text-anchor=\"end\">ply "
      << plies << "</text>\n";

  svg << "<polyline class=\"curve\" fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"2\" points=\"" << xOf(0) << ","
      << yOf(0);
  for (const PlyReport& report : analysis.plies) svg << " " << xOf(report.ply) << "," << yOf(blackView(report));
  svg << "\"/>\n";
  for (const PlyReport& report : analysis.plies) {
    if (!flagged(report)) continue;
    svg << "<circle class=\"flagged-ply\" cx=\"" << xOf(report.ply) << "\" cy=\"" << yOf(blackView(report))
        << "\" r=\"5\" fill=\"" << kFlagColour << "\"><title>ply " << report.ply << "</title></circle>\n";
  }
  svg << "<text x=\"" << plotLeft << "\" y=\"" << height - 12 << "\" font-size=\"11\" fill=\"" << kFlagColour
      << "\">red: flagged moves (win, missed-win, blunder, forbidden)</text>\n";
}

}  // namespace

std::string analysisSvg(const Analysis& analysis) {
  const int board = boardPixels(analysis.game.size);
  const int height = std::max(board, kChartMinHeight);
  const int width = board + kChartWidth;
  std::ostringstream svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << width << " " << height << "\" font-family=\"sans-serif\">\n";
  svg << "<rect width=\"" << width << "\" height=\"" << height << "\" fill=\"#fff\"/>\n";
  drawBoard(svg, analysis);
  drawChart(svg, analysis, board, height);
  svg << "</svg>\n";
  return svg.str();
}

}  // namespace quenvik::tool
