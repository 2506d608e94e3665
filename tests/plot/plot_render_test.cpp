#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QXmlStreamReader>
#include <cmath>
#include <vector>

#include "plot/render/plot_file.h"
#include "plot/render/plot_geometry.h"
#include "plot/render/plot_painter.h"
#include "tests/support/scratch_dir.h"

using params::CMassRangeList;
using params::MakeMassRange;
using plot::AcquisitionPlot;
using plot::HistogramSettings;
using plot::KendrickBase;
using plot::MassDefectHistogram;
using plot::ParseKendrickBase;
using plot::RuleBand;
using plot::RuleBands;
using processing::FunctionFilter;

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "plot_render_tests";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static QGuiApplication app(argc, argv);
    }
}

const QSize kSize(1000, 700);
constexpr int kColumns = 100;  // cells of 10 Da over [0, 1000)
constexpr int kRows = 50;      // cells of 0.02 Da

// A plot of the peaks given, binned over [0, 1000) Da, with the rules of function 1.
AcquisitionPlot MakePlot(const CMassRangeList& rules, const std::vector<float>& masses,
                         const KendrickBase* kendrick = nullptr) {
    AcquisitionPlot plot;
    plot.path = "/data/probe.raw";
    plot.function = 1;
    plot.filter = std::make_unique<FunctionFilter>(rules, 1);
    if (kendrick != nullptr)
        plot.kendrick = std::make_unique<KendrickBase>(*kendrick);
    HistogramSettings grid;
    grid.columns = kColumns;
    grid.rows = kRows;
    grid.massLow = 0.0;
    grid.massHigh = 1000.0;
    grid.kendrick = plot.kendrick.get();
    plot.histogram = std::make_unique<MassDefectHistogram>(grid, *plot.filter);
    plot.histogram->Add(masses.data(), nullptr, static_cast<std::uint32_t>(masses.size()));
    if (!plot.kendrick)
        plot.bands = RuleBands(*plot.filter);
    return plot;
}

CMassRangeList SampleRules() {
    CMassRangeList rules;
    rules.AddEntry(MakeMassRange(1, 200, 400, 0.5, 100, 100));  // defects 0.4 .. 0.6
    rules.AddEntry(MakeMassRange(1, 600, 800, 0.98, 50, 50));   // wraps: 0.93 .. 1 and 0 .. 0.03
    return rules;
}

// The pixel at the centre of the cell holding (mass, defect).
QColor CellPixel(const QImage& image, const PlotGeometry& g, double mass, double defect) {
    const double width = 1000.0 / kColumns;
    const double height = 1.0 / kRows;
    const double x = g.X((std::floor(mass / width) + 0.5) * width);
    const double y = g.Y((std::floor(defect / height) + 0.5) * height);
    return image.pixelColor(static_cast<int>(x), static_cast<int>(y));
}

bool Tinted(const QColor& c) {
    return c != kPlotBackground && c.blue() > c.red() && c.blue() > 200;
}

TEST(PlotRender, PixelsShowBandsPeaksAndEmptyCells) {
    EnsureApplication();
    const std::vector<float> masses = {300.5f, 700.25f, 650.96875f, 710.015625f};
    const AcquisitionPlot plot = MakePlot(SampleRules(), masses);
    const QImage image = RenderPlotImage(plot, kSize);
    ASSERT_EQ(image.size(), kSize);
    const PlotGeometry g(kSize, *plot.histogram);
    const struct {
        const char* what;
        double mass;
        double defect;
        std::function<bool(const QColor&)> holds;
    } probes[] = {
        {"empty cell in the ordinary band", 250.0, 0.45, Tinted},
        {"empty cell in the wrapping band's upper part", 750.0, 0.97, Tinted},
        {"empty cell in the wrapping band's lower part", 750.0, 0.01, Tinted},
        {"empty cell outside every band", 500.0, 0.2,
         [](const QColor& c) { return c == kPlotBackground; }},
        {"empty cell beside the band's mass range", 450.0, 0.5,
         [](const QColor& c) { return c == kPlotBackground; }},
        {"kept peak", 300.5, 0.5, [](const QColor& c) { return c == kKeptDark; }},
        {"dropped peak", 700.25, 0.25, [](const QColor& c) { return c == kDroppedDark; }},
        {"kept peak of the wrapping window, high", 650.96875, 0.96875,
         [](const QColor& c) { return c == kKeptDark; }},
        {"kept peak of the wrapping window, low", 710.015625, 0.015625,
         [](const QColor& c) { return c == kKeptDark; }},
    };
    for (const auto& p : probes) {
        const QColor pixel = CellPixel(image, g, p.mass, p.defect);
        EXPECT_TRUE(p.holds(pixel)) << p.what << ": " << pixel.name().toStdString();
    }
    // The band is outlined on its edges.
    const QColor edge =
        image.pixelColor(static_cast<int>(std::lround(g.X(200.0))), static_cast<int>(g.Y(0.5)));
    EXPECT_EQ(edge, kBandOutline) << edge.name().toStdString();
}

