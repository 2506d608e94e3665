#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "params/mass_range_list.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTreeWidget;
namespace plot {
struct AcquisitionPlot;
}  // namespace plot

// A window with one input's mass-defect plot: a function chosen in it, the main dialog's
// current rules drawn over the peaks, and Save... to write the picture as PNG or SVG. The file
// is read on a worker thread, so a large acquisition leaves the program responsive; a newer
// request (another function, changed rules) supersedes one still running.
class CPlotWindow : public QWidget {
    Q_OBJECT

  public:
    CPlotWindow(QWidget* owner, const QString& path, const params::CMassRangeList& rules);
    ~CPlotWindow() override;

    QString Path() const { return path; }
    // Draws the plot again with these rules.
    void SetRules(const params::CMassRangeList& rules);
    // True while a reading is under way.
    bool Busy() const { return busy; }
    // The last plot drawn, or null (none yet, or the last reading failed).
    const plot::AcquisitionPlot* Plot() const { return plot.get(); }

    // Where Save... writes: asks the user by default; tests answer for them.
    using SaveNameChooser = std::function<QString(QWidget* parent, const QString& suggested)>;
    static SaveNameChooser SetSaveNameChooser(SaveNameChooser chooser);

  private:
    void Rebin();
    void OnBinned(unsigned generation, std::shared_ptr<plot::AcquisitionPlot> result,
                  const QString& error);
    void OnSave();

    QString path;
    params::CMassRangeList rules;
    QSpinBox* function;
    QComboBox* weight;
    QPushButton* save;
    QLabel* status;
    class PlotView* view;
    std::shared_ptr<plot::AcquisitionPlot> plot;
    unsigned generation = 0;
    bool busy = false;
};

// Gives the input list a context menu with "Mass-defect Plot..." on an input path, which
// opens a CPlotWindow owned by `owner` drawn with the rules `rules` gives at that moment.
void InstallPlotMenu(QTreeWidget* inputList, QWidget* owner,
                     std::function<params::CMassRangeList()> rules);

// Redraws every plot window of `owner` with new rules.
void RedrawPlotWindows(QWidget* owner, const params::CMassRangeList& rules);
