#include "ui/experiment_report.h"

#include "files/export_error.h"
#include "files/export_file.h"
#include "chart/chart.h"
#include "model/numtext.h"
#include "batch/batch_run.h"
#include "ui/chart_view.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <system_error>

namespace landuse::ui {

namespace fs = std::filesystem;

namespace {

constexpr int ScatterWidth = 420, ScatterHeight = 300;
constexpr int TimeWidth = 640, TimeHeight = 360;
constexpr const char* FitNames[2] = {"slope", "correlation_r"};

struct Figure {
    std::string file; // PNG in the report folder
    std::string title;
    std::string note;
    size_t points = 0;
    int width = 0, height = 0;
    bool data = true; // a CSV of the same name beside it
};

struct Section {
    std::string heading;
    std::string note;
    std::vector<Figure> figures;
};

std::string escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A name for files: letters, digits, '_' and '-' only.
std::string fileWord(std::string_view text)
{
    std::string out;
    for (const char c : text)
        out += std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' ? c : '_';
    return out;
}

void savePng(const QImage& image, const fs::path& file)
{
    if (!image.save(QString::fromStdString(file.string()), "PNG"))
        throw ExportError(FileErrorMessage("write", file, "the PNG encoder failed"));
}

Figure render(Chart& chart, const fs::path& folder, std::string file, int width, int height)
{
    ChartView view(&chart);
    view.resize(width, height);
    QImage image(width, height, QImage::Format_RGB32);
    view.renderTo(image);
    savePng(image, folder / file);
    Figure figure;
    figure.file = std::move(file);
    figure.title = chart.TitleLines().empty() ? std::string() : chart.TitleLines().front();
    figure.width = width;
    figure.height = height;
    return figure;
}

void looks(Chart& chart, std::string title)
{
    chart.SetTitle(std::move(title));
    chart.legendVisible = false;
}

// The colour of the i-th of n runs in noise order: blue for the lowest,
// red for the highest.
Rgb orderColour(size_t i, size_t n)
{
    const double t = n > 1 ? double(i) / double(n - 1) : 0.0;
    return {uint8_t(std::lround(30 + 200 * t)), 60, uint8_t(std::lround(230 - 200 * t))};
}

class ReportBuilder {
public:
    ReportBuilder(const ExperimentResults& e, fs::path folder) : e_(e), folder_(std::move(folder))
    {
        order_.resize(e.complete.size());
        std::iota(order_.begin(), order_.end(), size_t(0));
        // Analysis 2 reads along its noise, whichever order the runs were made in.
        if (e.experiment == Experiment::Analysis2 && !e.varied.empty()) {
            const size_t noise = e.column(e.varied.front());
            std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
                return e.complete[a].values[noise] < e.complete[b].values[noise];
            });
        }
    }

    std::vector<Section> build()
    {
        std::vector<Section> sections;
        // Each varied parameter is an axis of its own; a repeated setting
        // varies only the seed, so its runs stand side by side.
        std::vector<std::string> axes = e_.varied;
        if (axes.empty())
            axes.push_back("run");
        for (const std::string& x : axes) {
            Section section;
            section.heading = "Results at the end against " + x;
            section.note = e_.experiment == Experiment::Analysis2
                               ? "One point per run, joined in the order of the noise."
                               : "One point per run.";
            for (const char* y : StatisticNames)
                section.figures.push_back(scatter(x, y));
            for (const char* y : FitNames)
                section.figures.push_back(scatter(x, y));
            sections.push_back(std::move(section));
        }
        Section time;
        time.heading = "Over time";
        time.note = e_.experiment == Experiment::Analysis2
                        ? "Thin lines: each run, from blue (lowest noise) to red (highest); black: the mean over runs."
                        : "Thin lines: each run; black: the mean over runs.";
        for (size_t s = 0; s < 4; ++s)
            time.figures.push_back(overTime(StatisticNames[s], "step", [s](const RunResult& r) {
                return std::pair{&r.steps, &r.statistics[s]};
            }));
        time.figures.push_back(overTime("slope", "time", [](const RunResult& r) {
            return std::pair{&r.fitTimes, &r.slopes};
        }));
        sections.push_back(std::move(time));
        return sections;
    }

