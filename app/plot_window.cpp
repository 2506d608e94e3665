#include "app/plot_window.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QThreadPool>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/message_texts.h"
#include "dialog_framework/message_box.h"
#include "plot/acquisition_plot.h"
#include "plot/render/plot_file.h"
#include "plot/render/plot_painter.h"

namespace {

// Cells of the window's histogram; the view scales them to its size.
constexpr int kColumns = 600;
constexpr int kRows = 400;
const QSize kSavedSize(1200, 800);

QString AskSaveName(QWidget* parent, const QString& suggested) {
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Mass-defect Plot"), suggested,
                                        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"));
}

CPlotWindow::SaveNameChooser& SaveNameChooserSlot() {
    static CPlotWindow::SaveNameChooser chooser = AskSaveName;
    return chooser;
}

}  // namespace

// Paints the current plot at the widget's size.
class PlotView : public QWidget {
  public:
    explicit PlotView(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("plotView"));
        setMinimumSize(480, 320);
    }
    void Show(std::shared_ptr<plot::AcquisitionPlot> shown) {
        plot = std::move(shown);
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (plot) {
            PaintPlot(painter, *plot, size());
        } else {
            painter.fillRect(rect(), palette().window());
        }
    }

  private:
    std::shared_ptr<plot::AcquisitionPlot> plot;
};

CPlotWindow::SaveNameChooser CPlotWindow::SetSaveNameChooser(SaveNameChooser chooser) {
    SaveNameChooser previous = SaveNameChooserSlot();
    SaveNameChooserSlot() = chooser ? std::move(chooser) : SaveNameChooser(AskSaveName);
    return previous;
}

CPlotWindow::CPlotWindow(QWidget* owner, const QString& inputPath,
                         const params::CMassRangeList& given)
    : QWidget(owner, Qt::Window), path(inputPath), rules(given) {
    setObjectName(QStringLiteral("PlotWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Mass-defect Plot - %1").arg(QFileInfo(path).fileName()));

    function = new QSpinBox(this);
    function->setObjectName(QStringLiteral("plotFunction"));
    function->setRange(1, 1000);
    weight = new QComboBox(this);
    weight->setObjectName(QStringLiteral("plotWeight"));
    weight->addItems({QStringLiteral("Peak count"), QStringLiteral("Summed intensity")});
    save = new QPushButton(QStringLiteral("Save..."), this);
    save->setObjectName(QStringLiteral("plotSave"));
    save->setEnabled(false);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("plotStatus"));
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    view = new PlotView(this);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Function:"), this));
    controls->addWidget(function);
    controls->addSpacing(12);
    controls->addWidget(new QLabel(QStringLiteral("Weight:"), this));
    controls->addWidget(weight);
    controls->addStretch(1);
    controls->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(view, 1);
    layout->addWidget(status);
    resize(900, 640);

    connect(function, &QSpinBox::valueChanged, this, [this] { Rebin(); });
    connect(weight, &QComboBox::currentIndexChanged, this, [this] { Rebin(); });
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    Rebin();
}

CPlotWindow::~CPlotWindow() = default;

void CPlotWindow::SetRules(const params::CMassRangeList& given) {
    rules = given;
    Rebin();
}

void CPlotWindow::Rebin() {
    plot::PlotRequest request;
    request.path = path.toStdString();
    request.function = function->value();
    request.rules = rules;
    request.grid.columns = kColumns;
    request.grid.rows = kRows;
    request.grid.weight =
        weight->currentIndex() == 1 ? plot::PeakWeight::kIntensity : plot::PeakWeight::kCount;
    // The dialog plots what the filter would take; a file the filter refuses is refused here.
    const unsigned current = ++generation;
    busy = true;
    save->setEnabled(false);
    status->setText(QStringLiteral("Reading %1, function %2...")
                        .arg(QFileInfo(path).fileName())
                        .arg(request.function));
    QPointer<CPlotWindow> guard(this);
    QThreadPool::globalInstance()->start([guard, current, request] {
        auto result = std::make_shared<plot::AcquisitionPlot>();
        std::string error;
        const bool ok = plot::BinAcquisition(request, *result, error);
        QMetaObject::invokeMethod(
            qApp,
            [guard, current, result, ok, error] {
                if (guard) {
                    guard->OnBinned(current, ok ? result : nullptr, QString::fromStdString(error));
                }
            },
            Qt::QueuedConnection);
    });
}

void CPlotWindow::OnBinned(unsigned done, std::shared_ptr<plot::AcquisitionPlot> result,
                           const QString& error) {
    if (done != generation) {
        return;  // superseded by a newer request
    }
    busy = false;
    plot = std::move(result);
    view->Show(plot);
    save->setEnabled(plot != nullptr);
    status->setText(plot ? QString::fromStdString(plot::PlotSummary(*plot)) : error);
}

void CPlotWindow::OnSave() {
    if (!plot) {
        return;
    }
    const QFileInfo input(path);
    const QString suggested = input.absoluteDir().filePath(
        input.completeBaseName() + QStringLiteral("_f%1.png").arg(plot->function));
    QString chosen = SaveNameChooserSlot()(this, suggested);
    if (chosen.isEmpty()) {
        return;
    }
    if (!IsPlotFileName(chosen)) {
        chosen += QStringLiteral(".png");
    }
    QString error;
    if (!SavePlot(chosen, *plot, kSavedSize, error)) {
        ShowMessageBox(
            {QMessageBox::Warning, QString::fromLatin1(message_texts::kProblem), error, QString()});
    }
}

void InstallPlotMenu(QTreeWidget* inputList, QWidget* owner,
                     std::function<params::CMassRangeList()> rules) {
    inputList->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(inputList, &QWidget::customContextMenuRequested, owner,
                     [inputList, owner, rules](const QPoint& pos) {
                         const QTreeWidgetItem* item = inputList->itemAt(pos);
                         if (item == nullptr) {
                             return;
                         }
                         const QString path = item->text(0);
                         // Not exec(): the menu stays one window among the others, and a test can
                         // reach it.
                         auto* menu = new QMenu(owner);
                         menu->setObjectName(QStringLiteral("inputContextMenu"));
                         menu->setAttribute(Qt::WA_DeleteOnClose);
                         QAction* plot = menu->addAction(QStringLiteral("Mass-defect Plot..."));
                         plot->setObjectName(QStringLiteral("plotAction"));
                         QObject::connect(plot, &QAction::triggered, owner, [owner, path, rules] {
                             auto* window = new CPlotWindow(owner, path, rules());
                             window->show();
                         });
                         menu->popup(inputList->viewport()->mapToGlobal(pos));
                     });
}

void RedrawPlotWindows(QWidget* owner, const params::CMassRangeList& rules) {
    for (CPlotWindow* window : owner->findChildren<CPlotWindow*>()) {
        window->SetRules(rules);
    }
}
