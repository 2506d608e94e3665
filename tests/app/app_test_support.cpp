#include "app_test_support.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QTreeWidget>
#include <utility>

#include "app/browse_record.h"
#include "app/filter_dlg.h"
#include "app/left_control_key.h"
#include "app/list_file_dialog.h"
#include "app/progress_dlg.h"
#include "rawio/raw_api.h"
#include "rawsynth/synth_acquisition.h"
#include "res/resource_ids.h"
#include "res/template_builder.h"

AppTestScope::AppTestScope()
    : previousConfigHome(qgetenv("XDG_CONFIG_HOME")),
      hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
}

AppTestScope::~AppTestScope() {
    if (hadConfigHome) {
        qputenv("XDG_CONFIG_HOME", previousConfigHome);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }
    SetLeftControlProbe({});
    SetListFileChooser({});
    SetRawFileChooser({});
}

QTreeWidget* InputList(QWidget& dialog) {
    return dialog.findChild<QTreeWidget*>(QStringLiteral("IDC_INPUT_LIST"));
}

QStringList ListTexts(QWidget& dialog) {
    QStringList texts;
    QTreeWidget* list = InputList(dialog);
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        texts.append(list->topLevelItem(row)->text(0));
    }
    return texts;
}

QString SuffixText(QWidget& dialog) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("IDC_SUFFIX"))->text();
}

std::vector<std::string> NativeInputPaths(CFilterDlg& dialog) {
    return dialog.InputPaths();
}

void ShowAndWait(CFilterDlg& dialog) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
}

void DropUrls(QWidget& dialog, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint centre = dialog.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &enter);
    QVERIFY2(enter.isAccepted(), "the dialog refused the drag");
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &drop);
    // The dialog handles a drop once it has ended, from the event loop.
    QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);
}

void DropPaths(QWidget& dialog, const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    DropUrls(dialog, urls);
}

void AddRuleThroughDialogs(QWidget& dialog, const QStringList& fields) {
    static const int ids[] = {IDC_FUNCTION,    IDC_LOW_MASS,     IDC_HIGH_MASS,
                              IDC_MASS_DEFECT, IDC_WINDOW_ABOVE, IDC_WINDOW_BELOW};
    QCOMPARE(fields.size(), qsizetype{6});
    WhileModal([&](QDialog& parameters) {
        WhileModal([&](QDialog& add) {
            for (qsizetype i = 0; i < fields.size(); ++i) {
                TypeInto(add.findChild<QLineEdit*>(ControlObjectName(ids[i])), fields.at(i));
            }
            ClickButton(add, QStringLiteral("IDOK"));
        });
        ClickButton(parameters, ControlObjectName(IDC_ADD_PARAMETER));
        ClickButton(parameters, QStringLiteral("IDOK"));
    });
    ClickButton(dialog, QStringLiteral("IDC_EDIT_PARAMETERS"));
}

void MakeAcquisition(const QString& path, unsigned functions) {
    rawsynth::SynthOptions options;
    options.functions = functions;
    options.scans = 4;
    options.peaks = 40;
    std::string failed;
    const RawStatus status =
        rawsynth::SynthesizeAcquisition(QFile::encodeName(path).toStdString(), options, &failed);
    QVERIFY2(status == kRawOk, failed.c_str());
}

bool OpensAsRawFile(const QString& path) {
    RawHandle handle = 0;
    if (RawReadOpen(QFile::encodeName(path).constData(), &handle) != kRawOk) {
        return false;
    }
    RawReadClose(handle);
    return true;
}

ProgressSampler::ProgressSampler() {
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [this] { Sample(); });
    timer.start();
}

void ProgressSampler::Sample() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<CProgressDlg*>(window);
        if (dialog == nullptr || !dialog->isVisible()) {
            continue;
        }
        const QCursor* cursor = QApplication::overrideCursor();
        samples.append({dialog->windowTitle(), dialog->CurrentFile()->text(),
                        dialog->Bar()->minimum(), dialog->Bar()->maximum(), dialog->Bar()->value(),
                        dialog->parent() != nullptr, dialog->isModal(),
                        cursor != nullptr && cursor->shape() == Qt::WaitCursor});
    }
}

QStringList ProgressSampler::FilesShown() const {
    QStringList files;
    for (const ProgressSample& sample : samples) {
        if (files.isEmpty() || files.last() != sample.currentFile) {
            files.append(sample.currentFile);
        }
    }
    return files;
}