    Figure contactSheet(const fs::path& file) const;
    const std::vector<size_t>& order() const { return order_; }

private:
    double value(const RunResult& r, const std::string& name) const
    {
        return name == "run" ? double(r.run) : r.values[e_.column(name)];
    }

    Figure scatter(const std::string& x, const std::string& y)
    {
        Chart chart;
        looks(chart, y + " against " + x);
        Series& series = chart.AddSeries();
        series.SetTitle(y);
        series.SetColor({20, 60, 200});
        Marker marker;
        marker.visible = true;
        marker.shape = MarkerShape::Rectangle;
        marker.width = marker.height = 2;
        series.SetMarkers(marker);
        const bool joined = e_.experiment == Experiment::Analysis2;
        series.SetLineWidth(joined ? 1 : 0);
        std::string csv = "run," + x + "," + y + "\n";
        for (const size_t i : order_) {
            const RunResult& r = e_.complete[i];
            const double vx = value(r, x), vy = value(r, y);
            if (!std::isfinite(vx) || !std::isfinite(vy))
                continue;
            series.Add(vx, vy);
            csv += IntToStr(int64_t(r.run)) + "," + DataNumber(vx) + "," + DataNumber(vy) + "\n";
        }
        const std::string name = fileWord(x) + "-" + fileWord(y);
        Figure figure = render(chart, folder_, name + ".png", ScatterWidth, ScatterHeight);
        figure.points = series.Count();
        if (figure.points < e_.complete.size())
            figure.note = IntToStr(int64_t(e_.complete.size() - figure.points)) + " runs have no value";
        WriteFileReplacing(folder_ / (name + ".csv"), csv);
        return figure;
    }

    template <typename Pick>
    Figure overTime(const std::string& y, const std::string& x, Pick pick)
    {
        Chart chart;
        looks(chart, y + " over the " + x + "s of every run");
        std::vector<double> sum, count, xs;
        for (size_t k = 0; k < order_.size(); ++k) {
            const auto [px, py] = pick(e_.complete[order_[k]]);
            Series& series = chart.AddSeries();
            series.SetColor(e_.experiment == Experiment::Analysis2 ? orderColour(k, order_.size())
                                                                    : Rgb{170, 170, 170});
            const size_t n = std::min(px->size(), py->size());
            series.Reserve(n);
            if (n > xs.size()) {
                xs.assign(px->begin(), px->begin() + std::ptrdiff_t(n));
                sum.resize(n, 0.0);
                count.resize(n, 0.0);
            }
            for (size_t i = 0; i < n; ++i) {
                series.Add((*px)[i], (*py)[i]);
                if (std::isfinite((*py)[i])) {
                    sum[i] += (*py)[i];
                    count[i] += 1;
                }
            }
        }
        Series& mean = chart.AddSeries();
        mean.SetTitle("mean");
        mean.SetColor({0, 0, 0});
        mean.SetLineWidth(2);
        std::string csv = x + ",mean\n";
        for (size_t i = 0; i < xs.size(); ++i) {
            if (count[i] == 0)
                continue;
            mean.Add(xs[i], sum[i] / count[i]);
            csv += DataNumber(xs[i]) + "," + DataNumber(sum[i] / count[i]) + "\n";
        }
        Figure figure = render(chart, folder_, "time-" + fileWord(y) + ".png", TimeWidth, TimeHeight);
        figure.points = mean.Count();
        figure.note = IntToStr(int64_t(order_.size())) + (order_.size() == 1 ? " run" : " runs")
                      + "; the CSV holds the mean, each run's own values are in its folder";
        WriteFileReplacing(folder_ / ("time-" + fileWord(y) + ".csv"), csv);
        return figure;
    }

    std::string label(const RunResult& r) const
    {
        std::string text = "run " + RunFolderName(r.run);
        for (const std::string& name : e_.varied)
            text += "  " + name + " " + r.cells[e_.column(name)];
        return text;
    }

    const ExperimentResults& e_;
    fs::path folder_;
    std::vector<size_t> order_; // of e_.complete, as the plots show them
};

