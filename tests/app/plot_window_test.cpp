// The plot window of the main dialog: opened from an input path's context menu, drawn with the
// dialog's current rules, redrawn when they change, for the function chosen, and saved.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QThreadPool>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "app/filter_dlg.h"
#include "app/plot_window.h"
#include "app_test_support.h"
#include "plot/acquisition_plot.h"
#include "plot/render/plot_geometry.h"
#include "plot/render/plot_painter.h"

namespace {

// Right-clicks the list at `pos` of its viewport through the window system, as the mouse
// would: the press and release reach the top-level window, which turns them into the context
// menu request the list receives.
void RightClick(QTreeWidget* list, const QPoint& pos) {
    QWindow* window = list->window()->windowHandle();
    const QPoint at = list->viewport()->mapTo(list->window(), pos);
    QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, at);
}

QMenu* OpenMenu(QWidget& dialog) {
    for (QMenu* menu : dialog.findChildren<QMenu*>(QStringLiteral("inputContextMenu"))) {
        if (menu->isVisible())
            return menu;
    }
    return nullptr;
}

// Opens the plot of the list's row `row` through its context menu and waits for the drawing.
CPlotWindow* OpenPlot(QWidget& dialog, int row) {
    QTreeWidget* list = InputList(dialog);
    RightClick(list, list->visualItemRect(list->topLevelItem(row)).center());
    QMenu* menu = OpenMenu(dialog);
    if (menu == nullptr)
        return nullptr;
    const QList<QAction*> actions = menu->actions();
    if (actions.size() != 1 || actions.front()->text() != QStringLiteral("Mass-defect Plot...")) {
        return nullptr;
    }
    actions.front()->trigger();
    menu->close();
    const QList<CPlotWindow*> windows = dialog.findChildren<CPlotWindow*>();
    return windows.isEmpty() ? nullptr : windows.back();
}

QString Status(CPlotWindow* window) {
    return window->findChild<QLabel*>(QStringLiteral("plotStatus"))->text();
}

}  // namespace

class PlotWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { scope = std::make_unique<AppTestScope>(); }
    void cleanup() {
        QThreadPool::globalInstance()->waitForDone();
        scope.reset();
        VerifyNoTopLevelWindows();
    }

    void opensFromTheContextMenuOfAPath() {
        const QString raw = scope->PathIn(QStringLiteral("run.raw"));
        MakeAcquisition(raw, 2);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {raw});

        // Beside the paths there is nothing to plot.
        QTreeWidget* list = InputList(dialog);
        RightClick(list, QPoint(5, list->viewport()->height() - 5));
        QVERIFY(OpenMenu(dialog) == nullptr);

        CPlotWindow* window = OpenPlot(dialog, 0);
        QVERIFY(window != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->Path(), raw);
        QTRY_VERIFY(!window->Busy());
        QCOMPARE(Status(window),
                 QStringLiteral("run.raw, function 1: 160 peaks, no rules: all kept"));
        QVERIFY(window->findChild<QPushButton*>(QStringLiteral("plotSave"))->isEnabled());
        QVERIFY(window->windowTitle().contains(QStringLiteral("run.raw")));
        QCOMPARE(scope->Messages().Texts(), QStringList{});
    }

    void isRedrawnWhenTheRulesChange() {
        const QString raw = scope->PathIn(QStringLiteral("run.raw"));
        MakeAcquisition(raw, 1);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {raw});
        CPlotWindow* window = OpenPlot(dialog, 0);
        QVERIFY(window != nullptr);
        QTRY_VERIFY(!window->Busy());
        QVERIFY(window->Plot()->bands.empty());

        AddRuleThroughDialogs(dialog, {"1", "0", "100000", "0.5", "300", "200"});
        QTRY_VERIFY(!window->Busy() && window->Plot() != nullptr && !window->Plot()->bands.empty());
        const plot::AcquisitionPlot& plot = *window->Plot();
        QCOMPARE(plot.bands.size(), std::size_t{1});
        QCOMPARE(plot.bands.front().defectLow, 0.3);
        QVERIFY(plot.histogram->PeaksKept() > 0);
        QVERIFY(plot.histogram->PeaksKept() < plot.histogram->PeaksRead());
        QVERIFY(
            Status(window).endsWith(QStringLiteral(" %1 kept").arg(plot.histogram->PeaksKept())));

        // The view shows the band: an empty or kept cell inside it is never the background.
        auto* view = window->findChild<QWidget*>(QStringLiteral("plotView"));
        const QImage shown = view->grab().toImage();
        const PlotGeometry g(view->size(), *plot.histogram);
        const double mass = (g.MassLow() + g.MassHigh()) / 2;
        const QColor inside =
            shown.pixelColor(static_cast<int>(g.X(mass) * shown.devicePixelRatio()),
                             static_cast<int>(g.Y(0.4) * shown.devicePixelRatio()));
        QVERIFY2(inside != kPlotBackground, qPrintable(inside.name()));
        const QColor outside =
            shown.pixelColor(static_cast<int>(g.X(mass) * shown.devicePixelRatio()),
                             static_cast<int>(g.Y(0.9) * shown.devicePixelRatio()));
        QVERIFY2(inside != outside, qPrintable(outside.name()));
    }

    void drawsTheFunctionChosen() {
        const QString raw = scope->PathIn(QStringLiteral("run.raw"));
        MakeAcquisition(raw, 2);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {raw});
        CPlotWindow* window = OpenPlot(dialog, 0);
        QVERIFY(window != nullptr);
        QTRY_VERIFY(!window->Busy());
        auto* function = window->findChild<QSpinBox*>(QStringLiteral("plotFunction"));
        function->setValue(2);
        QTRY_VERIFY(!window->Busy());
        QCOMPARE(Status(window),
                 QStringLiteral("run.raw, function 2: 160 peaks, no rules: all kept"));
        function->setValue(3);
        QTRY_VERIFY(!window->Busy());
        QCOMPARE(Status(window),
                 raw + QStringLiteral(": there is no function 3 (the file has 1 to 2)"));
        QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("plotSave"))->isEnabled());

        function->setValue(1);
        window->findChild<QComboBox*>(QStringLiteral("plotWeight"))->setCurrentIndex(1);
        QTRY_VERIFY(!window->Busy());
        QCOMPARE(window->Plot()->histogram->Weight(), plot::PeakWeight::kIntensity);
    }

    void savesAsPngOrSvg() {
        const QString raw = scope->PathIn(QStringLiteral("run.raw"));
        MakeAcquisition(raw, 1);
        CFilterDlg dialog;
        ShowAndWait(dialog);
        DropPaths(dialog, {raw});
        CPlotWindow* window = OpenPlot(dialog, 0);
        QVERIFY(window != nullptr);
        QTRY_VERIFY(!window->Busy());

        QString answer;
        QString suggested;
        const CPlotWindow::SaveNameChooser previous =
            CPlotWindow::SetSaveNameChooser([&](QWidget*, const QString& offered) {
                suggested = offered;
                return answer;
            });
        auto* save = window->findChild<QPushButton*>(QStringLiteral("plotSave"));
        answer = scope->PathIn(QStringLiteral("plot.png"));
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(suggested, scope->PathIn(QStringLiteral("run_f1.png")));
        QCOMPARE(QImage(answer).size(), QSize(1200, 800));
        answer = scope->PathIn(QStringLiteral("plot.svg"));
        QTest::mouseClick(save, Qt::LeftButton);
        QFile svg(answer);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<title>run.raw, function 1: 160 peaks"));
        // A name without a known extension is saved as PNG.
        answer = scope->PathIn(QStringLiteral("plain"));
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY(QFile::exists(scope->PathIn(QStringLiteral("plain.png"))));
        QCOMPARE(scope->Messages().Texts(), QStringList{});

        answer = scope->PathIn(QStringLiteral("missing/plot.png"));
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(scope->Messages().Messages().size(), qsizetype{1});
        QCOMPARE(scope->Messages().Messages().front().caption, QStringLiteral("Problem"));
        QVERIFY(scope->Messages().Texts().front().startsWith(answer));
        CPlotWindow::SetSaveNameChooser(previous);
    }

  private:
    std::unique_ptr<AppTestScope> scope;
};

QTEST_MAIN(PlotWindowTest)
#include "plot_window_test.moc"
