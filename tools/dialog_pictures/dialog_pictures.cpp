// Renders the dialogs in their usual states to PNG files, without a display:
//   brevanto_dialog_pictures <folder>
// Each picture is the dialog's client area as the offscreen platform draws it.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "app/filter_dlg.h"
#include "app/progress_dlg.h"
#include "dialogs/add_parameter_dlg.h"
#include "dialogs/parameters_dlg.h"
#include "params/mass_range.h"
#include "params/mass_range_list.h"
#include "res/main_dialog_template.h"
#include "res/progress_dialog_template.h"
#include "res/template_builder.h"

namespace {

bool Save(QWidget& widget, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!widget.grab().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Shows a dialog without running it modally, so that it initialises and can be grabbed.
bool SaveShown(QDialog& dialog, const QDir& folder, const QString& name) {
    dialog.show();
    QCoreApplication::processEvents();
    const bool saved = Save(dialog, folder, name);
    dialog.reject();
    return saved;
}

params::CMassRangeList ThreeRules() {
    params::CMassRangeList list;
    list.AddEntry(params::MakeMassRange(10, 200, 800, 0.123456, 40, 40));
    list.AddEntry(params::MakeMassRange(2, 150, 1200, 0.365, 25, 50));
    list.AddEntry(params::MakeMassRange(1, 100, 150000, 0.05, 100, 20));
    return list;
}

void SelectRow(QDialog& dialog, int row) {
    auto* list = dialog.findChild<QTreeWidget*>(ControlObjectName(IDC_PARAMETER_LIST));
    list->setCurrentItem(list->topLevelItem(row));
}

bool SaveParameterPictures(const QDir& folder) {
    bool ok = true;
    {
        params::CMassRangeList empty;
        CParametersDlg dialog(nullptr, &empty);
        ok &= SaveShown(dialog, folder, QStringLiteral("parameters-empty.png"));
    }
    {
        params::CMassRangeList rules = ThreeRules();
        CParametersDlg dialog(nullptr, &rules);
        dialog.show();
        QCoreApplication::processEvents();
        SelectRow(dialog, 1);
        ok &= Save(dialog, folder, QStringLiteral("parameters-three-rows.png"));

        // Add... on the selected row opens the add dialog as a copy of it.
        QTimer::singleShot(0, [&] {
            if (QWidget* add = QApplication::activeModalWidget()) {
                ok &= Save(*add, folder, QStringLiteral("add-copied-row.png"));
                static_cast<QDialog*>(add)->reject();
            }
        });
        dialog.findChild<QPushButton*>(ControlObjectName(IDC_ADD_PARAMETER))->click();
        dialog.reject();
    }
    {
        params::CMassRange rule;
        CAddParameterDlg dialog(nullptr, &rule);
        ok &= SaveShown(dialog, folder, QStringLiteral("add-default.png"));
    }
    return ok;
}

// The templates of the main and the progress dialog, bare, to check their layout.
bool SaveTemplatePictures(const QDir& folder) {
    bool ok = true;
    {
        QDialog dialog;
        BuildDialogFromTemplate(dialog, kMainDialogTemplate);
        ok &= SaveShown(dialog, folder, QStringLiteral("main-template.png"));
    }
    {
        QDialog dialog;
        BuildDialogFromTemplate(dialog, kProgressDialogTemplate);
        ok &= SaveShown(dialog, folder, QStringLiteral("progress-template.png"));
    }
    return ok;
}

// The main dialog as the program starts, and with more paths than the list shows at once, some
// longer than it is wide; and the progress dialog on the third of five functions.
bool SaveProgramPictures(const QDir& folder) {
    bool ok = true;
    {
        CFilterDlg dialog;
        ok &= SaveShown(dialog, folder, QStringLiteral("main-empty.png"));
    }
    {
        CFilterDlg dialog;
        dialog.show();
        QCoreApplication::processEvents();
        auto* list = dialog.findChild<QTreeWidget*>(QStringLiteral("IDC_INPUT_LIST"));
        const QStringList paths{
            QStringLiteral("/home/analyst/projects/metabolite-id/2024-03-liver-microsomes/"
                           "incubation-60min/positive-mode/LM_60_POS_rep3.raw"),
            QStringLiteral("/home/analyst/projects/metabolite-id/2024-03-liver-microsomes/"
                           "incubation-60min/positive-mode/LM_60_POS_rep2.raw"),
            QStringLiteral("/home/analyst/projects/metabolite-id/2024-03-liver-microsomes/"
                           "incubation-60min/positive-mode/LM_60_POS_rep1.raw"),
            QStringLiteral("/data/ms/blank_01.raw"),
            QStringLiteral("/mnt/instrument-share/queue/2024/03/18/plasma-study-B/"
                           "subject-017/day-2/PL_B_017_D2_T4h.raw"),
        };
        for (const QString& path : paths) {
            list->addTopLevelItem(new QTreeWidgetItem(QStringList{path}));
        }
        for (int i = 1; i <= 12; ++i) {
            const QString path = QStringLiteral("/home/analyst/s%1.raw").arg(i, 2, 10, QChar(u'0'));
            list->addTopLevelItem(new QTreeWidgetItem(QStringList{path}));
        }
        list->topLevelItem(1)->setSelected(true);
        QCoreApplication::processEvents();
        ok &= Save(dialog, folder, QStringLiteral("main-long-paths.png"));
        dialog.reject();
    }
    {
        CProgressDlg dialog;
        dialog.CurrentFile()->setText(
            QStringLiteral("/home/analyst/projects/metabolite-id/2024-03-liver-microsomes/"
                           "LM_60_POS_rep2.raw"));
        dialog.Bar()->setRange(0, 5);
        dialog.Bar()->setValue(2);
        dialog.show();
        QCoreApplication::processEvents();
        ok &= Save(dialog, folder, QStringLiteral("progress-mid-run.png"));
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(arguments.at(1));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    const bool parameters = SaveParameterPictures(folder);
    const bool templates = SaveTemplatePictures(folder);
    const bool program = SaveProgramPictures(folder);
    return parameters && templates && program ? 0 : 1;
}
