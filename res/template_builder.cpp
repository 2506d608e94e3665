#include "res/template_builder.h"

#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTreeWidget>

#include "res/dialog_units.h"
#include "res/resource_ids.h"

void TemplateControls::Add(int id, QWidget* widget) {
    ids.push_back(id);
    widgets.push_back(widget);
}

QWidget* TemplateControls::Find(int id) const {
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] == id) {
            return widgets[i];
        }
    }
    return nullptr;
}

QString ControlObjectName(const ControlTemplate& control, std::size_t index) {
    if (control.name != nullptr) {
        return QString::fromLatin1(control.name);
    }
    if (control.id != IDC_STATIC) {
        return ControlObjectName(control.id);
    }
    return QStringLiteral("static%1").arg(index);
}

QString ControlObjectName(int id) {
    return QStringLiteral("control%1").arg(id);
}

namespace {

bool Has(const ControlTemplate& control, unsigned style) {
    return (control.styles & style) != 0;
}

QWidget* MakePushButton(const ControlTemplate& control, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(control.caption), parent);
    button->setDefault(Has(control, kDefaultButton));
    return button;
}

QWidget* MakeEdit(const ControlTemplate& control, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(Has(control, kBorder));
    if (Has(control, kRightAligned)) {
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (Has(control, kDigitsOnly)) {
        // Only digits can be typed; an empty field stays possible and is refused on reading.
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    return edit;
}

QWidget* MakeLabel(const ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(control.caption), parent);
    // Static text starts at the top left and wraps at word boundaries.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QWidget* MakeGroupBox(const ControlTemplate& control, QWidget* parent) {
    auto* group = new QGroupBox(QString::fromLatin1(control.caption), parent);
    // The title sits on the frame's top line, inside the template rectangle, rather than above
    // a frame that starts lower down.
    group->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    return group;
}

QWidget* MakeListView(const ControlTemplate& control, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(Has(control, kSingleSelection) ? QAbstractItemView::SingleSelection
                                                          : QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Sorted lists keep their order on insertion; the view itself never re-sorts.
    list->setSortingEnabled(false);
    list->setFrameShape(Has(control, kBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    list->header()->setSectionsClickable(!Has(control, kNoSortHeader));
    list->setHeaderHidden(Has(control, kNoColumnHeader));
    list->setColumnCount(0);
    return list;
}

QWidget* MakeProgressBar(QWidget* parent) {
    // The bar always has its frame; it shows no percentage text.
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QWidget* MakeControl(const ControlTemplate& control, QWidget* parent) {
    switch (control.kind) {
        case ControlKind::PushButton:
            return MakePushButton(control, parent);
        case ControlKind::Edit:
            return MakeEdit(control, parent);
        case ControlKind::Label:
            return MakeLabel(control, parent);
        case ControlKind::GroupBox:
            return MakeGroupBox(control, parent);
        case ControlKind::ListView:
            return MakeListView(control, parent);
        case ControlKind::ProgressBar:
            return MakeProgressBar(parent);
    }
    return new QWidget(parent);
}

}  // namespace

TemplateControls BuildDialogFromTemplate(QDialog& dialog, const DialogTemplate& dialogTemplate) {
    const QFont font = DialogFont();
    const DialogBaseUnits units = BaseUnitsOf(font);

    const bool appWindow = (dialogTemplate.styles & kDialogAppWindow) != 0;
    dialog.setWindowFlags((appWindow ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint);
    dialog.setWindowTitle(QString::fromLatin1(dialogTemplate.caption));
    dialog.setFont(font);
    dialog.setFixedSize(MapDialogSize({dialogTemplate.width, dialogTemplate.height}, units));
    dialog.setAcceptDrops((dialogTemplate.styles & kDialogAcceptFiles) != 0);

    TemplateControls controls;
    QWidget* previousTabStop = nullptr;
    for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i) {
        const ControlTemplate& control = dialogTemplate.controls[i];
        QWidget* widget = MakeControl(control, &dialog);
        widget->setObjectName(ControlObjectName(control, i));
        widget->setGeometry(
            MapDialogRect(QRect(control.x, control.y, control.width, control.height), units));
        if (Has(control, kTabStop)) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr) {
                QWidget::setTabOrder(previousTabStop, widget);
            }
            previousTabStop = widget;
        } else if (widget->focusPolicy() != Qt::NoFocus) {
            widget->setFocusPolicy(Qt::ClickFocus);
        }
        controls.Add(control.id, widget);
    }
    return controls;
}