TEST(PlotRender, DenserCellsAreDarkerOnALogScale) {
    EnsureApplication();
    std::vector<float> masses(100, 500.5f);    // 100 peaks in one cell
    masses.push_back(100.125f);                // one in another
    masses.insert(masses.end(), 10, 900.75f);  // ten in a third
    const AcquisitionPlot plot = MakePlot(CMassRangeList{}, masses);
    const QImage image = RenderPlotImage(plot, kSize);
    const PlotGeometry g(kSize, *plot.histogram);
    EXPECT_EQ(CellPixel(image, g, 500.5, 0.5), kKeptDark);
    EXPECT_EQ(CellPixel(image, g, 100.125, 0.125), kKeptLight);
    // Ten is halfway between one and a hundred on a log scale.
    EXPECT_EQ(CellPixel(image, g, 900.75, 0.75), CellColour(10, 1, 100, true));
    const QColor middle = CellColour(10, 1, 100, true);
    EXPECT_NEAR(middle.red(), (kKeptLight.red() + kKeptDark.red()) / 2.0, 1.0);
}

TEST(PlotRender, TheKendrickViewDrawsNoBands) {
    EnsureApplication();
    KendrickBase ch2;
    std::string error;
    ASSERT_TRUE(ParseKendrickBase("CH2", ch2, error));
    const float mass = 300.5f;
    const AcquisitionPlot plot = MakePlot(SampleRules(), {mass}, &ch2);
    const QImage image = RenderPlotImage(plot, kSize);
    const PlotGeometry g(kSize, *plot.histogram);
    EXPECT_EQ(CellPixel(image, g, 250.0, 0.45), kPlotBackground);
    EXPECT_EQ(CellPixel(image, g, 300.5, ch2.KendrickMassDefect(static_cast<double>(mass))),
              kKeptDark);
}

TEST(PlotRender, TheAutomaticAxisSpansTheBinnedPeaks) {
    EnsureApplication();
    AcquisitionPlot plot = MakePlot(CMassRangeList{}, {});
    HistogramSettings grid;
    grid.columns = 1000;
    grid.rows = 10;
    plot.histogram = std::make_unique<MassDefectHistogram>(grid, *plot.filter);
    const float masses[] = {250.5f, 900.5f};
    plot.histogram->Add(masses, nullptr, 2);
    const PlotGeometry g(kSize, *plot.histogram);
    EXPECT_LE(g.MassLow(), 250.5);
    EXPECT_GT(g.MassLow(), 249.0);
    EXPECT_GT(g.MassHigh(), 900.5);
    EXPECT_LT(g.MassHigh(), 902.0);
}

struct SvgRect {
    double x, y, width, height;
    QString fill;
};

std::vector<SvgRect> FilledRects(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::vector<QString> fills;
    std::vector<SvgRect> rects;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QStringLiteral("g")) {
                fills.push_back(a.hasAttribute("fill")
                                    ? a.value("fill").toString()
                                    : (fills.empty() ? QString() : fills.back()));
            } else if (xml.name() == QStringLiteral("rect")) {
                rects.push_back({a.value("x").toDouble(), a.value("y").toDouble(),
                                 a.value("width").toDouble(), a.value("height").toDouble(),
                                 fills.empty() ? QString() : fills.back()});
            }
        } else if (xml.isEndElement() && xml.name() == QStringLiteral("g")) {
            fills.pop_back();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return rects;
}

TEST(PlotRender, TheSvgParsesAndHoldsTheBands) {
    EnsureApplication();
    ScratchDir dir;
    const AcquisitionPlot plot = MakePlot(SampleRules(), {300.5f, 700.25f});
    const QString path = QString::fromStdString(dir.Path("plot.svg"));
    QString error;
    ASSERT_TRUE(SavePlot(path, plot, kSize, error)) << error.toStdString();
    const std::vector<SvgRect> rects = FilledRects(path);
    const PlotGeometry g(kSize, *plot.histogram);
    ASSERT_EQ(plot.bands.size(), 3u);
    for (const RuleBand& band : plot.bands) {
        const bool found = std::any_of(rects.begin(), rects.end(), [&](const SvgRect& r) {
            return r.fill == kBandFill.name() && std::fabs(r.x - g.X(band.massLow)) < 0.01 &&
                   std::fabs(r.x + r.width - g.X(band.massHigh)) < 0.01 &&
                   std::fabs(r.y - g.Y(band.defectHigh)) < 0.01 &&
                   std::fabs(r.y + r.height - g.Y(band.defectLow)) < 0.01;
        });
        EXPECT_TRUE(found) << "band " << band.massLow << ".." << band.massHigh << " x "
                           << band.defectLow << ".." << band.defectHigh;
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("<title>probe.raw, function 1: 2 peaks, 1 kept</title>"));
    EXPECT_TRUE(text.contains("<image"));  // the peaks
}

TEST(PlotRender, SavingNamesTheFileThatCouldNotBeWritten) {
    EnsureApplication();
    ScratchDir dir;
    const AcquisitionPlot plot = MakePlot(SampleRules(), {300.5f});
    for (const char* name : {"missing/plot.png", "missing/plot.svg", "plot.jpg"}) {
        const QString path = QString::fromStdString(dir.Path(name));
        QString error;
        EXPECT_FALSE(SavePlot(path, plot, kSize, error)) << name;
        EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
    }
    const QString png = QString::fromStdString(dir.Path("plot.PNG"));
    QString error;
    ASSERT_TRUE(SavePlot(png, plot, kSize, error)) << error.toStdString();
    EXPECT_EQ(QImage(png).size(), kSize);
}

}  // namespace