Figure ReportBuilder::contactSheet(const fs::path& file) const
{
    const size_t n = order_.size();
    const int side = n <= 16 ? 202 : n <= 100 ? 134 : 101;
    const int columns = int(std::max<size_t>(1, size_t(std::ceil(std::sqrt(double(n))))));
    const int rows = int((n + size_t(columns) - 1) / size_t(columns));
    // Analysis 1 names up to nine weights: room for lines of them.
    const int labelLines = e_.experiment == Experiment::Analysis1 ? 1 + int((e_.varied.size() + 1) / 2) : 2;
    const int labelHeight = 12 * labelLines + 4;
    const int cellW = side + 8, cellH = side + labelHeight + 8;
    QImage sheet(std::max(1, columns * cellW), std::max(1, rows * cellH), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    for (size_t k = 0; k < n; ++k) {
        const RunResult& r = e_.complete[order_[k]];
        const int left = int(k % size_t(columns)) * cellW + 4;
        const int top = int(k / size_t(columns)) * cellH + 4;
        const QRect box(left, top, side, side);
        QImage world;
        if (!r.picture.empty())
            world.load(QString::fromStdString(r.picture.string()));
        if (world.isNull()) {
            painter.fillRect(box, QColor(220, 220, 220));
            painter.drawText(box, Qt::AlignCenter, QStringLiteral("no picture"));
        } else {
            painter.drawImage(box, world.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        painter.setPen(QColor(120, 120, 120));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.drawText(QRect(left, top + side + 2, side, labelHeight), Qt::TextWordWrap | Qt::AlignLeft,
                         QString::fromStdString(label(r)));
    }
    painter.end();
    savePng(sheet, folder_ / file);
    Figure figure;
    figure.file = file.string();
    figure.title = "The world at the end of every run";
    figure.points = n;
    figure.width = sheet.width();
    figure.height = sheet.height();
    figure.data = false;
    return figure;
}

std::string figureHtml(const Figure& f)
{
    std::string html = "<figure><img src=\"" + escaped(f.file) + "\" width=\"" + IntToStr(f.width) + "\" height=\""
                       + IntToStr(f.height) + "\" alt=\"" + escaped(f.title) + "\" data-points=\""
                       + IntToStr(int64_t(f.points)) + "\"><figcaption>" + escaped(f.title);
    if (!f.note.empty())
        html += " <span class=\"note\">(" + escaped(f.note) + ")</span>";
    if (f.data) {
        std::string csv = f.file.substr(0, f.file.size() - 4) + ".csv";
        html += " <a href=\"" + escaped(csv) + "\">data</a>";
    }
    html += "</figcaption></figure>\n";
    return html;
}

std::string missingText(const ExperimentResults& e)
{
    if (e.missing.empty())
        return "All " + IntToStr(int64_t(e.runs)) + " runs are complete.";
    std::string text = IntToStr(int64_t(e.missing.size())) + " of " + IntToStr(int64_t(e.runs))
                       + " runs are missing (not complete yet):";
    const size_t shown = std::min<size_t>(e.missing.size(), 20);
    for (size_t i = 0; i < shown; ++i)
        text += " " + RunFolderName(e.missing[i]);
    if (e.missing.size() > shown)
        text += " and " + IntToStr(int64_t(e.missing.size() - shown)) + " more";
    return text + ".";
}

constexpr const char* Style = R"(body{font-family:sans-serif;margin:1.5em;color:#222}
h1{font-size:1.5em}h2{font-size:1.2em;margin-top:1.6em;border-bottom:1px solid #ccc}
.plots{display:flex;flex-wrap:wrap;gap:12px}figure{margin:0}img{max-width:100%;height:auto}figcaption{font-size:.85em;max-width:640px}
.note{color:#666}.missing{color:#a40}table{border-collapse:collapse;font-size:.85em}
th,td{border:1px solid #ccc;padding:2px 6px;text-align:right}th{background:#eee;cursor:pointer;user-select:none}
th.up::after{content:" \25B2"}th.down::after{content:" \25BC"}tbody tr:nth-child(even){background:#f7f7f7}
)";

// Sorts the table by the clicked column, numbers as numbers; a second click
// turns the order round.
constexpr const char* Script = R"(document.querySelectorAll('table.sortable').forEach(function(table){
  table.querySelectorAll('th').forEach(function(th,col){
    th.addEventListener('click',function(){
      var up=!th.classList.contains('up');
      table.querySelectorAll('th').forEach(function(h){h.classList.remove('up','down');});
      th.classList.add(up?'up':'down');
      var body=table.tBodies[0],rows=Array.prototype.slice.call(body.rows);
      function key(r){var t=r.cells[col].textContent,v=parseFloat(t);return t===''?Infinity:(isNaN(v)?t:v);}
      rows.sort(function(a,b){var x=key(a),y=key(b);var c=(x<y)?-1:(x>y)?1:0;return up?c:-c;});
      rows.forEach(function(r){body.appendChild(r);});
    });
  });
});
)";

std::string pageHtml(const ExperimentResults& e, const std::vector<Section>& sections, const Figure& sheet,
                     const std::vector<size_t>& order)
{
    const std::string name = ExperimentName(e.experiment);
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + escaped(name)
                       + " " + escaped(e.folder.filename().string()) + "</title>\n<style>\n" + Style
                       + "</style>\n</head>\n<body>\n";
    html += "<h1>" + escaped(name) + " in " + escaped(e.folder.string()) + "</h1>\n";
    html += "<p>" + IntToStr(int64_t(e.runs)) + " runs of " + IntToStr(e.steps) + " steps";
    if (!e.varied.empty()) {
        html += "; varied:";
        for (const std::string& v : e.varied)
            html += " " + escaped(v);
    }
    html += ".</p>\n<p class=\"" + std::string(e.missing.empty() ? "complete" : "missing") + "\" id=\"runs-state\">"
            + escaped(missingText(e)) + "</p>\n";
    for (const Section& s : sections) {
        html += "<h2>" + escaped(s.heading) + "</h2>\n<p class=\"note\">" + escaped(s.note)
                + "</p>\n<div class=\"plots\">\n";
        for (const Figure& f : s.figures)
            html += figureHtml(f);
        html += "</div>\n";
    }
    html += "<h2>Worlds at the end</h2>\n<p class=\"note\">"
            + std::string(e.experiment == Experiment::Analysis2 ? "In the order of the noise." : "In run order.")
            + "</p>\n" + figureHtml(sheet);
    html += "<h2>Runs</h2>\n<p class=\"note\">Click a column's head to sort by it. The same rows as runs.csv.</p>\n";
    html += "<table class=\"sortable\" id=\"runs\" data-rows=\"" + IntToStr(int64_t(e.complete.size()))
            + "\">\n<thead><tr>";
    for (const std::string& c : e.columns)
        html += "<th>" + escaped(c) + "</th>";
    html += "</tr></thead>\n<tbody>\n";
    for (const size_t i : order) {
        html += "<tr>";
        for (const std::string& cell : e.complete[i].cells)
            html += "<td>" + escaped(cell) + "</td>";
        html += "</tr>\n";
    }
    html += "</tbody>\n</table>\n<script>\n" + std::string(Script) + "</script>\n</body>\n</html>\n";
    return html;
}

} // namespace

ReportSummary WriteExperimentReport(const ExperimentResults& e)
{
    const fs::path& outDir = e.folder;
    const fs::path final = outDir / "report";
    const fs::path part = outDir / "report.part";
    const fs::path old = outDir / "report.old.part";
    std::error_code ec;
    fs::remove_all(part, ec);
    fs::remove_all(old, ec);
    EnsureFolder(part);
    ReportSummary summary;
    try {
        ReportBuilder builder(e, part);
        const std::vector<Section> sections = builder.build();
        const Figure sheet = builder.contactSheet("worlds.png");
        WriteFileReplacing(part / "index.html", pageHtml(e, sections, sheet, builder.order()));
        for (const Section& s : sections)
            summary.plots += s.figures.size();
        // The old report goes only once the new one is whole.
        if (fs::exists(final, ec)) {
            fs::rename(final, old, ec);
            if (ec)
                throw ExportError(FileErrorMessage("replace", final, ec.message()));
        }
        fs::rename(part, final, ec);
        if (ec) {
            std::error_code back;
            fs::rename(old, final, back);
            throw ExportError(FileErrorMessage("write", final, ec.message()));
        }
        fs::remove_all(old, ec);
    } catch (...) {
        fs::remove_all(part, ec);
        throw;
    }
    summary.index = final / "index.html";
    summary.complete = e.complete.size();
    summary.missing = e.missing.size();
    return summary;
}

} // namespace landuse::ui
